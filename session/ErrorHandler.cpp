#include "ErrorHandler.h"

#include "Exception.h"
#include "MessageService.h"

bool Guard(const std::function<void()>& handler) noexcept {
    // Showing the message must not raise again; should it, the error is
    // dropped rather than let out into the event loop.
    try {
        try {
            handler();
            return true;
        } catch (const EAbort&) {
            // The silent abort ends the event without a message.
        } catch (const Exception& e) {
            MessageService::Current().ShowError(e.Message());
        } catch (const std::exception& e) {
            MessageService::Current().ShowError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            MessageService::Current().ShowError(QStringLiteral("Erro desconhecido"));
        }
    } catch (...) {
    }
    return false;
}
