#pragma once
// The page display of the preview window: a scrolling view holding up to
// three page boxes, which shows the pages of a page storage at a zoom, pages
// through them, searches their texts and, in edit mode, selects objects.
#include <QAbstractScrollArea>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QMenu;
class TRLGraphicStorage;
class TRLGraphicSurface;
class TRLPreview;

// Zoom values with a meaning of their own (a positive value is a percentage).
inline constexpr int ZoomPageWidth = -1;
inline constexpr int ZoomEntirePage = -2;
inline constexpr int ZoomMultiplePages = -3;

// Margin around a page inside its box: the shadow and the gap after it.
inline constexpr int PreviewBoxMargin = 7;

// Paints one page box: the page framed (light grey, or black for the
// selected view of a split screen), the page drawn inside, a grey shadow at
// the right and bottom; without a page, a grey box crossed by its diagonals.
// `box` is the whole box, margin included.
void PaintPreviewBox(QPainter& painter, const QRect& box, const TRLGraphicSurface* page,
                     bool selectedView);

class TRLPreviewBox : public QWidget {
    Q_OBJECT
public:
    TRLPreviewBox(TRLPreview* preview, int position);

    // PageIndex of the preview + this box's position among the boxes.
    int PageIndex() const;
    // The page it shows; none for a page that cannot be read.
    std::shared_ptr<TRLGraphicSurface> Page() const;
    // The rectangle the page is drawn into, in box coordinates.
    QRect PageRect() const;
    // Object selected in edit mode (-1: none).
    int SelectedObject() const { return selected_; }
    void SetSelectedObject(int index);
    // Selects the smallest object under a point of the box; -1 when none.
    int ObjectAt(QPoint point) const;
    // Copies the page, at its own pixel size, to the clipboard.
    void CopyPage();
    // A rectangle of the page, in page pixels, in this box's coordinates.
    QRect ToBox(const QRect& pageRect, int left, int top, int right, int bottom) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PaintSelection(QPainter& painter, const TRLGraphicSurface& page);
    void PaintFound(QPainter& painter, const TRLGraphicSurface& page);

    TRLPreview* preview_;
    int position_;
    int selected_ = -1;
    QMenu* menu_ = nullptr;
};

class TRLPreview : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TRLPreview(QWidget* parent = nullptr);
    ~TRLPreview() override;

    // Unlinks the old storage, links the new one and shows its first page.
    void SetPages(TRLGraphicStorage* pages);
    TRLGraphicStorage* Pages() const { return pages_; }

    int PageIndex() const { return pageIndex_; }
    int PageCount() const;
    // The header's page numbers; a header without them numbers the pages
    // from 1 to the page count.
    int FirstPageNumber() const;
    int LastPageNumber() const;
    int PageNumber() const;

    void GotoPageIndex(int index);
    void GotoPageNumber(int number);
    void FirstPage();
    void PriorPage();
    void NextPage();
    void LastPage();

    int ZoomPercent() const { return zoom_; }
    // Taken only when at least 10 and different from the current zoom.
    void SetZoomPercent(int percent);
    // A percentage, or ZoomPageWidth, ZoomEntirePage, ZoomMultiplePages.
    void ApplyZoom(int zoom);
    void ZoomPageWidthFit();
    void ZoomEntirePageFit();
    void ZoomMultiplePagesFit();
    void ZoomUp();
    void ZoomDown();
    bool MultiplePages() const { return boxCount_ > 1; }
    int VisibleBoxes() const { return boxCount_; }
    TRLPreviewBox* Box(int position) const { return boxes_[static_cast<std::size_t>(position)]; }

    bool EditMode() const { return editMode_; }
    void SetEditMode(bool on);
    // The view that the toolbar and the keys act on, in a split screen.
    bool SelectedView() const { return selectedView_; }
    void SetSelectedView(bool selected);

    // Searches the texts of the pages from the current page on, continuing
    // after the last hit; false when nothing is found before the last (or,
    // upwards, the first) page.
    bool FindText(const QString& text, bool wholeWords, bool matchCase, bool down);
    int FoundPage() const { return foundPage_; }
    int FoundObject() const { return foundObject_; }

    void ScrollBy(int dx, int dy);
    void ScrollToLeft();
    void ScrollToRight();
    void ScrollToTop();
    void ScrollToBottom();

    // Positions and sizes the boxes for the current page and zoom.
    void Relayout();
    // Raised after every relayout.
    std::function<void(TRLPreview*)> OnChangeView;
    // Raised when the view is clicked (split screen: it becomes current).
    std::function<void(TRLPreview*)> OnActivate;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class TRLPreviewBox;
    QSize BoxSize(int position) const;
    int FitWidthZoom(int pageWidth) const;
    int FitHeightZoom(int pageHeight) const;
    void SetBoxCount(int count);
    void ClearSelection();
    void Activated();
    // Scrolls the view so that the last search hit is visible.
    void ShowFound();

    TRLGraphicStorage* pages_ = nullptr;
    int pageIndex_ = -1;
    int zoom_ = 100;
    int boxCount_ = 1;
    std::array<TRLPreviewBox*, 3> boxes_{};
    bool editMode_ = false;
    bool selectedView_ = false;
    int foundPage_ = -1;
    int foundObject_ = -1;
    QSize lastViewSize_;
    bool laying_ = false;
};
