#include "RLPNGFilter.h"

#include "AtomicFile.h"
#include "Exception.h"
#include "PngWriter.h"
#include "RLMetaFile.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// A page asks for an image of its own size; a damaged or hostile page file
// could ask for one that no machine can hold. An A3 page at 600 pixels per
// inch is about 70 million pixels.
constexpr qint64 MaxImagePixels = 120'000'000;
constexpr int MaxImageSide = 32'767;

int Scaled(int pixels, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(pixels) * dpi / 96.0));
}

} // namespace

namespace PNG {

QString PageFileName(const QString& fileName, int pageNumber) {
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    const QString number = QStringLiteral("-") + QString::number(pageNumber);
    if (suffix.isEmpty()) {
        return fileName + number;
    }
    return fileName.left(fileName.size() - suffix.size() - 1) + number + QLatin1Char('.') + suffix;
}

QSize ImageSize(int pageWidth, int pageHeight, int dpi) {
    return {std::max(1, Scaled(pageWidth, dpi)), std::max(1, Scaled(pageHeight, dpi))};
}

void PaintPage(const TRLGraphicSurface& page, int dpi, QImage& into) {
    const TRLGraphicStorage* storage = page.Storage();
    const int width = page.Width() > 0 ? page.Width() : storage ? storage->PageWidth() : 794;
    const int height = page.Height() > 0 ? page.Height() : storage ? storage->PageHeight() : 1123;
    const QSize size = ImageSize(width, height, dpi);
    if (size.width() > MaxImageSide || size.height() > MaxImageSide ||
        static_cast<qint64>(size.width()) * size.height() > MaxImagePixels) {
        throw Exception(QStringLiteral("page %1 would be an image of %2 x %3 pixels at %4 dpi, "
                                       "too large to paint")
                            .arg(page.PageIndex() + 1)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(dpi));
    }
    if (into.size() != size || into.format() != QImage::Format_RGB32) {
        into = QImage(size, QImage::Format_RGB32);
        if (into.isNull()) {
            throw Exception(QStringLiteral("not enough memory for an image of %1 x %2 pixels")
                                .arg(size.width())
                                .arg(size.height()));
        }
    }
    // The resolution goes into the file. The page is painted as the preview
    // paints it, in its own pixels scaled into the image, so every text
    // keeps its place and width on the page at any dpi.
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    into.setDotsPerMeterX(dotsPerMeter);
    into.setDotsPerMeterY(dotsPerMeter);
    into.fill(Qt::white);
    QPainter painter(&into);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    page.PaintTo(painter, {0, 0, size.width(), size.height()});
}

QImage PageImage(const TRLGraphicSurface& page, int dpi) {
    QImage image;
    PaintPage(page, dpi, image);
    return image;
}

} // namespace PNG

TRLPNGFilter::TRLPNGFilter(QObject* owner) : TRLCustomSaveFilter(owner) {
    DisplayName = QStringLiteral("Imagem PNG");
    DefaultExt = QStringLiteral(".png");
}

TRLPNGFilter::~TRLPNGFilter() {
    WaitForRun();
}

// Pages are painted on the run's thread; each page's file is compressed and
// written on a thread of its own while the next pages are painted, so the
// work shares the machine's processors and a page waiting for the disk
// holds up no other. Each page on its way holds an image and an encoder of
// its own; large images go one at a time, to keep the memory in bounds.
void TRLPNGFilter::BeginDoc() {
    written_.clear();
    finished_.clear();
    next_ = 0;
    const QSize size = PNG::ImageSize(Storage()->PageWidth(), Storage()->PageHeight(), Dpi);
    const qint64 bytes = std::max<qint64>(1, qint64(size.width()) * size.height() * 4);
    slots_ = static_cast<std::size_t>(std::clamp<qint64>(MemoryForImages / bytes, 1, MaxSlots));
}

void TRLPNGFilter::DrawPage(TRLGraphicSurface& page) {
    try {
        // The slot's last page must be in its file first.
        if (writing_.size() == slots_) {
            TakeWritten();
        }
        Slot& slot = slot_[next_];
        next_ = (next_ + 1) % slots_;
        if (!slot.Encoder) {
            slot.Encoder = std::make_unique<PNG::Encoder>();
        }
        PNG::PaintPage(page, Dpi, slot.Image);
        const QString name = PNG::PageFileName(FileName, page.PageIndex() + 1);
        writing_.push_back(std::async(std::launch::async, [&slot, name] {
            return WriteFile(*slot.Encoder, slot.Image, name);
        }));
    } catch (...) {
        Abandon();
        throw;
    }
}

void TRLPNGFilter::EndDoc() {
    // A failed or stopped run drops its temporary files; the images of an
    // earlier run stay as they were.
    if (RunFailed()) {
        Abandon();
        return;
    }
    try {
        while (!writing_.empty()) {
            TakeWritten();
        }
        // Every page is on the disk: now the set replaces the earlier one.
        for (const std::unique_ptr<AtomicFile>& file : finished_) {
            file->Commit();
            written_ << file->FileName();
        }
        finished_.clear();
    } catch (...) {
        Abandon();
        throw;
    }
}

std::unique_ptr<AtomicFile> TRLPNGFilter::WriteFile(PNG::Encoder& encoder, const QImage& image,
                                                    const QString& name) {
    const QByteArray& bytes = encoder.Encode(image);
    auto file = std::make_unique<AtomicFile>(name);
    file->Write(bytes);
    file->Finish();
    return file;
}

void TRLPNGFilter::TakeWritten() {
    std::future<std::unique_ptr<AtomicFile>> oldest = std::move(writing_.front());
    writing_.pop_front();
    finished_.push_back(oldest.get());
}

void TRLPNGFilter::Abandon() {
    while (!writing_.empty()) {
        try {
            TakeWritten();
        } catch (...) {
            // The error that ends the run is the one already on its way.
        }
    }
    finished_.clear(); // each removes its temporary file
}
