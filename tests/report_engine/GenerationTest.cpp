// Page generation on an in-memory dataset: band order, groups and their
// breaks, page breaks and what repeats on a new page, bottom alignment,
// failures and cancelling.
#include "ReportTestSupport.h"

#include "EngineMessages.h"
#include "Exception.h"
#include "RLReportRun.h"
#include "TextMetrics.h"

#include <gtest/gtest.h>

namespace {

using Kind = TMemTestDataSet::Kind;

// An A4 report (margins 38 px: client 38..756 x 38..1085) over a dataset of
// group keys A and B and an amount V.
class GenerationTest : public ::testing::Test {
protected:
    GenerationTest()
        : data({{QStringLiteral("A"), Kind::Text, {}},
                {QStringLiteral("B"), Kind::Text, {}},
                {QStringLiteral("V"), Kind::Integer, {}}}) {
        report.SetName(QStringLiteral("RLReport1"));
        report.SetDataSource(&data);
        report.SetShowProgress(false);
        report.BeginLoad();
    }

    void Rows(const std::vector<std::pair<QString, QString>>& keys) {
        int v = 1;
        for (const auto& [a, b] : keys) {
            data.AddRow({a, b, v++});
        }
    }

    void RowsOf(int count) {
        for (int i = 1; i <= count; ++i) {
            data.AddRow({QStringLiteral("A"), QStringLiteral("B"), i});
        }
    }

    // Ends loading (laying the bands out) and generates.
    bool Prepare() {
        report.EndLoad();
        return report.Prepare();
    }

    QStringList Texts() { return PageTextList(*report.Pages()); }

