#pragma once
// The few controls the two screens need beyond plain Qt widgets: a masked
// date field whose text keeps its blanks, a radio group, a string grid with
// a fixed header row, a picture fed from a bitmap blob, and focus enter/exit
// hooks that fire only when the focus moves between controls of the window.
#include <QButtonGroup>
#include <QFont>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTableWidget>
#include <functional>

// A field with an input mask written as the screens define it: "9" is an
// optional digit, everything else a literal. Its text is what the field
// shows, blanks included ("  /    " when empty).
class TMaskEdit : public QLineEdit {
public:
    TMaskEdit(const QString& editMask, QWidget* parent);
    QString Text() const { return displayText(); }
    void SetText(const QString& text) { setText(text); }
    // The text of the field when nothing is typed.
    QString EmptyText() const { return emptyText_; }

private:
    QString emptyText_;
};

// Options in columns; Click runs when the chosen item changes, by the user
// or by SetItemIndex.
class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    std::function<void()> OnClick;

private:
    QButtonGroup buttons_;
};

// A grid addressed as Cells(column, row), row 0 being the fixed header row
// (not selectable). RowCount counts the header row too.
class TStringGrid : public QTableWidget {
public:
    TStringGrid(int columns, QWidget* parent);
    QString Cells(int column, int row) const;
    void SetCells(int column, int row, const QString& text);
    int RowCount() const { return rowCount(); }
    void SetRowCount(int rows);
    void SetFixedColor(const QColor& color);
    void SetDefaultRowHeight(int height);

private:
    void StyleFixedRow();
    QColor fixedColor_;
    int rowHeight_ = 17;
};

// The screens' text font: the sans face the forms were laid out for, at
// 11 pixels, so every caption fits its control as designed.
QFont ScreenFont();

// Moves a window to the middle of the primary screen's free area, where
// both screens open.
void CenterOnScreen(QWidget* window);

// The picture of a bitmap blob: a Windows bitmap file image, possibly behind
// an 8-byte picture header (count 1, type 0x0100, size of the rest). An empty
// or unreadable blob gives a null image.
QImage BitmapFromBlob(const QByteArray& blob);

// A label that shows a blob's bitmap at its own size, centred, or nothing.
class TDBImage : public QLabel {
public:
    explicit TDBImage(QWidget* parent);
    void ShowBlob(const QByteArray& blob);
    bool HasPicture() const { return !image_.isNull(); }
    const QImage& Picture() const { return image_; }

private:
    QImage image_;
};

// Runs the handlers when the widget receives or loses the focus to another
// control of the same window. Focus lost to another window (a message box, a
// window switch) does not count, nor does the window closing. Each handler
// runs through the general error handler.
void OnEnter(QWidget* widget, std::function<void()> handler);
void OnExit(QWidget* widget, std::function<void()> handler);

// Runs the handler when the focus leaves the container (from any control in
// it) for a control of the same window outside it; after the control's own
// exit handler.
void OnContainerExit(QWidget* container, std::function<void()> handler);
