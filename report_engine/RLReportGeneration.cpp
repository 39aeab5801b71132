// Page generation: walks the report tree against its dataset and turns it
// into pages in the report's storage. Bands draw into surfaces of their own,
// which are placed into their pager's surface, pagers into their parent's,
// and the report into the page; a page ends when a band no longer fits or
// the data ends, and every enclosing pager then closes and reopens.
#include "RLEngineServices.h"
#include "RLReportRun.h"

#include "DataSet.h"
#include "DateTime.h"
#include "EngineMessages.h"
#include "Exception.h"

#include <cstdint>
#include <vector>

namespace {

int ClientTop(const TRLCustomSite* site) {
    return site->SiteClientRect().Top;
}

int BottomInset(const TRLCustomSite* site) {
    return site->Height() - site->SiteClientRect().Bottom;
}

bool IsReport(TRLCustomSite* site) {
    return site->Run().IsReport;
}

bool Enabled(TRLCustomSite* site) {
    const TRLCustomGroup* group = site->Run().AsGroup;
    return !group || group->Enabled();
}

void ResetRun(TRLCustomSite* site) {
    TRLSiteRun& run = site->Run();
    auto surface = std::move(run.Surface);
    run = TRLSiteRun{};
    run.Surface = surface ? std::move(surface) : std::make_unique<TRLGraphicSurface>();
    run.Surface->Clear();
    run.Surface->Close();
}

enum class Printed { Nothing, Printed, Breaking };

void CollectDescendants(TRLCustomControl* control, std::vector<TRLCustomControl*>& out) {
    out.push_back(control);
    for (TRLCustomControl* child : control->Controls()) {
        CollectDescendants(child, out);
    }
}

} // namespace

// The generation of one Prepare. Holds no state of its own beyond the
// report: everything lives in the sites' runs, so the events the report
// forms assign see a consistent tree.
class TRLReportGenerator {
public:
    explicit TRLReportGenerator(TRLCustomReport& report) : r_(report) {}
    bool Run();

private:
    // Setup.
    void Setup(TRLCustomSite* site);
    void StartInstance(TRLCustomPager* pager);
    void EndInstance(TRLCustomPager* pager);
    // Data.
    TDataSet* Data() const;
    void DataFirst();
    void DataNext();
    void DataStep(bool first);
    // Pagers and groups.
    void PrintRecord(TRLCustomPager* pager);
    void PrintGroup(TRLCustomGroup* group);
    void RunGroup(TRLCustomGroup* group);
    bool TestBreak(TRLCustomGroup* group);
    QString BreakKey(TRLCustomGroup* group);
    const QString& FieldText(TField* field);
    void Complete(TRLCustomPager* pager);
    // Surfaces.
    void Open(TRLCustomSite* site);
    void Close(TRLCustomSite* site);
    void PlacePager(TRLCustomPager* pager);
    void BreakPage(TRLCustomPager* pager, const TRLCustomControl* band, bool keep);
    void PagerBounds(TRLCustomPager* pager);
    // Bands.
    Printed PrintBandsOfType(TRLCustomPager* pager, TRLBandType type);
    void PrintBand(TRLCustomBand* band);
    void DrawBand(TRLCustomBand* band);
    void PlaceBand(TRLCustomBand* band);
    void PlaceSlices(TRLCustomBand* band);
    // Limits.
    int AbsoluteTop(TRLCustomPager* pager);
    int Limit(TRLCustomPager* pager, int level);
    bool Fits(TRLCustomPager* pager, int height) {
        return Limit(pager, 0) - pager->Run().CursorY >= height;
    }
    bool Ready(TRLCustomPager* pager);
    TRLGraphicSurface& ParentSurface(TRLCustomSite* site);

    TRLCustomReport& r_;
    QString stepText_;
    int stepTextPage_ = 0;
    // The texts of the key fields at the current record: nested groups name
    // the same fields again, and each is read once per record.
    struct TFieldText {
        TField* Field;
        std::uint64_t Step;
        QString Text;
    };
    std::vector<TFieldText> fieldTexts_;
    std::uint64_t dataSteps_ = 0;
};

// ---- Prepare

