// The page display: paging and zoom rules, layout, painting of page boxes,
// search, edit-mode selection, copying and the storage link.
#include "PreviewTestSupport.h"
#include "RLPreview.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace previewtest;

namespace {

class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override { Open(10); }
    void TearDown() override {
        preview.reset();
        if (storage != nullptr) {
            storage->Unlink(&owner);
        }
    }
    void Open(int pages, int rows = 30) {
        storage = NumberedStorage(pages, &owner, rows);
        preview = std::make_unique<TRLPreview>();
        preview->resize(1000, 700);
        preview->show();
        preview->SetPages(storage);
    }
    QImage BoxImage(int position) { return preview->Box(position)->grab().toImage(); }

    int owner = 0;
    TRLGraphicStorage* storage = nullptr;
    std::unique_ptr<TRLPreview> preview;
};

TEST_F(PreviewFixture, PagingStopsAtTheEndsAndStepsByTheVisibleBoxes) {
    EXPECT_EQ(preview->PageIndex(), 0);
    preview->PriorPage();
    EXPECT_EQ(preview->PageIndex(), 0);
    preview->LastPage();
    EXPECT_EQ(preview->PageIndex(), 9);
    preview->NextPage(); // on the last page: nothing
    EXPECT_EQ(preview->PageIndex(), 9);
    preview->GotoPageNumber(11);
    preview->GotoPageIndex(-1);
    EXPECT_EQ(preview->PageIndex(), 9);

    preview->FirstPage();
    preview->ZoomMultiplePagesFit();
    ASSERT_EQ(preview->VisibleBoxes(), 3);
    const struct {
        void (TRLPreview::*move)();
        int index;
    } steps[] = {
        {&TRLPreview::NextPage, 3},  {&TRLPreview::NextPage, 6},  {&TRLPreview::NextPage, 9},
        {&TRLPreview::NextPage, 9},  {&TRLPreview::PriorPage, 6}, {&TRLPreview::LastPage, 7},
        {&TRLPreview::PriorPage, 4}, {&TRLPreview::PriorPage, 1}, {&TRLPreview::PriorPage, 0},
    };
    for (const auto& s : steps) {
        (preview.get()->*s.move)();
        EXPECT_EQ(preview->PageIndex(), s.index);
    }
    // Boxes past the last page show grey and crossed, at the page's size.
    preview->GotoPageIndex(9);
    EXPECT_TRUE(preview->Box(0)->isVisible());
    EXPECT_TRUE(preview->Box(1)->isVisible());
    EXPECT_EQ(preview->Box(1)->Page(), nullptr);
    EXPECT_EQ(preview->Box(1)->size(), preview->Box(0)->size());
    const QImage missing = preview->Box(1)->grab().toImage();
    const QPoint centre = missing.rect().center();
    EXPECT_NE(missing.pixelColor(centre), QColor(Qt::white)); // the cross or the grey
}

TEST_F(PreviewFixture, ZoomKeepsToItsLowerLimitAndFitsTheView) {
    preview->ZoomDown();
    EXPECT_EQ(preview->ZoomPercent(), 90);
    preview->SetZoomPercent(15);
    preview->ZoomDown();
    EXPECT_EQ(preview->ZoomPercent(), 10);
    preview->ZoomDown();
    EXPECT_EQ(preview->ZoomPercent(), 10);
    preview->SetZoomPercent(9);
    EXPECT_EQ(preview->ZoomPercent(), 10);
    preview->ZoomUp();
    EXPECT_EQ(preview->ZoomPercent(), 20);

    // Each fit from a small zoom, where the view has no scroll bars and is
    // the whole 1000 x 700 control.
    const struct {
        void (TRLPreview::*fit)();
        int zoom;
        bool multiple;
    } fits[] = {
        {&TRLPreview::ZoomPageWidthFit, 125, false},   // (1000 * 100 - 700) / 794
        {&TRLPreview::ZoomEntirePageFit, 62, false},   // (700 * 100 - 700) / 1123
        {&TRLPreview::ZoomMultiplePagesFit, 42, true}, // (1000 - 7) / 3 * 100 / 794
    };
    for (const auto& f : fits) {
        preview->ApplyZoom(20);
        ASSERT_EQ(preview->viewport()->size(), QSize(1000, 700));
        (preview.get()->*f.fit)();
        EXPECT_EQ(preview->ZoomPercent(), f.zoom);
        EXPECT_EQ(preview->MultiplePages(), f.multiple);
    }
    const QRect first = preview->Box(0)->geometry();
    EXPECT_EQ(preview->Box(1)->geometry().left(), first.right() + 1); // side by side
    EXPECT_EQ(preview->Box(2)->geometry().top(), first.top());
    preview->ApplyZoom(75); // a percentage shows one page again
    EXPECT_FALSE(preview->MultiplePages());
    EXPECT_EQ(preview->ZoomPercent(), 75);
}

