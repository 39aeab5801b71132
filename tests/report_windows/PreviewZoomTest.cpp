// The preview on a desktop whose screen is set to 120 pixels per inch with
// whole-number scaling: the screen's logical resolution is 120 and nothing
// is scaled, so every window, pixmap and new image says 120 per inch. The
// page is still laid out at 96, and each text must keep its place and
// width relative to the page at every zoom and in the page copied out.
#include "../export/PageInk.h"
#include "RLMetaFile.h"
#include "RLPreview.h"
#include "TextMetrics.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Before the application object exists (the common main makes it): these
// choose the platform and the screen, so the caller's must not count.
const bool desktopAt120 = [] {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    qputenv("QT_FONT_DPI", QByteArrayLiteral("120"));
    qputenv("QT_SCALE_FACTOR_ROUNDING_POLICY", QByteArrayLiteral("Round"));
    for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                             "QT_ENABLE_HIGHDPI_SCALING", "QT_USE_PHYSICAL_DPI"}) {
        qunsetenv(name);
    }
    qputenv("LC_ALL", QByteArrayLiteral("pt_BR.UTF-8"));
    return true;
}();

struct Line {
    int size;
    std::uint8_t style;
    TRLMetaTextAlignment alignment;
    int left, right;
    const char* text;
};

// Sizes whose points round differently at 120 per inch than at 96 (7, 8,
// 12 and 14 points) and some that do not.
const Line kLines[] = {
    {14, fsBold, TRLMetaTextAlignment::mtaLeft, 120, 700, "QUORVA Administração de Imóveis"},
    {12, fsUnderline, TRLMetaTextAlignment::mtaCenter, 200, 560, "Balancete Detalhado por Conta"},
    {10, fsBold, TRLMetaTextAlignment::mtaLeft, 60, 700, "Condomínio Edifício Ipê Amarelo"},
    {9, 0, TRLMetaTextAlignment::mtaRight, 640, 754, "Compromissado"},
    {8, 0, TRLMetaTextAlignment::mtaLeft, 110, 500, "Salário do zelador ref. 12/2026"},
    {7, 0, TRLMetaTextAlignment::mtaRight, 40, 754, "Página 1 de 12"},
};

constexpr int kLineStep = 34;
constexpr int kTop = 20;

std::shared_ptr<TRLGraphicSurface> TextPage() {
    auto page = std::make_shared<TRLGraphicSurface>();
    page->SetWidth(794);
    page->SetHeight(kTop * 2 + kLineStep * static_cast<int>(std::size(kLines)));
    page->Brush().Style = TRLMetaBrushStyle::mbsClear;
    int y = kTop;
    for (const Line& line : kLines) {
        TRLFont font;
        font.Size = line.size;
        font.Style = line.style;
        page->SetFont(font);
        page->TextRect({line.left, y, line.right, y + TextMetrics::TextHeight(font)},
                       {line.left, y}, QString::fromUtf8(line.text), line.alignment,
                       TRLMetaTextLayout::mtlTop, MetaTextFlagAutoSize);
        y += kLineStep;
    }
    return page;
}

using pageink::Ink;
using pageink::InkIn;

// A storage the test holds while it runs.
struct HeldStorage {
    HeldStorage() : storage(new TRLGraphicStorage) { storage->Link(this); }
    ~HeldStorage() { storage->Unlink(this); }
    HeldStorage(const HeldStorage&) = delete;
    HeldStorage& operator=(const HeldStorage&) = delete;
    TRLGraphicStorage* storage;
};

TEST(PreviewZoom, TextsKeepTheirPlaceOnAScreenOf120PixelsPerInch) {
    HeldStorage held;
    const auto page = TextPage();
    held.storage->AddPage(page);
    TRLPreview preview;
    preview.resize(1000, 700);
    preview.show();
    preview.SetPages(held.storage);
    ASSERT_EQ(preview.logicalDpiY(), 120) << "the platform did not take the screen's settings";

    // The page at its own pixels, in an image that says 96 per inch.
    QImage own(page->Width(), page->Height(), QImage::Format_RGB32);
    own.setDotsPerMeterX(3780);
    own.setDotsPerMeterY(3780);
    own.fill(Qt::white);
    {
        QPainter painter(&own);
        page->PaintTo(painter, {0, 0, own.width(), own.height()});
    }
    const QRect whole(0, 0, own.width(), own.height());

    for (const int zoom : {200, 500}) {
        SCOPED_TRACE(zoom);
        preview.SetZoomPercent(zoom);
        TRLPreviewBox* box = preview.Box(0);
        const QImage shown = box->grab().toImage();
        const QRect area = box->PageRect();
        const double scale = double(area.width()) / page->Width();
        int y = kTop;
        for (const Line& line : kLines) {
            SCOPED_TRACE(line.text);
            const Ink expected = InkIn(own, whole, 1.0, y - 8, y + kLineStep - 8);
            const Ink ink = InkIn(shown, area, scale, y - 8, y + kLineStep - 8);
            ASSERT_TRUE(expected.found && ink.found);
            // An edge of the page's own picture is known to a whole pixel,
            // and a faint row of a small text may not count as ink there;
            // a text set a pixel larger or smaller moves its far edge by
            // several.
            constexpr double kSlack = 1.5;
            EXPECT_NEAR(ink.left, expected.left, kSlack);
            EXPECT_NEAR(ink.right, expected.right, kSlack);
            EXPECT_NEAR(ink.top, expected.top, kSlack);
            EXPECT_NEAR(ink.bottom, expected.bottom, kSlack);
            y += kLineStep;
        }
    }

    // Copied out at the page's own size, the page is that same picture,
    // though a new image takes the screen's 120 per inch.
    preview.Box(0)->CopyPage();
    const QImage copied = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copied.size(), own.size());
    int differing = 0;
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x) {
            differing += copied.pixel(x, y) != own.pixel(x, y);
        }
    }
    EXPECT_EQ(differing, 0);
}

} // namespace
