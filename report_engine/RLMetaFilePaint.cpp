// Playing a surface's objects on a painter, scaled into a rectangle.
#include "RLMetaFilePaint.h"
#include "RLMetaFile.h"
#include "TextMetrics.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <map>
#include <mutex>

namespace {

QColor ToQColor(TRLColor c) {
    return QColor(c.Red, c.Green, c.Blue);
}

QPainter::CompositionMode ToComposition(TRLMetaPenMode mode) {
    using M = QPainter::CompositionMode;
    switch (mode) {
    case TRLMetaPenMode::mpmBlack:
    case TRLMetaPenMode::mpmWhite:
    case TRLMetaPenMode::mpmCopy:
        return M::CompositionMode_SourceOver;
    case TRLMetaPenMode::mpmNop:
        return M::CompositionMode_Destination;
    case TRLMetaPenMode::mpmNot:
        return M::RasterOp_NotDestination;
    case TRLMetaPenMode::mpmNotCopy:
        return M::RasterOp_NotSource;
    case TRLMetaPenMode::mpmMergePenNot:
        return M::RasterOp_SourceOrNotDestination;
    case TRLMetaPenMode::mpmMaskPenNot:
        return M::RasterOp_SourceAndNotDestination;
    case TRLMetaPenMode::mpmMergeNotPen:
        return M::RasterOp_NotSourceOrDestination;
    case TRLMetaPenMode::mpmMaskNotPen:
        return M::RasterOp_NotSourceAndDestination;
    case TRLMetaPenMode::mpmMerge:
        return M::RasterOp_SourceOrDestination;
    case TRLMetaPenMode::mpmNotMerge:
        return M::RasterOp_NotSourceAndNotDestination;
    case TRLMetaPenMode::mpmMask:
        return M::RasterOp_SourceAndDestination;
    case TRLMetaPenMode::mpmNotMask:
        return M::RasterOp_NotSourceOrNotDestination;
    case TRLMetaPenMode::mpmXor:
        return M::RasterOp_SourceXorDestination;
    case TRLMetaPenMode::mpmNotXor:
        return M::RasterOp_NotSourceXorDestination;
    }
    return M::CompositionMode_SourceOver;
}

Qt::BrushStyle ToBrushStyle(TRLMetaBrushStyle style) {
    switch (style) {
    case TRLMetaBrushStyle::mbsSolid:
        return Qt::SolidPattern;
    case TRLMetaBrushStyle::mbsClear:
        return Qt::NoBrush;
    case TRLMetaBrushStyle::mbsHorizontal:
        return Qt::HorPattern;
    case TRLMetaBrushStyle::mbsVertical:
        return Qt::VerPattern;
    case TRLMetaBrushStyle::mbsFDiagonal:
        return Qt::FDiagPattern;
    case TRLMetaBrushStyle::mbsBDiagonal:
        return Qt::BDiagPattern;
    case TRLMetaBrushStyle::mbsCross:
        return Qt::CrossPattern;
    case TRLMetaBrushStyle::mbsDiagCross:
        return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

QBrush ToQBrush(const TRLMetaBrush& brush) {
    return QBrush(ToQColor(brush.Color), ToBrushStyle(brush.Style));
}

// Dash and gap lengths of the wide dashed styles, in pen widths before the
// fourfold stretch.
QList<qreal> DashPattern(TRLMetaPenStyle style) {
    switch (style) {
    case TRLMetaPenStyle::mpsDash:
        return {3, 1};
    case TRLMetaPenStyle::mpsDot:
        return {1, 1};
    case TRLMetaPenStyle::mpsDashDot:
        return {3, 1, 1, 1};
    case TRLMetaPenStyle::mpsDashDotDot:
        return {3, 1, 1, 1, 1, 1};
    default:
        return {};
    }
}

bool IsDashed(TRLMetaPenStyle style) {
    return !DashPattern(style).isEmpty();
}

// The pen on the device: widths of 2 or more follow the horizontal scale.
QPen ToQPen(const TRLMetaPen& pen, double sx) {
    TRLColor color = pen.Color;
    if (pen.Mode == TRLMetaPenMode::mpmBlack) {
        color = clBlack;
    } else if (pen.Mode == TRLMetaPenMode::mpmWhite) {
        color = clWhite;
    }
    const int width =
        pen.Width >= 2 ? std::clamp(RoundHalfEven(pen.Width * sx), 1, kMaxPageCoordinate) : 1;
    QPen q(ToQColor(color), width);
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    switch (pen.Style) {
    case TRLMetaPenStyle::mpsClear:
        q.setStyle(Qt::NoPen);
        break;
    case TRLMetaPenStyle::mpsSolid:
    case TRLMetaPenStyle::mpsInsideFrame:
        break;
    default:
        if (width > 1) {
            QList<qreal> pattern = DashPattern(pen.Style);
            for (qreal& v : pattern) {
                v *= 4;
            }
            q.setDashPattern(pattern);
        } else {
            q.setDashPattern(DashPattern(pen.Style));
        }
    }
    return q;
}

// Applies the pen's raster mode for the lifetime of the guard.
class ModeGuard {
public:
    ModeGuard(QPainter& p, TRLMetaPenMode mode) : p_(p) {
        p_.setCompositionMode(ToComposition(mode));
    }
    ~ModeGuard() { p_.setCompositionMode(QPainter::CompositionMode_SourceOver); }
    ModeGuard(const ModeGuard&) = delete;
    ModeGuard& operator=(const ModeGuard&) = delete;

private:
    QPainter& p_;
};

// A box on the device, at least one pixel wide and high.
QRect DeviceBox(const TRLPaintContext& c, const TRect& r) {
    const TRect d = c.Map(r);
    return QRect(d.Left, d.Top, std::max(1, d.Width()), std::max(1, d.Height()));
}

// Outline and fill of a rectangle or ellipse the way the reports expect:
// the outline inside the box, the box filled with the brush.
void PaintShape(TRLPaintContext& c, const TRect& r, const TRLMetaPen& pen,
                const TRLMetaBrush& brush, bool ellipse) {
    QPainter& p = c.painter;
    const QRect box = DeviceBox(c, r);
    ModeGuard mode(p, pen.Mode);
    QPen q = ToQPen(pen, c.sx);
    const int inset = q.style() == Qt::NoPen ? 0 : q.width();
    const QRectF outline =
        QRectF(box).adjusted(inset / 2.0, inset / 2.0, -inset / 2.0, -inset / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(ToQBrush(brush));
    if (ellipse) {
        p.drawEllipse(QRectF(box));
    } else if (brush.Style != TRLMetaBrushStyle::mbsClear) {
        p.fillRect(box, ToQBrush(brush));
    }
    if (q.style() != Qt::NoPen) {
        p.setPen(q);
        p.setBrush(Qt::NoBrush);
        if (ellipse) {
            p.drawEllipse(outline);
        } else {
            p.drawRect(outline);
        }
    }
}

} // namespace

TRLPaintContext::TRLPaintContext(QPainter& p, const TRLGraphicSurface& s, const TRect& r)
    : painter(p), surface(s), rect(r) {
    sx = s.Width() != 0 ? double(r.Width()) / s.Width() : 1.0;
    sy = s.Height() != 0 ? double(r.Height()) / s.Height() : 1.0;
    clip = r;
}

// Cut to the coordinate limit: a page much smaller than the rectangle it is
// painted into scales its far positions beyond any device.
int TRLPaintContext::X(int x) const {
    return ClampCoordinate(static_cast<long long>(rect.Left) + RoundHalfEven(x * sx));
}

int TRLPaintContext::Y(int y) const {
    return ClampCoordinate(static_cast<long long>(rect.Top) + RoundHalfEven(y * sy));
}

TRect TRLPaintContext::Map(const TRect& r) const {
    return {X(r.Left), Y(r.Top), X(r.Right), Y(r.Bottom)};
}

void TRLPaintContext::ApplyClip() {
    painter.setClipRect(QRect(clip.Left, clip.Top, clip.Width(), clip.Height()));
}

namespace {

// A raw font that the printing layer can embed as a font. A raw font made
// from the file's bytes has no file behind it, and a PDF or print job then
// gets every glyph as an outline: right on paper, but no text to find or
// copy, and many times the size. The same face registered with the font
// database has its file, so printers get real text.
QRawFont EmbeddableRawFont(const TRLFont& font, int pixelSize) {
    static std::mutex mutex;
    static std::map<QString, QString> families;
    const QString path = TextMetrics::FontFilePath(font.Name, font.Style);
    QString family;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = families.find(path);
        if (it == families.end()) {
            const int id = QFontDatabase::addApplicationFont(path);
            const QStringList names = QFontDatabase::applicationFontFamilies(id);
            it = families.emplace(path, names.value(0)).first;
        }
        family = it->second;
    }
    if (family.isEmpty()) {
        return {};
    }
    QFont qfont(family);
    qfont.setPixelSize(pixelSize);
    qfont.setBold((font.Style & fsBold) != 0);
    qfont.setItalic((font.Style & fsItalic) != 0);
    qfont.setKerning(false);
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setStyleStrategy(QFont::NoFontMerging);
    return QRawFont::fromFont(qfont);
}

// Reports use a handful of faces and sizes per device.
constexpr std::size_t kMaxRawFonts = 64;

// A raw font made from the file's bytes asks the font configuration about
// the face each time, which is most of the cost of a text in a size not
// drawn before; a page from a file may hold a new size in every text. The
// face is read once per thread and each size is made from it.
QRawFont FaceAtSize(const TRLFont& font, int pixelSize) {
    thread_local std::map<QString, QRawFont> faces;
    const QString path = TextMetrics::FontFilePath(font.Name, font.Style);
    auto it = faces.find(path);
    if (it == faces.end()) {
        it = faces
                 .emplace(path, QRawFont(TextMetrics::FontFileData(font.Name, font.Style),
                                         pixelSize, QFont::PreferNoHinting))
                 .first;
    }
    QRawFont raw = it->second;
    raw.setPixelSize(pixelSize);
    return raw;
}

} // namespace

QRawFont TRLPaintContext::RawFont(const TRLFont& font, int pixelSize) {
    const bool printer =
        painter.device() != nullptr && painter.device()->devType() == QInternal::Printer;
    const QString key = TextMetrics::FontFilePath(font.Name, font.Style) + QLatin1Char('@') +
                        QString::number(pixelSize) + (printer ? QStringLiteral("p") : QString());
    // Kept per thread for the life of the thread: a raw font made afresh for
    // every page would also rasterise its glyphs afresh for every page.
    // (QRawFont is not to be shared between threads.)
    thread_local std::map<QString, QRawFont> fonts;
    auto it = fonts.find(key);
    if (it == fonts.end() && fonts.size() >= kMaxRawFonts) {
        fonts.clear(); // sizes from a damaged page must not pile up fonts
    }
    if (it == fonts.end()) {
        QRawFont raw = printer ? EmbeddableRawFont(font, pixelSize) : QRawFont();
        if (!raw.isValid()) {
            raw = FaceAtSize(font, pixelSize);
        }
        it = fonts.emplace(key, raw).first;
    }
    return it->second;
}

void TRLPixelObject::Paint(TRLPaintContext& c) const {
    c.painter.fillRect(DeviceBox(c, BoundsRect), ToQColor(Color));
}

void TRLLineObject::Paint(TRLPaintContext& c) const {
    QPainter& p = c.painter;
    ModeGuard mode(p, Pen.Mode);
    const QPen q = ToQPen(Pen, c.sx);
    const QLineF line(c.X(FromPoint.X) + 0.5, c.Y(FromPoint.Y) + 0.5, c.X(ToPoint.X) + 0.5,
                      c.Y(ToPoint.Y) + 0.5);
    if (q.width() > 1 && IsDashed(Pen.Style) && Brush.Style != TRLMetaBrushStyle::mbsClear) {
        QPen background(ToQColor(Brush.Color), q.width());
        background.setCapStyle(Qt::FlatCap);
        p.setPen(background);
        p.drawLine(line);
    }
    p.setPen(q);
    p.drawLine(line);
}

void TRLRectangleObject::Paint(TRLPaintContext& c) const {
    PaintShape(c, BoundsRect, Pen, Brush, false);
}

void TRLEllipseObject::Paint(TRLPaintContext& c) const {
    PaintShape(c, BoundsRect, Pen, Brush, true);
}

void TRLFillRectObject::Paint(TRLPaintContext& c) const {
    c.painter.fillRect(DeviceBox(c, BoundsRect), ToQBrush(Brush));
}

void TRLPolygonObject::Paint(TRLPaintContext& c) const {
    QPolygon polygon;
    for (const TPoint& pt : Points) {
        polygon << QPoint(c.X(pt.X), c.Y(pt.Y));
    }
    ModeGuard mode(c.painter, Pen.Mode);
    c.painter.setPen(ToQPen(Pen, c.sx));
    c.painter.setBrush(ToQBrush(Brush));
    c.painter.drawPolygon(polygon);
}

void TRLPolylineObject::Paint(TRLPaintContext& c) const {
    QPolygon polygon;
    for (const TPoint& pt : Points) {
        polygon << QPoint(c.X(pt.X), c.Y(pt.Y));
    }
    ModeGuard mode(c.painter, Pen.Mode);
    c.painter.setPen(ToQPen(Pen, c.sx));
    c.painter.setBrush(Qt::NoBrush);
    c.painter.drawPolyline(polygon);
}

void TRLImageObject::Paint(TRLPaintContext& c) const {
    const QImage image = Picture();
    if (image.isNull()) {
        return;
    }
    QRect box = DeviceBox(c, BoundsRect);
    if (WholeWidth) {
        const int tile = std::max(1, RoundHalfEven(image.width() * c.sx));
        box.setWidth(std::max(1, box.width() / tile) * tile + 1);
    }
    c.painter.drawImage(box, image);
}

void TRLSetClipRectObject::Paint(TRLPaintContext& c) const {
    c.clipStack.push_back(c.clip);
    const TRect r = c.Map(BoundsRect);
    // An empty rectangle lifts the clip back to the page's own rectangle.
    c.clip = r.IsEmpty() ? c.rect : r;
    c.ApplyClip();
}

void TRLResetClipRectObject::Paint(TRLPaintContext& c) const {
    if (!c.clipStack.empty()) {
        c.clip = c.clipStack.back();
        c.clipStack.pop_back();
    }
    c.ApplyClip();
}

void TRLGraphicSurface::PaintTo(QPainter& painter, const TRect& rect) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    TRLPaintContext context(painter, *this, rect);
    context.ApplyClip();
    for (const auto& object : objects_) {
        object->Paint(context);
    }
    painter.restore();
}