TEST_F(PreviewFixture, BoxesAreCentredWhenSmallAndScrolledWhenLarge) {
    preview->SetZoomPercent(50);
    const QRect box = preview->Box(0)->geometry();
    EXPECT_EQ(box.size(), QSize(RoundHalfEven(794 * 0.5) + 7, RoundHalfEven(1123 * 0.5) + 7));
    EXPECT_EQ(box.left(), (preview->viewport()->width() - box.width()) / 2);

    preview->SetZoomPercent(200);
    EXPECT_EQ(preview->Box(0)->geometry().topLeft(), QPoint(0, 0));
    preview->ScrollBy(30, 40);
    EXPECT_EQ(preview->Box(0)->geometry().topLeft(), QPoint(-30, -40));
    preview->ScrollToBottom();
    preview->ScrollToRight();
    const QRect end = preview->Box(0)->geometry();
    EXPECT_EQ(end.right(), preview->viewport()->width() - 1);
    EXPECT_EQ(end.bottom(), preview->viewport()->height() - 1);
    preview->NextPage(); // a new page starts at the top left
    EXPECT_EQ(preview->Box(0)->geometry().topLeft(), QPoint(0, 0));
}

TEST_F(PreviewFixture, PaintsFrameShadowAndPageAndAGreyCrossForAnUnreadablePage) {
    preview->SetZoomPercent(50);
    QImage image = BoxImage(0);
    const int w = image.width() - PreviewBoxMargin;
    const int h = image.height() - PreviewBoxMargin;
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0xC0, 0xC0, 0xC0)); // frame
    EXPECT_EQ(image.pixelColor(w / 2, h - 3), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(w + 2, h / 2), QColor(0x80, 0x80, 0x80)); // right shadow
    EXPECT_EQ(image.pixelColor(w / 2, h + 2), QColor(0x80, 0x80, 0x80)); // bottom shadow
    EXPECT_NE(image.pixelColor(w + 2, 2), QColor(0x80, 0x80, 0x80));     // offset from the corner
    // The page's own frame rectangle, drawn black at 20 px scaled to 10.
    EXPECT_EQ(image.pixelColor(11, h / 2), QColor(Qt::black));

    preview->SetSelectedView(true);
    EXPECT_EQ(BoxImage(0).pixelColor(0, 0), QColor(Qt::black));

    ASSERT_TRUE(DamageSpooledPage(*storage, 1)); // pages 1-5 left the cache
    preview->NextPage();
    EXPECT_EQ(preview->PageIndex(), 1); // navigation still works
    image = BoxImage(0);
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 4), QColor(0x80, 0x80, 0x80));
    const int y = (image.height() - 1) * 10 / 37;
    const int x = (image.width() - 1) * 10 / 37;
    bool onDiagonal = false;
    for (int dx = -1; dx <= 1; ++dx) {
        onDiagonal |= image.pixelColor(x + dx, y) == QColor(Qt::black);
    }
    EXPECT_TRUE(onDiagonal);
    preview->NextPage();
    EXPECT_EQ(preview->PageIndex(), 2);
}

