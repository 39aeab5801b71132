#include "RLXLSWriter.h"

#include "AtomicFile.h"
#include "CompoundFile.h"
#include "Exception.h"
#include "RLXLSRecords.h"

#include <QDataStream>
#include <QHashFunctions> // std::hash of QByteArray
#include <QIODevice>
#include <algorithm>
#include <charconv>
#include <string>
#include <unordered_map>

namespace XLS {

namespace {

constexpr std::uint16_t FirstCellXF = 15;
constexpr std::uint16_t FirstUserFormat = 50;
constexpr int DefaultFontCount = 4;
constexpr int RowsPerBlock = 32;

double NumberFromText(const QString& value, QChar decimalSeparator) {
    QString t = value;
    if (decimalSeparator != u'.') {
        t.replace(decimalSeparator, u'.');
    }
    const QByteArray ascii = t.toLatin1();
    const char* first = ascii.constData();
    if (*first == '+') {
        ++first;
    }
    double result = 0;
    std::from_chars(first, ascii.constData() + ascii.size(), result);
    return result;
}

// Per range of a sheet: what its records refer to.
struct RangeRefs {
    std::uint16_t Font = 0;
    std::uint16_t Format = 0;
    std::uint16_t XF = 0;
    std::uint32_t Sst = 0;
};

class StreamBuilder {
public:
    StreamBuilder(const TRLXLSWorkbook& workbook, QChar decimalSeparator)
        : wb_(workbook), decimal_(decimalSeparator) {}

    std::vector<std::uint8_t> Build() {
        Collect();
        WriteGlobals();
        for (std::size_t i = 0; i < wb_.Sheets().size(); ++i) {
            WriteSheet(i);
        }
        return w_.Take();
    }

private:
    void Collect();
    std::size_t FontIndex(const TRLXLSFont& font, std::size_t& last);
    std::size_t EstimatedSize() const;
    void WriteGlobals();
    void WriteFontsFormatsXFs();
    void WriteSheet(std::size_t index);
    void WritePageSetup();
    void WriteRowBlocks(const TRLXLSWorksheet& sheet, const std::vector<RangeRefs>& refs,
                        std::size_t indexOffsets);
    void WriteCells(const TRLXLSRange& r, const RangeRefs& refs, int row);

