// The PDF filter run the way the program runs it: pages drawn on surfaces,
// stored in a page storage, and written by FilterPages.
#include "RLPDFFilter.h"
#include "EngineMessages.h"
#include "Exception.h"
#include "PdfOutput.h"
#include "PdfTools.h"
#include "RLMetaFile.h"
#include "TextMetrics.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <regex>

namespace {

const QDateTime kCreated(QDate(2015, 3, 7), QTime(9, 5, 3));
constexpr std::uint16_t kClipped = 4;   // labels without AutoSize
constexpr std::uint16_t kUnclipped = 5; // AutoSize labels and memo lines

// A storage for A4 portrait pages, held by the test for its lifetime.
class Storage {
public:
    Storage() : storage_(new TRLGraphicStorage) {
        storage_->Link(this);
        storage_->SetPaperWidth(210);
        storage_->SetPaperHeight(297);
        storage_->SetOrientation(1);
    }
    ~Storage() { storage_->Unlink(this); }
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;
    TRLGraphicStorage* operator->() const { return storage_; }
    TRLGraphicStorage* get() const { return storage_; }

private:
    TRLGraphicStorage* storage_;
};

std::shared_ptr<TRLGraphicSurface> NewPage() {
    auto page = std::make_shared<TRLGraphicSurface>();
    page->SetWidth(794);
    page->SetHeight(1123);
    return page;
}

TRLFont Font(const char* name, int size, std::uint8_t style = 0) {
    TRLFont font;
    font.Name = QLatin1String(name);
    font.Size = size;
    font.Style = style;
    return font;
}

QImage Logo() {
    QImage image(48, 24, QImage::Format_RGB32);
    image.fill(qRgb(0x1F, 0x4E, 0x79));
    QPainter painter(&image);
    painter.fillRect(4, 4, 16, 16, qRgb(0xF2, 0xA9, 0x00));
    return image;
}

struct Written {
    std::string file;
    QString path;
};

Written Write(TRLPDFFilter& filter, const Storage& storage, const QString& name, int first = 1,
              int last = -1) {
    filter.FileName = PdfTools::OutputPath(name);
    filter.ShowProgress = false;
    filter.Now = [] { return kCreated; };
    filter.FilterPages(storage.get(), first, false, last);
    return {PdfTools::ReadAll(filter.FileName).toStdString(), filter.FileName};
}

std::vector<int> ObjectOrder(const std::string& file) {
    static const std::regex header("\r\n([0-9]+) 0 obj");
    std::vector<int> order;
    for (auto it = std::sregex_iterator(file.begin(), file.end(), header);
         it != std::sregex_iterator(); ++it) {
        order.push_back(std::stoi((*it)[1]));
    }
    return order;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

std::string Pt(double units) {
    return Pdf::Number(units * 0.75);
}

TEST(RLPDFFilter, SaveFilterDefaults) {
    TRLPDFFilter filter;
    EXPECT_EQ(filter.DefaultExt, QStringLiteral(".pdf"));
    EXPECT_EQ(filter.DisplayName, Messages().PdfFormat);
    EXPECT_EQ(EngineMessages::Portuguese().PdfFormat, QStringLiteral("Documento PDF"));
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("relatorio.PDF")), &filter);
}

