#pragma once
// The preview window: a toolbar over one page display (or two, split), from
// which the user pages, zooms, searches, prints and saves a prepared report.
// It holds the report's page storage and frees it when it closes.
#include "RLReport.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QSplitter;
class QTimer;
class QToolButton;
class TRLGraphicStorage;
class TRLPreview;
class TfrmRLFindDialog;

// Process-wide settings of preview windows. Closing a window stores its
// state here, so the next preview of the run opens in that state.
struct TRLPreviewDefaultsSettings {
    bool ShowModal = false;
    TRLFormStyle FormStyle = fsNormal;
    TRLWindowPosition Position = poScreenCenter;
    TRLWindowState WindowState = wsMaximized;
    unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
    QString HelpFile;
    int HelpContext = 0;
    QString Caption;
    // A percentage, or ZoomPageWidth, ZoomEntirePage, ZoomMultiplePages.
    int Zoom = 100;
};
TRLPreviewDefaultsSettings& PreviewDefaults();

class TRLPreviewForm : public QWidget {
    Q_OBJECT
public:
    // Attaches the storage (the window becomes one of its users) and shows
    // its first page.
    explicit TRLPreviewForm(TRLGraphicStorage* pages, QWidget* parent = nullptr);
    ~TRLPreviewForm() override;

    // Applies the initial zoom and the window settings, then shows the
    // window (modally with ShowModal; otherwise returns at once).
    void Execute(const TRLPreviewOptions& options);

    // The view the toolbar and the keys act on.
    TRLPreview* Preview() const { return current_; }
    TRLPreview* SecondView() const { return second_; }
    TRLGraphicStorage* Pages() const;
    TfrmRLFindDialog* FindDialog() const { return findDialog_; }

    QFrame* PanelTools;
    QToolButton* SpeedButtonPrint;
    QToolButton* SpeedButtonSave;
    QToolButton* SpeedButtonSend;
    QToolButton* SpeedButtonSetup;
    QToolButton* SpeedButtonFirst;
    QToolButton* SpeedButtonPrior;
    QFrame* PanelPages;
    QLabel* LabelPage;
    QLineEdit* EditPageNo;
    QLabel* LabelOf;
    QLabel* PanelPageCount;
    QToolButton* SpeedButtonNext;
    QToolButton* SpeedButtonLast;
    QToolButton* SpeedButtonZoomDown;
    QToolButton* SpeedButtonZoomUp;
    QComboBox* ComboBoxZoom;
    QToolButton* SpeedButtonViews;
    QToolButton* SpeedButtonEdit;
    QToolButton* SpeedButtonClose;
    QToolButton* SpeedButtonAbout;
    QFrame* PanelContainer;
    QTimer* TimerRepeat;

    void SpeedButtonPrintClick();
    void SpeedButtonSaveClick();
    void SpeedButtonViewsClick();
    void SpeedButtonEditClick();
    void ComboBoxZoomChange();
    void EditPageNoChange();
    void ShowFindDialog();
    // One tick of the auto-repeat of the prior and next buttons.
    void TimerRepeatTimer();
    // Milliseconds counted since the prior or next button was pressed.
    int RepeatElapsed() const { return repeatElapsed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateToolbar();
    TRLPreview* CreateView();
    void WatchKeys(QWidget* widget);
    bool HandleKey(QKeyEvent* key);
    void ViewChanged(TRLPreview* view);
    void SetCurrent(TRLPreview* view);
    void RepeatPressed(bool next);

    QSplitter* splitter_ = nullptr;
    TRLPreview* first_ = nullptr;
    TRLPreview* second_ = nullptr;
    TRLPreview* current_ = nullptr;
    QPointer<TfrmRLFindDialog> findDialog_;
    int repeatElapsed_ = 0;
};

// Opens the preview window over a storage with the report's settings (or
// PreviewDefaults' when the report asks for them): what a report's Preview
// calls through the engine services.
TRLPreviewForm* OpenPreviewWindow(TRLGraphicStorage* pages, const TRLPreviewOptions& options);
// Registers OpenPreviewWindow as the engine's preview window (GUI programs).
void RegisterPreviewWindow();
// Opens a saved storage file (".rpf") in a preview window. Errors reading
// the file are thrown; nothing is opened then.
TRLPreviewForm* OpenStorageFilePreview(const QString& fileName);

// Marks the first letter or digit of each caption not used by an earlier
// one as its accelerator ("Imprimir", "Salvar" -> "&Imprimir", "&Salvar").
QStringList MarkAccelerators(const QStringList& captions);
// The zoom typed or chosen in the zoom box: a percentage ("75", "75%",
// "7,5" as 7.5 rounded), a fit code for the three named items, or 0 when
// the text means nothing.
int ParseZoomText(const QString& text);
