// The save dialog's rules (format by typed extension, appended extensions,
// page ranges), its default file name and the whole save of the preview's
// save button, down to a storage file that opens again.
#include "FilterTestSupport.h"
#include "RLSaveDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace filtertest;

namespace {

class SaveDialogFixture : public ::testing::Test {
protected:
    SaveDialogFixture() {
        pdf.DisplayName = QStringLiteral("Documento PDF");
        pdf.DefaultExt = QStringLiteral(".pdf");
        xls.DisplayName = QStringLiteral("Planilha Excel");
        xls.DefaultExt = QStringLiteral(".xls");
        params.SetMaxPage(10);
    }
    void Choose(const QString& format) {
        dialog.ComboBoxFilters->setCurrentIndex(dialog.ComboBoxFilters->findText(format));
    }

    RecordingSaveFilter pdf;
    RecordingPrintFilter printer; // print filters are not formats to save in
    RecordingSaveFilter xls;
    TRLSaveParams params;
    TRLSaveDialog dialog{nullptr, &params};
};

TEST_F(SaveDialogFixture, ListsTheSaveFormatsAndLoadsTheParameters) {
    params.SetFilter(&xls);
    params.FileName = QStringLiteral("/tmp/x");
    params.SaveRange = TRLSaveRange::rsrPageNums;
    params.FromPage = 2;
    params.ToPage = 0;
    params.Options = rsoDisableSaveInBackground;
    dialog.LoadParams();
    QStringList items;
    for (int i = 0; i < dialog.ComboBoxFilters->count(); ++i) {
        items << dialog.ComboBoxFilters->itemText(i);
    }
    // The default first, then the save formats in creation order.
    EXPECT_EQ(items.first(), QStringLiteral("Padrão"));
    EXPECT_LT(items.indexOf(QStringLiteral("Documento PDF")),
              items.indexOf(QStringLiteral("Planilha Excel")));
    EXPECT_EQ(dialog.ComboBoxFilters->currentText(), QStringLiteral("Planilha Excel"));
    EXPECT_EQ(items.size(), 3);
    EXPECT_TRUE(dialog.RadioButtonPagesInterval->isChecked());
    EXPECT_EQ(dialog.EditFromPage->text(), QStringLiteral("2"));
    EXPECT_EQ(dialog.EditToPage->text(), QString()); // 0 shows empty
    EXPECT_FALSE(dialog.CheckBoxSaveInBackground->isEnabled());
    EXPECT_FALSE(dialog.RadioButtonPagesSelect->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Salvar"));
    EXPECT_EQ(dialog.GroupBoxPages->title(), QStringLiteral(" Intervalo de páginas "));
    EXPECT_EQ(dialog.LabelFileName->text(), QStringLiteral("Nome do arquivo:"));
    EXPECT_EQ(dialog.size(), QSize(391, 244));

    params.SetFilter(nullptr);
    dialog.LoadParams();
    EXPECT_EQ(dialog.ComboBoxFilters->currentIndex(), 0);
}

TEST_F(SaveDialogFixture, TheTypedExtensionWinsAndAMissingOneIsAppended) {
    const struct {
        const char* typed;
        const char* format;
        const char* fileName;
        TRLCustomSaveFilter* filter;
    } cases[] = {
        {"relatorio.XLS", "Documento PDF", "relatorio.XLS", &xls},
        {"relatorio", "Planilha Excel", "relatorio.xls", &xls},
        {"relatorio", "Documento PDF", "relatorio.pdf", &pdf},
        {"relatorio", "Padrão", "relatorio.rpf", nullptr},
        {"relatorio.RPF", "Documento PDF", "relatorio.RPF", nullptr}, // own format
        {"relatorio.pdf", "Padrão", "relatorio.pdf", &pdf},
        {"/tmp/pasta.v2/relatorio", "Padrão", "/tmp/pasta.v2/relatorio.rpf", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialog.LoadParams();
        dialog.EditFileName->setText(QString::fromUtf8(c.typed));
        Choose(QString::fromUtf8(c.format));
        dialog.StoreParams();
        EXPECT_EQ(params.FileName, QString::fromUtf8(c.fileName));
        EXPECT_EQ(params.Filter(), c.filter);
    }
}

TEST_F(SaveDialogFixture, PageRangesFromTheRadioButtons) {
    dialog.LoadParams();
    dialog.EditFileName->setText(QStringLiteral("r.pdf"));
    dialog.EditFromPage->setText(QStringLiteral("4"));
    dialog.EditToPage->setText(QStringLiteral("6"));
    dialog.RadioButtonPagesAll->setChecked(true);
    dialog.StoreParams(); // "Tudo" ignores the page boxes
    EXPECT_EQ(params.SaveRange, TRLSaveRange::rsrAllPages);
    EXPECT_EQ(params.FromPage, 1);
    EXPECT_EQ(params.ToPage, 10);

    // Typing a page number chooses the interval.
    dialog.EditFromPage->clear();
    QTest::keyClicks(dialog.EditFromPage, QStringLiteral("7"));
    EXPECT_TRUE(dialog.RadioButtonPagesInterval->isChecked());
    dialog.EditToPage->setText(QStringLiteral("3"));
    dialog.StoreParams();
    EXPECT_EQ(params.SaveRange, TRLSaveRange::rsrPageNums);
    EXPECT_EQ(params.FromPage, 7);
    EXPECT_EQ(params.ToPage, 3); // kept: the run then saves no pages

    dialog.EditToPage->setText(QStringLiteral("x"));
    dialog.StoreParams();
    EXPECT_EQ(params.ToPage, 0);
}

class ScriptedDialog : public TRLSaveDialog {
public:
    using TRLSaveDialog::TRLSaveDialog;
    QString answer;
    QString askedFilter, askedExt, askedStart;

protected:
    QString AskFileName(const QString& filter, const QString& ext, const QString& start) override {
        askedFilter = filter;
        askedExt = ext;
        askedStart = start;
        return answer;
    }
};

TEST_F(SaveDialogFixture, TheLookupButtonOffersTheChosenFormat) {
    ScriptedDialog lookup(nullptr, &params);
    lookup.LoadParams();
    lookup.EditFileName->setText(QStringLiteral("inicio"));
    lookup.ComboBoxFilters->setCurrentIndex(lookup.ComboBoxFilters->findText("Documento PDF"));
    lookup.answer = QStringLiteral("/tmp/escolhido.pdf");
    lookup.SpeedButtonLookupClick();
    EXPECT_EQ(lookup.askedFilter, QStringLiteral("Documento PDF (*.pdf)"));
    EXPECT_EQ(lookup.askedExt, QStringLiteral(".pdf"));
    EXPECT_EQ(lookup.askedStart, QStringLiteral("inicio"));
    EXPECT_EQ(lookup.EditFileName->text(), QStringLiteral("/tmp/escolhido.pdf"));

    lookup.ComboBoxFilters->setCurrentIndex(0);
    lookup.answer.clear(); // cancelled: the name stays
    lookup.SpeedButtonLookupClick();
    EXPECT_EQ(lookup.askedFilter, QStringLiteral("KalvarReport (*.rpf)"));
    EXPECT_EQ(lookup.EditFileName->text(), QStringLiteral("/tmp/escolhido.pdf"));
}

TEST(DefaultSaveFileNameTest, TitleWithoutForbiddenCharactersInTheCurrentDirectory) {
    const struct {
        const char* title;
        const char* name; // empty: no name
    } cases[] = {
        {"  Balancete: Jan/2015  ", "Balancete Jan2015"},
        {"a\"b*c?d<e>f|g\\h", "abcdefgh"},
        {"Relação de Inadimplentes", "Relação de Inadimplentes"},
        {"tab\tfim\x7f", "tabfim"},
        {"", ""},
        {"   ", ""},
        {"???", ""},
    };
    for (const auto& c : cases) {
        const QString expected =
            *c.name == 0 ? QString() : QDir::current().absoluteFilePath(QString::fromUtf8(c.name));
        EXPECT_EQ(DefaultSaveFileName(QString::fromUtf8(c.title)), expected) << c.title;
    }
}

// Answers the next modal save dialog from the event loop.
void AnswerSaveDialog(std::function<void(TRLSaveDialog&)> fill) {
    QTimer::singleShot(0, [fill] {
        auto* dialog = qobject_cast<TRLSaveDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        fill(*dialog);
    });
}

TEST(SaveReportTest, DefaultFormatWritesAStorageFileThatOpensAgain) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(4, &owner);
    storage->SetTitle(QStringLiteral(" Relação: teste "));
    SaveParams().SetFilter(nullptr);
    QString offered;
    AnswerSaveDialog([&offered](TRLSaveDialog& d) {
        offered = d.EditFileName->text();
        d.ComboBoxFilters->setCurrentIndex(0);
        d.ButtonSave->click();
    });
    EXPECT_TRUE(SaveReport(storage));
    EXPECT_EQ(offered, dir.filePath(QStringLiteral("Relação teste")));
    const QString saved = dir.filePath(QStringLiteral("Relação teste.rpf"));
    ASSERT_TRUE(QFile::exists(saved));

    auto* reopened = new TRLGraphicStorage;
    int reader = 0;
    reopened->Link(&reader);
    reopened->LoadFromFile(saved);
    EXPECT_EQ(reopened->PageCount(), 4);
    EXPECT_EQ(NumberOf(*reopened->GetPage(3)), 4);
    reopened->Unlink(&reader);

    // Cancel writes nothing.
    AnswerSaveDialog([](TRLSaveDialog& d) {
        d.EditFileName->setText(QStringLiteral("outro"));
        d.ButtonCancel->click();
    });
    EXPECT_FALSE(SaveReport(storage));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("outro.rpf"))));
    storage->Unlink(&owner);
    QDir::setCurrent(previous);
}

