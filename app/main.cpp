// The program entry: the application, the data module, then the start
// screen and the message loop.
#include "DMod.h"
#include "ErrorHandler.h"
#include "Exception.h"
#include "MessageService.h"
#include "RegionalSettings.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    TGuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Acesso Remoto"));
    RegionalSettings::Reload();

    std::unique_ptr<TDM> dm;
    try {
        dm = std::make_unique<TDM>();
    } catch (const Exception& e) {
        // The client library is missing: nothing can work, no window opens.
        MessageService::Current().ShowError(e.Message());
        return 1;
    }

    // The start screen (FIniciaRemoto) is created here and the message loop
    // runs until it closes; it is destroyed before the data module. Until it
    // exists the program stops once the data module is ready.
    std::fprintf(stderr, "quorva: data module ready (%s)\n",
                 dm->BDados.Connected() ? "connected" : "not connected");
    return 0;
}