bool TRLReportGenerator::Run() {
    TRLBoundsSnapshot bounds(&r_);
    r_.pages_->Clear();
    r_.pageSurface_.reset();
    r_.canceled_ = false;
    r_.pendingBreak_ = false;
    r_.pagesStored_ = 0;
    r_.state_ = rsPreparing;
    r_.generationTime_ = DateTime::Now();
    std::unique_ptr<TRLProgress> progress;
    if (r_.ShowProgress()) {
        progress =
            RLEngineServices::CreateProgress({.Title = Messages().PrepareProgress,
                                              .Bars = 1,
                                              .OnCancel = [report = &r_] { report->Cancel(); },
                                              .Modal = true,
                                              .ReadsData = true});
    }
    r_.progress_ = progress.get();
    bool result = false;
    try {
        bool printIt = true;
        if (r_.BeforePrint) {
            r_.BeforePrint(&r_, printIt);
        }
        if (printIt) {
            Setup(&r_);
            StartInstance(&r_);
            int count = Data() && Data()->Active() ? Data()->RecordCount() : 0;
            if (r_.OnDataCount) {
                r_.OnDataCount(&r_, count);
            }
            if (progress) {
                progress->SetMax(count);
            }
            DataFirst();
            while (!r_.eof_ && !r_.canceled_) {
                r_.advanced_ = false;
                PrintRecord(&r_);
                if (!r_.advanced_) {
                    DataNext();
                }
            }
            r_.state_ = rsClosing;
            if (r_.PrintEmpty() && r_.Run().DetailsPrinted == 0) {
                Open(&r_);
            }
            EndInstance(&r_);
            r_.state_ = rsReady;
            if (r_.canceled_) {
                r_.state_ = rsIdle;
            } else {
                if (r_.AfterPrint) {
                    r_.AfterPrint(&r_);
                }
                result = !r_.NextReport() || r_.NextReport()->Prepare();
                TRLGraphicStorage& pages = *r_.pages_;
                pages.SetFirstPageNumber(r_.FirstPageNumber());
                pages.SetLastPageNumber(pages.PageCount() + r_.FirstPageNumber() - 1);
                pages.SetTitle(r_.Title());
                pages.SetOrientation(r_.PageSetup().Orientation() == poLandscape ? 2 : 1);
                pages.SetPaperWidth(r_.PageSetup().PaperWidth());
                pages.SetPaperHeight(r_.PageSetup().PaperHeight());
            }
        } else {
            r_.state_ = rsIdle;
        }
    } catch (const std::exception& e) {
        r_.state_ = rsIdle;
        r_.pageSurface_.reset();
        r_.progress_ = nullptr;
        progress.reset(); // a box must not sit under the progress window
        // A run the user cancelled (while it waited for its data, the wait
        // ends with an error), that the program's end stopped, or that the
        // silent abort ended says nothing.
        if (r_.canceled_ || RLEngineServices::Terminating() ||
            dynamic_cast<const EAbort*>(&e) != nullptr) {
            return false;
        }
        const auto* error = dynamic_cast<const Exception*>(&e);
        const QString message = error ? error->Message() : QString::fromLocal8Bit(e.what());
        // A line feed, not a lone carriage return: message boxes and
        // terminals alike start a new line for it. The cause goes along as
        // it was raised: the program tells a lost server from a failed
        // report by it, not by the text.
        RLEngineServices::ShowError(std::make_exception_ptr(ERLPrepareError(
            r_.Name() + QLatin1String(": ") + Messages().PrepareError + QLatin1Char('\n') + message,
            std::current_exception())));
        result = false;
    }
    r_.progress_ = nullptr;
    return result;
}

