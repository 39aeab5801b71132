// The storage file and surface stream, byte for byte, and reading them back.
#include "RLMetaFile.h"
#include "RLMetaFileStream.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Two pages written by hand from the format description:
//   signature "RLGraphicStorage3" 1A                          bytes 0-17
//   2 macros: "Title=T", "PaperWidth=210.0000"                18-55
//   2 pages, record positions 68 and 192                      56-67
//   page 1 record: length 120, surface stream                 68-191
//   page 2 record: length 71, surface stream                  192-266
const char* const kFixtureHex =
    // storage signature
    "52 4C 47 72 61 70 68 69 63 53 74 6F 72 61 67 65 33 1A"
    // macro count 2; "Title=T"; "PaperWidth=210.0000"
    "02 00 00 00  07 00 00 00 54 69 74 6C 65 3D 54"
    "13 00 00 00 50 61 70 65 72 57 69 64 74 68 3D 32 31 30 2E 30 30 30 30"
    // page count 2; positions 68, 192
    "02 00 00 00  44 00 00 00  C0 00 00 00"
    // page 1: length 120; surface signature
    "78 00 00 00"
    "52 4C 47 72 61 70 68 69 63 53 75 72 66 61 63 65 33 1A"
    // width 10, height 20; no macros; font names ["Arial"]; 1 object
    "0A 00 00 00  14 00 00 00  00 00 00 00  01 00 00 00 05 00 00 00 41 72 69 61 6C"
    "01 00 00 00"
    // text object (code 4), payload 68 bytes: bounds 1,2,30,15; group 7; tag 0
    "04  44 00 00 00  01 00 00 00 02 00 00 00 1E 00 00 00 0F 00 00 00  07 00 00 00  00 00 00 00"
    // alignment left, layout top, origin 3,2, flags 5, text "He" with e acute (48 E9)
    "01 01  03 00 00 00 02 00 00 00  05 00  02 00 00 00 48 E9"
    // brush white, clear
    "FF FF FF 02"
    // font: 96 ppi, charset 1, black, height -13, name 0, pitch 1, 10 pt, bold
    "60 00 00 00  01  00 00 00  F3 FF FF FF  00 00 00 00  01  0A 00 00 00  01"
    // page 2: length 71; surface signature
    "47 00 00 00"
    "52 4C 47 72 61 70 68 69 63 53 75 72 66 61 63 65 33 1A"
    // width 10, height 20; no macros; no font names; 1 object
    "0A 00 00 00  14 00 00 00  00 00 00 00  00 00 00 00  01 00 00 00"
    // fill rectangle (code 5), payload 28: bounds 0,0,10,20; group 0; tag 0; silver solid
    "05  1C 00 00 00  00 00 00 00 00 00 00 00 0A 00 00 00 14 00 00 00  00 00 00 00  00 00 00 00"
    "C0 C0 C0 01";

QByteArray Fixture() {
    return QByteArray::fromHex(QByteArray(kFixtureHex).replace(' ', ""));
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::shared_ptr<TRLGraphicSurface> Page1() {
    auto s = std::make_shared<TRLGraphicSurface>();
    s->SetWidth(10);
    s->SetHeight(20);
    s->Brush().Style = TRLMetaBrushStyle::mbsClear;
    TRLFont font;
    font.Style = fsBold;
    s->SetFont(font);
    s->SetGroupId(7);
    s->TextRect({1, 2, 30, 15}, {3, 2}, QStringLiteral("H\u00e9"), TRLMetaTextAlignment::mtaLeft,
                TRLMetaTextLayout::mtlTop, 5);
    return s;
}

std::shared_ptr<TRLGraphicSurface> Page2() {
    auto s = std::make_shared<TRLGraphicSurface>();
    s->SetWidth(10);
    s->SetHeight(20);
    s->Brush().Color = clSilver;
    s->FillRect({0, 0, 10, 20});
    return s;
}

// Owns a storage the way a report does: linked, freed by the unlink.
struct LinkedStorage {
    TRLGraphicStorage* storage = new TRLGraphicStorage;
    LinkedStorage() { storage->Link(this); }
    ~LinkedStorage() { storage->Unlink(this); }
    TRLGraphicStorage* operator->() const { return storage; }
};

TEST(StorageFile, HandBuiltTwoPageStorageMatchesFixtureByteForByte) {
    QTemporaryDir dir;
    LinkedStorage storage;
    storage->SetTitle(QStringLiteral("T"));
    storage->SetPaperWidth(210);
    storage->AddPage(Page1());
    storage->AddPage(Page2());
    const QString path = dir.filePath(QStringLiteral("two.rlp"));
    storage->SaveToFile(path);
    EXPECT_EQ(ReadFile(path).toHex(' '), Fixture().toHex(' '));
}

TEST(StorageFile, FixtureReadsBackEqualAndSavesAgainIdentically) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.rlp"));
    WriteFile(in, Fixture());
    LinkedStorage storage;
    storage->LoadFromFile(in);
    ASSERT_EQ(storage->PageCount(), 2);
    EXPECT_EQ(storage->Title(), QStringLiteral("T"));
    EXPECT_DOUBLE_EQ(storage->PaperWidth(), 210.0);

    const auto p1 = storage->GetPage(0);
    ASSERT_TRUE(p1);
    EXPECT_EQ(p1->SaveToBytes(), Page1()->SaveToBytes());
    ASSERT_EQ(p1->ObjectCount(), 1);
    const auto* text = dynamic_cast<TRLTextObject*>(p1->Objects(0));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->Text, QStringLiteral("H\u00e9"));
    EXPECT_EQ(text->DisplayFont().Name, QStringLiteral("Arial"));
    EXPECT_EQ(text->Font.Height, -13);
    EXPECT_EQ(text->DrawGroup, 7);
    const auto p2 = storage->GetPage(1);
    ASSERT_TRUE(p2);
    EXPECT_EQ(p2->SaveToBytes(), Page2()->SaveToBytes());

    const QString out = dir.filePath(QStringLiteral("out.rlp"));
    storage->SaveToFile(out);
    EXPECT_EQ(ReadFile(out), Fixture());
}

