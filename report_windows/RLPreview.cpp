#include "RLPreview.h"

#include "EngineMessages.h"
#include "RLMetaFile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace {

// Room kept around a search hit brought into view: its outline and a margin.
constexpr int kFoundRoom = 12;

// How far to scroll along one axis so that [low, high] of the view's
// coordinates is inside [0, extent): no move when it already is; the start
// wins when it does not fit whole.
int ScrollIntoView(int low, int high, int extent) {
    if (low < 0) {
        return low;
    }
    if (high >= extent) {
        return std::min(low, high - extent + 1);
    }
    return 0;
}

const QColor kFrame(0xC0, 0xC0, 0xC0);
const QColor kShadow(0x80, 0x80, 0x80);
constexpr int kShadowWidth = 5;
constexpr int kMinZoom = 10;
constexpr int kZoomStep = 10;

QSize PageSizeOf(const TRLGraphicSurface* page, const TRLGraphicStorage* pages) {
    if (page != nullptr) {
        return {page->Width(), page->Height()};
    }
    return pages != nullptr ? QSize(pages->PageWidth(), pages->PageHeight()) : QSize();
}

// Lays out one axis: the boxes centred when they fit, else scrolled.
int PlaceAxis(QScrollBar* bar, int total, int view) {
    if (total < view) {
        bar->setRange(0, 0);
        return (view - total) / 2;
    }
    bar->setRange(0, total - view);
    bar->setPageStep(view);
    return -bar->value();
}

} // namespace

void PaintPreviewBox(QPainter& painter, const QRect& box, const TRLGraphicSurface* page,
                     bool selectedView) {
    const QRect area(box.left(), box.top(), box.width() - PreviewBoxMargin,
                     box.height() - PreviewBoxMargin);
    if (page == nullptr) {
        painter.fillRect(box, kShadow);
        painter.setPen(Qt::black);
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomLeft());
        return;
    }
    painter.fillRect(area, Qt::white);
    painter.setPen(selectedView ? QColor(Qt::black) : kFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    const QRect inner = area.adjusted(1, 1, -1, -1);
    painter.save();
    page->PaintTo(painter, {inner.left(), inner.top(), inner.right() + 1, inner.bottom() + 1});
    painter.restore();
    const int right = area.right() + 1;
    const int bottom = area.bottom() + 1;
    painter.fillRect(QRect(right, area.top() + kShadowWidth, kShadowWidth, area.height()), kShadow);
    painter.fillRect(
        QRect(area.left() + kShadowWidth, bottom, area.width() - kShadowWidth, kShadowWidth),
        kShadow);
}

// ---------------------------------------------------------------- TRLPreviewBox

TRLPreviewBox::TRLPreviewBox(TRLPreview* preview, int position)
    : QWidget(preview->viewport()), preview_(preview), position_(position) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click gives the box the focus, so its Ctrl+C copies this page
    // whether or not the right-click menu is open.
    setFocusPolicy(Qt::ClickFocus);
    menu_ = new QMenu(this);
    QAction* copy = menu_->addAction(Messages().Copy);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copy->setShortcutContext(Qt::WidgetShortcut);
    addAction(copy);
    connect(copy, &QAction::triggered, this, [this] { CopyPage(); });
}

int TRLPreviewBox::PageIndex() const {
    return preview_->PageIndex() + position_;
}

std::shared_ptr<TRLGraphicSurface> TRLPreviewBox::Page() const {
    TRLGraphicStorage* pages = preview_->Pages();
    return pages != nullptr ? pages->GetPage(PageIndex()) : nullptr;
}

QRect TRLPreviewBox::PageRect() const {
    return {1, 1, width() - PreviewBoxMargin - 2, height() - PreviewBoxMargin - 2};
}

QRect TRLPreviewBox::ToBox(const QRect& pageRect, int left, int top, int right, int bottom) const {
    const auto page = Page();
    const double sx = page && page->Width() != 0 ? double(pageRect.width()) / page->Width() : 1.0;
    const double sy =
        page && page->Height() != 0 ? double(pageRect.height()) / page->Height() : 1.0;
    // Cut as painting cuts: a page from a file may be far smaller than the
    // rectangle it is shown in, and its far positions scale beyond an int.
    const auto at = [](int origin, double scaled) {
        return ClampCoordinate(static_cast<long long>(origin) + RoundHalfEven(scaled));
    };
    const int l = at(pageRect.left(), left * sx);
    const int t = at(pageRect.top(), top * sy);
    const int r = at(pageRect.left(), right * sx);
    const int b = at(pageRect.top(), bottom * sy);
    return {l, t, std::max(1, r - l), std::max(1, b - t)};
}

void TRLPreviewBox::SetSelectedObject(int index) {
    if (selected_ != index) {
        selected_ = index;
        update();
    }
}