// Records what the engine's message service would show.
struct ShownMessages {
    ShownMessages() {
        RLEngineServices::SetMessageSink([this](const QString& text) { texts << text; });
    }
    ~ShownMessages() { RLEngineServices::SetMessageSink({}); }
    QStringList texts;
};

// A name whose extension no format writes would end up as a page file
// under that name: the save button refuses it with a message, the dialog
// stays open, and nothing is written. Extensions a format claims pass,
// whatever the letter case, and so does a name without one.
TEST(SaveReportTest, AnExtensionNoFormatWritesIsRefused) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("pasta.v2"));
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(3, &owner);
    RecordingSaveFilter pdf, xls;
    pdf.ShowProgress = xls.ShowProgress = false;
    pdf.DisplayName = QStringLiteral("Documento PDF");
    pdf.DefaultExt = QStringLiteral(".pdf");
    xls.DisplayName = QStringLiteral("Planilha Excel");
    xls.DefaultExt = QStringLiteral("xls"); // a leading dot is added
    SaveParams().SetFilter(&pdf);
    // Page images (".png") are the report tool's alone.
    const struct {
        const char* typed;
        const char* extension; // null: accepted
    } cases[] = {
        {"trecho.docx", ".docx"},   {"trecho.png", ".png"},
        {"trecho.pdf.bak", ".bak"}, {"pasta.v2/trecho.txt", ".txt"},
        {"trecho.", "."},           {"trecho.PDF", nullptr},
        {"trecho.Rpf", nullptr},    {"pasta.v2/trecho", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const QString name = dir.filePath(QString::fromUtf8(c.typed));
        ShownMessages shown;
        bool stayedOpen = false;
        AnswerSaveDialog([&](TRLSaveDialog& d) {
            d.EditFileName->setText(name);
            d.ButtonSave->click();
            stayedOpen = d.isVisible();
            if (stayedOpen) {
                d.ButtonCancel->click();
            }
        });
        const bool saved = SaveReport(storage);
        if (c.extension != nullptr) {
            EXPECT_FALSE(saved);
            EXPECT_TRUE(stayedOpen);
            EXPECT_EQ(shown.texts,
                      QStringList{QStringLiteral("Extensão de arquivo desconhecida: \"%1\"\n"
                                                 "Extensões aceitas: .rpf, .pdf, .xls")
                                      .arg(QString::fromUtf8(c.extension))});
            EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
            EXPECT_TRUE(pdf.Calls().isEmpty());
        } else {
            EXPECT_TRUE(saved);
            EXPECT_FALSE(stayedOpen);
            EXPECT_TRUE(shown.texts.isEmpty());
        }
    }
    storage->Unlink(&owner);
    SaveParams().SetFilter(nullptr);
}

