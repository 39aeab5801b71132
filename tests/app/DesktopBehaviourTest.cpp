// What every window of the program shares: Enter presses the focused
// button, and the toolkit's own dialogs speak Portuguese.
#include "EnterPressesButtons.h"
#include "ToolkitTranslations.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A main window's buttons (the start screen's "Entrar"), which Qt presses
// only with Space, and a dialog whose default button keeps the Enter of a
// focused check box.
struct Window {
    QWidget main;
    QPushButton* push = new QPushButton(QStringLiteral("Entrar"), &main);
    QToolButton* tool = new QToolButton(&main);
    QDialog dialog;
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    QCheckBox* check = new QCheckBox(QStringLiteral("Imprimir em arquivo"), &dialog);
    int pushed = 0, tooled = 0, oked = 0;

    Window() {
        auto* layout = new QVBoxLayout(&main);
        layout->addWidget(push);
        layout->addWidget(tool);
        auto* dialogLayout = new QVBoxLayout(&dialog);
        dialogLayout->addWidget(ok);
        dialogLayout->addWidget(check);
        ok->setDefault(true);
        QObject::connect(push, &QPushButton::clicked, [this] { ++pushed; });
        QObject::connect(tool, &QToolButton::clicked, [this] { ++tooled; });
        QObject::connect(ok, &QPushButton::clicked, [this] { ++oked; });
    }
    static void Press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        target->window()->show();
        target->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(target->window()));
        target->setFocus();
        QTest::keyClick(target, key, mods);
    }
};

TEST(EnterPressesButtons, OnTheFocusedPushOrToolButton) {
    InstallEnterPressesButtons();
    Window w;
    Window::Press(w.push, Qt::Key_Return);
    Window::Press(w.push, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(w.pushed, 2);
    Window::Press(w.tool, Qt::Key_Return);
    EXPECT_EQ(w.tooled, 1);
    Window::Press(w.check, Qt::Key_Return);
    EXPECT_FALSE(w.check->isChecked());
    EXPECT_EQ(w.oked, 1);
    Window::Press(w.ok, Qt::Key_Return); // once, not twice
    EXPECT_EQ(w.oked, 2);
}

TEST(ToolkitTranslations, TheFileDialogSpeaksPortuguese) {
    ASSERT_TRUE(LoadToolkitTranslations()) << "qt6-translations-l10n is not installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_FALSE(labels.contains(QStringLiteral("Look in:"))) << labels.join('|').toStdString();
    EXPECT_FALSE(labels.contains(QStringLiteral("File &name:"))) << labels.join('|').toStdString();
}

} // namespace
