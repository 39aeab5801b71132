#include "MessageBoxes.h"

#include "MessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// Texts joined by the server's client or the engine may break their lines
// with CR LF or a lone CR; the box starts a new line for each of them.
QString AsLines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

class BoxService final : public MessageService {
public:
    void ShowMessage(const QString& text) override { Show(QMessageBox::NoIcon, text); }
    void ShowError(const QString& text) override { Show(QMessageBox::Critical, text); }

private:
    static void Show(QMessageBox::Icon icon, const QString& text) {
        QMessageBox box(icon, QApplication::applicationName(), AsLines(text), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }
};

} // namespace

void UseMessageBoxes() {
    static BoxService service;
    MessageService::SetCurrent(&service);
}
