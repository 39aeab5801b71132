// Every report component: borders, colour and font inheritance, names,
// enclosing components, size adjustment and bounds snapshots.
#include "EngineMessages.h"
#include "RLReport.h"
#include "TextMetrics.h"

#include "DataSet.h"
#include "Exception.h"

namespace {

bool IsIdentifier(const QString& name) {
    if (name.isEmpty()) {
        return false;
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !(digit && i > 0)) {
            return false;
        }
    }
    return true;
}

TRLCustomControl* Root(TRLCustomControl* control) {
    while (TRLCustomControl* parent = control->ParentControl()) {
        control = parent;
    }
    return control;
}

void Descendants(TRLCustomControl* control, std::vector<TRLCustomControl*>& out) {
    out.push_back(control);
    for (TRLCustomControl* child : control->Controls()) {
        Descendants(child, out);
    }
}

template <class T> T* FindEnclosing(const TRLCustomControl* control) {
    for (QObject* p = control->parent(); p; p = p->parent()) {
        if (auto* found = dynamic_cast<T*>(p)) {
            return found;
        }
    }
    return nullptr;
}

// Width + 1 for each drawn side, the room borders take when sizing to content.
int BorderExtraWidth(const TRLBorders& b) {
    return (b.CanDrawLeft() ? b.Width() + 1 : 0) + (b.CanDrawRight() ? b.Width() + 1 : 0);
}

int BorderExtraHeight(const TRLBorders& b) {
    return (b.CanDrawTop() ? b.Width() + 1 : 0) + (b.CanDrawBottom() ? b.Width() + 1 : 0);
}

} // namespace

// ---- TRLBorders

void TRLBorders::SetSides(TRLBorderSides sides) {
    sides_ = sides;
    if (sides == sdAll) {
        std::fill(std::begin(draw_), std::end(draw_), true);
    } else if (sides == sdNone) {
        std::fill(std::begin(draw_), std::end(draw_), false);
        std::fill(std::begin(fixed_), std::end(fixed_), false);
    }
}

void TRLBorders::SetDraw(int side, bool value) {
    draw_[side] = value;
    if (!value) {
        fixed_[side] = false;
    }
    const bool all = draw_[0] && draw_[1] && draw_[2] && draw_[3];
    if (!(all && sides_ == sdAll)) {
        sides_ = sdCustom;
    }
}

void TRLBorders::SetFixed(int side, bool value) {
    if (value) {
        SetDraw(side, true);
    }
    fixed_[side] = value;
}

void TRLBorders::SetWidth(int width) {
    if (width >= 0) {
        width_ = width;
    }
}

bool TRLBorders::CanDraw(int side) const {
    if (!draw_[side]) {
        return false;
    }
    if (fixed_[side]) {
        return true;
    }
    const TRLCustomReport* report = nullptr;
    if (owner_) {
        report = owner_->IsReport() ? static_cast<const TRLCustomReport*>(owner_)
                                    : owner_->FindParentReport();
    }
    return !report || report->PrintQuality() == pqFullFeature;
}

// ---- TRLCustomControl

TRLCustomControl::TRLCustomControl(QObject* parent) : QObject(parent) {}

TRLCustomControl::~TRLCustomControl() = default;

TRLCustomControl* TRLCustomControl::ParentControl() const {
    // Colours and fonts are looked up through the parents many times per
    // printed control; the cast is redone only when the parent changed.
    QObject* p = parent();
    if (p != parentObject_) {
        parentObject_ = p;
        parentControl_ = dynamic_cast<TRLCustomControl*>(p);
    }
    return parentControl_;
}

void TRLCustomControl::SetParentControl(TRLCustomControl* parent) {
    setParent(parent);
}

std::vector<TRLCustomControl*> TRLCustomControl::Controls() const {
    std::vector<TRLCustomControl*> list;
    for (QObject* child : children()) {
        if (auto* control = dynamic_cast<TRLCustomControl*>(child)) {
            list.push_back(control);
        }
    }
    return list;
}

void TRLCustomControl::SetBounds(int left, int top, int width, int height) {
    const TRect old = bounds_;
    bounds_ = TRect::FromSize(left, top, width, height);
    if (!(old == bounds_)) {
        BoundsChanged(old);
    }
}

void TRLCustomControl::BoundsChanged(const TRect&) {}

void TRLCustomControl::SetAlign(TRLControlAlign align) {
    align_ = align;
    if (auto* site = dynamic_cast<TRLCustomSite*>(ParentControl()); site && !Loading()) {
        site->AlignControls();
    }
}

