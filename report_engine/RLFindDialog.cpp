#include "RLFindDialog.h"

#include "EngineMessages.h"
#include "RLEngineServices.h"
#include "RLPreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

TfrmRLFindDialog::TfrmRLFindDialog(std::function<TRLPreview*()> view, QWidget* parent)
    : QDialog(parent), view_(std::move(view)) {
    const EngineMessages& m = Messages();
    setWindowTitle(m.Find);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    // The windows' own face is not on these machines: its metric twin is.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(367, 94);

    LabelTextToFind = new QLabel(m.FindText + QLatin1Char(':'), this);
    LabelTextToFind->move(8, 16);
    EditTextToFind = new QLineEdit(this);
    EditTextToFind->setGeometry(48, 12, 229, 21);
    LabelTextToFind->setBuddy(EditTextToFind);
    BitBtnFindNext = new QPushButton(m.FindNext, this);
    BitBtnFindNext->setGeometry(284, 12, 75, 21);
    BitBtnFindNext->setDefault(true);
    BitBtnCancel = new QPushButton(m.Cancel, this);
    BitBtnCancel->setGeometry(284, 36, 75, 21);
    CheckBoxWholeWords = new QCheckBox(m.WholeWords, this);
    CheckBoxWholeWords->move(8, 44);
    CheckBoxMatchCase = new QCheckBox(m.MatchCase, this);
    CheckBoxMatchCase->move(8, 64);
    RadioGroupDirection = new QGroupBox(QLatin1Char(' ') + m.Direction + QLatin1Char(' '), this);
    RadioGroupDirection->setGeometry(204, 36, 73, 49);
    RadioButtonUp = new QRadioButton(m.Up, RadioGroupDirection);
    RadioButtonUp->move(6, 14);
    RadioButtonDown = new QRadioButton(m.Down, RadioGroupDirection);
    RadioButtonDown->move(6, 30);
    RadioButtonDown->setChecked(true);

    connect(BitBtnFindNext, &QPushButton::clicked, this, [this] { BitBtnFindNextClick(); });
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::close);
}

bool TfrmRLFindDialog::BitBtnFindNextClick() {
    TRLPreview* view = view_ ? view_() : nullptr;
    if (view == nullptr) {
        return false;
    }
    searching_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool found = view->FindText(EditTextToFind->text(), CheckBoxWholeWords->isChecked(),
                                      CheckBoxMatchCase->isChecked(), RadioButtonDown->isChecked());
    QApplication::restoreOverrideCursor();
    if (!found) {
        RLEngineServices::ShowMessage(Messages().NotFound);
    }
    searching_ = false;
    return found;
}

void TfrmRLFindDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // The message box of a failed search takes the focus for a moment; the
    // dialog only goes when the user turns elsewhere.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !searching_ &&
        isVisible()) {
        close();
    }
}
