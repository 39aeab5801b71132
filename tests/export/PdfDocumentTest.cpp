// Whole documents written through the document layer: byte for byte where the
// layout is fixed, and read back by qpdf and poppler.
#include "PdfDocument.h"
#include "Exception.h"
#include "PdfFonts.h"
#include "PdfTools.h"
#include "Win1252.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QRawFont>
#include <gtest/gtest.h>
#include <map>

namespace {

const QDateTime kCreated(QDate(2015, 3, 7), QTime(9, 5, 3));
constexpr int kA4Width = 794;
constexpr int kA4Height = 1123;

std::string Bytes(const QString& text) {
    return Win1252::Encode(text).toStdString();
}

QByteArray BmpData(const QImage& image) {
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return QByteArray("BMP") + bmp;
}

QImage TwoByTwo() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0xFF, 0x00, 0x00));
    image.setPixel(1, 0, qRgb(0x00, 0x80, 0x00));
    image.setPixel(0, 1, qRgb(0x00, 0x00, 0xFF));
    image.setPixel(1, 1, qRgb(0xFF, 0xFF, 0xFF));
    return image;
}

// The cross-reference table and trailer for a body, offsets found by
// searching the body for each object's header.
std::string XrefAndTrailer(const std::string& body, int count) {
    std::string out = "xref\r\n0 " + std::to_string(count + 1) + "\r\n0000000000 65535 f\r\n";
    for (int n = 1; n <= count; ++n) {
        const std::string header = "\n" + std::to_string(n) + " 0 obj";
        const size_t at = body.find(header);
        EXPECT_NE(at, std::string::npos) << "object " << n << " missing";
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n\r\n", at + 1);
        out += line;
    }
    out += "trailer\r\n<<\r\n/Size " + std::to_string(count + 1) +
           "\r\n/Root 2 0 R\r\n/Info 1 0 R\r\n>>\r\nstartxref\r\n" + std::to_string(body.size()) +
           "\r\n%%EOF\r\n";
    return out;
}

// Widths of Windows-1252 codes 32..255 read with Qt's own font reader, 18 to
// a line, as the width table must hold them.
std::string WidthLines(const QString& fontFile) {
    QRawFont raw(fontFile, 1000);
    std::string out;
    for (int code = 32, i = 0; code <= 255; ++code, ++i) {
        const QString ch(QChar(Win1252::ToUnicode(static_cast<unsigned char>(code))));
        QList<quint32> glyphs = raw.glyphIndexesForString(ch);
        if (glyphs.isEmpty()) {
            glyphs = {0};
        }
        const QList<QPointF> adv = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
        out += std::to_string(qRound(adv.value(0).x())) + " ";
        if (i % 18 == 17 || code == 255) {
            out += "\r\n";
        }
    }
    return out;
}

const char kSansRegular[] = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

TEST(PdfDocument, EmptyDocumentByteForByte) {
    const QString path = PdfTools::OutputPath(QStringLiteral("empty.pdf"));
    Pdf::Document doc;
    doc.Begin(path, kA4Width, kA4Height, {}, kCreated);
    doc.End();
    const std::string body = "%PDF-1.2\r\n"
                             "1 0 obj <<\r\n/CreationDate(D:20150307090503)\r\n>> endobj\r\n"
                             "2 0 obj <<\r\n/Type/Catalog\r\n/Pages 3 0 R\r\n>> endobj\r\n"
                             "4 0 obj <<\r\n/ProcSet [ /PDF/Text/ImageB ]\r\n/Font <<\r\n>>\r\n"
                             "/XObject <<\r\n>>\r\n>> endobj\r\n"
                             "3 0 obj <<\r\n/Type/Pages\r\n/Count 0\r\n"
                             "/MediaBox [ 0 0 595.5 842.25 ]\r\n/Kids [ ]\r\n>> endobj\r\n";
    EXPECT_EQ(PdfTools::ReadAll(path).toStdString(), body + XrefAndTrailer(body, 4));
    EXPECT_TRUE(PdfTools::QpdfClean(path));
}