void TRLReportGenerator::Setup(TRLCustomSite* site) {
    ResetRun(site);
    TRLSiteRun& run = site->Run();
    run.ParentSite = site->FindParentSite();
    run.ParentPager = site->FindParentPager();
    auto* pager = dynamic_cast<TRLCustomPager*>(site);
    run.AsPager = pager;
    run.AsGroup = dynamic_cast<TRLCustomGroup*>(site);
    run.IsReport = site == &r_;
    for (TRLCustomControl* child : site->Controls()) {
        if (auto* group = dynamic_cast<TRLCustomGroup*>(child)) {
            run.Groups.push_back(group);
        }
        if (auto* childSite = dynamic_cast<TRLCustomBandSet*>(child)) {
            Setup(childSite);
        } else {
            run.PlainControls.emplace_back(child, RLControlKindOf(child));
        }
    }
    run.Context = {&r_, dynamic_cast<TRLCustomBand*>(site), pager ? pager : run.ParentPager};
    CollectDescendants(site, run.Descendants);
    if (pager) {
        for (int t = btHeader; t <= btFooter; ++t) {
            run.SortedBands[t] = pager->BandsOfType(static_cast<TRLBandType>(t));
        }
    }
}

// A pager instance starts with nothing printed; its surface opens later,
// with the first band that needs it.
void TRLReportGenerator::StartInstance(TRLCustomPager* pager) {
    TRLSiteRun& run = pager->Run();
    run.PrintedTypes = 0;
    run.DetailsPrinted = 0;
    run.BandCount = 0;
    run.HasData = false;
    run.Completing = false;
    run.OpenedInInstance = false;
    run.Continues = false;
    run.CursorY = ClientTop(pager);
    PagerBounds(pager);
}

void TRLReportGenerator::PagerBounds(TRLCustomPager* pager) {
    TRLSiteRun& run = pager->Run();
    if (IsReport(pager)) {
        run.PrintBounds = TRect::FromSize(pager->Left(), 0, pager->Width(), pager->Height());
        return;
    }
    const int top = run.ParentPager ? run.ParentPager->Run().CursorY : 0;
    run.PrintBounds = TRect::FromSize(pager->Left(), top, pager->Width(), 0);
    run.PrintBounds.Bottom = run.PrintBounds.Top + std::max(0, r_.Height() - AbsoluteTop(pager));
}

void TRLReportGenerator::EndInstance(TRLCustomPager* pager) {
    Complete(pager);
    TRLSiteRun& run = pager->Run();
    if (Enabled(pager)) {
        Printed stop = Printed::Nothing;
        if (!(run.PrintedTypes & BandTypeBit(btColumnFooter))) {
            stop = PrintBandsOfType(pager, btColumnFooter);
        }
        if (stop != Printed::Breaking && !(run.PrintedTypes & BandTypeBit(btSummary))) {
            stop = PrintBandsOfType(pager, btSummary);
        }
        if (stop != Printed::Breaking && !(run.PrintedTypes & BandTypeBit(btFooter))) {
            PrintBandsOfType(pager, btFooter);
        }
    }
    Close(pager);
}

// Repeats the pager's completion band with empty texts until the page, or
// the band count, is full.
void TRLReportGenerator::Complete(TRLCustomPager* pager) {
    TRLSiteRun& run = pager->Run();
    TRLCustomBand* band = nullptr;
    for (TRLCustomBand* b : run.SortedBands[btDetail]) {
        if (b->Completion() != ctNone && b->Computable()) {
            band = b;
            break;
        }
    }
    if (!band) {
        return;
    }
    run.Completing = true;
    auto wanted = [&] {
        switch (band->Completion()) {
        case ctFullPage:
            return Limit(pager, 2) - run.CursorY >= band->Height() &&
                   (pager->MaxBands() <= 0 || run.BandCount < pager->MaxBands());
        case ctMaxBands:
            return run.BandCount < pager->MaxBands();
        case ctMinBands:
            return run.BandCount < pager->MinBands();
        case ctNone:
            break;
        }
        return false;
    };
    while (wanted()) {
        const int before = run.BandCount;
        const int pagesBefore = r_.pagesStored_;
        PrintBand(band);
        // A band that printed nothing, or that only broke the page, ends it.
        if (run.BandCount == before || r_.pagesStored_ != pagesBefore) {
            break;
        }
    }
    run.Completing = false;
}

// ---- Data

TDataSet* TRLReportGenerator::Data() const {
    return r_.DataSource();
}

void TRLReportGenerator::DataFirst() {
    r_.recNo_ = 1;
    r_.copyNo_ = 1;
    DataStep(true);
    r_.advanced_ = false;
}