    TMemTestDataSet data;
    TRLReport report;
    MessageRecorder messages;
};

// A detail band printing V as "d<V>".
TRLBand* DetailOfV(TRLCustomControl* parent, TDataSet* data, int height = 20) {
    TRLBand* detail = AddBand(parent, btDetail, height, QStringLiteral("Detail"));
    auto* v = AddDBText(detail, data, QStringLiteral("V"));
    v->SetText(QStringLiteral("d"));
    return detail;
}

TEST_F(GenerationTest, EmptyDatasetPrintsOnePageOnlyWhenAskedTo) {
    struct Case {
        bool printEmpty;
        bool closingBands;
        QStringList texts;
    };
    const Case cases[] = {
        {true, true, {"1:H", "1:CH", "1:CF", "1:S", "1:F"}},
        {true, false, {"1:H"}},
        {false, false, {}},
        {false, true, {"1:H", "1:CH", "1:CF", "1:S", "1:F"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts.join(QLatin1Char(' ')).toStdString());
        TMemTestDataSet empty({{QStringLiteral("A"), Kind::Text, {}}});
        TRLReport r;
        r.SetShowProgress(false);
        r.BeginLoad();
        r.SetDataSource(&empty);
        r.SetPrintEmpty(c.printEmpty);
        AddLabel(AddBand(&r, btHeader, 20), QStringLiteral("H"));
        if (c.closingBands) {
            AddLabel(AddBand(&r, btColumnHeader, 20), QStringLiteral("CH"));
            AddLabel(AddBand(&r, btColumnFooter, 20), QStringLiteral("CF"));
            AddLabel(AddBand(&r, btSummary, 20), QStringLiteral("S"));
            AddLabel(AddBand(&r, btFooter, 20), QStringLiteral("F"));
        }
        TRLGroup* group = AddGroup(&r, QStringLiteral("A"));
        AddLabel(AddBand(group, btHeader, 20), QStringLiteral("GH"));
        AddLabel(AddBand(group, btDetail, 20), QStringLiteral("GD"));
        r.EndLoad();
        EXPECT_TRUE(r.Prepare());
        EXPECT_EQ(PageTextList(*r.Pages()), c.texts);
        EXPECT_EQ(r.Pages()->PageCount(), c.texts.isEmpty() ? 0 : 1);
    }
}

TEST_F(GenerationTest, NestedGroupsBreakFromTheInsideOutAndSummariesSeeTheNextRecord) {
    Rows({{"a1", "b1"}, {"a1", "b1"}, {"a1", "b2"}, {"a2", "b1"}});
    TRLGroup* outer = AddGroup(&report, QStringLiteral("A"), QStringLiteral("Outer"));
    TRLGroup* inner = AddGroup(outer, QStringLiteral("A;B"), QStringLiteral("Inner"));
    AddDBText(AddBand(outer, btHeader, 20), &data, QStringLiteral("A"))
        ->SetText(QStringLiteral("GA "));
    AddDBText(AddBand(inner, btHeader, 20), &data, QStringLiteral("B"))
        ->SetText(QStringLiteral("GB "));
    DetailOfV(inner, &data);
    AddDBText(AddBand(inner, btSummary, 20), &data, QStringLiteral("B"))
        ->SetText(QStringLiteral("SB "));
    AddDBText(AddBand(outer, btSummary, 20), &data, QStringLiteral("A"))
        ->SetText(QStringLiteral("SA "));
    ASSERT_TRUE(Prepare());
    // Each summary shows the record the data stands on when its group ends:
    // the next group's first one, and nothing after the last record.
    const QStringList expected = {
        "1:GA a1", "1:GB b1", "1:d1",    "1:d2",    "1:SB b2", "1:GB b2", "1:d3",
        "1:SB b1", "1:SA a2", "1:GA a2", "1:GB b1", "1:d4",    "1:SB ",   "1:SA ",
    };
    EXPECT_EQ(Texts(), expected);
}

TEST_F(GenerationTest, EventsInterleaveWithTheFirstPageOpening) {
    Rows({{"a1", "b1"}, {"a1", "b1"}});
    QStringList log;
    auto note = [&log](const char* what) {
        return [&log, what](TRLCustomControl*, bool&) { log << QLatin1String(what); };
    };
    TRLGroup* group = AddGroup(&report, QStringLiteral("A"));
    group->BeforePrint = note("group before");
    group->AfterPrint = [&log](TRLCustomControl*) { log << QStringLiteral("group after"); };
    AddBand(&report, btHeader, 20)->BeforePrint = note("report header");
    AddBand(group, btHeader, 20)->BeforePrint = note("group header");
    TRLBand* detail = AddBand(group, btDetail, 20);
    detail->BeforePrint = note("detail before");
    detail->AfterPrint = [&log](TRLCustomControl*) { log << QStringLiteral("detail after"); };
    AddBand(group, btSummary, 20)->BeforePrint = note("group summary");
    report.OnPageStarting = [&log](TRLCustomControl*) { log << QStringLiteral("page starting"); };
    report.OnPageEnding = [&log](TRLCustomControl*) { log << QStringLiteral("page ending"); };
    ASSERT_TRUE(Prepare());
    const QStringList expected = {
        "group before",  "detail before", "report header", "page starting",
        "group header",  "detail after",  "detail before", "detail after",
        "group summary", "group after",   "page ending",
    };
    EXPECT_EQ(log, expected);
}

TEST_F(GenerationTest, BeforePrintGroupsStartAPageUnlessThePageHoldsNoDataYet) {
    Rows({{"a1", ""}, {"a1", ""}, {"a2", ""}, {"a3", ""}});
    AddLabel(AddBand(&report, btHeader, 20), QStringLiteral("H"));
    TRLGroup* group = AddGroup(&report, QStringLiteral("A"));
    group->SetPageBreaking(pbBeforePrint);
    AddDBText(AddBand(group, btHeader, 20), &data, QStringLiteral("A"));
    DetailOfV(group, &data);
    ASSERT_TRUE(Prepare());
    const QStringList expected = {"1:H",  "1:a1", "1:d1", "1:d2", "2:H",
                                  "2:a2", "2:d3", "3:H",  "3:a3", "3:d4"};
    EXPECT_EQ(Texts(), expected);
}

TEST_F(GenerationTest, AfterPrintGroupsBreakBeforeTheNextDetail) {
    Rows({{"a1", ""}, {"a2", ""}});
    TRLGroup* group = AddGroup(&report, QStringLiteral("A"));
    group->SetPageBreaking(pbAfterPrint);
    DetailOfV(group, &data);
    AddLabel(AddBand(&report, btSummary, 20), QStringLiteral("S"));
    ASSERT_TRUE(Prepare());
    // The pending break is taken by the next detail or summary band.
    const QStringList expected = {"1:d1", "2:d2", "3:S"};
    EXPECT_EQ(Texts(), expected);
}

TEST_F(GenerationTest, PageBreakInsideAGroupRepeatsHeadersNotTitles) {
    RowsOf(12);
    AddLabel(AddBand(&report, btHeader, 20), QStringLiteral("H"));
    TRLGroup* group = AddGroup(&report, QStringLiteral("A"));
    AddLabel(AddBand(group, btHeader, 20), QStringLiteral("GH"));
    AddLabel(AddBand(group, btTitle, 20), QStringLiteral("GT"));
    AddLabel(AddBand(group, btColumnFooter, 20), QStringLiteral("GCF"));
    DetailOfV(group, &data, 100);
    ASSERT_TRUE(Prepare());
    ASSERT_EQ(report.Pages()->PageCount(), 2);
    // Page 1: H at 38, GH at 58, GT at 78, then details from 98 while they
    // fit above 1085: nine of them (98 + 9 * 100 = 998, the tenth would end
    // at 1098). The column footer closes the page part right below them.
    const QStringList texts = Texts();
    EXPECT_EQ(texts.mid(0, 3), (QStringList{"1:H", "1:GH", "1:GT"}));
    EXPECT_EQ(texts.mid(3, 10), (QStringList{"1:d1", "1:d2", "1:d3", "1:d4", "1:d5", "1:d6", "1:d7",
                                             "1:d8", "1:d9", "1:GCF"}));
    EXPECT_EQ(texts.mid(13), (QStringList{"2:H", "2:GH", "2:d10", "2:d11", "2:d12", "2:GCF"}));
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("GCF"), 1).Box.Top, 998);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("GH"), 2).Box.Top, 58);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("d10"), 2).Box.Top, 78);
}

