// The page surface: drawing calls, copying between surfaces, break search,
// macros and the surface stream.
#include "RLMetaFile.h"
#include "RLMetaFileStream.h"
#include "TextMetrics.h"

#include <QImage>

namespace {

std::unique_ptr<TRLGraphicObject> MakeObject(std::uint8_t code) {
    switch (static_cast<TRLGraphicObjectKind>(code)) {
    case TRLGraphicObjectKind::Pixel:
        return std::make_unique<TRLPixelObject>();
    case TRLGraphicObjectKind::Line:
        return std::make_unique<TRLLineObject>();
    case TRLGraphicObjectKind::Rectangle:
        return std::make_unique<TRLRectangleObject>();
    case TRLGraphicObjectKind::Text:
        return std::make_unique<TRLTextObject>();
    case TRLGraphicObjectKind::FillRect:
        return std::make_unique<TRLFillRectObject>();
    case TRLGraphicObjectKind::Ellipse:
        return std::make_unique<TRLEllipseObject>();
    case TRLGraphicObjectKind::Polygon:
        return std::make_unique<TRLPolygonObject>();
    case TRLGraphicObjectKind::Polyline:
        return std::make_unique<TRLPolylineObject>();
    case TRLGraphicObjectKind::Image:
        return std::make_unique<TRLImageObject>();
    case TRLGraphicObjectKind::SetClipRect:
        return std::make_unique<TRLSetClipRectObject>();
    case TRLGraphicObjectKind::ResetClipRect:
        return std::make_unique<TRLResetClipRectObject>();
    }
    return nullptr;
}

// Whether an object lies at least partly in a rectangle. Objects without
// area (a horizontal line) count as one pixel wide and high.
bool Meets(TRect object, const TRect& area) {
    if (object.Right <= object.Left) {
        object.Right = object.Left + 1;
    }
    if (object.Bottom <= object.Top) {
        object.Bottom = object.Top + 1;
    }
    return object.Intersects(area);
}

TRect PointsBounds(const std::vector<TPoint>& points) {
    if (points.empty()) {
        return {};
    }
    TRect r{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const TPoint& p : points) {
        r.Left = std::min(r.Left, p.X);
        r.Top = std::min(r.Top, p.Y);
        r.Right = std::max(r.Right, p.X);
        r.Bottom = std::max(r.Bottom, p.Y);
    }
    r.Right += 1;
    r.Bottom += 1;
    return r;
}

// The value of "name=value" in a list of macros; names ignore case.
bool LookUp(const QStringList& macros, const QString& name, QString& value) {
    for (const QString& line : macros) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        // Names equal but for case are as long as each other: the length
        // tells most names apart without comparing them.
        if (eq == name.size() &&
            QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0) {
            value = line.mid(eq + 1);
            return true;
        }
    }
    return false;
}

// Always ends a copy with the reset-clip object, also when copying fails.
class ClipGuard {
public:
    ClipGuard(TRLGraphicSurface& surface, const TRect& r) : surface_(surface) {
        surface_.SetClipRect(r);
    }
    ~ClipGuard() { surface_.ResetClipRect(); }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

private:
    TRLGraphicSurface& surface_;
};

} // namespace

bool MacroLookUp(const QStringList& macros, const QString& name, QString& value) {
    return LookUp(macros, name, value);
}

TRLGraphicSurface::TRLGraphicSurface() = default;
TRLGraphicSurface::~TRLGraphicSurface() = default;

void TRLGraphicSurface::SetWidth(int width) {
    width_ = width;
    modified_ = true;
}

void TRLGraphicSurface::SetHeight(int height) {
    height_ = height;
    modified_ = true;
}

int TRLGraphicSurface::FontIndex(const QString& faceName) {
    // Names are mostly copies of one another: the same characters in memory
    // are the same name without comparing them.
    for (qsizetype i = 0; i < fontNames_.size(); ++i) {
        const QString& name = fontNames_.at(i);
        if ((name.constData() == faceName.constData() && name.size() == faceName.size()) ||
            name == faceName) {
            return static_cast<int>(i);
        }
    }
    fontNames_.append(faceName);
    return static_cast<int>(fontNames_.size() - 1);
}

TRLMetaFont TRLGraphicSurface::MetaFont(const TRLFont& font) {
    TRLMetaFont meta;
    meta.PixelsPerInch = 96;
    meta.Charset = font.Charset;
    meta.Color = font.Color;
    meta.Height = -font.PixelSize();
    meta.NameIndex = FontIndex(font.Name);
    meta.Pitch = static_cast<std::uint8_t>(font.Pitch);
    meta.Size = font.Size;
    meta.Style = font.Style;
    return meta;
}