void TRLReportGenerator::DataNext() {
    const TRLRecordAction last = r_.recordAction_;
    r_.copyNo_ = last == raUseAndRetain ? r_.copyNo_ + 1 : 1;
    if (last == raUseIt) {
        ++r_.recNo_;
    }
    DataStep(false);
    r_.advanced_ = true;
    if (r_.progress_) {
        r_.progress_->Step();
        // The text changes with the page, not with every record.
        if (stepTextPage_ != r_.PageNumber() || stepText_.isNull()) {
            stepTextPage_ = r_.PageNumber();
            stepText_ = Messages().Page + QLatin1Char(' ') + QString::number(stepTextPage_);
        }
        r_.progress_->SetStepText(stepText_);
    }
}

// Positions on the first or the next record, and lets OnDataRecord decide
// what to do with it. An ignored record moves on to the following one.
void TRLReportGenerator::DataStep(bool first) {
    for (;;) {
        ++dataSteps_;
        bool more = false;
        TDataSet* data = Data();
        if (!first && r_.recordAction_ > raIgnoreIt) {
            more = true; // the record is kept for another copy
        } else if (data && data->Active()) {
            if (first && r_.RecordRange() == rrAllRecords) {
                data->First();
            } else if (!first) {
                data->Next();
            }
            more = !data->Eof();
        } else if (r_.OnNeedData) {
            r_.OnNeedData(&r_, more);
        }
        if ((!first && r_.RecordRange() == rrCurrentOnly) ||
            (r_.RecordRange() == rrNextN && r_.RangeCount() < r_.recNo_)) {
            more = false;
        }
        r_.eof_ = !more;
        r_.recordAction_ = raUseIt;
        if (r_.OnDataRecord) {
            r_.OnDataRecord(&r_, r_.recNo_, r_.copyNo_, r_.eof_, r_.recordAction_);
        }
        if (r_.eof_ || r_.recordAction_ != raIgnoreIt) {
            return;
        }
        first = false;
    }
}

// ---- Pagers and groups

void TRLReportGenerator::PrintRecord(TRLCustomPager* pager) {
    for (TRLCustomGroup* group : pager->Run().Groups) {
        PrintGroup(group);
    }
    PrintBandsOfType(pager, btDetail);
}

void TRLReportGenerator::PrintGroup(TRLCustomGroup* group) {
    if (!group->Visible()) {
        return;
    }
    bool printIt = true;
    if (group->BeforePrint) {
        group->BeforePrint(group, printIt);
    }
    if (!printIt) {
        return;
    }
    RunGroup(group);
    if (group->AfterPrint) {
        group->AfterPrint(group);
    }
}

void TRLReportGenerator::RunGroup(TRLCustomGroup* group) {
    TRLSiteRun& run = group->Run();
    TRLCustomPager* parent = run.ParentPager;
    if (group->PageBreaking() == pbBeforePrint && r_.Run().HasData) {
        BreakPage(parent, group, !Ready(parent));
    }
    StartInstance(group);
    run.LastKey = BreakKey(group);
    bool firstPass = true;
    while (!r_.eof_ && !r_.canceled_) {
        run.BreakFlag = false;
        if (!firstPass && TestBreak(group)) {
            break;
        }
        firstPass = false;
        r_.advanced_ = false;
        PrintRecord(group);
        if (run.BreakFlag) {
            break; // a disabled child group found this group's break
        }
        if (!r_.advanced_) {
            DataNext();
        }
    }
    EndInstance(group);
    if (group->PageBreaking() == pbAfterPrint) {
        r_.pendingBreak_ = true;
    }
}

bool TRLReportGenerator::TestBreak(TRLCustomGroup* group) {
    TRLSiteRun& run = group->Run();
    bool result = false;
    if (!group->Enabled()) {
        // A disabled group breaks where its nearest enclosing group breaks.
        auto* outer = dynamic_cast<TRLCustomGroup*>(run.ParentPager);
        result = outer && TestBreak(outer);
    } else if (group->OnGetBreak) {
        group->OnGetBreak(group, result);
    } else {
        QString key = BreakKey(group);
        result = key != run.LastKey;
        run.LastKey = std::move(key);
    }
    run.BreakFlag = result;
    return result;
}

