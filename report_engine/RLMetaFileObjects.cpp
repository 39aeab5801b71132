// The graphic object kinds: their stored fields and how CopyArea moves them.
#include "RLMetaFile.h"
#include "RLMetaFileStream.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <atomic>

namespace {

void WritePen(TRLStreamWriter& out, const TRLMetaPen& pen) {
    out.Color(pen.Color);
    out.Byte(static_cast<std::uint8_t>(pen.Mode));
    out.Byte(static_cast<std::uint8_t>(pen.Style));
    out.Int32(pen.Width);
}

TRLMetaPen ReadPen(TRLStreamReader& in) {
    TRLMetaPen pen;
    pen.Color = in.Color();
    pen.Mode = static_cast<TRLMetaPenMode>(in.Byte());
    pen.Style = static_cast<TRLMetaPenStyle>(in.Byte());
    pen.Width = in.Int32In(0, kMaxPageCoordinate);
    return pen;
}

void WriteBrush(TRLStreamWriter& out, const TRLMetaBrush& brush) {
    out.Color(brush.Color);
    out.Byte(static_cast<std::uint8_t>(brush.Style));
}

TRLMetaBrush ReadBrush(TRLStreamReader& in) {
    TRLMetaBrush brush;
    brush.Color = in.Color();
    brush.Style = static_cast<TRLMetaBrushStyle>(in.Byte());
    return brush;
}

void WriteFont(TRLStreamWriter& out, const TRLMetaFont& font) {
    out.Int32(font.PixelsPerInch);
    out.Byte(font.Charset);
    out.Color(font.Color);
    out.Int32(font.Height);
    out.Int32(font.NameIndex);
    out.Byte(font.Pitch);
    out.Int32(font.Size);
    out.Byte(font.Style);
}

TRLMetaFont ReadFont(TRLStreamReader& in) {
    TRLMetaFont font;
    font.PixelsPerInch = in.Int32();
    font.Charset = in.Byte();
    font.Color = in.Color();
    font.Height = in.Coordinate();
    font.NameIndex = in.Int32();
    font.Pitch = in.Byte();
    font.Size = in.Int32In(-kMaxFontSize, kMaxFontSize);
    font.Style = in.Byte();
    return font;
}

void WritePoints(TRLStreamWriter& out, const std::vector<TPoint>& points) {
    out.Int32(static_cast<std::int32_t>(points.size()));
    for (const TPoint& p : points) {
        out.Int32(p.X);
        out.Int32(p.Y);
    }
}

std::vector<TPoint> ReadPoints(TRLStreamReader& in) {
    std::vector<TPoint> points(static_cast<std::size_t>(in.Count(8)));
    for (TPoint& p : points) {
        p.X = in.Coordinate();
        p.Y = in.Coordinate();
    }
    return points;
}

// Pen widths other than 0 follow the horizontal scale, never below 1.
void ScalePen(TRLMetaPen& pen, const TRLTransform& t) {
    if (pen.Width != 0) {
        pen.Width = std::max(1, RoundHalfEven(pen.Width * t.ScaleX));
    }
}

void TransformPoints(std::vector<TPoint>& points, const TRLTransform& t) {
    for (TPoint& p : points) {
        p = t.Point(p);
    }
}

std::atomic<std::int32_t> drawGroupCounter{0};

} // namespace

std::int32_t NewDrawGroupId() {
    return ++drawGroupCounter;
}

void TRLGraphicObject::SaveData(TRLStreamWriter& out) const {
    out.Int32(BoundsRect.Left);
    out.Int32(BoundsRect.Top);
    out.Int32(BoundsRect.Right);
    out.Int32(BoundsRect.Bottom);
    out.Int32(DrawGroup);
    out.Int32(0); // the user tag is never stored
}

void TRLGraphicObject::LoadData(TRLStreamReader& in) {
    BoundsRect.Left = in.Coordinate();
    BoundsRect.Top = in.Coordinate();
    BoundsRect.Right = in.Coordinate();
    BoundsRect.Bottom = in.Coordinate();
    DrawGroup = in.Int32();
    UserTag = in.Int32();
}

void TRLGraphicObject::Transform(const TRLTransform& t) {
    BoundsRect = t.Rect(BoundsRect);
}

void TRLPixelObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    out.Color(Color);
}

void TRLPixelObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Color = in.Color();
}

void TRLLineObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    out.Int32(FromPoint.X);
    out.Int32(FromPoint.Y);
    out.Int32(ToPoint.X);
    out.Int32(ToPoint.Y);
    WritePen(out, Pen);
    WriteBrush(out, Brush);
}

void TRLLineObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    FromPoint.X = in.Coordinate();
    FromPoint.Y = in.Coordinate();
    ToPoint.X = in.Coordinate();
    ToPoint.Y = in.Coordinate();
    Pen = ReadPen(in);
    Brush = ReadBrush(in);
}

void TRLLineObject::Transform(const TRLTransform& t) {
    TRLGraphicObject::Transform(t);
    FromPoint = t.Point(FromPoint);
    ToPoint = t.Point(ToPoint);
    ScalePen(Pen, t);
}

void TRLRectangleObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    WritePen(out, Pen);
    WriteBrush(out, Brush);
}

void TRLRectangleObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Pen = ReadPen(in);
    Brush = ReadBrush(in);
}

void TRLRectangleObject::Transform(const TRLTransform& t) {
    TRLGraphicObject::Transform(t);
    ScalePen(Pen, t);
}

TRLFont TRLTextObject::DisplayFont() const {
    TRLFont font;
    const TRLGraphicSurface* owner = Surface();
    if (owner && Font.NameIndex >= 0 && Font.NameIndex < owner->FontNames().size()) {
        font.Name = owner->FontNames().at(Font.NameIndex);
    }
    font.Size = Font.Size;
    font.Style = Font.Style;
    font.Color = Font.Color;
    font.Charset = Font.Charset;
    font.Pitch = static_cast<TRLFontPitch>(Font.Pitch);
    return font;
}

void TRLTextObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    out.Byte(static_cast<std::uint8_t>(Alignment));
    out.Byte(static_cast<std::uint8_t>(Layout));
    out.Int32(Origin.X);
    out.Int32(Origin.Y);
    out.Int16(TextFlags);
    out.String(Text);
    WriteBrush(out, Brush);
    WriteFont(out, Font);
}

void TRLTextObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Alignment = static_cast<TRLMetaTextAlignment>(in.Byte());
    Layout = static_cast<TRLMetaTextLayout>(in.Byte());
    Origin.X = in.Coordinate();
    Origin.Y = in.Coordinate();
    TextFlags = in.Int16();
    Text = in.String();
    Brush = ReadBrush(in);
    Font = ReadFont(in);
}

void TRLTextObject::Transform(const TRLTransform& t) {
    TRLGraphicObject::Transform(t);
    Origin = t.Point(Origin);
    Font.Size = RoundHalfEven(Font.Size * t.ScaleY);
    Font.Height = RoundHalfEven(Font.Height * t.ScaleY);
}

void TRLFillRectObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    WriteBrush(out, Brush);
}

void TRLFillRectObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Brush = ReadBrush(in);
}

void TRLEllipseObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    WritePen(out, Pen);
    WriteBrush(out, Brush);
}

void TRLEllipseObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Pen = ReadPen(in);
    Brush = ReadBrush(in);
}

void TRLEllipseObject::Transform(const TRLTransform& t) {
    TRLGraphicObject::Transform(t);
    ScalePen(Pen, t);
}

void TRLPolygonObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    WritePen(out, Pen);
    WriteBrush(out, Brush);
    WritePoints(out, Points);
}

void TRLPolygonObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Pen = ReadPen(in);
    Brush = ReadBrush(in);
    Points = ReadPoints(in);
}

void TRLPolygonObject::Transform(const TRLTransform& t) {
    TRLGraphicObject::Transform(t);
    TransformPoints(Points, t);
    ScalePen(Pen, t);
}

void TRLPolylineObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    WritePen(out, Pen);
    WritePoints(out, Points);
}

void TRLPolylineObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Pen = ReadPen(in);
    Points = ReadPoints(in);
}

void TRLPolylineObject::Transform(const TRLTransform& t) {
    TRLGraphicObject::Transform(t);
    TransformPoints(Points, t);
    ScalePen(Pen, t);
}

QImage TRLImageObject::Picture() const {
    return DecodePicture(Data);
}

QImage TRLImageObject::DecodePicture(const QByteArray& data) {
    const QByteArray kind = data.left(3);
    const char* format = kind == "BMP" ? "BMP" : kind == "ICO" ? "ICO" : nullptr;
    if (format == nullptr) {
        return {};
    }
    QByteArray bytes = data.mid(3);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    // A bitmap holds at most eight pixels a byte (one bit each); a header
    // that claims more (a compressed or damaged picture) would make a small
    // page file decode, paint and export a picture of any size.
    const long long mostPixels = 8LL * bytes.size() + 64 * 64;
    const QSize size = reader.size();
    if (!size.isValid() || static_cast<long long>(size.width()) * size.height() > mostPixels) {
        return {};
    }
    return reader.read();
}

QByteArray TRLImageObject::EncodeImage(const QImage& image) {
    if (image.isNull()) {
        return QByteArrayLiteral("NIL");
    }
    // A page header draws the same logo on every page: the bitmap of the
    // image last encoded on this thread is kept. The key names the image's
    // contents and changes whenever the image does.
    struct Last {
        qint64 key = 0;
        QByteArray data;
    };
    thread_local Last last;
    if (!last.data.isEmpty() && last.key == image.cacheKey()) {
        return last.data;
    }
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    // Pictures of any kind are stored as Windows bitmaps.
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    last = {image.cacheKey(), QByteArrayLiteral("BMP") + bitmap};
    return last.data;
}

void TRLImageObject::SaveData(TRLStreamWriter& out) const {
    TRLGraphicObject::SaveData(out);
    out.Int32(static_cast<std::int32_t>(Data.size()));
    out.Bytes(Data);
    out.Byte(WholeWidth ? 1 : 0);
}

void TRLImageObject::LoadData(TRLStreamReader& in) {
    TRLGraphicObject::LoadData(in);
    Data = in.Bytes(in.Int32());
    WholeWidth = in.Byte() != 0;
}
