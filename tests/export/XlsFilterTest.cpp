// The workbook model the filter builds from pages: columns and rows from the
// texts' edges, cells and merged ranges, values and number detection.
#include "EngineMessages.h"
#include "RLMetaFile.h"
#include "RLXLSFilter.h"
#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace xlstest;

namespace {

const TRLXLSWorksheet& OnePage(TRLXLSFilter& f, std::vector<TRLXLSPageText> texts) {
    f.BeginDoc();
    f.DrawPage(TRLXLSPage{std::move(texts)});
    return *f.Workbook().Sheets().at(0);
}

const TRLXLSRange* RangeWith(const TRLXLSWorksheet& s, const QString& value) {
    for (const auto& r : s.Ranges()) {
        if (r->Value == value) {
            return r.get();
        }
    }
    return nullptr;
}

std::vector<int> Widths(const TRLXLSWorksheet& s) {
    std::vector<int> out;
    for (const auto& c : s.Cols()) {
        out.push_back(c.Width);
    }
    return out;
}

std::vector<int> Heights(const TRLXLSWorksheet& s) {
    std::vector<int> out;
    for (const auto& r : s.Rows()) {
        out.push_back(r.Height);
    }
    return out;
}

struct Rect {
    int l, t, r, b;
};

void ExpectRect(const TRLXLSRange* range, Rect want) {
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range->Left, want.l);
    EXPECT_EQ(range->Top, want.t);
    EXPECT_EQ(range->Right, want.r);
    EXPECT_EQ(range->Bottom, want.b);
}

TEST(XlsFilter, ColumnUnitsRoundTiesToEven) {
    struct {
        int x, units;
    } cases[] = {{0, 0},    {1, 38},   {10, 381},    {5, 190},
                 {15, 572}, {25, 952}, {794, 30251}, {-5, -190}};
    for (const auto& c : cases) {
        EXPECT_EQ(XLS::ColumnUnits(c.x), c.units) << c.x;
    }
}

TEST(XlsFilter, TextsStartingAtOneXShareAColumn) {
    TRLXLSFilter f;
    const auto& s = OnePage(
        f, {Text(10, 10, 110, 30, "A"), Text(10, 40, 60, 60, "B"), Text(200, 10, 300, 30, "C")});
    // The left column reaches the next edge; the right-most keeps its widest text.
    EXPECT_EQ(Widths(s), (std::vector<int>{7620 - 381, 3810}));
    EXPECT_EQ(Heights(s), (std::vector<int>{30, 20}));
    ExpectRect(RangeWith(s, "A"), {0, 0, 0, 0});
    ExpectRect(RangeWith(s, "B"), {0, 1, 0, 1});
    ExpectRect(RangeWith(s, "C"), {1, 0, 1, 0});
    EXPECT_EQ(s.FirstCol, 0);
    EXPECT_EQ(s.LastCol, 1);
    EXPECT_EQ(s.LastRow, 1);
}

TEST(XlsFilter, ThinEdgesAreDroppedAndTheirTextsMoveToTheNeighbour) {
    TRLXLSFilter f;
    // 8 pixels is below the 10 a column needs; 5 pixels below what a row needs.
    const auto& s = OnePage(f, {Text(0, 0, 100, 20, "A"), Text(100, 0, 108, 20, "B"),
                                Text(0, 20, 100, 25, "C"), Text(0, 25, 100, 45, "D")});
    EXPECT_EQ(Widths(s), (std::vector<int>{3810}));
    EXPECT_EQ(Heights(s), (std::vector<int>{25, 20}));
    ExpectRect(RangeWith(s, "A"), {0, 0, 0, 0});
    ExpectRect(RangeWith(s, "B"), {1, 0, 1, 0});
    // C's row edge was dropped, so C and D share a cell and the later one stays.
    EXPECT_EQ(RangeWith(s, "C"), nullptr);
    ExpectRect(RangeWith(s, "D"), {0, 1, 0, 1});
}

