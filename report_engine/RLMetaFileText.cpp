// Placing and drawing a text object on a device.
#include "RLMetaFile.h"
#include "RLMetaFilePaint.h"
#include "TextMetrics.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace {

// The character height on the device: the stored size in points scaled by
// the vertical factor and the two resolutions, then set at the device's.
int DevicePixelSize(const TRLTextObject& text, const TRLPaintContext& c) {
    const int deviceDpi = c.painter.device() ? c.painter.device()->logicalDpiY() : 96;
    const int canvasPpi = deviceDpi > 0 ? deviceDpi : 96;
    if (text.Font.Size == 0) {
        return std::max(1, RoundHalfEven(std::abs(text.Font.Height) * c.sy));
    }
    const int recordPpi = text.Font.PixelsPerInch != 0 ? text.Font.PixelsPerInch : 96;
    const int points = RoundHalfEven(text.Font.Size * c.sy * recordPpi / canvasPpi);
    return std::max(1, (std::abs(points) * canvasPpi + 36) / 72);
}

// Extra pixels for each character: spaces are widened one pixel at a time,
// from the last space backwards, while the text still fits.
std::vector<int> JustifyExtra(const QString& text, int available, int width) {
    std::vector<int> extra(static_cast<std::size_t>(text.size()), 0);
    std::vector<qsizetype> spaces;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text.at(i) == QLatin1Char(' ')) {
            spaces.push_back(i);
        }
    }
    for (std::size_t k = 0; !spaces.empty() && width < available; ++k) {
        ++extra[static_cast<std::size_t>(spaces[k % spaces.size()])];
        ++width;
    }
    return extra;
}

} // namespace

namespace {

// A page reduced or enlarged on the screen (not on a printer, whose pages
// are laid out at the printer's own resolution).
bool DrawsScaled(const TRLPaintContext& c) {
    const bool printer =
        c.painter.device() != nullptr && c.painter.device()->devType() == QInternal::Printer;
    return !printer && (c.sx != 1.0 || c.sy != 1.0);
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
    int pen = x;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        quint32 glyph = 0;
        int count = 1;
        raw.glyphIndexesForChars(&ch, 1, &glyph, &count);
        glyphs << glyph;
        positions << QPointF(pen, y + ascent);
        pen += TextMetrics::TextWidthAt(font, px, QString(ch)) + extra[static_cast<std::size_t>(i)];
    }
    if (Brush.Style == TRLMetaBrushStyle::mbsSolid) {
        const QRect cell =
            clipped ? QRect(box.Left, box.Top, box.Width(), box.Height()) : QRect(x, y, pen - x, h);
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
        p.fillRect(QRect(x, at, pen - x, thickness), color);
    }
    if (Font.Style & fsStrikeOut) {
        const int at = y + ascent - RoundHalfEven(raw.xHeight() / 2);
        p.fillRect(QRect(x, at, pen - x, thickness), color);
    }
    p.restore();
}
