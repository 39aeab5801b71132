// The workbook stream as a whole: records in order, offsets that point where
// they should, cells, merged ranges, row blocks and colours.
#include "RLXLSWriter.h"
#include "XlsTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

std::vector<Record> StreamOf(const TRLXLSWorkbook& wb) {
    const auto stream = XLS::BuildWorkbookStream(wb, u',');
    return Records(stream);
}

std::vector<std::uint16_t> Ids(const std::vector<Record>& recs, std::size_t from, std::size_t to) {
    std::vector<std::uint16_t> out;
    for (std::size_t i = from; i < to; ++i) {
        out.push_back(recs[i].Id);
    }
    return out;
}

std::size_t IndexOfPos(const std::vector<Record>& recs, std::size_t pos) {
    for (std::size_t i = 0; i < recs.size(); ++i) {
        if (recs[i].Pos == pos) {
            return i;
        }
    }
    return recs.size();
}

TRLXLSRange* Put(TRLXLSWorksheet* s, int l, int t, int r, int b, const QString& text) {
    TRLXLSRange* range = s->FindRange(l, t, r, b);
    range->Value = text;
    return range;
}

TEST(XlsWorkbook, EmptyPageGivesAnEmptySheet) {
    TRLXLSFilter f;
    f.BeginDoc();
    f.DrawPage(TRLXLSPage{});
    const auto recs = StreamOf(f.Workbook());
    // Globals: every record in order; one FONT x4, FORMAT x8, XF x16, STYLE x6; no SST.
    std::vector<std::uint16_t> globals = {
        0x0809, 0x00E1, 0x00C1, 0x00E2, 0x005C, 0x0042, 0x0161, 0x01C0, 0x013D, 0x009C, 0x0019,
        0x0012, 0x0013, 0x01AF, 0x01BC, 0x003D, 0x0040, 0x008D, 0x0022, 0x000E, 0x01B7, 0x00DA};
    globals.insert(globals.end(), 4, 0x0031);
    globals.insert(globals.end(), 8, 0x041E);
    globals.insert(globals.end(), 16, 0x00E0);
    globals.insert(globals.end(), 6, 0x0293);
    globals.insert(globals.end(), {0x0160, 0x0085, 0x008C, 0x000A});
    ASSERT_GT(recs.size(), globals.size());
    EXPECT_EQ(Ids(recs, 0, globals.size()), globals);
    const std::vector<std::uint16_t> sheet = {
        0x0809, 0x020B, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F, 0x002A,
        0x002B, 0x0082, 0x0080, 0x0225, 0x0081, 0x0083, 0x0084, 0x0026, 0x0027,
        0x0028, 0x0029, 0x00A1, 0x0055, 0x0200, 0x023E, 0x001D, 0x000A};
    EXPECT_EQ(Ids(recs, globals.size(), recs.size()), sheet);
    const Record& index = recs[globals.size() + 1];
    EXPECT_EQ(index.Data, Bytes(16, 0));
    const Record& dims = recs[recs.size() - 4];
    EXPECT_EQ(dims.Data, Bytes(14, 0));
    // The BOUNDSHEET offset is where the sheet's BOF stands.
    const Record& bound = recs[globals.size() - 3];
    EXPECT_EQ(bound.U32(0), recs[globals.size()].Pos);
}

TEST(XlsWorkbook, BoundSheetNamesAndOffsets) {
    TRLXLSWorkbook wb;
    Put(wb.NewSheet(QString::fromUtf8("Página")), 0, 0, 0, 0, "um");
    Put(wb.NewSheet(QString::fromUtf8("Página")), 0, 0, 0, 0, "dois");
    const auto recs = StreamOf(wb);
    const auto bounds = OfId(recs, 0x0085);
    const auto bofs = OfId(recs, 0x0809);
    ASSERT_EQ(bounds.size(), 2u);
    ASSERT_EQ(bofs.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(bounds[i].U32(0), bofs[i + 1].Pos);
        Bytes name = Hex("0000 07 01 5000 e100 6700 6900 6e00 6100");
        name.push_back(i == 0 ? 0x31 : 0x32);
        name.push_back(0);
        EXPECT_EQ(Bytes(bounds[i].Data.begin() + 4, bounds[i].Data.end()), name);
    }
    // TABID counts the sheets; only the first sheet is selected.
    EXPECT_EQ(OfId(recs, 0x013D)[0].Data, Hex("0000 0100"));
    const auto windows = OfId(recs, 0x023E);
    EXPECT_EQ(windows[0].U16(0), 0x06B6);
    EXPECT_EQ(windows[1].U16(0), 0x04B6);
    // Two strings, in sheet order.
    const auto sst = OfId(recs, 0x00FC);
    ASSERT_EQ(sst.size(), 1u);
    EXPECT_EQ(sst[0].Data, Hex("02000000 02000000 0200 01 7500 6d00 0400 01 6400 6f00 6900 7300"));
    const auto ext = OfId(recs, 0x00FF);
    ASSERT_EQ(ext.size(), 1u);
    EXPECT_EQ(ext[0].Data.size(), 10u);
    EXPECT_EQ(ext[0].U32(2), sst[0].Pos + 12);
    EXPECT_EQ(ext[0].U16(6), 12);
}