TEST(XlsFilter, LaterTextOverwritesTheTextItOverlaps) {
    TRLXLSFilter f;
    const auto& s = OnePage(f, {Text(0, 0, 100, 20, "a"), Text(100, 0, 200, 20, "b"),
                                Text(0, 0, 200, 20, "wide"), Text(100, 0, 200, 20, "last")});
    ASSERT_EQ(s.Ranges().size(), 1u);
    EXPECT_EQ(s.Ranges()[0]->Value, "last");
    ExpectRect(s.Ranges()[0].get(), {1, 0, 1, 0});
}

// The sheet finds the ranges a rectangle meets through an index; what it
// keeps must be what the plain rule gives: a new rectangle deletes every
// range sharing a cell with it, an equal one is reused. Also after the
// index was let go (built again) and the list read in between (its empty
// places closed up).
TEST(XlsFilter, OverlapsFollowThePlainRuleOverManyRectangles) {
    std::mt19937 random(16);
    auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    struct Kept {
        int l, t, r, b, id;
    };
    TRLXLSWorkbook workbook;
    TRLXLSWorksheet& sheet = *workbook.NewSheet(QStringLiteral("P"));
    std::vector<Kept> model;
    for (int id = 0; id < 3000; ++id) {
        // Mostly single cells, now and then a block, rarely most of the sheet.
        const int l = below(40), t = below(60);
        const int w = below(10) == 0 ? below(12) : below(20) == 0 ? 35 : 0;
        const int h = below(10) == 0 ? below(12) : below(50) == 0 ? 55 : 0;
        const Kept k{l, t, l + w, t + h, id};
        auto same = std::find_if(model.begin(), model.end(), [&k](const Kept& m) {
            return m.l == k.l && m.t == k.t && m.r == k.r && m.b == k.b;
        });
        const bool alone =
            same != model.end() && std::none_of(model.begin(), model.end(), [&](const Kept& m) {
                return &m != &*same && m.l <= k.r && k.l <= m.r && m.t <= k.b && k.t <= m.b;
            });
        if (alone) {
            same->id = id;
        } else {
            std::erase_if(model, [&k](const Kept& m) {
                return m.l <= k.r && k.l <= m.r && m.t <= k.b && k.t <= m.b;
            });
            model.push_back(k);
        }
        sheet.FindRange(k.l, k.t, k.r, k.b)->Value = QString::number(id);
        if (id % 500 == 250) {
            sheet.DropRangeIndex();
        }
        if (id % 700 == 0) {
            ASSERT_EQ(sheet.Ranges().size(), model.size());
        }
    }
    ASSERT_EQ(sheet.Ranges().size(), model.size());
    for (std::size_t i = 0; i < model.size(); ++i) {
        const TRLXLSRange& r = *sheet.Ranges()[i];
        EXPECT_EQ(r.Value, QString::number(model[i].id)) << i;
        ExpectRect(&r, {model[i].l, model[i].t, model[i].r, model[i].b});
    }
}

TEST(XlsFilter, ColumnsBeyondTheSheetsLastGoIntoIt) {
    TRLXLSFilter f;
    std::vector<TRLXLSPageText> texts;
    for (int i = 0; i < 300; ++i) {
        texts.push_back(Text(i * 20, 0, i * 20 + 20, 20, QString::number(i)));
    }
    const auto& s = OnePage(f, texts);
    EXPECT_EQ(s.Cols().size(), 256u);
    EXPECT_EQ(s.LastCol, 255);
    ExpectRect(RangeWith(s, "254"), {254, 0, 254, 0});
    // The texts from column 255 on share the last cell; the last one stays.
    EXPECT_EQ(RangeWith(s, "255"), nullptr);
    ExpectRect(RangeWith(s, "299"), {255, 0, 255, 0});
}

TEST(XlsFilter, SameRectangleReusesTheRange) {
    TRLXLSFilter f;
    const auto& s = OnePage(f, {Text(0, 0, 100, 20, "first"), Text(0, 0, 100, 20, "second")});
    ASSERT_EQ(s.Ranges().size(), 1u);
    EXPECT_EQ(s.Ranges()[0]->Value, "second");
}