TRLGraphicObject* TRLGraphicSurface::AddObject(std::unique_ptr<TRLGraphicObject> object) {
    object->surface_ = this;
    objects_.push_back(std::move(object));
    modified_ = true;
    return objects_.back().get();
}

TRLGraphicObject* TRLGraphicSurface::Append(std::unique_ptr<TRLGraphicObject> object) {
    Open();
    object->DrawGroup = groupId_;
    return AddObject(std::move(object));
}

void TRLGraphicSurface::Open() {
    if (opened_) {
        return;
    }
    opened_ = true;
    penPos_ = {Margins.Left, Margins.Top};
    clipRect_ = {0, 0, width_, height_};
    clipStack_.clear();
}

void TRLGraphicSurface::Clear() {
    objects_.clear();
    fontNames_.clear();
    macros_.clear();
    penPos_ = {Margins.Left, Margins.Top};
    modified_ = true;
}

void TRLGraphicSurface::SetPixel(int x, int y, TRLColor color) {
    auto obj = std::make_unique<TRLPixelObject>();
    obj->BoundsRect = {x, y, x + 1, y + 1};
    obj->Color = color;
    Append(std::move(obj));
}

void TRLGraphicSurface::MoveTo(int x, int y) {
    penPos_ = {x, y};
}

void TRLGraphicSurface::LineTo(int x, int y) {
    auto obj = std::make_unique<TRLLineObject>();
    obj->FromPoint = penPos_;
    obj->ToPoint = {x, y};
    obj->BoundsRect = PointsBounds({obj->FromPoint, obj->ToPoint});
    obj->Pen = pen_;
    obj->Brush = brush_;
    Append(std::move(obj));
    penPos_ = {x, y};
}

void TRLGraphicSurface::Rectangle(const TRect& r) {
    auto obj = std::make_unique<TRLRectangleObject>();
    obj->BoundsRect = r;
    obj->Pen = pen_;
    obj->Brush = brush_;
    Append(std::move(obj));
}

void TRLGraphicSurface::Ellipse(const TRect& r) {
    auto obj = std::make_unique<TRLEllipseObject>();
    obj->BoundsRect = r;
    obj->Pen = pen_;
    obj->Brush = brush_;
    Append(std::move(obj));
}

void TRLGraphicSurface::FillRect(const TRect& r) {
    auto obj = std::make_unique<TRLFillRectObject>();
    obj->BoundsRect = r;
    obj->Brush = brush_;
    Append(std::move(obj));
}

void TRLGraphicSurface::Polygon(const std::vector<TPoint>& points) {
    auto obj = std::make_unique<TRLPolygonObject>();
    obj->BoundsRect = PointsBounds(points);
    obj->Pen = pen_;
    obj->Brush = brush_;
    obj->Points = points;
    Append(std::move(obj));
}

void TRLGraphicSurface::Polyline(const std::vector<TPoint>& points) {
    auto obj = std::make_unique<TRLPolylineObject>();
    obj->BoundsRect = PointsBounds(points);
    obj->Pen = pen_;
    obj->Points = points;
    Append(std::move(obj));
}

void TRLGraphicSurface::TextRect(const TRect& box, TPoint origin, const QString& text,
                                 TRLMetaTextAlignment alignment, TRLMetaTextLayout layout,
                                 std::uint16_t textFlags) {
    auto obj = std::make_unique<TRLTextObject>();
    obj->BoundsRect = box;
    obj->Origin = origin;
    obj->Alignment = alignment;
    obj->Layout = layout;
    obj->TextFlags = textFlags;
    obj->Text = text;
    obj->Brush = brush_;
    obj->Font = MetaFont(font_);
    Append(std::move(obj));
}

void TRLGraphicSurface::TextOut(int x, int y, const QString& text) {
    const TRect box{x, y, x + TextWidth(text), y + TextHeight(text)};
    TextRect(box, {x, y}, text, TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop,
             MetaTextFlagAutoSize);
}

void TRLGraphicSurface::StretchDraw(const TRect& box, const QImage& picture, bool wholeWidth) {
    DrawImageData(box, TRLImageObject::EncodeImage(picture), wholeWidth);
}

void TRLGraphicSurface::DrawImageData(const TRect& box, const QByteArray& data, bool wholeWidth) {
    auto obj = std::make_unique<TRLImageObject>();
    obj->BoundsRect = box;
    obj->Data = data;
    obj->WholeWidth = wholeWidth;
    Append(std::move(obj));
}

void TRLGraphicSurface::SetClipRect(const TRect& r) {
    auto obj = std::make_unique<TRLSetClipRectObject>();
    obj->BoundsRect = r;
    Append(std::move(obj));
    clipStack_.push_back(clipRect_);
    clipRect_ = r;
}