// A group whose rows only add up (the detail never prints) and whose
// column footer prints the sum, as the balance report prints a lance: when
// the footer's own opening raises the group header that no longer fits, the
// page breaks under the footer, which must land on the new page printed
// once, with what its handler took, and not be raised again by the break.
TEST_F(GenerationTest, AColumnFooterWhoseOpeningBreaksThePagePrintsOnceOnTheNewPage) {
    constexpr int rows = 60;
    for (int i = 1; i <= rows; ++i) {
        data.AddRow({QStringLiteral("k%1").arg(i, 3, 10, QLatin1Char('0')), QString(), i});
    }
    TRLGroup* group = AddGroup(&report, QStringLiteral("A"));
    TRLBand* header = AddBand(group, btHeader, 33);
    header->BeforePrint = [](TRLCustomControl*, bool& printIt) { printIt = false; };
    int pending = 0;
    TRLBand* detail = AddBand(group, btDetail, 24);
    detail->BeforePrint = [&](TRLCustomControl*, bool& printIt) {
        pending += data.FindField(QStringLiteral("V"))->AsInteger();
        printIt = false;
    };
    TRLBand* footer = AddBand(group, btColumnFooter, 20);
    TRLLabel* line = AddLabel(footer, QString());
    int raised = 0;
    footer->BeforePrint = [&](TRLCustomControl*, bool&) {
        ++raised;
        line->SetCaption(QStringLiteral("v%1").arg(pending));
        pending = 0;
    };
    ASSERT_TRUE(Prepare());
    ASSERT_EQ(report.Pages()->PageCount(), 2);
    EXPECT_EQ(raised, rows);
    QStringList expected;
    for (int i = 1; i <= rows; ++i) {
        expected << QStringLiteral("v%1").arg(i);
    }
    QStringList printed;
    for (const QString& t : Texts()) {
        printed << t.section(u':', 1);
    }
    EXPECT_EQ(printed, expected);
}

TEST_F(GenerationTest, ReportFooterSitsAtTheBottomOfEveryPage) {
    RowsOf(25);
    TRLBand* footer = AddBand(&report, btFooter, 30);
    AddLabel(footer, QStringLiteral("F"), 0, 5);
    DetailOfV(&report, &data, 100);
    ASSERT_TRUE(Prepare());
    // The footer takes 30 px above the bottom margin: 1085 - 30 = 1055; ten
    // 100 px details fit from 38 down to 1038.
    ASSERT_EQ(report.Pages()->PageCount(), 3);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("F"), page).Box.Top, 1055 + 5);
    }
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("d10"), 1).Box.Top, 938);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("d11"), 2).Box.Top, 38);
}

TEST_F(GenerationTest, AlignedColumnFootersAndSummariesGoDownToTheirLimits) {
    RowsOf(2);
    DetailOfV(&report, &data);
    TRLBand* cf = AddBand(&report, btColumnFooter, 20);
    cf->SetAlignToBottom(true);
    AddLabel(cf, QStringLiteral("CF"));
    TRLBand* summary = AddBand(&report, btSummary, 20);
    summary->SetAlignToBottom(true);
    AddLabel(summary, QStringLiteral("S"));
    AddLabel(AddBand(&report, btFooter, 10), QStringLiteral("F"));
    ASSERT_TRUE(Prepare());
    // L0 = 1085 - 10, L1 = L0 - 20 (the aligned summary), L2 = L1 - 20.
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("CF")).Box.Top, 1035);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("S")).Box.Top, 1055);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("F")).Box.Top, 1075);
}

