#pragma once
// Pages as lists of drawing objects. A TRLGraphicSurface is one page (or one
// band's drawing) in pixels at 96 per inch; a TRLGraphicStorage keeps the
// finished pages of a report, a few in memory and all of them in a spool
// file, and reads, writes and saves them in the engine's own binary format.
//
// Readers (preview, print and save filters) take pages with GetPage and play
// the objects with PaintTo or translate them: every object kind is a public
// class with public fields.
#include "RLGraphics.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class QImage;
class QObject;
class QPainter;
class TRLGraphicStorage;
class TRLGraphicSurface;
class TRLStreamReader;
class TRLStreamWriter;
struct TRLPaintContext;

// Raster modes of a pen, stored as 1 to 16.
enum class TRLMetaPenMode : std::uint8_t {
    mpmBlack = 1,
    mpmWhite,
    mpmNop,
    mpmNot,
    mpmCopy,
    mpmNotCopy,
    mpmMergePenNot,
    mpmMaskPenNot,
    mpmMergeNotPen,
    mpmMaskNotPen,
    mpmMerge,
    mpmNotMerge,
    mpmMask,
    mpmNotMask,
    mpmXor,
    mpmNotXor,
};

enum class TRLMetaPenStyle : std::uint8_t {
    mpsSolid = 1,
    mpsDash,
    mpsDot,
    mpsDashDot,
    mpsDashDotDot,
    mpsClear,
    mpsInsideFrame,
};

enum class TRLMetaBrushStyle : std::uint8_t {
    mbsSolid = 1,
    mbsClear,
    mbsHorizontal,
    mbsVertical,
    mbsFDiagonal,
    mbsBDiagonal,
    mbsCross,
    mbsDiagCross,
};

struct TRLMetaPen {
    TRLColor Color = clBlack;
    TRLMetaPenMode Mode = TRLMetaPenMode::mpmCopy;
    TRLMetaPenStyle Style = TRLMetaPenStyle::mpsSolid;
    std::int32_t Width = 0;
    friend bool operator==(const TRLMetaPen&, const TRLMetaPen&) = default;
};

struct TRLMetaBrush {
    TRLColor Color = clWhite;
    TRLMetaBrushStyle Style = TRLMetaBrushStyle::mbsSolid;
    friend bool operator==(const TRLMetaBrush&, const TRLMetaBrush&) = default;
};

struct TRLMetaFont {
    std::int32_t PixelsPerInch = 72;
    std::uint8_t Charset = 1;
    TRLColor Color = clBlack;
    std::int32_t Height = 0;    // negative: character height in pixels
    std::int32_t NameIndex = 0; // into the surface's FontNames
    std::uint8_t Pitch = 1;
    std::int32_t Size = 0;  // points
    std::uint8_t Style = 0; // TRLFontStyle bits
    friend bool operator==(const TRLMetaFont&, const TRLMetaFont&) = default;
};

// Stored alignment and layout codes of text objects.
enum class TRLMetaTextAlignment : std::uint8_t { mtaLeft = 1, mtaRight, mtaCenter, mtaJustify };
enum class TRLMetaTextLayout : std::uint8_t { mtlTop = 1, mtlBottom, mtlCenter, mtlJustify };

// TextFlags bits.
inline constexpr std::uint16_t MetaTextFlagAutoSize = 1;       // drawn without clipping to the box
inline constexpr std::uint16_t MetaTextFlagIntegralHeight = 4; // kept whole when a band splits

enum class TRLGraphicObjectKind : std::uint8_t {
    Pixel = 1,
    Line,
    Rectangle,
    Text,
    FillRect,
    Ellipse,
    Polygon,
    Polyline,
    Image,
    SetClipRect,
    ResetClipRect,
};