void TRLGraphicSurface::ResetClipRect() {
    auto obj = std::make_unique<TRLResetClipRectObject>();
    // The rectangle being left: a copy of the surface then carries the reset
    // wherever it carries the matching set.
    obj->BoundsRect = clipRect_;
    Append(std::move(obj));
    if (!clipStack_.empty()) {
        clipRect_ = clipStack_.back();
        clipStack_.pop_back();
    }
}

int TRLGraphicSurface::TextWidth(const QString& text) const {
    return TextMetrics::TextWidth(font_, text);
}

int TRLGraphicSurface::TextHeight(const QString&) const {
    return TextMetrics::TextHeight(font_);
}

void TRLGraphicSurface::CopyObjectsFrom(const TRLGraphicSurface& source, const TRLTransform& t,
                                        const TRect* only) {
    for (const auto& object : source.objects_) {
        if (only && !Meets(object->BoundsRect, *only)) {
            continue;
        }
        auto copy = object->Clone();
        copy->Transform(t);
        Open();
        AdoptObject(std::move(copy), source);
    }
}

// Takes an object of another surface, its font entered in this surface's names.
void TRLGraphicSurface::AdoptObject(std::unique_ptr<TRLGraphicObject> object,
                                    const TRLGraphicSurface& source) {
    if (object->Kind() == TRLGraphicObjectKind::Text) {
        auto* text = static_cast<TRLTextObject*>(object.get());
        const QStringList& names = source.fontNames_;
        const int i = text->Font.NameIndex;
        text->Font.NameIndex = FontIndex(i >= 0 && i < names.size() ? names.at(i) : QString());
    }
    AddObject(std::move(object));
}

void TRLGraphicSurface::MoveFrom(int dx, int dy, TRLGraphicSurface& source) {
    TRLTransform t;
    t.DX = dx;
    t.DY = dy;
    if (!source.objects_.empty()) {
        Open();
    }
    objects_.reserve(objects_.size() + source.objects_.size());
    for (auto& object : source.objects_) {
        object->Transform(t);
        AdoptObject(std::move(object), source);
    }
    source.objects_.clear();
    source.modified_ = true;
}

void TRLGraphicSurface::CopyArea(const TRect& target, const TRLGraphicSurface& source,
                                 const TRect& sourceRect) {
    TRLTransform t;
    t.ScaleX = sourceRect.Width() != 0 ? double(target.Width()) / sourceRect.Width() : 1.0;
    t.ScaleY = sourceRect.Height() != 0 ? double(target.Height()) / sourceRect.Height() : 1.0;
    t.DX = target.Left - RoundHalfEven(sourceRect.Left * t.ScaleX);
    t.DY = target.Top - RoundHalfEven(sourceRect.Top * t.ScaleY);
    ClipGuard clip(*this, target);
    CopyObjectsFrom(source, t, &sourceRect);
}

void TRLGraphicSurface::MoveArea(const TRect& target, TRLGraphicSurface& source,
                                 const TRect& sourceRect) {
    TRLTransform t;
    t.ScaleX = sourceRect.Width() != 0 ? double(target.Width()) / sourceRect.Width() : 1.0;
    t.ScaleY = sourceRect.Height() != 0 ? double(target.Height()) / sourceRect.Height() : 1.0;
    t.DX = target.Left - RoundHalfEven(sourceRect.Left * t.ScaleX);
    t.DY = target.Top - RoundHalfEven(sourceRect.Top * t.ScaleY);
    ClipGuard clip(*this, target);
    auto& from = source.objects_;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (!Meets(from[i]->BoundsRect, sourceRect)) {
            from[kept++] = std::move(from[i]);
            continue;
        }
        std::unique_ptr<TRLGraphicObject> object = std::move(from[i]);
        object->Transform(t);
        Open();
        AdoptObject(std::move(object), source);
    }
    from.resize(kept);
    source.modified_ = true;
}

void TRLGraphicSurface::Paste(int dx, int dy, const TRLGraphicSurface& source) {
    TRLTransform t;
    t.DX = dx;
    t.DY = dy;
    CopyObjectsFrom(source, t, nullptr);
}

TRLBreakPoint TRLGraphicSurface::FindBreak(int y) const {
    int value = y;
    bool changed = true;
    while (changed && value > 0) {
        changed = false;
        for (const auto& object : objects_) {
            if (object->Kind() != TRLGraphicObjectKind::Text) {
                continue;
            }
            const auto* text = static_cast<const TRLTextObject*>(object.get());
            if ((text->TextFlags & MetaTextFlagIntegralHeight) == 0) {
                continue;
            }
            if (text->BoundsRect.Top < value && text->BoundsRect.Bottom > value) {
                value = text->BoundsRect.Top;
                changed = true;
            }
        }
    }
    return {value, value > 0};
}