TEST_F(GenerationTest, ColumnFootersCloseEveryPageOfTheirPager) {
    RowsOf(12);
    AddLabel(AddBand(&report, btColumnHeader, 20), QStringLiteral("CH"));
    AddLabel(AddBand(&report, btColumnFooter, 20), QStringLiteral("CF"));
    DetailOfV(&report, &data, 100);
    ASSERT_TRUE(Prepare());
    const QStringList texts = Texts();
    EXPECT_EQ(texts.count(QStringLiteral("1:CH")), 1);
    EXPECT_EQ(texts.count(QStringLiteral("1:CF")), 1);
    EXPECT_EQ(texts.count(QStringLiteral("2:CH")), 1);
    EXPECT_EQ(texts.count(QStringLiteral("2:CF")), 1);
    // No room is kept for column footers: the one of page 1 follows the ten
    // 100 px details that fit above the bottom limit (58 + 1000).
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("CF"), 1).Box.Top, 1058);
}

TEST_F(GenerationTest, ReportBeforePrintFalsePreparesAndShowsNothing) {
    RowsOf(3);
    DetailOfV(&report, &data);
    report.BeforePrint = [](TRLCustomControl*, bool& printIt) { printIt = false; };
    int opened = 0;
    RLEngineServices::SetPreviewOpener(
        [&opened](TRLGraphicStorage*, const TRLPreviewOptions&) { ++opened; });
    report.EndLoad();
    EXPECT_FALSE(report.Prepare());
    EXPECT_FALSE(report.Preview());
    RLEngineServices::SetPreviewOpener({});
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(report.Pages()->PageCount(), 0);
    EXPECT_EQ(report.ReportState(), rsIdle);
    EXPECT_TRUE(messages.Texts.isEmpty());
}

TEST_F(GenerationTest, PreviewPreparesAndHandsThePagesOn) {
    RowsOf(3);
    DetailOfV(&report, &data);
    report.EndLoad();
    TRLGraphicStorage* shown = nullptr;
    EXPECT_TRUE(report.Preview([&shown](TRLGraphicStorage* pages) { shown = pages; }));
    EXPECT_EQ(shown, report.Pages());
    EXPECT_EQ(report.Pages()->PageCount(), 1);
    EXPECT_EQ(report.ReportState(), rsReady);

    // Without a control, the registered preview window gets the pages; the
    // report prepares again on every call.
    int opened = 0;
    RLEngineServices::SetPreviewOpener([&](TRLGraphicStorage* pages, const TRLPreviewOptions&) {
        ++opened;
        EXPECT_EQ(pages->PageCount(), 1);
    });
    data.AddRow({QStringLiteral("A"), QStringLiteral("B"), 4});
    EXPECT_TRUE(report.Preview());
    RLEngineServices::SetPreviewOpener({});
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(Texts().size(), 4);
    // No preview window registered: the pages stay prepared.
    EXPECT_TRUE(report.Preview());
}

TEST_F(GenerationTest, AMemoGrowsItsBandForOneRecordOnly) {
    RowsOf(3);
    TRLBand* detail = AddBand(&report, btDetail, 20);
    auto* memo = new TRLMemo(detail);
    memo->SetBounds(0, 2, 300, 15);
    detail->BeforePrint = [&](TRLCustomControl*, bool&) {
        memo->Lines().clear();
        const int v = data.FindField(QStringLiteral("V"))->AsInteger();
        memo->Lines() << QStringLiteral("m%1").arg(v);
        if (v == 2) {
            memo->Lines() << QStringLiteral("second") << QStringLiteral("third");
        }
    };
    ASSERT_TRUE(Prepare());
    const int line = TextMetrics::TextHeight(TRLFont{}); // 15 for Arial 10
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("m1")).Box.Top, 40);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("m2")).Box.Top, 60);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("third")).Box.Top, 60 + 2 * line);
    // The band grew by two lines for record 2 and only for it.
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("m3")).Box.Top, 80 + 2 * line);
    EXPECT_EQ(detail->Height(), 20);
    EXPECT_EQ(memo->Height(), 15);
}