QString TRLReportGenerator::BreakKey(TRLCustomGroup* group) {
    TDataSet* data = Data();
    if (!data || !data->Active() || !group->DataFormula().isEmpty()) {
        return QString(); // formulas are not evaluated
    }
    TRLSiteRun& run = group->Run();
    if (!run.KeyFieldsFound) {
        for (const QString& name : group->FieldNames()) {
            run.KeyFields.push_back(group->RequireField(data, name));
        }
        run.KeyFieldsFound = true;
    }
    qsizetype size = 0;
    for (TField* field : run.KeyFields) {
        size += FieldText(field).size();
    }
    QString key;
    key.reserve(size);
    for (TField* field : run.KeyFields) {
        key += FieldText(field);
    }
    return key;
}

const QString& TRLReportGenerator::FieldText(TField* field) {
    for (TFieldText& t : fieldTexts_) {
        if (t.Field == field) {
            if (t.Step != dataSteps_) {
                t.Text = field->AsString();
                t.Step = dataSteps_;
            }
            return t.Text;
        }
    }
    fieldTexts_.push_back({field, dataSteps_, field->AsString()});
    return fieldTexts_.back().Text;
}

bool TRLReportGenerator::Ready(TRLCustomPager* pager) {
    const TRLSiteRun& run = pager->Run();
    return run.HasData && (!pager->ForceMinBands() || pager->MinBands() <= 0 ||
                           run.BandCount >= pager->MinBands());
}

// ---- Limits

int TRLReportGenerator::AbsoluteTop(TRLCustomPager* pager) {
    int top = 0;
    for (TRLCustomPager* p = pager; p; p = p->Run().ParentPager) {
        top += p->Run().PrintBounds.Top;
    }
    return top;
}

// Level 0: above the footers (L0); 1: above aligned summaries too (L1);
// 2: above aligned column footers too (L2). In the pager's coordinates.
int TRLReportGenerator::Limit(TRLCustomPager* pager, int level) {
    int limit = r_.Height() - AbsoluteTop(pager);
    for (TRLCustomPager* p = pager; p; p = p->Run().ParentPager) {
        const TRLSiteRun& run = p->Run();
        limit -= BottomInset(p);
        for (TRLCustomBand* b : run.SortedBands[btFooter]) {
            limit -= b->Visible() ? b->Height() : 0;
        }
        if (level >= 1) {
            for (TRLCustomBand* b : run.SortedBands[btSummary]) {
                limit -= b->Visible() && b->AlignToBottom() ? b->Height() : 0;
            }
        }
        if (level >= 2) {
            for (TRLCustomBand* b : run.SortedBands[btColumnFooter]) {
                limit -= b->Visible() && b->AlignToBottom() ? b->Height() : 0;
            }
        }
    }
    return limit;
}

// ---- Surfaces

TRLGraphicSurface& TRLReportGenerator::ParentSurface(TRLCustomSite* site) {
    if (IsReport(site)) {
        return *r_.pageSurface_;
    }
    return *site->Run().ParentSite->Run().Surface;
}

