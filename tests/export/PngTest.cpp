// Page images: the PNG encoder read back by Qt's own PNG reader (libpng),
// pages painted on white with antialiased text at any resolution, and the
// filter's files, named by page, written whole or not at all.
#include "FilterTestSupport.h"
#include "PngWriter.h"
#include "RLPNGFilter.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filtertest;

namespace {

QImage Decode(const QByteArray& png) {
    QImage image;
    EXPECT_TRUE(image.loadFromData(png, "PNG"));
    return image;
}

// Pixel by pixel, without converting either image (a conversion of a large
// image runs on the toolkit's own threads, which the thread sanitizer cannot
// follow).
bool SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

// Chunk types in file order.
QStringList Chunks(const QByteArray& png) {
    QStringList types;
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const auto* p = reinterpret_cast<const uchar*>(png.constData() + at);
        const qsizetype length = qsizetype(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        types << QString::fromLatin1(png.mid(at + 4, 4));
        at += 12 + length;
    }
    return types;
}

// Colour type byte of the IHDR chunk.
int ColourType(const QByteArray& png) {
    return static_cast<uchar>(png.at(8 + 8 + 9));
}

TEST(PngEncoder, ReadsBackPixelForPixel) {
    // Colours, greys, and noise that does not compress: several IDAT chunks.
    QImage colour(300, 280, QImage::Format_RGB32);
    colour.fill(Qt::white);
    {
        QPainter p(&colour);
        p.fillRect(10, 10, 100, 50, QColor(0, 0, 128));
        p.fillRect(50, 100, 200, 60, QColor(200, 30, 40));
    }
    QRandomGenerator random(19);
    for (int y = 200; y < 280; ++y) {
        for (int x = 0; x < 300; ++x) {
            colour.setPixel(x, y, random.generate() | 0xff000000u);
        }
    }
    colour.setDotsPerMeterX(11811); // 300 dpi
    colour.setDotsPerMeterY(11811);
    QImage grey(123, 45, QImage::Format_RGB32);
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            const int v = (x * 7 + y * 13) % 256;
            grey.setPixel(x, y, qRgb(v, v, v));
        }
    }
    PNG::Encoder encoder; // used twice: its state carries nothing over
    for (int round = 0; round < 2; ++round) {
        const QByteArray colourFile = encoder.Encode(colour);
        EXPECT_EQ(ColourType(colourFile), 2);
        EXPECT_GE(Chunks(colourFile).count(QStringLiteral("IDAT")), 2);
        EXPECT_EQ(Chunks(colourFile).first(), QStringLiteral("IHDR"));
        EXPECT_EQ(Chunks(colourFile).last(), QStringLiteral("IEND"));
        const QImage back = Decode(colourFile);
        EXPECT_TRUE(SamePixels(back, colour));
        EXPECT_EQ(back.dotsPerMeterX(), 11811);
        const QByteArray greyFile = encoder.Encode(grey);
        EXPECT_EQ(ColourType(greyFile), 0);
        EXPECT_TRUE(SamePixels(Decode(greyFile), grey));
    }
    // Other formats are taken as what they show.
    const QImage small = colour.copy(0, 0, 120, 80);
    const QImage argb = small.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_TRUE(SamePixels(Decode(PNG::Encode(argb)), small));
}

// A page of text and lines, painted as the preview paints it: the page's own
// pixels at 96 dpi, scaled at other resolutions, on white, its text
// smoothed with greys and never with colour fringes.
TEST(PngPageImage, WhitePageAntialiasedTextAtAnyResolution) {
    const auto page = NumberedPage(7);
    struct Case {
        int dpi;
        int width, height;
    } cases[] = {{96, 794, 1123}, {48, 397, 562}, {300, 2481, 3509}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const QImage image = PNG::PageImage(*page, c.dpi);
        ASSERT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(c.width - 3, c.height - 3), qRgb(255, 255, 255));
        EXPECT_EQ(qRound(image.dotsPerMeterX() * 0.0254), c.dpi);
        // The first line of text, from its left edge to well past its end.
        const QRect line(c.dpi * 40 / 96, c.dpi * 40 / 96, c.dpi * 150 / 96, c.dpi * 16 / 96);
        int ink = 0, partial = 0, coloured = 0;
        for (int y = line.top(); y <= line.bottom(); ++y) {
            for (int x = line.left(); x <= line.right(); ++x) {
                const QRgb p = image.pixel(x, y);
                coloured += qRed(p) != qGreen(p) || qGreen(p) != qBlue(p);
                ink += qRed(p) < 160;
                partial += qRed(p) >= 32 && qRed(p) < 224;
            }
        }
        EXPECT_GT(ink, 0);
        EXPECT_GT(partial, ink / 10) << "text without antialiasing";
        EXPECT_EQ(coloured, 0);
        // The frame is black where the page puts it.
        EXPECT_EQ(image.pixel(c.dpi * 400 / 96, c.dpi * 20 / 96), qRgb(0, 0, 0));
    }
    EXPECT_THROW(PNG::PageImage(*page, 2000), Exception); // 387 million pixels is too many
}

