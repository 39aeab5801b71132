#include "RLXLSRecords.h"

#include <algorithm>

namespace XLS {

std::uint16_t Field16(long long value) {
    return static_cast<std::uint16_t>(std::clamp<long long>(value, 0, 0xFFFF));
}

std::size_t BeginRecord(LittleEndianWriter& w, std::uint16_t id) {
    w.Put16(id);
    w.Put16(0);
    return w.Size();
}

void EndRecord(LittleEndianWriter& w, std::size_t dataStart) {
    const std::size_t length = w.Size() - dataStart;
    if (length <= MaxRecordData) {
        w.Patch16(dataStart - 2, static_cast<std::uint16_t>(length));
        return;
    }
    // Only the part past the first record is copied, not the whole stream.
    const std::span<const std::uint8_t> written = w.Data();
    const std::vector<std::uint8_t> rest(
        written.begin() + static_cast<std::ptrdiff_t>(dataStart + MaxRecordData), written.end());
    w.Truncate(dataStart + MaxRecordData);
    w.Patch16(dataStart - 2, MaxRecordData);
    for (std::size_t at = 0; at < rest.size(); at += MaxRecordData) {
        const std::size_t n = std::min(MaxRecordData, rest.size() - at);
        w.Put16(ContinueId);
        w.Put16(static_cast<std::uint16_t>(n));
        w.PutBytes(std::span(rest).subspan(at, n));
    }
}

namespace {

void Write16Record(LittleEndianWriter& w, std::uint16_t id, std::uint16_t value) {
    w.Put16(id);
    w.Put16(2);
    w.Put16(value);
}

void WriteEmptyRecord(LittleEndianWriter& w, std::uint16_t id) {
    w.Put16(id);
    w.Put16(0);
}

void WriteDoubleRecord(LittleEndianWriter& w, std::uint16_t id, double value) {
    w.Put16(id);
    w.Put16(8);
    w.PutDouble(value);
}

constexpr TRLXLSColor Rgb(std::uint32_t rgb) {
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb)};
}

constexpr std::array<TRLXLSColor, 56> DefaultPalette = {
    Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0xFF0000), Rgb(0x00FF00), Rgb(0x0000FF), Rgb(0xFFFF00),
    Rgb(0xFF00FF), Rgb(0x00FFFF), Rgb(0x800000), Rgb(0x008000), Rgb(0x000080), Rgb(0x808000),
    Rgb(0x800080), Rgb(0x008080), Rgb(0xC0C0C0), Rgb(0x808080), Rgb(0x9999FF), Rgb(0x993366),
    Rgb(0xFFFFCC), Rgb(0xCCFFFF), Rgb(0x660066), Rgb(0xFF8080), Rgb(0x0066CC), Rgb(0xCCCCFF),
    Rgb(0x000080), Rgb(0xFF00FF), Rgb(0xFFFF00), Rgb(0x00FFFF), Rgb(0x800080), Rgb(0x800000),
    Rgb(0x008080), Rgb(0x0000FF), Rgb(0x00CCFF), Rgb(0xCCFFFF), Rgb(0xCCFFCC), Rgb(0xFFFF99),
    Rgb(0x99CCFF), Rgb(0xFF99CC), Rgb(0xCC99FF), Rgb(0xFFCC99), Rgb(0x3366FF), Rgb(0x33CCCC),
    Rgb(0x99CC00), Rgb(0xFFCC00), Rgb(0xFF9900), Rgb(0xFF6600), Rgb(0x666699), Rgb(0x969696),
    Rgb(0x003366), Rgb(0x339966), Rgb(0x003300), Rgb(0x333300), Rgb(0x993300), Rgb(0x993366),
    Rgb(0x333399), Rgb(0x333333)};

// White, black, silver, grey, red, maroon, yellow, olive, lime, green, aqua,
// teal, blue, navy, fuchsia, purple: never given away to another colour.
constexpr std::array<TRLXLSColor, 16> BasicColors = {
    Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xC0C0C0), Rgb(0x808080), Rgb(0xFF0000), Rgb(0x800000),
    Rgb(0xFFFF00), Rgb(0x808000), Rgb(0x00FF00), Rgb(0x008000), Rgb(0x00FFFF), Rgb(0x008080),
    Rgb(0x0000FF), Rgb(0x000080), Rgb(0xFF00FF), Rgb(0x800080)};