void TRLReportGenerator::Open(TRLCustomSite* site) {
    TRLSiteRun& run = site->Run();
    if (run.Opened) {
        return;
    }
    if (run.ParentSite && !run.ParentSite->Run().Opened) {
        Open(run.ParentSite);
    }
    TRLCustomPager* pager = run.AsPager;
    if (IsReport(site) && !r_.pageSurface_) {
        auto page = std::make_shared<TRLGraphicSurface>();
        page->SetWidth(r_.Width());
        page->SetHeight(r_.Height());
        page->Macros() << QStringLiteral("Orientation=%1")
                              .arg(r_.PageSetup().Orientation() == poLandscape ? 2 : 1)
                       << QLatin1String("PaperWidth=") +
                              FormatPaperSize(r_.PageSetup().PaperWidth())
                       << QLatin1String("PaperHeight=") +
                              FormatPaperSize(r_.PageSetup().PaperHeight());
        r_.pageSurface_ = std::move(page);
    }
    if (pager) {
        run.CursorY = ClientTop(site);
        run.HasData = false;
        run.BandCount = 0;
        run.PrintedTypes &= BandTypeBit(btTitle);
        run.SavedBounds = site->BoundsRect();
        run.Continues = run.OpenedInInstance;
        run.OpenedInInstance = true;
        PagerBounds(pager);
    } else {
        const TRLSiteRun& pagerRun = run.ParentPager->Run();
        run.PrintBounds =
            TRect::FromSize(site->Left(), pagerRun.CursorY, site->Width(), site->Height());
    }
    TRLGraphicSurface& surface = *run.Surface;
    surface.Clear();
    surface.SetWidth(run.PrintBounds.Width());
    surface.SetHeight(run.PrintBounds.Height());
    surface.Open();
    run.Opened = true;
    if (!pager || !Enabled(site)) {
        return; // a band's controls draw after its surface is open
    }
    // Controls placed on the pager itself, outside its bands.
    for (const auto& [control, kind] : run.PlainControls) {
        RLPrintControl(control, kind, run.Context, surface);
    }
    {
        for (TRLBandType type : {btHeader, btTitle, btColumnHeader}) {
            if (!(run.PrintedTypes & BandTypeBit(type)) &&
                PrintBandsOfType(pager, type) == Printed::Breaking) {
                break;
            }
        }
        if (IsReport(site) && r_.OnPageStarting) {
            r_.OnPageStarting(&r_);
        }
    }
}

void TRLReportGenerator::Close(TRLCustomSite* site) {
    TRLSiteRun& run = site->Run();
    if (!run.Opened) {
        return;
    }
    TRLCustomPager* pager = run.AsPager;
    if (Enabled(site) && pager) {
        if (IsReport(site) && r_.OnPageEnding) {
            r_.OnPageEnding(&r_);
        }
        Printed stop = Printed::Nothing;
        if (!(run.PrintedTypes & BandTypeBit(btColumnFooter))) {
            stop = PrintBandsOfType(pager, btColumnFooter);
        }
        if (stop != Printed::Breaking && !(run.PrintedTypes & BandTypeBit(btFooter))) {
            PrintBandsOfType(pager, btFooter);
        }
    }
    if (pager) {
        PlacePager(pager);
    } else {
        PlaceBand(static_cast<TRLCustomBand*>(site));
    }
    run.Surface->Close();
    run.Opened = false;
    if (pager) {
        if (run.ParentPager) {
            run.ParentPager->Run().CursorY += run.PrintBounds.Height();
        }
        if (!(site->BoundsRect() == run.SavedBounds)) {
            const TRect& b = run.SavedBounds;
            site->SetBounds(b.Left, b.Top, b.Width(), b.Height());
        }
        if (IsReport(site)) {
            r_.pages_->AddPage(std::move(r_.pageSurface_));
            r_.pageSurface_.reset();
            ++r_.pagesStored_;
        }
    } else {
        auto* band = static_cast<TRLCustomBand*>(site);
        if (band->BandType() == btDetail && band->Computable()) {
            ++run.ParentPager->Run().BandCount;
        }
        if (band->PageBreaking() == pbAfterPrint) {
            r_.pendingBreak_ = true;
        }
    }
}

// A pager's page part goes into its parent: decorations first, then its
// objects shifted to where the part sits.
void TRLReportGenerator::PlacePager(TRLCustomPager* pager) {
    TRLSiteRun& run = pager->Run();
    run.CursorY += BottomInset(pager);
    if (!IsReport(pager)) {
        run.PrintBounds.Bottom = run.PrintBounds.Top + run.CursorY;
    }
    TRLGraphicSurface& target = ParentSurface(pager);
    if (Enabled(pager) && RLHasDecorations(pager)) {
        RLDrawSiteDecorations(pager, target, run.PrintBounds);
    }
    // The pager's surface is cleared when it opens again: its objects move.
    target.MoveFrom(run.PrintBounds.Left, run.PrintBounds.Top, *run.Surface);
}

void TRLReportGenerator::BreakPage(TRLCustomPager* pager, const TRLCustomControl* band, bool keep) {
    TRLSiteRun& run = pager->Run();
    const TRLCustomControl* saved = run.BreakingBand;
    run.BreakingBand = band;
    if (!keep) {
        Close(pager);
    }
    if (run.ParentPager) {
        BreakPage(run.ParentPager, band, false);
    }
    if (keep) {
        PagerBounds(pager);
    } else {
        Open(pager);
    }
    run.BreakingBand = saved;
}

