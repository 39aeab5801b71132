// Page files and pages from anywhere: what a damaged or hostile file must
// give (refused as corrupted, or read with its work bounded), and the
// arithmetic of painting on values no report makes. The files are the
// hand-made ones of tests/fuzz/page_file, which the fuzz replay test also
// runs through painting and both writers.
#include "RLMetaFile.h"
#include "RLMetaFilePaint.h"
#include "RLMetaFileStream.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <climits>
#include <numeric>

namespace {

QString CaseFile(const char* name) {
    return QStringLiteral(QUORVA_FUZZ_CASES_DIR "/page_file/") + QLatin1String(name);
}

// Owns a storage the way a preview does.
struct LinkedStorage {
    TRLGraphicStorage* storage = new TRLGraphicStorage;
    LinkedStorage() { storage->Link(this); }
    ~LinkedStorage() { storage->Unlink(this); }
    TRLGraphicStorage* operator->() const { return storage; }
};

TEST(HostilePageFile, ImpossibleValuesAreRefusedAsCorrupted) {
    for (const char* name : {
             "font-size-2-30.rpf",      // a font of 2^30 points
             "font-size-int-min.rpf",   // the most negative int as size and height
             "coordinates-int-max.rpf", // boxes and points at the ends of the int range
             "justify-2e9-wide.rpf",    // a box 2,000,000,000 pixels wide
             "shared-record.rpf",       // 5,000 page entries naming one record
             "overlapping-records.rpf", // a record starting inside the one before
         }) {
        LinkedStorage storage;
        try {
            storage->LoadFromFile(CaseFile(name));
            ADD_FAILURE() << name << " was read";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("File is corrupted!")) << name;
        }
        EXPECT_EQ(storage->PageCount(), 0) << name;
    }
}

TEST(HostilePageFile, CountsBeyondTheDataAndTooManyMacrosAreRefused) {
    TRLGraphicSurface good;
    good.SetWidth(10);
    good.SetHeight(10);
    good.Macros() << QStringLiteral("Orientation=1");
    good.FillRect({0, 0, 5, 5});
    const QByteArray bytes = good.SaveToBytes();
    const qsizetype macroCount = 18 + 8;
    const qsizetype objectCount = bytes.size() - 33 - 4;
    struct Patch {
        qsizetype at;
        std::int32_t value;
    };
    for (const Patch& p : {Patch{macroCount, -1}, Patch{macroCount, 65}, Patch{macroCount, 1 << 30},
                           Patch{objectCount, -2}, Patch{objectCount, 1 << 30},
                           Patch{18, -1} /* width */, Patch{22, kMaxPageCoordinate + 1}}) {
        QByteArray damaged = bytes;
        TRLStreamWriter out(damaged);
        out.PatchInt32(p.at, p.value);
        TRLGraphicSurface read;
        EXPECT_THROW(read.LoadFromBytes(damaged), Exception) << p.at << " " << p.value;
        EXPECT_THROW(TRLGraphicSurface::CheckBytes(damaged), Exception) << p.at << " " << p.value;
    }
    TRLGraphicSurface read;
    read.LoadFromBytes(bytes);
    EXPECT_EQ(read.ObjectCount(), 1);
}

// The fuzzer's seeds are real reports (and one page of every object kind):
// they read whole, and spool no more than their file holds.
TEST(HostilePageFile, SeedFilesReadAndSpoolNoMoreThanTheirFileHolds) {
    for (const char* name :
         {"balancete.rpf", "inadimplencia.rpf", "compromissados.rpf", "every-kind.rpf"}) {
        LinkedStorage storage;
        const QString path = QStringLiteral(QUORVA_FUZZ_SEEDS_DIR "/page_file/") + name;
        storage->LoadFromFile(path);
        ASSERT_EQ(storage->PageCount(), 1) << name;
        EXPECT_LE(QFileInfo(storage->SpoolFileName()).size(), QFileInfo(path).size()) << name;
        const auto page = storage->GetPage(0);
        ASSERT_TRUE(page) << name;
        EXPECT_GT(page->ObjectCount(), 10) << name;
    }
}

