// The program entry: the application, the data module, then the start
// screen and the message loop.
#include "BalanceteEntry.h"
#include "DMod.h"
#include "ErrorHandler.h"
#include "Exception.h"
#include "IBCall.h"
#include "IniciaRemoto.h"
#include "MessageService.h"
#include "RLEngineServices.h"
#include "RLFeedBack.h"
#include "RLFindDialog.h" // RLPreviewForm.h holds a QPointer to it
#include "RLPreviewForm.h"
#include "RegionalSettings.h"
#include "RemotoCap.h"
#include "RemotoInad.h"
#include "ReportEntries.h"
#include "StopSignals.h"

#include <QEvent>
#include <QSocketNotifier>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// Ends the message loop when the window it watches is closed.
class QuitOnClose final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            QCoreApplication::quit();
        }
        return false;
    }
};

// A signal reaches the GUI thread through a pipe: the watching thread stops
// the server's work at once and writes a byte; the GUI thread then ends its
// message loop (and every modal loop in it) the way "Encerrar" ends it, and
// the shut-down below runs as it always does.
int stopPipe[2] = {-1, -1};

void WatchStopSignals() {
    if (::pipe2(stopPipe, O_CLOEXEC) != 0) {
        stopPipe[0] = stopPipe[1] = -1;
    }
    StopSignals::Install([](int) {
        IBCall::Stop();
        RLEngineServices::Terminate();
        const char byte = 1;
        if (stopPipe[1] >= 0) {
            (void)::write(stopPipe[1], &byte, 1);
        }
    });
}

void QuitOnStopSignal(QSocketNotifier& notifier) {
    QObject::connect(&notifier, &QSocketNotifier::activated, [] {
        char byte = 0;
        (void)::read(stopPipe[0], &byte, 1);
        QCoreApplication::exit(StopSignals::ExitCode(StopSignals::Received()));
    });
}

// The engine's windows and the reports the selection screen starts.
void WireReports() {
    RegisterProgressWindow();
    RegisterPreviewWindow();
    ReportEntries::SetImprimeBalancete(
        [](QWidget* owner, const TBalanceteInputs& inputs) { RunBalancete(owner, inputs); });
    ReportEntries::SetImprimeInadimplencia([](QWidget* owner) { RunRemotoInad(owner); });
    ReportEntries::SetImprimeCompromissados([](QWidget* owner) { RunRemotoCap(owner); });
}

} // namespace

int main(int argc, char** argv) {
    WatchStopSignals(); // before any thread starts
    TGuardedApplication app(argc, argv);
    QSocketNotifier stopNotifier(stopPipe[0], QSocketNotifier::Read);
    QuitOnStopSignal(stopNotifier);
    QApplication::setApplicationName(QStringLiteral("Acesso Remoto"));
    RegionalSettings::Reload();
    WireReports();

    std::unique_ptr<TDM> dm;
    try {
        dm = std::make_unique<TDM>();
    } catch (const Exception& e) {
        // The client library is missing: nothing can work, no window opens.
        MessageService::Current().ShowError(e.Message());
        return 1;
    }

    // The start screen is the main window: the program ends when it is
    // closed, not when it hides behind the selection screen. It is
    // destroyed before the data module, so it can still write back the
    // remembered condominium while the connection exists.
    QApplication::setQuitOnLastWindowClosed(false);
    auto start = std::make_unique<TFIniciaRemoto>();
    QuitOnClose quit;
    start->installEventFilter(&quit);
    start->show();
    // A signal taken while a message box of the start-up was up has ended
    // that box already; the message loop would start afresh.
    const int result = StopSignals::Received() != 0 ? 0 : app.exec();
    start.reset();
    dm.reset();
    const int signal = StopSignals::Received();
    return signal != 0 ? StopSignals::ExitCode(signal) : result;
}
