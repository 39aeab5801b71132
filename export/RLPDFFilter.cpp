#include "RLPDFFilter.h"

#include "EngineMessages.h"
#include "PdfFonts.h"
#include "RLMetaFile.h"
#include "TextMetrics.h"
#include "Win1252.h"

#include <array>

namespace {

Pdf::Rgb ToRgb(const TRLColor& c) {
    return {c.Red, c.Green, c.Blue};
}

Pdf::Box ToBox(const TRect& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}

Pdf::Stroke ToStroke(const TRLMetaPen& pen) {
    return {ToRgb(pen.Color), static_cast<int>(pen.Style), pen.Width};
}

bool Fills(const TRLMetaBrush& brush) {
    return brush.Style != TRLMetaBrushStyle::mbsClear;
}

std::vector<Pdf::Point> ToPoints(const std::vector<TPoint>& points) {
    std::vector<Pdf::Point> out;
    out.reserve(points.size());
    for (const TPoint& p : points) {
        out.push_back({p.X, p.Y});
    }
    return out;
}

// The font index of each (face, style) pair used on one page, so a page of
// sixty texts in two fonts looks the document's font list up twice.
class PageFonts {
public:
    PageFonts(Pdf::Document& document, const TRLGraphicSurface& page)
        : document_(document), page_(page), indexes_(page.FontNames().size()) {}

    int Index(const TRLMetaFont& font) {
        // Underline and strike-out are lines the writer draws, not faces.
        const int style = font.Style & (fsBold | fsItalic);
        const auto slot = static_cast<std::size_t>(font.NameIndex);
        if (slot >= indexes_.size()) {
            return document_.FontIndex(FaceName(font), style);
        }
        int& index = indexes_[slot][style];
        if (index == 0) {
            index = document_.FontIndex(FaceName(font), style);
        }
        return index;
    }

    QString FaceName(const TRLMetaFont& font) const {
        const QString name = page_.FontNames().value(font.NameIndex);
        return name.isEmpty() ? QStringLiteral("Arial") : name;
    }

    // The font as it is drawn: face, size, weight and slant.
    TRLFont Drawn(const TRLMetaFont& font) const {
        TRLFont drawn;
        drawn.Name = FaceName(font);
        drawn.Size = font.Size;
        drawn.Style = static_cast<std::uint8_t>(font.Style & (fsBold | fsItalic));
        return drawn;
    }

    // Descent in storage units, looked up once per font of the page.
    int Descent(const TRLMetaFont& font) {
        const int style = font.Style & (fsBold | fsItalic);
        for (const DescentEntry& e : descents_) {
            if (e.nameIndex == font.NameIndex && e.style == style && e.size == font.Size) {
                return e.descent;
            }
        }
        const int descent = font.Size > 0 ? TextMetrics::Descent(Drawn(font)) : 0;
        descents_.push_back({font.NameIndex, style, font.Size, descent});
        return descent;
    }

private:
    struct DescentEntry {
        int nameIndex, style, size, descent;
    };
    Pdf::Document& document_;
    const TRLGraphicSurface& page_;
    std::vector<std::array<int, 4>> indexes_;
    std::vector<DescentEntry> descents_;
};

// Width in whole storage units of the text as a reader draws it: at exactly
// its point size, each character at its exact advance. The page's own pixel
// size is rounded (10 points are 13 px, not 13 1/3) and so is every
// character's width at it, which would put a right-aligned text a few
// pixels past its edge, into its clip. So the text is measured at a large
// multiple of its size where a point is a whole number of pixels (4 pixels
// per 3 points), and scaled back.
int PdfTextWidth(const TRLFont& font, const QString& text) {
    constexpr int kLargestPixelSize = 8192; // keeps the helper's arithmetic in range
    if (font.Size <= 0 || font.Size > kLargestPixelSize / 4) {
        return TextMetrics::TextWidth(font, text);
    }
    const int factor = kLargestPixelSize / (4 * font.Size); // pixels per 4/3 unit
    const long long scaled = TextMetrics::TextWidthAt(font, 4 * font.Size * factor, text);
    const long long divisor = 3LL * factor;
    return static_cast<int>((2 * scaled + divisor) / (2 * divisor));
}

// The text as Windows-1252 bytes, the code page the fonts' WinAnsi encoding
// reads; characters outside it become "?".
void EncodeText(std::string& out, const QString& text) {
    out.clear();
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            out.push_back(static_cast<char>(u));
        } else {
            const int b = Win1252::FromUnicode(u);
            out.push_back(static_cast<char>(b < 0 ? '?' : b));
        }
    }
}