// The engine's own format honours the chosen pages as the filters do: the
// page file holds those pages only, under the whole report's header.
TEST(SaveReportTest, TheDefaultFormatSavesTheChosenPages) {
    QTemporaryDir dir;
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(5, &owner);
    storage->SetTitle(QStringLiteral("Balancete"));
    const struct {
        const char* from;
        const char* to;
        QList<int> pages;
    } cases[] = {
        {"2", "3", {2, 3}},
        {"4", "99", {4, 5}},
        {"0", "1", {1}},
        {"3", "2", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << "-" << c.to);
        const QString name = dir.filePath(QStringLiteral("trecho.rpf"));
        AnswerSaveDialog([&](TRLSaveDialog& d) {
            d.EditFileName->setText(name);
            d.ComboBoxFilters->setCurrentIndex(0);
            d.RadioButtonPagesInterval->setChecked(true);
            d.EditFromPage->setText(QString::fromLatin1(c.from));
            d.EditToPage->setText(QString::fromLatin1(c.to));
            d.CheckBoxSaveInBackground->setChecked(true);
            d.ButtonSave->click();
        });
        ASSERT_TRUE(SaveReport(storage));
        auto* reopened = new TRLGraphicStorage;
        int reader = 0;
        reopened->Link(&reader);
        reopened->LoadFromFile(name);
        QList<int> pages;
        for (int i = 0; i < reopened->PageCount(); ++i) {
            pages << NumberOf(*reopened->GetPage(i));
        }
        EXPECT_EQ(pages, c.pages);
        EXPECT_EQ(reopened->Title(), QStringLiteral("Balancete"));
        EXPECT_EQ(reopened->LastPageNumber(), 5);
        reopened->Unlink(&reader);
    }
    SaveParams().SaveInBackground = false;
    storage->Unlink(&owner);
}