// A range keeps the header and the chosen pages' records as they are, with
// the page table counted again: the fixture's second page alone starts
// right after a one-entry table.
TEST(StorageFile, APageRangeWritesThoseRecordsUnderTheWholeHeader) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.rlp"));
    WriteFile(in, Fixture());
    LinkedStorage storage;
    storage->LoadFromFile(in);
    const QByteArray fixture = Fixture();
    const QByteArray head = fixture.left(56); // signature and macros
    const QByteArray page1 = fixture.mid(68, 124);
    const QByteArray page2 = fixture.mid(192);
    auto file = [&](std::initializer_list<QByteArray> pages) {
        QByteArray bytes = head;
        TRLStreamWriter out(bytes);
        out.Int32(static_cast<std::int32_t>(pages.size()));
        std::int32_t at = static_cast<std::int32_t>(bytes.size() + pages.size() * 4);
        for (const QByteArray& page : pages) {
            out.Int32(at);
            at += static_cast<std::int32_t>(page.size());
        }
        for (const QByteArray& page : pages) {
            bytes += page;
        }
        return bytes;
    };
    const struct {
        int first, last;
        QByteArray bytes;
    } cases[] = {
        {2, 2, file({page2})}, {1, 1, file({page1})}, {2, -1, file({page2})}, {0, 9, fixture},
        {1, -1, fixture},      {2, 1, file({})},      {3, -1, file({})},      {1, 0, file({})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last);
        const QString out = dir.filePath(QStringLiteral("range.rlp"));
        storage->SaveToFile(out, c.first, c.last);
        EXPECT_EQ(ReadFile(out).toHex(' '), c.bytes.toHex(' '));
    }
    // What a range wrote opens again.
    storage->SaveToFile(dir.filePath(QStringLiteral("second.rlp")), 2, 2);
    LinkedStorage reopened;
    reopened->LoadFromFile(dir.filePath(QStringLiteral("second.rlp")));
    ASSERT_EQ(reopened->PageCount(), 1);
    EXPECT_EQ(reopened->GetPage(0)->SaveToBytes(), Page2()->SaveToBytes());
    EXPECT_EQ(reopened->Title(), QStringLiteral("T"));
}

TEST(StorageFile, BadSignaturesRaiseFileIsCorrupted) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.rlp"));
    QByteArray bytes = Fixture();
    bytes[16] = '2'; // "RLGraphicStorage2"
    WriteFile(path, bytes);
    LinkedStorage storage;
    try {
        storage->LoadFromFile(path);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("File is corrupted!"));
    }
    EXPECT_EQ(storage->PageCount(), 0);

    TRLGraphicSurface surface;
    for (const QByteArray& stream : {QByteArray("RLGraphicSurface2\x1A"), QByteArray("RPF2\x1A"),
                                     QByteArray(25, 'A'), QByteArray()}) {
        try {
            surface.LoadFromBytes(stream + QByteArray(40, '\0'));
            ADD_FAILURE() << stream.constData();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("File is corrupted!"));
        }
    }
}