TEST(XlsFilter, TextSpanningToTheThirdEdgeIsMerged) {
    TRLXLSFilter f;
    const auto& s = OnePage(f, {Text(0, 0, 100, 20, "c0"), Text(100, 0, 200, 20, "c1"),
                                Text(200, 0, 300, 20, "c2"), Text(0, 30, 210, 50, "span"),
                                Text(200, 60, 300, 120, "tall"), Text(0, 90, 100, 120, "mid")});
    ExpectRect(RangeWith(s, "span"), {0, 1, 1, 1});
    EXPECT_TRUE(RangeWith(s, "span")->IsMerged());
    EXPECT_FALSE(RangeWith(s, "c0")->IsMerged());
    ExpectRect(RangeWith(s, "tall"), {2, 2, 2, 3});
}

TEST(XlsFilter, TinyTextsStillGetACell) {
    TRLXLSFilter f;
    // A text lower than a row or narrower than a column would otherwise lose its cell.
    const auto& s = OnePage(
        f, {Text(0, 0, 100, 20, "big"), Text(0, 30, 100, 38, "low"), Text(300, 0, 305, 20, "x")});
    ExpectRect(RangeWith(s, "low"), {0, 1, 0, 1});
    ExpectRect(RangeWith(s, "x"), {1, 0, 1, 0});
}

TEST(XlsFilter, EmptyTextsAndEmptyPages) {
    TRLXLSFilter f;
    const auto& s = OnePage(f, {Text(0, 0, 100, 20, ""), Text(300, 300, 400, 320, QString())});
    EXPECT_TRUE(s.Ranges().empty());
    EXPECT_TRUE(s.Cols().empty());
    EXPECT_TRUE(s.Rows().empty());
    EXPECT_FALSE(s.HasUsedRows());
    EXPECT_FALSE(s.HasUsedCols());
}

TEST(XlsFilter, EdgeListsGrowPast1024) {
    TRLXLSFilter f;
    std::vector<TRLXLSPageText> texts;
    for (int i = 0; i < 1500; ++i) {
        texts.push_back(Text(0, i * 12, 100, i * 12 + 12, QString::number(i)));
    }
    const auto& s = OnePage(f, texts);
    EXPECT_EQ(s.Rows().size(), 1500u);
    ExpectRect(RangeWith(s, "1499"), {0, 1499, 0, 1499});
}

TEST(XlsFilter, PagesBecomeSheetsNamedAfterTheirNumber) {
    TRLXLSFilter f;
    f.BeginDoc();
    f.DrawPage(TRLXLSPage{});
    f.NewPage();
    f.DrawPage({{Text(0, 0, 10, 10, "x")}});
    ASSERT_EQ(f.Workbook().Sheets().size(), 2u);
    EXPECT_EQ(f.Workbook().Sheets()[0]->Name(), QString::fromUtf8("Página1"));
    EXPECT_EQ(f.Workbook().Sheets()[1]->Name(), QString::fromUtf8("Página2"));
    f.BeginDoc();
    EXPECT_TRUE(f.Workbook().Sheets().empty());

    TRLXLSWorkbook wb;
    wb.NewSheet("Página")->SetName(QString::fromUtf8("  PÁGINA2 "));
    EXPECT_EQ(wb.Sheets()[0]->Name(), QString::fromUtf8("PÁGINA2"));
    EXPECT_EQ(wb.NewSheet(QString::fromUtf8("Página"))->Name(), QString::fromUtf8("Página3"));
    wb.Sheets()[0]->SetName(QString(40, u'n'));
    EXPECT_EQ(wb.Sheets()[0]->Name().size(), 31);
}

