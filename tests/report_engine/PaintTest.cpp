// Playing every object kind onto a small image, checked at a few pixels.
#include "RLMetaFile.h"
#include "TextMetrics.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

QImage Paint(const TRLGraphicSurface& s, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    s.PaintTo(p, {0, 0, width, height});
    return image;
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

void Size(TRLGraphicSurface& s, int w, int h) {
    s.SetWidth(w);
    s.SetHeight(h);
}

TEST(Paint, ShapesLandOnTheirPixels) {
    TRLGraphicSurface s;
    Size(s, 100, 60);
    s.SetPixel(5, 5, clRed);
    s.Brush().Color = clBlue;
    s.FillRect({10, 10, 20, 20});
    s.Brush().Style = TRLMetaBrushStyle::mbsClear;
    s.Rectangle({30, 10, 40, 20});
    s.Brush() = TRLMetaBrush{clRed, TRLMetaBrushStyle::mbsSolid};
    s.Pen().Style = TRLMetaPenStyle::mpsClear;
    s.Ellipse({50, 10, 70, 30});
    s.Pen().Style = TRLMetaPenStyle::mpsSolid;
    s.MoveTo(0, 40);
    s.LineTo(20, 40);
    s.Brush().Color = clLime;
    s.Polygon({{30, 35}, {50, 35}, {30, 55}});
    s.Polyline({{60, 40}, {80, 40}, {80, 55}});
    const QImage image = Paint(s, 100, 60);

    EXPECT_EQ(At(image, 5, 5), QColor(Qt::red));
    EXPECT_EQ(At(image, 15, 15), QColor(Qt::blue));
    EXPECT_EQ(At(image, 10, 10), QColor(Qt::blue));
    EXPECT_EQ(At(image, 20, 20), QColor(Qt::white)) << "right and bottom are exclusive";
    EXPECT_EQ(At(image, 30, 15), QColor(Qt::black));
    EXPECT_EQ(At(image, 39, 15), QColor(Qt::black));
    EXPECT_EQ(At(image, 35, 15), QColor(Qt::white)) << "clear brush";
    EXPECT_EQ(At(image, 40, 15), QColor(Qt::white));
    EXPECT_EQ(At(image, 60, 20), QColor(Qt::red));
    EXPECT_EQ(At(image, 50, 10), QColor(Qt::white)) << "outside the ellipse";
    EXPECT_EQ(At(image, 10, 40), QColor(Qt::black));
    EXPECT_EQ(At(image, 34, 39), QColor(Qt::green));
    EXPECT_EQ(At(image, 70, 40), QColor(Qt::black));
    EXPECT_EQ(At(image, 80, 50), QColor(Qt::black));
    EXPECT_EQ(At(image, 70, 50), QColor(Qt::white)) << "a polyline is not filled";
}

TEST(Paint, ImagesStretchIntoTheirBoxAndNilDrawsNothing) {
    TRLGraphicSurface s;
    Size(s, 40, 20);
    QImage blue(2, 2, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    s.StretchDraw({0, 0, 10, 10}, blue);
    s.StretchDraw({20, 0, 30, 10}, QImage());
    const QImage image = Paint(s, 40, 20);
    EXPECT_EQ(At(image, 9, 9), QColor(Qt::blue));
    EXPECT_EQ(At(image, 10, 10), QColor(Qt::white));
    EXPECT_EQ(At(image, 25, 5), QColor(Qt::white));
}

TEST(Paint, ClipObjectsRestrictUntilReset) {
    TRLGraphicSurface s;
    Size(s, 40, 20);
    s.SetClipRect({0, 0, 10, 20});
    s.Brush().Color = clBlue;
    s.FillRect({0, 0, 40, 10});
    s.ResetClipRect();
    s.FillRect({0, 10, 40, 20});
    const QImage image = Paint(s, 40, 20);
    EXPECT_EQ(At(image, 5, 5), QColor(Qt::blue));
    EXPECT_EQ(At(image, 20, 5), QColor(Qt::white));
    EXPECT_EQ(At(image, 20, 15), QColor(Qt::blue));
}

TEST(Paint, DrawingScalesIntoTheTargetRectangle) {
    TRLGraphicSurface s;
    Size(s, 50, 30);
    s.Brush().Color = clBlue;
    s.FillRect({10, 10, 20, 20});
    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    s.PaintTo(p, {100, 60, 200, 120}); // twice the size, at 100,60
    p.end();
    EXPECT_EQ(At(image, 120, 80), QColor(Qt::blue));
    EXPECT_EQ(At(image, 139, 99), QColor(Qt::blue));
    EXPECT_EQ(At(image, 140, 100), QColor(Qt::white));
    EXPECT_EQ(At(image, 119, 79), QColor(Qt::white));
}

TEST(Paint, TextIsPlacedInItsBoxAndClipped) {
    TRLGraphicSurface s;
    Size(s, 200, 60);
    TRLFont font;
    font.Size = 20;
    s.SetFont(font);
    s.Brush().Style = TRLMetaBrushStyle::mbsClear;
    const TRect box{0, 0, 150, 30};
    s.TextRect(box, {0, 0}, QStringLiteral("WWW"), TRLMetaTextAlignment::mtaRight);
    // Clipped: only the left part of a long text shows inside 20 pixels.
    s.TextRect({0, 30, 20, 60}, {0, 30}, QStringLiteral("WWWWWW"), TRLMetaTextAlignment::mtaLeft,
               TRLMetaTextLayout::mtlTop, 4);
    const QImage image = Paint(s, 200, 60);
    int rightmost = -1;
    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 30; ++y) {
            if (Dark(image, x, y)) {
                rightmost = x;
            }
        }
    }
    // Right-aligned text ends half a space before the box's right edge.
    const int half = TextMetrics::HalfSpace(font);
    EXPECT_LE(rightmost, box.Right - half);
    EXPECT_GT(rightmost, box.Right - half - 4);
    for (int y = 30; y < 60; ++y) {
        for (int x = 20; x < 200; ++x) {
            ASSERT_FALSE(Dark(image, x, y)) << x << "," << y;
        }
    }
    bool inside = false;
    for (int y = 30; y < 60 && !inside; ++y) {
        for (int x = 0; x < 20 && !inside; ++x) {
            inside = Dark(image, x, y);
        }
    }
    EXPECT_TRUE(inside);
}