int TRLPreviewBox::ObjectAt(QPoint point) const {
    const auto page = Page();
    if (!page) {
        return -1;
    }
    const QRect area = PageRect();
    const int zoom = std::max(1, preview_->ZoomPercent());
    const TPoint at{(point.x() - area.left()) * 100 / zoom, (point.y() - area.top()) * 100 / zoom};
    int best = -1;
    long long bestArea = LLONG_MAX;
    for (int i = 0; i < page->ObjectCount(); ++i) {
        const TRect& r = page->Objects(i)->BoundsRect;
        const long long size = static_cast<long long>(r.Width()) * r.Height();
        if (r.Contains(at) && size < bestArea) {
            best = i;
            bestArea = size;
        }
    }
    return best;
}

void TRLPreviewBox::CopyPage() {
    const auto page = Page();
    if (!page) {
        return;
    }
    QImage image(std::max(1, page->Width()), std::max(1, page->Height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        page->PaintTo(painter, {0, 0, image.width(), image.height()});
    }
    QApplication::clipboard()->setImage(image);
}

void TRLPreviewBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    const auto page = Page();
    PaintPreviewBox(painter, rect(), page.get(), preview_->SelectedView());
    if (page) {
        PaintSelection(painter, *page);
        PaintFound(painter, *page);
    }
}

void TRLPreviewBox::PaintSelection(QPainter& painter, const TRLGraphicSurface& page) {
    if (selected_ < 0 || selected_ >= page.ObjectCount()) {
        return;
    }
    const int group = page.Objects(selected_)->DrawGroup;
    std::vector<QRect> boxes;
    for (int i = 0; i < page.ObjectCount(); ++i) {
        const TRLGraphicObject* o = page.Objects(i);
        if (i == selected_ || (group != 0 && o->DrawGroup == group)) {
            const TRect& r = o->BoundsRect;
            boxes.push_back(ToBox(PageRect(), r.Left, r.Top, r.Right, r.Bottom));
        }
    }
    const QColor fill = boxes.size() == 1 ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0);
    painter.setPen(Qt::black);
    for (const QRect& r : boxes) {
        const int xs[] = {r.left(), r.center().x(), r.right()};
        const int ys[] = {r.top(), r.center().y(), r.bottom()};
        for (int ix = 0; ix < 3; ++ix) {
            for (int iy = 0; iy < 3; ++iy) {
                if (ix == 1 && iy == 1) {
                    continue;
                }
                const QRect handle(xs[ix] - 2, ys[iy] - 2, 5, 5);
                painter.fillRect(handle, fill);
                painter.drawRect(handle.adjusted(0, 0, -1, -1));
            }
        }
    }
}

void TRLPreviewBox::PaintFound(QPainter& painter, const TRLGraphicSurface& page) {
    if (preview_->FoundPage() != PageIndex() || preview_->FoundObject() < 0 ||
        preview_->FoundObject() >= page.ObjectCount()) {
        return;
    }
    const TRect& r = page.Objects(preview_->FoundObject())->BoundsRect;
    const QRect box = ToBox(PageRect(), r.Left, r.Top, r.Right, r.Bottom).adjusted(-3, -3, 3, 3);
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    painter.restore();
}

void TRLPreviewBox::mousePressEvent(QMouseEvent* event) {
    preview_->Activated();
    if (event->button() == Qt::LeftButton && preview_->EditMode()) {
        for (TRLPreviewBox* other : preview_->boxes_) {
            if (other != this) {
                other->SetSelectedObject(-1);
            }
        }
        SetSelectedObject(ObjectAt(event->pos()));
    }
    QWidget::mousePressEvent(event);
}

void TRLPreviewBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int index = PageIndex();
    if (preview_->MultiplePages()) {
        preview_->ZoomPageWidthFit();
    } else {
        preview_->ZoomMultiplePagesFit();
    }
    preview_->GotoPageIndex(index);
}

void TRLPreviewBox::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
}

// ------------------------------------------------------------------ TRLPreview

TRLPreview::TRLPreview(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(10);
    verticalScrollBar()->setSingleStep(10);
    for (int i = 0; i < 3; ++i) {
        boxes_[static_cast<std::size_t>(i)] = new TRLPreviewBox(this, i);
        boxes_[static_cast<std::size_t>(i)]->hide();
    }
}

TRLPreview::~TRLPreview() {
    if (pages_ != nullptr) {
        TRLGraphicStorage* pages = pages_;
        pages_ = nullptr;
        pages->Unlink(this);
    }
}

void TRLPreview::SetPages(TRLGraphicStorage* pages) {
    if (pages == pages_) {
        return;
    }
    if (pages != nullptr) {
        pages->LinkObject(this); // first, in case the old one is the new one's owner
    }
    TRLGraphicStorage* old = pages_;
    pages_ = pages;
    if (old != nullptr) {
        old->Unlink(this);
    }
    pageIndex_ = -1;
    foundPage_ = foundObject_ = -1;
    ClearSelection();
    if (pages_ == nullptr || PageCount() == 0) {
        Relayout();
        return;
    }
    FirstPage();
}