    const TRLXLSWorkbook& wb_;
    QChar decimal_;
    LittleEndianWriter w_;
    Palette palette_;
    std::vector<const TRLXLSFont*> fonts_; // range fonts after the four defaults
    // Where each font and cell XF stands in its list. A page from a file may
    // hold a distinct font in every text: looked up by content, not by a
    // pass over the list per range.
    std::unordered_map<QByteArray, std::size_t> fontAt_;
    std::unordered_map<std::string, std::size_t> xfAt_;
    std::vector<const QString*> formats_; // distinct user number formats
    std::vector<XFBytes> xfs_;            // cell XFs; 0 is the default cell XF
    std::vector<std::vector<RangeRefs>> refs_;
    std::vector<const QString*> strings_;
    std::vector<std::size_t> sheetOffsetFields_;
};

// The list holds distinct items, so the one found last, tried first, is the
// only match when it matches; neighbouring cells mostly share their font.
template <class T>
std::size_t IndexOrAppend(std::vector<const T*>& list, const T& item, std::size_t& last) {
    if (last < list.size() && *list[last] == item) {
        return last;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (*list[i] == item) {
            return last = i;
        }
    }
    list.push_back(&item);
    return last = list.size() - 1;
}

// The font's attributes as one key.
QByteArray FontKey(const TRLXLSFont& f) {
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << f.Name << f.Size << f.Height << f.Styles << f.Color.R << f.Color.G << f.Color.B
        << f.Charset << f.PitchAndFamily;
    return key;
}

std::size_t StreamBuilder::FontIndex(const TRLXLSFont& font, std::size_t& last) {
    // Neighbouring cells mostly share their font.
    if (last < fonts_.size() && *fonts_[last] == font) {
        return last;
    }
    const auto [at, added] = fontAt_.try_emplace(FontKey(font), fonts_.size());
    if (added) {
        fonts_.push_back(&font);
    }
    return last = at->second;
}

void StreamBuilder::Collect() {
    const TRLXLSFont defaultFont;
    std::size_t lastFont = 0;
    std::size_t lastFormat = 0;
    for (const auto& sheet : wb_.Sheets()) {
        auto& refs = refs_.emplace_back(sheet->Ranges().size());
        for (std::size_t i = 0; i < sheet->Ranges().size(); ++i) {
            const TRLXLSRange& r = *sheet->Ranges()[i];
            // The four default fonts stand first; font index 4 does not exist.
            const std::size_t pos =
                r.Font == defaultFont ? 0 : DefaultFontCount + FontIndex(r.Font, lastFont);
            refs[i].Font = static_cast<std::uint16_t>(pos + 1);
            if (!r.NumberFormat.isEmpty()) {
                refs[i].Format = static_cast<std::uint16_t>(
                    FirstUserFormat + IndexOrAppend(formats_, r.NumberFormat, lastFormat));
            }
            if (r.ValueKind == vkText) {
                refs[i].Sst = static_cast<std::uint32_t>(strings_.size());
                strings_.push_back(&r.Value);
            }
        }
    }
}

// Room for the whole stream up front, so the buffer rarely has to move.
std::size_t StreamBuilder::EstimatedSize() const {
    std::size_t size = 4096 + 64 * fonts_.size();
    for (const auto& sheet : wb_.Sheets()) {
        size += 700 + 16 * sheet->Cols().size() + 24 * sheet->Rows().size();
        for (const auto& r : sheet->Ranges()) {
            size += 40 + 6 * (r->Bottom - r->Top + 1) * (r->Right - r->Left + 1);
        }
    }
    for (const QString* s : strings_) {
        size += 3 + 2 * static_cast<std::size_t>(s->size());
    }
    return size + size / 16;
}

void StreamBuilder::WriteGlobals() {
    w_.Reserve(EstimatedSize());
    WriteBOF(w_, BofType::Globals);
    WriteInterfaceHdr(w_);
    WriteMms(w_);
    WriteInterfaceEnd(w_);
    WriteWriteAccess(w_, wb_.UserName);
    WriteCodePage(w_);
    WriteDSF(w_);
    WriteExcel9File(w_);
    WriteTabId(w_, wb_.Sheets().size());
    WriteFnGroupCount(w_);
    WriteWindowProtect(w_);
    WriteProtect(w_);
    WritePassword(w_);
    WriteProt4Rev(w_);
    WriteProt4RevPass(w_);
    WriteWindow1(w_);
    WriteBackup(w_);
    WriteHideObj(w_);
    WriteDateMode(w_);
    WritePrecision(w_);
    WriteRefreshAll(w_);
    WriteBookBool(w_);
    WriteFontsFormatsXFs();
    if (palette_.Modified()) {
        WritePalette(w_, palette_);
    }
    WriteStyles(w_);
    WriteUsesElfs(w_);
    for (const auto& sheet : wb_.Sheets()) {
        sheetOffsetFields_.push_back(WriteBoundSheet(w_, sheet->Name()));
    }
    WriteCountry(w_);
    if (!strings_.empty()) {
        const auto ext = WriteSST(w_, strings_);
        WriteExtSST(w_, ext);
    }
    WriteEOF(w_);
}

void StreamBuilder::WriteFontsFormatsXFs() {
    // The defaults take the window-text colour, black.
    const TRLXLSFont defaultFont;
    for (int i = 0; i < DefaultFontCount; ++i) {
        WriteFont(w_, defaultFont, palette_.ColorIndex(defaultFont.Color));
    }
    for (const TRLXLSFont* f : fonts_) {
        WriteFont(w_, *f, palette_.ColorIndex(f->Color));
    }
    WriteFixedFormats(w_);
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        WriteFormat(w_, static_cast<std::uint16_t>(FirstUserFormat + i), *formats_[i]);
    }
    WriteStyleXFs(w_);
    xfs_.push_back({});   // the default cell XF, written with the style XFs
    std::size_t last = 0; // the cell XFs after the default are distinct, as fonts are
    for (std::size_t s = 0; s < wb_.Sheets().size(); ++s) {
        const auto& ranges = wb_.Sheets()[s]->Ranges();
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            RangeRefs& refs = refs_[s][i];
            const XFBytes xf = RangeXF(*ranges[i], refs.Font, refs.Format, palette_);
            if (last == 0 || !(xfs_[last] == xf)) {
                const auto [at, added] = xfAt_.try_emplace(
                    std::string(reinterpret_cast<const char*>(xf.data()), xf.size()), xfs_.size());
                if (added) {
                    WriteXF(w_, xf);
                    xfs_.push_back(xf);
                }
                last = at->second;
            }
            refs.XF = static_cast<std::uint16_t>(FirstCellXF + last);
        }
    }
}