TRLColor TRLCustomControl::Color() const {
    if (parentColor_) {
        if (const TRLCustomControl* parent = ParentControl()) {
            return parent->Color();
        }
    }
    return color_;
}

void TRLCustomControl::SetColor(TRLColor color) {
    color_ = color;
    parentColor_ = false;
    // A colour chosen at run time is meant to be seen.
    if (!Loading() && !(color == clWhite)) {
        transparent_ = false;
    }
}

void TRLCustomControl::SetTransparent(bool value) {
    transparent_ = value;
    if (value) {
        parentColor_ = true;
    }
}

const TRLFont& TRLCustomControl::Font() const {
    if (parentFont_) {
        if (const TRLCustomControl* parent = ParentControl()) {
            return parent->Font();
        }
    }
    return font_;
}

void TRLCustomControl::SetFont(const TRLFont& font) {
    font_ = font;
    parentFont_ = false;
}

void TRLCustomControl::SetFriendlyName(const QString& name) {
    if (!name.isEmpty()) {
        const QString quoted = QLatin1String(" \"") + name + QLatin1Char('"');
        if (!IsIdentifier(name)) {
            throw Exception(Messages().InvalidName + quoted);
        }
        std::vector<TRLCustomControl*> all;
        Descendants(Root(this), all);
        for (const TRLCustomControl* other : all) {
            if (other != this && other->FriendlyName().compare(name, Qt::CaseInsensitive) == 0) {
                throw Exception(Messages().NameInUse + quoted);
            }
        }
    }
    friendlyName_ = name;
}

void TRLCustomControl::BeginLoad() {
    ++loadCount_;
}

namespace {
void AlignTree(TRLCustomControl* control) {
    if (auto* site = dynamic_cast<TRLCustomSite*>(control)) {
        site->AlignControls();
    }
    for (TRLCustomControl* child : control->Controls()) {
        AlignTree(child);
    }
}
} // namespace

void TRLCustomControl::EndLoad() {
    if (loadCount_ > 0 && --loadCount_ == 0 && !Loading()) {
        AlignTree(this);
    }
}

bool TRLCustomControl::Loading() const {
    for (const TRLCustomControl* c = this; c; c = c->ParentControl()) {
        if (c->loadCount_ > 0) {
            return true;
        }
    }
    return false;
}

TRLCustomReport* TRLCustomControl::FindParentReport() const {
    // Through the cached parent controls first; casts only beyond them.
    const TRLCustomControl* last = this;
    for (TRLCustomControl* p = ParentControl(); p; p = p->ParentControl()) {
        if (p->IsReport()) {
            return static_cast<TRLCustomReport*>(p);
        }
        last = p;
    }
    return FindEnclosing<TRLCustomReport>(last);
}

TRLCustomSite* TRLCustomControl::FindParentSite() const {
    return FindEnclosing<TRLCustomSite>(this);
}

TRLCustomBand* TRLCustomControl::FindParentBand() const {
    return FindEnclosing<TRLCustomBand>(this);
}

TRLCustomPager* TRLCustomControl::FindParentPager() const {
    return FindEnclosing<TRLCustomPager>(this);
}

TRLCustomSkipper* TRLCustomControl::FindParentSkipper() const {
    return FindEnclosing<TRLCustomSkipper>(this);
}

QString TRLCustomControl::NotFoundText(const QString& what) const {
    return Messages().NotFound + QLatin1String(": ") + Name() + what;
}

TRLCustomReport* TRLCustomControl::RequireParentReport() const {
    if (auto* found = FindParentReport()) {
        return found;
    }
    throw Exception(NotFoundText(QStringLiteral(".ParentReport")));
}

TRLCustomPager* TRLCustomControl::RequireParentPager() const {
    if (auto* found = FindParentPager()) {
        return found;
    }
    throw Exception(NotFoundText(QStringLiteral(".ParentPager")));
}

TRLCustomSkipper* TRLCustomControl::RequireParentSkipper() const {
    if (auto* found = FindParentSkipper()) {
        return found;
    }
    throw Exception(NotFoundText(QStringLiteral(".ParentSkipper")));
}

TRLCustomSite* TRLCustomControl::RequireParentSurface() const {
    if (auto* found = FindParentSite()) {
        return found;
    }
    throw Exception(NotFoundText(QStringLiteral(".ParentSurface")));
}

TField* TRLCustomControl::RequireField(TDataSet* dataSet, const QString& fieldName) const {
    if (TField* field = dataSet ? dataSet->FindField(fieldName) : nullptr) {
        return field;
    }
    throw Exception(NotFoundText(QLatin1String(".DataField \"") + fieldName + QLatin1Char('"')));
}

