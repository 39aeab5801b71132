// A page file reopened in the desktop program's preview, as `quorva
// FILE.rpf` opens it: its save dialog offers every format a report run's
// preview offers, and each file it writes is what its name says, with the
// chosen pages only.
#include "SavedPages.h"
#include "FilterTestSupport.h"
#include "PdfTools.h"
#include "RLFindDialog.h" // RLPreviewForm.h holds a QPointer to it
#include "RLPreviewForm.h"
#include "RLSaveDialog.h"
#include "XlsTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace filtertest;

namespace {

struct SaveChoice {
    QString fileName;
    QString format;   // as the list shows it
    QString from, to; // empty: every page
    bool background = false;
};

// Presses the preview's save button and answers its dialog; returns the
// formats the dialog listed.
QStringList SaveFromPreview(TRLPreviewForm& form, const SaveChoice& choice) {
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TRLSaveDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < dialog->ComboBoxFilters->count(); ++i) {
            offered << dialog->ComboBoxFilters->itemText(i);
        }
        dialog->EditFileName->setText(choice.fileName);
        dialog->ComboBoxFilters->setCurrentIndex(dialog->ComboBoxFilters->findText(choice.format));
        if (choice.from.isEmpty()) {
            dialog->RadioButtonPagesAll->setChecked(true);
        } else {
            dialog->RadioButtonPagesInterval->setChecked(true);
            dialog->EditFromPage->setText(choice.from);
            dialog->EditToPage->setText(choice.to);
        }
        dialog->CheckBoxSaveInBackground->setChecked(choice.background);
        dialog->ButtonSave->click();
    });
    form.SpeedButtonSave->click();
    WaitForFilterRuns();
    return offered;
}

int PdfPageCount(const QString& path) {
    const PdfTools::Result info = PdfTools::Run(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.output.split(u'\n')) {
        if (line.startsWith(QStringLiteral("Pages:"))) {
            return line.mid(6).trimmed().toInt();
        }
    }
    return -1;
}

TEST(SavedPages, OfferEveryFormatAndWriteWhatTheNameSays) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("balancete.rpf"));
    int report = 0;
    TRLGraphicStorage* storage = NumberedStorage(5, &report);
    storage->SetTitle(QStringLiteral("Balancete"));
    storage->SaveToFile(file);
    storage->Unlink(&report);
    SaveParams().SetFilter(nullptr);

    TSavedPages saved(file);
    ASSERT_NE(saved.Form(), nullptr);
    const QStringList formats{QStringLiteral("Padrão"), QStringLiteral("Documento PDF"),
                              QStringLiteral("Planilha Excel")};

    // What the report of the fault did: pages 2-3 in the background, the
    // format taken from the name while the list still says "Padrão".
    const QString pdf = dir.filePath(QStringLiteral("trecho.pdf"));
    EXPECT_EQ(SaveFromPreview(*saved.Form(), {pdf, QStringLiteral("Padrão"), QStringLiteral("2"),
                                              QStringLiteral("3"), true}),
              formats);
    EXPECT_TRUE(PdfTools::QpdfClean(pdf));
    EXPECT_EQ(PdfPageCount(pdf), 2);
    const QString text = PdfTools::Text(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Página 2 linha 0"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Página 3 linha 0")));
    EXPECT_FALSE(text.contains(QStringLiteral("Página 4")));

    // The format from the list, its extension appended.
    const QString xls = dir.filePath(QStringLiteral("tudo"));
    EXPECT_EQ(SaveFromPreview(*saved.Form(), {xls, QStringLiteral("Planilha Excel"), {}, {}}),
              formats);
    EXPECT_EQ(xlstest::Dump(xls + QStringLiteral(".xls"))["sheets"].toArray().size(), 5);

    saved.Form()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(saved.Form(), nullptr);
}

} // namespace