TEST(PdfDocument, TwoPageNumberingByteForByte) {
    const QString path = PdfTools::OutputPath(QStringLiteral("two_pages.pdf"));
    Pdf::Document doc;
    doc.Begin(path, kA4Width, kA4Height, {}, kCreated);
    ASSERT_EQ(doc.ImageIndex(BmpData(TwoByTwo())), 1);
    Pdf::Content page1 = doc.BeginPage(kA4Width, kA4Height);
    page1.Image(Pdf::Box{10, 10, 42, 42}, 1);
    const std::string relacao = Bytes(QStringLiteral("Relação"));
    Pdf::Content::Text text{{},   Pdf::Box{50, 100, 400, 120},
                            true, 50,
                            120,  doc.FontIndex(QStringLiteral("Arial"), 0),
                            10,   relacao};
    page1.DrawText(text);
    doc.EndPage();
    Pdf::Content page2 = doc.BeginPage(kA4Width, kA4Height);
    const std::string pagina = Bytes(QStringLiteral("Página 2"));
    text.clip = false;
    text.bytes = pagina;
    text.fontIndex = doc.FontIndex(QStringLiteral("ARIAL"), 0);
    page2.DrawText(text);
    doc.EndPage();
    doc.End();

    const std::string content1 = "q\r\n1 0 0 1 7.5 810.75 cm\r\n24 0 0 24 0 0 cm\r\n"
                                 "/Image1 Do\r\nQ\r\n"
                                 "q\r\n0 0 0 rg\r\n37.5 752.25 262.5 15 re\r\nW n\r\nBT\r\n"
                                 "/F1 10 Tf\r\n37.5 752.25 Td\r\n(Rela\xE7\xE3o) Tj\r\nET\r\nQ\r\n";
    const std::string content2 = "q\r\n0 0 0 rg\r\nBT\r\n/F1 10 Tf\r\n37.5 752.25 Td\r\n"
                                 "(P\xE1gina 2) Tj\r\nET\r\nQ\r\n";
    const std::string page = "/Type/Page\r\n/Parent 3 0 R\r\n/Resources 4 0 R\r\n"
                             "/MediaBox [ 0 0 595.5 842.25 ]\r\n";
    const std::string body =
        "%PDF-1.2\r\n"
        "1 0 obj <<\r\n/CreationDate(D:20150307090503)\r\n>> endobj\r\n"
        "2 0 obj <<\r\n/Type/Catalog\r\n/Pages 3 0 R\r\n>> endobj\r\n"
        "6 0 obj <<\r\n/Type/XObject\r\n/Subtype/Image\r\n/Width 2\r\n/Height 2\r\n"
        "/ColorSpace/DeviceRGB\r\n/BitsPerComponent 8\r\n/Length 5 0 R\r\n"
        "/Filter [/ASCIIHexDecode]\r\n>>\r\nstream\r\n"
        "FF0000008000"
        "0000FFFFFFFF>\r\nendstream\r\nendobj\r\n"
        "5 0 obj\r\n27\r\nendobj\r\n"
        "7 0 obj <<\r\n" +
        page +
        "/Contents 8 0 R\r\n>> endobj\r\n"
        "8 0 obj <<\r\n/Length 9 0 R\r\n>>\r\nstream\r\n" +
        content1 + "endstream\r\nendobj\r\n9 0 obj\r\n" + std::to_string(content1.size()) +
        "\r\nendobj\r\n"
        "11 0 obj <<\r\n" +
        page +
        "/Contents 12 0 R\r\n>> endobj\r\n"
        "12 0 obj <<\r\n/Length 13 0 R\r\n>>\r\nstream\r\n" +
        content2 + "endstream\r\nendobj\r\n13 0 obj\r\n" + std::to_string(content2.size()) +
        "\r\nendobj\r\n"
        "10 0 obj <<\r\n/Type/Font/Subtype/TrueType/Name/F1/BaseFont/Arial\r\n"
        "/FirstChar 32\r\n/LastChar 255\r\n/Widths [\r\n" +
        WidthLines(kSansRegular) +
        "]\r\n/FontDescriptor 14 0 R\r\n/Encoding/WinAnsiEncoding\r\n>> endobj\r\n"
        "14 0 obj <<\r\n/Type/FontDescriptor\r\n/FontName/Arial\r\n/Flags 32\r\n"
        "/FontBBox [ -203 -303 1050 910 ]\r\n/MissingWidth 0\r\n/StemV 73\r\n/StemH 73\r\n"
        "/ItalicAngle 0\r\n/CapHeight 688\r\n/XHeight 528\r\n/Ascent 905\r\n/Descent -212\r\n"
        "/Leading 117\r\n/MaxWidth 1094\r\n/AvgWidth 590\r\n>> endobj\r\n"
        "4 0 obj <<\r\n/ProcSet [ /PDF/Text/ImageB ]\r\n/Font <<\r\n/F1 10 0 R\r\n>>\r\n"
        "/XObject <<\r\n/Image1 6 0 R\r\n>>\r\n>> endobj\r\n"
        "3 0 obj <<\r\n/Type/Pages\r\n/Count 2\r\n/MediaBox [ 0 0 595.5 842.25 ]\r\n"
        "/Kids [ 7 0 R 11 0 R ]\r\n>> endobj\r\n";
    EXPECT_EQ(PdfTools::ReadAll(path).toStdString(), body + XrefAndTrailer(body, 14));

    EXPECT_TRUE(PdfTools::QpdfClean(path));
    EXPECT_TRUE(PdfTools::Text(path, 1).contains(QStringLiteral("Relação")));
    EXPECT_TRUE(PdfTools::Text(path, 2).contains(QStringLiteral("Página 2")));
    EXPECT_FALSE(
        PdfTools::Render(path, PdfTools::OutputPath(QStringLiteral("two_pages"))).isEmpty());
}

