#include "RLFilters.h"

#include "EngineMessages.h"
#include "Exception.h"
#include "RLEngineServices.h"
#include "RLMetaFile.h"

#include <QCoreApplication>
#include <QThread>
#include <QtDebug>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<TRLCustomFilter*> filters;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// Background runs not yet finished, for WaitForFilterRuns.
std::atomic<int> runningThreads = 0;

bool OnGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

// Calls from a worker thread into the GUI thread. Qt's own blocking queued
// call would do, but its handshake happens inside the toolkit where the
// thread sanitizer cannot see it; here every hand-over of a call and of its
// result goes through a mutex of ours. The posted event carries nothing: it
// only wakes the GUI thread, which then takes the oldest queued call. Calls
// are queued and events posted under one lock, so the n-th event finds the
// n-th call and everything the worker did before posting it.
class GuiCalls : public QObject {
    Q_OBJECT
public:
    static GuiCalls& Instance() {
        static GuiCalls* calls = [] {
            auto* created = new GuiCalls; // lives as long as the process
            created->moveToThread(QCoreApplication::instance()->thread());
            return created;
        }();
        return *calls;
    }

    // Runs fn on the GUI thread; with wait, returns after it and passes on
    // the error it raised.
    void Call(std::function<void()> fn, bool wait) {
        auto task = std::make_shared<Task>();
        task->fn = std::move(fn);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            pending_.push_back(task);
            QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
        }
        if (!wait) {
            return;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return task->done; });
        if (task->error) {
            std::rethrow_exception(task->error);
        }
    }

    Q_INVOKABLE void Drain() {
        std::shared_ptr<Task> task;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (pending_.empty()) {
                return;
            }
            task = pending_.front();
            pending_.pop_front();
        }
        try {
            task->fn();
        } catch (...) {
            task->error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            task->done = true;
        }
        changed_.notify_all();
    }

private:
    struct Task {
        std::function<void()> fn;
        bool done = false;
        std::exception_ptr error;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Task>> pending_;
};

// Runs fn on the GUI thread and waits for it; an error it raises comes back
// to the calling thread. Called on the GUI thread itself, fn runs directly.
void CallOnGui(const std::function<void()>& fn) {
    if (OnGuiThread()) {
        fn();
        return;
    }
    GuiCalls::Instance().Call(fn, true);
}

QString MessageOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("?");
    }
}

// Hands the message of an error that ended a background run to the GUI
// thread's message service, without waiting for it. The silent abort (the
// application is terminating) shows nothing.
void ReportBackgroundError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (...) {
    }
    const QString message = MessageOf(error);
    if (QCoreApplication::instance() == nullptr) {
        RLEngineServices::ShowMessage(message);
        return;
    }
    GuiCalls::Instance().Call([message] { RLEngineServices::ShowMessage(message); }, false);
}

} // namespace

QString WithLeadingDot(const QString& ext) {
    return ext.startsWith(QLatin1Char('.')) ? ext : QLatin1Char('.') + ext;
}

// Runs one filter on a thread of its own and frees itself when done.
class TFilterThread {
public:
    static void Start(TRLCustomFilter* filter) {
        ++runningThreads;
        try {
            Launch(filter);
        } catch (...) {
            --runningThreads;
            throw;
        }
    }

private:
    static void Launch(TRLCustomFilter* filter) {
        std::thread([filter] {
            try {
                filter->Run();
            } catch (...) {
                // Run reported the error before marking itself idle.
            }
            --runningThreads;
        }).detach();
    }
};

TRLCustomFilter::TRLCustomFilter(QObject* owner) : QObject(owner) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.filters.push_back(this);
}

TRLCustomFilter::~TRLCustomFilter() {
    WaitForRun();
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.filters.erase(std::remove(r.filters.begin(), r.filters.end(), this), r.filters.end());
}

QString TRLCustomFilter::GetDisplayName() const {
    return DisplayName.isEmpty() ? objectName() : DisplayName;
}

QString TRLCustomFilter::ProgressTitle() const {
    return Messages().SaveProgress;
}

QString TRLCustomPrintFilter::ProgressTitle() const {
    return Messages().PrintProgress;
}

void TRLCustomFilter::WaitForRun() {
    while (running_) {
        if (OnGuiThread()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        } else {
            std::this_thread::yield();
        }
    }
}

void TRLCustomFilter::FilterPages(TRLGraphicStorage* storage, int firstPage, bool background,
                                  int lastPage) {
    if (storage == nullptr) {
        return;
    }
    WaitForRun();
    canceled_ = false;
    const int pageCount = storage->PageCount();
    firstPage_ = std::max(1, firstPage);
    lastPage_ = lastPage == -1 ? pageCount : std::min(lastPage, pageCount);
    // Held as a user, the storage outlives a preview closed during the run.
    storage_ = storage;
    storage->Link(this);
    running_ = true;
    if (background) {
        try {
            TFilterThread::Start(this);
        } catch (...) {
            storage_ = nullptr;
            running_ = false;
            storage->Unlink(this);
            throw;
        }
    } else {
        Run();
    }
}

