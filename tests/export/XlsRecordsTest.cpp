// Record bytes against small hand-computed fixtures.
#include "CompoundFile.h"
#include "RLXLSRecords.h"
#include "XlsTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

Bytes Written(void (*write)(LittleEndianWriter&)) {
    LittleEndianWriter w;
    write(w);
    return w.Bytes();
}

TEST(XlsRecords, FixedGlobalsRecords) {
    LittleEndianWriter w;
    XLS::WriteBOF(w, XLS::BofType::Globals);
    EXPECT_EQ(w.Bytes(), Hex("0908 1000 0006 0500 bb0d cc07 00000000 00060000"));
    w = {};
    XLS::WriteBOF(w, XLS::BofType::Worksheet);
    EXPECT_EQ(w.Bytes(), Hex("0908 1000 0006 1000 bb0d cc07 0000000000000000"));
    EXPECT_EQ(Written(XLS::WriteWindow1),
              Hex("3d00 1200 6801 1e00 1e1d 6018 3800 0000 0000 0100 5802"));
    EXPECT_EQ(Written(XLS::WriteCountry), Hex("8c00 0400 0700 0700"));
    EXPECT_EQ(Written(XLS::WriteInterfaceHdr), Hex("e100 0200 e404"));
    EXPECT_EQ(Written(XLS::WriteStyles),
              Hex("9302 0400 1080 04ff 9302 0400 1180 07ff 9302 0400 0080 00ff"
                  "9302 0400 1280 05ff 9302 0400 1380 03ff 9302 0400 1480 06ff"));
    w = {};
    XLS::WriteTabId(w, 3);
    EXPECT_EQ(w.Bytes(), Hex("3d01 0600 0000 0100 0200"));
}

TEST(XlsRecords, WriteAccessHasCountFlagAndBlankFill) {
    LittleEndianWriter w;
    XLS::WriteWriteAccess(w, QStringLiteral("KalvarReport"));
    Bytes expected =
        Hex("5c00 7000 0c00 01 4b00 6100 6c00 7600 6100 7200 5200 6500 7000 6f00 7200 7400");
    expected.insert(expected.end(), 112 - 27, 0x20);
    EXPECT_EQ(w.Bytes(), expected);
}

TEST(XlsRecords, FontFlagsWeightAndName) {
    TRLXLSFont f;
    f.Styles =
        TRLXLSFont::Bold | TRLXLSFont::Italic | TRLXLSFont::Underline | TRLXLSFont::StrikeOut;
    f.Size = 12;
    f.Charset = 0;
    f.PitchAndFamily = 2;
    LittleEndianWriter w;
    XLS::WriteFont(w, f, 18);
    EXPECT_EQ(w.Bytes(),
              Hex("3100 1a00 f000 0a00 1200 e803 0000 01 02 00 00 05 01 4100 7200 6900 6100 6c00"));
    w = {};
    XLS::WriteFont(w, TRLXLSFont{}, 8);
    EXPECT_EQ(w.Bytes(),
              Hex("3100 1a00 c800 0000 0800 6400 0000 00 00 01 00 05 01 4100 7200 6900 6100 6c00"));
}

TEST(XlsRecords, FixedFormatsCarryTheCurrencyByteAsUnicode) {
    LittleEndianWriter w;
    XLS::WriteFixedFormats(w);
    const auto formats = Records(w.Bytes());
    ASSERT_EQ(formats.size(), 8u);
    const std::uint16_t order[] = {5, 6, 7, 8, 42, 41, 44, 43};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(formats[i].Id, 0x041E);
        EXPECT_EQ(formats[i].U16(0), order[i]);
        EXPECT_EQ(formats[i].Data.size(), 5u + 2 * formats[i].U16(2));
    }
    // 5: #,##0"ð.";\-#,##0"ð."  (21 characters)
    EXPECT_EQ(formats[0].Data,
              Hex("0500 1500 01 2300 2c00 2300 2300 3000 2200 f000 2e00 2200 3b00 5c00 2d00"
                  "2300 2c00 2300 2300 3000 2200 f000 2e00 2200"));
}

