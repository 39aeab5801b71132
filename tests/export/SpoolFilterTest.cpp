// Printing through the printer wrapper onto a PDF stand-in for the printer,
// read back with poppler's tools: page count, texts and where they land.
#include "FilterTestSupport.h"
#include "RLPrinters.h"
#include "RLSpoolFilter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filtertest;

namespace {

QString RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPages(const QString& file) {
    const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
    return QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
}

class PrintFixture : public ::testing::Test {
protected:
    void SetUp() override {
        pdf = dir.filePath(QStringLiteral("impresso.pdf"));
        TRLPrinterWrapper::Instance().SetOutputFileName(pdf);
        storage = NumberedStorage(3, &owner);
        SpoolFilter().ShowProgress = false;
    }
    void TearDown() override {
        storage->Unlink(&owner);
        TRLPrinterWrapper::Instance().SetOutputFileName(QString());
    }
    QTemporaryDir dir;
    QString pdf;
    int owner = 0;
    TRLGraphicStorage* storage = nullptr;
};

TEST_F(PrintFixture, PrintsEveryPageWithItsTexts) {
    PrintPages(storage);
    ASSERT_EQ(PdfPages(pdf), 3);
    const QString text =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
    const QStringList pages = text.split(QLatin1Char('\f'));
    for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(pages.value(n - 1).contains(QStringLiteral("Página %1 linha 0").arg(n)))
            << pages.value(n - 1).left(300).toStdString();
        EXPECT_TRUE(pages.value(n - 1).contains(QStringLiteral("Página %1 linha 29").arg(n)));
    }
}

TEST_F(PrintFixture, PlacesThePageOnThePaperAndPrintsTheAskedRangeInTheBackground) {
    PrintPages(storage, nullptr, 2, true, 2);
    WaitForFilterRuns();
    ASSERT_EQ(PdfPages(pdf), 1);
    const QString html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, "-"});
    const QString text = RunTool(QStringLiteral("pdftotext"), {pdf, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("Página 2 linha 29")));
    EXPECT_FALSE(text.contains(QStringLiteral("Página 1 ")));
    EXPECT_FALSE(text.contains(QStringLiteral("Página 3 ")));
    // The first row's text starts at 40 of 794 pixels (plus half a space)
    // across an A4 sheet of 595 points: 30 points from the paper's edge,
    // whatever the printer's margins.
    const auto match =
        QRegularExpression(
            QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Página</word>"))
            .match(html);
    ASSERT_TRUE(match.hasMatch());
    EXPECT_NEAR(match.captured(1).toDouble(), (40 + 2) * 595.0 / 794, 1.0);
    EXPECT_TRUE(RunTool(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("595 x 842")));
}

TEST_F(PrintFixture, AnotherPrintFilterIsUsedWhenGiven) {
    RecordingPrintFilter other;
    other.ShowProgress = false;
    PrintPages(storage, &other, 1, false, -1);
    EXPECT_EQ(other.Calls(), QStringList({"BeginDoc", "DrawPage 1", "NewPage", "DrawPage 2",
                                          "NewPage", "DrawPage 3", "EndDoc"}));
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
