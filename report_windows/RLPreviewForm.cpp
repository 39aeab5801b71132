#include "RLPreviewForm.h"

#include "EngineMessages.h"
#include "RLDialogParts.h"
#include "RLEngineServices.h"
#include "RLFindDialog.h"
#include "RLMetaFile.h"
#include "RLPreview.h"
#include "RLPrintDialog.h"
#include "RLPrinterSetup.h"
#include "RLSaveDialog.h"
#include "RLSpoolFilter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kRepeatInterval = 100;
constexpr int kRepeatDelay = 500;

QToolButton* Button(QWidget* parent, int left, int width, const QString& caption,
                    const QString& hint, bool flat = false) {
    auto* button = Place<QToolButton>(parent, left, 0, width, 22);
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(flat);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QToolButton* IconButton(QWidget* parent, int left, QStyle::StandardPixmap icon, const QString& hint,
                        bool flat = false) {
    QToolButton* button = Button(parent, left, 22, QString(), hint, flat);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

void Bevel(QWidget* parent, int left) {
    auto* bevel = Place<QFrame>(parent, left, 0, 2, 21);
    bevel->setFrameShape(QFrame::VLine);
    bevel->setFrameShadow(QFrame::Sunken);
}

Qt::WindowStates ToQt(TRLWindowState state) {
    switch (state) {
    case wsMaximized:
        return Qt::WindowMaximized;
    case wsMinimized:
        return Qt::WindowMinimized;
    default:
        return Qt::WindowNoState;
    }
}

} // namespace

TRLPreviewDefaultsSettings& PreviewDefaults() {
    static TRLPreviewDefaultsSettings defaults;
    return defaults;
}

QStringList MarkAccelerators(const QStringList& captions) {
    QString used;
    QStringList marked;
    for (const QString& caption : captions) {
        QString result = caption;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar c = caption.at(i).toUpper();
            if (c.isLetterOrNumber() && !used.contains(c)) {
                used += c;
                result.insert(i, QLatin1Char('&'));
                break;
            }
        }
        marked << result;
    }
    return marked;
}

int ParseZoomText(const QString& text) {
    const EngineMessages& m = Messages();
    if (text == m.PageWidth) {
        return ZoomPageWidth;
    }
    if (text == m.EntirePage) {
        return ZoomEntirePage;
    }
    if (text == m.MultiplePages) {
        return ZoomMultiplePages;
    }
    QString number = text.trimmed();
    if (number.endsWith(QLatin1Char('%'))) {
        number.chop(1);
    }
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = number.trimmed().toDouble(&ok);
    return ok && value > 0 && value < 100000 ? RoundHalfEven(value) : 0;
}

TRLPreviewForm::TRLPreviewForm(TRLGraphicStorage* pages, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Messages().Preview);
    setFont(DialogFont());
    setGeometry(520, 220, 815, 375);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolbar();
    layout->addWidget(PanelTools);
    PanelContainer = new QFrame(this);
    PanelContainer->setFrameShape(QFrame::Panel);
    PanelContainer->setFrameShadow(QFrame::Sunken);
    auto* inner = new QVBoxLayout(PanelContainer);
    inner->setContentsMargins(1, 1, 1, 1);
    splitter_ = new QSplitter(Qt::Vertical, PanelContainer);
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    inner->addWidget(splitter_);
    layout->addWidget(PanelContainer, 1);

    first_ = CreateView();
    current_ = first_;
    TimerRepeat = new QTimer(this);
    TimerRepeat->setInterval(kRepeatInterval);
    connect(TimerRepeat, &QTimer::timeout, this, [this] { TimerRepeatTimer(); });
    TimerRepeat->start();
    WatchKeys(this);
    first_->SetPages(pages);
    ViewChanged(first_);
}

TRLPreviewForm::~TRLPreviewForm() {
    if (findDialog_) {
        delete findDialog_.data();
    }
}

TRLGraphicStorage* TRLPreviewForm::Pages() const {
    return first_->Pages();
}