TEST(XlsRecords, StyleXFsAndDefaultCellXF) {
    const auto xfs = Records(Written(XLS::WriteStyleXFs));
    ASSERT_EQ(xfs.size(), 16u);
    EXPECT_EQ(xfs[0].Data, Hex("0000 0000 f5ff 2000 0000 0000 0000 0000 0000 c020"));
    EXPECT_EQ(xfs[1].Data, Hex("0100 0000 f5ff 2000 00f4 0000 0000 0000 0000 c020"));
    EXPECT_EQ(xfs[3].Data, Hex("0200 0000 f5ff 2000 00f4 0000 0000 0000 0000 c020"));
    EXPECT_EQ(xfs[14].Data, Hex("0000 0000 f5ff 2000 00f4 0000 0000 0000 0000 c020"));
    EXPECT_EQ(xfs[15].Data, Hex("0000 0000 0100 2000 0000 0000 0000 0000 0000 c020"));
}

TEST(XlsRecords, RangeXF) {
    TRLXLSRange merged;
    merged.Left = 2;
    merged.Right = 4;
    merged.HorizontalAlignment = 1;
    merged.VerticalAlignment = 0;
    XLS::Palette palette;
    const auto xm = XLS::RangeXF(merged, 5, 0, palette);
    EXPECT_EQ(Bytes(xm.begin(), xm.end()),
              Hex("0500 0000 0100 0100 207c 0000 0000 0000 0000 0804"));
    TRLXLSRange single;
    single.HorizontalAlignment = 3;
    single.WrapText = true;
    single.Rotation = 90;
    const auto xf = XLS::RangeXF(single, 6, 50, palette);
    EXPECT_EQ(Bytes(xf.begin(), xf.end()),
              Hex("0600 3200 0100 2b5a 007c 0000 0000 0000 0000 0804"));
    // A red bottom line and a diagonal-up line in blue.
    TRLXLSRange lined;
    lined.Borders[TRLXLSBorders::Bottom] = {{255, 0, 0}, 1};
    lined.Borders[TRLXLSBorders::DiagonalUp] = {{0, 0, 255}, 2};
    const auto xl = XLS::RangeXF(lined, 1, 0, palette);
    // bottom style 1 << 12; up flag 0x8000; bottom colour 10 << 7, diagonal 12 << 14, style 2
    // << 21.
    EXPECT_EQ(Bytes(xl.begin(), xl.end()),
              Hex("0100 0000 0100 2000 007c 0010 0080 0005 4300 0804"));
}

TEST(XlsRecords, CellRecords) {
    LittleEndianWriter w;
    XLS::WriteLabelSst(w, 5, 2, 16, 7);
    XLS::WriteMulBlank(w, 5, 3, 4, 16);
    XLS::WriteBlank(w, 4, 9, 17);
    XLS::WriteNumber(w, 1, 0, 18, 1234.56);
    XLS::WriteRow(w, 5, 2, 5, 300, 0x40);
    EXPECT_EQ(w.Bytes(), Hex("fd00 0a00 0500 0200 1000 07000000"
                             "be00 0a00 0500 0300 1000 1000 0400"
                             "0102 0600 0400 0900 1100"
                             "0302 0e00 0100 0000 1200 0ad7a3703d4a9340"
                             "0802 1000 0500 0200 0500 2c01 0000 0000 4000 0000"));
}

