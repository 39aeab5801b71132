#include "MessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class BoxService final : public MessageService {
public:
    void ShowMessage(const QString& text) override { Show(QMessageBox::NoIcon, text); }
    void ShowError(const QString& text) override { Show(QMessageBox::Critical, text); }

private:
    static void Show(QMessageBox::Icon icon, const QString& text) {
        QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }
};

BoxService& Boxes() {
    static BoxService service;
    return service;
}

MessageService* current = nullptr;

} // namespace

MessageService& MessageService::Current() {
    return current != nullptr ? *current : Boxes();
}

void MessageService::SetCurrent(MessageService* service) {
    current = service;
}

void ShowMessage(const QString& text) {
    MessageService::Current().ShowMessage(text);
}