// ---- Bands

Printed TRLReportGenerator::PrintBandsOfType(TRLCustomPager* pager, TRLBandType type) {
    TRLSiteRun& run = pager->Run();
    // A copy: handlers may not change the list, but a page break reads it too.
    const std::vector<TRLCustomBand*>& bands = run.SortedBands[type];
    if (bands.empty()) {
        return Printed::Nothing;
    }
    std::size_t i = 0;
    while (i < bands.size()) {
        std::size_t end = i + 1;
        if (bands[i]->GroupIndex() > 0) {
            while (end < bands.size() && bands[end]->GroupIndex() == bands[i]->GroupIndex()) {
                ++end;
            }
        }
        const int copies = bands[i]->CarbonCopies();
        for (int copy = 0; copy < copies; ++copy) {
            for (std::size_t k = i; k < end; ++k) {
                // A band half printed (its surface opening broke the page)
                // is placed on the new page; printing it again here would
                // raise its handlers twice and lose what the first call took.
                if (bands[k] == run.BreakingBand || bands[k]->Run().Drawing) {
                    return Printed::Breaking;
                }
                bands[k]->Run().CarbonCopy = copy;
                PrintBand(bands[k]);
            }
        }
        i = end;
    }
    run.PrintedTypes |= BandTypeBit(type);
    return Printed::Printed;
}

void TRLReportGenerator::PrintBand(TRLCustomBand* band) {
    TRLBoundsSnapshot bounds(band->Run().Descendants);
    if (!band->Visible()) {
        return;
    }
    TRLCustomPager* pager = band->Run().ParentPager;
    const TRLBandType type = band->BandType();
    band->Run().BrokeOnce = false;
    if (!(band->Options() & boOptimisticPageBreak) && type != btColumnFooter && type != btFooter &&
        !Fits(pager, band->Height())) {
        // The minimum height a band may be cut to is 0: a band that may be
        // cut waits for its placement unless the page is already overfull.
        if (band->IntegralHeight() || Limit(pager, 0) - pager->Run().CursorY < 0) {
            BreakPage(pager, band, false);
            band->Run().BrokeOnce = true;
        }
    }
    bool printIt = true;
    if (band->BeforePrint) {
        band->BeforePrint(band, printIt);
    }
    if (!printIt) {
        return;
    }
    band->AdjustBounds();
    band->Run().Drawing = true;
    DrawBand(band);
    band->Run().Drawing = false;
    if (band->AfterPrint) {
        band->AfterPrint(band);
    }
}

void TRLReportGenerator::DrawBand(TRLCustomBand* band) {
    TRLSiteRun& run = band->Run();
    const bool detail = band->BandType() == btDetail && band->Computable();
    if (detail && !run.ParentPager->Run().Completing) {
        for (TRLCustomPager* p = run.ParentPager; p; p = p->Run().ParentPager) {
            ++p->Run().DetailsPrinted;
        }
    }
    Open(band);
    for (const auto& [control, kind] : run.PlainControls) {
        RLPrintControl(control, kind, run.Context, *run.Surface);
    }
    Close(band);
    if (detail || band->BandType() == btSummary) {
        for (TRLCustomPager* p = run.ParentPager; p; p = p->Run().ParentPager) {
            p->Run().HasData = true;
        }
    }
}

void TRLReportGenerator::PlaceBand(TRLCustomBand* band) {
    TRLCustomPager* pager = band->Run().ParentPager;
    TRLSiteRun& prun = pager->Run();
    const TRLBandType type = band->BandType();
    // Page breaks the band asks for.
    if ((type == btDetail || type == btSummary) && !prun.Completing && r_.pendingBreak_) {
        r_.pendingBreak_ = false;
        BreakPage(pager, band, !Ready(pager));
    } else if (band->PageBreaking() == pbBeforePrint && r_.Run().HasData) {
        BreakPage(pager, band, !Ready(pager));
    } else if (type == btDetail && pager->MaxBands() > 0 &&
               prun.BandCount + 1 > pager->MaxBands() && !prun.Completing) {
        BreakPage(pager, band, !Ready(pager));
    }
    // Bottom alignment.
    auto alignTo = [&](int level) {
        if (prun.CursorY > Limit(pager, level)) {
            BreakPage(pager, band, false);
        }
        prun.CursorY = std::max(prun.CursorY, Limit(pager, level));
    };
    if (type == btColumnFooter && band->AlignToBottom()) {
        alignTo(2);
    } else if (type == btSummary && band->AlignToBottom()) {
        alignTo(1);
    } else if (type == btFooter && IsReport(pager)) {
        prun.CursorY = std::max(prun.CursorY, Limit(pager, 0));
    }
    PlaceSlices(band);
}

