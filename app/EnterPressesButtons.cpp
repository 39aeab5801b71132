#include "EnterPressesButtons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QRadioButton>

namespace {

bool IsEnter(const QKeyEvent& key) {
    const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    return plain && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter);
}

// Check boxes and radio buttons keep Enter for the window's default button.
bool IsPushable(const QObject* watched) {
    const auto* button = qobject_cast<const QAbstractButton*>(watched);
    return button != nullptr && qobject_cast<const QCheckBox*>(button) == nullptr &&
           qobject_cast<const QRadioButton*>(button) == nullptr && button->isEnabled() &&
           button->isVisible() && button->hasFocus();
}

} // namespace

bool TEnterPressesButtons::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !IsPushable(watched) ||
        !IsEnter(*static_cast<QKeyEvent*>(event))) {
        return false;
    }
    static_cast<QAbstractButton*>(watched)->click();
    return true;
}

void InstallEnterPressesButtons() {
    static TEnterPressesButtons filter;
    qApp->installEventFilter(&filter);
}