TEST(PdfDocument, WidthTableSpotValues) {
    // Values any reader of Liberation Sans agrees on, in thousandths of the em.
    const std::string widths = WidthLines(kSansRegular);
    EXPECT_EQ(widths.rfind("278 278 355 556 556 889 667 191 333 333 389 584 278 333 278 278 "
                           "556 556 \r\n",
                           0),
              0u)
        << widths.substr(0, 120);
}

TEST(PdfDocument, InformationValuesAreEscaped) {
    const QString path = PdfTools::OutputPath(QStringLiteral("info.pdf"));
    Pdf::DocumentInfo info;
    info.title = QStringLiteral("Balancete (março) C:\\dados");
    info.keywords = QStringLiteral("a)b");
    info.creator = QStringLiteral("Quorva");
    Pdf::Document doc;
    doc.Begin(path, kA4Width, kA4Height, info, kCreated);
    doc.BeginPage(kA4Width, kA4Height);
    doc.EndPage();
    doc.End();
    const std::string file = PdfTools::ReadAll(path).toStdString();
    EXPECT_NE(file.find("1 0 obj <<\r\n/CreationDate(D:20150307090503)\r\n"
                        "/Title(Balancete \\(mar\xE7o\\) C:\\\\dados)\r\n"
                        "/Keywords(a\\)b)\r\n/Creator(Quorva)\r\n>> endobj\r\n"),
              std::string::npos)
        << file.substr(0, 200);
    EXPECT_TRUE(PdfTools::QpdfClean(path));
    const auto r = PdfTools::Run(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(r.output.contains(QStringLiteral("Balancete (março) C:\\dados")))
        << r.output.toStdString();
}

TEST(PdfDocument, SameLogoOnEveryPageIsEmbeddedOnce) {
    const QString path = PdfTools::OutputPath(QStringLiteral("logo.pdf"));
    const QByteArray logo = BmpData(TwoByTwo());
    QImage other = TwoByTwo();
    other.setPixel(0, 0, qRgb(1, 2, 3));
    Pdf::Document doc;
    doc.Begin(path, kA4Width, kA4Height, {}, kCreated);
    for (int page = 0; page < 3; ++page) {
        EXPECT_EQ(doc.ImageIndex(logo), 1);
        doc.BeginPage(kA4Width, kA4Height).Image(Pdf::Box{0, 0, 20, 20}, 1);
        doc.EndPage();
    }
    EXPECT_EQ(doc.ImageIndex(BmpData(other)), 2);
    EXPECT_EQ(doc.ImageIndex(QByteArray("NIL")), 0);
    doc.BeginPage(kA4Width, kA4Height).Image(Pdf::Box{0, 0, 20, 20}, 2);
    doc.EndPage();
    doc.End();
    const std::string file = PdfTools::ReadAll(path).toStdString();
    size_t images = 0;
    for (size_t at = file.find("/Subtype/Image"); at != std::string::npos;
         at = file.find("/Subtype/Image", at + 1)) {
        ++images;
    }
    EXPECT_EQ(images, 2u);
    EXPECT_TRUE(PdfTools::QpdfClean(path));
}

TEST(PdfDocument, HexSamplesBreakAfter80Characters) {
    const QString path = PdfTools::OutputPath(QStringLiteral("wide_image.pdf"));
    QImage wide(20, 2, QImage::Format_RGB32);
    wide.fill(qRgb(0x12, 0x34, 0x56));
    Pdf::Document doc;
    doc.Begin(path, kA4Width, kA4Height, {}, kCreated);
    doc.ImageIndex(BmpData(wide));
    doc.End();
    const std::string file = PdfTools::ReadAll(path).toStdString();
    std::string px;
    for (int i = 0; i < 14; ++i) {
        px += "123456";
    }
    // 40 pixels: 14 on a line (84 characters), the count running across rows.
    std::string last;
    for (int i = 0; i < 12; ++i) {
        last += "123456";
    }
    EXPECT_NE(file.find("stream\r\n" + px + "\r\n" + px + "\r\n" + last + ">\r\nendstream"),
              std::string::npos);
    EXPECT_TRUE(PdfTools::QpdfClean(path));
}

TEST(PdfDocument, StandardAndTrueTypeFonts) {
    const QString path = PdfTools::OutputPath(QStringLiteral("fonts.pdf"));
    Pdf::Document doc;
    doc.Begin(path, kA4Width, kA4Height, {}, kCreated);
    Pdf::Content page = doc.BeginPage(kA4Width, kA4Height);
    const struct {
        const char* name;
        int style;
        int index;
    } uses[] = {
        {"Helvetica", Pdf::kBold, 1},
        {"Arial", Pdf::kBold, 2},
        {"arial", Pdf::kBold, 2},
        {"Arial", 0, 3},
        {"Arial", Pdf::kUnderline, 3}, // lines are drawn, not a face of their own
        {"Times New Roman", Pdf::kItalic | Pdf::kUnderline, 4},
        {"Courier New", Pdf::kBold | Pdf::kItalic | Pdf::kStrikeOut, 5},
        {"times-roman", 0, 6},
    };
    int y = 40;
    for (const auto& use : uses) {
        const std::string bytes = Bytes(QStringLiteral("Ação %1").arg(QLatin1String(use.name)));
        const int index = doc.FontIndex(QLatin1String(use.name), use.style);
        EXPECT_EQ(index, use.index) << use.name;
        page.DrawText({{}, Pdf::Box{40, y - 20, 700, y}, false, 40, y - 4, index, 12, bytes});
        y += 30;
    }
    doc.EndPage();
    doc.End();
    const std::string file = PdfTools::ReadAll(path).toStdString();
    EXPECT_NE(
        file.find(
            "/Type/Font/Subtype/Type1/Name/F1/BaseFont/Helvetica/Encoding/WinAnsiEncoding\r\n"),
        std::string::npos);
    EXPECT_NE(
        file.find(
            "/Type/Font/Subtype/Type1/Name/F6/BaseFont/times-roman/Encoding/WinAnsiEncoding\r\n"),
        std::string::npos);
    EXPECT_NE(file.find("/Name/F2/BaseFont/Arial,Bold\r\n"), std::string::npos);
    EXPECT_NE(file.find("/Name/F3/BaseFont/Arial\r\n"), std::string::npos);
    // Underline and strike-out leave the names alone: readers know no
    // faces named after them.
    EXPECT_NE(file.find("/Name/F4/BaseFont/TimesNewRoman,Italic\r\n"), std::string::npos);
    EXPECT_NE(file.find("/Name/F5/BaseFont/CourierNew,BoldItalic\r\n"), std::string::npos);
    // Bold Arial has its own descriptor, measured from the bold file.
    EXPECT_NE(
        file.find("/FontName/Arial,Bold\r\n/Flags 32\r\n/FontBBox [ -184 -303 1062 1033 ]\r\n"),
        std::string::npos);
    EXPECT_NE(file.find("/MaxWidth 1115\r\n/AvgWidth 613\r\n"), std::string::npos);
    EXPECT_NE(file.find("/FontName/TimesNewRoman,Italic\r\n"), std::string::npos);
    EXPECT_EQ(file.find("Underline"), std::string::npos);
    EXPECT_EQ(file.find("StrikeOut"), std::string::npos);
    EXPECT_NE(file.find("/ItalicAngle -16\r\n"), std::string::npos);
    EXPECT_TRUE(PdfTools::QpdfClean(path));
    const QString text = PdfTools::Text(path);
    for (const char* name : {"Helvetica", "Arial", "Times New Roman", "Courier New"}) {
        EXPECT_TRUE(text.contains(QStringLiteral("Ação %1").arg(QLatin1String(name))))
            << name << "\n"
            << text.toStdString();
    }
}

TEST(PdfDocument, FileThatCannotBeCreatedRaisesAndWritesNothing) {
    Pdf::Document doc;
    const QString path = QStringLiteral("/nonexistent-dir/report.pdf");
    try {
        doc.Begin(path, kA4Width, kA4Height, {}, kCreated);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(path)) << e.what();
    }
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
