#pragma once
// The filter framework: everything that leaves the page storage, to a
// printer or to a file, is a filter that is handed the stored pages one
// after the other. FilterPages is the only way a filter is run; it can run
// on the calling thread or on a worker thread of its own, showing progress
// through whatever progress window the user-interface level registered.
//
// Headless: no widgets here. Progress goes through the engine's progress
// service (RLEngineServices), which the user-interface level points at the
// progress window; an error that ends a background run goes to the engine's
// message service on the GUI thread (a foreground run throws it instead).
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

class TRLGraphicStorage;
class TRLGraphicSurface;
class TRLProgress;

class TRLCustomFilter : public QObject {
    Q_OBJECT
public:
    explicit TRLCustomFilter(QObject* owner = nullptr);
    // Waits for a background run of this filter to end first. A concrete
    // filter whose run uses its own members calls WaitForRun in its own
    // destructor too, before those members go.
    ~TRLCustomFilter() override;

    // Runs the filter over pages firstPage..lastPage (1-based) of the
    // storage; a lastPage of -1 means up to the storage's last page. The
    // range is cut to the pages there are; an empty range still makes an
    // empty document. In the background the call returns at once and the
    // pages are read on a worker thread; otherwise it returns after the run
    // and throws whatever error ended it. A call while this filter is still
    // running waits for that run to end.
    void FilterPages(TRLGraphicStorage* storage, int firstPage = 1, bool background = false,
                     int lastPage = -1);

    // DisplayName, or the component name when DisplayName is empty.
    virtual QString GetDisplayName() const;

    QString DisplayName;
    bool ShowProgress = true;

    // What the progress window's Cancel button does: the run stops after
    // the page it is drawing and finishes the document normally.
    void Cancel() { canceled_ = true; }
    bool Canceled() const { return canceled_; }
    // True from FilterPages until the run has ended, on any thread.
    bool Running() const { return running_; }
    // Returns once no run of this filter is in progress. On the GUI thread
    // it keeps serving events meanwhile, which a background run may need.
    void WaitForRun();

protected:
    // Starts a document; the storage and the page range are already set.
    virtual void BeginDoc() = 0;
    // Finishes the document. Runs after every run that got past its start,
    // also after an error or a cancel.
    virtual void EndDoc() = 0;
    // Called between two pages, never before the first.
    virtual void NewPage() = 0;
    // Renders one stored page.
    virtual void DrawPage(TRLGraphicSurface& page) = 0;

    // The title of the progress window of a run of this filter.
    virtual QString ProgressTitle() const;

    // For EndDoc: an error ended the run, or the program is ending. A filter
    // that writes a file drops it then, so that a file of that name stays as
    // it was; otherwise (a cancelled run too, with the pages drawn so far)
    // the complete file takes its place.
    bool RunFailed() const { return runFailed_; }

    // The storage being filtered; set only while a run is in progress.
    TRLGraphicStorage* Storage() const { return storage_; }
    int FirstPage() const { return firstPage_; }
    int LastPage() const { return lastPage_; }

private:
    friend class TFilterThread;
    void Run();
    void DrawPages(TRLProgress* progress);

    TRLGraphicStorage* storage_ = nullptr;
    int firstPage_ = 1;
    int lastPage_ = 0;
    std::atomic<bool> canceled_ = false;
    bool runFailed_ = false;
    std::atomic<bool> running_ = false;
};

// A filter that prints. The option hooks let a print dialog offer choices
// of the filter's own; the defaults offer none.
class TRLCustomPrintFilter : public TRLCustomFilter {
    Q_OBJECT
public:
    using TRLCustomFilter::TRLCustomFilter;

    virtual QString GetOptionsLabel() const { return {}; }
    // None: the print dialog hides its options box.
    virtual QStringList GetOptionsList() const { return {}; }
    virtual int GetSelectedOption() const { return -1; }
    virtual void SetSelectedOption(int /*index*/) {}
    virtual void SetOrientation(int /*orientation*/) {}

protected:
    QString ProgressTitle() const override;
};

// A filter that writes a file.
class TRLCustomSaveFilter : public TRLCustomFilter {
    Q_OBJECT
public:
    using TRLCustomFilter::TRLCustomFilter;

    QString FileName;
    // The extension with its leading dot, set by the concrete filter.
    QString DefaultExt;
};

// Every live filter, in creation order (references only).
std::vector<TRLCustomFilter*> ActiveFilters();

// The extension as a filter's DefaultExt holds it: with its leading dot,
// which is added when missing.
QString WithLeadingDot(const QString& ext);

// The first registered save filter whose DefaultExt matches the file name's
// extension, ignoring case; none without a match or without an extension.
TRLCustomSaveFilter* SaveFilterByFileName(const QString& fileName);

// The engine's own page file extension: what a save without a format
// writes, and what a name without an extension gets.
inline constexpr char RLStorageFileExt[] = ".rpf";

// The extension of the file name's last component, from its last dot on
// (".pdf"); empty when that component has no dot.
QString FileExtension(const QString& fileName);

// Whether a save can write what the file name's extension says, ignoring
// case: the engine's own page file, or a registered save filter's format.
// A name without an extension is not; it gets one before it is saved.
bool IsKnownSaveExtension(const QString& fileName);

// The extensions a save can write, for the message that refuses any other:
// the page file's first, then each registered save filter's, once each.
QStringList KnownSaveExtensions();

// Processes pending events until no background filter run is left. For
// shutdown and for tests: a run may be waiting for the GUI thread to show
// its progress, so the GUI thread must keep serving events meanwhile.
void WaitForFilterRuns();

enum class TRLSaveRange { rsrAllPages, rsrSelection, rsrPageNums };
enum TRLSaveDialogOption { rsoDisableSaveInBackground = 1 };
using TRLSaveDialogOptions = int; // a set of TRLSaveDialogOption

// The choices carried between the preview's save button and the save dialog.
class TRLSaveParams : public QObject {
    Q_OBJECT
public:
    explicit TRLSaveParams(QObject* owner = nullptr);

    // Back to the defaults, except Options, SaveInBackground and Filter:
    // the last format chosen stays preselected for the next save.
    void Clear();
    int MaxPage() const { return maxPage_; }
    // ToPage follows when it was at the old maximum.
    void SetMaxPage(int value);
    // The chosen format; none means the engine's own storage file format.
    // Dropped automatically when the filter is destroyed.
    TRLCustomSaveFilter* Filter() const { return filter_; }
    void SetFilter(TRLCustomSaveFilter* filter) { filter_ = filter; }

    QString FileName;
    int ToPage = 9999;
    int MinPage = 1;
    int FromPage = 1;
    TRLSaveDialogOptions Options = 0;
    TRLSaveRange SaveRange = TRLSaveRange::rsrAllPages;
    bool SaveInBackground = false;
    int HelpContext = 0;

private:
    int maxPage_ = 9999;
    QPointer<TRLCustomSaveFilter> filter_;
};

// The one instance shared by the preview and the save dialog.
TRLSaveParams& SaveParams();
