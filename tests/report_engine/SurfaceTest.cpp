// Surface operations the generation relies on: copying bands into pages,
// finding a break line, and macros.
#include "RLMetaFile.h"

#include <gtest/gtest.h>

namespace {

TRLTextObject& TextAt(TRLGraphicSurface& s, int i) {
    return dynamic_cast<TRLTextObject&>(*s.Objects(i));
}

TEST(Surface, NewSurfaceDrawsWithWhiteBrushBlackPenBlackFont) {
    TRLGraphicSurface s;
    EXPECT_EQ(s.Brush().Color, clWhite);
    EXPECT_EQ(s.Brush().Style, TRLMetaBrushStyle::mbsSolid);
    EXPECT_EQ(s.Pen().Color, clBlack);
    EXPECT_EQ(s.Font().Color, clBlack);
    EXPECT_FALSE(s.Opened());
    s.FillRect({0, 0, 1, 1});
    EXPECT_TRUE(s.Opened());
    EXPECT_TRUE(s.Modified());
}

TEST(Surface, CopyAreaAtTheSameSizeMovesObjectsAndKeepsFontSizes) {
    TRLGraphicSurface band;
    band.SetWidth(200);
    band.SetHeight(40);
    TRLFont font;
    font.Name = QStringLiteral("Courier New");
    font.Size = 9;
    band.SetFont(font);
    band.Pen().Width = 2;
    band.TextRect({10, 5, 110, 20}, {12, 5}, QStringLiteral("a"));
    band.Rectangle({0, 0, 200, 2});
    band.FillRect({0, 100, 10, 110}); // outside the copied area

    TRLGraphicSurface page;
    page.SetWidth(794);
    page.SetHeight(1123);
    page.TextOut(0, 0, QStringLiteral("first")); // Arial enters the page's names first
    page.CopyArea({50, 300, 250, 340}, band, {0, 0, 200, 40});
    ASSERT_EQ(page.ObjectCount(), 1 + 1 + 2 + 1);
    EXPECT_EQ(page.Objects(1)->Kind(), TRLGraphicObjectKind::SetClipRect);
    EXPECT_EQ(page.Objects(1)->BoundsRect, (TRect{50, 300, 250, 340}));
    TRLTextObject& text = TextAt(page, 2);
    EXPECT_EQ(text.BoundsRect, (TRect{60, 305, 160, 320}));
    EXPECT_EQ(text.Origin, (TPoint{62, 305}));
    EXPECT_EQ(text.Font.Size, 9);
    EXPECT_EQ(text.Font.Height, -12);
    EXPECT_EQ(text.DisplayFont().Name, QStringLiteral("Courier New"));
    EXPECT_EQ(text.Font.NameIndex, 1);
    EXPECT_EQ(dynamic_cast<TRLRectangleObject&>(*page.Objects(3)).Pen.Width, 2);
    EXPECT_EQ(page.Objects(4)->Kind(), TRLGraphicObjectKind::ResetClipRect);
}

TEST(Surface, CopyAreaScalesCoordinatesPensAndFontsAndShiftsTheSourceArea) {
    TRLGraphicSurface band;
    band.SetWidth(100);
    band.SetHeight(100);
    band.Pen().Width = 1;
    band.TextRect({0, 50, 40, 60}, {0, 50}, QStringLiteral("b")); // 10 pt
    band.Rectangle({10, 60, 30, 70});
    TRLGraphicSurface page;
    // Source rows 50..100 doubled horizontally, halved vertically, at 0,10.
    page.CopyArea({0, 10, 200, 35}, band, {0, 50, 100, 100});
    TRLTextObject& text = TextAt(page, 1);
    // sy = 0.5: dy = 10 - round(50 * 0.5) = -15.
    EXPECT_EQ(text.BoundsRect, (TRect{0, 10, 80, 15}));
    EXPECT_EQ(text.Font.Size, 5);
    auto& rect = dynamic_cast<TRLRectangleObject&>(*page.Objects(2));
    EXPECT_EQ(rect.BoundsRect, (TRect{20, 15, 60, 20}));
    EXPECT_EQ(rect.Pen.Width, 2);
}

TEST(Surface, PasteShiftsEveryObjectWithoutClip) {
    TRLGraphicSurface group;
    group.FillRect({0, 0, 5, 5});
    group.MoveTo(1, 1);
    group.LineTo(4, 1);
    TRLGraphicSurface page;
    page.Paste(100, 200, group);
    ASSERT_EQ(page.ObjectCount(), 2);
    EXPECT_EQ(page.Objects(0)->BoundsRect, (TRect{100, 200, 105, 205}));
    auto& line = dynamic_cast<TRLLineObject&>(*page.Objects(1));
    EXPECT_EQ(line.FromPoint, (TPoint{101, 201}));
    EXPECT_EQ(line.ToPoint, (TPoint{104, 201}));
}

TEST(Surface, FindBreakMovesAboveTextsKeptWhole) {
    TRLGraphicSurface s;
    auto addText = [&s](int top, int bottom, std::uint16_t flags) {
        s.TextRect({0, top, 100, bottom}, {0, top}, QStringLiteral("t"),
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, flags);
    };
    addText(28, 43, 5); // overlaps the next: a cut at 29 climbs twice
    addText(0, 15, 5);
    addText(15, 30, 5);
    addText(50, 65, 1); // may be cut
    struct Case {
        int y;
        int expected;
        bool found;
    };
    const Case cases[] = {{15, 15, true}, {20, 15, true}, {29, 15, true}, {55, 55, true},
                          {10, 0, false}, {0, 0, false},  {45, 45, true}};
    for (const Case& c : cases) {
        const TRLBreakPoint b = s.FindBreak(c.y);
        EXPECT_EQ(b.Y, c.expected) << c.y;
        EXPECT_EQ(b.Found, c.found) << c.y;
    }
}

TEST(Surface, MacrosExpandFromSurfaceThenStorage) {
    auto* storage = new TRLGraphicStorage;
    int owner = 0;
    storage->Link(&owner);
    storage->SetLastPageNumber(12);
    storage->SetTitle(QStringLiteral("Balancete"));
    auto page = std::make_shared<TRLGraphicSurface>();
    page->Macros() << QStringLiteral("Title=Local");
    storage->AddPage(page);
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"P\u00e1g. 3 de {LastPageNumber}", "P\u00e1g. 3 de 12"},
        {"{PageCount}", "{PageCount}"},
        {"{Title}", "Local"},
        {"{lastpagenumber}{LastPageNumber}", "1212"},
        {"{{LastPageNumber}", "{12"},
        {"a {LastPageNumber", "a {LastPageNumber"},
        {"}{", "}{"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(page->ExpandMacros(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    }
    storage->Unlink(&owner);
}

} // namespace
