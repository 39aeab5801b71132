// Painting speed of the preview: one typical report page (a header, about
// sixty rows of three text columns, rules and a frame) painted as a page box
// into an image at 100 % and at the zoom of the multiple-page view, in pages
// per second. Smooth paging needs at least 100 pages per second at 100 %.
// The peer, measured in the same run, is Qt's painter drawing the same
// texts, rules and frame directly with its own font handling (the goal:
// at least 0.8 times its speed). Then 500 such pages are stored and paged
// through, each read from the page storage and painted, and the memory of
// the process is taken after 50 and after 500 pages: it must stay flat.
//
//   bench_preview [seconds per measurement]    default: 2
#include "RLMetaFile.h"
#include "RLPreview.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::shared_ptr<TRLGraphicSurface> TypicalPage(int number = 1) {
    auto s = std::make_shared<TRLGraphicSurface>();
    s->SetWidth(794);
    s->SetHeight(1123);
    s->Rectangle({38, 38, 756, 1085});
    TRLFont title;
    title.Size = 12;
    title.Style = fsBold;
    s->SetFont(title);
    s->TextOut(48, 48, QStringLiteral("Balancete Detalhado por Conta - Janeiro de 2015"));
    TRLFont body;
    body.Size = 8;
    s->SetFont(body);
    for (int row = 0; row < 60; ++row) {
        const int y = 90 + row * 16;
        s->TextRect({48, y, 130, y + 14}, {50, y},
                    QStringLiteral("1.01.%1").arg(row % 40, 2, 10, QLatin1Char('0')));
        s->TextRect(
            {130, y, 560, y + 14}, {132, y},
            QStringLiteral("Pagamento de fornecedor referente à nota %1").arg(row * 37 + number));
        s->TextRect({560, y, 740, y + 14}, {560, y},
                    QStringLiteral("%1.%2,%3")
                        .arg(row % 9 + 1)
                        .arg(row * 53 % 1000, 3, 10, QLatin1Char('0'))
                        .arg(row % 100, 2, 10, QLatin1Char('0')),
                    TRLMetaTextAlignment::mtaRight);
        if (row % 10 == 9) {
            s->MoveTo(48, y + 15);
            s->LineTo(740, y + 15);
        }
    }
    s->TextOut(48, 1060, QStringLiteral("Página 1 de {LastPageNumber}"));
    return s;
}

// Runs fn for about `seconds`, returns calls per second.
double Rate(double seconds, const std::function<void()>& fn) {
    fn(); // warm up fonts and caches
    int count = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        fn();
        ++count;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return count / elapsed;
}

// The peer: the page's objects drawn straight with QPainter calls.
void DrawDirect(QPainter& painter, const TRLGraphicSurface& page) {
    QFont font(QStringLiteral("Liberation Sans"));
    for (int i = 0; i < page.ObjectCount(); ++i) {
        const TRLGraphicObject* o = page.Objects(i);
        const TRect& r = o->BoundsRect;
        if (const auto* t = dynamic_cast<const TRLTextObject*>(o)) {
            font.setPixelSize(TRLFont::PointsToPixels(t->Font.Size));
            font.setBold((t->Font.Style & fsBold) != 0);
            painter.setFont(font);
            painter.drawText(QRect(r.Left, r.Top, r.Width(), r.Height()),
                             t->Alignment == TRLMetaTextAlignment::mtaRight ? Qt::AlignRight
                                                                            : Qt::AlignLeft,
                             t->Text);
        } else if (const auto* l = dynamic_cast<const TRLLineObject*>(o)) {
            painter.drawLine(l->FromPoint.X, l->FromPoint.Y, l->ToPoint.X, l->ToPoint.Y);
        } else {
            painter.drawRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
        }
    }
}

void Measure(const char* label, const TRLGraphicSurface& page, int zoom, double seconds) {
    const int w = RoundHalfEven(794 * zoom / 100.0) + PreviewBoxMargin;
    const int h = RoundHalfEven(1123 * zoom / 100.0) + PreviewBoxMargin;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    const double ours = Rate(seconds, [&] {
        QPainter painter(&image);
        PaintPreviewBox(painter, image.rect(), &page, false);
    });
    const double peer = Rate(seconds, [&] {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        painter.scale(zoom / 100.0, zoom / 100.0);
        DrawDirect(painter, page);
    });
    std::printf("%-22s %4d%%  preview %8.1f pages/s   direct QPainter %8.1f pages/s   ratio %.2f "
                "(target >= 0.8)\n",
                label, zoom, ours, peer, ours / peer);
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// Pages through a stored report as the preview does: each page read from
// the storage (which keeps a few in memory and spools the rest) and painted.
void Paging(int pages) {
    auto* storage = new TRLGraphicStorage;
    const int user = 0;
    storage->Link(&user);
    for (int i = 1; i <= pages; ++i) {
        storage->AddPage(TypicalPage(i));
    }
    QImage image(794 + PreviewBoxMargin, 1123 + PreviewBoxMargin,
                 QImage::Format_ARGB32_Premultiplied);
    long after50 = 0;
    const auto start = Clock::now();
    for (int i = 0; i < pages; ++i) {
        const std::shared_ptr<TRLGraphicSurface> page = storage->GetPage(i);
        QPainter painter(&image);
        PaintPreviewBox(painter, image.rect(), page.get(), false);
        if (i + 1 == 50) {
            after50 = ResidentKb();
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long after = ResidentKb();
    std::printf("paging through %d stored pages at 100%%: %.1f pages/s; resident memory after 50 "
                "pages %ld kB, after %d pages %ld kB (ratio %.2f, flat: about 1)\n",
                pages, pages / seconds, after50, pages, after, double(after) / after50);
    storage->Unlink(&user);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    const auto page = TypicalPage();
    std::printf("typical page: %d objects\n", page->ObjectCount());
    Measure("one page", *page, 100, seconds);
    // The multiple-page view of a 1280 x 1024 window: (1280 - 7) / 3 * 100 / 794.
    Measure("multiple pages", *page, 53, seconds);
    std::printf("target: at least 100 pages/s at 100%%\n");
    Paging(500);
    return 0;
}