using TextLines = std::array<Pdf::Content::TextLine, 2>;

// The text's underline and strike-out, where its font file puts them and as
// thick as it makes them, along the run's width as a reader lays it out;
// returns how many there are.
std::size_t LinesOf(const TRLMetaFont& font, const TRLFont& drawn, std::string_view bytes,
                    TextLines& lines) {
    if ((font.Style & (fsUnderline | fsStrikeOut)) == 0 || font.Size <= 0) {
        return 0;
    }
    const TextMetrics::LineUnits units = TextMetrics::TextLineUnits(drawn.Name, drawn.Style);
    const double em = font.Size * 96.0 / 72.0; // storage units
    const double perUnit = em / TextMetrics::UnitsPerEm(drawn.Name, drawn.Style);
    const double length =
        static_cast<double>(Pdf::RunAdvance(drawn.Name, drawn.Style, bytes)) * em / 1000.0;
    std::size_t count = 0;
    if (font.Style & fsUnderline) {
        lines[count++] = {(units.UnderlineTop - units.UnderlineThickness / 2.0) * perUnit,
                          units.UnderlineThickness * perUnit, length};
    }
    if (font.Style & fsStrikeOut) {
        lines[count++] = {(units.StrikeOutTop - units.StrikeOutThickness / 2.0) * perUnit,
                          units.StrikeOutThickness * perUnit, length};
    }
    return count;
}

void DrawText(const TRLTextObject& t, const TRLGraphicSurface& page, PageFonts& fonts,
              std::string& scratch, Pdf::Content& content) {
    const bool hasMacros = t.Text.contains(QLatin1Char('{'));
    const QString text = hasMacros ? page.ExpandMacros(t.Text) : t.Text;
    double x = t.Origin.X;
    if (t.Alignment == TRLMetaTextAlignment::mtaRight ||
        t.Alignment == TRLMetaTextAlignment::mtaCenter) {
        // Measured in the weight and slant it is drawn in: a bold total
        // placed by its regular width would run past the right edge of its
        // box and lose its last digits to the clip.
        const TRLFont measured = fonts.Drawn(t.Font);
        const int w = PdfTextWidth(measured, text);
        const TRect& b = t.BoundsRect;
        x = t.Alignment == TRLMetaTextAlignment::mtaRight ? b.Right - w
                                                          : (b.Left + b.Right - w) / 2;
    }
    EncodeText(scratch, text);
    Pdf::Content::Text run;
    run.color = ToRgb(t.Font.Color);
    run.bounds = ToBox(t.BoundsRect);
    run.clip = (t.TextFlags & MetaTextFlagAutoSize) == 0;
    run.x = x;
    // The baseline sits the font's descent above the bottom of the box, so
    // descenders stay inside the clip: on the bottom edge itself the clip
    // would cut the tail off every comma and "350,00" would read "350.00".
    run.baseline = t.BoundsRect.Bottom - fonts.Descent(t.Font);
    run.fontIndex = fonts.Index(t.Font);
    run.fontSize = t.Font.Size;
    run.bytes = scratch;
    TextLines lines;
    const std::size_t count = LinesOf(t.Font, fonts.Drawn(t.Font), scratch, lines);
    content.DrawText(run, std::span<const Pdf::Content::TextLine>(lines.data(), count));
}

} // namespace

void TRLPDFFilterDocumentInfo::Assign(const TRLPDFFilterDocumentInfo* other) {
    *this = other ? *other : TRLPDFFilterDocumentInfo();
}

TRLPDFFilter::TRLPDFFilter(QObject* owner) : TRLCustomSaveFilter(owner) {
    DefaultExt = QStringLiteral(".pdf");
    DisplayName = Messages().PdfFormat;
}

TRLPDFFilter::~TRLPDFFilter() {
    // A background run may still be writing through document_.
    WaitForRun();
    document_.Abandon();
}