// Places the band's drawing at the pager's cursor, cut into slices across
// pages when it is allowed to split and does not fit.
void TRLReportGenerator::PlaceSlices(TRLCustomBand* band) {
    TRLSiteRun& run = band->Run();
    TRLCustomPager* pager = run.ParentPager;
    TRLSiteRun& prun = pager->Run();
    const TRLBandType type = band->BandType();
    const int height = band->Height();
    const int width = band->Width();
    TRLGraphicSurface& source = *run.Surface;
    source.SetHeight(height);
    const bool checked = type != btColumnFooter && type != btFooter;
    int offset = 0;
    int slice = 0;
    while (offset < height) {
        const int rest = height - offset;
        slice = rest;
        if (checked && !Fits(pager, rest)) {
            const int available = Limit(pager, 0) - prun.CursorY;
            bool split = false;
            if (!band->IntegralHeight() && available >= 0) {
                const TRLBreakPoint at = source.FindBreak(offset + available);
                if (at.Found && at.Y > offset) {
                    slice = at.Y - offset;
                    split = true;
                }
            }
            // On a page that was started for this band, a band that still
            // does not fit is placed anyway and runs past the bottom.
            if (!split && !run.BrokeOnce) {
                BreakPage(pager, band, false);
                run.BrokeOnce = true;
                continue;
            }
        }
        run.PrintBounds = TRect::FromSize(band->Left(), prun.CursorY, width, height);
        const TRect target = TRect::FromSize(band->Left(), prun.CursorY, width, slice);
        TRLGraphicSurface& into = *prun.Surface;
        if (RLHasDecorations(band)) {
            into.SetClipRect(target);
            RLDrawSiteDecorations(
                band, into, TRect::FromSize(band->Left(), prun.CursorY - offset, width, height));
            into.ResetClipRect();
        }
        if (offset == 0 && slice == height) {
            // Placed whole: the band's surface is cleared before it draws
            // again, so its objects can move instead of being copied.
            into.MoveArea(target, source, {0, 0, width, height});
        } else {
            into.CopyArea(target, source, {0, offset, width, offset + slice});
        }
        offset += slice;
        if (offset < height) {
            prun.CursorY += slice;
            BreakPage(pager, band, false);
            run.BrokeOnce = true;
        }
    }
    prun.CursorY += slice;
}

// ---- TRLCustomSite and TRLCustomReport entry points

TRLCustomSite::TRLCustomSite(QObject* parent) : TRLCustomControl(parent) {}

TRLCustomSite::~TRLCustomSite() = default;

TRLSiteRun& TRLCustomSite::Run() {
    if (!run_) {
        run_ = std::make_unique<TRLSiteRun>();
    }
    return *run_;
}

bool TRLCustomReport::Prepare() {
    TRLReportGenerator generator(*this);
    return generator.Run();
}

bool TRLCustomReport::Preview() {
    return Preview({});
}

bool TRLCustomReport::Preview(const std::function<void(TRLGraphicStorage*)>& previewControl) {
    if (ForcePrepare()) {
        pages_->Clear();
        state_ = rsIdle;
    }
    if (state_ != rsReady && !Prepare()) {
        return false;
    }
    if (previewControl) {
        previewControl(pages_);
        return true;
    }
    // Without a registered preview window the pages stay prepared.
    RLEngineServices::OpenPreview(pages_, PreviewOptions());
    return true;
}

bool TRLCustomReport::Print() {
    if (state_ != rsReady && !Prepare()) {
        return false;
    }
    return RLEngineServices::RunPrint(pages_, this);
}
