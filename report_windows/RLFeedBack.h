#pragma once
// The progress window shown while pages are generated, printed or saved:
// one bar per chained report, a step text and a cancel button.
#include "RLEngineServices.h"

#include <QDialog>
#include <functional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmRLFeedBack : public QDialog {
public:
    TfrmRLFeedBack(const QString& title, int bars, QWidget* parent = nullptr);

    void SetMax(int max);
    void SetStepText(const QString& text);
    // Moves the bar on and lets pending events run; raises EAbort when the
    // application is terminating.
    void Step();
    void NextBar();
    std::function<void()> OnCancel;

    QLabel* LabelStepName;
    std::vector<QProgressBar*> ProgressBars;
    QPushButton* BitBtnCancel;
    int CurrentBar() const { return current_; }

private:
    int current_ = 0;
    bool terminating_ = false;
};

// Registers the progress window as the engine's progress (GUI programs).
void RegisterProgressWindow();
