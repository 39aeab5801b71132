// The page pump of the filters (range rules, cancel, progress, errors), the
// registry and its lookup by file name, and the save parameters.
#include "FilterTestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace filtertest;

namespace {

QStringList PagesCalls(int first, int last) {
    QStringList calls{QStringLiteral("BeginDoc")};
    for (int page = first; page <= last; ++page) {
        if (page != first) {
            calls << QStringLiteral("NewPage");
        }
        calls << QStringLiteral("DrawPage %1").arg(page);
    }
    calls << QStringLiteral("EndDoc");
    return calls;
}

struct RangeCase {
    int from;
    int to;
    int expectFirst;
    int expectLast;
};

class FilterPagesRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(FilterPagesRange, DrawsTheAskedPagesCutToTheStorage) {
    const RangeCase c = GetParam();
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(10, &owner);
    RecordingSaveFilter filter;
    filter.ShowProgress = false;
    filter.FilterPages(storage, c.from, false, c.to);
    EXPECT_EQ(filter.Calls(), PagesCalls(c.expectFirst, c.expectLast));
    EXPECT_TRUE(filter.storageSetAtBegin);
    EXPECT_EQ(storage->UserCount(), 1); // the run let go of the storage
    storage->Unlink(&owner);
}

INSTANTIATE_TEST_SUITE_P(Ranges, FilterPagesRange,
                         ::testing::Values(RangeCase{1, -1, 1, 10}, // -1: up to the last page
                                           RangeCase{3, 7, 3, 7}, RangeCase{0, 2, 1, 2},
                                           RangeCase{-5, 1, 1, 1},    // from below 1 starts at 1
                                           RangeCase{8, 9999, 8, 10}, // to past the end is cut
                                           RangeCase{6, 4, 6, 5},     // first > last: no pages
                                           RangeCase{11, -1, 11, 10}));

TEST(FilterPages, ProgressShowsTheRangeAndCancelKeepsThePagesDrawn) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(10, &owner);
    ProgressScope progress;
    progress.log.cancelAtStep = 3;
    RecordingSaveFilter filter;
    filter.FilterPages(storage, 1, false, -1);
    // Cancelled after page 3: the document is still finished normally.
    EXPECT_EQ(filter.Calls(), PagesCalls(1, 3));
    EXPECT_TRUE(filter.Canceled());
    EXPECT_EQ(progress.log.titles, QStringList{QStringLiteral("Salvando o relatório...")});
    EXPECT_EQ(progress.log.max, 10);
    EXPECT_EQ(progress.log.steps, 3);
    EXPECT_EQ(progress.log.open, 0);

    // The next run starts with the cancel flag cleared.
    filter.FilterPages(storage, 4, false, 6);
    EXPECT_FALSE(filter.Canceled());
    EXPECT_EQ(progress.log.max, 3);
    storage->Unlink(&owner);
}

TEST(FilterPages, PrintFiltersShowThePrintTitleAndNoProgressShowsNothing) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(4, &owner);
    ProgressScope progress;
    progress.log.cancelAtStep = 1;
    RecordingPrintFilter printer;
    printer.FilterPages(storage, 1, false, 1);
    EXPECT_EQ(progress.log.titles, QStringList{QStringLiteral("Imprimindo o relatório...")});

    // Without a window nothing can press Cancel: every page is drawn.
    RecordingSaveFilter quiet;
    quiet.ShowProgress = false;
    quiet.FilterPages(storage, 1, false, -1);
    EXPECT_EQ(quiet.Calls(), PagesCalls(1, 4));
    EXPECT_EQ(progress.log.titles.size(), 1);
    storage->Unlink(&owner);
}

TEST(FilterPages, AnErrorEndsTheRunButEndDocUnlinkAndCloseStillHappen) {
    const struct {
        const char* failAt;
        QStringList calls;
    } cases[] = {
        {"BeginDoc", {"BeginDoc", "EndDoc"}},
        {"DrawPage 2", {"BeginDoc", "DrawPage 1", "NewPage", "DrawPage 2", "EndDoc"}},
        {"NewPage", {"BeginDoc", "DrawPage 1", "NewPage", "EndDoc"}},
        {"EndDoc", PagesCalls(1, 3)},
    };
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(3, &owner);
    ProgressScope progress;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failAt);
        RecordingSaveFilter filter;
        filter.FailAt = QString::fromLatin1(c.failAt);
        try {
            filter.FilterPages(storage, 1, false, -1);
            ADD_FAILURE() << "no error reached the caller";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("falhou em %1").arg(c.failAt));
        }
        EXPECT_EQ(filter.Calls(), c.calls);
        EXPECT_EQ(storage->UserCount(), 1);
        EXPECT_EQ(progress.log.open, 0);
        EXPECT_FALSE(filter.Running());
    }
    storage->Unlink(&owner);
}

TEST(FilterPages, AnUnreadablePageEndsThePageLoopEarly) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(10, &owner);
    // Pages 1 to 5 have left the cache; damage the spooled record of page 3.
    QFile spool(storage->SpoolFileName());
    ASSERT_TRUE(spool.open(QIODevice::ReadWrite));
    const QByteArray bytes = spool.readAll();
    qsizetype at = -1;
    for (int n = 0; n < 3; ++n) {
        at = bytes.indexOf("RLGraphicSurface3", at + 1);
    }
    ASSERT_GT(at, 0);
    spool.seek(at);
    spool.write("XXXXXXXX");
    spool.close();

    RecordingSaveFilter filter;
    filter.ShowProgress = false;
    filter.FilterPages(storage, 1, false, -1);
    EXPECT_EQ(filter.Calls(), QStringList({"BeginDoc", "DrawPage 1", "NewPage", "DrawPage 2",
                                           "NewPage", "EndDoc"}));
    storage->Unlink(&owner);
}