TEST(PngPageImage, PageFileNames) {
    struct Case {
        const char* name;
        int page;
        const char* file;
    } cases[] = {
        {"/tmp/out/pagina.png", 3, "/tmp/out/pagina-3.png"},
        {"rel.a/b.PNG", 12, "rel.a/b-12.PNG"},
        {"sem", 1, "sem-1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PNG::PageFileName(QString::fromUtf8(c.name), c.page), QString::fromUtf8(c.file));
    }
}

class PngFilterTest : public ::testing::Test {
protected:
    void SetUp() override { storage = NumberedStorage(4, this); }
    void TearDown() override { storage->Unlink(this); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir dir;
    TRLGraphicStorage* storage = nullptr;
};

// Pages 2 to 3 become NAME-2.png and NAME-3.png, each the picture of its
// own page, whatever order the files are finished in.
TEST_F(PngFilterTest, OneFilePerPageNamedByItsPage) {
    TRLPNGFilter filter;
    filter.ShowProgress = false;
    filter.Dpi = 48;
    filter.FileName = dir.filePath(QStringLiteral("pagina.png"));
    filter.FilterPages(storage, 2, false, 3);
    EXPECT_EQ(Files(), (QStringList{"pagina-2.png", "pagina-3.png"}));
    EXPECT_EQ(filter.Written(), (QStringList{dir.filePath(QStringLiteral("pagina-2.png")),
                                             dir.filePath(QStringLiteral("pagina-3.png"))}));
    for (int page : {2, 3}) {
        QFile file(dir.filePath(QStringLiteral("pagina-%1.png").arg(page)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QImage image = Decode(file.readAll());
        EXPECT_EQ(image.size(), QSize(397, 562));
        EXPECT_TRUE(SamePixels(image, PNG::PageImage(*storage->GetPage(page - 1), 48))) << page;
        EXPECT_FALSE(SamePixels(image, PNG::PageImage(*storage->GetPage(0), 48)));
    }
    // Registered as a save filter: the extension finds it.
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("x.PNG")), &filter);
}

// A page whose file cannot be written ends the run with the system's
// reason, and the set is one output: the images of an earlier run stay
// exactly as they were, and no file of this run, no temporary file, is left.
TEST_F(PngFilterTest, AFailedRunKeepsTheEarlierImagesAndLeavesNothingElse) {
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    auto read = [&](const QString& name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    write(QStringLiteral("p-1.png"), "earlier page 1");
    write(QStringLiteral("p-2.png"), "earlier page 2");
    QDir(dir.path()).mkdir(QStringLiteral("p-3.png"));
    TRLPNGFilter filter;
    filter.ShowProgress = false;
    filter.FileName = dir.filePath(QStringLiteral("p.png"));
    try {
        filter.FilterPages(storage);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("p-3.png"))) << e.Message().toStdString();
    }
    EXPECT_EQ(Files(), (QStringList{"p-1.png", "p-2.png"}));
    EXPECT_EQ(read(QStringLiteral("p-1.png")), "earlier page 1");
    EXPECT_EQ(read(QStringLiteral("p-2.png")), "earlier page 2");
    EXPECT_TRUE(filter.Written().isEmpty());
    // The same filter runs again once the way is clear, and replaces them.
    QDir(dir.path()).rmdir(QStringLiteral("p-3.png"));
    filter.FilterPages(storage);
    EXPECT_EQ(Files().size(), 4);
    EXPECT_EQ(Decode(read(QStringLiteral("p-1.png"))).isNull(), false);
}

} // namespace