// How CopyArea maps coordinates: x' = round(x * ScaleX) + DX, and so on.
struct TRLTransform {
    double ScaleX = 1.0;
    double ScaleY = 1.0;
    int DX = 0;
    int DY = 0;
    // Bands move onto the page unscaled, hundreds of objects a page: a whole
    // number times 1 needs no rounding.
    int X(int x) const { return (ScaleX == 1.0 ? x : RoundHalfEven(x * ScaleX)) + DX; }
    int Y(int y) const { return (ScaleY == 1.0 ? y : RoundHalfEven(y * ScaleY)) + DY; }
    TRect Rect(const TRect& r) const { return {X(r.Left), Y(r.Top), X(r.Right), Y(r.Bottom)}; }
    TPoint Point(TPoint p) const { return {X(p.X), Y(p.Y)}; }
};

class TRLGraphicObject {
public:
    virtual ~TRLGraphicObject() = default;
    virtual TRLGraphicObjectKind Kind() const = 0;
    virtual std::unique_ptr<TRLGraphicObject> Clone() const = 0;

    TRLGraphicSurface* Surface() const { return surface_; }

    TRect BoundsRect;
    std::int32_t DrawGroup = 0;
    std::int32_t UserTag = 0;

    // The object's own fields, after the common part of the stored payload.
    virtual void SaveData(TRLStreamWriter& out) const;
    virtual void LoadData(TRLStreamReader& in);
    // Moves and scales the object (pens and fonts included).
    virtual void Transform(const TRLTransform& t);
    virtual void Paint(TRLPaintContext& context) const = 0;

protected:
    TRLGraphicObject() = default;
    TRLGraphicObject(const TRLGraphicObject&) = default;
    TRLGraphicObject& operator=(const TRLGraphicObject&) = default;

private:
    friend class TRLGraphicSurface;
    TRLGraphicSurface* surface_ = nullptr;
};

// Boilerplate every concrete kind shares.
template <class T, TRLGraphicObjectKind K> class TRLGraphicObjectOf : public TRLGraphicObject {
public:
    static constexpr TRLGraphicObjectKind KindCode = K;
    TRLGraphicObjectKind Kind() const override { return K; }
    std::unique_ptr<TRLGraphicObject> Clone() const override {
        return std::make_unique<T>(static_cast<const T&>(*this));
    }
};