TEST(XlsRecords, SheetRecords) {
    LittleEndianWriter w;
    XLS::WriteWindow2(w, true);
    XLS::WriteWindow2(w, false);
    XLS::WriteSelection(w);
    XLS::WriteColInfo(w, TRLXLSCol{3, 4572});
    XLS::WriteDelta(w);
    EXPECT_EQ(w.Bytes(), Hex("3e02 1200 b606 0000 0000 40000000 0000 0000 00000000"
                             "3e02 1200 b604 0000 0000 40000000 0000 0000 00000000"
                             "1d00 0f00 03 0000 0000 0000 0100 0000 0000 00 00"
                             "7d00 0b00 0300 0300 dc11 0000 0000 00"
                             "1000 0800 fca9f1d24d62503f"));
    w = {};
    TRLXLSPageSetup s;
    s.FirstPageNumber = 3;
    s.Draft = true;
    s.FitToPagesTall = false;
    s.HeaderMargin = 2.54;
    XLS::WriteSetup(w, s);
    EXPECT_EQ(w.Bytes(), Hex("a100 2200 0900 6400 0300 0100 0000 9200 0000 0000"
                             "000000000000f03f 0000000000000000 0100"));
    w = {};
    XLS::WriteHeader(w, QString(), QStringLiteral("T"), QStringLiteral("p"));
    XLS::WriteFooter(w, QString(), QString(), QString());
    EXPECT_EQ(w.Bytes(), Hex("1400 0f00 0600 01 2600 4300 5400 2600 5200 7000"));
}

TEST(XlsRecords, IndexAndDBCell) {
    LittleEndianWriter w;
    const std::size_t offsets = XLS::WriteIndex(w, 0, 33, 2);
    EXPECT_EQ(offsets, 4u + 16);
    w.Patch32(offsets + 4, 0x01020304);
    const std::uint16_t cells[] = {620, 24, 0};
    XLS::WriteDBCell(w, 700, cells);
    EXPECT_EQ(w.Bytes(), Hex("0b02 1800 00000000 00000000 21000000 00000000 00000000 04030201"
                             "d700 0a00 bc020000 6c02 1800 0000"));
}

// Data past 8224 bytes goes on in CONTINUE records.
TEST(XlsRecords, LongRecordsSplitIntoContinue) {
    struct Case {
        std::size_t length;
        std::vector<std::size_t> pieces;
    } cases[] = {
        {8224, {8224}}, {8225, {8224, 1}}, {16448, {8224, 8224}}, {16449, {8224, 8224, 1}}};
    for (const auto& c : cases) {
        LittleEndianWriter w;
        const std::size_t start = XLS::BeginRecord(w, 0x013D);
        w.PutFill(0xAB, c.length);
        XLS::EndRecord(w, start);
        const auto recs = Records(w.Bytes());
        ASSERT_EQ(recs.size(), c.pieces.size()) << c.length;
        for (std::size_t i = 0; i < recs.size(); ++i) {
            EXPECT_EQ(recs[i].Id, i == 0 ? 0x013D : 0x003C);
            EXPECT_EQ(recs[i].Data.size(), c.pieces[i]);
            EXPECT_EQ(recs[i].Data, Bytes(c.pieces[i], 0xAB));
        }
    }
}

TEST(XlsRecords, MergedCellsSplitAt1026Ranges) {
    std::vector<TRLXLSRange> ranges(2 * 1026 + 1);
    std::vector<const TRLXLSRange*> list;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        ranges[i].Top = ranges[i].Bottom = static_cast<int>(i);
        ranges[i].Left = 1;
        ranges[i].Right = 2;
        list.push_back(&ranges[i]);
    }
    LittleEndianWriter w;
    XLS::WriteMergedCells(w, list);
    const auto recs = Records(w.Bytes());
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].U16(0), 1026);
    EXPECT_EQ(recs[1].U16(0), 1026);
    EXPECT_EQ(recs[2].U16(0), 1);
    EXPECT_EQ(recs[0].Data.size(), 2u + 8 * 1026);
    EXPECT_EQ(recs[2].Data, Hex("0100 0408 0408 0100 0200"));
    for (const auto& r : recs) {
        EXPECT_EQ(r.Id, 0x00E5);
    }
}