TEST_F(PreviewFixture, FindWalksThroughHitsAndReportsAMiss) {
    preview->SetZoomPercent(250);
    const struct {
        const char* text;
        bool matchCase;
        bool down;
        int page;
        int object; // -1: not found
    } cases[] = {
        // Objects: 0 frame, 1 title, then two texts per row.
        {"linha 2", false, true, 0, 2 + 2 * 2},
        {"LINHA 2", false, true, 0, 2 + 2 * 20}, // the next hit, case ignored
        {"linha 2", false, true, 0, 2 + 2 * 21},
        {"LINHA 2", true, true, -1, -1}, // match case: no hit
        {"linha 29", false, true, 0, 2 + 2 * 29},
        {"linha 29", false, true, 1, 2 + 2 * 29},  // continues on the next page
        {"linha 29", false, false, 0, 2 + 2 * 29}, // upwards
        {"inexistente", false, true, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const int pageBefore = preview->PageIndex();
        const bool found = preview->FindText(QString::fromUtf8(c.text), false, c.matchCase, c.down);
        EXPECT_EQ(found, c.page >= 0);
        if (found) {
            EXPECT_EQ(preview->FoundPage(), c.page);
            EXPECT_EQ(preview->FoundObject(), c.object);
            EXPECT_EQ(preview->PageIndex(), c.page); // the hit's page is shown
            // ... and scrolled so the hit is in the view, at a zoom where
            // the page is far taller than the view.
            const TRect& r = preview->Box(0)->Page()->Objects(c.object)->BoundsRect;
            const QRect hit =
                preview->Box(0)
                    ->ToBox(preview->Box(0)->PageRect(), r.Left, r.Top, r.Right, r.Bottom)
                    .translated(preview->Box(0)->pos());
            EXPECT_TRUE(preview->viewport()->rect().contains(hit))
                << hit.top() << ".." << hit.bottom() << " of " << preview->viewport()->height();
        } else {
            EXPECT_EQ(preview->PageIndex(), pageBefore);
        }
    }
    // Macros are searched as stored, not expanded.
    preview->FirstPage();
    EXPECT_FALSE(preview->FindText(QStringLiteral("{"), false, false, true));
}

TEST_F(PreviewFixture, EditModeSelectsTheSmallestObjectAndItsGroup) {
    preview->SetZoomPercent(100);
    preview->SetEditMode(true);
    TRLPreviewBox* box = preview->Box(0);
    // Row 3's first text at 40, 150: inside the page frame too, but smaller.
    const QPoint inRow3(1 + 45, 1 + 155);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, inRow3);
    EXPECT_EQ(box->SelectedObject(), 2 + 2 * 3);
    QImage image = box->grab().toImage();
    // The group's second text (at x 400) carries handles too, silver: two objects.
    const auto page = box->Page();
    const TRect other = page->Objects(2 + 2 * 3 + 1)->BoundsRect;
    EXPECT_EQ(image.pixelColor(1 + other.Left, 1 + other.Top), QColor(0xC0, 0xC0, 0xC0));

    // The page frame alone is a group of one: black handles.
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(1 + 25, 1 + 1000));
    EXPECT_EQ(box->SelectedObject(), 0);
    image = box->grab().toImage();
    EXPECT_EQ(image.pixelColor(1 + 20 + 1, 1 + 20 + 1), QColor(Qt::black));

    preview->SetEditMode(false);
    EXPECT_EQ(box->SelectedObject(), -1);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, inRow3);
    EXPECT_EQ(box->SelectedObject(), -1); // no selecting outside edit mode
}

TEST_F(PreviewFixture, DoubleClickSwitchesBetweenMultiplePagesAndPageWidth) {
    preview->ZoomMultiplePagesFit();
    TRLPreviewBox* second = preview->Box(1);
    QTest::mouseDClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_FALSE(preview->MultiplePages());
    EXPECT_EQ(preview->PageIndex(), 1);
    QTest::mouseDClick(preview->Box(0), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_TRUE(preview->MultiplePages());
    EXPECT_EQ(preview->PageIndex(), 1);
}

TEST_F(PreviewFixture, CtrlCOnAFocusedBoxPutsThePageAtItsOwnSizeOnTheClipboard) {
    preview->SetZoomPercent(30);
    preview->show();
    preview->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(preview.get()));
    QApplication::clipboard()->clear();
    // A click gives the box the focus; the key works without the menu.
    QTest::mouseClick(preview->Box(0), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    ASSERT_TRUE(preview->Box(0)->hasFocus());
    QTest::keyClick(preview->Box(0), Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), QSize(794, 1123));
    EXPECT_EQ(copied.depth(), 32);
    EXPECT_EQ(copied.pixelColor(20, 500), QColor(Qt::black)); // the page frame at full size
}

TEST(PreviewLink, ThePreviewKeepsTheStorageAliveUntilItCloses) {
    int report = 0;
    TRLGraphicStorage* storage = NumberedStorage(3, &report);
    const QString spool = storage->SpoolFileName();
    auto preview = std::make_unique<TRLPreview>();
    preview->SetPages(storage);
    storage->Unlink(&report); // the report form is released
    EXPECT_TRUE(QFile::exists(spool));
    EXPECT_EQ(preview->PageCount(), 3);
    preview.reset(); // the window closes
    EXPECT_FALSE(QFile::exists(spool));
}

TEST(PreviewLink, AStorageWithoutPageNumbersStillPagesThroughAll) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(4, &owner);
    storage->SetFirstPageNumber(0);
    storage->SetLastPageNumber(0);
    TRLPreview preview;
    preview.SetPages(storage);
    preview.LastPage();
    EXPECT_EQ(preview.PageIndex(), 3);
    preview.SetPages(nullptr);
    EXPECT_EQ(preview.PageIndex(), -1);
    storage->Unlink(&owner);
}

} // namespace
