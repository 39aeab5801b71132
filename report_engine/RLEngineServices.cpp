#include "RLEngineServices.h"

#include "Exception.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

std::atomic<bool> terminating = false;

class SilentProgress : public TRLProgress {
public:
    void SetMax(int) override {}
    void SetStepText(const QString&) override {}
    void Step() override {
        if (RLEngineServices::Terminating()) {
            throw EAbort();
        }
    }
    void NextBar() override {}
};

struct Services {
    std::mutex mutex;
    TRLProgressFactory progress;
    TRLPreviewOpener preview;
    TRLPrintRunner print;
    TRLMessageSink message;
    TRLErrorSink error;
};

Services& Registry() {
    static Services services;
    return services;
}

template <class T> T Get(T Services::*member) {
    std::lock_guard<std::mutex> lock(Registry().mutex);
    return Registry().*member;
}

template <class T> void Put(T Services::*member, T value) {
    std::lock_guard<std::mutex> lock(Registry().mutex);
    Registry().*member = std::move(value);
}

} // namespace

namespace RLEngineServices {

void SetProgressFactory(TRLProgressFactory factory) {
    Put(&Services::progress, std::move(factory));
}

std::unique_ptr<TRLProgress> CreateProgress(const TRLProgressRequest& request) {
    if (const auto factory = Get(&Services::progress)) {
        if (auto progress = factory(request)) {
            return progress;
        }
    }
    return std::make_unique<SilentProgress>();
}

void SetPreviewOpener(TRLPreviewOpener opener) {
    Put(&Services::preview, std::move(opener));
}

bool OpenPreview(TRLGraphicStorage* pages, const TRLPreviewOptions& options) {
    const auto opener = Get(&Services::preview);
    if (!opener) {
        return false;
    }
    opener(pages, options);
    return true;
}

void SetPrintRunner(TRLPrintRunner runner) {
    Put(&Services::print, std::move(runner));
}

bool RunPrint(TRLGraphicStorage* pages, TRLCustomReport* report) {
    const auto runner = Get(&Services::print);
    return runner && runner(pages, report);
}

void SetMessageSink(TRLMessageSink sink) {
    Put(&Services::message, std::move(sink));
}

void ShowMessage(const QString& text) {
    if (const auto sink = Get(&Services::message)) {
        sink(text);
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

void SetErrorSink(TRLErrorSink sink) {
    Put(&Services::error, std::move(sink));
}

void ShowError(const std::exception_ptr& error) {
    if (const auto sink = Get(&Services::error)) {
        sink(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        ShowMessage(e.Message());
    } catch (const std::exception& e) {
        ShowMessage(QString::fromLocal8Bit(e.what()));
    }
}

void Terminate() {
    terminating = true;
}

bool Terminating() {
    return terminating;
}

} // namespace RLEngineServices