// A full record is 8228 bytes with its header; the first record has 12 used
// by the header and the two counts.
TEST(XlsRecords, SharedStringsContinueAtTheExactLimit) {
    struct Case {
        const char* name;
        std::vector<int> lengths;
        std::size_t sstLength;
        Bytes continueData; // characters shown as 'x'
    } cases[] = {
        // The first string ends one byte short: the next starts a CONTINUE, no flag byte.
        {"string boundary", {4106, 1}, 8223, Hex("0100 01 7800")},
        // One character does not fit: the CONTINUE repeats the flag byte.
        {"split string", {4107}, 8223, Hex("01 7800")},
        // Exactly 4 bytes left before a header: CONTINUE first.
        {"four left", {4100, 3, 2}, 8220, Hex("0200 01 7800 7800")},
        // Six left: header and one character, the second in the CONTINUE.
        {"six left", {4100, 2, 2}, 8223, Hex("01 7800")},
    };
    for (const auto& c : cases) {
        std::vector<QString> texts;
        for (int n : c.lengths) {
            texts.push_back(QString(n, u'x'));
        }
        std::vector<const QString*> ptrs;
        for (const auto& t : texts) {
            ptrs.push_back(&t);
        }
        LittleEndianWriter w;
        w.PutFill(0, 100); // the stream before the SST
        const auto ext = XLS::WriteSST(w, ptrs);
        const auto recs = Records(w.Data().subspan(100));
        ASSERT_EQ(recs.size(), 2u) << c.name;
        EXPECT_EQ(recs[0].Id, 0x00FC);
        EXPECT_EQ(recs[0].U32(0), c.lengths.size());
        EXPECT_EQ(recs[0].U32(4), c.lengths.size());
        EXPECT_EQ(recs[0].Data.size(), c.sstLength) << c.name;
        EXPECT_EQ(recs[1].Id, 0x003C);
        EXPECT_EQ(recs[1].Data, c.continueData) << c.name;
        ASSERT_EQ(ext.size(), 1u);
        EXPECT_EQ(ext[0].StreamPos, 100u + 12);
        EXPECT_EQ(ext[0].RecordOffset, 12);
    }
}

TEST(XlsRecords, ExtSstPointsAtEveryEighthString) {
    std::vector<QString> texts(17, QStringLiteral("ab"));
    std::vector<const QString*> ptrs;
    for (const auto& t : texts) {
        ptrs.push_back(&t);
    }
    LittleEndianWriter w;
    const auto ext = XLS::WriteSST(w, ptrs);
    ASSERT_EQ(ext.size(), 3u);
    // Each string takes 3 + 4 bytes.
    EXPECT_EQ(ext[1].StreamPos, 12u + 8 * 7);
    EXPECT_EQ(ext[2].RecordOffset, 12 + 16 * 7);
    LittleEndianWriter e;
    XLS::WriteExtSST(e, ext);
    EXPECT_EQ(e.Bytes(),
              Hex("ff00 1a00 0800 0c000000 0c00 0000 44000000 4400 0000 7c000000 7c00 0000"));
}

TEST(XlsRecords, PaletteLookupsAndReplacement) {
    XLS::Palette p;
    EXPECT_EQ(p.ColorIndex({0, 0, 0}), 8);
    EXPECT_EQ(p.ColorIndex({0, 0, 0x80}), 8 + 10); // navy, its first place
    EXPECT_EQ(p.ColorIndex({0x99, 0x33, 0x66}), 8 + 17);
    EXPECT_FALSE(p.Modified());
    // A new colour takes the first entry that is no basic colour and unused.
    EXPECT_EQ(p.ColorIndex({1, 2, 3}), 8 + 16);
    EXPECT_TRUE(p.Modified());
    EXPECT_EQ(p.ColorIndex({4, 5, 6}), 8 + 18); // 17 is in use
    EXPECT_EQ(p.ColorIndex({1, 2, 3}), 8 + 16);
    // 32 entries can be given away in all; two hold the colour in use (993366
    // stands twice), so 28 more fit, then a colour gets index 9.
    int last = 0;
    for (int i = 0; i < 28; ++i) {
        last = p.ColorIndex({std::uint8_t(10 + i), 0, 1});
    }
    EXPECT_EQ(last, 8 + 55);
    EXPECT_EQ(p.ColorIndex({200, 0, 1}), 9);
    EXPECT_EQ(p.Colors()[16], (TRLXLSColor{1, 2, 3}));
    LittleEndianWriter w;
    XLS::WritePalette(w, p);
    ASSERT_EQ(w.Size(), 4u + 2 + 224);
    EXPECT_EQ(Bytes(w.Data().begin(), w.Data().begin() + 14),
              Hex("9200 e200 3800 00000000 ffffff00"));
}