void TRLPreviewForm::CreateToolbar() {
    const EngineMessages& m = Messages();
    PanelTools = new QFrame(this);
    PanelTools->setFixedHeight(23);
    PanelTools->setFrameShape(QFrame::NoFrame);
    PanelTools->setContentsMargins(1, 1, 1, 1);
    QWidget* bar = new QWidget(PanelTools);
    bar->setGeometry(1, 1, 2000, 22);

    const QStringList captions = MarkAccelerators({m.Print, m.Save, m.Send, m.Close});
    SpeedButtonPrint = Button(bar, 1, 50, captions[0], m.Print);
    SpeedButtonSave = Button(bar, 51, 50, captions[1], m.SaveToDisk);
    SpeedButtonSend = Button(bar, 101, 50, captions[2], m.SendTo, true);
    SpeedButtonSend->setEnabled(false);
    Bevel(bar, 156);
    SpeedButtonSetup = IconButton(bar, 162, QStyle::SP_FileDialogDetailedView, m.ConfigurePrinter);
    Bevel(bar, 189);
    SpeedButtonFirst = IconButton(bar, 195, QStyle::SP_MediaSkipBackward, m.FirstPage);
    SpeedButtonPrior = IconButton(bar, 217, QStyle::SP_MediaSeekBackward, m.PriorPage);
    PanelPages = Place<QFrame>(bar, 242, 0, 134, 21);
    LabelPage = Place<QLabel>(PanelPages, 4, 4, 33, 13);
    LabelPage->setText(m.Page);
    EditPageNo = Place<QLineEdit>(PanelPages, 40, 0, 37, 21);
    LabelOf = Place<QLabel>(PanelPages, 80, 4, 14, 13);
    LabelOf->setText(m.Of);
    PanelPageCount = Place<QLabel>(PanelPages, 96, 0, 37, 21);
    PanelPageCount->setFrameShape(QFrame::Panel);
    PanelPageCount->setFrameShadow(QFrame::Sunken);
    PanelPageCount->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SpeedButtonNext = IconButton(bar, 378, QStyle::SP_MediaSeekForward, m.NextPage);
    SpeedButtonLast = IconButton(bar, 400, QStyle::SP_MediaSkipForward, m.LastPage);
    Bevel(bar, 427);
    SpeedButtonZoomDown = IconButton(bar, 433, QStyle::SP_ArrowDown, QString(), true);
    SpeedButtonZoomUp = IconButton(bar, 455, QStyle::SP_ArrowUp, QString(), true);
    ComboBoxZoom = Place<QComboBox>(bar, 478, 0, 145, 21);
    ComboBoxZoom->setEditable(true);
    ComboBoxZoom->setInsertPolicy(QComboBox::NoInsert);
    // No completion from the list: typing 50 must not become "500%".
    ComboBoxZoom->setCompleter(nullptr);
    ComboBoxZoom->addItems({QStringLiteral("500%"), QStringLiteral("200%"), QStringLiteral("150%"),
                            QStringLiteral("100%"), QStringLiteral("75%"), QStringLiteral("50%"),
                            QStringLiteral("25%"), QStringLiteral("10%"), m.PageWidth, m.EntirePage,
                            m.MultiplePages});
    Bevel(bar, 626);
    SpeedButtonViews = IconButton(bar, 632, QStyle::SP_TitleBarNormalButton, m.SplitScreen, true);
    Bevel(bar, 658);
    SpeedButtonEdit = IconButton(bar, 663, QStyle::SP_FileDialogContentsView, m.Edit, true);
    SpeedButtonEdit->setCheckable(true);
    Bevel(bar, 689);
    SpeedButtonClose = Button(bar, 695, 49, captions[3], m.Close);
    SpeedButtonAbout = new QToolButton(PanelTools);
    SpeedButtonAbout->setText(QStringLiteral("?"));
    SpeedButtonAbout->setToolTip(QStringLiteral("QuorvaOnline report engine 1.0"));
    SpeedButtonAbout->setFocusPolicy(Qt::NoFocus);
    SpeedButtonAbout->setAutoRaise(true);

    connect(SpeedButtonPrint, &QToolButton::clicked, this, [this] { SpeedButtonPrintClick(); });
    connect(SpeedButtonSave, &QToolButton::clicked, this, [this] { SpeedButtonSaveClick(); });
    connect(SpeedButtonSetup, &QToolButton::clicked, this, [this] { ExecutePrinterSetup(this); });
    connect(SpeedButtonFirst, &QToolButton::clicked, this, [this] { current_->FirstPage(); });
    connect(SpeedButtonLast, &QToolButton::clicked, this, [this] { current_->LastPage(); });
    connect(SpeedButtonPrior, &QToolButton::pressed, this, [this] { RepeatPressed(false); });
    connect(SpeedButtonNext, &QToolButton::pressed, this, [this] { RepeatPressed(true); });
    connect(SpeedButtonZoomDown, &QToolButton::clicked, this, [this] { current_->ZoomDown(); });
    connect(SpeedButtonZoomUp, &QToolButton::clicked, this, [this] { current_->ZoomUp(); });
    connect(ComboBoxZoom, &QComboBox::textActivated, this, [this] { ComboBoxZoomChange(); });
    // A typed zoom that is no item of the list is taken with Enter.
    connect(ComboBoxZoom->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { ComboBoxZoomChange(); });
    connect(SpeedButtonViews, &QToolButton::clicked, this, [this] { SpeedButtonViewsClick(); });
    connect(SpeedButtonEdit, &QToolButton::clicked, this, [this] { SpeedButtonEditClick(); });
    connect(SpeedButtonClose, &QToolButton::clicked, this, &QWidget::close);
    connect(EditPageNo, &QLineEdit::textEdited, this, [this] { EditPageNoChange(); });
}

