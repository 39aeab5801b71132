// The program entry: the application, the data module, then the start
// screen and the message loop.
#include "BalanceteEntry.h"
#include "DMod.h"
#include "EnterPressesButtons.h"
#include "ErrorHandler.h"
#include "Exception.h"
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
#include "ToolkitTranslations.h"

#include <QEvent>
#include <QPointer>
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
    // The engine's and the filters' messages (a failed preparation, "not
    // found", a failed background save) become the program's message boxes.
    RLEngineServices::SetMessageSink(
        [](const QString& text) { MessageService::Current().ShowMessage(text); });
    ReportEntries::SetImprimeBalancete(
        [](QWidget* owner, const TBalanceteInputs& inputs) { RunBalancete(owner, inputs); });
    ReportEntries::SetImprimeInadimplencia([](QWidget* owner) { RunRemotoInad(owner); });
    ReportEntries::SetImprimeCompromissados([](QWidget* owner) { RunRemotoCap(owner); });
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
    QPointer<TRLPreviewForm> form;
    try {
        form = OpenStorageFilePreview(fileName);
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
    const int result = form ? app.exec() : 0;
    CloseRemainingWindows();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    TGuardedApplication app(argc, argv);
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
    const int result = app.exec();
    CloseRemainingWindows();
    start.reset();
    dm.reset();
    return result;
}