TEST(CompoundFile, PlanSizesTheAllocationTable) {
    struct Case {
        std::uint64_t size;
        bool mini;
        std::uint32_t data, fat, difat;
    } cases[] = {
        {100, true, 1, 1, 0},
        {4095, true, 8, 1, 0},
        {4096, false, 8, 1, 0},
        {126 * 512, false, 126, 1, 0},
        {127 * 512, false, 127, 2, 0},          // 127 + 1 + 1 entries overflow one sector
        {128 * 512, false, 128, 2, 0},          // 128 + 2 + 1
        {13842ull * 512, false, 13842, 109, 0}, // the last that the header's list covers
        {13843ull * 512, false, 13843, 110, 1},
        {29972ull * 512, false, 29972, 237, 2},
    };
    for (const auto& c : cases) {
        const auto l = CompoundFile::Plan(c.size);
        EXPECT_EQ(l.Mini, c.mini) << c.size;
        EXPECT_EQ(l.DataSectors, c.data) << c.size;
        EXPECT_EQ(l.FatSectors, c.fat) << c.size;
        EXPECT_EQ(l.DifatSectors, c.difat) << c.size;
        // Covers every sector, and one allocation sector fewer would not.
        EXPECT_GE(128ull * l.FatSectors, l.TotalSectors());
        EXPECT_LT(128ull * (l.FatSectors - 1), l.TotalSectors() - 1);
        EXPECT_GE(109ull + 127 * l.DifatSectors, l.FatSectors);
    }
}

TEST(CompoundFile, RegularStreamLayout) {
    Bytes stream(128 * 512 - 5, 0x11);
    const Bytes file = CompoundFile::Bytes(stream, u"Workbook");
    ASSERT_EQ(file.size(), 512u * (1 + 128 + 2 + 1));
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 0x50),
              Hex("d0cf11e0a1b11ae1 00000000000000000000000000000000 3e00 0300 feff 0900 0600"
                  "000000000000 00000000 02000000 82000000 00000000 00100000 feffffff 00000000"
                  "feffffff 00000000 80000000"));
    EXPECT_EQ(file[0x50], 0x81);
    EXPECT_EQ(Bytes(file.begin() + 0x54, file.begin() + 0x58), Hex("ffffffff"));
    // Allocation table: chain, end, two table sectors, directory, free.
    const std::size_t fat = 512 * 129;
    auto entry = [&](std::size_t i) {
        const std::size_t a = fat + 4 * i;
        return std::uint32_t(file[a] | file[a + 1] << 8 | file[a + 2] << 16 |
                             std::uint32_t(file[a + 3]) << 24);
    };
    EXPECT_EQ(entry(0), 1u);
    EXPECT_EQ(entry(126), 127u);
    EXPECT_EQ(entry(127), CompoundFile::EndOfChain);
    EXPECT_EQ(entry(128), CompoundFile::FatSect);
    EXPECT_EQ(entry(129), CompoundFile::FatSect);
    EXPECT_EQ(entry(130), CompoundFile::EndOfChain);
    EXPECT_EQ(entry(131), CompoundFile::FreeSect);
    EXPECT_EQ(entry(255), CompoundFile::FreeSect);
    // Directory: the root and the stream, then two free entries.
    const std::size_t dir = 512 * 131;
    EXPECT_EQ(Bytes(file.begin() + dir, file.begin() + dir + 24),
              Hex("5200 6f00 6f00 7400 2000 4500 6e00 7400 7200 7900 0000 0000"));
    EXPECT_EQ(Bytes(file.begin() + dir + 64, file.begin() + dir + 80),
              Hex("1600 05 01 ffffffff ffffffff 01000000"));
    EXPECT_EQ(Bytes(file.begin() + dir + 116, file.begin() + dir + 128),
              Hex("feffffff 0000000000000000"));
    EXPECT_EQ(Bytes(file.begin() + dir + 128 + 64, file.begin() + dir + 128 + 80),
              Hex("1200 02 01 ffffffff ffffffff ffffffff"));
    EXPECT_EQ(Bytes(file.begin() + dir + 128 + 116, file.begin() + dir + 256),
              Hex("00000000 fbff000000000000"));
    EXPECT_EQ(Bytes(file.begin() + dir + 256 + 64, file.begin() + dir + 256 + 80),
              Hex("0000 00 00 ffffffff ffffffff ffffffff"));
    // The stream's last sector is padded with zeros.
    EXPECT_EQ(file[512 * 129 - 1], 0);
    EXPECT_EQ(file[512 * 129 - 6], 0x11);
}