void TRLCustomFilter::DrawPages(TRLProgress* progress) {
    for (int page = firstPage_; page <= lastPage_; ++page) {
        if (page != firstPage_) {
            NewPage();
        }
        // Shared: the page stays valid while we draw it, whatever the cache
        // drops meanwhile for the preview.
        const std::shared_ptr<TRLGraphicSurface> surface = storage_->GetPage(page - 1);
        if (!surface) {
            break;
        }
        DrawPage(*surface);
        if (progress != nullptr) {
            CallOnGui([progress] { progress->Step(); });
        }
        if (canceled_) {
            break;
        }
    }
}

void TRLCustomFilter::Run() {
    std::exception_ptr error;
    std::unique_ptr<TRLProgress> progress;
    try {
        if (ShowProgress) {
            const bool foreground = OnGuiThread();
            CallOnGui([this, &progress, foreground] {
                progress = RLEngineServices::CreateProgress({.Title = ProgressTitle(),
                                                             .Bars = 1,
                                                             .OnCancel = [this] { Cancel(); },
                                                             .Modal = foreground});
            });
        }
        if (progress) {
            const int count = lastPage_ - firstPage_ + 1;
            CallOnGui([&progress, count] { progress->SetMax(std::max(0, count)); });
        }
        BeginDoc();
        DrawPages(progress.get());
    } catch (...) {
        error = std::current_exception();
    }
    // A file takes its place only after a run that ended well, and not once
    // the program is ending: whoever stopped it keeps the previous file
    // rather than a new one that may lack its last pages.
    if (!error && RLEngineServices::Terminating()) {
        error = std::make_exception_ptr(EAbort());
    }
    runFailed_ = error != nullptr;
    try {
        EndDoc();
    } catch (...) {
        if (!error) {
            error = std::current_exception();
        }
    }
    TRLGraphicStorage* storage = storage_;
    storage_ = nullptr;
    storage->Unlink(this); // may free the storage: its preview has closed
    if (progress) {
        try {
            CallOnGui([&progress] { progress.reset(); });
        } catch (...) {
            if (!error) {
                error = std::current_exception();
            }
        }
    }
    const bool background = !OnGuiThread();
    if (error && background) {
        ReportBackgroundError(error);
    }
    running_ = false; // the last touch of this filter by a background run
    if (error && !background) {
        std::rethrow_exception(error);
    }
}

std::vector<TRLCustomFilter*> ActiveFilters() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.filters;
}

QString FileExtension(const QString& fileName) {
    // Only the last path component counts: a dot in a folder name is no
    // extension.
    const qsizetype slash =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 || dot < slash ? QString() : fileName.mid(dot);
}

TRLCustomSaveFilter* SaveFilterByFileName(const QString& fileName) {
    const QString ext = FileExtension(fileName);
    if (ext.isEmpty()) {
        return nullptr;
    }
    for (TRLCustomFilter* filter : ActiveFilters()) {
        auto* save = qobject_cast<TRLCustomSaveFilter*>(filter);
        if (save != nullptr && !save->DefaultExt.isEmpty() &&
            WithLeadingDot(save->DefaultExt).compare(ext, Qt::CaseInsensitive) == 0) {
            return save;
        }
    }
    return nullptr;
}

bool IsKnownSaveExtension(const QString& fileName) {
    const QString ext = FileExtension(fileName);
    return ext.compare(QLatin1String(RLStorageFileExt), Qt::CaseInsensitive) == 0 ||
           SaveFilterByFileName(fileName) != nullptr;
}

QStringList KnownSaveExtensions() {
    QStringList known{QLatin1String(RLStorageFileExt)};
    for (TRLCustomFilter* filter : ActiveFilters()) {
        auto* save = qobject_cast<TRLCustomSaveFilter*>(filter);
        if (save != nullptr && !save->DefaultExt.isEmpty()) {
            const QString ext = WithLeadingDot(save->DefaultExt).toLower();
            if (!known.contains(ext)) {
                known << ext;
            }
        }
    }
    return known;
}

void WaitForFilterRuns() {
    while (runningThreads > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::yield();
    }
    // Deliver what the runs posted last (their error reports).
    QCoreApplication::processEvents();
}

TRLSaveParams::TRLSaveParams(QObject* owner) : QObject(owner) {}

void TRLSaveParams::Clear() {
    FileName.clear();
    maxPage_ = 9999;
    ToPage = 9999;
    MinPage = 1;
    FromPage = 1;
    SaveRange = TRLSaveRange::rsrAllPages;
    HelpContext = 0;
}

void TRLSaveParams::SetMaxPage(int value) {
    if (ToPage == maxPage_) {
        ToPage = value;
    }
    maxPage_ = value;
}

TRLSaveParams& SaveParams() {
    static TRLSaveParams params;
    return params;
}

#include "RLFilters.moc"