QString TRLGraphicSurface::ExpandMacros(const QString& text) const {
    if (!text.contains(QLatin1Char('{'))) {
        return text; // nothing to expand: most texts
    }
    // A text names one or two macros, whose values are page numbers and
    // titles. One from a page file may hold braces by the thousand and a
    // macro value of any length: past these bounds the rest of the text
    // stays as it is, so neither the names looked up nor the values put in
    // can multiply the work or the length.
    constexpr int kMostLookUps = 64;
    const qsizetype longest = text.size() + 1024;
    QString result;
    qsizetype pos = 0;
    int lookUps = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0 || lookUps == kMostLookUps) {
            result += QStringView(text).mid(pos);
            break;
        }
        ++lookUps;
        result += QStringView(text).mid(pos, open - pos);
        const QString name = text.mid(open + 1, close - open - 1);
        QString value;
        bool found = LookUp(macros_, name, value);
        if (!found && storage_) {
            value = storage_->Macro(name, &found);
        }
        if (found && result.size() + value.size() > longest) {
            result += QStringView(text).mid(open);
            break;
        }
        if (found) {
            result += value;
            pos = close + 1;
        } else {
            result += QLatin1Char('{');
            pos = open + 1;
        }
    }
    return result;
}

void TRLGraphicSurface::SaveToStream(TRLStreamWriter& out) const {
    out.Bytes(QByteArray(SurfaceSignature));
    out.Byte(SignatureEnd);
    out.Int32(width_);
    out.Int32(height_);
    out.Int32(static_cast<std::int32_t>(macros_.size()));
    for (const QString& m : macros_) {
        out.String(m);
    }
    out.Int32(static_cast<std::int32_t>(fontNames_.size()));
    for (const QString& f : fontNames_) {
        out.String(f);
    }
    out.Int32(static_cast<std::int32_t>(objects_.size()));
    for (const auto& object : objects_) {
        out.Byte(static_cast<std::uint8_t>(object->Kind()));
        const qsizetype sizeAt = out.Position();
        out.Int32(0);
        object->SaveData(out);
        out.PatchInt32(sizeAt, static_cast<std::int32_t>(out.Position() - sizeAt - 4));
    }
}

QByteArray TRLGraphicSurface::SaveToBytes() const {
    QByteArray bytes;
    bytes.reserve(64 + 96 * static_cast<qsizetype>(objects_.size())); // a text object's size
    TRLStreamWriter out(bytes);
    SaveToStream(out);
    return bytes;
}

void TRLGraphicSurface::LoadFromStream(TRLStreamReader& in) {
    in.Signature(SurfaceSignature);
    objects_.clear();
    macros_.clear();
    fontNames_.clear();
    width_ = in.Int32In(0, kMaxPageCoordinate);
    height_ = in.Int32In(0, kMaxPageCoordinate);
    for (std::int32_t n = in.MacroCount(); n > 0; --n) {
        macros_.append(in.String());
    }
    for (std::int32_t n = in.Count(4); n > 0; --n) {
        fontNames_.append(in.String());
    }
    for (std::int32_t n = in.Count(5); n > 0; --n) {
        const std::uint8_t code = in.Byte();
        const std::int32_t size = in.Int32();
        const char* payload = in.Take(size);
        auto object = MakeObject(code);
        if (!object) {
            continue; // a kind this version does not know: skipped by its size
        }
        TRLStreamReader data(payload, size);
        object->LoadData(data);
        AddObject(std::move(object));
    }
    modified_ = false;
}

void TRLGraphicSurface::LoadFromBytes(const QByteArray& bytes) {
    TRLStreamReader in(bytes);
    LoadFromStream(in);
}

void TRLGraphicSurface::CheckBytes(const QByteArray& bytes) {
    TRLStreamReader in(bytes);
    in.Signature(SurfaceSignature);
    in.Int32In(0, kMaxPageCoordinate); // width
    in.Int32In(0, kMaxPageCoordinate); // height
    for (std::int32_t n = in.MacroCount(); n > 0; --n) {
        in.Skip(in.Int32());
    }
    for (std::int32_t n = in.Count(4); n > 0; --n) { // font names
        in.Skip(in.Int32());
    }
    // Each payload is read by its kind's own LoadData, into one object of
    // each kind that is used over and over.
    std::unique_ptr<TRLGraphicObject> scratch[256];
    for (std::int32_t n = in.Count(5); n > 0; --n) {
        const std::uint8_t code = in.Byte();
        const std::int32_t size = in.Int32();
        const char* payload = in.Take(size);
        std::unique_ptr<TRLGraphicObject>& object = scratch[code];
        if (!object) {
            object = MakeObject(code);
            if (!object) {
                continue;
            }
        }
        TRLStreamReader data(payload, size);
        object->LoadData(data);
    }
}