void StreamBuilder::WritePageSetup() {
    const TRLXLSPageSetup& ps = wb_.PageSetup;
    WriteHeader(w_, ps.LeftHeader, ps.CenterHeader, ps.RightHeader);
    WriteFooter(w_, ps.LeftFooter, ps.CenterFooter, ps.RightFooter);
    WriteHCenter(w_, ps.CenterHorizontally);
    WriteVCenter(w_, ps.CenterVertically);
    WriteLeftMargin(w_, ps.LeftMargin);
    WriteRightMargin(w_, ps.RightMargin);
    WriteTopMargin(w_, ps.TopMargin);
    WriteBottomMargin(w_, ps.BottomMargin);
    WriteSetup(w_, ps);
}

void StreamBuilder::WriteSheet(std::size_t index) {
    const TRLXLSWorksheet& sheet = *wb_.Sheets()[index];
    w_.Patch32(sheetOffsetFields_[index], static_cast<std::uint32_t>(w_.Size()));
    WriteBOF(w_, BofType::Worksheet);
    const bool rows = sheet.HasUsedRows();
    const std::size_t blocks =
        rows ? (sheet.LastRow - sheet.FirstRow + RowsPerBlock) / RowsPerBlock : 0;
    const std::size_t indexOffsets =
        WriteIndex(w_, rows ? sheet.FirstRow : 0, rows ? sheet.LastRow + 1 : 0, blocks);
    WriteCalcMode(w_);
    WriteCalcCount(w_);
    WriteRefMode(w_);
    WriteIteration(w_);
    WriteDelta(w_);
    WriteSaveRecalc(w_);
    WritePrintHeaders(w_);
    WritePrintGridLines(w_, wb_.PageSetup.PrintGridLines);
    WriteGridSet(w_);
    WriteGuts(w_);
    WriteDefaultRowHeight(w_);
    WriteWsBool(w_);
    WritePageSetup();
    WriteDefColWidth(w_);
    for (const TRLXLSCol& col : sheet.Cols()) {
        WriteColInfo(w_, col);
    }
    WriteDimensions(w_, sheet);
    if (rows) {
        WriteRowBlocks(sheet, refs_[index], indexOffsets);
    }
    WriteWindow2(w_, index == 0);
    WriteSelection(w_);
    std::vector<const TRLXLSRange*> merged;
    for (const auto& r : sheet.Ranges()) {
        if (r->IsMerged()) {
            merged.push_back(r.get());
        }
    }
    WriteMergedCells(w_, merged);
    WriteEOF(w_);
}

void StreamBuilder::WriteCells(const TRLXLSRange& r, const RangeRefs& refs, int row) {
    const auto rw = static_cast<std::uint16_t>(row);
    int first = r.Left;
    if (row == r.Top) {
        const auto col = static_cast<std::uint16_t>(r.Left);
        if (r.ValueKind == vkNumber) {
            WriteNumber(w_, rw, col, refs.XF, NumberFromText(r.Value, decimal_));
        } else {
            WriteLabelSst(w_, rw, col, refs.XF, refs.Sst);
        }
        ++first;
    }
    if (r.Right - first >= 1) {
        WriteMulBlank(w_, rw, static_cast<std::uint16_t>(first),
                      static_cast<std::uint16_t>(r.Right), refs.XF);
    } else if (r.Right == first) {
        WriteBlank(w_, rw, static_cast<std::uint16_t>(first), refs.XF);
    }
}