TEST(HostilePageFile, MacroExpansionIsBoundedByTheText) {
    LinkedStorage storage;
    storage->LoadFromFile(CaseFile("macro-blow-up.rpf"));
    const auto page = storage->GetPage(0);
    ASSERT_TRUE(page);
    const auto* text = dynamic_cast<const TRLTextObject*>(page->Objects(0));
    ASSERT_TRUE(text);
    // 2,000 references to a macro of 20,000 characters: far past what a
    // text may grow by, so the text stays as it is.
    EXPECT_EQ(page->ExpandMacros(text->Text), text->Text);

    TRLGraphicSurface s;
    s.Macros() << QStringLiteral("P=12");
    QString many;
    for (int i = 0; i < 100; ++i) {
        many += QStringLiteral("{P}");
    }
    // The first 64 names are looked up, the rest stays as it is.
    const QString expanded = s.ExpandMacros(many);
    EXPECT_EQ(expanded, QStringLiteral("12").repeated(64) + QStringLiteral("{P}").repeated(36));

    const QString braces = QString(30000, u'{') + u'}';
    EXPECT_EQ(s.ExpandMacros(braces), braces);
}

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return QByteArray(format) + bytes;
}

TEST(HostilePageFile, PicturesLargerThanTheirDataCouldHoldAreNotDecoded) {
    LinkedStorage storage;
    storage->LoadFromFile(CaseFile("image-rle-huge.rpf"));
    const auto page = storage->GetPage(0);
    ASSERT_TRUE(page);
    const auto* image = dynamic_cast<const TRLImageObject*>(page->Objects(0));
    ASSERT_TRUE(image);
    EXPECT_LT(image->Data.size(), 100);
    EXPECT_TRUE(image->Picture().isNull()) << "5,500 x 5,500 pixels from 70 bytes";

    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (const char* format : {"BMP", "ICO"}) {
        const QImage decoded = TRLImageObject::DecodePicture(Encoded(picture, format));
        EXPECT_EQ(decoded.size(), picture.size()) << format;
    }
    QImage bits(64, 64, QImage::Format_Mono);
    bits.fill(1);
    EXPECT_EQ(TRLImageObject::DecodePicture(Encoded(bits, "BMP")).size(), bits.size())
        << "a one-bit bitmap holds eight pixels a byte";
}

TEST(Justify, SpacesWidenFromTheEndBackwardsWithoutALoopPerPixel) {
    const QString text = QStringLiteral("a b c");
    const struct {
        int available;
        std::vector<int> extra;
    } cases[] = {
        {10, {0, 0, 0, 0, 0}}, // fits already
        {11, {0, 0, 0, 1, 0}},
        {12, {0, 1, 0, 1, 0}},
        {15, {0, 2, 0, 3, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JustifyExtra(text, c.available, 10), c.extra) << c.available;
    }
    const std::vector<int> wide = JustifyExtra(text, 2000000000, 10);
    EXPECT_EQ(std::accumulate(wide.begin(), wide.end(), 0LL), 2000000000LL - 10);
    EXPECT_EQ(wide[3] - wide[1], 0);
    EXPECT_EQ(JustifyExtra(QStringLiteral("abc"), INT_MAX, INT_MIN), std::vector<int>(3, 0));
}

// Pages built in memory may hold anything a file could not: painting them
// must still do no arithmetic that overflows (the sanitizer build checks).
TEST(Justify, ExtremeValuesPaintWithoutOverflow) {
    TRLGraphicSurface s;
    s.SetWidth(1);
    s.SetHeight(1);
    const int big = INT_MAX;
    const int small = INT_MIN;
    s.Pen().Width = big;
    s.MoveTo(small, small);
    s.LineTo(big, big);
    s.FillRect({small, small, big, big});
    s.Rectangle({small, 0, big, 10});
    s.Polygon({{small, small}, {big, 0}, {0, big}});
    for (const auto alignment :
         {TRLMetaTextAlignment::mtaLeft, TRLMetaTextAlignment::mtaRight,
          TRLMetaTextAlignment::mtaCenter, TRLMetaTextAlignment::mtaJustify}) {
        for (const auto layout : {TRLMetaTextLayout::mtlTop, TRLMetaTextLayout::mtlBottom,
                                  TRLMetaTextLayout::mtlCenter}) {
            s.TextRect({small, small, big, big}, {small, big}, QStringLiteral("a b"), alignment,
                       layout);
        }
    }
    for (int size : {big, small, 0}) {
        auto* text = static_cast<TRLTextObject*>(s.Objects(s.ObjectCount() - 1));
        text->Font.Size = size;
        text->Font.Height = small;
        text->Font.PixelsPerInch = big;
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        s.PaintTo(painter, {0, 0, 300, 200});
    }
    EXPECT_EQ(TRLFont::PointsToPixels(INT_MIN), -kMaxPageCoordinate);
    EXPECT_EQ(RoundHalfEven(1e300), INT_MAX);
    EXPECT_EQ(RoundHalfEven(-1e300), INT_MIN);
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
}

} // namespace
