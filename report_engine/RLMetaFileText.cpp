// Placing and drawing a text object on a device.
#include "RLMetaFile.h"
#include "RLMetaFilePaint.h"
#include "TextMetrics.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace {

// Characters larger than this are drawn at this size: no device shows
// more of a glyph, and a glyph is rasterised at the size asked for.
constexpr int kMaxDevicePixelSize = 1 << 14;

// A page's own resolution: its coordinates and every text measurement are
// pixels at 96 per inch.
constexpr int kPagePixelsPerInch = 96;

bool OnPrinter(const TRLPaintContext& c) {
    return c.painter.device() != nullptr && c.painter.device()->devType() == QInternal::Printer;
}

// The resolution a text is set at. A printer lays the page out at its own
// resolution: its rectangle is the page scaled by that resolution over the
// page's. Everything else (the preview, page images, a copied page) paints
// in the page's own pixels, at the page's size or scaled by the painter,
// whatever resolution the device reports: a page image at 300 dpi or a
// screen set to 120 per inch would otherwise round each size to its own
// whole points, and the painter's scale would then make every text larger
// or smaller than the room the page gave it.
int CanvasPixelsPerInch(const TRLPaintContext& c) {
    if (!OnPrinter(c)) {
        return kPagePixelsPerInch;
    }
    const int dpi = c.painter.device()->logicalDpiY();
    return dpi > 0 ? dpi : kPagePixelsPerInch;
}

// The character height on the device: the stored size in points scaled by
// the vertical factor and the two resolutions, then set at the canvas's.
int DevicePixelSize(const TRLTextObject& text, const TRLPaintContext& c) {
    const int canvasPpi = CanvasPixelsPerInch(c);
    if (text.Font.Size == 0) {
        const int px = RoundHalfEven(std::llabs(text.Font.Height) * c.sy);
        return std::clamp(px, 1, kMaxDevicePixelSize);
    }
    const int recordPpi = text.Font.PixelsPerInch != 0 ? text.Font.PixelsPerInch : 96;
    const int points = RoundHalfEven(text.Font.Size * c.sy * recordPpi / canvasPpi);
    const long long px = (std::llabs(points) * canvasPpi + 36) / 72;
    return static_cast<int>(std::clamp<long long>(px, 1, kMaxDevicePixelSize));
}

} // namespace

std::vector<int> JustifyExtra(const QString& text, int available, int width) {
    std::vector<int> extra(static_cast<std::size_t>(text.size()), 0);
    std::vector<qsizetype> spaces;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text.at(i) == QLatin1Char(' ')) {
            spaces.push_back(i);
        }
    }
    if (spaces.empty() || width >= available) {
        return extra;
    }
    // Widening one pixel at a time round the spaces gives each space the
    // same share and the first ones (from the end) one pixel more: worked
    // out at once, so the cost follows the text and not the box's width.
    const long long need = static_cast<long long>(available) - width;
    const auto count = static_cast<long long>(spaces.size());
    for (long long k = 0; k < count; ++k) {
        extra[static_cast<std::size_t>(spaces[static_cast<std::size_t>(k)])] =
            static_cast<int>(need / count + (k < need % count ? 1 : 0));
    }
    return extra;
}

namespace {

// A page reduced or enlarged on the screen or in an image (not on a
// printer, whose pages are laid out at the printer's own resolution).
bool DrawsScaled(const TRLPaintContext& c) {
    return !OnPrinter(c) && (c.sx != 1.0 || c.sy != 1.0);
}

// The thinnest underline, in page pixels, that still covers one pixel of
// the device when the painter reduces the page.
int MinimumLine(const QPainter& p) {
    const double scale = std::abs(p.transform().m22());
    return scale > 0.0 && scale < 1.0 ? static_cast<int>(std::ceil(1.0 / scale)) : 1;
}

} // namespace

void TRLTextObject::Paint(TRLPaintContext& c) const {
    if (DrawsScaled(c)) {
        // Laid out at the page's own size and scaled by the painter, a text
        // keeps its width relative to the page at every zoom; a font size
        // rounded to whole device pixels would make it wider or narrower
        // than its neighbours and run it into them.
        QPainter& p = c.painter;
        p.save();
        p.translate(c.rect.Left, c.rect.Top);
        p.scale(c.sx, c.sy);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        TRLPaintContext page(p, c.surface, {0, 0, c.surface.Width(), c.surface.Height()});
        Paint(page);
        p.restore();
        return;
    }
    const TRLFont font = DisplayFont();
    const int px = DevicePixelSize(*this, c);
    const QString text = c.surface.ExpandMacros(Text);
    const TRect box = c.Map(BoundsRect);
    const int w = TextMetrics::TextWidthAt(font, px, text + QLatin1Char(' '));
    const int ascent = TextMetrics::AscentAt(font, px);
    const int h = ascent + TextMetrics::DescentAt(font, px);
    int x = TextMetrics::TextWidthAt(font, px, QStringLiteral(" ")) / 2;
    switch (Alignment) {
    case TRLMetaTextAlignment::mtaRight:
        x += box.Right - w;
        break;
    case TRLMetaTextAlignment::mtaCenter:
        x += (box.Left + box.Right - w) / 2;
        break;
    default:
        x += c.X(Origin.X);
    }
    int y = c.Y(Origin.Y);
    if (Layout == TRLMetaTextLayout::mtlBottom) {
        y = box.Bottom - h;
    } else if (Layout == TRLMetaTextLayout::mtlCenter) {
        y = (box.Top + box.Bottom - h) / 2;
    }
    std::vector<int> extra(static_cast<std::size_t>(text.size()), 0);
    if (Alignment == TRLMetaTextAlignment::mtaJustify) {
        extra = JustifyExtra(text, box.Right - x, w);
    }

    QPainter& p = c.painter;
    p.save();
    const bool clipped = (TextFlags & MetaTextFlagAutoSize) == 0;
    if (clipped) {
        p.setClipRect(QRect(box.Left, box.Top, box.Width(), box.Height()), Qt::IntersectClip);
    }
    const QRawFont raw = c.RawFont(font, px);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    // Wide: a long text at a large size runs past an int; its far end is
    // off the device and is cut to the coordinate limit below.
    long long pen = x;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        quint32 glyph = 0;
        int count = 1;
        raw.glyphIndexesForChars(&ch, 1, &glyph, &count);
        glyphs << glyph;
        positions << QPointF(static_cast<qreal>(pen), y + ascent);
        pen += TextMetrics::TextWidthAt(font, px, QString(ch)) + extra[static_cast<std::size_t>(i)];
    }
    const int end = ClampCoordinate(pen);
    if (Brush.Style == TRLMetaBrushStyle::mbsSolid) {
        const QRect cell =
            clipped ? QRect(box.Left, box.Top, box.Width(), box.Height()) : QRect(x, y, end - x, h);
        p.fillRect(cell, QColor(Brush.Color.Red, Brush.Color.Green, Brush.Color.Blue));
    }
    const QColor color(Font.Color.Red, Font.Color.Green, Font.Color.Blue);
    if (!glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p.setPen(color);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    const int thickness = std::max(MinimumLine(p), RoundHalfEven(raw.lineThickness()));
    if (Font.Style & fsUnderline) {
        const int at = y + ascent + std::max(1, RoundHalfEven(raw.underlinePosition()));
        p.fillRect(QRect(x, at, end - x, thickness), color);
    }
    if (Font.Style & fsStrikeOut) {
        const int at = y + ascent - RoundHalfEven(raw.xHeight() / 2);
        p.fillRect(QRect(x, at, end - x, thickness), color);
    }
    p.restore();
}