void StreamBuilder::WriteRowBlocks(const TRLXLSWorksheet& sheet, const std::vector<RangeRefs>& refs,
                                   std::size_t indexOffsets) {
    // Every (row, range) pair, row by row and left to right within a row.
    struct Touch {
        int Row;
        int Left;
        std::uint32_t Range;
    };
    const auto& ranges = sheet.Ranges();
    std::vector<Touch> touches;
    touches.reserve(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        for (int row = ranges[i]->Top; row <= ranges[i]->Bottom; ++row) {
            touches.push_back({row, ranges[i]->Left, static_cast<std::uint32_t>(i)});
        }
    }
    std::sort(touches.begin(), touches.end(), [](const Touch& a, const Touch& b) {
        return a.Row != b.Row ? a.Row < b.Row : a.Left < b.Left;
    });
    // touches[rowStart[k]] .. touches[rowStart[k + 1]] belong to row FirstRow + k.
    std::vector<std::size_t> rowStart(sheet.LastRow - sheet.FirstRow + 2, 0);
    for (const Touch& t : touches) {
        ++rowStart[t.Row - sheet.FirstRow + 1];
    }
    for (std::size_t k = 1; k < rowStart.size(); ++k) {
        rowStart[k] += rowStart[k - 1];
    }
    std::vector<std::uint16_t> cellOffsets;
    std::size_t block = 0;
    for (int start = sheet.FirstRow; start <= sheet.LastRow; start += RowsPerBlock, ++block) {
        const int end = std::min(start + RowsPerBlock - 1, sheet.LastRow);
        const std::size_t firstRowPos = w_.Size();
        for (int row = start; row <= end; ++row) {
            const std::size_t from = rowStart[row - sheet.FirstRow];
            const std::size_t to = rowStart[row - sheet.FirstRow + 1];
            const TRLXLSRow* object = sheet.FindRow(row);
            WriteRow(
                w_, static_cast<std::uint16_t>(row),
                from == to ? 0 : static_cast<std::uint16_t>(ranges[touches[from].Range]->Left),
                from == to ? 0
                           : static_cast<std::uint16_t>(ranges[touches[to - 1].Range]->Right + 1),
                // The top bit of the height marks a default height.
                object ? Field16(std::min(static_cast<long long>(object->Height) * 20, 0x7FFFLL))
                       : 255,
                object ? 0x0040 : 0);
        }
        cellOffsets.clear();
        // The first offset runs from the end of the first ROW record.
        std::size_t previous = firstRowPos + 20;
        for (int row = start; row <= end; ++row) {
            cellOffsets.push_back(static_cast<std::uint16_t>(w_.Size() - previous));
            previous = w_.Size();
            for (std::size_t k = rowStart[row - sheet.FirstRow];
                 k < rowStart[row - sheet.FirstRow + 1]; ++k) {
                WriteCells(*ranges[touches[k].Range], refs[touches[k].Range], row);
            }
        }
        w_.Patch32(indexOffsets + 4 * block, static_cast<std::uint32_t>(w_.Size()));
        WriteDBCell(w_, static_cast<std::uint32_t>(w_.Size() - firstRowPos), cellOffsets);
    }
}

} // namespace

std::vector<std::uint8_t> BuildWorkbookStream(const TRLXLSWorkbook& workbook,
                                              QChar decimalSeparator) {
    return StreamBuilder(workbook, decimalSeparator).Build();
}

void SaveWorkbook(const TRLXLSWorkbook& workbook, QChar decimalSeparator, const QString& fileName) {
    const std::vector<std::uint8_t> stream = BuildWorkbookStream(workbook, decimalSeparator);
    AtomicFile file(fileName);
    CompoundFile::Write(stream, u"Workbook", [&](std::span<const std::uint8_t> part) {
        file.Write(reinterpret_cast<const char*>(part.data()), qint64(part.size()));
    });
    file.Commit();
}

} // namespace XLS