TEST(FilterPages, TheRunKeepsTheStorageAliveAfterItsLastOtherUserLeft) {
    int owner = 0;
    TRLGraphicStorage* storage = NumberedStorage(3, &owner);
    const QString spool = storage->SpoolFileName();
    RecordingSaveFilter filter;
    filter.ShowProgress = false;
    filter.FailAt = QStringLiteral("DrawPage 1");
    filter.FilterPages(nullptr); // no storage: nothing to do
    EXPECT_TRUE(filter.Calls().isEmpty());
    // The owner leaves while the run is drawing its first page.
    struct Leaver : RecordingSaveFilter {
        const void* owner = nullptr;
        bool aliveWhileDrawing = false;
        void DrawPage(TRLGraphicSurface& page) override {
            Storage()->Unlink(owner);
            aliveWhileDrawing =
                Storage()->UserCount() == 1 && QFile::exists(Storage()->SpoolFileName());
            RecordingSaveFilter::DrawPage(page);
        }
    } leaver;
    leaver.ShowProgress = false;
    leaver.owner = &owner;
    leaver.FilterPages(storage, 1, false, 1);
    EXPECT_TRUE(leaver.aliveWhileDrawing);
    EXPECT_FALSE(QFile::exists(spool)); // freed when the run let go
}

TEST(ActiveFiltersRegistry, ListsLiveFiltersInCreationOrderAndMatchesExtensions) {
    const auto before = ActiveFilters().size();
    RecordingSaveFilter pdf;
    pdf.setObjectName(QStringLiteral("RLPDFFilter1"));
    pdf.DefaultExt = QStringLiteral(".pdf");
    RecordingPrintFilter printer;
    {
        RecordingSaveFilter xls;
        xls.DefaultExt = QStringLiteral("xls"); // a missing dot is supplied
        RecordingSaveFilter xls2;
        xls2.DefaultExt = QStringLiteral(".XLS");
        const auto all = ActiveFilters();
        ASSERT_EQ(all.size(), before + 4);
        EXPECT_EQ(all[before], &pdf);
        EXPECT_EQ(all[before + 1], &printer);
        EXPECT_EQ(all[before + 2], &xls);
        EXPECT_EQ(all[before + 3], &xls2);

        const struct {
            const char* name;
            TRLCustomSaveFilter* filter;
        } cases[] = {
            {"relatorio.XLS", &xls},               // the first match, case ignored
            {"/tmp/a/relatorio.Pdf", &pdf},        //
            {"relatorio.rpf", nullptr},            // no filter claims it
            {"relatorio", nullptr},                // no extension
            {"/tmp/pasta.pdf/relatorio", nullptr}, // a dot in a folder is no extension
            {"relatorio.", nullptr},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(SaveFilterByFileName(QString::fromUtf8(c.name)), c.filter) << c.name;
        }
    }
    EXPECT_EQ(ActiveFilters().size(), before + 2);
    EXPECT_EQ(pdf.GetDisplayName(), QStringLiteral("RLPDFFilter1"));
    pdf.DisplayName = QStringLiteral("Documento PDF");
    EXPECT_EQ(pdf.GetDisplayName(), QStringLiteral("Documento PDF"));
}

TEST(SaveParamsTest, ClearKeepsTheChosenFormatAndMaxPageDragsTheLastPage) {
    TRLSaveParams params;
    auto filter = std::make_unique<RecordingSaveFilter>();
    params.FileName = QStringLiteral("x.pdf");
    params.FromPage = 3;
    params.ToPage = 5;
    params.SaveRange = TRLSaveRange::rsrPageNums;
    params.Options = rsoDisableSaveInBackground;
    params.SaveInBackground = true;
    params.HelpContext = 7;
    params.SetFilter(filter.get());
    params.Clear();
    EXPECT_TRUE(params.FileName.isEmpty());
    EXPECT_EQ(params.MinPage, 1);
    EXPECT_EQ(params.FromPage, 1);
    EXPECT_EQ(params.ToPage, 9999);
    EXPECT_EQ(params.MaxPage(), 9999);
    EXPECT_EQ(params.SaveRange, TRLSaveRange::rsrAllPages);
    EXPECT_EQ(params.HelpContext, 0);
    EXPECT_EQ(params.Options, rsoDisableSaveInBackground);
    EXPECT_TRUE(params.SaveInBackground);
    EXPECT_EQ(params.Filter(), filter.get());

    params.SetMaxPage(12); // ToPage was at the maximum: it follows
    EXPECT_EQ(params.ToPage, 12);
    params.ToPage = 4;
    params.SetMaxPage(20); // now it stays
    EXPECT_EQ(params.ToPage, 4);
    EXPECT_EQ(params.MaxPage(), 20);

    filter.reset(); // a destroyed format is dropped, not left dangling
    EXPECT_EQ(params.Filter(), nullptr);
}

} // namespace
