#include "MessageService.h"

#include <cstdio>

namespace {

// Without a service set, messages go to standard error: session code runs
// in processes with no display too. The desktop program sets its message
// boxes (app/MessageBoxes.h) at start-up.
class StandardErrorService final : public MessageService {
public:
    void ShowMessage(const QString& text) override { Print(text); }
    void ShowError(const QString& text) override { Print(text); }

private:
    static void Print(const QString& text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
};

StandardErrorService& StandardError() {
    static StandardErrorService service;
    return service;
}

MessageService* current = nullptr;

} // namespace

MessageService& MessageService::Current() {
    return current != nullptr ? *current : StandardError();
}

void MessageService::SetCurrent(MessageService* service) {
    current = service;
}

void ShowMessage(const QString& text) {
    MessageService::Current().ShowMessage(text);
}
