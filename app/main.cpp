// The program entry: the application, the data module, then the start
// screen and the message loop.
#include "BalanceteEntry.h"
#include "DMod.h"
#include "ErrorHandler.h"
#include "Exception.h"
#include "IniciaRemoto.h"
#include "MessageService.h"
#include "RLFeedBack.h"
#include "RLFindDialog.h" // RLPreviewForm.h holds a QPointer to it
#include "RLPreviewForm.h"
#include "RegionalSettings.h"
#include "RemotoCap.h"
#include "RemotoInad.h"
#include "ReportEntries.h"

#include <QEvent>
#include <memory>

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
    TGuardedApplication app(argc, argv);
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
    const int result = app.exec();
    start.reset();
    dm.reset();
    return result;
}
