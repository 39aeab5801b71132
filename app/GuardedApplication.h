#pragma once
// The application object of the desktop program. Events reach their
// receivers through Guard as a last line of defence, and a change of the
// system's regional settings is read again.
#include <QApplication>

class TGuardedApplication : public QApplication {
public:
    TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;

protected:
    bool event(QEvent* e) override;
};