TEST(CompoundFile, SmallStreamGoesToTheMiniStream) {
    Bytes stream(130, 0x22);
    const Bytes file = CompoundFile::Bytes(stream, u"Workbook");
    // Header, one container sector, mini table, allocation table, directory.
    ASSERT_EQ(file.size(), 512u * 5);
    EXPECT_EQ(Bytes(file.begin() + 0x2C, file.begin() + 0x4C),
              Hex("01000000 03000000 00000000 00100000 01000000 01000000 feffffff 00000000"));
    EXPECT_EQ(Bytes(file.begin() + 1024, file.begin() + 1040),
              Hex("01000000 02000000 feffffff ffffffff"));
    EXPECT_EQ(Bytes(file.begin() + 1536, file.begin() + 1552),
              Hex("feffffff feffffff fdffffff feffffff"));
    const std::size_t dir = 2048;
    EXPECT_EQ(Bytes(file.begin() + dir + 116, file.begin() + dir + 128),
              Hex("00000000 c000000000000000"));
    EXPECT_EQ(Bytes(file.begin() + dir + 128 + 116, file.begin() + dir + 256),
              Hex("00000000 8200000000000000"));
}

TEST(CompoundFile, ExtraIndexSectorsBeyond109TableSectors) {
    const std::uint32_t n = 109 * 127 + 1;
    Bytes stream(std::size_t(n) * 512, 0x33);
    const Bytes file = CompoundFile::Bytes(stream, u"Workbook");
    const auto l = CompoundFile::Plan(stream.size());
    ASSERT_EQ(l.FatSectors, 110u);
    ASSERT_EQ(l.DifatSectors, 1u);
    ASSERT_EQ(file.size(), 512u * (1 + l.TotalSectors()));
    auto u32 = [&](std::size_t a) {
        return std::uint32_t(file[a] | file[a + 1] << 8 | file[a + 2] << 16 |
                             std::uint32_t(file[a + 3]) << 24);
    };
    EXPECT_EQ(u32(0x44), n + 110); // first index sector
    EXPECT_EQ(u32(0x48), 1u);      // one of them
    EXPECT_EQ(u32(0x4C + 4 * 108), n + 108);
    const std::size_t difat = 512 * (1 + std::size_t(n) + 110);
    EXPECT_EQ(u32(difat), n + 109); // the 110th table sector
    EXPECT_EQ(u32(difat + 4), CompoundFile::FreeSect);
    EXPECT_EQ(u32(difat + 508), CompoundFile::EndOfChain);
    const std::size_t fat = 512 * (1 + std::size_t(n));
    EXPECT_EQ(u32(fat + 4 * (n + 110)), CompoundFile::DifSect);
    EXPECT_EQ(u32(fat + 4 * (n + 109)), CompoundFile::FatSect);
    EXPECT_EQ(u32(fat + 4 * (n + 111)), CompoundFile::EndOfChain);
}

} // namespace
