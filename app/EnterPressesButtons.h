#pragma once
// Enter (and keypad Enter) on a focused push or tool button presses it, in
// every window of the program, as the toolkit the program comes from does;
// Qt presses only a dialog's default button on Enter.
#include <QObject>

class TEnterPressesButtons final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs the behaviour on the running application.
void InstallEnterPressesButtons();