TEST(RLPDFFilter, TwoPageReportNumbersObjectsInWritingOrder) {
    Storage storage;
    auto page1 = NewPage();
    page1->StretchDraw({40, 40, 88, 64}, Logo());
    page1->SetFont(Font("Arial", 10));
    page1->TextRect({40, 100, 400, 118}, {40, 100}, QStringLiteral("Relação de Inadimplentes"),
                    TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kClipped);
    storage->AddPage(page1);
    auto page2 = NewPage();
    page2->SetFont(Font("Arial", 10));
    page2->TextRect({40, 100, 400, 118}, {40, 100}, QStringLiteral("Página 2"),
                    TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kClipped);
    storage->AddPage(page2);

    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("filter_two_pages.pdf"));
    EXPECT_EQ(ObjectOrder(out.file),
              (std::vector<int>{1, 2, 6, 5, 7, 8, 9, 11, 12, 13, 10, 14, 4, 3}));
    EXPECT_NE(out.file.find("xref\r\n0 15\r\n"), std::string::npos);
    EXPECT_NE(out.file.find("/Size 15\r\n"), std::string::npos);
    EXPECT_NE(out.file.find("/Kids [ 7 0 R 11 0 R ]\r\n"), std::string::npos);
    EXPECT_NE(out.file.find("/F1 10 0 R\r\n"), std::string::npos);
    EXPECT_NE(out.file.find("/FontDescriptor 14 0 R\r\n"), std::string::npos);
    EXPECT_NE(out.file.find("/Image1 6 0 R\r\n"), std::string::npos);
    // A4 portrait from the storage's paper size, on the tree and each page.
    EXPECT_EQ(Count(out.file, "/MediaBox [ 0 0 595.5 842.25 ]\r\n"), 3u);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
    EXPECT_TRUE(PdfTools::Text(out.path, 1).contains(QStringLiteral("Relação de Inadimplentes")));
    EXPECT_TRUE(PdfTools::Text(out.path, 2).contains(QStringLiteral("Página 2")));
}

TEST(RLPDFFilter, TextPlacementByAlignment) {
    Storage storage;
    auto page = NewPage();
    const QString total = QStringLiteral("Total Geral: 12.345,67");
    // Bold, right-aligned: placed by its bold width, so it ends at the edge.
    page->SetFont(Font("Arial", 10, fsBold));
    page->TextRect({100, 200, 500, 220}, {100, 200}, total, TRLMetaTextAlignment::mtaRight,
                   TRLMetaTextLayout::mtlTop, kClipped);
    page->SetFont(Font("Arial", 9));
    page->TextRect({101, 240, 400, 260}, {101, 240}, total, TRLMetaTextAlignment::mtaCenter,
                   TRLMetaTextLayout::mtlBottom, kUnclipped);
    page->TextRect({100, 280, 400, 300}, {104, 282}, total, TRLMetaTextAlignment::mtaJustify,
                   TRLMetaTextLayout::mtlCenter, kClipped);
    storage->AddPage(page);
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("alignment.pdf"));

    // Widths at the exact point size (10 points are 13 1/3 pixels), from the
    // font file's own advances.
    const auto width = [&total](const TRLFont& font) {
        long long units = 0;
        for (const QChar ch : total) {
            units += TextMetrics::AdvanceUnits(font.Name, font.Style, ch.unicode());
        }
        const double px =
            units * font.Size * 4.0 / 3.0 / TextMetrics::UnitsPerEm(font.Name, font.Style);
        return static_cast<int>(std::lround(px));
    };
    const int bold10 = width(Font("Arial", 10, fsBold));
    ASSERT_GT(bold10, width(Font("Arial", 10)));
    ASSERT_GT(bold10, TextMetrics::TextWidth(Font("Arial", 10, fsBold), total));
    const int regular9 = width(Font("Arial", 9));
    // Baselines sit the font's descent above the bottom of the box.
    const int descent10 = TextMetrics::Descent(Font("Arial", 10, fsBold));
    const int descent9 = TextMetrics::Descent(Font("Arial", 9));
    ASSERT_GT(descent9, 0);
    const std::string right =
        "/F1 10 Tf\r\n" + Pt(500 - bold10) + " " + Pt(1123 - 220 + descent10) + " Td\r\n";
    // The centre is truncated towards zero, whatever the vertical layout.
    const std::string centre = "/F2 9 Tf\r\n" + Pt((101 + 400 - regular9) / 2) + " " +
                               Pt(1123 - 260 + descent9) + " Td\r\n";
    const std::string justify =
        "/F2 9 Tf\r\n" + Pt(104) + " " + Pt(1123 - 300 + descent9) + " Td\r\n";
    EXPECT_NE(out.file.find(right), std::string::npos) << right;
    EXPECT_NE(out.file.find(centre), std::string::npos) << centre;
    EXPECT_NE(out.file.find(justify), std::string::npos) << justify;
    // Clipped unless bit 0 of the flags is set.
    EXPECT_NE(out.file.find("q\r\n0 0 0 rg\r\n" + Pt(100) + " " + Pt(1123 - 220) +
                            " 300 15 re\r\n"
                            "W n\r\nBT\r\n/F1 "),
              std::string::npos);
    EXPECT_NE(out.file.find("q\r\n0 0 0 rg\r\nBT\r\n/F2 9 Tf\r\n" + Pt((101 + 400 - regular9) / 2)),
              std::string::npos);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
}

