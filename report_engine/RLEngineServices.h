#pragma once
// The three places where the headless engine reaches a window: progress,
// the preview window and message boxes. The user-interface level registers
// its windows here at start-up; a headless tool registers its own (a
// console progress line, saving pages instead of showing them). With
// nothing registered, progress is silent and messages go to standard error.
#include "RLReport.h"

#include "Exception.h"

#include <QString>
#include <exception>
#include <functional>
#include <memory>

// A report's generation ended by an error. Its text is what the user is
// shown: "RL1: Erro durante a preparação do relatório" and, on the next line,
// the cause's own text; the cause is kept as it was raised.
class ERLPrepareError : public Exception {
public:
    ERLPrepareError(const QString& text, std::exception_ptr cause)
        : Exception(text), cause_(std::move(cause)) {}
    const std::exception_ptr& Cause() const noexcept { return cause_; }

private:
    std::exception_ptr cause_;
};

// Progress of one generation, print or save run.
class TRLProgress {
public:
    virtual ~TRLProgress() = default;
    // Maximum of the current bar; its position goes back to 0.
    virtual void SetMax(int max) = 0;
    virtual void SetStepText(const QString& text) = 0;
    // One step; lets pending events run, and raises EAbort when the
    // application is terminating (RLEngineServices::Terminating).
    virtual void Step() = 0;
    // Moves on to the bar of the next chained report.
    virtual void NextBar() = 0;
};

struct TRLProgressRequest {
    QString Title; // for generation, "Preparando o relatório..."
    int Bars = 1;  // one per report of the NextReport chain
    std::function<void()> OnCancel;
    // A run in the foreground keeps the other windows from taking input
    // while its window is up (only its Cancel answers); a background run
    // leaves them usable.
    bool Modal = true;
    // The run reads a data source that may be slow to answer (generation):
    // a window keeps answering, and its Cancel working, while it waits.
    bool ReadsData = false;
};

using TRLProgressFactory = std::function<std::unique_ptr<TRLProgress>(const TRLProgressRequest&)>;
using TRLPreviewOpener = std::function<void(TRLGraphicStorage* pages, const TRLPreviewOptions&)>;
using TRLMessageSink = std::function<void(const QString& text)>;
// A generation that failed on an error (ERLPrepareError), handed over as it
// was raised, so that the program can show it or tell what failed.
using TRLErrorSink = std::function<void(const std::exception_ptr& error)>;
// Prints prepared pages: the print dialog and the print filter live above the
// engine core. True when the pages were printed.
using TRLPrintRunner = std::function<bool(TRLGraphicStorage* pages, TRLCustomReport* report)>;

namespace RLEngineServices {

void SetProgressFactory(TRLProgressFactory factory);
// A progress from the registered factory, or one that shows nothing.
std::unique_ptr<TRLProgress> CreateProgress(const TRLProgressRequest& request);

void SetPreviewOpener(TRLPreviewOpener opener);
// False when no preview window is registered.
bool OpenPreview(TRLGraphicStorage* pages, const TRLPreviewOptions& options);

void SetPrintRunner(TRLPrintRunner runner);
// False when no print run is registered.
bool RunPrint(TRLGraphicStorage* pages, TRLCustomReport* report);

void SetMessageSink(TRLMessageSink sink);
void ShowMessage(const QString& text);

// A failed generation's error goes to the registered error sink; without
// one, its text goes to the message sink, as every other message does.
void SetErrorSink(TRLErrorSink sink);
void ShowError(const std::exception_ptr& error);

// The program is ending (a signal asked it to stop): from now on every
// progress step raises the silent abort, and a run that writes a file drops
// it instead of putting it in place. Safe from any thread; never undone.
void Terminate();
bool Terminating();

} // namespace RLEngineServices
