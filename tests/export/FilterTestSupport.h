#pragma once
// A storage of numbered pages and a save filter that records what the run
// asked of it, for the filter framework's tests.
#include "Exception.h"
#include "RLFilters.h"
#include "RLMetaFile.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <memory>
#include <mutex>

namespace filtertest {

// The engine's texts follow the system locale's language, chosen at first
// use; the program runs under Brazilian settings, and so do these tests.
inline const bool brazilianLocale = [] {
    qputenv("LC_ALL", QByteArrayLiteral("pt_BR.UTF-8"));
    return true;
}();

inline std::shared_ptr<TRLGraphicSurface> NumberedPage(int number) {
    auto page = std::make_shared<TRLGraphicSurface>();
    page->SetWidth(794);
    page->SetHeight(1123);
    page->Rectangle({20, 20, 774, 1103});
    for (int row = 0; row < 30; ++row) {
        page->TextOut(40, 40 + row * 30, QStringLiteral("Página %1 linha %2").arg(number).arg(row));
    }
    return page;
}

// A storage of `pages` pages held by `owner`; the caller unlinks it.
inline TRLGraphicStorage* NumberedStorage(int pages, const void* owner) {
    auto* storage = new TRLGraphicStorage;
    storage->Link(owner);
    storage->SetPaperWidth(210);
    storage->SetPaperHeight(297);
    storage->SetFirstPageNumber(1);
    storage->SetLastPageNumber(pages);
    for (int n = 1; n <= pages; ++n) {
        storage->AddPage(NumberedPage(n));
    }
    return storage;
}

// The page number a page of NumberedStorage shows, read from its first text.
inline int NumberOf(const TRLGraphicSurface& page) {
    for (int i = 0; i < page.ObjectCount(); ++i) {
        if (const auto* text = dynamic_cast<const TRLTextObject*>(page.Objects(i))) {
            return text->Text.section(QLatin1Char(' '), 1, 1).toInt();
        }
    }
    return 0;
}

template <class Base> class Recording : public Base {
public:
    using Base::Base;
    ~Recording() override { this->WaitForRun(); }

    QStringList Calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    // Throws from the named call ("BeginDoc", "DrawPage 2", "NewPage", "EndDoc").
    QString FailAt;
    bool storageSetAtBegin = false;

protected:
    void BeginDoc() override {
        storageSetAtBegin = this->Storage() != nullptr;
        Record(QStringLiteral("BeginDoc"));
    }
    void EndDoc() override { Record(QStringLiteral("EndDoc")); }
    void NewPage() override { Record(QStringLiteral("NewPage")); }
    void DrawPage(TRLGraphicSurface& page) override {
        // Read every object, as a writer does.
        (void)page.SaveToBytes();
        Record(QStringLiteral("DrawPage %1").arg(NumberOf(page)));
    }

private:
    void Record(const QString& call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            calls_ << call;
        }
        if (call == FailAt) {
            throw Exception(QStringLiteral("falhou em %1").arg(call));
        }
    }
    mutable std::mutex mutex_;
    QStringList calls_;
};

using RecordingSaveFilter = Recording<TRLCustomSaveFilter>;
using RecordingPrintFilter = Recording<TRLCustomPrintFilter>;

// Stands in for the progress window; counts what the run asked of it and on
// which thread, and can press Cancel after a given step.
struct ProgressLog {
    std::mutex mutex;
    QStringList titles;
    int max = -1;
    int steps = 0;
    int open = 0;
    bool offGuiThread = false;
    int cancelAtStep = 0;
};

class FakeProgress : public TRLFilterProgress {
public:
    FakeProgress(ProgressLog& log, std::function<void()> cancel)
        : log_(log), cancel_(std::move(cancel)) {
        Check();
        std::lock_guard<std::mutex> lock(log_.mutex);
        ++log_.open;
    }
    ~FakeProgress() override {
        Check();
        std::lock_guard<std::mutex> lock(log_.mutex);
        --log_.open;
    }
    void SetMaxProgress(int max) override {
        Check();
        std::lock_guard<std::mutex> lock(log_.mutex);
        log_.max = max;
    }
    void StepProgress() override {
        Check();
        bool cancel = false;
        {
            std::lock_guard<std::mutex> lock(log_.mutex);
            cancel = ++log_.steps == log_.cancelAtStep;
        }
        if (cancel) {
            cancel_();
        }
    }

private:
    void Check() {
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
            std::lock_guard<std::mutex> lock(log_.mutex);
            log_.offGuiThread = true;
        }
    }
    ProgressLog& log_;
    std::function<void()> cancel_;
};

// Installs the fake progress window for the life of the object.
class ProgressScope {
public:
    ProgressScope() {
        SetFilterProgressFactory([this](const QString& title, std::function<void()> cancel) {
            {
                std::lock_guard<std::mutex> lock(log.mutex);
                log.titles << title;
            }
            return std::make_unique<FakeProgress>(log, std::move(cancel));
        });
    }
    ~ProgressScope() { SetFilterProgressFactory({}); }
    ProgressLog log;
};

} // namespace filtertest