TEST(XlsFilter, FontsAndAlignments) {
    TRLXLSFilter f;
    std::vector<TRLXLSPageText> texts;
    const struct {
        std::uint8_t alignment, layout, horizontal, vertical;
    } cases[] = {{1, 1, 1, 0}, {2, 2, 3, 2}, {3, 3, 2, 1}, {4, 4, 5, 3}};
    for (int i = 0; i < 4; ++i) {
        auto t = Text(0, i * 20, 100, i * 20 + 20, QString::number(i));
        t.Alignment = cases[i].alignment;
        t.Layout = cases[i].layout;
        t.Font.Name = "Times New Roman";
        t.Font.Size = 8 + i;
        t.Font.Styles = TRLXLSFont::Bold;
        t.Font.Color = {0, 0, 0x80};
        texts.push_back(t);
    }
    const auto& s = OnePage(f, texts);
    for (int i = 0; i < 4; ++i) {
        const TRLXLSRange* r = RangeWith(s, QString::number(i));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->HorizontalAlignment, cases[i].horizontal);
        EXPECT_EQ(r->VerticalAlignment, cases[i].vertical);
        EXPECT_EQ(r->Font.Name, "Times New Roman");
        EXPECT_EQ(r->Font.Size, 8 + i);
        EXPECT_EQ(r->Font.Styles, TRLXLSFont::Bold);
        EXPECT_EQ(r->Font.Color, (TRLXLSColor{0, 0, 0x80}));
    }
}

TEST(XlsFilter, ValuesAndNumberDetection) {
    struct Case {
        const char* text;
        QChar decimal;
        bool find;
        TRLXLSValueKind kind;
        const char* value;
    } cases[] = {
        {"linha 1\r\nlinha 2", u',', false, vkText, "linha 1\nlinha 2"},
        {"1.234,56", u',', false, vkText, "1.234,56"},
        {"1.234,56", u',', true, vkNumber, "1234,56"},
        {"1.234,56-", u',', true, vkText, "1.234,56-"},
        {" -12,5\r\n", u',', true, vkNumber, "-12,5"},
        {"+7", u',', true, vkNumber, "7"},
        {"2,5E3", u',', true, vkNumber, "2500"},
        {"0,1", u',', true, vkNumber, "0,1"},
        {"1,2,3", u',', true, vkText, "1,2,3"},
        {"12/05/2015", u',', true, vkText, "12/05/2015"},
        {"inf", u',', true, vkText, "inf"},
        {"nan", u',', true, vkText, "nan"},
        {"0x10", u',', true, vkText, "0x10"},
        {"R$ 5,00", u',', true, vkText, "R$ 5,00"},
        {"E5", u',', true, vkText, "E5"},
        {",", u',', true, vkText, ","},
        {"123456789012345678", u',', true, vkNumber, "1,23456789012346e+17"},
        {"1,234.56", u'.', true, vkNumber, "1234.56"},
        {"1.234,56", u'.', true, vkNumber, "1.23456"}, // the comma is taken as thousands
    };
    for (const auto& c : cases) {
        TRLXLSRange r;
        XLS::SetCellValue(r, QString::fromUtf8(c.text), c.find, c.decimal);
        EXPECT_EQ(r.ValueKind, c.kind) << c.text;
        EXPECT_EQ(r.Value, QString::fromUtf8(c.value)) << c.text;
    }
}