template <class C> bool Contains(const C& list, TRLXLSColor c) {
    return std::find(list.begin(), list.end(), c) != list.end();
}

} // namespace

Palette::Palette() : colors_(DefaultPalette) {}

std::uint16_t Palette::ColorIndex(TRLXLSColor color) {
    if (!Contains(used_, color)) {
        used_.push_back(color);
    }
    auto found = std::find(colors_.begin(), colors_.end(), color);
    if (found == colors_.end()) {
        found = std::find_if(colors_.begin(), colors_.end(), [&](TRLXLSColor c) {
            return !Contains(BasicColors, c) && !Contains(used_, c);
        });
        if (found == colors_.end()) {
            return 1 + 8;
        }
        *found = color;
        modified_ = true;
    }
    return static_cast<std::uint16_t>(found - colors_.begin() + 8);
}

XFBytes RangeXF(const TRLXLSRange& range, std::uint16_t fontIndex, std::uint16_t formatIndex,
                Palette& palette) {
    using S = TRLXLSBorders::Side;
    const TRLXLSBorders& b = range.Borders;
    auto color = [&](S side) -> std::uint32_t {
        return b[side].LineStyle ? palette.ColorIndex(b[side].Color) : 0;
    };
    const bool down = b[S::DiagonalDown].LineStyle != 0;
    const bool up = b[S::DiagonalUp].LineStyle != 0;
    const S diagonal = up ? S::DiagonalUp : S::DiagonalDown;

    XFBytes out{};
    std::size_t at = 0;
    auto put = [&](std::uint32_t v, std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; ++i) {
            out[at++] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    put(fontIndex, 2);
    put(formatIndex, 2);
    put(0x0001, 2);
    put((range.HorizontalAlignment & 7) | (range.WrapText ? 0x08 : 0) |
            ((range.VerticalAlignment & 7) << 4),
        1);
    put(range.Rotation, 1);
    put(range.IsMerged() ? 0x7C20 : 0x7C00, 2);
    put((b[S::Left].LineStyle & 15) | ((b[S::Right].LineStyle & 15) << 4) |
            ((b[S::Top].LineStyle & 15) << 8) | ((b[S::Bottom].LineStyle & 15) << 12),
        2);
    put(color(S::Left) | (color(S::Right) << 7) | (down ? 0x4000 : 0) | (up ? 0x8000 : 0), 2);
    put(color(S::Top) | (color(S::Bottom) << 7) | (color(diagonal) << 14) |
            (std::uint32_t(b[diagonal].LineStyle & 15) << 21) |
            (std::uint32_t(range.FillPattern & 63) << 26),
        4);
    put(palette.ColorIndex(range.ForegroundColor) |
            (palette.ColorIndex(range.BackgroundColor) << 7),
        2);
    return out;
}

// ---- Workbook globals ----

void WriteBOF(LittleEndianWriter& w, BofType type) {
    w.Put16(0x0809);
    w.Put16(16);
    w.Put16(0x0600);
    w.Put16(static_cast<std::uint16_t>(type));
    w.Put16(3515);
    w.Put16(1996);
    if (type == BofType::Globals) {
        w.Put32(0);      // file history
        w.Put32(0x0600); // lowest version
    } else {
        w.PutFill(0, 8);
    }
}

void WriteInterfaceHdr(LittleEndianWriter& w) {
    Write16Record(w, 0x00E1, 1252);
}

void WriteMms(LittleEndianWriter& w) {
    Write16Record(w, 0x00C1, 0);
}

void WriteInterfaceEnd(LittleEndianWriter& w) {
    WriteEmptyRecord(w, 0x00E2);
}

void WriteWriteAccess(LittleEndianWriter& w, const QString& userName) {
    // Character count and flag byte ahead of the name, as readers expect
    // them; the rest of the 112 bytes is blank.
    constexpr std::size_t size = 112;
    const QString name = userName.left((size - 3) / 2);
    const std::size_t start = BeginRecord(w, 0x005C);
    w.Put16(static_cast<std::uint16_t>(name.size()));
    w.Put8(1);
    w.PutUtf16(name);
    w.PutFill(0x20, size - (w.Size() - start));
    EndRecord(w, start);
}

void WriteCodePage(LittleEndianWriter& w) {
    Write16Record(w, 0x0042, 1252);
}

void WriteDSF(LittleEndianWriter& w) {
    Write16Record(w, 0x0161, 0);
}

void WriteExcel9File(LittleEndianWriter& w) {
    WriteEmptyRecord(w, 0x01C0);
}

void WriteTabId(LittleEndianWriter& w, std::size_t sheetCount) {
    const std::size_t start = BeginRecord(w, 0x013D);
    for (std::size_t i = 0; i < sheetCount; ++i) {
        w.Put16(static_cast<std::uint16_t>(i));
    }
    EndRecord(w, start);
}

void WriteFnGroupCount(LittleEndianWriter& w) {
    Write16Record(w, 0x009C, 14);
}
void WriteWindowProtect(LittleEndianWriter& w) {
    Write16Record(w, 0x0019, 0);
}
void WriteProtect(LittleEndianWriter& w) {
    Write16Record(w, 0x0012, 0);
}
void WritePassword(LittleEndianWriter& w) {
    Write16Record(w, 0x0013, 0);
}
void WriteProt4Rev(LittleEndianWriter& w) {
    Write16Record(w, 0x01AF, 0);
}
void WriteProt4RevPass(LittleEndianWriter& w) {
    Write16Record(w, 0x01BC, 0);
}

void WriteWindow1(LittleEndianWriter& w) {
    w.Put16(0x003D);
    w.Put16(18);
    for (std::uint16_t v : {360, 30, 7454, 6240, 0x0038, 0, 0, 1, 600}) {
        w.Put16(v);
    }
}

void WriteBackup(LittleEndianWriter& w) {
    Write16Record(w, 0x0040, 0);
}
void WriteHideObj(LittleEndianWriter& w) {
    Write16Record(w, 0x008D, 0);
}
void WriteDateMode(LittleEndianWriter& w) {
    Write16Record(w, 0x0022, 0);
}
void WritePrecision(LittleEndianWriter& w) {
    Write16Record(w, 0x000E, 1);
}
void WriteRefreshAll(LittleEndianWriter& w) {
    Write16Record(w, 0x01B7, 0);
}
void WriteBookBool(LittleEndianWriter& w) {
    Write16Record(w, 0x00DA, 0);
}

void WriteFont(LittleEndianWriter& w, const TRLXLSFont& font, std::uint16_t colorIndex) {
    const QString name = font.Name.left(255);
    const std::size_t start = BeginRecord(w, 0x0031);
    w.Put16(Field16(static_cast<long long>(font.Size) * 20));
    w.Put16(static_cast<std::uint16_t>(((font.Styles & TRLXLSFont::Italic) ? 0x0002 : 0) |
                                       ((font.Styles & TRLXLSFont::StrikeOut) ? 0x0008 : 0)));
    w.Put16(colorIndex);
    w.Put16((font.Styles & TRLXLSFont::Bold) ? 1000 : 100);
    w.Put16(0);
    w.Put8((font.Styles & TRLXLSFont::Underline) ? 1 : 0);
    w.Put8(font.PitchAndFamily);
    w.Put8(font.Charset);
    w.Put8(0);
    w.Put8(static_cast<std::uint8_t>(name.size()));
    w.Put8(1);
    w.PutUtf16(name);
    EndRecord(w, start);
}

void WriteFormat(LittleEndianWriter& w, std::uint16_t index, const QString& text) {
    const QString t = text.left(255);
    const std::size_t start = BeginRecord(w, 0x041E);
    w.Put16(index);
    w.Put16(static_cast<std::uint16_t>(t.size()));
    w.Put8(1);
    w.PutUtf16(t);
    EndRecord(w, start);
}

void WriteFixedFormats(LittleEndianWriter& w) {
    // The currency symbol is the code-page byte 0xF0.
    static const struct {
        std::uint16_t index;
        const char16_t* text;
    } formats[] = {
        {5, u"#,##0\"\u00F0.\";\\-#,##0\"\u00F0.\""},
        {6, u"#,##0\"\u00F0.\";[Red]\\-#,##0\"\u00F0.\""},
        {7, u"#,##0.00\"\u00F0.\";\\-#,##0.00\"\u00F0.\""},
        {8, u"#,##0.00\"\u00F0.\";[Red]\\-#,##0.00\"\u00F0.\""},
        {42, u"_-* #,##0\"\u00F0.\"_-;\\-* #,##0\"\u00F0.\"_-;_-* \"-\"\"\u00F0.\"_-;_-@_-"},
        {41, u"_-* #,##0_\u00F0_._-;\\-* #,##0_\u00F0_._-;_-* \"-\"_\u00F0_._-;_-@_-"},
        {44,
         u"_-* #,##0.00\"\u00F0.\"_-;\\-* #,##0.00\"\u00F0.\"_-;_-* \"-\"??\"\u00F0.\"_-;_-@_-"},
        {43, u"_-* #,##0.00_\u00F0_._-;\\-* #,##0.00_\u00F0_._-;_-* \"-\"??_\u00F0_._-;_-@_-"},
    };
    for (const auto& f : formats) {
        WriteFormat(w, f.index, QString::fromUtf16(f.text));
    }
}

void WriteXF(LittleEndianWriter& w, const XFBytes& xf) {
    w.Put16(0x00E0);
    w.Put16(20);
    w.PutBytes(xf);
}

void WriteStyleXFs(LittleEndianWriter& w) {
    constexpr XFBytes normal = {0x00, 0x00, 0x00, 0x00, 0xf5, 0xff, 0x20, 0x00, 0x00, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x20};
    XFBytes outline = {0x01, 0x00, 0x00, 0x00, 0xf5, 0xff, 0x20, 0x00, 0x00, 0xf4,
                       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x20};
    WriteXF(w, normal);
    for (int i = 1; i <= 14; ++i) {
        outline[0] = i <= 2 ? 1 : i <= 4 ? 2 : 0;
        WriteXF(w, outline);
    }
    constexpr XFBytes defaultCell = {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x20, 0x00, 0x00, 0x00,
                                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x20};
    WriteXF(w, defaultCell);
}

void WritePalette(LittleEndianWriter& w, const Palette& palette) {
    w.Put16(0x0092);
    w.Put16(2 + 56 * 4);
    w.Put16(56);
    for (const TRLXLSColor& c : palette.Colors()) {
        w.Put8(c.R);
        w.Put8(c.G);
        w.Put8(c.B);
        w.Put8(0);
    }
}

void WriteStyles(LittleEndianWriter& w) {
    static constexpr std::uint8_t styles[6][4] = {
        {0x10, 0x80, 0x04, 0xFF}, {0x11, 0x80, 0x07, 0xFF}, {0x00, 0x80, 0x00, 0xFF},
        {0x12, 0x80, 0x05, 0xFF}, {0x13, 0x80, 0x03, 0xFF}, {0x14, 0x80, 0x06, 0xFF}};
    for (const auto& s : styles) {
        w.Put16(0x0293);
        w.Put16(4);
        w.PutBytes(s);
    }
}

void WriteUsesElfs(LittleEndianWriter& w) {
    Write16Record(w, 0x0160, 0);
}

std::size_t WriteBoundSheet(LittleEndianWriter& w, const QString& name) {
    const std::size_t start = BeginRecord(w, 0x0085);
    w.Put32(0);
    w.Put8(0);
    w.Put8(0);
    w.Put8(static_cast<std::uint8_t>(name.size()));
    w.Put8(1);
    w.PutUtf16(name);
    EndRecord(w, start);
    return start;
}

void WriteCountry(LittleEndianWriter& w) {
    w.Put16(0x008C);
    w.Put16(4);
    w.Put16(7);
    w.Put16(7);
}

std::vector<ExtSstEntry> WriteSST(LittleEndianWriter& w, std::span<const QString* const> strings) {
    // Sizes count the 4-byte header, so a full record is 8228 bytes.
    constexpr std::size_t limit = MaxRecordData + 4;
    std::vector<ExtSstEntry> ext;
    std::size_t record = w.Size();
    auto used = [&] { return w.Size() - record; };
    auto next = [&] {
        w.Patch16(record + 2, static_cast<std::uint16_t>(used() - 4));
        record = w.Size();
        w.Put16(ContinueId);
        w.Put16(0);
    };
    w.Put16(0x00FC);
    w.Put16(0);
    w.Put32(static_cast<std::uint32_t>(strings.size()));
    w.Put32(static_cast<std::uint32_t>(strings.size()));
    for (std::size_t i = 0; i < strings.size(); ++i) {
        // Character counts are 16-bit.
        const QStringView text = QStringView(*strings[i]).left(0xFFFF);
        if (limit - used() <= 4) {
            next();
        }
        if (i % 8 == 0) {
            ext.push_back(
                {static_cast<std::uint32_t>(w.Size()), static_cast<std::uint16_t>(used())});
        }
        w.Put16(static_cast<std::uint16_t>(text.size()));
        w.Put8(1);
        std::size_t done = 0;
        const auto total = static_cast<std::size_t>(text.size());
        for (;;) {
            const std::size_t n = std::min((limit - used()) / 2, total - done);
            w.PutUtf16(text.utf16() + done, n);
            done += n;
            if (done == total) {
                break;
            }
            // The characters go on in a CONTINUE record that repeats the flag byte.
            next();
            w.Put8(1);
        }
    }
    w.Patch16(record + 2, static_cast<std::uint16_t>(used() - 4));
    return ext;
}

void WriteExtSST(LittleEndianWriter& w, std::span<const ExtSstEntry> entries) {
    const std::size_t start = BeginRecord(w, 0x00FF);
    w.Put16(8);
    for (const ExtSstEntry& e : entries) {
        w.Put32(e.StreamPos);
        w.Put16(e.RecordOffset);
        w.Put16(0);
    }
    EndRecord(w, start);
}

void WriteEOF(LittleEndianWriter& w) {
    WriteEmptyRecord(w, 0x000A);
}

// ---- Worksheet ----

std::size_t WriteIndex(LittleEndianWriter& w, std::uint32_t firstRow, std::uint32_t lastRowPlus1,
                       std::size_t blockCount) {
    const std::size_t start = BeginRecord(w, 0x020B);
    w.Put32(0);
    w.Put32(firstRow);
    w.Put32(lastRowPlus1);
    w.Put32(0);
    const std::size_t offsets = w.Size();
    w.PutFill(0, 4 * blockCount);
    EndRecord(w, start);
    return offsets;
}

void WriteCalcMode(LittleEndianWriter& w) {
    Write16Record(w, 0x000D, 1);
}
void WriteCalcCount(LittleEndianWriter& w) {
    Write16Record(w, 0x000C, 100);
}
void WriteRefMode(LittleEndianWriter& w) {
    Write16Record(w, 0x000F, 1);
}
void WriteIteration(LittleEndianWriter& w) {
    Write16Record(w, 0x0011, 0);
}
void WriteDelta(LittleEndianWriter& w) {
    WriteDoubleRecord(w, 0x0010, 0.001);
}
void WriteSaveRecalc(LittleEndianWriter& w) {
    Write16Record(w, 0x005F, 1);
}
void WritePrintHeaders(LittleEndianWriter& w) {
    Write16Record(w, 0x002A, 0);
}
void WritePrintGridLines(LittleEndianWriter& w, bool print) {
    Write16Record(w, 0x002B, print ? 1 : 0);
}
void WriteGridSet(LittleEndianWriter& w) {
    Write16Record(w, 0x0082, 1);
}

void WriteGuts(LittleEndianWriter& w) {
    w.Put16(0x0080);
    w.Put16(8);
    w.PutFill(0, 8);
}

void WriteDefaultRowHeight(LittleEndianWriter& w) {
    w.Put16(0x0225);
    w.Put16(4);
    w.Put16(0);
    w.Put16(255);
}

void WriteWsBool(LittleEndianWriter& w) {
    Write16Record(w, 0x0081, 0x04C1);
}

namespace {

void WriteHeaderFooter(LittleEndianWriter& w, std::uint16_t id, const QString& left,
                       const QString& center, const QString& right) {
    QString text;
    if (!left.isEmpty()) {
        text += QStringLiteral("&L") + left;
    }
    if (!center.isEmpty()) {
        text += QStringLiteral("&C") + center;
    }
    if (!right.isEmpty()) {
        text += QStringLiteral("&R") + right;
    }
    if (text.isEmpty()) {
        return;
    }
    text.truncate(255);
    const std::size_t start = BeginRecord(w, id);
    w.Put16(static_cast<std::uint16_t>(text.size()));
    w.Put8(1);
    w.PutUtf16(text);
    EndRecord(w, start);
}

} // namespace

void WriteHeader(LittleEndianWriter& w, const QString& left, const QString& center,
                 const QString& right) {
    WriteHeaderFooter(w, 0x0014, left, center, right);
}

void WriteFooter(LittleEndianWriter& w, const QString& left, const QString& center,
                 const QString& right) {
    WriteHeaderFooter(w, 0x0015, left, center, right);
}

void WriteHCenter(LittleEndianWriter& w, bool center) {
    Write16Record(w, 0x0083, center);
}
void WriteVCenter(LittleEndianWriter& w, bool center) {
    Write16Record(w, 0x0084, center);
}
void WriteLeftMargin(LittleEndianWriter& w, double cm) {
    WriteDoubleRecord(w, 0x0026, cm / 2.54);
}
void WriteRightMargin(LittleEndianWriter& w, double cm) {
    WriteDoubleRecord(w, 0x0027, cm / 2.54);
}
void WriteTopMargin(LittleEndianWriter& w, double cm) {
    WriteDoubleRecord(w, 0x0028, cm / 2.54);
}
void WriteBottomMargin(LittleEndianWriter& w, double cm) {
    WriteDoubleRecord(w, 0x0029, cm / 2.54);
}

void WriteSetup(LittleEndianWriter& w, const TRLXLSPageSetup& s) {
    w.Put16(0x00A1);
    w.Put16(34);
    w.Put16(static_cast<std::uint16_t>(s.PaperSize));
    w.Put16(static_cast<std::uint16_t>(s.Zoom));
    w.Put16(static_cast<std::uint16_t>(s.FirstPageNumber));
    w.Put16(s.FitToPagesWide ? 1 : 0);
    w.Put16(s.FitToPagesTall ? 1 : 0);
    w.Put16(static_cast<std::uint16_t>(0x0002 | (s.BlackAndWhite ? 0x0008 : 0) |
                                       (s.Draft ? 0x0010 : 0) | (s.PrintNotes ? 0x0020 : 0) |
                                       (s.FirstPageNumber != 1 ? 0x0080 : 0)));
    w.Put16(0);
    w.Put16(0);
    w.PutDouble(s.HeaderMargin / 2.54);
    w.PutDouble(s.FooterMargin / 2.54);
    w.Put16(static_cast<std::uint16_t>(s.Copies));
}

void WriteDefColWidth(LittleEndianWriter& w) {
    Write16Record(w, 0x0055, 8);
}

void WriteColInfo(LittleEndianWriter& w, const TRLXLSCol& col) {
    w.Put16(0x007D);
    w.Put16(11);
    w.Put16(static_cast<std::uint16_t>(col.Index));
    w.Put16(static_cast<std::uint16_t>(col.Index));
    w.Put16(Field16(col.Width));
    w.Put16(0);
    w.Put16(0);
    w.Put8(0);
}

void WriteDimensions(LittleEndianWriter& w, const TRLXLSWorksheet& sheet) {
    w.Put16(0x0200);
    w.Put16(14);
    const bool rows = sheet.HasUsedRows();
    const bool cols = sheet.HasUsedCols();
    w.Put32(rows ? static_cast<std::uint32_t>(sheet.FirstRow) : 0);
    w.Put32(rows ? static_cast<std::uint32_t>(sheet.LastRow + 1) : 0);
    w.Put16(cols ? static_cast<std::uint16_t>(sheet.FirstCol) : 0);
    w.Put16(cols ? static_cast<std::uint16_t>(sheet.LastCol + 1) : 0);
    w.Put16(0);
}

void WriteRow(LittleEndianWriter& w, std::uint16_t row, std::uint16_t firstCol,
              std::uint16_t lastColPlus1, std::uint16_t height, std::uint16_t flags) {
    w.Put16(0x0208);
    w.Put16(16);
    w.Put16(row);
    w.Put16(firstCol);
    w.Put16(lastColPlus1);
    w.Put16(height);
    w.Put16(0);
    w.Put16(0);
    w.Put16(flags);
    w.Put16(0);
}

void WriteNumber(LittleEndianWriter& w, std::uint16_t row, std::uint16_t col, std::uint16_t xf,
                 double value) {
    w.Put16(0x0203);
    w.Put16(14);
    w.Put16(row);
    w.Put16(col);
    w.Put16(xf);
    w.PutDouble(value);
}

void WriteLabelSst(LittleEndianWriter& w, std::uint16_t row, std::uint16_t col, std::uint16_t xf,
                   std::uint32_t sst) {
    w.Put16(0x00FD);
    w.Put16(10);
    w.Put16(row);
    w.Put16(col);
    w.Put16(xf);
    w.Put32(sst);
}

void WriteBlank(LittleEndianWriter& w, std::uint16_t row, std::uint16_t col, std::uint16_t xf) {
    w.Put16(0x0201);
    w.Put16(6);
    w.Put16(row);
    w.Put16(col);
    w.Put16(xf);
}

void WriteMulBlank(LittleEndianWriter& w, std::uint16_t row, std::uint16_t firstCol,
                   std::uint16_t lastCol, std::uint16_t xf) {
    const std::size_t start = BeginRecord(w, 0x00BE);
    w.Put16(row);
    w.Put16(firstCol);
    for (int c = firstCol; c <= lastCol; ++c) {
        w.Put16(xf);
    }
    w.Put16(lastCol);
    EndRecord(w, start);
}

void WriteDBCell(LittleEndianWriter& w, std::uint32_t backToFirstRow,
                 std::span<const std::uint16_t> cellOffsets) {
    const std::size_t start = BeginRecord(w, 0x00D7);
    w.Put32(backToFirstRow);
    for (std::uint16_t o : cellOffsets) {
        w.Put16(o);
    }
    EndRecord(w, start);
}

void WriteWindow2(LittleEndianWriter& w, bool firstSheet) {
    w.Put16(0x023E);
    w.Put16(18);
    w.Put16(firstSheet ? 0x06B6 : 0x04B6);
    w.Put16(0);
    w.Put16(0);
    w.Put32(64);
    w.Put16(0);
    w.Put16(0);
    w.Put32(0);
}

void WriteSelection(LittleEndianWriter& w) {
    w.Put16(0x001D);
    w.Put16(15);
    w.Put8(3);
    w.Put16(0);
    w.Put16(0);
    w.Put16(0);
    w.Put16(1);
    w.Put16(0);
    w.Put16(0);
    w.Put8(0);
    w.Put8(0);
}

void WriteMergedCells(LittleEndianWriter& w, std::span<const TRLXLSRange* const> merged) {
    for (std::size_t at = 0; at < merged.size(); at += MaxMergedPerRecord) {
        const auto part = merged.subspan(at, std::min(MaxMergedPerRecord, merged.size() - at));
        const std::size_t start = BeginRecord(w, 0x00E5);
        w.Put16(static_cast<std::uint16_t>(part.size()));
        for (const TRLXLSRange* r : part) {
            w.Put16(static_cast<std::uint16_t>(r->Top));
            w.Put16(static_cast<std::uint16_t>(r->Bottom));
            w.Put16(static_cast<std::uint16_t>(r->Left));
            w.Put16(static_cast<std::uint16_t>(r->Right));
        }
        EndRecord(w, start);
    }
}

} // namespace XLS
