#pragma once
// Page images: one PNG file per report page, painted by the same page
// painting the preview and the printer use, on white, at a chosen number of
// pixels per inch. NAME.png gives NAME-1.png, NAME-2.png, ... numbered by
// the page's place in the report, so pages 2 to 5 of a report become
// NAME-2.png to NAME-5.png.
//
// The set of images is one output: every page is written under a
// temporary name first, and only when all of them are written do they
// replace their files, one rename each. A run that fails (a page that
// cannot be painted, a full disk) or is stopped removes its temporary files
// and leaves the images of an earlier run exactly as they were.
#include "AtomicFile.h"
#include "PngWriter.h"
#include "RLFilters.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>

#include <deque>
#include <future>
#include <memory>
#include <vector>

class TRLPNGFilter : public TRLCustomSaveFilter {
    Q_OBJECT
public:
    static constexpr int MinDpi = 24;
    static constexpr int MaxDpi = 600;
    static constexpr int DefaultDpi = 96;

    explicit TRLPNGFilter(QObject* owner = nullptr);
    ~TRLPNGFilter() override;

    // Pixels per inch of the images; a page of the report is 96 per inch.
    int Dpi = DefaultDpi;

    // The files of the last run, in page order, once all are in place.
    const QStringList& Written() const { return written_; }

    void BeginDoc() override;
    void DrawPage(TRLGraphicSurface& page) override;
    void NewPage() override {}
    void EndDoc() override;

private:
    // The page images on their way to their files at one time, and the
    // memory they may take together (one image always goes).
    static constexpr std::size_t MaxSlots = 3;
    static constexpr qint64 MemoryForImages = 64 << 20;

    struct Slot {
        QImage Image;
        std::unique_ptr<PNG::Encoder> Encoder;
    };

    // The page's file, complete under its temporary name.
    static std::unique_ptr<AtomicFile> WriteFile(PNG::Encoder& encoder, const QImage& image,
                                                 const QString& name);
    // Waits for the oldest page on its way to its file; raises its error.
    void TakeWritten();
    // Waits for every page on its way, then drops the run's files.
    void Abandon();

    QStringList written_;
    Slot slot_[MaxSlots];
    std::size_t slots_ = 1;
    std::size_t next_ = 0;
    std::deque<std::future<std::unique_ptr<AtomicFile>>> writing_;
    // Written in full under temporary names, waiting for the run's end.
    std::vector<std::unique_ptr<AtomicFile>> finished_;
};

namespace PNG {

// "dir/NAME.png" and page 3 give "dir/NAME-3.png"; the extension keeps its
// letter case, and a name without one gets "-3" at its end.
QString PageFileName(const QString& fileName, int pageNumber);

// Paints the page on white at dpi pixels per inch into the image, which is
// reused when it has the right size already.
void PaintPage(const TRLGraphicSurface& page, int dpi, QImage& into);

// The size in pixels of a page of the given size (96 per inch) at dpi.
QSize ImageSize(int pageWidth, int pageHeight, int dpi);

// The page painted on white at dpi pixels per inch, text antialiased. A
// page whose image would be unreasonably large raises an error instead.
QImage PageImage(const TRLGraphicSurface& page, int dpi);

} // namespace PNG