class TRLPixelObject : public TRLGraphicObjectOf<TRLPixelObject, TRLGraphicObjectKind::Pixel> {
public:
    TRLColor Color;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLLineObject : public TRLGraphicObjectOf<TRLLineObject, TRLGraphicObjectKind::Line> {
public:
    TPoint FromPoint;
    TPoint ToPoint;
    TRLMetaPen Pen;
    TRLMetaBrush Brush;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Transform(const TRLTransform& t) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLRectangleObject
    : public TRLGraphicObjectOf<TRLRectangleObject, TRLGraphicObjectKind::Rectangle> {
public:
    TRLMetaPen Pen;
    TRLMetaBrush Brush;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Transform(const TRLTransform& t) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLTextObject : public TRLGraphicObjectOf<TRLTextObject, TRLGraphicObjectKind::Text> {
public:
    TRLMetaTextAlignment Alignment = TRLMetaTextAlignment::mtaLeft;
    TRLMetaTextLayout Layout = TRLMetaTextLayout::mtlTop;
    TPoint Origin;
    std::uint16_t TextFlags = 0;
    QString Text; // as stored: macros not yet expanded
    TRLMetaBrush Brush;
    TRLMetaFont Font;

    // The font as a report names it (face taken from the surface's FontNames).
    TRLFont DisplayFont() const;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Transform(const TRLTransform& t) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLFillRectObject
    : public TRLGraphicObjectOf<TRLFillRectObject, TRLGraphicObjectKind::FillRect> {
public:
    TRLMetaBrush Brush;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLEllipseObject
    : public TRLGraphicObjectOf<TRLEllipseObject, TRLGraphicObjectKind::Ellipse> {
public:
    TRLMetaPen Pen;
    TRLMetaBrush Brush;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Transform(const TRLTransform& t) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLPolygonObject
    : public TRLGraphicObjectOf<TRLPolygonObject, TRLGraphicObjectKind::Polygon> {
public:
    TRLMetaPen Pen;
    TRLMetaBrush Brush;
    std::vector<TPoint> Points;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Transform(const TRLTransform& t) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLPolylineObject
    : public TRLGraphicObjectOf<TRLPolylineObject, TRLGraphicObjectKind::Polyline> {
public:
    TRLMetaPen Pen;
    std::vector<TPoint> Points;
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Transform(const TRLTransform& t) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLImageObject : public TRLGraphicObjectOf<TRLImageObject, TRLGraphicObjectKind::Image> {
public:
    // "BMP" + a Windows bitmap file, "ICO" + an icon file, or "NIL".
    QByteArray Data = QByteArrayLiteral("NIL");
    bool WholeWidth = false;

    // The picture decoded (a null image for "NIL" or undecodable data).
    QImage Picture() const;
    // The same for any image data; a picture whose size its data could not
    // hold as a plain bitmap is treated as undecodable.
    static QImage DecodePicture(const QByteArray& data);
    static QByteArray EncodeImage(const QImage& image);
    void SaveData(TRLStreamWriter& out) const override;
    void LoadData(TRLStreamReader& in) override;
    void Paint(TRLPaintContext& context) const override;
};

class TRLSetClipRectObject
    : public TRLGraphicObjectOf<TRLSetClipRectObject, TRLGraphicObjectKind::SetClipRect> {
public:
    void Paint(TRLPaintContext& context) const override;
};

class TRLResetClipRectObject
    : public TRLGraphicObjectOf<TRLResetClipRectObject, TRLGraphicObjectKind::ResetClipRect> {
public:
    void Paint(TRLPaintContext& context) const override;
};

// A new value of the process-wide counter that groups the objects drawn by
// one drawing call of a printable control.
std::int32_t NewDrawGroupId();

// The answer of FindBreak.
struct TRLBreakPoint {
    int Y = 0;
    bool Found = false;
};

class TRLGraphicSurface {
public:
    TRLGraphicSurface();
    ~TRLGraphicSurface();
    TRLGraphicSurface(const TRLGraphicSurface&) = delete;
    TRLGraphicSurface& operator=(const TRLGraphicSurface&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int width);
    void SetHeight(int height);

    // "name=value" lines; page surfaces carry Orientation, PaperWidth, PaperHeight.
    QStringList& Macros() { return macros_; }
    const QStringList& Macros() const { return macros_; }
    const QStringList& FontNames() const { return fontNames_; }
    // The index of a face name, entered on first use.
    int FontIndex(const QString& faceName);

    int ObjectCount() const { return static_cast<int>(objects_.size()); }
    TRLGraphicObject* Objects(int index) const { return objects_[index].get(); }
    // Takes the object into this surface, at the end of the drawing order.
    TRLGraphicObject* AddObject(std::unique_ptr<TRLGraphicObject> object);

    // Drawing state used by the drawing calls below.
    TRLMetaPen& Pen() { return pen_; }
    TRLMetaBrush& Brush() { return brush_; }
    TRLFont& Font() { return font_; }
    const TRLFont& Font() const { return font_; }
    void SetFont(const TRLFont& font) { font_ = font; }
    // The DrawGroup given to objects made from now on.
    void SetGroupId(std::int32_t id) { groupId_ = id; }
    std::int32_t GroupId() const { return groupId_; }
    TRect Margins; // the pen starts at their top-left when the surface opens
    TPoint PenPos() const { return penPos_; }
    TRect ClipRect() const { return clipRect_; }

    void Open();
    void Close() { opened_ = false; }
    void Clear();
    bool Opened() const { return opened_; }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    int PageIndex() const { return pageIndex_; }
    TRLGraphicStorage* Storage() const { return storage_; }

    // Drawing calls: each opens the surface, marks it modified and appends
    // exactly one object made from the current drawing state.
    void SetPixel(int x, int y, TRLColor color);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(const TRect& r);
    void Ellipse(const TRect& r);
    void FillRect(const TRect& r);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void TextRect(const TRect& box, TPoint origin, const QString& text,
                  TRLMetaTextAlignment alignment = TRLMetaTextAlignment::mtaLeft,
                  TRLMetaTextLayout layout = TRLMetaTextLayout::mtlTop,
                  std::uint16_t textFlags = 0);
    void TextOut(int x, int y, const QString& text);
    void StretchDraw(const TRect& box, const QImage& picture, bool wholeWidth = false);
    void DrawImageData(const TRect& box, const QByteArray& data, bool wholeWidth = false);
    void SetClipRect(const TRect& r);
    void ResetClipRect();

    // Measured in the current font (see TextMetrics.h).
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;

    // Copies the objects of the source rectangle, scaled and shifted into
    // the target rectangle, inside a clip to the target.
    void CopyArea(const TRect& target, const TRLGraphicSurface& source, const TRect& sourceRect);
    // The same, moving the objects copied: the source keeps only those
    // outside the source rectangle. For a surface that is cleared after.
    void MoveArea(const TRect& target, TRLGraphicSurface& source, const TRect& sourceRect);
    // Copies every object of the source shifted by dx, dy, unclipped.
    void Paste(int dx, int dy, const TRLGraphicSurface& source);
    // The same, moving the objects: the source is left empty. For a
    // surface that is thrown away right after.
    void MoveFrom(int dx, int dy, TRLGraphicSurface& source);
    // The highest y at or above the given one that cuts no text kept whole.
    TRLBreakPoint FindBreak(int y) const;
    // Braced names replaced by the surface's, else the storage's, macros.
    QString ExpandMacros(const QString& text) const;
    // Plays the objects scaled into the rectangle of the painter's device.
    // Leaves the surface untouched, so two readers may paint it at once.
    void PaintTo(QPainter& painter, const TRect& rect) const;

    // The surface stream of the page storage.
    void SaveToStream(TRLStreamWriter& out) const;
    QByteArray SaveToBytes() const;
    // Raises "File is corrupted!" on a bad signature or truncated data.
    void LoadFromStream(TRLStreamReader& in);
    void LoadFromBytes(const QByteArray& bytes);
    // Reads a surface stream through as LoadFromBytes does, raising the same
    // error where it would, without building the page.
    static void CheckBytes(const QByteArray& bytes);

    // A meta font record for the given font, its face entered in FontNames.
    TRLMetaFont MetaFont(const TRLFont& font);

private:
    friend class TRLGraphicStorage;
    TRLGraphicObject* Append(std::unique_ptr<TRLGraphicObject> object);
    void CopyObjectsFrom(const TRLGraphicSurface& source, const TRLTransform& t, const TRect* only);
    void AdoptObject(std::unique_ptr<TRLGraphicObject> object, const TRLGraphicSurface& source);

    int width_ = 0;
    int height_ = 0;
    QStringList macros_;
    QStringList fontNames_;
    std::vector<std::unique_ptr<TRLGraphicObject>> objects_;
    TRLMetaPen pen_;
    TRLMetaBrush brush_;
    TRLFont font_;
    std::int32_t groupId_ = 0;
    TPoint penPos_;
    TRect clipRect_;
    std::vector<TRect> clipStack_;
    bool opened_ = false;
    bool modified_ = false;
    int pageIndex_ = -1;
    TRLGraphicStorage* storage_ = nullptr;
};

// The pages of one report. Create it with new: it has no owner and frees
// itself (and its spool file) when its last user unlinks.
//
// Page access is serialised with a mutex, so a print or save run on a worker
// thread may read pages while the preview reads them too. A page handed out
// by GetPage is shared: it stays valid for as long as the reader holds it,
// even when the cache has dropped it meanwhile.
class TRLGraphicStorage {
public:
    static constexpr int MaxCachedPages = 5;
    static constexpr int FileVersion = 3;

    TRLGraphicStorage();
    ~TRLGraphicStorage();
    TRLGraphicStorage(const TRLGraphicStorage&) = delete;
    TRLGraphicStorage& operator=(const TRLGraphicStorage&) = delete;

    void AddPage(std::shared_ptr<TRLGraphicSurface> surface);
    std::shared_ptr<TRLGraphicSurface> GetPage(int index);
    int PageCount() const;
    void Clear();
    void Flush();
    // Writes the storage file through a temporary file that takes the name
    // only when complete (AtomicFile): after a failure, or once the program
    // is ending (RLEngineServices::Terminating), a file of that name stays
    // as it was.
    void SaveToFile(const QString& fileName);
    // The same file holding pages firstPage..lastPage (1-based) only, by
    // the save filters' rules: a first page below 1 starts at page 1, a last
    // page of -1 or beyond the storage stops at its last page, and a range
    // with no page in it makes a file with no pages. The header stays the
    // whole report's (its title, its paper, and the page count that "page n
    // of N" texts refer to).
    void SaveToFile(const QString& fileName, int firstPage, int lastPage);
    // Replaces the pages and header with those of a saved storage file.
    void LoadFromFile(const QString& fileName);

    void Link(const void* user);
    void Unlink(const void* user);
    // Links a QObject and unlinks it when the object is destroyed.
    void LinkObject(QObject* user);
    int UserCount() const;

    // The header: "FirstPageNumber", "LastPageNumber", "Orientation",
    // "PaperWidth", "PaperHeight", "Title".
    QStringList Macros() const;
    QString Macro(const QString& name, bool* found = nullptr) const;
    void SetMacro(const QString& name, const QString& value);
    int FirstPageNumber() const;
    void SetFirstPageNumber(int value);
    int LastPageNumber() const;
    void SetLastPageNumber(int value);
    int Orientation() const; // 1 portrait, 2 landscape
    void SetOrientation(int value);
    double PaperWidth() const;
    void SetPaperWidth(double mm);
    double PaperHeight() const;
    void SetPaperHeight(double mm);
    QString Title() const;
    void SetTitle(const QString& value);
    // The page size in pixels from the paper size and orientation.
    int PageWidth() const;
    int PageHeight() const;

    // For tests and diagnostics.
    int CachedPageCount() const;
    QString SpoolFileName() const;
    static QStringList LiveSpoolFiles();

private:
    struct Spool;
    struct Connections;
    void WritePageLocked(TRLGraphicSurface& surface);
    void CacheLocked(std::shared_ptr<TRLGraphicSurface> surface);
    void FlushLocked();
    void ClearLocked();
    int IntMacroLocked(const QString& name, int fallback) const;
    double DoubleMacroLocked(const QString& name) const;
    QString MacroLocked(const QString& name, bool* found) const;
    void SetMacroLocked(const QString& name, const QString& value);

    mutable std::mutex mutex_;
    std::unique_ptr<Spool> spool_;
    std::vector<std::int64_t> index_;
    std::deque<std::shared_ptr<TRLGraphicSurface>> cache_;
    QStringList macros_;
    std::vector<const void*> users_;
    std::unique_ptr<Connections> connections_;
};

// One hold on a page storage: linked while the holder has it, unlinked when
// the holder lets it go or goes, which frees a storage nobody else holds. A
// holder hands its hold on when moved; it is never copied.
class TRLStorageHold {
public:
    TRLStorageHold() = default;
    explicit TRLStorageHold(TRLGraphicStorage* pages) { Reset(pages); }
    TRLStorageHold(TRLStorageHold&& other) noexcept {
        Reset(other.pages_);
        other.Reset();
    }
    TRLStorageHold& operator=(TRLStorageHold&& other) noexcept {
        if (this != &other) {
            Reset(other.pages_);
            other.Reset();
        }
        return *this;
    }
    ~TRLStorageHold() { Reset(); }

    // Holds the storage given (none for null), letting the previous one go.
    void Reset(TRLGraphicStorage* pages = nullptr) noexcept;
    TRLGraphicStorage* Get() const { return pages_; }
    TRLGraphicStorage& operator*() const { return *pages_; }
    TRLGraphicStorage* operator->() const { return pages_; }
    explicit operator bool() const { return pages_ != nullptr; }

private:
    TRLGraphicStorage* pages_ = nullptr;
};

// Formats a paper size as the storage header writes it: 210 -> "210.0000".
QString FormatPaperSize(double mm);
