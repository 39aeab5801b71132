// The program entry: the application, the data module, then the start
// screen and the message loop.
#include "DMod.h"
#include "EnterPressesButtons.h"
#include "Exception.h"
#include "GuardedApplication.h"
#include "IBCallControl.h"
#include "IniciaRemoto.h"
#include "MessageBoxes.h"
#include "MessageService.h"
#include "RLEngineServices.h"
#include "RLFeedBack.h"
#include "RLFindDialog.h" // RLPreviewForm.h holds a QPointer to it
#include "RLPreviewForm.h"
#include "RegionalSettings.h"
#include "SavedPages.h"
#include "StopSignals.h"
#include "ToolkitTranslations.h"

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

// The engine's windows and its messages; the selection screen starts the
// report forms itself.
void WireReports() {
    RegisterProgressWindow();
    RegisterPreviewWindow();
    // The engine's and the filters' messages (a failed preparation, "not
    // found", a failed background save) become the program's message boxes.
    RLEngineServices::SetMessageSink(
        [](const QString& text) { MessageService::Current().ShowMessage(text); });
}

// Previews still open close with the program, so their pages and spool
// files go with them.
void CloseRemainingWindows() {
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// `quorva FILE.rpf`: the saved pages in a preview, without a login or a
// database. The program ends when the last preview closes; a file that
// cannot be read gives one message and no window.
int ShowSavedPages(TGuardedApplication& app, const QString& fileName) {
    std::unique_ptr<TSavedPages> saved;
    try {
        saved = std::make_unique<TSavedPages>(fileName);
    } catch (const Exception& e) {
        MessageService::Current().ShowError(
            QStringLiteral("Não foi possível abrir o arquivo \"%1\".\n%2")
                .arg(fileName, e.Message()));
        return 1;
    } catch (const std::exception& e) {
        MessageService::Current().ShowError(
            QStringLiteral("Não foi possível abrir o arquivo \"%1\".\n%2")
                .arg(fileName, QString::fromLocal8Bit(e.what())));
        return 1;
    }
    QApplication::setQuitOnLastWindowClosed(true);
    const int result = saved->Form() != nullptr ? app.exec() : 0;
    // The previews go before the filters they save with.
    CloseRemainingWindows();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    WatchStopSignals(); // before any thread starts
    TGuardedApplication app(argc, argv);
    UseMessageBoxes();
    QSocketNotifier stopNotifier(stopPipe[0], QSocketNotifier::Read);
    QuitOnStopSignal(stopNotifier);
    QApplication::setApplicationName(QStringLiteral("Acesso Remoto"));
    RegionalSettings::Reload();
    LoadToolkitTranslations();
    InstallEnterPressesButtons();
    WireReports();

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2) {
        MessageService::Current().ShowError(QStringLiteral("Uso: quorva [ARQUIVO.rpf]"));
        return 2;
    }
    if (args.size() == 2) {
        return ShowSavedPages(app, args.at(1));
    }

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
    CloseRemainingWindows();
    start.reset();
    dm.reset();
    const int signal = StopSignals::Received();
    return signal != 0 ? StopSignals::ExitCode(signal) : result;
}
