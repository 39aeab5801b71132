#pragma once
// The report engine's user-visible texts in four languages. The table is
// chosen once, by the language of the system locale, and never changes;
// Portuguese is the table this program runs with.
#include <QLocale>
#include <QString>

struct EngineMessages {
    QString PrintProgress, SaveProgress, PrepareProgress;
    QString NoPrinter, Page, PrepareError, NotFound, Wait, Cancel;
    QString Close, Save, Send, Print, Preview, Of;
    QString FirstPage, PriorPage, NextPage, LastPage;
    QString EntirePage, PageWidth, MultiplePages;
    QString ConfigurePrinter, SaveToDisk, SendTo, Printer, Name;
    QString PrintToFile, PrintInBackground, PageRange, To;
    QString All, Pages, Selection, Copies, NumberOfCopies, Ok, SplitScreen;
    QString InvalidName, NameInUse, UseFilter, PrinterAtPort, Default;
    QString Copy, Edit, Find;
    QString FindText, FindNext, WholeWords, MatchCase, Up, Down, Direction;
    QString From, FileName, SaveInBackground, PdfFormat, XlsFormat;
    QString Junction, Mend, End;
    QString UnknownExtension, KnownExtensions;

    static const EngineMessages& Portuguese();
    static const EngineMessages& English();
    static const EngineMessages& French();
    static const EngineMessages& Spanish();
    // Portuguese, Spanish and French by their language, English otherwise.
    static const EngineMessages& ForLanguage(QLocale::Language language);
};

// The table of the system locale's language, chosen at first use.
const EngineMessages& Messages();