// The horizontal extent of the dark pixels in a band of rows.
std::pair<int, int> InkExtent(const QImage& image, int top, int bottom) {
    int left = image.width();
    int right = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (Dark(image, x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

// A reduced page keeps each text's width relative to the page, whatever
// its size: an 8-point text followed by a 9-point one on the same line
// must not run into it, and its underline still shows.
TEST(Paint, ReducedTextsKeepTheirWidthRelativeToThePage) {
    TRLGraphicSurface s;
    Size(s, 700, 40);
    TRLFont font;
    font.Size = 8;
    font.Style = fsUnderline;
    s.SetFont(font);
    s.Brush().Style = TRLMetaBrushStyle::mbsClear;
    const QString text = QStringLiteral("Balancete Detalhado por Conta - Balancete Detalhado");
    s.TextRect({0, 0, 700, 40}, {0, 0}, text, TRLMetaTextAlignment::mtaLeft);
    const int full = InkExtent(Paint(s, 700, 40), 0, 40).second;
    for (const double zoom : {0.59, 0.53, 0.85}) {
        SCOPED_TRACE(zoom);
        const int w = RoundHalfEven(700 * zoom);
        const int h = RoundHalfEven(40 * zoom);
        const QImage reduced = Paint(s, w, h);
        const int right = InkExtent(reduced, 0, h).second;
        EXPECT_NEAR(right, full * zoom, 3.0);
        // The underline: one row dark across most of the text.
        int longest = 0;
        for (int y = 0; y < h; ++y) {
            int run = 0;
            for (int x = 0; x < w; ++x) {
                run = Dark(reduced, x, y) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        EXPECT_GT(longest, right * 3 / 4);
    }
}

TEST(Paint, MacrosAreExpandedWhenDrawn) {
    TRLGraphicSurface withMacro;
    Size(withMacro, 100, 20);
    withMacro.Macros() << QStringLiteral("Total=12");
    withMacro.TextRect({0, 0, 100, 20}, {0, 0}, QStringLiteral("de {Total}"));
    TRLGraphicSurface plain;
    Size(plain, 100, 20);
    plain.TextRect({0, 0, 100, 20}, {0, 0}, QStringLiteral("de 12"));
    TRLGraphicSurface other;
    Size(other, 100, 20);
    other.TextRect({0, 0, 100, 20}, {0, 0}, QStringLiteral("de 13"));
    EXPECT_EQ(Paint(withMacro, 100, 20), Paint(plain, 100, 20));
    EXPECT_NE(Paint(other, 100, 20), Paint(plain, 100, 20));
}

TEST(Paint, PaintingLeavesTheSurfaceUnchanged) {
    TRLGraphicSurface s;
    Size(s, 40, 20);
    s.SetClipRect({0, 0, 5, 5});
    s.FillRect({0, 0, 40, 20});
    s.SetModified(false);
    const QByteArray before = s.SaveToBytes();
    Paint(s, 40, 20);
    EXPECT_EQ(s.SaveToBytes(), before);
    EXPECT_FALSE(s.Modified());
    EXPECT_EQ(s.ClipRect(), (TRect{0, 0, 5, 5}));
}

} // namespace