// A page made in memory may carry font sizes no page file is allowed:
// 2^30 points once made the measuring size wrap to 0 and be divided by.
TEST(RLPDFFilter, HugeFontSizesAreWrittenWithoutFailing) {
    Storage storage;
    auto page = NewPage();
    for (const int size : {0x40000000, 0x7FFFFFFF, 2049, -0x40000000}) {
        page->SetFont(Font("Arial", size));
        for (const auto alignment :
             {TRLMetaTextAlignment::mtaRight, TRLMetaTextAlignment::mtaCenter}) {
            page->TextRect({100, 200, 500, 220}, {100, 200}, QStringLiteral("Total"), alignment,
                           TRLMetaTextLayout::mtlTop, kClipped);
        }
    }
    storage->AddPage(page);
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("huge_fonts.pdf"));
    EXPECT_NE(out.file.find("/F1 1073741824 Tf\r\n"), std::string::npos);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
}

TEST(RLPDFFilter, EachPageIsDrawnOnItsOwnSize) {
    // A landscape page in a portrait report: its media box and its y axis
    // are its own, so nothing lands off the page.
    Storage storage;
    auto page = std::make_shared<TRLGraphicSurface>();
    page->SetWidth(1123);
    page->SetHeight(794);
    page->SetFont(Font("Arial", 9));
    page->TextRect({40, 700, 1000, 720}, {40, 700}, QStringLiteral("Rodapé paisagem"),
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kUnclipped);
    storage->AddPage(page);
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("landscape.pdf"));
    const int baseline = 720 - TextMetrics::Descent(Font("Arial", 9));
    EXPECT_NE(out.file.find("/MediaBox [ 0 0 842.25 595.5 ]\r\n/Contents"), std::string::npos);
    EXPECT_NE(out.file.find("/Count 1\r\n/MediaBox [ 0 0 595.5 842.25 ]\r\n"), std::string::npos);
    EXPECT_NE(out.file.find(Pt(40) + " " + Pt(794 - baseline) + " Td\r\n"), std::string::npos);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
    EXPECT_TRUE(PdfTools::Text(out.path).contains(QStringLiteral("Rodapé paisagem")));
}

TEST(RLPDFFilter, MacrosAreExpandedAndTextIsWindows1252) {
    Storage storage;
    storage->SetLastPageNumber(3);
    auto page = NewPage();
    page->SetFont(Font("Arial", 9));
    page->Font().Color = TRLColor{128, 0, 255};
    page->TextRect({40, 40, 700, 60}, {40, 40},
                   QStringLiteral("Página 1 de {LastPageNumber} {PageCount} (R$) C:\\ ção"),
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kUnclipped);
    storage->AddPage(page);
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("macros.pdf"));
    EXPECT_NE(out.file.find("0.502 0 1 rg\r\n"), std::string::npos);
    EXPECT_NE(out.file.find("(P\xE1gina 1 de 3 {PageCount} \\(R$\\) C:\\\\ \xE7\xE3o) Tj\r\n"),
              std::string::npos);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
    EXPECT_TRUE(PdfTools::Text(out.path).contains(
        QStringLiteral("Página 1 de 3 {PageCount} (R$) C:\\ ção")));
}

TEST(RLPDFFilter, SameLogoOnEveryPageIsOneXObject) {
    Storage storage;
    for (int i = 0; i < 8; ++i) { // more than the storage keeps in memory
        auto page = NewPage();
        page->StretchDraw({40, 40, 88, 64}, Logo());
        page->DrawImageData({100, 40, 148, 64}, QByteArrayLiteral("NIL"));
        storage->AddPage(page);
    }
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("logo_pages.pdf"));
    EXPECT_EQ(Count(out.file, "/Subtype/Image"), 1u);
    EXPECT_EQ(Count(out.file, "/Image1 Do\r\n"), 8u);
    // A picture-less image draws nothing.
    EXPECT_EQ(Count(out.file, " Do\r\n"), 8u);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
}

