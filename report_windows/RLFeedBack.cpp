#include "RLFeedBack.h"

#include "DataSet.h"
#include "EngineMessages.h"
#include "Exception.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kBarStep = 17 + 2;

class WindowProgress : public TRLProgress {
public:
    explicit WindowProgress(const TRLProgressRequest& request)
        : window_(request.Title, request.Bars) {
        window_.OnCancel = [this, cancel = request.OnCancel] {
            canceled_ = true;
            if (cancel) {
                cancel();
            }
        };
        if (request.Modal) {
            window_.setWindowModality(Qt::ApplicationModal);
        }
        window_.show();
        // While the data the run reads is slow to come (a long statement on
        // the server), the window keeps answering: Cancel gives the wait up.
        if (request.ReadsData) {
            pump_ = std::make_unique<TDataWaitPump>([this] {
                QCoreApplication::processEvents();
                return canceled_ || RLEngineServices::Terminating();
            });
        }
    }
    void SetMax(int max) override { window_.SetMax(max); }
    void SetStepText(const QString& text) override { window_.SetStepText(text); }
    void Step() override { window_.Step(); }
    void NextBar() override { window_.NextBar(); }

private:
    TfrmRLFeedBack window_;
    bool canceled_ = false;
    std::unique_ptr<TDataWaitPump> pump_;
};

} // namespace

TfrmRLFeedBack::TfrmRLFeedBack(const QString& title, int bars, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint) {
    const EngineMessages& m = Messages();
    bars = std::max(1, bars);
    const int grow = (bars - 1) * kBarStep;
    setWindowTitle(title);
    setFixedSize(393, 129 + grow);
    LabelStepName = new QLabel(m.Wait, this);
    LabelStepName->move(14, 12);
    LabelStepName->resize(355, 14);
    for (int i = 0; i < bars; ++i) {
        auto* bar = new QProgressBar(this);
        bar->setGeometry(14, 28 + i * kBarStep, 355, 17);
        bar->setTextVisible(false);
        bar->setValue(0);
        ProgressBars.push_back(bar);
    }
    BitBtnCancel = new QPushButton(m.Cancel, this);
    BitBtnCancel->setGeometry(151, 65 + grow, 85, 25); // keeps its distance from the bottom
    connect(BitBtnCancel, &QPushButton::clicked, this, [this] {
        if (OnCancel) {
            OnCancel();
        }
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { terminating_ = true; });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

void TfrmRLFeedBack::SetMax(int max) {
    ProgressBars[current_]->setMaximum(std::max(0, max));
    ProgressBars[current_]->setValue(0);
}

void TfrmRLFeedBack::SetStepText(const QString& text) {
    LabelStepName->setText(text);
}

void TfrmRLFeedBack::Step() {
    QProgressBar* bar = ProgressBars[current_];
    if (bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + 1);
    }
    QCoreApplication::processEvents();
    if (terminating_ || QCoreApplication::closingDown() || RLEngineServices::Terminating()) {
        throw EAbort();
    }
}

void TfrmRLFeedBack::NextBar() {
    if (current_ + 1 < static_cast<int>(ProgressBars.size())) {
        ++current_;
    }
}

void RegisterProgressWindow() {
    RLEngineServices::SetProgressFactory(
        [](const TRLProgressRequest& r) { return std::make_unique<WindowProgress>(r); });
}
