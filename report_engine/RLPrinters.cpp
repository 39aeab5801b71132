#include "RLPrinters.h"

#include "EngineMessages.h"
#include "Exception.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

std::optional<TRLPaperSize> MatchPaperSize(double widthMM, double heightMM) {
    std::optional<TRLPaperSize> best;
    double bestDiff = 0.01;
    for (int i = 0; i < StandardPaperSizeCount; ++i) {
        const TRLPaperInfo& p = PaperInfo(static_cast<TRLPaperSize>(i));
        const auto id =
            QPageSize::id(QSizeF(p.Width, p.Height), QPageSize::Millimeter, QPageSize::ExactMatch);
        if (id == QPageSize::Custom) {
            continue; // the platform has no code for it
        }
        const double diff = std::abs(p.Width - widthMM) + std::abs(p.Height - heightMM);
        if (diff < bestDiff) {
            bestDiff = diff;
            best = static_cast<TRLPaperSize>(i);
        }
    }
    return best;
}

TRLPrinterWrapper& TRLPrinterWrapper::Instance() {
    static TRLPrinterWrapper wrapper;
    return wrapper;
}

TRLPrinterWrapper::TRLPrinterWrapper() = default;

TRLPrinterWrapper::~TRLPrinterWrapper() {
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
}

void TRLPrinterWrapper::LoadList() {
    if (listed_) {
        return;
    }
    listed_ = true;
    printers_.clear();
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        const QString location = info.location();
        printers_ << (location.isEmpty() ? info.printerName()
                                         : info.printerName() + QLatin1Char('|') + location);
    }
}

QStringList TRLPrinterWrapper::Printers() {
    LoadList();
    return printers_;
}

void TRLPrinterWrapper::MakePrinter() {
    LoadList();
    if (index_ >= 0 && index_ < printers_.size()) {
        const QString name = printers_.at(index_).section(QLatin1Char('|'), 0, 0);
        printer_ =
            std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    } else {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
}

QPrinter* TRLPrinterWrapper::Printer() {
    EnsurePrinter();
    if (!printer_) {
        MakePrinter();
    }
    return printer_.get();
}

void TRLPrinterWrapper::SetPrinterIndex(int index) {
    LoadList();
    index_ = (index >= 0 && index < printers_.size()) ? index : -1;
    MakePrinter(); // a fresh printer carries that printer's own defaults
}

void TRLPrinterWrapper::EnsurePrinter() {
    LoadList();
    if (index_ < 0 && !printers_.isEmpty()) {
        SetPrinterIndex(0);
    }
}

QString TRLPrinterWrapper::PrinterName() {
    EnsurePrinter();
    return index_ < 0 ? QString() : printers_.at(index_).section(QLatin1Char('|'), 0, 0);
}

int TRLPrinterWrapper::Copies() {
    return std::max(1, Printer()->copyCount());
}

void TRLPrinterWrapper::SetCopies(int copies) {
    Printer()->setCopyCount(std::max(1, copies));
}

bool TRLPrinterWrapper::HasDevice() const {
    return (index_ >= 0 || !outputFile_.isEmpty()) && printer_ && printer_->isValid();
}

void TRLPrinterWrapper::SetPaperSize(double widthMM, double heightMM,
                                     TRLPageOrientation orientation) {
    QPrinter* printer = Printer();
    const auto layoutOrientation =
        orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (index_ >= 0 || !outputFile_.isEmpty()) {
        if (!printer->isValid()) {
            throw EAbort();
        }
        if (const auto match = MatchPaperSize(widthMM, heightMM)) {
            const TRLPaperInfo& p = PaperInfo(*match);
            printer->setPageSize(QPageSize(QPageSize::id(
                QSizeF(p.Width, p.Height), QPageSize::Millimeter, QPageSize::ExactMatch)));
        } else if (widthMM != 0 && heightMM != 0) {
            // Custom sizes go in tenths of a millimetre.
            const QSizeF tenths(std::round(widthMM * 10) / 10, std::round(heightMM * 10) / 10);
            printer->setPageSize(QPageSize(tenths, QPageSize::Millimeter));
        }
    }
    printer->setPageOrientation(layoutOrientation);
}

TRLPrinterMetrics TRLPrinterWrapper::Metrics() {
    Printer();
    TRLPrinterMetrics m; // letter size at 300 per inch without a usable printer
    if (!HasDevice()) {
        return m;
    }
    const QPageLayout layout = printer_->pageLayout();
    const int dpiX = printer_->logicalDpiX();
    const int dpiY = printer_->logicalDpiY();
    const QRect full = layout.fullRectPixels(dpiX);
    const QRect paint = layout.paintRectPixels(dpiX);
    m.PPIX = dpiX;
    m.PPIY = dpiY;
    m.PhysicalWidth = full.width();
    m.PhysicalHeight = full.height();
    m.MarginLeft = paint.left();
    m.MarginTop = paint.top();
    m.ClientWidth = paint.width();
    m.ClientHeight = paint.height();
    m.MarginRight = m.PhysicalWidth - m.MarginLeft - m.ClientWidth;
    m.MarginBottom = m.PhysicalHeight - m.MarginTop - m.ClientHeight;
    return m;
}

void TRLPrinterWrapper::Refresh() {
    const int previous = index_;
    try {
        listed_ = false;
        LoadList();
        const QString defaultName = QPrinterInfo::defaultPrinterName();
        int index = -1;
        for (int i = 0; i < printers_.size(); ++i) {
            if (printers_.at(i).section(QLatin1Char('|'), 0, 0) == defaultName) {
                index = i;
            }
        }
        SetPrinterIndex(index);
        SetPrinterIndex(std::min(previous, static_cast<int>(printers_.size()) - 1));
    } catch (...) {
        // The list is only a convenience; a failing platform query leaves it as it is.
    }
}

void TRLPrinterWrapper::SetOutputFileName(const QString& fileName) {
    outputFile_ = fileName;
    Printer()->setOutputFormat(fileName.isEmpty() ? QPrinter::NativeFormat : QPrinter::PdfFormat);
    printer_->setOutputFileName(fileName);
}

void TRLPrinterWrapper::BeginDoc(const QString& title) {
    QPrinter* printer = Printer();
    printer->setDocName(title);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer)) {
        painter_.reset();
        throw Exception(Messages().NoPrinter);
    }
}

void TRLPrinterWrapper::NewPage() {
    if (printer_) {
        printer_->newPage();
    }
}

void TRLPrinterWrapper::EndDoc() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    SetPrinterIndex(index_); // back to that printer's own defaults
    if (!outputFile_.isEmpty()) {
        SetOutputFileName(outputFile_);
    }
}
