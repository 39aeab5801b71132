// Workbooks converted by LibreOffice headless: every sheet must come out with
// the texts where the pages had them.
#include "RLXLSWriter.h"
#include "XlsTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace xlstest;

namespace {

// LibreOffice says nothing about a file it reads well; it may warn about its
// own Java helper, which is no complaint about the file.
void ExpectNoComplaint(const QString& log) {
    for (const QString& line : log.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QStringLiteral("convert ")) ||
            line.startsWith(QStringLiteral("Writing sheet ")) ||
            line.contains(QStringLiteral("javaldx"))) {
            continue;
        }
        ADD_FAILURE() << line.toStdString();
    }
}

TEST(XlsLibreOffice, TwoPageReport) {
    QTemporaryDir dir;
    TRLXLSFilter f;
    f.FileName = dir.filePath(QStringLiteral("relatorio.xls"));
    f.BeginDoc();
    for (const auto& page : TwoReportPages()) {
        f.DrawPage(page);
    }
    f.DrawPage(TRLXLSPage{});
    f.EndDoc();
    QString log;
    const QStringList sheets = LibreOfficeCsv(f.FileName, &log);
    ExpectNoComplaint(log);
    ASSERT_EQ(sheets.size(), 3) << log.toStdString();
    EXPECT_EQ(sheets[0], QString::fromUtf8("Relação de Inadimplentes,,\n"
                                           "\"Unidade 101\nBloco A\",,\"1.234,56\"\n"
                                           "Total,x,\"99,00\"\n"));
    EXPECT_EQ(sheets[1], QString::fromUtf8("Página 2 – continuação\n"));
    EXPECT_EQ(sheets[2], QStringLiteral("\n")); // the empty page
}

TEST(XlsLibreOffice, MergedRangesLongStringsAndNumbers) {
    QTemporaryDir dir;
    TRLXLSWorkbook wb;
    TRLXLSWorksheet* s = wb.NewSheet(QStringLiteral("P"));
    for (int r = 0; r < 1100; ++r) {
        s->FindRange(0, r, 1, r)->Value = QString::number(r);
    }
    const QString longText = QString(9000, u'ç');
    s->FindRange(2, 0, 2, 0)->Value = longText;
    TRLXLSRange* n = s->FindRange(2, 1, 2, 1);
    n->Value = QStringLiteral("-1234,5");
    n->ValueKind = vkNumber;
    const QString file = dir.filePath(QStringLiteral("grande.xls"));
    XLS::SaveWorkbook(wb, u',', file);
    QString log;
    const QStringList sheets = LibreOfficeCsv(file, &log);
    ExpectNoComplaint(log);
    ASSERT_EQ(sheets.size(), 1);
    const QStringList lines = sheets[0].split(u'\n');
    ASSERT_GE(lines.size(), 1100);
    EXPECT_EQ(lines[0], QStringLiteral("0,,") + longText);
    EXPECT_EQ(lines[1], QStringLiteral("1,,-1234.5"));
    EXPECT_EQ(lines[1099], QStringLiteral("1099,,"));
}

} // namespace
