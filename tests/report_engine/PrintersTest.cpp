// Printer access without a print server: paper matching, the letter-size
// fallback, and a job sent to a PDF file standing in for the printer.
#include "RLPrinters.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Printers, PaperSizesMatchTheTableWithinAHundredthOfAMillimetre) {
    const struct {
        double w, h;
        std::optional<TRLPaperSize> expected;
    } cases[] = {
        {210, 297, fpA4},
        {210.004, 296.996, fpA4},         // 0.008 in sum
        {210.006, 297.005, std::nullopt}, // 0.011 in sum
        {215.9, 279.4, fpLetter},         // Letter, ANSI A and Note alike: the first wins
        {148, 210, fpA5},
        {279.4, 431.8, fpTabloid},
        {123, 45, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchPaperSize(c.w, c.h), c.expected) << c.w << " x " << c.h;
    }
}

TEST(Printers, WithoutPrintersMetricsAreLetterAt300Dpi) {
    TRLPrinterWrapper& printers = TRLPrinterWrapper::Instance();
    if (!printers.Printers().isEmpty()) {
        GTEST_SKIP() << "this machine has printers";
    }
    printers.EnsurePrinter();
    EXPECT_EQ(printers.PrinterIndex(), -1);
    EXPECT_TRUE(printers.PrinterName().isEmpty());
    const TRLPrinterMetrics m = printers.Metrics();
    EXPECT_EQ(m, TRLPrinterMetrics{});
    EXPECT_EQ(m.PhysicalWidth, 2550);
    EXPECT_EQ(m.ClientHeight, 3150);
    EXPECT_EQ(m.MarginBottom, 75);
    EXPECT_GE(printers.Copies(), 1);
    printers.SetPaperSize(210, 297, poLandscape); // only the orientation is kept
    printers.Refresh();
    EXPECT_EQ(printers.PrinterIndex(), -1);
}

TEST(Printers, JobToAFileHasItsPagesAndMetricsAddUp) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.pdf"));
    TRLPrinterWrapper& printers = TRLPrinterWrapper::Instance();
    printers.SetOutputFileName(path);
    printers.SetPaperSize(210, 297, poPortrait);
    printers.SetCopies(0);
    EXPECT_EQ(printers.Copies(), 1);
    const TRLPrinterMetrics m = printers.Metrics();
    EXPECT_GT(m.PPIX, 0);
    EXPECT_EQ(m.PhysicalWidth, m.MarginLeft + m.ClientWidth + m.MarginRight);
    EXPECT_NEAR(m.PhysicalWidth * 25.4 / m.PPIX, 210.0, 0.5);
    EXPECT_NEAR(m.PhysicalHeight * 25.4 / m.PPIY, 297.0, 0.5);

    printers.BeginDoc(QStringLiteral("Teste"));
    ASSERT_TRUE(printers.Canvas());
    printers.Canvas()->fillRect(QRect(10, 10, 100, 100), Qt::black);
    printers.NewPage();
    printers.Canvas()->fillRect(QRect(10, 10, 100, 100), Qt::black);
    printers.EndDoc();
    printers.SetOutputFileName(QString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("/Count 2"));
}

} // namespace
