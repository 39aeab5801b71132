#include "GuardedApplication.h"

#include "ErrorHandler.h"
#include "RegionalSettings.h"

#include <QEvent>

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    Guard([&] { result = QApplication::notify(receiver, event); });
    return result;
}

bool TGuardedApplication::event(QEvent* e) {
    if (e->type() == QEvent::LocaleChange) {
        RegionalSettings::Reload();
    }
    return QApplication::event(e);
}
