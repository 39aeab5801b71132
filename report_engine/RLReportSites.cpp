// Containers: client rectangles, alignment of children, bands, pagers,
// groups, the report and its page setup.
#include "RLReport.h"

#include <algorithm>

namespace {

// Where a band or pager sits among its siblings for layout.
int LayoutRank(const TRLCustomControl* c) {
    if (const auto* band = dynamic_cast<const TRLCustomBand*>(c)) {
        switch (band->BandType()) {
        case btHeader:
            return 0;
        case btTitle:
            return 1;
        case btColumnHeader:
            return 2;
        case btDetail:
            return 4;
        case btColumnFooter:
            return 5;
        case btSummary:
            return 6;
        case btFooter:
            return 7;
        }
    }
    return 3; // groups and other pagers sit between column headers and details
}

int GroupIndexOf(const TRLCustomControl* c) {
    const auto* band = dynamic_cast<const TRLCustomBand*>(c);
    return band ? band->GroupIndex() : 0;
}

void PlaceChild(TRLCustomControl* child, TRect& free) {
    const int w = child->Width();
    const int h = child->Height();
    switch (child->Align()) {
    case faTop:
    case faClientTop:
        child->SetBounds(free.Left, free.Top, free.Width(), h);
        free.Top += h;
        break;
    case faBottom:
    case faClientBottom:
        child->SetBounds(free.Left, free.Bottom - h, free.Width(), h);
        free.Bottom -= h;
        break;
    case faLeft:
    case faLeftMost:
    case faLeftTop:
    case faLeftBottom:
    case faClientLeft:
        child->SetBounds(free.Left, free.Top, w, free.Height());
        free.Left += w;
        break;
    case faRight:
    case faRightMost:
    case faRightTop:
    case faRightBottom:
    case faClientRight:
        child->SetBounds(free.Right - w, free.Top, w, free.Height());
        free.Right -= w;
        break;
    case faClient:
        child->SetBounds(free.Left, free.Top, free.Width(), free.Height());
        break;
    case faCenter:
        child->SetBounds(free.Left + (free.Width() - w) / 2, free.Top + (free.Height() - h) / 2, w,
                         h);
        break;
    case faCenterTop:
        child->SetBounds(free.Left + (free.Width() - w) / 2, free.Top, w, h);
        break;
    case faCenterBottom:
        child->SetBounds(free.Left + (free.Width() - w) / 2, free.Bottom - h, w, h);
        break;
    case faCenterLeft:
        child->SetBounds(free.Left, free.Top + (free.Height() - h) / 2, w, h);
        break;
    case faCenterRight:
        child->SetBounds(free.Right - w, free.Top + (free.Height() - h) / 2, w, h);
        break;
    case faWidth:
        child->SetBounds(free.Left, child->Top(), free.Width(), h);
        break;
    case faHeight:
        child->SetBounds(child->Left(), free.Top, w, free.Height());
        break;
    case faLeftOnly:
        child->SetLeft(free.Left);
        break;
    case faRightOnly:
        child->SetLeft(free.Right - w);
        break;
    case faTopOnly:
        child->SetTop(free.Top);
        break;
    case faBottomOnly:
        child->SetTop(free.Bottom - h);
        break;
    case faNone:
        break;
    }
}

} // namespace

// ---- TRLCustomSite

TRect TRLCustomSite::SiteClientRect() const {
    const TRLBorders& b = *Borders();
    return {margins_.LeftPixels() + b.LeftInset() + insideMargins_.LeftPixels(),
            margins_.TopPixels() + b.TopInset() + insideMargins_.TopPixels(),
            Width() - margins_.RightPixels() - b.RightInset() - insideMargins_.RightPixels(),
            Height() - margins_.BottomPixels() - b.BottomInset() - insideMargins_.BottomPixels()};
}

std::vector<TRLCustomControl*> TRLCustomSite::AlignOrder() const {
    return Controls();
}

void TRLCustomSite::AlignControls() {
    TRect free = SiteClientRect();
    for (TRLCustomControl* child : AlignOrder()) {
        PlaceChild(child, free);
    }
}

void TRLCustomSite::BoundsChanged(const TRect& old) {
    if ((old.Width() != Width() || old.Height() != Height()) && !Loading()) {
        AlignControls();
    }
}

TRLCustomBandSet::TRLCustomBandSet(QObject* parent) : TRLCustomSite(parent) {
    SetAlign(faTop);
}

// ---- TRLCustomBand

TRLCustomBand::TRLCustomBand(QObject* parent) : TRLCustomBandSet(parent) {
    SetBounds(0, 0, 185, 16);
}

void TRLCustomBand::SetCarbonCopies(int copies) {
    carbonCopies_ = std::max(1, copies);
    if (groupIndex_ <= 0 || !ParentControl()) {
        return;
    }
    for (TRLCustomControl* sibling : ParentControl()->Controls()) {
        auto* band = dynamic_cast<TRLCustomBand*>(sibling);
        if (band && band != this && band->groupIndex_ == groupIndex_) {
            band->carbonCopies_ = carbonCopies_;
        }
    }
}