TEST(RLPDFFilter, FontsByNameAndStyle) {
    Storage storage;
    auto page = NewPage();
    const struct {
        const char* name;
        std::uint8_t style;
    } fonts[] = {{"Helvetica", fsBold}, {"Arial", fsBold}, {"Arial", 0}, {"arial", fsBold}};
    int y = 40;
    for (const auto& f : fonts) {
        page->SetFont(Font(f.name, 10, f.style));
        page->TextRect({40, y, 700, y + 18}, {40, y}, QStringLiteral("Inadimplência"),
                       TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kUnclipped);
        y += 30;
    }
    storage->AddPage(page);
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("filter_fonts.pdf"));
    EXPECT_NE(out.file.find("/Name/F1/BaseFont/Helvetica/Encoding/WinAnsiEncoding\r\n"),
              std::string::npos);
    EXPECT_NE(out.file.find("/Name/F2/BaseFont/Arial,Bold\r\n"), std::string::npos);
    EXPECT_NE(out.file.find("/Name/F3/BaseFont/Arial\r\n"), std::string::npos);
    EXPECT_EQ(out.file.find("/Name/F4"), std::string::npos); // "arial" bold is F2 again
    EXPECT_EQ(Count(out.file, "/Type/FontDescriptor"), 2u);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
}

// The lines drawn after a run: thickness, then each end's x and y, in points.
struct DrawnLine {
    double width = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A PDF number: always a point, whatever the process locale says (the
// toolkit sets it from the environment, where std::stod would read "0,8789").
double PdfNumber(const std::string& text) {
    return QByteArray::fromStdString(text).toDouble();
}

// The run's Td position and the lines that follow its ET, up to its Q.
bool RunWithLines(const std::string& file, const std::string& text, double& x, double& y,
                  std::vector<DrawnLine>& lines) {
    const std::regex run("([0-9.]+) ([0-9.]+) Td\r\n\\(" + text + "\\) Tj\r\nET\r\n([^Q]*)Q\r\n");
    std::smatch m;
    if (!std::regex_search(file, m, run)) {
        return false;
    }
    x = PdfNumber(m[1]);
    y = PdfNumber(m[2]);
    static const std::regex line("([0-9.]+) w\r\n0 J\r\n\\[\\] 0 d\r\n0 0 0.502 RG\r\n([0-9.]+) "
                                 "([0-9.]+) m\r\n([0-9.]+) ([0-9.]+) l\r\nS\r\n");
    const std::string after = m[3];
    for (auto it = std::sregex_iterator(after.begin(), after.end(), line);
         it != std::sregex_iterator(); ++it) {
        lines.push_back({PdfNumber((*it)[1]), PdfNumber((*it)[2]), PdfNumber((*it)[3]),
                         PdfNumber((*it)[4]), PdfNumber((*it)[5])});
    }
    return true;
}

// Whether the rendered page's row y is dark over 95% of [left, right).
bool DarkRow(const QImage& image, int y, int left, int right) {
    int dark = 0;
    for (int x = left; x < right; ++x) {
        dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    return dark * 100 >= 95 * (right - left);
}

// Underlined and struck-out texts keep their own face, whose name readers
// know, and get their lines drawn in the text's colour where the font file
// puts them and as thick as it makes them, as long as readers lay the run
// out. Liberation Sans puts its underline's top at -67 and makes it 150
// units of 2048 thick, its strike-out's top at 530 and 102 thick; the bold
// face its underline at -2 and 215 thick.
TEST(RLPDFFilter, UnderlineAndStrikeOutAreLinesAlongTheTextsOwnFace) {
    Storage storage;
    auto page = NewPage();
    TRLFont underlined = Font("Arial", 12, fsUnderline);
    underlined.Color = TRLColor{0, 0, 128};
    page->SetFont(underlined);
    page->TextRect({100, 100, 700, 130}, {100, 100},
                   QStringLiteral("Balancete Detalhado por Conta"), TRLMetaTextAlignment::mtaLeft,
                   TRLMetaTextLayout::mtlTop, kUnclipped);
    TRLFont both = Font("Arial", 12, fsBold | fsUnderline | fsStrikeOut);
    both.Color = underlined.Color;
    page->SetFont(both);
    page->TextRect({100, 160, 500, 190}, {100, 160}, QStringLiteral("Mês: 05/2015"),
                   TRLMetaTextAlignment::mtaRight, TRLMetaTextLayout::mtlTop, kClipped);
    TRLFont plain = Font("Arial", 12);
    plain.Color = underlined.Color;
    page->SetFont(plain);
    page->TextRect({100, 220, 700, 250}, {100, 220},
                   QStringLiteral("Balancete Detalhado por Conta"), TRLMetaTextAlignment::mtaLeft,
                   TRLMetaTextLayout::mtlTop, kUnclipped);
    storage->AddPage(page);
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("underline.pdf"));
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));

