#include "RLFindDialog.h"

#include "EngineMessages.h"
#include "RLDialogParts.h"
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
    setFont(DialogFont());
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
    // The match-case caption is wider than its place: the direction box,
    // the buttons and the dialog's right edge make room for it.
    FitCaptionBefore(LabelTextToFind, EditTextToFind);
    FitCaption(CheckBoxWholeWords, RadioGroupDirection->x());
    const int dx = FitCaption(CheckBoxMatchCase, RadioGroupDirection->x());
    MoveRight({RadioGroupDirection, BitBtnFindNext, BitBtnCancel}, dx);
    EditTextToFind->resize(EditTextToFind->width() + dx, EditTextToFind->height());
    setFixedSize(width() + dx, height());

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