TEST(StorageFile, TruncatedPageInFileRaisesAndLeavesStorageEmpty) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("short.rlp"));
    WriteFile(path, Fixture().left(250));
    LinkedStorage storage;
    EXPECT_THROW(storage->LoadFromFile(path), Exception);
    EXPECT_EQ(storage->PageCount(), 0);
}

TEST(SurfaceStream, UnknownObjectKindIsSkippedByItsPayloadSize) {
    auto page = Page2();
    QByteArray stream = page->SaveToBytes();
    // Append an object of kind 99 with a 3-byte payload, and a second fill.
    QByteArray extra;
    TRLStreamWriter out(extra);
    out.Byte(99);
    out.Int32(3);
    out.Bytes("xyz");
    const QByteArray fill = stream.right(33);
    stream += extra + fill;
    stream[18 + 8 + 4 + 4] = 3; // object count 1 -> 3
    TRLGraphicSurface read;
    read.LoadFromBytes(stream);
    ASSERT_EQ(read.ObjectCount(), 2);
    EXPECT_EQ(read.Objects(1)->Kind(), TRLGraphicObjectKind::FillRect);
}

TEST(SurfaceStream, EveryObjectKindRoundTrips) {
    TRLGraphicSurface s;
    s.SetWidth(100);
    s.SetHeight(50);
    s.Macros() << QStringLiteral("Orientation=1");
    s.Pen().Width = 3;
    s.Pen().Style = TRLMetaPenStyle::mpsDash;
    s.Pen().Mode = TRLMetaPenMode::mpmXor;
    s.SetPixel(1, 1, clRed);
    s.MoveTo(0, 0);
    s.LineTo(10, 5);
    s.Rectangle({1, 2, 3, 4});
    s.TextRect({0, 0, 50, 10}, {2, 0}, QStringLiteral("x"), TRLMetaTextAlignment::mtaJustify,
               TRLMetaTextLayout::mtlCenter, 4);
    s.FillRect({5, 5, 6, 6});
    s.Ellipse({0, 0, 8, 8});
    s.Polygon({{0, 0}, {5, 0}, {0, 5}});
    s.Polyline({{1, 1}, {2, 2}});
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::blue);
    s.StretchDraw({0, 0, 4, 4}, img);
    s.SetClipRect({1, 1, 9, 9});
    s.ResetClipRect();
    ASSERT_EQ(s.ObjectCount(), 11);
    const QByteArray bytes = s.SaveToBytes();
    TRLGraphicSurface read;
    read.LoadFromBytes(bytes);
    ASSERT_EQ(read.ObjectCount(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(static_cast<int>(read.Objects(i)->Kind()), i + 1);
    }
    EXPECT_EQ(read.SaveToBytes(), bytes);
    const auto* line = dynamic_cast<TRLLineObject*>(read.Objects(1));
    EXPECT_EQ(line->Pen, s.Pen());
    EXPECT_EQ(dynamic_cast<TRLImageObject*>(read.Objects(8))->Picture().pixelColor(1, 1),
              QColor(Qt::blue));
}

TEST(StorageHeader, PaperSizesHaveFourDecimalsAndMissingValuesDefault) {
    EXPECT_EQ(FormatPaperSize(210), QStringLiteral("210.0000"));
    EXPECT_EQ(FormatPaperSize(215.9), QStringLiteral("215.9000"));
    EXPECT_EQ(FormatPaperSize(297.00004), QStringLiteral("297.0000"));
    LinkedStorage storage;
    EXPECT_EQ(storage->FirstPageNumber(), 0);
    EXPECT_EQ(storage->LastPageNumber(), 0);
    EXPECT_EQ(storage->Orientation(), 1);
    EXPECT_EQ(storage->PaperWidth(), 0.0);
    storage->SetMacro(QStringLiteral("LastPageNumber"), QStringLiteral("x"));
    EXPECT_EQ(storage->LastPageNumber(), 0);
    storage->SetPaperWidth(210);
    storage->SetPaperHeight(297);
    EXPECT_EQ(storage->PageWidth(), 794);
    EXPECT_EQ(storage->PageHeight(), 1123);
    storage->SetOrientation(2);
    EXPECT_EQ(storage->PageWidth(), 1123);
    EXPECT_EQ(storage->PageHeight(), 794);
    EXPECT_EQ(
        storage->Macros(),
        QStringList({QStringLiteral("LastPageNumber=x"), QStringLiteral("PaperWidth=210.0000"),
                     QStringLiteral("PaperHeight=297.0000"), QStringLiteral("Orientation=2")}));
}

} // namespace