TEST_F(GenerationTest, ABandTallerThanAnEmptyPageIsPlacedAfterOneBreakAtMost) {
    RowsOf(2);
    AddLabel(AddBand(&report, btHeader, 20), QStringLiteral("H"));
    TRLBand* tall = DetailOfV(&report, &data, 1200);
    ASSERT_TRUE(tall->IntegralHeight());
    ASSERT_TRUE(Prepare());
    // No page holds the header alone: each tall band shares a page with it.
    EXPECT_EQ(Texts(), (QStringList{"1:H", "1:d1", "2:H", "2:d2"}));
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("d2")).Box.Top, 58);
}

TEST_F(GenerationTest, ABandThatMayBeCutSplitsBetweenWholeLines) {
    RowsOf(1);
    AddLabel(AddBand(&report, btTitle, 1000), QStringLiteral("T"));
    TRLBand* detail = AddBand(&report, btDetail, 20);
    detail->SetIntegralHeight(false);
    auto* memo = new TRLMemo(detail);
    memo->SetBounds(0, 0, 300, 15);
    for (int i = 1; i <= 10; ++i) {
        memo->Lines() << QStringLiteral("line %1").arg(i);
    }
    ASSERT_TRUE(Prepare());
    // 47 px are left on page 1 (1038..1085): three whole lines of 15 px.
    const QStringList expected = {"1:T",      "1:line 1", "1:line 2", "1:line 3",
                                  "2:line 4", "2:line 5", "2:line 6", "2:line 7",
                                  "2:line 8", "2:line 9", "2:line 10"};
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("line 4")).Box.Top, 38);
}

TEST_F(GenerationTest, AnErrorEndsGenerationWithOneMessage) {
    RowsOf(3);
    AddDBText(DetailOfV(&report, &data), &data, QStringLiteral("NOPE"));
    EXPECT_FALSE(Prepare());
    ASSERT_EQ(messages.Texts.size(), 1);
    EXPECT_EQ(messages.Texts.at(0), QStringLiteral("RLReport1: ") + Messages().PrepareError +
                                        QLatin1Char('\n') + Messages().NotFound +
                                        QStringLiteral(": Text_NOPE.DataField \"NOPE\""));
    EXPECT_EQ(report.ReportState(), rsIdle);

    // The same for a group key and for an exception a handler throws.
    TRLGroup* group = AddGroup(&report, QStringLiteral("A;MISSING"), QStringLiteral("Grupo"));
    DetailOfV(group, &data);
    EXPECT_FALSE(report.Prepare());
    ASSERT_EQ(messages.Texts.size(), 2);
    EXPECT_TRUE(messages.Texts.at(1).endsWith(QStringLiteral("Grupo.DataField \"MISSING\"")));
    delete group;

    // The silent abort (the program closing mid-run) ends it without one.
    report.BeforePrint = [](TRLCustomControl*, bool&) { throw EAbort(); };
    EXPECT_FALSE(report.Prepare());
    EXPECT_EQ(messages.Texts.size(), 2);
    EXPECT_EQ(report.ReportState(), rsIdle);
}

// A program that registers an error sink gets the error itself: the text
// the box would show, and the cause as the handler raised it, so that it can
// tell one failure from another without reading the text.
TEST_F(GenerationTest, AFailedPreparationHandsOverItsCause) {
    class ECustomError : public Exception {
    public:
        ECustomError() : Exception(QStringLiteral("the handler failed")) {}
    };
    std::vector<std::exception_ptr> errors;
    RLEngineServices::SetErrorSink(
        [&errors](const std::exception_ptr& error) { errors.push_back(error); });
    RowsOf(1);
    report.BeforePrint = [](TRLCustomControl*, bool&) { throw ECustomError(); };
    EXPECT_FALSE(Prepare());
    RLEngineServices::SetErrorSink({});
    EXPECT_TRUE(messages.Texts.isEmpty());
    ASSERT_EQ(errors.size(), 1u);
    try {
        std::rethrow_exception(errors.front());
    } catch (const ERLPrepareError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("RLReport1: ") + Messages().PrepareError +
                                   QStringLiteral("\nthe handler failed"));
        EXPECT_THROW(std::rethrow_exception(e.Cause()), ECustomError);
    } catch (...) {
        ADD_FAILURE() << "not the engine's preparation error";
    }
}

