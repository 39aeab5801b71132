// The operators each kind of drawing object becomes, byte for byte. The page
// is 96 units high, so y = 96 - bottom and every unit is 0.75 point.
#include "PdfContent.h"

#include <gtest/gtest.h>

namespace {

using Pdf::Box;
using Pdf::Rgb;
using Pdf::Stroke;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kWhite{255, 255, 255};

struct ContentTest : ::testing::Test {
    std::string out;
    Pdf::Content content{out, 96};
};

TEST_F(ContentTest, Pixel) {
    content.Pixel(Box{8, 16, 9, 17}, Rgb{255, 0, 128});
    EXPECT_EQ(out, "0 w\r\n0 J\r\n1 0 0.502 rg\r\n6 59.25 0.75 0.75 re\r\nf\r\n");
}

TEST_F(ContentTest, LineWithOnePixelPen) {
    content.Line(Stroke{kBlack, Pdf::kPenSolid, 1}, {0, 0}, {96, 48});
    EXPECT_EQ(out, "0.75 w\r\n0 J\r\n[] 0 d\r\n0 0 0 RG\r\n0 72 m\r\n72 36 l\r\nS\r\n");
}

TEST_F(ContentTest, ClearPenHasWidthZeroNoDashAndStillStrokes) {
    content.Line(Stroke{kGrey, Pdf::kPenClear, 3}, {0, 96}, {4, 96});
    EXPECT_EQ(out, "0 w\r\n0 J\r\n0.502 0.502 0.502 RG\r\n0 0 m\r\n3 0 l\r\nS\r\n");
}

TEST_F(ContentTest, DashLinePerPenStyle) {
    const struct {
        int style;
        const char* dash;
    } cases[] = {
        {Pdf::kPenSolid, "[] 0 d\r\n"},         {Pdf::kPenDash, "[3] 0 d\r\n"},
        {Pdf::kPenDot, "[1] 0 d\r\n"},          {Pdf::kPenDashDot, "[2 1] 0 d\r\n"},
        {Pdf::kPenDashDotDot, "[3 5] 6 d\r\n"}, {Pdf::kPenInsideFrame, "[] 0 d\r\n"},
    };
    for (const auto& c : cases) {
        out.clear();
        content.Line(Stroke{kBlack, c.style, 2}, {0, 0}, {0, 0});
        EXPECT_EQ(out, std::string("1.5 w\r\n0 J\r\n") + c.dash +
                           "0 0 0 RG\r\n0 72 m\r\n0 72 l\r\nS\r\n")
            << c.style;
    }
}

TEST_F(ContentTest, RectangleIsFilledNeverStroked) {
    content.Rectangle(Stroke{kBlack, Pdf::kPenSolid, 1}, kGrey, Box{4, 8, 12, 24});
    EXPECT_EQ(out, "0.75 w\r\n0 J\r\n[] 0 d\r\n0 0 0 RG\r\n0.502 0.502 0.502 rg\r\n"
                   "3 54 6 12 re\r\nf\r\n");
}

TEST_F(ContentTest, ClearBrushFillsNothing) {
    // A frame drawn over texts with a clear brush must leave them visible.
    const Stroke pen{kBlack, Pdf::kPenSolid, 1};
    content.Rectangle(pen, kWhite, Box{4, 8, 12, 24}, false);
    EXPECT_EQ(out, "0.75 w\r\n0 J\r\n[] 0 d\r\n0 0 0 RG\r\n1 1 1 rg\r\n3 54 6 12 re\r\nn\r\n");
    out.clear();
    content.FillRect(kWhite, Box{0, 0, 96, 96}, false);
    EXPECT_EQ(out, "0 w\r\n1 1 1 rg\r\n0 0 72 72 re\r\nn\r\n");
    out.clear();
    content.Polygon(pen, kWhite, {{0, 96}, {96, 96}, {48, 0}}, false);
    EXPECT_EQ(out.substr(out.size() - 13), "36 72 l \r\ns\r\n");
    out.clear();
    content.Ellipse(pen, kWhite, Box{0, 0, 96, 48}, false);
    EXPECT_EQ(out.substr(out.size() - 6), " l s\r\n");
}

TEST_F(ContentTest, FillRect) {
    content.FillRect(kWhite, Box{0, 0, 96, 96});
    EXPECT_EQ(out, "0 w\r\n1 1 1 rg\r\n0 0 72 72 re\r\nf\r\n");
}

TEST_F(ContentTest, EllipseIsOneLineOf36Points) {
    content.Ellipse(Stroke{kBlack, Pdf::kPenSolid, 1}, kWhite, Box{0, 0, 96, 48});
    const std::string head = "0.75 w\r\n0 J\r\n[] 0 d\r\n0 0 0 RG\r\n1 1 1 rg\r\n";
    ASSERT_EQ(out.compare(0, head.size(), head), 0) << out;
    const std::string path = out.substr(head.size());
    // The centre is (48, 24) -> (36, 54) points; radii 36 and 18 points. The
    // first point is on the right, the tenth straight below the centre.
    EXPECT_EQ(path.rfind("72 54 m 71.4531 50.8743 l ", 0), 0u) << path;
    EXPECT_NE(path.find(" l 36 36 l "), std::string::npos) << path;
    EXPECT_EQ(path.substr(path.size() - 6), " l b\r\n");
    EXPECT_EQ(std::count(path.begin(), path.end(), '\n'), 1);
    size_t points = 0;
    for (size_t at = path.find(" l "); at != std::string::npos; at = path.find(" l ", at + 1)) {
        ++points;
    }
    EXPECT_EQ(points, 35u);
}

TEST_F(ContentTest, PolygonAndPolylineLinesEndWithASpace) {
    const std::vector<Pdf::Point> pts{{0, 96}, {96, 96}, {48, 0}};
    content.Polygon(Stroke{kBlack, Pdf::kPenDot, 0}, kWhite, pts);
    EXPECT_EQ(out, "0 w\r\n0 J\r\n[1] 0 d\r\n0 0 0 RG\r\n1 1 1 rg\r\n"
                   "0 0 m \r\n72 0 l \r\n36 72 l \r\nb\r\n");
    out.clear();
    content.Polyline(Stroke{kBlack, Pdf::kPenSolid, 1}, pts);
    EXPECT_EQ(out, "0.75 w\r\n0 J\r\n[] 0 d\r\n0 0 0 RG\r\n"
                   "0 0 m \r\n72 0 l \r\n36 72 l \r\nS\r\n");
}

TEST_F(ContentTest, ImageIsScaledIntoItsBox) {
    content.Image(Box{16, 8, 48, 40}, 3);
    EXPECT_EQ(out, "q\r\n1 0 0 1 12 42 cm\r\n24 0 0 24 0 0 cm\r\n/Image3 Do\r\nQ\r\n");
}

TEST_F(ContentTest, ClipRectangle) {
    content.SetClip(Box{0, 0, 48, 48});
    content.ResetClip();
    EXPECT_EQ(out, "q\r\n0 36 36 36 re\r\nW n\r\nQ\r\n");
}

TEST_F(ContentTest, TextClippedAndUnclipped) {
    Pdf::Content::Text text;
    text.color = Rgb{0, 0, 255};
    text.bounds = Box{10, 20, 90, 40};
    text.x = 10;
    text.baseline = 37;
    text.fontIndex = 2;
    text.fontSize = 9;
    text.bytes = "(R$ 1.234,50)";
    content.DrawText(text);
    EXPECT_EQ(out, "q\r\n0 0 1 rg\r\n7.5 42 60 15 re\r\nW n\r\nBT\r\n/F2 9 Tf\r\n"
                   "7.5 44.25 Td\r\n(\\(R$ 1.234,50\\)) Tj\r\nET\r\nQ\r\n");
    out.clear();
    text.clip = false;
    text.x = 45.5;
    content.DrawText(text);
    EXPECT_EQ(out, "q\r\n0 0 1 rg\r\nBT\r\n/F2 9 Tf\r\n34.125 44.25 Td\r\n"
                   "(\\(R$ 1.234,50\\)) Tj\r\nET\r\nQ\r\n");
}

} // namespace