void TRLCustomControl::CalcSize(int&, int&) const {}

TRect TRLCustomControl::ClientRect() const {
    return {borders_.LeftInset(), borders_.TopInset(), Width() - borders_.RightInset(),
            Height() - borders_.BottomInset()};
}

void TRLCustomControl::AdjustBounds() {
    if (OnMeasureHeight) {
        OnMeasureHeight(this);
    }
    int width = Width();
    int height = Height();
    CalcSize(width, height);
    if (width == Width() && height == Height() && !AutoSize()) {
        return;
    }
    int left = Left();
    int top = Top();
    if (Alignment() == taRightJustify) {
        left = Left() + Width() - width;
    } else if (Alignment() == taCenter) {
        width += width % 2;
        left = Left() + (Width() - width) / 2;
    }
    if (Layout() == tlBottom) {
        top = Top() + Height() - height;
    } else if (Layout() == tlCenter) {
        height += height % 2;
        top = Top() + (Height() - height) / 2;
    }
    const int grown = height - Height();
    SetBounds(left, top, width, height);
    if (grown != 0 && (Behavior() & beSiteExpander) != 0) {
        TRLCustomBand* band = FindParentBand();
        if (band && band->AutoExpand()) {
            band->SetHeight(band->Height() + grown);
        }
    }
}

// ---- TRLBoundsSnapshot

TRLBoundsSnapshot::TRLBoundsSnapshot(TRLCustomControl* root) {
    std::vector<TRLCustomControl*> all;
    Descendants(root, all);
    saved_.reserve(all.size());
    for (TRLCustomControl* c : all) {
        saved_.emplace_back(c, c->BoundsRect());
    }
}

TRLBoundsSnapshot::TRLBoundsSnapshot(const std::vector<TRLCustomControl*>& controls) {
    saved_.reserve(controls.size());
    for (TRLCustomControl* c : controls) {
        saved_.emplace_back(c, c->BoundsRect());
    }
}

TRLBoundsSnapshot::~TRLBoundsSnapshot() {
    for (auto& [control, bounds] : saved_) {
        if (control) {
            control->SetBoundsQuiet(bounds);
        }
    }
}

// ---- printable controls

TRLCustomLabel::TRLCustomLabel(QObject* parent) : TRLCustomControl(parent) {
    SetBounds(0, 0, 65, 17);
    SetAutoSize(true);
}

void TRLCustomLabel::CalcSize(int& width, int& height) const {
    if (!AutoSize()) {
        return;
    }
    const TRLFont font = Font();
    width = TextMetrics::TextWidthWithSpace(font, Caption()) + BorderExtraWidth(*Borders());
    height = TextMetrics::TextHeight(font) + BorderExtraHeight(*Borders());
}

void TRLCustomDBText::SetDataField(const QString& field) {
    dataField_ = field;
    if (!field.isEmpty()) {
        dataFormula_.clear();
    }
}

void TRLCustomDBText::SetDataFormula(const QString& formula) {
    dataFormula_ = formula;
    if (!formula.isEmpty()) {
        dataField_.clear();
    }
}

TRLCustomMultiLine::TRLCustomMultiLine(QObject* parent) : TRLCustomControl(parent) {
    SetBounds(0, 0, 185, 89);
    SetAutoSize(true);
    SetBehavior(beSiteExpander);
}

void TRLCustomDBMemo::SetDataField(const QString& field) {
    dataField_ = field;
    if (!field.isEmpty()) {
        dataFormula_.clear();
    }
}

void TRLCustomDBMemo::SetDataFormula(const QString& formula) {
    dataFormula_ = formula;
    if (!formula.isEmpty()) {
        dataField_.clear();
    }
}

TRLCustomImage::TRLCustomImage(QObject* parent) : TRLCustomControl(parent) {
    SetBounds(0, 0, 105, 105);
}

void TRLCustomImage::SetStretch(bool value) {
    stretch_ = value;
    if (value) {
        scaled_ = false;
    }
}

void TRLCustomImage::SetScaled(bool value) {
    scaled_ = value;
    if (value) {
        stretch_ = false;
    }
}

void TRLCustomImage::CalcSize(int& width, int& height) const {
    if (!AutoSize() || Picture().isNull()) {
        return;
    }
    width = Picture().width() + BorderExtraWidth(*Borders());
    height = Picture().height() + BorderExtraHeight(*Borders());
}