TEST_F(GenerationTest, PageNumbersAndTheLastPageMacro) {
    RowsOf(25);
    report.SetFirstPageNumber(5);
    TRLBand* header = AddBand(&report, btHeader, 20);
    auto* number = new TRLSystemInfo(header);
    number->SetInfo(itPageNumber);
    number->SetText(QStringLiteral("P\u00e1g.:"));
    auto* of = new TRLSystemInfo(header);
    of->SetInfo(itPagePreview);
    of->SetText(QStringLiteral("# de #"));
    of->SetLeft(200);
    DetailOfV(&report, &data, 100);
    ASSERT_TRUE(Prepare());
    TRLGraphicStorage& pages = *report.Pages();
    ASSERT_EQ(pages.PageCount(), 3);
    EXPECT_EQ(pages.FirstPageNumber(), 5);
    EXPECT_EQ(pages.LastPageNumber(), 7);
    for (int page = 1; page <= 3; ++page) {
        const QString n = QString::number(page + 4);
        EXPECT_EQ(FindText(pages, QStringLiteral("P\u00e1g.:") + n, page).Page, page);
        const PlacedText t = FindText(pages, n + QStringLiteral(" de {LastPageNumber}"), page);
        ASSERT_EQ(t.Page, page);
        EXPECT_EQ(pages.GetPage(page - 1)->ExpandMacros(t.Text), n + QStringLiteral(" de 7"));
    }
}

TEST_F(GenerationTest, StorageHeaderAndPageMacros) {
    RowsOf(1);
    DetailOfV(&report, &data);
    report.SetTitle(QStringLiteral("Balancete"));
    report.PageSetup().SetOrientation(poLandscape);
    ASSERT_TRUE(Prepare());
    TRLGraphicStorage& pages = *report.Pages();
    EXPECT_EQ(pages.Title(), QStringLiteral("Balancete"));
    EXPECT_EQ(pages.Orientation(), 2);
    EXPECT_EQ(pages.Macro(QStringLiteral("PaperWidth")), QStringLiteral("210.0000"));
    EXPECT_EQ(pages.Macro(QStringLiteral("PaperHeight")), QStringLiteral("297.0000"));
    const auto page = pages.GetPage(0);
    EXPECT_EQ(page->Width(), 1123);
    EXPECT_EQ(page->Height(), 794);
    EXPECT_EQ(page->Macros(),
              (QStringList{"Orientation=2", "PaperWidth=210.0000", "PaperHeight=297.0000"}));
}