int TRLPreview::PageCount() const {
    return pages_ != nullptr ? pages_->PageCount() : 0;
}

int TRLPreview::FirstPageNumber() const {
    return pages_ != nullptr ? pages_->FirstPageNumber() : 0;
}

int TRLPreview::LastPageNumber() const {
    if (pages_ == nullptr) {
        return 0;
    }
    const int last = pages_->LastPageNumber();
    // A storage saved without its page numbers still pages through all.
    return last >= FirstPageNumber() && last > 0 ? last : FirstPageNumber() + PageCount() - 1;
}

int TRLPreview::PageNumber() const {
    return pageIndex_ + FirstPageNumber();
}

void TRLPreview::GotoPageIndex(int index) {
    if (pages_ == nullptr || index < 0 || index >= PageCount() || index == pageIndex_) {
        return;
    }
    pageIndex_ = index;
    ClearSelection();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    Relayout();
}

void TRLPreview::GotoPageNumber(int number) {
    GotoPageIndex(number - FirstPageNumber());
}

void TRLPreview::FirstPage() {
    GotoPageNumber(FirstPageNumber());
}

void TRLPreview::PriorPage() {
    GotoPageNumber(std::max(FirstPageNumber(), PageNumber() - boxCount_));
}

void TRLPreview::NextPage() {
    GotoPageNumber(std::min(LastPageNumber(), PageNumber() + boxCount_));
}

void TRLPreview::LastPage() {
    GotoPageNumber(std::max(FirstPageNumber(), LastPageNumber() - boxCount_ + 1));
}

void TRLPreview::SetZoomPercent(int percent) {
    if (percent < kMinZoom || percent == zoom_) {
        return;
    }
    zoom_ = percent;
    Relayout();
}

void TRLPreview::ApplyZoom(int zoom) {
    switch (zoom) {
    case ZoomPageWidth:
        ZoomPageWidthFit();
        break;
    case ZoomEntirePage:
        ZoomEntirePageFit();
        break;
    case ZoomMultiplePages:
        ZoomMultiplePagesFit();
        break;
    default:
        SetBoxCount(1);
        SetZoomPercent(zoom);
        Relayout();
        break;
    }
}

int TRLPreview::FitWidthZoom(int pageWidth) const {
    return pageWidth > 0 ? RoundHalfEven((viewport()->width() * 100.0 - 700.0) / pageWidth) : 0;
}

int TRLPreview::FitHeightZoom(int pageHeight) const {
    return pageHeight > 0 ? RoundHalfEven((viewport()->height() * 100.0 - 700.0) / pageHeight) : 0;
}

void TRLPreview::ZoomPageWidthFit() {
    SetBoxCount(1);
    const auto page = pages_ != nullptr ? pages_->GetPage(std::max(0, pageIndex_)) : nullptr;
    SetZoomPercent(FitWidthZoom(PageSizeOf(page.get(), pages_).width()));
    Relayout();
}

void TRLPreview::ZoomEntirePageFit() {
    SetBoxCount(1);
    const auto page = pages_ != nullptr ? pages_->GetPage(std::max(0, pageIndex_)) : nullptr;
    const QSize size = PageSizeOf(page.get(), pages_);
    SetZoomPercent(std::min(FitWidthZoom(size.width()), FitHeightZoom(size.height())));
    Relayout();
}

void TRLPreview::ZoomMultiplePagesFit() {
    SetBoxCount(3);
    const auto page = pages_ != nullptr ? pages_->GetPage(std::max(0, pageIndex_)) : nullptr;
    const QSize size = PageSizeOf(page.get(), pages_);
    const int byWidth =
        size.width() > 0 ? RoundHalfEven((viewport()->width() - 7.0) / 3.0 * 100.0 / size.width())
                         : 0;
    SetZoomPercent(std::min(byWidth, FitHeightZoom(size.height())));
    Relayout();
}

void TRLPreview::ZoomUp() {
    SetZoomPercent(zoom_ + kZoomStep);
}

void TRLPreview::ZoomDown() {
    SetZoomPercent(std::max(kMinZoom, zoom_ - kZoomStep));
}

void TRLPreview::SetBoxCount(int count) {
    boxCount_ = count;
}

void TRLPreview::SetEditMode(bool on) {
    editMode_ = on;
    if (!on) {
        ClearSelection();
    }
}

void TRLPreview::SetSelectedView(bool selected) {
    if (selectedView_ != selected) {
        selectedView_ = selected;
        for (TRLPreviewBox* box : boxes_) {
            box->update();
        }
    }
}