    // The plain faces only, the underlined text sharing the plain one's.
    EXPECT_EQ(PdfTools::FontNames(out.path).join(u'|').toStdString(), "Arial|Arial,Bold");
    EXPECT_EQ(Count(out.file, "/Type/FontDescriptor"), 2u);
    EXPECT_EQ(out.file.find("Underline"), std::string::npos);
    EXPECT_EQ(out.file.find("StrikeOut"), std::string::npos);

    const std::vector<PdfTools::Word> words = PdfTools::Words(out.path);
    const auto first = [&words](const char* text) {
        for (const PdfTools::Word& w : words) {
            if (w.text == QString::fromUtf8(text)) {
                return w;
            }
        }
        ADD_FAILURE() << "no word " << text;
        return PdfTools::Word{};
    };
    const double em = 12.0 / 2048; // points per font unit at 12 points

    double x = 0, y = 0;
    std::vector<DrawnLine> lines;
    ASSERT_TRUE(RunWithLines(out.file, "Balancete Detalhado por Conta", x, y, lines));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Pdf::Number(lines[0].width), Pdf::Number(150 * em));
    EXPECT_NEAR(lines[0].y1, y - (67 + 75) * em, 1e-4);
    EXPECT_EQ(lines[0].y2, lines[0].y1);
    EXPECT_EQ(lines[0].x1, x);
    EXPECT_NEAR(lines[0].x2, first("Conta").xMax, 0.01);
    const DrawnLine underline = lines[0];

    lines.clear();
    ASSERT_TRUE(RunWithLines(out.file, "M\xEAs: 05/2015", x, y, lines));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Pdf::Number(lines[0].width), Pdf::Number(215 * em));
    EXPECT_NEAR(lines[0].y1, y - (2 + 107.5) * em, 1e-4);
    EXPECT_EQ(Pdf::Number(lines[1].width), Pdf::Number(102 * em));
    EXPECT_NEAR(lines[1].y1, y + (530 - 51) * em, 1e-4);
    for (const DrawnLine& l : lines) {
        EXPECT_EQ(l.x1, x);
        EXPECT_NEAR(l.x2 - l.x1, first("05/2015").xMax - first("M\u00EAs:").xMin, 0.01);
    }
    const DrawnLine strikeOut = lines[1];

    // On the rendered page, at 192 pixels per inch: a row of the line's
    // colour under the underlined text and none under the plain one at the
    // same depth; the strike-out crosses the gap between the two words.
    const QString png =
        PdfTools::Render(out.path, PdfTools::OutputPath(QStringLiteral("underline")), 192);
    ASSERT_FALSE(png.isEmpty());
    const QImage rendered(png);
    constexpr double kScale = 192.0 / 72.0;
    const auto px = [](double points) { return static_cast<int>(std::lround(points * kScale)); };
    // The pixel row that holds the line's middle.
    const auto row = [](double yPoints) {
        return static_cast<int>(std::floor((842.25 - yPoints) * kScale));
    };
    const int left = px(underline.x1) + 1;
    const int right = px(underline.x2) - 1;
    EXPECT_TRUE(DarkRow(rendered, row(underline.y1), left, right));
    EXPECT_FALSE(DarkRow(rendered, row(underline.y1) + px(90), left, right)); // the plain copy
    const PdfTools::Word mes = first("M\u00EAs:");
    const PdfTools::Word date = first("05/2015");
    EXPECT_TRUE(DarkRow(rendered, row(strikeOut.y1), px(mes.xMax), px(date.xMin)));
}