TRLPreview* TRLPreviewForm::CreateView() {
    auto* view = new TRLPreview(splitter_);
    view->OnChangeView = [this](TRLPreview* changed) { ViewChanged(changed); };
    view->OnActivate = [this](TRLPreview* clicked) { SetCurrent(clicked); };
    splitter_->addWidget(view);
    return view;
}

void TRLPreviewForm::WatchKeys(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void TRLPreviewForm::Execute(const TRLPreviewOptions& options) {
    current_->ApplyZoom(PreviewDefaults().Zoom);
    ViewChanged(current_);
    if (!options.Caption.isEmpty()) {
        setWindowTitle(options.Caption);
    }
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (options.BorderIcons & biMinimize) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (options.BorderIcons & biMaximize) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    if (options.BorderIcons & biHelp) {
        flags |= Qt::WindowContextHelpButtonHint;
    }
    if (options.FormStyle == fsStayOnTop) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(flags);
    if (options.Position == poScreenCenter || options.Position == poDesktopCenter ||
        options.Position == poMainFormCenter || options.Position == poOwnerFormCenter) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = geometry();
            frame.moveCenter(screen->availableGeometry().center());
            setGeometry(frame);
        }
    }
    setWindowState(ToQt(options.WindowState));
    if (options.ShowModal) {
        setWindowModality(Qt::ApplicationModal);
    }
    if (isVisible()) {
        raise();
        activateWindow();
    } else {
        show();
    }
    // The fits need the window's final size.
    QCoreApplication::processEvents();
    if (PreviewDefaults().Zoom < 0) {
        current_->ApplyZoom(PreviewDefaults().Zoom);
    }
    if (options.ShowModal) {
        // The window frees itself when closed; the loop ends with it.
        QEventLoop loop;
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void TRLPreviewForm::ViewChanged(TRLPreview* view) {
    if (view != current_) {
        return;
    }
    PanelPageCount->setText(QString::number(view->PageCount()));
    EditPageNo->blockSignals(true);
    EditPageNo->setText(QString::number(view->PageIndex() + 1));
    EditPageNo->blockSignals(false);
    // A zoom that is in the list is chosen in it, so the list opens on it.
    const QString zoom = QString::number(view->ZoomPercent()) + QLatin1Char('%');
    ComboBoxZoom->blockSignals(true);
    ComboBoxZoom->setCurrentIndex(ComboBoxZoom->findText(zoom));
    ComboBoxZoom->setEditText(zoom);
    ComboBoxZoom->blockSignals(false);
}

void TRLPreviewForm::SetCurrent(TRLPreview* view) {
    current_ = view;
    first_->SetSelectedView(second_ != nullptr && view == first_);
    if (second_ != nullptr) {
        second_->SetSelectedView(view == second_);
    }
    SpeedButtonEdit->setChecked(view->EditMode());
    ViewChanged(view);
}

void TRLPreviewForm::SpeedButtonViewsClick() {
    if (second_ == nullptr) {
        second_ = CreateView();
        WatchKeys(second_);
        second_->SetPages(first_->Pages());
        second_->ApplyZoom(current_->ZoomPercent());
        const int half = splitter_->height() / 2;
        splitter_->setSizes({half, half});
        SetCurrent(first_);
    } else {
        TRLPreview* gone = second_;
        second_ = nullptr;
        SetCurrent(first_);
        delete gone;
    }
}

void TRLPreviewForm::SpeedButtonEditClick() {
    current_->SetEditMode(SpeedButtonEdit->isChecked());
}

void TRLPreviewForm::ComboBoxZoomChange() {
    const int zoom = ParseZoomText(ComboBoxZoom->currentText());
    if (zoom != 0) {
        current_->ApplyZoom(zoom);
    }
    ViewChanged(current_);
}

void TRLPreviewForm::EditPageNoChange() {
    bool ok = false;
    const int number = EditPageNo->text().trimmed().toInt(&ok);
    if (ok) {
        current_->GotoPageIndex(number - 1);
        // A number past the last page (or before the first) shows the page
        // it came to, not what was typed.
        if (current_->PageIndex() != number - 1) {
            ViewChanged(current_);
        }
    }
}

void TRLPreviewForm::RepeatPressed(bool next) {
    if (next) {
        current_->NextPage();
    } else {
        current_->PriorPage();
    }
    repeatElapsed_ = 0;
}

void TRLPreviewForm::TimerRepeatTimer() {
    const bool prior = SpeedButtonPrior->isDown();
    const bool next = SpeedButtonNext->isDown();
    if (prior == next) {
        return; // neither held, or both
    }
    if (repeatElapsed_ > kRepeatDelay) {
        if (next) {
            current_->NextPage();
        } else {
            current_->PriorPage();
        }
    }
    repeatElapsed_ += kRepeatInterval;
}

void TRLPreviewForm::ShowFindDialog() {
    if (!findDialog_) {
        findDialog_ = new TfrmRLFindDialog([this] { return current_; }, this);
        findDialog_->setWindowFlag(Qt::Dialog);
    }
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
    findDialog_->EditTextToFind->setFocus();
}

void TRLPreviewForm::SpeedButtonPrintClick() {
    QWidget* focused = QApplication::focusWidget();
    TRLGraphicStorage* pages = Pages();
    TRLPrintParams& params = PrintParams();
    params.Clear();
    params.SetMaxPage(pages->PageCount());
    params.Landscape = pages->Orientation() == 2;
    TRLPrintDialog dialog(params, this);
    if (dialog.Execute()) {
        PrintPages(pages, params.Filter(), params.FromPage, params.PrintInBackground,
                   params.ToPage);
    }
    if (focused != nullptr) {
        focused->setFocus();
    }
}

void TRLPreviewForm::SpeedButtonSaveClick() {
    QWidget* focused = QApplication::focusWidget();
    if (!SaveReport(Pages(), this)) {
        (focused == EditPageNo || focused == ComboBoxZoom ? focused : EditPageNo)->setFocus();
    }
}

bool TRLPreviewForm::eventFilter(QObject* watched, QEvent* event) {
    // An open list or menu (the zoom list, the page's menu) keeps its keys:
    // Esc closes it alone, Home and End move in it, not the page. A list
    // closing on Esc hands the same key on once more, so a key aimed at a
    // list's window is left alone even after the list has gone.
    const auto* widget = qobject_cast<QWidget*>(watched);
    const bool inPopup = QApplication::activePopupWidget() != nullptr ||
                         (widget && (widget->window()->windowFlags() & Qt::Popup) == Qt::Popup);
    if (event->type() == QEvent::KeyPress && !inPopup) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (HandleKey(key)) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TRLPreviewForm::HandleKey(QKeyEvent* key) {
    // Alt with an arrow opens the zoom list; the page has no use for it.
    if ((key->modifiers() & Qt::AltModifier) != 0) {
        return false;
    }
    const bool ctrl = (key->modifiers() & Qt::ControlModifier) != 0;
    TRLPreview* view = current_;
    switch (key->key()) {
    case Qt::Key_Escape:
        SpeedButtonClose->click();
        return true;
    case Qt::Key_PageUp:
        ctrl ? view->ScrollToTop() : view->PriorPage();
        return true;
    case Qt::Key_PageDown:
        ctrl ? view->ScrollToBottom() : view->NextPage();
        return true;
    case Qt::Key_Home:
        ctrl ? view->FirstPage() : view->ScrollToLeft();
        return true;
    case Qt::Key_End:
        ctrl ? view->LastPage() : view->ScrollToRight();
        return true;
    case Qt::Key_Left:
        view->ScrollBy(ctrl ? -view->viewport()->width() : -10, 0);
        return true;
    case Qt::Key_Right:
        view->ScrollBy(ctrl ? view->viewport()->width() : 10, 0);
        return true;
    case Qt::Key_Up:
        view->ScrollBy(0, ctrl ? -view->viewport()->height() : -10);
        return true;
    case Qt::Key_Down:
        view->ScrollBy(0, ctrl ? view->viewport()->height() : 10);
        return true;
    case Qt::Key_F:
    case Qt::Key_F3:
        if (ctrl) {
            ShowFindDialog();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TRLPreviewForm::closeEvent(QCloseEvent* event) {
    PreviewDefaults().WindowState =
        isMaximized() ? wsMaximized : (isMinimized() ? wsMinimized : wsNormal);
    if (findDialog_) {
        findDialog_->close();
    }
    QWidget::closeEvent(event);
}

void TRLPreviewForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SpeedButtonAbout->setGeometry(PanelTools->width() - 23, 1, 22, 22);
}

TRLPreviewForm* OpenPreviewWindow(TRLGraphicStorage* pages, const TRLPreviewOptions& options) {
    TRLPreviewOptions settings = options;
    if (options.Defaults == pdUseDefaults) {
        const TRLPreviewDefaultsSettings& d = PreviewDefaults();
        settings.ShowModal = d.ShowModal;
        settings.FormStyle = d.FormStyle;
        settings.Position = d.Position;
        settings.WindowState = d.WindowState;
        settings.BorderIcons = d.BorderIcons;
        settings.HelpFile = d.HelpFile;
        settings.HelpContext = d.HelpContext;
        settings.Caption = d.Caption;
    }
    auto* form = new TRLPreviewForm(pages);
    form->Execute(settings);
    return form;
}

void RegisterPreviewWindow() {
    RLEngineServices::SetPreviewOpener(
        [](TRLGraphicStorage* pages, const TRLPreviewOptions& options) {
            OpenPreviewWindow(pages, options);
        });
}

TRLPreviewForm* OpenStorageFilePreview(const QString& fileName) {
    auto* pages = new TRLGraphicStorage;
    const int opener = 0;
    pages->Link(&opener);
    try {
        pages->LoadFromFile(fileName);
    } catch (...) {
        pages->Unlink(&opener);
        throw;
    }
    TRLPreviewOptions options;
    options.Caption = QFileInfo(fileName).fileName();
    options.Defaults = pdIgnoreDefaults;
    options.WindowState = PreviewDefaults().WindowState;
    TRLPreviewForm* form = OpenPreviewWindow(pages, options);
    pages->Unlink(&opener); // the window holds it now
    return form;
}