void TRLPreview::ClearSelection() {
    for (TRLPreviewBox* box : boxes_) {
        box->SetSelectedObject(-1);
    }
}

bool TRLPreview::FindText(const QString& text, bool /*wholeWords*/, bool matchCase, bool down) {
    if (pages_ == nullptr || pageIndex_ < 0) {
        return false;
    }
    const QString needle = matchCase ? text : text.toUpper();
    const int step = down ? 1 : -1;
    for (int page = pageIndex_; page >= 0 && page < PageCount(); page += step) {
        const auto surface = pages_->GetPage(page);
        if (!surface) {
            continue;
        }
        const int count = surface->ObjectCount();
        int object = page == foundPage_ ? foundObject_ + step : (down ? 0 : count - 1);
        for (; object >= 0 && object < count; object += step) {
            const auto* t = dynamic_cast<const TRLTextObject*>(surface->Objects(object));
            if (t != nullptr && (matchCase ? t->Text : t->Text.toUpper()).contains(needle)) {
                foundPage_ = page;
                foundObject_ = object;
                GotoPageIndex(page);
                ShowFound();
                for (TRLPreviewBox* box : boxes_) {
                    box->update();
                }
                return true;
            }
        }
    }
    return false;
}

void TRLPreview::ShowFound() {
    const int position = foundPage_ - pageIndex_;
    if (position < 0 || position >= static_cast<int>(boxes_.size())) {
        return;
    }
    const TRLPreviewBox* box = boxes_[static_cast<std::size_t>(position)];
    const auto page = box->Page();
    if (!page || foundObject_ < 0 || foundObject_ >= page->ObjectCount()) {
        return;
    }
    // The hit with its outline and a little room around it, in the view.
    const TRect& r = page->Objects(foundObject_)->BoundsRect;
    const QRect hit = box->ToBox(box->PageRect(), r.Left, r.Top, r.Right, r.Bottom)
                          .adjusted(-kFoundRoom, -kFoundRoom, kFoundRoom, kFoundRoom)
                          .translated(box->pos());
    const QSize view = viewport()->size();
    ScrollBy(ScrollIntoView(hit.left(), hit.right(), view.width()),
             ScrollIntoView(hit.top(), hit.bottom(), view.height()));
}

void TRLPreview::ScrollBy(int dx, int dy) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

void TRLPreview::ScrollToLeft() {
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

void TRLPreview::ScrollToRight() {
    horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
}

void TRLPreview::ScrollToTop() {
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void TRLPreview::ScrollToBottom() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QSize TRLPreview::BoxSize(int position) const {
    const auto page = pages_->GetPage(pageIndex_ + position);
    const QSize size = PageSizeOf(page.get(), pages_);
    return {RoundHalfEven(size.width() * zoom_ / 100.0) + PreviewBoxMargin,
            RoundHalfEven(size.height() * zoom_ / 100.0) + PreviewBoxMargin};
}

void TRLPreview::Relayout() {
    if (laying_) {
        return;
    }
    laying_ = true;
    // Showing or hiding a scroll bar changes the view: lay out again then.
    for (int pass = 0; pass < 3; ++pass) {
        const QSize view = viewport()->size();
        std::vector<QSize> sizes;
        if (pages_ != nullptr && pageIndex_ >= 0) {
            // Past the last page a box still shows, grey and crossed, at
            // the storage's page size.
            for (int i = 0; i < boxCount_; ++i) {
                sizes.push_back(BoxSize(i));
            }
        }
        int total = 0;
        int tallest = 0;
        for (const QSize& s : sizes) {
            total += s.width();
            tallest = std::max(tallest, s.height());
        }
        int x = PlaceAxis(horizontalScrollBar(), total, view.width());
        const int y = PlaceAxis(verticalScrollBar(), tallest, view.height());
        for (std::size_t i = 0; i < boxes_.size(); ++i) {
            if (i < sizes.size()) {
                boxes_[i]->setGeometry(x, y + (tallest - sizes[i].height()) / 2, sizes[i].width(),
                                       sizes[i].height());
                boxes_[i]->show();
                boxes_[i]->update();
                x += sizes[i].width();
            } else {
                boxes_[i]->hide();
            }
        }
        lastViewSize_ = viewport()->size();
        if (lastViewSize_ == view) {
            break;
        }
    }
    laying_ = false;
    if (OnChangeView) {
        OnChangeView(this);
    }
}

void TRLPreview::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (viewport()->size() != lastViewSize_) {
        Relayout();
    }
}

void TRLPreview::scrollContentsBy(int, int) {
    Relayout();
}

void TRLPreview::mousePressEvent(QMouseEvent* event) {
    Activated();
    QAbstractScrollArea::mousePressEvent(event);
}

void TRLPreview::Activated() {
    if (OnActivate) {
        OnActivate(this);
    }
}