// The report tool's reading for amounts that are to be summed: the
// reports' negative form with the minus at its end, and thousands
// separators only where they group three digits, so a text made under
// other separators stays a text rather than becoming a wrong number.
TEST(XlsFilter, ToolNumberReadingTrailingMinusAndGroupedThousands) {
    const TRLXLSFilterOptions search = foFindValueCells;
    const TRLXLSFilterOptions tool = foFindValueCells | foTrailingMinus | foGroupedThousands;
    struct Case {
        const char* text;
        QChar decimal;
        TRLXLSFilterOptions options;
        TRLXLSValueKind kind;
        const char* value;
    } cases[] = {
        {"20,00 -", u',', tool, vkNumber, "-20"},
        {"1.234,56-", u',', tool, vkNumber, "-1234,56"},
        {"1.234,56-", u',', search, vkText, "1.234,56-"},
        {"1.234,56-", u',', foFindValueCells | foTrailingMinus, vkNumber, "-1234,56"},
        {"1.234,50 ", u',', tool, vkNumber, "1234,5"},
        {"0,00 -", u',', tool, vkNumber, "0"},
        {"12.345 -", u',', tool, vkNumber, "-12345"},
        {"-5,00-", u',', tool, vkText, "-5,00-"},
        {"+5,00 -", u',', tool, vkText, "+5,00 -"},
        {" -", u',', tool, vkText, " -"},
        {"Apto 1 -", u',', tool, vkText, "Apto 1 -"},
        {"10-", u',', foTrailingMinus, vkText, "10-"}, // only with number finding
        // A report made with a decimal comma, read with a decimal point.
        {"50,00", u'.', search, vkNumber, "5000"},
        {"50,00", u'.', tool, vkText, "50,00"},
        {"1.234,56", u'.', tool, vkText, "1.234,56"},
        {"1,234.56", u'.', tool, vkNumber, "1234.56"},
        {"1.234.567,8", u',', tool, vkNumber, "1234567,8"},
        {"1234.567", u',', tool, vkText, "1234.567"},
        {"12.5", u',', search, vkNumber, "125"},
        {"12.5", u',', tool, vkText, "12.5"},
        {"4005", u',', tool, vkNumber, "4005"},
        {"-1.000", u',', tool, vkNumber, "-1000"},
    };
    for (const auto& c : cases) {
        const XLS::TCellValue cell =
            XLS::CellValue(QString::fromUtf8(c.text), c.options, c.decimal);
        EXPECT_EQ(cell.Kind, c.kind) << c.text;
        EXPECT_EQ(cell.Value, QString::fromUtf8(c.value)) << c.text;
    }
}

// Right-aligned amounts end where their report column ends; with the
// option they share that spreadsheet column whatever their width, alone in
// it; other numbers and texts keep the cells the page gives them.
TEST(XlsFilter, RightAlignedNumbersGoInTheLastColumnOfTheirCells) {
    BrazilianSeparators brazil;
    auto amount = [](int left, int top, const char* text) {
        TRLXLSPageText t = Text(left, top, 300, top + 20, QString::fromUtf8(text));
        t.Alignment = static_cast<std::uint8_t>(TRLMetaTextAlignment::mtaRight);
        return t;
    };
    const std::vector<TRLXLSPageText> texts = {
        Text(0, 0, 150, 20, "Valor"),  amount(200, 20, "2.242,80"), amount(250, 40, "485,10"),
        amount(150, 60, "Total"),      Text(0, 80, 150, 100, "12"), Text(0, 100, 300, 120, "7"),
        amount(200, 120, "1.234,56-"),
    };
    TRLXLSFilter f;
    f.Options = foFindValueCells | foTrailingMinus | foRightAlignedNumbersInLastColumn;
    const auto& s = OnePage(f, texts);
    ExpectRect(RangeWith(s, "2242,8"), {3, 1, 3, 1});
    ExpectRect(RangeWith(s, "485,1"), {3, 2, 3, 2});
    ExpectRect(RangeWith(s, "-1234,56"), {3, 6, 3, 6});
    EXPECT_FALSE(RangeWith(s, "485,1")->IsMerged());
    ExpectRect(RangeWith(s, "Total"), {1, 3, 3, 3}); // a text stays merged
    ExpectRect(RangeWith(s, "12"), {0, 4, 0, 4});    // left-aligned numbers line
    ExpectRect(RangeWith(s, "7"), {0, 5, 3, 5});     // up by their first column
    // Without the option each amount starts in the column of its own left edge.
    TRLXLSFilter plain;
    plain.Options = foFindValueCells;
    const auto& p = OnePage(plain, texts);
    ExpectRect(RangeWith(p, "2242,8"), {2, 1, 3, 1});
    ExpectRect(RangeWith(p, "485,1"), {3, 2, 3, 2});
}