TEST(XlsWorkbook, TextSpanningColumnsTwoToFourOfRowFive) {
    TRLXLSWorkbook wb;
    TRLXLSWorksheet* s = wb.NewSheet("P");
    Put(s, 2, 5, 4, 5, "merged");
    const auto recs = StreamOf(wb);
    const auto label = OfId(recs, 0x00FD);
    ASSERT_EQ(label.size(), 1u);
    EXPECT_EQ(label[0].Data, Hex("0500 0200 1000 00000000"));
    const auto mul = OfId(recs, 0x00BE);
    ASSERT_EQ(mul.size(), 1u);
    EXPECT_EQ(mul[0].Data, Hex("0500 0300 1000 1000 0400"));
    const auto merged = OfId(recs, 0x00E5);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].Data, Hex("0100 0500 0500 0200 0400"));
    const auto xfs = OfId(recs, 0x00E0);
    ASSERT_EQ(xfs.size(), 17u);
    EXPECT_EQ(xfs[16].U16(8), 0x7C20);
    // Rows 5 only: one ROW spanning columns 2..4, default height.
    const auto rows = OfId(recs, 0x0208);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Data, Hex("0500 0200 0500 ff00 0000 0000 0000 0000"));
    EXPECT_EQ(OfId(recs, 0x0200)[0].Data, Hex("05000000 06000000 0200 0500 0000"));
}

TEST(XlsWorkbook, RangeOverTwoRowsGetsABlankBelow) {
    TRLXLSWorkbook wb;
    TRLXLSWorksheet* s = wb.NewSheet("P");
    Put(s, 1, 3, 1, 4, "tall");
    Put(s, 2, 3, 2, 3, "next");
    const auto recs = StreamOf(wb);
    const auto labels = OfId(recs, 0x00FD);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].Data, Hex("0300 0100 1000 00000000"));
    EXPECT_EQ(labels[1].Data, Hex("0300 0200 1100 01000000"));
    const auto blanks = OfId(recs, 0x0201);
    ASSERT_EQ(blanks.size(), 1u);
    EXPECT_EQ(blanks[0].Data, Hex("0400 0100 1000"));
    EXPECT_TRUE(OfId(recs, 0x00BE).empty());
    EXPECT_EQ(OfId(recs, 0x00E5)[0].Data, Hex("0100 0300 0400 0100 0100"));
    // The single-cell range shares the merged one's XF only if the bytes agree: they do not.
    EXPECT_EQ(OfId(recs, 0x00E0).size(), 18u);
}

TEST(XlsWorkbook, RowBlocksIndexAndDBCellOffsets) {
    TRLXLSFilter f;
    std::vector<TRLXLSPageText> texts;
    for (int i = 0; i < 33; ++i) {
        texts.push_back(Text(0, 20 * i, 100, 20 * i + 20, QString::number(i)));
        if (i % 2) {
            texts.push_back(Text(100, 20 * i, 200, 20 * i + 20, QStringLiteral("b")));
        }
    }
    f.BeginDoc();
    f.DrawPage({texts});
    const auto recs = StreamOf(f.Workbook());
    const Record index = OfId(recs, 0x020B)[0];
    EXPECT_EQ(index.U32(4), 0u);
    EXPECT_EQ(index.U32(8), 33u);
    ASSERT_EQ(index.Data.size(), 16u + 8);
    const auto rows = OfId(recs, 0x0208);
    ASSERT_EQ(rows.size(), 33u);
    EXPECT_EQ(rows[0].U16(6), 20 * 20);
    EXPECT_EQ(rows[0].U16(12), 0x0040);
    std::size_t firstRowOfBlock[] = {IndexOfPos(recs, rows[0].Pos), IndexOfPos(recs, rows[32].Pos)};
    for (int block = 0; block < 2; ++block) {
        const std::size_t db = IndexOfPos(recs, index.U32(16 + 4 * block));
        ASSERT_LT(db, recs.size());
        const Record& dbcell = recs[db];
        ASSERT_EQ(dbcell.Id, 0x00D7);
        const std::size_t rowCount = block == 0 ? 32 : 1;
        ASSERT_EQ(dbcell.Data.size(), 4 + 2 * rowCount);
        // Back to the block's first ROW record.
        const std::size_t first = firstRowOfBlock[block];
        EXPECT_EQ(dbcell.Pos - dbcell.U32(0), recs[first].Pos);
        // From the end of the first ROW to each row's first cell, row by row.
        std::size_t pos = recs[first].Pos + 20;
        for (std::size_t r = 0; r < rowCount; ++r) {
            pos += dbcell.U16(4 + 2 * r);
            const std::size_t cell = IndexOfPos(recs, pos);
            ASSERT_LT(cell, recs.size());
            EXPECT_EQ(recs[cell].Id, 0x00FD);
            EXPECT_EQ(recs[cell].U16(0), block * 32 + r);
            EXPECT_EQ(recs[cell].U16(2), 0);
        }
    }
}