TEST(RLPDFFilter, BeginDocResetsTheOptionsButNotTheInformation) {
    Storage storage;
    storage->AddPage(NewPage());
    TRLPDFFilter filter;
    filter.ViewerOptions = 0;
    filter.PageMode = TRLPDFFilterPageMode::pmFullScreen;
    filter.FullPageMode = TRLPDFFilterPageMode::pmThumbs;
    filter.PageLayout = TRLPDFFilterPageLayout::plTwoColumnLeft;
    filter.FontEncoding = TRLPDFFilterFontEncoding::feNoEncoding;
    filter.ForceASCII = true;
    TRLPDFFilterDocumentInfo info;
    info.Title = QStringLiteral("Compromissados (março)");
    info.Creator = QStringLiteral("QuorvaOnline");
    filter.DocumentInfo.Assign(&info);
    const Written out = Write(filter, storage, QStringLiteral("options.pdf"));
    EXPECT_EQ(filter.ViewerOptions, voRegular);
    EXPECT_EQ(filter.PageMode, TRLPDFFilterPageMode::pmRegular);
    EXPECT_EQ(filter.FullPageMode, TRLPDFFilterPageMode::pmRegular);
    EXPECT_EQ(filter.PageLayout, TRLPDFFilterPageLayout::plRegular);
    EXPECT_EQ(filter.FontEncoding, TRLPDFFilterFontEncoding::feWinAnsiEncoding);
    EXPECT_FALSE(filter.ForceASCII);
    EXPECT_NE(out.file.find("2 0 obj <<\r\n/Type/Catalog\r\n/Pages 3 0 R\r\n>> endobj\r\n"),
              std::string::npos);
    EXPECT_NE(out.file.find("/Title(Compromissados \\(mar\xE7o\\))\r\n/Creator(QuorvaOnline)\r\n"),
              std::string::npos);
    filter.DocumentInfo.Assign(nullptr);
    EXPECT_TRUE(filter.DocumentInfo.Title.isEmpty());
    EXPECT_TRUE(filter.DocumentInfo.Creator.isEmpty());
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
}

TEST(RLPDFFilter, EmptyRangeWritesADocumentWithNoPages) {
    Storage storage;
    storage->AddPage(NewPage());
    storage->AddPage(NewPage());
    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("no_pages.pdf"), 2, 1);
    EXPECT_NE(out.file.find("/Count 0\r\n/MediaBox [ 0 0 595.5 842.25 ]\r\n/Kids [ ]\r\n"),
              std::string::npos);
    EXPECT_NE(out.file.find("/Font <<\r\n>>\r\n/XObject <<\r\n>>\r\n"), std::string::npos);
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
}

TEST(RLPDFFilter, FileThatCannotBeCreatedFailsTheRun) {
    Storage storage;
    storage->AddPage(NewPage());
    TRLPDFFilter filter;
    filter.ShowProgress = false;
    filter.FileName = QStringLiteral("/nonexistent-dir/relatorio.pdf");
    EXPECT_THROW(filter.FilterPages(storage.get()), Exception);
    EXPECT_FALSE(QFile::exists(filter.FileName));
    // The filter is fit for the next document.
    const Written out = Write(filter, storage, QStringLiteral("after_failure.pdf"));
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
}

TEST(RLPDFFilter, BackgroundRunWritesTheSameFile) {
    Storage storage;
    for (int i = 1; i <= 3; ++i) {
        auto page = NewPage();
        page->SetFont(Font("Arial", 10));
        page->TextRect({40, 40, 400, 60}, {40, 40}, QStringLiteral("Folha %1").arg(i),
                       TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kClipped);
        storage->AddPage(page);
    }
    TRLPDFFilter foreground;
    const Written expected = Write(foreground, storage, QStringLiteral("foreground.pdf"));
    TRLPDFFilter background;
    background.FileName = PdfTools::OutputPath(QStringLiteral("background.pdf"));
    background.ShowProgress = false;
    background.Now = [] { return kCreated; };
    background.FilterPages(storage.get(), 1, true);
    WaitForFilterRuns();
    EXPECT_EQ(PdfTools::ReadAll(background.FileName).toStdString(), expected.file);
}