void TRLCustomBand::SetGroupIndex(int index) {
    groupIndex_ = std::max(0, index);
    if (groupIndex_ <= 0 || !ParentControl()) {
        return;
    }
    for (TRLCustomControl* sibling : ParentControl()->Controls()) {
        auto* band = dynamic_cast<TRLCustomBand*>(sibling);
        if (band && band != this && band->groupIndex_ == groupIndex_) {
            carbonCopies_ = band->carbonCopies_; // join the block's copy count
            return;
        }
    }
}

// ---- TRLCustomPager

TRLCustomPager::TRLCustomPager(QObject* parent) : TRLCustomBandSet(parent) {}

std::vector<TRLCustomBand*> TRLCustomPager::BandsOfType(TRLBandType type) const {
    std::vector<TRLCustomBand*> bands;
    for (TRLCustomControl* child : Controls()) {
        auto* band = dynamic_cast<TRLCustomBand*>(child);
        if (band && band->BandType() == type) {
            bands.push_back(band);
        }
    }
    std::stable_sort(
        bands.begin(), bands.end(),
        [](const TRLCustomBand* a, const TRLCustomBand* b) { return a->Top() < b->Top(); });
    return bands;
}

std::vector<TRLCustomControl*> TRLCustomPager::AlignOrder() const {
    std::vector<TRLCustomControl*> plain;
    std::vector<TRLCustomControl*> bands;
    for (TRLCustomControl* child : Controls()) {
        if (dynamic_cast<TRLCustomBandSet*>(child)) {
            bands.push_back(child);
        } else {
            plain.push_back(child);
        }
    }
    std::stable_sort(bands.begin(), bands.end(),
                     [](const TRLCustomControl* a, const TRLCustomControl* b) {
                         const int ra = LayoutRank(a);
                         const int rb = LayoutRank(b);
                         if (ra != rb) {
                             return ra < rb;
                         }
                         if (GroupIndexOf(a) != GroupIndexOf(b)) {
                             return GroupIndexOf(a) < GroupIndexOf(b);
                         }
                         return a->Top() < b->Top();
                     });
    plain.insert(plain.end(), bands.begin(), bands.end());
    return plain;
}

// ---- TRLCustomGroup

TRLCustomGroup::TRLCustomGroup(QObject* parent) : TRLCustomPager(parent) {
    SetBounds(0, 0, 185, 64);
}

void TRLCustomGroup::SetDataFields(const QString& fields) {
    dataFields_ = fields;
    if (!fields.isEmpty()) {
        dataFormula_.clear();
    }
}

void TRLCustomGroup::SetDataFormula(const QString& formula) {
    dataFormula_ = formula;
    if (!formula.isEmpty()) {
        dataFields_.clear();
    }
}

QStringList TRLCustomGroup::FieldNames() const {
    return dataFields_.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// ---- TRLCustomReport

TRLCustomReport::TRLCustomReport(QObject* owner)
    : TRLCustomSkipper(owner), pages_(new TRLGraphicStorage) {
    pages_->Link(this);
    SetColor(clWhite);
    SetTransparent(true);
    SetFont(TRLFont{});
    Margins().SetAll(10);
    SetPrintEmpty(true);
    PageSetupChanged();
}

TRLCustomReport::~TRLCustomReport() {
    pages_->Unlink(this); // a preview still linked keeps the pages alive
}

void TRLCustomReport::SetTransparent(bool value) {
    TRLCustomControl::SetTransparent(value);
    if (value) {
        SetColor(clWhite); // a report's paper stays white
    }
}

void TRLCustomReport::PageSetupChanged() {
    SetBounds(Left(), Top(), MMToPixels(pageSetup_.OrientedWidth()),
              MMToPixels(pageSetup_.OrientedHeight()));
}

// ---- TRLPageSetup

void TRLPageSetup::SetPaperSize(TRLPaperSize size) {
    paperSize_ = size;
    if (size != fpCustom) {
        paperWidth_ = PaperInfo(size).Width;
        paperHeight_ = PaperInfo(size).Height;
    }
    Changed();
}

void TRLPageSetup::SetOrientation(TRLPageOrientation orientation) {
    orientation_ = orientation;
    Changed();
}

void TRLPageSetup::SetPaperWidth(double mm) {
    if (paperSize_ == fpCustom && mm > 0) {
        paperWidth_ = mm;
        Changed();
    }
}

void TRLPageSetup::SetPaperHeight(double mm) {
    if (paperSize_ == fpCustom && mm > 0) {
        paperHeight_ = mm;
        Changed();
    }
}

double TRLPageSetup::OrientedWidth() const {
    return orientation_ == poPortrait ? paperWidth_ : paperHeight_;
}

double TRLPageSetup::OrientedHeight() const {
    return orientation_ == poPortrait ? paperHeight_ : paperWidth_;
}

void TRLPageSetup::Changed() {
    if (owner_) {
        owner_->PageSetupChanged();
    }
}