TEST(XlsWorkbook, FontColoursAndPalette) {
    TRLXLSWorkbook wb;
    TRLXLSWorksheet* s = wb.NewSheet("P");
    Put(s, 0, 0, 0, 0, "preto");
    TRLXLSRange* navy = Put(s, 0, 1, 0, 1, "marinho");
    navy->Font.Color = {0, 0, 0x80};
    TRLXLSRange* odd = Put(s, 0, 2, 0, 2, "outra");
    odd->Font.Color = {0x12, 0x34, 0x56};
    odd->Font.Styles = TRLXLSFont::Italic;
    TRLXLSRange* again = Put(s, 0, 3, 0, 3, "outra de novo");
    again->Font = odd->Font;
    const auto recs = StreamOf(wb);
    const auto fonts = OfId(recs, 0x0031);
    // Four defaults, navy and the odd colour; black ranges use the defaults.
    ASSERT_EQ(fonts.size(), 6u);
    EXPECT_EQ(fonts[0].U16(4), 8);
    EXPECT_EQ(fonts[4].U16(4), 8 + 10);
    EXPECT_EQ(fonts[5].U16(4), 8 + 16);
    const auto palette = OfId(recs, 0x0092);
    ASSERT_EQ(palette.size(), 1u);
    EXPECT_EQ(Bytes(palette[0].Data.begin() + 2 + 16 * 4, palette[0].Data.begin() + 2 + 17 * 4),
              Hex("12345600"));
    // Range XFs name fonts 1, 5 and 6: list position plus one, past the missing index 4.
    const auto xfs = OfId(recs, 0x00E0);
    ASSERT_EQ(xfs.size(), 19u);
    EXPECT_EQ(xfs[16].U16(0), 1);
    EXPECT_EQ(xfs[17].U16(0), 5);
    EXPECT_EQ(xfs[18].U16(0), 6);
    const auto labels = OfId(recs, 0x00FD);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(labels[3].U16(4), 18); // the repeated font shares the XF
}

TEST(XlsWorkbook, PaletteIsLeftOutWhenUnchanged) {
    TRLXLSWorkbook wb;
    Put(wb.NewSheet("P"), 0, 0, 0, 0, "x")->Font.Color = {0xFF, 0, 0};
    EXPECT_TRUE(OfId(StreamOf(wb), 0x0092).empty());
}

TEST(XlsWorkbook, NumberCellsAndPageSetup) {
    TRLXLSWorkbook wb;
    wb.PageSetup.CenterHeader = QStringLiteral("Relatório");
    wb.PageSetup.PrintGridLines = true;
    TRLXLSRange* n = Put(wb.NewSheet("P"), 0, 0, 0, 0, "1234,56");
    n->ValueKind = vkNumber;
    const auto recs = StreamOf(wb);
    const auto numbers = OfId(recs, 0x0203);
    ASSERT_EQ(numbers.size(), 1u);
    EXPECT_EQ(numbers[0].Data, Hex("0000 0000 1000 0ad7a3703d4a9340"));
    EXPECT_TRUE(OfId(recs, 0x00FC).empty());
    EXPECT_EQ(OfId(recs, 0x002B)[0].U16(0), 1);
    EXPECT_EQ(OfId(recs, 0x0014).size(), 1u);
    EXPECT_TRUE(OfId(recs, 0x0015).empty());
    EXPECT_EQ(OfId(recs, 0x0026)[0].Data, Hex("4c2693c96432e93f")); // 2 cm
}

} // namespace