TEST(SaveReportTest, AChosenFormatRunsItsFilterOverTheRangeAndStaysPreselected) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(6, &owner);
    storage->SetTitle(QString());
    RecordingSaveFilter xls;
    xls.ShowProgress = false;
    xls.DisplayName = QStringLiteral("Planilha Excel");
    xls.DefaultExt = QStringLiteral(".xls");
    xls.FileName = QStringLiteral("/tmp/anterior.xls");
    SaveParams().SetFilter(nullptr);
    AnswerSaveDialog([](TRLSaveDialog& d) {
        d.EditFileName->setText(QStringLiteral("/tmp/saida.XLS"));
        d.RadioButtonPagesInterval->setChecked(true);
        d.EditFromPage->setText(QStringLiteral("2"));
        d.EditToPage->setText(QStringLiteral("3"));
        d.ButtonSave->click();
    });
    EXPECT_TRUE(SaveReport(storage));
    EXPECT_EQ(xls.FileName, QStringLiteral("/tmp/saida.XLS"));
    EXPECT_EQ(xls.Calls(),
              QStringList({"BeginDoc", "DrawPage 2", "NewPage", "DrawPage 3", "EndDoc"}));

    // Next time the format is preselected, and with no title the filter's
    // own file name is offered.
    QString offered, format;
    AnswerSaveDialog([&](TRLSaveDialog& d) {
        offered = d.EditFileName->text();
        format = d.ComboBoxFilters->currentText();
        d.ButtonCancel->click();
    });
    EXPECT_FALSE(SaveReport(storage));
    EXPECT_EQ(offered, QStringLiteral("/tmp/saida.XLS"));
    EXPECT_EQ(format, QStringLiteral("Planilha Excel"));
    storage->Unlink(&owner);
}

} // namespace