// A page that looks like the program's reports and holds every kind of
// drawing object; its rendering is kept for a reviewer to look at.
TEST(RLPDFFilter, ReportPageWithEveryObjectKindRenders) {
    Storage storage;
    auto page = NewPage();
    page->Brush() = TRLMetaBrush{TRLColor{230, 236, 244}, TRLMetaBrushStyle::mbsSolid};
    page->Pen() = TRLMetaPen{clBlack, TRLMetaPenMode::mpmCopy, TRLMetaPenStyle::mpsSolid, 1};
    page->Rectangle({38, 30, 756, 90});
    page->StretchDraw({46, 38, 142, 86}, Logo().scaled(96, 48));
    page->SetFont(Font("Arial", 14, fsBold));
    page->TextRect({160, 36, 740, 60}, {160, 36}, QStringLiteral("Balancete Detalhado por Conta"),
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kUnclipped);
    page->SetFont(Font("Arial", 9));
    page->TextRect({160, 64, 740, 80}, {160, 64},
                   QStringLiteral("Condomínio Edifício São João — Março/2015"),
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kUnclipped);
    page->TextRect({500, 64, 748, 80}, {500, 64}, QStringLiteral("Página 1 de {LastPageNumber}"),
                   TRLMetaTextAlignment::mtaRight, TRLMetaTextLayout::mtlTop, kClipped);
    page->SetFont(Font("Arial", 9, fsBold));
    const char* headers[] = {"Data", "Histórico", "Valor (R$)"};
    const int lefts[] = {40, 130, 600};
    for (int c = 0; c < 3; ++c) {
        page->TextRect({lefts[c], 100, c == 2 ? 750 : lefts[c] + 400, 116}, {lefts[c], 100},
                       QString::fromUtf8(headers[c]),
                       c == 2 ? TRLMetaTextAlignment::mtaRight : TRLMetaTextAlignment::mtaLeft,
                       TRLMetaTextLayout::mtlTop, kClipped);
    }
    page->MoveTo(38, 118);
    page->LineTo(756, 118);
    page->SetFont(Font("Arial", 9));
    for (int r = 0; r < 12; ++r) {
        const int top = 124 + r * 20;
        page->TextRect({40, top, 120, top + 16}, {40, top},
                       QStringLiteral("%1/03/2015").arg(r + 1, 2, 10, QLatin1Char('0')),
                       TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kClipped);
        page->TextRect({130, top, 590, top + 16}, {130, top},
                       QStringLiteral("Taxa condominial — unidade %1 (açúcar & café)").arg(101 + r),
                       TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kClipped);
        page->TextRect(
            {600, top, 750, top + 16}, {600, top},
            QStringLiteral("%1,%2").arg(350 + r * 17).arg(r * 7 % 100, 2, 10, QLatin1Char('0')),
            TRLMetaTextAlignment::mtaRight, TRLMetaTextLayout::mtlTop, kClipped);
    }
    page->Pen().Style = TRLMetaPenStyle::mpsDash;
    page->MoveTo(600, 370);
    page->LineTo(756, 370);
    page->SetFont(Font("Arial", 10, fsBold));
    page->TextRect({400, 376, 750, 394}, {400, 376}, QStringLiteral("Total Geral: 7.254,84"),
                   TRLMetaTextAlignment::mtaRight, TRLMetaTextLayout::mtlTop, kClipped);
    // The remaining kinds, in a corner: clip, ellipse, polygon, polyline,
    // fill rectangle, pixels and a frame with a clear brush.
    page->SetClipRect({40, 420, 300, 560});
    page->Pen() =
        TRLMetaPen{TRLColor{0, 96, 0}, TRLMetaPenMode::mpmCopy, TRLMetaPenStyle::mpsSolid, 2};
    page->Brush() = TRLMetaBrush{TRLColor{255, 240, 200}, TRLMetaBrushStyle::mbsSolid};
    page->Ellipse({50, 430, 170, 510});
    page->Polygon({{190, 510}, {240, 430}, {290, 510}});
    page->Pen().Style = TRLMetaPenStyle::mpsDot;
    page->Polyline({{50, 540}, {120, 520}, {190, 550}, {400, 520}});
    page->ResetClipRect();
    page->Brush() = TRLMetaBrush{TRLColor{200, 0, 0}, TRLMetaBrushStyle::mbsSolid};
    page->FillRect({320, 430, 360, 470});
    for (int i = 0; i < 10; ++i) {
        page->SetPixel(380 + i * 3, 450, clBlue);
    }
    page->SetFont(Font("Times New Roman", 11, fsItalic));
    page->TextRect({420, 430, 740, 450}, {420, 430}, QStringLiteral("Observação em itálico"),
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kUnclipped);
    // Descenders in a clipped box whose height is the text's own.
    page->SetFont(Font("Arial", 10));
    const TRLFont descenders = Font("Arial", 10);
    const int lineHeight = TextMetrics::TextHeight(descenders);
    const QString tails = QStringLiteral("gpqjy ç ; 350,00");
    page->TextRect({420, 470, 740, 470 + lineHeight}, {420, 470}, tails,
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kClipped);
    page->TextRect({420, 500, 740, 500 + lineHeight}, {420, 500}, tails,
                   TRLMetaTextAlignment::mtaLeft, TRLMetaTextLayout::mtlTop, kUnclipped);
    page->Pen() = TRLMetaPen{clRed, TRLMetaPenMode::mpmCopy, TRLMetaPenStyle::mpsSolid, 1};
    page->Brush().Style = TRLMetaBrushStyle::mbsClear;
    page->Rectangle({416, 426, 744, 454});
    storage->SetLastPageNumber(1);
    storage->AddPage(page);

    TRLPDFFilter filter;
    const Written out = Write(filter, storage, QStringLiteral("report_page.pdf"));
    EXPECT_TRUE(PdfTools::QpdfClean(out.path));
    const QString text = PdfTools::Text(out.path);
    for (const char* expected :
         {"Balancete Detalhado por Conta", "Condomínio Edifício São João — Março/2015",
          "Página 1 de 1", "Histórico", "Taxa condominial — unidade 112 (açúcar & café)",
          "Total Geral: 7.254,84", "Observação em itálico"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << text.toStdString();
    }
    // The bold total ends at the right edge of its box (750 units, 562.5
    // points), as readers lay it out.
    const auto words = PdfTools::Run(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-bbox"), out.path, QStringLiteral("-")});
    static const char kTotalWord[] =
        R"re(<word xMin="[0-9.]+" yMin="[0-9.]+" xMax="([0-9.]+)" yMax="[0-9.]+">7\.254,84</word>)re";
    const QRegularExpression total(QString::fromLatin1(kTotalWord));
    const auto match = total.match(words.output);
    ASSERT_TRUE(match.hasMatch()) << words.output.toStdString();
    EXPECT_NEAR(match.captured(1).toDouble(), 562.5, 0.75);
    const QString png =
        PdfTools::Render(out.path, PdfTools::OutputPath(QStringLiteral("report_page")), 96);
    ASSERT_FALSE(png.isEmpty());
    const QImage rendered(png);
    ASSERT_EQ(rendered.size(), QSize(794, 1123));
    // Spot checks: the fill rectangle is red, the clear-brush frame left its
    // text visible, the header band is tinted.
    EXPECT_EQ(rendered.pixelColor(340, 450), QColor(200, 0, 0));
    EXPECT_EQ(rendered.pixelColor(100, 34), QColor(230, 236, 244));
    // The clip takes nothing from a text in a box of its own height: the
    // clipped line has as much ink as the same line unclipped, commas' tails
    // included.
    const auto ink = [&rendered](int top) {
        int dark = 0;
        for (int y = top - 4; y < top + 24; ++y) {
            for (int x = 416; x < 744; ++x) {
                dark += qGray(rendered.pixel(x, y)) < 160 ? 1 : 0;
            }
        }
        return dark;
    };
    EXPECT_GT(ink(500), 50);
    EXPECT_EQ(ink(470), ink(500));
}

} // namespace