void TRLPDFFilter::BeginDoc() {
    const int width = Storage() ? Storage()->PageWidth() : 0;
    const int height = Storage() ? Storage()->PageHeight() : 0;
    ViewerOptions = voRegular;
    PageMode = TRLPDFFilterPageMode::pmRegular;
    FullPageMode = TRLPDFFilterPageMode::pmRegular;
    PageLayout = TRLPDFFilterPageLayout::plRegular;
    FontEncoding = TRLPDFFilterFontEncoding::feWinAnsiEncoding;
    ForceASCII = false;
    Pdf::DocumentInfo info{DocumentInfo.Title,    DocumentInfo.Subject, DocumentInfo.Author,
                           DocumentInfo.KeyWords, DocumentInfo.Creator, DocumentInfo.Producer};
    document_.Begin(FileName, width, height, info, Now());
}

void TRLPDFFilter::DrawPage(TRLGraphicSurface& page) {
    imageIndexes_.clear();
    for (int i = 0; i < page.ObjectCount(); ++i) {
        const TRLGraphicObject* object = page.Objects(i);
        if (object->Kind() == TRLGraphicObjectKind::Image) {
            const auto* image = static_cast<const TRLImageObject*>(object);
            imageIndexes_.push_back(
                document_.ImageIndex(image->Data, [image] { return image->Picture(); }));
        }
    }
    Pdf::Content content = document_.BeginPage(page.Width(), page.Height());
    try {
        DrawObjects(page, content);
    } catch (...) {
        // Close the stream so the document can still be finished.
        document_.EndPage();
        throw;
    }
    document_.EndPage();
}

void TRLPDFFilter::DrawObjects(TRLGraphicSurface& page, Pdf::Content& content) {
    PageFonts fonts(document_, page);
    std::size_t nextImage = 0;
    for (int i = 0; i < page.ObjectCount(); ++i) {
        const TRLGraphicObject* object = page.Objects(i);
        const Pdf::Box bounds = ToBox(object->BoundsRect);
        switch (object->Kind()) {
        case TRLGraphicObjectKind::Pixel:
            content.Pixel(bounds, ToRgb(static_cast<const TRLPixelObject*>(object)->Color));
            break;
        case TRLGraphicObjectKind::Line: {
            const auto* line = static_cast<const TRLLineObject*>(object);
            content.Line(ToStroke(line->Pen), {line->FromPoint.X, line->FromPoint.Y},
                         {line->ToPoint.X, line->ToPoint.Y});
            break;
        }
        case TRLGraphicObjectKind::Rectangle: {
            const auto* rect = static_cast<const TRLRectangleObject*>(object);
            content.Rectangle(ToStroke(rect->Pen), ToRgb(rect->Brush.Color), bounds,
                              Fills(rect->Brush));
            break;
        }
        case TRLGraphicObjectKind::Text:
            DrawText(*static_cast<const TRLTextObject*>(object), page, fonts, textBytes_, content);
            break;
        case TRLGraphicObjectKind::FillRect: {
            const auto* fill = static_cast<const TRLFillRectObject*>(object);
            content.FillRect(ToRgb(fill->Brush.Color), bounds, Fills(fill->Brush));
            break;
        }
        case TRLGraphicObjectKind::Ellipse: {
            const auto* ellipse = static_cast<const TRLEllipseObject*>(object);
            content.Ellipse(ToStroke(ellipse->Pen), ToRgb(ellipse->Brush.Color), bounds,
                            Fills(ellipse->Brush));
            break;
        }
        case TRLGraphicObjectKind::Polygon: {
            const auto* polygon = static_cast<const TRLPolygonObject*>(object);
            content.Polygon(ToStroke(polygon->Pen), ToRgb(polygon->Brush.Color),
                            ToPoints(polygon->Points), Fills(polygon->Brush));
            break;
        }
        case TRLGraphicObjectKind::Polyline: {
            const auto* polyline = static_cast<const TRLPolylineObject*>(object);
            content.Polyline(ToStroke(polyline->Pen), ToPoints(polyline->Points));
            break;
        }
        case TRLGraphicObjectKind::Image: {
            // Data that holds no picture draws nothing.
            const int index = imageIndexes_[nextImage++];
            if (index > 0) {
                content.Image(bounds, index);
            }
            break;
        }
        case TRLGraphicObjectKind::SetClipRect:
            content.SetClip(bounds);
            break;
        case TRLGraphicObjectKind::ResetClipRect:
            content.ResetClip();
            break;
        }
    }
}

void TRLPDFFilter::EndDoc() {
    if (!document_.IsOpen()) {
        return;
    }
    if (RunFailed()) {
        document_.Abandon();
        return;
    }
    try {
        document_.End();
    } catch (...) {
        document_.Abandon();
        throw;
    }
}
