#pragma once
// What the report tool does with pages once it has them, whether a report
// run has just made them or a saved page file brings them: which pages go
// out, and which writer writes them with which choices. The writer follows
// the file name's extension, as in the save dialog; page images (.png) are
// the tool's own addition.
#include "RLMetaFile.h"

#include <QString>
#include <QStringList>
#include <optional>

// A page range as typed: "3", "2-5", or "4-" for page 4 to the last.
struct TPageRange {
    int First = 1;
    int Last = -1; // -1: up to the last page
};

// Nullopt when the text is none of the three forms.
std::optional<TPageRange> ParsePageRange(const QString& text);

// The pages of a document of pageCount pages that the range keeps, by the
// save filters' rules: a first page below 1 starts at page 1, a last page
// beyond the document stops at its last page. Nullopt when no page is left.
std::optional<TPageRange> PagesInDocument(const TPageRange& range, int pageCount);

struct TOutputChoice {
    std::optional<TPageRange> Pages; // none: every page
    int Dpi = 96;                    // page images only
    bool XlsNumbers = false;         // spreadsheets only
};

// Whether the file name's extension names a format the tool writes,
// whatever the letter case: the page file's (.rpf), or a writer's (.pdf,
// .xls, .png). A name without an extension gets ".rpf" first (OutputName).
bool IsWritableName(const QString& fileName);
// Those extensions, for the message that refuses any other.
QStringList WritableExtensions();

// Whether the file name asks for page images, whatever the letter case.
bool IsPageImageName(const QString& fileName);

// The first file an output writes: the name itself, or the first page's
// image for page images. What the tool checks before a long report run.
QString FirstOutputFile(const QString& fileName);

struct TOutputResult {
    enum Code { Written, OutsideDocument, UnknownFormat };
    Code Result = Written;
    QString Message; // what was written, or why nothing was
};

// Writes the chosen pages to the file, through the save filter its
// extension names, or in the engine's own page file format for ".rpf"; any
// other extension writes nothing (UnknownFormat). What stops the writer is
// raised as it was: EWriteError for the file, the silent abort for a run
// the program's end stopped, a painting or font error as its own.
TOutputResult WriteOutput(TRLGraphicStorage& pages, const QString& fileName,
                          const TOutputChoice& choice);

// A saved page file read in full. Raises the storage's error ("File is
// corrupted!") or the system's for a file that cannot be opened.
TRLStorageHold LoadPageFile(const QString& fileName);
