#pragma once
// The find dialog of the preview window: a modeless box that searches the
// texts of the current view's pages and closes itself when it loses focus.
#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TRLPreview;

class TfrmRLFindDialog : public QDialog {
    Q_OBJECT
public:
    // The view is asked again at each search: in a split screen it is the
    // current one.
    TfrmRLFindDialog(std::function<TRLPreview*()> view, QWidget* parent = nullptr);

    QLabel* LabelTextToFind;
    QLineEdit* EditTextToFind;
    QPushButton* BitBtnFindNext;
    QPushButton* BitBtnCancel;
    QCheckBox* CheckBoxWholeWords;
    QCheckBox* CheckBoxMatchCase;
    QGroupBox* RadioGroupDirection;
    QRadioButton* RadioButtonUp;
    QRadioButton* RadioButtonDown;

    // Searches the next hit; shows "Não encontrado" through the engine's
    // message service when there is none. True on a hit.
    bool BitBtnFindNextClick();

protected:
    void changeEvent(QEvent* event) override;

private:
    std::function<TRLPreview*()> view_;
    bool searching_ = false;
};