TEST_F(GenerationTest, RecordRangeAndDataRecordActions) {
    struct Case {
        const char* name;
        std::function<void(TRLReport&)> setUp;
        QStringList texts;
    };
    const Case cases[] = {
        {"all", [](TRLReport&) {}, {"1:1.1", "1:2.1", "1:3.1", "1:4.1"}},
        {"next 2",
         [](TRLReport& r) {
             r.SetRecordRange(rrNextN);
             r.SetRangeCount(2);
         },
         {"1:1.1", "1:2.1"}},
        {"current only", [](TRLReport& r) { r.SetRecordRange(rrCurrentOnly); }, {"1:1.1"}},
        {"skip the second",
         [](TRLReport& r) {
             r.OnDataRecord = [](TRLCustomControl*, int, int, bool&, TRLRecordAction& action) {
                 static int seen = 0;
                 action = ++seen % 4 == 2 ? raIgnoreIt : raUseIt;
             };
         },
         {"1:1.1", "1:2.1", "1:3.1"}},
        {"two copies",
         [](TRLReport& r) {
             r.SetRecordRange(rrNextN);
             r.SetRangeCount(2);
             r.OnDataRecord = [](TRLCustomControl*, int, int copyNo, bool&,
                                 TRLRecordAction& action) {
                 action = copyNo < 2 ? raUseAndRetain : raUseIt;
             };
         },
         {"1:1.1", "1:1.2", "1:2.1", "1:2.2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemTestDataSet rows({{QStringLiteral("V"), Kind::Integer, {}}});
        for (int i = 1; i <= 4; ++i) {
            rows.AddRow({i});
        }
        rows.First();
        TRLReport r;
        r.SetShowProgress(false);
        r.BeginLoad();
        r.SetDataSource(&rows);
        TRLBand* detail = AddBand(&r, btDetail, 20);
        auto* recNo = new TRLSystemInfo(detail);
        recNo->SetInfo(itRecNo);
        recNo->SetText(QStringLiteral("#."));
        auto* copyNo = new TRLSystemInfo(detail);
        copyNo->SetInfo(itCopyNo);
        copyNo->SetLeft(100);
        c.setUp(r);
        r.EndLoad();
        ASSERT_TRUE(r.Prepare());
        // RecNo and CopyNo print as one text per row: "<RecNo>.<CopyNo>".
        QStringList texts;
        const auto placed = PageTexts(*r.Pages());
        for (std::size_t i = 0; i + 1 < placed.size(); i += 2) {
            texts << QStringLiteral("%1:%2%3")
                         .arg(placed[i].Page)
                         .arg(placed[i].Text, placed[i + 1].Text);
        }
        EXPECT_EQ(texts, c.texts);
    }
}

TEST_F(GenerationTest, CarbonCopiesRepeatBandsAndGroupIndexBlocks) {
    RowsOf(1);
    TRLBand* x = AddBand(&report, btDetail, 20);
    TRLBand* y = AddBand(&report, btDetail, 20);
    TRLBand* z = AddBand(&report, btDetail, 20);
    x->SetGroupIndex(1);
    y->SetGroupIndex(1);
    x->SetCarbonCopies(2);
    z->SetCarbonCopies(2);
    for (auto [band, name] : {std::pair{x, "X"}, {y, "Y"}, {z, "Z"}}) {
        auto* copy = new TRLSystemInfo(band);
        copy->SetInfo(itCarbonCopy);
        copy->SetText(QLatin1String(name));
    }
    ASSERT_TRUE(Prepare());
    // Bands of a GroupIndex block are laid out (and so print) after the
    // bands without one.
    EXPECT_EQ(Texts(), (QStringList{"1:Z1", "1:Z2", "1:X1", "1:Y1", "1:X2", "1:Y2"}));
}

TEST_F(GenerationTest, CancellingStoresTheLastPageAndFails) {
    RowsOf(30);
    AddLabel(AddBand(&report, btSummary, 20), QStringLiteral("S"));
    TRLBand* detail = DetailOfV(&report, &data, 100);
    detail->AfterPrint = [&](TRLCustomControl*) {
        if (data.FindField(QStringLiteral("V"))->AsInteger() == 15) {
            report.Cancel();
        }
    };
    EXPECT_FALSE(Prepare());
    EXPECT_TRUE(report.Canceled());
    EXPECT_EQ(report.ReportState(), rsIdle);
    // The closing bands still print and the last page is stored.
    const QStringList texts = Texts();
    EXPECT_EQ(texts.last(), QStringLiteral("2:S"));
    EXPECT_TRUE(texts.contains(QStringLiteral("2:d15")));
    EXPECT_FALSE(texts.contains(QStringLiteral("2:d16")));
    EXPECT_TRUE(messages.Texts.isEmpty());
}

TEST_F(GenerationTest, ADisabledGroupBreaksWithItsEnclosingGroup) {
    Rows({{"a1", "b1"}, {"a1", "b2"}, {"a2", "b2"}});
    TRLGroup* outer = AddGroup(&report, QStringLiteral("A"));
    TRLGroup* inner = AddGroup(outer, QStringLiteral("B"));
    inner->SetEnabled(false);
    AddLabel(AddBand(inner, btHeader, 20), QStringLiteral("inner header"));
    AddLabel(AddBand(outer, btSummary, 20), QStringLiteral("SA"));
    DetailOfV(inner, &data);
    ASSERT_TRUE(Prepare());
    // The change of B alone does not end the disabled group; its own bands
    // other than details never print.
    EXPECT_EQ(Texts(), (QStringList{"1:d1", "1:d2", "1:SA", "1:d3", "1:SA"}));
}

TEST_F(GenerationTest, OnGetBreakDecidesInsteadOfTheKey) {
    Rows({{"a1", ""}, {"a1", ""}, {"a1", ""}});
    TRLGroup* group = AddGroup(&report, QStringLiteral("A"));
    group->OnGetBreak = [&](TRLCustomControl*, bool& breakIt) {
        breakIt = data.FindField(QStringLiteral("V"))->AsInteger() == 3;
    };
    DetailOfV(group, &data);
    AddLabel(AddBand(group, btSummary, 20), QStringLiteral("S"));
    ASSERT_TRUE(Prepare());
    EXPECT_EQ(Texts(), (QStringList{"1:d1", "1:d2", "1:S", "1:d3", "1:S"}));
}

TEST_F(GenerationTest, BoundsSetByAPrintNeverOutliveIt) {
    RowsOf(2);
    TRLBand* detail = DetailOfV(&report, &data);
    auto* label = AddLabel(detail, QStringLiteral("a much longer caption than before"), 10, 2);
    label->SetAlignment(taRightJustify);
    report.EndLoad();
    const TRect labelBounds = label->BoundsRect();
    const TRect bandBounds = detail->BoundsRect();
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(label->BoundsRect(), labelBounds);
    EXPECT_EQ(detail->BoundsRect(), bandBounds);
    // The caption a print set stays.
    EXPECT_EQ(label->Caption(), QStringLiteral("a much longer caption than before"));
}

TEST_F(GenerationTest, GroupsFrameTheirPartOfEveryPage) {
    RowsOf(12);
    TRLGroup* group = AddGroup(&report, QStringLiteral("A"));
    group->Borders()->SetSides(sdAll);
    DetailOfV(group, &data, 100);
    ASSERT_TRUE(Prepare());
    ASSERT_EQ(report.Pages()->PageCount(), 2);
    // Each page part of the group is framed: 1 px sides around the details
    // (the frame's width is inside the group, so the details start at 39).
    for (int page = 0; page < 2; ++page) {
        const auto surface = report.Pages()->GetPage(page);
        std::vector<TRect> frames;
        for (int i = 0; i < surface->ObjectCount(); ++i) {
            if (surface->Objects(i)->Kind() == TRLGraphicObjectKind::Rectangle) {
                frames.push_back(surface->Objects(i)->BoundsRect);
            }
        }
        ASSERT_EQ(frames.size(), 4u);
        const int bottom = page == 0 ? 39 + 10 * 100 + 1 : 39 + 2 * 100 + 1;
        EXPECT_EQ(frames[0], (TRect{38, 38, 39, bottom}));
        EXPECT_EQ(frames[3], (TRect{38, bottom - 1, 756, bottom}));
    }
    EXPECT_EQ(FindText(*report.Pages(), QStringLiteral("d1")).Box.Top, 39);
}

} // namespace

namespace {

// A progress window that records what generation tells it.
class RecordingProgress : public TRLProgress {
public:
    explicit RecordingProgress(QStringList& log) : log_(log) {}
    void SetMax(int max) override { log_ << QStringLiteral("max %1").arg(max); }
    void SetStepText(const QString& text) override { log_ << text; }
    void Step() override { log_ << QStringLiteral("step"); }
    void NextBar() override { log_ << QStringLiteral("next bar"); }

private:
    QStringList& log_;
};

TEST_F(GenerationTest, ProgressCountsRecordsAndNamesThePage) {
    RowsOf(2);
    DetailOfV(&report, &data);
    report.SetShowProgress(true);
    QStringList log;
    QString title;
    RLEngineServices::SetProgressFactory([&](const TRLProgressRequest& request) {
        title = request.Title;
        return std::make_unique<RecordingProgress>(log);
    });
    const bool prepared = Prepare();
    RLEngineServices::SetProgressFactory({});
    ASSERT_TRUE(prepared);
    EXPECT_EQ(title, Messages().PrepareProgress);
    const QString page = Messages().Page + QStringLiteral(" 1");
    EXPECT_EQ(log, (QStringList{"max 2", "step", page, "step", page}));
}

TEST_F(GenerationTest, AnAbortFromTheProgressWindowEndsGeneration) {
    RowsOf(5);
    DetailOfV(&report, &data);
    report.SetShowProgress(true);
    struct Aborting : TRLProgress {
        void SetMax(int) override {}
        void SetStepText(const QString&) override {}
        void Step() override { throw EAbort(); }
        void NextBar() override {}
    };
    RLEngineServices::SetProgressFactory(
        [](const TRLProgressRequest&) { return std::make_unique<Aborting>(); });
    const bool prepared = Prepare();
    RLEngineServices::SetProgressFactory({});
    EXPECT_FALSE(prepared);
    EXPECT_EQ(report.ReportState(), rsIdle);
    EXPECT_TRUE(messages.Texts.isEmpty()); // the program is closing: no box
}

TEST_F(GenerationTest, PrintPreparesAndHandsThePagesToThePrintRun) {
    RowsOf(1);
    DetailOfV(&report, &data);
    report.EndLoad();
    EXPECT_FALSE(report.Print()); // nothing registered to print with
    int printed = 0;
    RLEngineServices::SetPrintRunner([&](TRLGraphicStorage* pages, TRLCustomReport* r) {
        ++printed;
        EXPECT_EQ(r, &report);
        return pages->PageCount() == 1;
    });
    EXPECT_TRUE(report.Print());
    RLEngineServices::SetPrintRunner({});
    EXPECT_EQ(printed, 1);
}

} // namespace
