#include "ScreenControls.h"

#include "ErrorHandler.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QtEndian>

TMaskEdit::TMaskEdit(const QString& editMask, QWidget* parent) : QLineEdit(parent) {
    // Qt calls an optional digit "0"; a blank stands for a digit not typed.
    QString qtMask;
    for (QChar c : editMask) {
        if (c == u'9') {
            qtMask += u'0';
            emptyText_ += u' ';
        } else {
            qtMask += u'\\';
            qtMask += c;
            emptyText_ += c;
        }
    }
    setInputMask(qtMask + QStringLiteral("; "));
}

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 2, 8, 2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_.addButton(button, i);
        grid->addWidget(button, i / columns, i % columns);
    }
    QObject::connect(&buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked && OnClick) {
            Guard(OnClick);
        }
    });
}

int TRadioGroup::ItemIndex() const {
    return buttons_.checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_.button(index)) {
        button->setChecked(true);
    }
}

TStringGrid::TStringGrid(int columns, QWidget* parent) : QTableWidget(1, columns, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    // Narrow columns show what fits rather than an ellipsis.
    setTextElideMode(Qt::ElideNone);
    SetDefaultRowHeight(rowHeight_);
    StyleFixedRow();
}

QString TStringGrid::Cells(int column, int row) const {
    QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void TStringGrid::SetCells(int column, int row, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return;
    }
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        setItem(row, column, cell);
        if (row == 0) {
            StyleFixedRow();
        }
    }
    cell->setText(text);
}

void TStringGrid::SetRowCount(int rows) {
    setRowCount(rows);
    StyleFixedRow();
}

void TStringGrid::SetFixedColor(const QColor& color) {
    fixedColor_ = color;
    StyleFixedRow();
}

void TStringGrid::SetDefaultRowHeight(int height) {
    rowHeight_ = height;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void TStringGrid::StyleFixedRow() {
    if (rowCount() == 0) {
        return;
    }
    for (int c = 0; c < columnCount(); ++c) {
        QTableWidgetItem* cell = item(0, c);
        if (cell == nullptr) {
            cell = new QTableWidgetItem;
            setItem(0, c, cell);
        }
        // The header row is never chosen: it can be neither selected nor
        // double-clicked into a mark.
        cell->setFlags(Qt::NoItemFlags);
        if (fixedColor_.isValid()) {
            cell->setBackground(fixedColor_);
        }
        cell->setForeground(QApplication::palette().color(QPalette::WindowText));
    }
}

QImage BitmapFromBlob(const QByteArray& blob) {
    QByteArray data = blob;
    if (blob.size() >= 8) {
        const auto* p = reinterpret_cast<const uchar*>(blob.constData());
        const bool header = qFromLittleEndian<quint16>(p) == 1 &&
                            qFromLittleEndian<quint16>(p + 2) == 0x0100 &&
                            qFromLittleEndian<quint32>(p + 4) == quint32(blob.size() - 8);
        if (header) {
            data = blob.mid(8);
        }
    }
    if (data.isEmpty()) {
        return {};
    }
    return QImage::fromData(data, "BMP");
}

void CenterOnScreen(QWidget* window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        window->move(screen->availableGeometry().center() - window->rect().center());
    }
}

QFont ScreenFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

TDBImage::TDBImage(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

void TDBImage::ShowBlob(const QByteArray& blob) {
    image_ = BitmapFromBlob(blob);
    if (image_.isNull()) {
        clear();
    } else {
        setPixmap(QPixmap::fromImage(image_));
    }
}

namespace {

bool MovesWithinWindow(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

// Enter and exit of one widget. An exit counts only after an entry the
// widget really received: a handler that moves the focus back while Qt is
// still moving it elsewhere must not make the other widget "exit" too.
class FocusHook final : public QObject {
public:
    explicit FocusHook(QWidget* widget) : QObject(widget), widget_(widget) {
        widget->installEventFilter(this);
    }

    static FocusHook* Of(QWidget* widget) {
        for (QObject* child : widget->children()) {
            if (auto* hook = dynamic_cast<FocusHook*>(child)) {
                return hook;
            }
        }
        return new FocusHook(widget);
    }

    std::function<void()> enter;
    std::function<void()> exit;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_ ||
            (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)) {
            return false;
        }
        const bool counts = MovesWithinWindow(static_cast<QFocusEvent*>(event)->reason()) &&
                            widget_->window()->isVisible();
        if (event->type() == QEvent::FocusIn) {
            focused_ = true;
            if (counts && enter) {
                Guard(enter);
            }
        } else if (focused_) {
            focused_ = false;
            if (counts && exit) {
                Guard(exit);
            }
        }
        return false;
    }

private:
    QWidget* widget_;
    bool focused_ = false;
};

bool Inside(const QWidget* container, const QWidget* w) {
    return w != nullptr && (w == container || container->isAncestorOf(w));
}

} // namespace

void OnEnter(QWidget* widget, std::function<void()> handler) {
    FocusHook::Of(widget)->enter = std::move(handler);
}

void OnExit(QWidget* widget, std::function<void()> handler) {
    FocusHook::Of(widget)->exit = std::move(handler);
}

void OnContainerExit(QWidget* container, std::function<void()> handler) {
    // Qt reports the move after the focus events, so the control's own exit
    // handler has run by then; a handler that moved the focus back inside
    // is seen here as a move that did not leave.
    QObject::connect(qApp, &QApplication::focusChanged, container,
                     [container, handler = std::move(handler)](QWidget* from, QWidget* to) {
                         if (Inside(container, from) && to != nullptr && !Inside(container, to) &&
                             to->window() == container->window() &&
                             container->window()->isVisible()) {
                             Guard(handler);
                         }
                     });
}
