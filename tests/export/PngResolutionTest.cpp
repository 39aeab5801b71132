// Page images at every resolution against an independent picture of the
// same page: our PDF of it, rendered by pdftoppm at the same resolution.
// The two pictures are not alike to the pixel (the PDF sets a text at its
// exact point size, the page image at the page's whole pixels), but a text
// must keep its place and width relative to the page at any resolution, so
// whatever they differ by at 96 dpi they may not differ by more at 600.
#include "PageInk.h"
#include "PdfTools.h"
#include "RLMetaFile.h"
#include "RLPDFFilter.h"
#include "RLPNGFilter.h"
#include "TextMetrics.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// One text of a page and where it stands on a line of its own.
struct Line {
    int size;
    std::uint8_t style;
    TRLMetaTextAlignment alignment;
    int left, right; // the box; a left-aligned text starts at its left
    const char* text;
};

// The texts that ran together in the balance report's page images: the
// column headers, the title and its month, a date and its history, a
// total; and sizes from 7 to 14 points in each weight and slant.
const Line kLines[] = {
    {14, fsBold, TRLMetaTextAlignment::mtaLeft, 120, 700, "QUORVA Administração de Imóveis"},
    {12, fsUnderline, TRLMetaTextAlignment::mtaCenter, 200, 560, "Balancete Detalhado por Conta"},
    {12, fsUnderline, TRLMetaTextAlignment::mtaLeft, 560, 700, "Mês: 12/2026"},
    {11, fsItalic, TRLMetaTextAlignment::mtaLeft, 40, 700, "Emitido em: 10/12/2026"},
    {10, fsBold, TRLMetaTextAlignment::mtaLeft, 60, 700, "Condomínio Edifício Ipê Amarelo"},
    {9, 0, TRLMetaTextAlignment::mtaRight, 560, 640, "Realizado"},
    {9, 0, TRLMetaTextAlignment::mtaRight, 640, 754, "Compromissado"},
    {8, 0, TRLMetaTextAlignment::mtaLeft, 40, 110, "05/12/2026"},
    {8, 0, TRLMetaTextAlignment::mtaLeft, 110, 500, "Salário do zelador ref. 12/2026"},
    {8, fsBold, TRLMetaTextAlignment::mtaRight, 560, 640, "1.564,21"},
    {7, 0, TRLMetaTextAlignment::mtaCenter, 40, 754, "Página 1 de 12"},
};

constexpr int kPageWidth = 794;
constexpr int kLineStep = 34;
constexpr int kTop = 20;

TRLFont FontOf(const Line& line) {
    TRLFont font;
    font.Name = QStringLiteral("Arial");
    font.Size = line.size;
    font.Style = line.style;
    return font;
}

// Lines of text, each a line to itself, as a report's labels draw them: a
// box as high as the font's line, not cut to the box.
std::shared_ptr<TRLGraphicSurface> TextPage() {
    auto page = std::make_shared<TRLGraphicSurface>();
    page->SetWidth(kPageWidth);
    page->SetHeight(kTop * 2 + kLineStep * static_cast<int>(std::size(kLines)));
    page->Brush().Style = TRLMetaBrushStyle::mbsClear;
    int y = kTop;
    for (const Line& line : kLines) {
        page->SetFont(FontOf(line));
        const int height = TextMetrics::TextHeight(FontOf(line));
        page->TextRect({line.left, y, line.right, y + height}, {line.left, y},
                       QString::fromUtf8(line.text), line.alignment, TRLMetaTextLayout::mtlTop,
                       MetaTextFlagAutoSize);
        y += kLineStep;
    }
    return page;
}

// The ink's outer edges in a band of the image, in page pixels.
pageink::Ink InkIn(const QImage& image, int dpi, int bandTop, int bandBottom) {
    return pageink::InkIn(image, image.rect(), dpi / 96.0, bandTop, bandBottom);
}

// How far apart the two pictures put the text's edges, in page pixels.
double Apart(const pageink::Ink& a, const pageink::Ink& b) {
    return std::max({std::abs(a.left - b.left), std::abs(a.right - b.right),
                     std::abs(a.top - b.top), std::abs(a.bottom - b.bottom)});
}

// A storage the test holds while it runs.
struct HeldStorage {
    HeldStorage() : storage(new TRLGraphicStorage) { storage->Link(this); }
    ~HeldStorage() { storage->Unlink(this); }
    HeldStorage(const HeldStorage&) = delete;
    HeldStorage& operator=(const HeldStorage&) = delete;
    TRLGraphicStorage* storage;
};

TEST(PngPageImage, TextsKeepTheirPlaceAgainstThePdfAtEveryResolution) {
    HeldStorage held;
    held.storage->SetPaperWidth(210);
    held.storage->SetPaperHeight(297);
    held.storage->AddPage(TextPage());
    TRLPDFFilter pdf;
    pdf.ShowProgress = false;
    pdf.FileName = PdfTools::OutputPath(QStringLiteral("png-resolution.pdf"));
    pdf.FilterPages(held.storage);

    // At 96 dpi an edge is found to the nearest page pixel, at higher
    // resolutions more finely, so they may differ by up to one more page
    // pixel; a text set one pixel larger or smaller than its size moves
    // its far edge by several.
    constexpr double kSlack = 1.0;
    std::vector<double> at96;
    for (const int dpi : {96, 150, 300, 600}) {
        SCOPED_TRACE(dpi);
        TRLPNGFilter png;
        png.ShowProgress = false;
        png.Dpi = dpi;
        png.FileName = PdfTools::OutputPath(QStringLiteral("png-resolution-ours-%1.png").arg(dpi));
        png.FilterPages(held.storage);
        ASSERT_EQ(png.Written().size(), 1);
        const QImage image(png.Written().first());
        ASSERT_FALSE(image.isNull());
        const QString rendered = PdfTools::Render(
            pdf.FileName, PdfTools::OutputPath(QStringLiteral("png-resolution-pdf-%1").arg(dpi)),
            dpi);
        ASSERT_FALSE(rendered.isEmpty());
        const QImage reference(rendered);
        ASSERT_FALSE(reference.isNull());
        int y = kTop;
        for (std::size_t i = 0; i < std::size(kLines); ++i, y += kLineStep) {
            const Line& line = kLines[i];
            SCOPED_TRACE(line.text);
            const pageink::Ink ours = InkIn(image, dpi, y - 8, y + kLineStep - 8);
            const pageink::Ink theirs = InkIn(reference, dpi, y - 8, y + kLineStep - 8);
            ASSERT_TRUE(ours.found && theirs.found);
            const double apart = Apart(ours, theirs);
            if (dpi == 96) {
                at96.push_back(apart);
                continue;
            }
            EXPECT_LE(apart, at96[i] + kSlack)
                << "ours " << ours.left << ".." << ours.right << " x " << ours.top << ".."
                << ours.bottom << ", the PDF's " << theirs.left << ".." << theirs.right << " x "
                << theirs.top << ".." << theirs.bottom;
        }
    }
}

} // namespace
