#include "RLSpoolFilter.h"

#include "RLMetaFile.h"
#include "RLPrinters.h"

#include <QPainter>

#include <memory>

TRLSpoolFilter::~TRLSpoolFilter() {
    WaitForRun();
}

TRLSpoolFilter::Placement TRLSpoolFilter::PrintablePlacement(double paperWidthMM,
                                                             double paperHeightMM, bool landscape) {
    const TRLPrinterMetrics m = TRLPrinterWrapper::Instance().Metrics();
    int width = RoundHalfEven(m.PPIX * paperWidthMM / 25.4);
    int height = RoundHalfEven(m.PPIY * paperHeightMM / 25.4);
    if (landscape) {
        width = RoundHalfEven(m.PPIX * paperHeightMM / 25.4);
        height = RoundHalfEven(m.PPIY * paperWidthMM / 25.4);
    }
    return {-m.MarginLeft, -m.MarginTop, width, height};
}

TRLSpoolFilter::Paper TRLSpoolFilter::PaperOf(const TRLGraphicSurface& page) const {
    // A page that does not name its paper keeps the current one.
    Paper paper = paper_;
    for (const QString& line : page.Macros()) {
        const QString name = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok) {
            continue;
        }
        if (name == QLatin1String("PaperWidth")) {
            paper.Width = number;
        } else if (name == QLatin1String("PaperHeight")) {
            paper.Height = number;
        } else if (name == QLatin1String("Orientation")) {
            paper.Orientation = static_cast<int>(number);
        }
    }
    return paper;
}

void TRLSpoolFilter::StartJob(const Paper& paper) {
    TRLPrinterWrapper& printer = TRLPrinterWrapper::Instance();
    printer.SetPaperSize(paper.Width, paper.Height,
                         paper.Orientation == 2 ? poLandscape : poPortrait);
    printer.BeginDoc(Storage()->Title());
    paper_ = paper;
    open_ = true;
    pendingPage_ = false;
}

void TRLSpoolFilter::BeginDoc() {
    TRLGraphicStorage* pages = Storage();
    StartJob({pages->PaperWidth(), pages->PaperHeight(), pages->Orientation()});
}

void TRLSpoolFilter::EndDoc() {
    if (open_) {
        open_ = false;
        TRLPrinterWrapper::Instance().EndDoc();
    }
}

void TRLSpoolFilter::NewPage() {
    // Taken when the next page is drawn: a page on other paper starts a
    // new job instead, and must not leave a blank page in the old one.
    pendingPage_ = true;
}

void TRLSpoolFilter::DrawPage(TRLGraphicSurface& page) {
    TRLPrinterWrapper& printer = TRLPrinterWrapper::Instance();
    const Paper paper = PaperOf(page);
    if (!(paper == paper_)) {
        EndDoc();
        StartJob(paper);
    } else if (pendingPage_) {
        printer.NewPage();
        pendingPage_ = false;
    }
    QPainter* canvas = printer.Canvas();
    if (canvas == nullptr) {
        return;
    }
    const Placement at = PrintablePlacement(paper_.Width, paper_.Height, paper_.Orientation == 2);
    // PaintTo scales each coordinate by printable size / page size and
    // nests the page's clips; the clip is cleared again at the end.
    canvas->save();
    page.PaintTo(*canvas, {at.Left, at.Top, at.Left + at.Width, at.Top + at.Height});
    canvas->restore();
    canvas->setClipping(false);
}

TRLSpoolFilter& SpoolFilter() {
    // Nameless: the print dialog lists only print filters with a name.
    static const auto filter = std::make_unique<TRLSpoolFilter>();
    return *filter;
}

void PrintPages(TRLGraphicStorage* pages, TRLCustomPrintFilter* filter, int firstPage,
                bool background, int lastPage) {
    TRLCustomPrintFilter* chosen = filter != nullptr ? filter : &SpoolFilter();
    chosen->FilterPages(pages, firstPage, background, lastPage);
}
