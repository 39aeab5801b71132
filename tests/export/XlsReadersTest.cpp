// Workbooks written to disk and read back by independent readers (xlrd for
// the records, olefile for the compound document).
#include "Exception.h"
#include "RLMetaFile.h"
#include "RLXLSWriter.h"
#include "XlsTestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace xlstest;

namespace {

QJsonObject Cell(const QJsonObject& sheet, int r, int c) {
    for (const auto v : sheet["cells"].toArray()) {
        const QJsonObject cell = v.toObject();
        if (cell["r"].toInt() == r && cell["c"].toInt() == c) {
            return cell;
        }
    }
    return {};
}

QJsonArray Merged(std::initializer_list<std::array<int, 4>> ranges) {
    QJsonArray out;
    for (const auto& r : ranges) {
        out.append(QJsonArray{r[0], r[1], r[2], r[3]});
    }
    return out;
}

class XlsReaders : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir_;
};

TEST_F(XlsReaders, TwoPageReportReadsBack) {
    TRLXLSFilter f;
    f.FileName = Path("relatorio.xls");
    f.BeginDoc();
    for (const auto& page : TwoReportPages()) {
        f.DrawPage(page);
    }
    f.EndDoc();
    const QJsonObject book = Dump(f.FileName);
    EXPECT_EQ(book["streams"].toArray(), QJsonArray{"Workbook"});
    EXPECT_LT(book["size"].toInt(), 4096); // read through the mini stream
    EXPECT_EQ(book["user"].toString(), "KalvarReport");
    const QJsonArray sheets = book["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    const QJsonObject s1 = sheets[0].toObject();
    EXPECT_EQ(s1["name"].toString(), QString::fromUtf8("Página1"));
    EXPECT_EQ(sheets[1].toObject()["name"].toString(), QString::fromUtf8("Página2"));
    // Column edges 40, 200, 300 (thin 500 dropped? no: 500 is a right edge) and rows 20, 60, 80.
    EXPECT_EQ(Cell(s1, 0, 0)["v"].toString(), QString::fromUtf8("Relação de Inadimplentes"));
    EXPECT_EQ(Cell(s1, 0, 0)["font"].toString(), "Arial");
    EXPECT_EQ(Cell(s1, 0, 0)["height"].toInt(), 280);
    EXPECT_EQ(Cell(s1, 0, 0)["italic"].toInt(), 1);
    EXPECT_EQ(Cell(s1, 0, 0)["colour"].toInt(), 18);
    EXPECT_EQ(Cell(s1, 1, 0)["v"].toString(), "Unidade 101\nBloco A");
    EXPECT_EQ(Cell(s1, 1, 2)["v"].toString(), "1.234,56");
    EXPECT_EQ(Cell(s1, 1, 2)["halign"].toInt(), 3);
    EXPECT_EQ(Cell(s1, 1, 2)["type"].toInt(), 1);
    EXPECT_EQ(Cell(s1, 2, 0)["v"].toString(), "Total");
    EXPECT_EQ(Cell(s1, 2, 1)["v"].toString(), "x");
    EXPECT_EQ(Cell(s1, 2, 2)["v"].toString(), "99,00");
    EXPECT_EQ(s1["merged"].toArray(), Merged({{0, 1, 0, 3}, {1, 2, 0, 2}}));
    EXPECT_EQ(s1["colwidths"].toObject()["0"].toInt(), XLS::ColumnUnits(160));
    EXPECT_EQ(s1["rowheights"].toObject()["1"].toInt(), 20 * 20);
    EXPECT_EQ(Cell(sheets[1].toObject(), 0, 0)["v"].toString(),
              QString::fromUtf8("Página 2 – continuação"));
}

TEST_F(XlsReaders, EmptyPageAndNumbers) {
    BrazilianSeparators brazil;
    TRLXLSFilter f;
    f.FileName = Path("numeros.xls");
    f.Options = foFindValueCells;
    f.BeginDoc();
    f.DrawPage(TRLXLSPage{});
    f.DrawPage({{Text(0, 0, 100, 20, "1.234,56"), Text(0, 20, 100, 40, "1.234,56-"),
                 Text(0, 40, 100, 60, "-0,5")}});
    f.EndDoc();
    const QJsonArray sheets = Dump(f.FileName)["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].toObject()["nrows"].toInt(), 0);
    EXPECT_TRUE(sheets[0].toObject()["cells"].toArray().isEmpty());
    const QJsonObject s = sheets[1].toObject();
    EXPECT_EQ(Cell(s, 0, 0)["type"].toInt(), 2);
    EXPECT_DOUBLE_EQ(Cell(s, 0, 0)["v"].toDouble(), 1234.56);
    EXPECT_EQ(Cell(s, 1, 0)["v"].toString(), "1.234,56-");
    EXPECT_DOUBLE_EQ(Cell(s, 2, 0)["v"].toDouble(), -0.5);
}

// Many merged ranges, strings crossing CONTINUE records, several row blocks.
TEST_F(XlsReaders, ManyMergedRangesAndLongStrings) {
    TRLXLSWorkbook wb;
    TRLXLSWorksheet* s = wb.NewSheet(QStringLiteral("P"));
    for (int r = 0; r < 1100; ++r) {
        TRLXLSRange* range = s->FindRange(0, r, 2, r);
        range->Value = QStringLiteral("linha %1").arg(r);
    }
    QString longText;
    for (int i = 0; longText.size() < 9000; ++i) {
        longText += QString::fromUtf8("ção %1 ").arg(i);
    }
    s->FindRange(3, 0, 3, 0)->Value = longText;
    s->FindRange(3, 1, 3, 1)->Value = longText.left(4200);
    const QString file = Path("grande.xls");
    XLS::SaveWorkbook(wb, u',', file);
    const QJsonObject book = Dump(file);
    EXPECT_GT(book["size"].toInt(), 4096);
    const QJsonObject sheet = book["sheets"].toArray()[0].toObject();
    EXPECT_EQ(sheet["merged"].toArray().size(), 1100);
    EXPECT_EQ(sheet["nrows"].toInt(), 1100);
    EXPECT_EQ(Cell(sheet, 1099, 0)["v"].toString(), "linha 1099");
    EXPECT_EQ(Cell(sheet, 0, 3)["v"].toString(), longText);
    EXPECT_EQ(Cell(sheet, 1, 3)["v"].toString(), longText.left(4200));
}

// A stream over 7 MB needs allocation-table index sectors beyond the header's 109.
TEST_F(XlsReaders, WorkbookOverSevenMegabytes) {
    TRLXLSWorkbook wb;
    for (int sheet = 0; sheet < 6; ++sheet) {
        TRLXLSWorksheet* s = wb.NewSheet(QStringLiteral("S"));
        for (int r = 0; r < 5000; ++r) {
            s->FindRow(r, true);
        }
        for (int r = 0; r < 5000; ++r) {
            s->FindRange(0, r, 0, r)->Value =
                QStringLiteral("%1/%2 ").arg(sheet).arg(r).leftJustified(120, u'.');
        }
    }
    const QString file = Path("enorme.xls");
    XLS::SaveWorkbook(wb, u',', file);
    EXPECT_GT(QFileInfo(file).size(), 13843 * 512);
    const QJsonObject book = Dump(file);
    const QJsonArray sheets = book["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 6);
    const QJsonObject last = sheets[5].toObject();
    EXPECT_EQ(last["nrows"].toInt(), 5000);
    EXPECT_EQ(Cell(last, 4999, 0)["v"].toString(),
              QStringLiteral("5/4999 ").leftJustified(120, u'.'));
}

// The whole road: a page storage run through the filter framework's page pump.
TEST_F(XlsReaders, SavedFromAPageStorage) {
    const int owner = 0;
    auto* storage = new TRLGraphicStorage;
    storage->Link(&owner);
    storage->SetPaperWidth(210);
    storage->SetPaperHeight(297);
    storage->SetLastPageNumber(3);
    for (int n = 1; n <= 3; ++n) {
        auto page = std::make_shared<TRLGraphicSurface>();
        page->SetWidth(794);
        page->SetHeight(1123);
        page->Rectangle({20, 20, 774, 1103});
        page->TextRect({40, 40, 400, 60}, {40, 40},
                       QStringLiteral("Balancete %1 de {LastPageNumber}").arg(n));
        page->TextRect({400, 40, 600, 60}, {400, 40},
                       QStringLiteral("1.234,%1").arg(n, 2, 10, QLatin1Char('0')),
                       TRLMetaTextAlignment::mtaRight);
        storage->AddPage(page);
    }
    TRLXLSFilter f;
    f.FileName = Path("balancete.xls");
    f.ShowProgress = false;
    f.FilterPages(storage, 2);
    storage->Unlink(&owner);
    const QJsonArray sheets = Dump(f.FileName)["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject s = sheets[i].toObject();
        EXPECT_EQ(s["name"].toString(), QString::fromUtf8("Página%1").arg(i + 1));
        EXPECT_EQ(Cell(s, 0, 0)["v"].toString(), QStringLiteral("Balancete %1 de 3").arg(i + 2));
        EXPECT_EQ(Cell(s, 0, 1)["v"].toString(), QStringLiteral("1.234,0%1").arg(i + 2));
        EXPECT_EQ(Cell(s, 0, 1)["halign"].toInt(), 3);
    }
}

TEST_F(XlsReaders, FileThatCannotBeCreated) {
    TRLXLSFilter f;
    f.FileName = Path("no/such/dir/x.xls");
    f.BeginDoc();
    f.DrawPage({{Text(0, 0, 100, 20, "kept")}});
    try {
        f.EndDoc();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains("x.xls")) << e.what();
    }
    // The model stays for another try.
    EXPECT_EQ(f.Workbook().Sheets().size(), 1u);
    f.FileName = Path("x.xls");
    f.EndDoc();
    EXPECT_EQ(Cell(Dump(f.FileName)["sheets"].toArray()[0].toObject(), 0, 0)["v"].toString(),
              "kept");
}

} // namespace
