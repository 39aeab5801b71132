// Background runs: the pages are read on a worker thread while the GUI
// thread keeps reading and painting the same storage, as the preview does;
// progress calls reach the GUI thread; errors come back to the GUI thread.
#include "FilterTestSupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace filtertest;

namespace {

TEST(FilterBackground, SavesWhileThePreviewPagesThroughTheSameStorage) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(24, &owner);
    ProgressScope progress;
    RecordingSaveFilter filter;
    filter.FilterPages(storage, 1, true, -1);

    // Page back and forth through the storage, painting each page, until
    // the run is over; the progress calls are served meanwhile.
    QImage image(397, 562, QImage::Format_ARGB32_Premultiplied);
    int painted = 0;
    for (int index = 0; filter.Running() || painted < 24; ++index) {
        const auto page = storage->GetPage((index * 7) % 24);
        ASSERT_TRUE(page);
        QPainter painter(&image);
        page->PaintTo(painter, {0, 0, 397, 562});
        ++painted;
        QCoreApplication::processEvents();
    }
    WaitForFilterRuns();
    EXPECT_EQ(filter.Calls(), [] {
        QStringList calls{QStringLiteral("BeginDoc")};
        for (int page = 1; page <= 24; ++page) {
            if (page > 1) {
                calls << QStringLiteral("NewPage");
            }
            calls << QStringLiteral("DrawPage %1").arg(page);
        }
        return calls << QStringLiteral("EndDoc");
    }());
    EXPECT_EQ(progress.log.steps, 24);
    EXPECT_EQ(progress.log.open, 0);
    EXPECT_FALSE(progress.log.offGuiThread);
    EXPECT_EQ(storage->UserCount(), 1);
    storage->Unlink(&owner);
}

TEST(FilterBackground, CancelErrorAndAClosedPreviewDuringTheRun) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(10, &owner);
    const QString spool = storage->SpoolFileName();
    QStringList errors;
    SetBackgroundFilterErrorHandler([&errors](const QString& message) { errors << message; });
    ProgressScope progress;
    progress.log.cancelAtStep = 3;

    RecordingSaveFilter cancelled;
    RecordingSaveFilter failing;
    failing.ShowProgress = false;
    failing.FailAt = QStringLiteral("DrawPage 4");
    cancelled.FilterPages(storage, 1, true, -1);
    failing.FilterPages(storage, 2, true, 8);
    storage->Unlink(&owner); // the preview closes: the runs keep the storage
    WaitForFilterRuns();
    SetBackgroundFilterErrorHandler({});

    EXPECT_EQ(cancelled.Calls(), QStringList({"BeginDoc", "DrawPage 1", "NewPage", "DrawPage 2",
                                              "NewPage", "DrawPage 3", "EndDoc"}));
    EXPECT_EQ(failing.Calls(), QStringList({"BeginDoc", "DrawPage 2", "NewPage", "DrawPage 3",
                                            "NewPage", "DrawPage 4", "EndDoc"}));
    EXPECT_EQ(errors, QStringList{QStringLiteral("falhou em DrawPage 4")});
    EXPECT_EQ(progress.log.open, 0);
    EXPECT_FALSE(QFile::exists(spool)); // the last run out freed the storage
}

} // namespace