TEST(XlsFilter, FindValueCellsOptionReachesTheCells) {
    BrazilianSeparators brazil;
    TRLXLSFilter f;
    f.Options = foFindValueCells;
    const auto& s = OnePage(f, {Text(0, 0, 100, 20, "1.234,56"), Text(0, 20, 100, 40, "Total")});
    EXPECT_EQ(RangeWith(s, "1234,56")->ValueKind, vkNumber);
    EXPECT_EQ(RangeWith(s, "Total")->ValueKind, vkText);
    EXPECT_EQ(f.DisplayName, "Planilha Excel");
    EXPECT_EQ(f.DefaultExt, ".xls");
    // The save dialog finds it by the extension typed, whatever its case.
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("relatorio.XLS")), &f);
    EXPECT_EQ(f.DefaultExt, ".xls");
}

// A stored page: text objects with their fonts, alignment and macros; other
// objects and empty texts stay out.
TEST(XlsFilter, ReadsTheTextObjectsOfAStoredPage) {
    TRLGraphicSurface page;
    page.SetWidth(794);
    page.SetHeight(1123);
    page.Macros() << QStringLiteral("Total=12");
    TRLFont title;
    title.Name = QStringLiteral("Times New Roman");
    title.Size = 14;
    title.Style = fsBold | fsUnderline;
    title.Color = {0, 0, 128};
    title.Pitch = TRLFontPitch::fpFixed;
    page.SetFont(title);
    page.TextRect({40, 20, 400, 44}, {42, 22}, QStringLiteral("Relatório"),
                  TRLMetaTextAlignment::mtaCenter, TRLMetaTextLayout::mtlCenter);
    page.Rectangle({0, 0, 794, 60});
    page.SetFont(TRLFont{});
    page.TextRect({40, 60, 200, 76}, {42, 60}, QStringLiteral("Páginas: {Total}"),
                  TRLMetaTextAlignment::mtaRight, TRLMetaTextLayout::mtlBottom);
    page.TextRect({200, 60, 300, 76}, {200, 60}, QString());
    page.FillRect({0, 80, 794, 90});

    const TRLXLSPage texts = XLS::PageTexts(page);
    ASSERT_EQ(texts.Texts.size(), 2u);
    const TRLXLSPageText& t = texts.Texts[0];
    EXPECT_EQ(t.Text, QString::fromUtf8("Relatório"));
    EXPECT_EQ((std::array{t.Left, t.Top, t.Right, t.Bottom}), (std::array{40, 20, 400, 44}));
    EXPECT_EQ(t.Font.Name, "Times New Roman");
    EXPECT_EQ(t.Font.Size, 14);
    EXPECT_EQ(t.Font.Styles, TRLXLSFont::Bold | TRLXLSFont::Underline);
    EXPECT_EQ(t.Font.Color, (TRLXLSColor{0, 0, 128}));
    EXPECT_EQ(t.Font.PitchAndFamily, 1);
    EXPECT_EQ(t.Alignment, 3);
    EXPECT_EQ(t.Layout, 3);
    EXPECT_EQ(texts.Texts[1].Text, QString::fromUtf8("Páginas: 12"));
    EXPECT_EQ(texts.Texts[1].Font.Name, "Arial");

    TRLXLSFilter f;
    f.BeginDoc();
    f.DrawPage(page);
    const auto& s = *f.Workbook().Sheets().at(0);
    ASSERT_EQ(s.Ranges().size(), 2u);
    // Both texts start at x = 40; the empty one at 200 makes no column.
    EXPECT_EQ(s.Cols().size(), 1u);
    ExpectRect(RangeWith(s, QString::fromUtf8("Relatório")), {0, 0, 0, 0});
    EXPECT_EQ(RangeWith(s, QString::fromUtf8("Relatório"))->HorizontalAlignment, 2);
    EXPECT_EQ(RangeWith(s, QString::fromUtf8("Páginas: 12"))->HorizontalAlignment, 3);
    EXPECT_EQ(RangeWith(s, QString::fromUtf8("Páginas: 12"))->VerticalAlignment, 2);
}

} // namespace
