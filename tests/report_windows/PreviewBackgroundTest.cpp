// A background save reads the storage on a worker thread while the preview
// window's view pages through the same storage and paints it.
#include "PreviewTestSupport.h"
#include "RLFilters.h"
#include "RLPreview.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <atomic>

using namespace previewtest;

namespace {

// Serialises every page it is handed, as a file writer reads them.
class CountingSaveFilter : public TRLCustomSaveFilter {
public:
    ~CountingSaveFilter() override { WaitForRun(); }
    std::atomic<int> pages = 0;
    std::atomic<bool> ended = false;

protected:
    void BeginDoc() override {}
    void EndDoc() override { ended = true; }
    void NewPage() override {}
    void DrawPage(TRLGraphicSurface& page) override {
        if (!page.SaveToBytes().isEmpty()) {
            ++pages;
        }
    }
};

TEST(PreviewBackground, SavingInTheBackgroundWhileThePreviewPages) {
    int report = 0;
    TRLGraphicStorage* storage = NumberedStorage(20, &report);
    // Painted small, into an image of its own: the toolkit hands large fills
    // and conversions (and the screen's backing store) to its own thread
    // pool, whose hand-overs the thread sanitizer cannot follow.
    TRLPreview preview;
    preview.setAttribute(Qt::WA_DontShowOnScreen);
    preview.resize(600, 500);
    preview.show();
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    preview.SetPages(storage);
    storage->Unlink(&report); // only the preview and the run hold it now
    preview.ApplyZoom(15);

    CountingSaveFilter filter;
    filter.FilterPages(storage, 1, true, -1);
    int shown = 0;
    while (filter.Running() || shown < 20) {
        shown % 7 == 6 ? preview.FirstPage() : preview.NextPage();
        preview.Box(0)->render(&image);
        QCoreApplication::processEvents();
        ++shown;
    }
    WaitForFilterRuns();
    EXPECT_EQ(filter.pages.load(), 20);
    EXPECT_TRUE(filter.ended.load());
    EXPECT_EQ(storage->UserCount(), 1); // the preview's link alone
}

} // namespace
