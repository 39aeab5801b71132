#pragma once
// The records of the spreadsheet file, one function per record in the order
// the file holds them, each appending the record (header and data) to the
// workbook stream. Private to the writer; the tests call them one by one.
#include "LittleEndianWriter.h"
#include "RLXLSWorkbook.h"

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace XLS {

// A size cut into an unsigned 16-bit field: a page from a file may give
// column widths, row heights and font sizes no field can hold.
std::uint16_t Field16(long long value);

// A record carries at most this many data bytes; the rest goes into CONTINUE records.
inline constexpr std::size_t MaxRecordData = 8224;
inline constexpr std::uint16_t ContinueId = 0x003C;

// Writes the header with a zero length and answers where the data starts.
std::size_t BeginRecord(LittleEndianWriter& w, std::uint16_t id);
// Fills the length in, cutting data over MaxRecordData into CONTINUE records.
void EndRecord(LittleEndianWriter& w, std::size_t dataStart);

// The 56 colours a file may use, starting as the standard palette; colours
// it lacks replace entries no cell has used yet.
class Palette {
public:
    Palette();
    // The colour's index as records write it (palette position + 8).
    std::uint16_t ColorIndex(TRLXLSColor color);
    bool Modified() const { return modified_; }
    const std::array<TRLXLSColor, 56>& Colors() const { return colors_; }

private:
    std::array<TRLXLSColor, 56> colors_;
    std::vector<TRLXLSColor> used_;
    bool modified_ = false;
};

using XFBytes = std::array<std::uint8_t, 20>;
XFBytes RangeXF(const TRLXLSRange& range, std::uint16_t fontIndex, std::uint16_t formatIndex,
                Palette& palette);

// Workbook globals.
enum class BofType : std::uint16_t { Globals = 0x0005, Worksheet = 0x0010 };
void WriteBOF(LittleEndianWriter& w, BofType type);
void WriteInterfaceHdr(LittleEndianWriter& w);
void WriteMms(LittleEndianWriter& w);
void WriteInterfaceEnd(LittleEndianWriter& w);
void WriteWriteAccess(LittleEndianWriter& w, const QString& userName);
void WriteCodePage(LittleEndianWriter& w);
void WriteDSF(LittleEndianWriter& w);
void WriteExcel9File(LittleEndianWriter& w);
void WriteTabId(LittleEndianWriter& w, std::size_t sheetCount);
void WriteFnGroupCount(LittleEndianWriter& w);
void WriteWindowProtect(LittleEndianWriter& w);
void WriteProtect(LittleEndianWriter& w);
void WritePassword(LittleEndianWriter& w);
void WriteProt4Rev(LittleEndianWriter& w);
void WriteProt4RevPass(LittleEndianWriter& w);
void WriteWindow1(LittleEndianWriter& w);
void WriteBackup(LittleEndianWriter& w);
void WriteHideObj(LittleEndianWriter& w);
void WriteDateMode(LittleEndianWriter& w);
void WritePrecision(LittleEndianWriter& w);
void WriteRefreshAll(LittleEndianWriter& w);
void WriteBookBool(LittleEndianWriter& w);
void WriteFont(LittleEndianWriter& w, const TRLXLSFont& font, std::uint16_t colorIndex);
void WriteFormat(LittleEndianWriter& w, std::uint16_t index, const QString& text);
void WriteFixedFormats(LittleEndianWriter& w);
void WriteStyleXFs(LittleEndianWriter& w);
void WriteXF(LittleEndianWriter& w, const XFBytes& xf);
void WritePalette(LittleEndianWriter& w, const Palette& palette);
void WriteStyles(LittleEndianWriter& w);
void WriteUsesElfs(LittleEndianWriter& w);
// Answers the position of the sheet offset field, filled in later.
std::size_t WriteBoundSheet(LittleEndianWriter& w, const QString& name);
void WriteCountry(LittleEndianWriter& w);

struct ExtSstEntry {
    std::uint32_t StreamPos;    // the string's count field in the stream
    std::uint16_t RecordOffset; // from the start of the record holding it, header included
};
// Writes SST and its CONTINUE records; answers the EXTSST entries.
std::vector<ExtSstEntry> WriteSST(LittleEndianWriter& w, std::span<const QString* const> strings);
void WriteExtSST(LittleEndianWriter& w, std::span<const ExtSstEntry> entries);
void WriteEOF(LittleEndianWriter& w);

// Worksheet.
// Answers the position of the first DBCELL offset, rewritten once the blocks are known.
std::size_t WriteIndex(LittleEndianWriter& w, std::uint32_t firstRow, std::uint32_t lastRowPlus1,
                       std::size_t blockCount);
void WriteCalcMode(LittleEndianWriter& w);
void WriteCalcCount(LittleEndianWriter& w);
void WriteRefMode(LittleEndianWriter& w);
void WriteIteration(LittleEndianWriter& w);
void WriteDelta(LittleEndianWriter& w);
void WriteSaveRecalc(LittleEndianWriter& w);
void WritePrintHeaders(LittleEndianWriter& w);
void WritePrintGridLines(LittleEndianWriter& w, bool print);
void WriteGridSet(LittleEndianWriter& w);
void WriteGuts(LittleEndianWriter& w);
void WriteDefaultRowHeight(LittleEndianWriter& w);
void WriteWsBool(LittleEndianWriter& w);
void WriteHeader(LittleEndianWriter& w, const QString& left, const QString& center,
                 const QString& right);
void WriteFooter(LittleEndianWriter& w, const QString& left, const QString& center,
                 const QString& right);
void WriteHCenter(LittleEndianWriter& w, bool center);
void WriteVCenter(LittleEndianWriter& w, bool center);
void WriteLeftMargin(LittleEndianWriter& w, double centimetres);
void WriteRightMargin(LittleEndianWriter& w, double centimetres);
void WriteTopMargin(LittleEndianWriter& w, double centimetres);
void WriteBottomMargin(LittleEndianWriter& w, double centimetres);
void WriteSetup(LittleEndianWriter& w, const TRLXLSPageSetup& setup);
void WriteDefColWidth(LittleEndianWriter& w);
void WriteColInfo(LittleEndianWriter& w, const TRLXLSCol& col);
void WriteDimensions(LittleEndianWriter& w, const TRLXLSWorksheet& sheet);
void WriteRow(LittleEndianWriter& w, std::uint16_t row, std::uint16_t firstCol,
              std::uint16_t lastColPlus1, std::uint16_t height, std::uint16_t flags);
void WriteNumber(LittleEndianWriter& w, std::uint16_t row, std::uint16_t col, std::uint16_t xf,
                 double value);
void WriteLabelSst(LittleEndianWriter& w, std::uint16_t row, std::uint16_t col, std::uint16_t xf,
                   std::uint32_t sst);
void WriteBlank(LittleEndianWriter& w, std::uint16_t row, std::uint16_t col, std::uint16_t xf);
void WriteMulBlank(LittleEndianWriter& w, std::uint16_t row, std::uint16_t firstCol,
                   std::uint16_t lastCol, std::uint16_t xf);
void WriteDBCell(LittleEndianWriter& w, std::uint32_t backToFirstRow,
                 std::span<const std::uint16_t> cellOffsets);
void WriteWindow2(LittleEndianWriter& w, bool firstSheet);
void WriteSelection(LittleEndianWriter& w);
// One record holds at most 1026 ranges; more are spread over further records.
inline constexpr std::size_t MaxMergedPerRecord = 1026;
void WriteMergedCells(LittleEndianWriter& w, std::span<const TRLXLSRange* const> merged);

} // namespace XLS
