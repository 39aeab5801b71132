// The progress window and the engine's service registry.
#include "EngineMessages.h"
#include "Exception.h"
#include "RLEngineServices.h"
#include "RLFeedBack.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ProgressWindow, LayoutGrowsWithOneBarPerChainedReport) {
    TfrmRLFeedBack one(Messages().PrepareProgress, 1);
    EXPECT_EQ(one.size(), QSize(393, 129));
    EXPECT_EQ(one.windowTitle(), Messages().PrepareProgress);
    EXPECT_TRUE(one.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(one.LabelStepName->text(), Messages().Wait);
    EXPECT_EQ(one.LabelStepName->pos(), QPoint(14, 12));
    EXPECT_EQ(one.ProgressBars.at(0)->geometry(), QRect(14, 28, 355, 17));
    EXPECT_EQ(one.BitBtnCancel->geometry(), QRect(151, 65, 85, 25));
    EXPECT_EQ(one.BitBtnCancel->text(), Messages().Cancel);

    TfrmRLFeedBack three(QStringLiteral("x"), 3);
    EXPECT_EQ(three.height(), 129 + 2 * 19);
    EXPECT_EQ(three.ProgressBars.at(2)->geometry(), QRect(14, 28 + 2 * 19, 355, 17));
    EXPECT_EQ(three.height() - three.BitBtnCancel->geometry().bottom(),
              129 - QRect(151, 65, 85, 25).bottom());
}

TEST(ProgressWindow, StepsFillTheCurrentBarAndCancelCallsBack) {
    TfrmRLFeedBack w(QStringLiteral("x"), 2);
    bool canceled = false;
    w.OnCancel = [&] { canceled = true; };
    w.SetMax(3);
    w.SetStepText(QStringLiteral("P\u00e1gina 1"));
    w.Step();
    w.Step();
    EXPECT_EQ(w.ProgressBars[0]->value(), 2);
    EXPECT_EQ(w.LabelStepName->text(), QStringLiteral("P\u00e1gina 1"));
    w.NextBar();
    w.SetMax(10);
    w.Step();
    EXPECT_EQ(w.ProgressBars[1]->value(), 1);
    EXPECT_EQ(w.ProgressBars[0]->value(), 2);
    w.NextBar(); // no third bar: stays on the last
    EXPECT_EQ(w.CurrentBar(), 1);
    QTest::mouseClick(w.BitBtnCancel, Qt::LeftButton);
    EXPECT_TRUE(canceled);
}

TEST(ProgressWindow, TerminatingApplicationTurnsTheNextStepIntoASilentAbort) {
    TfrmRLFeedBack w(QStringLiteral("x"), 1);
    w.SetMax(5);
    QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection);
    EXPECT_THROW(w.Step(), EAbort);
}

TEST(EngineServices, RegisteredWindowsAreUsedAndDefaultsAreHeadless) {
    RLEngineServices::SetProgressFactory(nullptr);
    auto silent = RLEngineServices::CreateProgress({});
    ASSERT_TRUE(silent);
    silent->Step();
    RegisterProgressWindow();
    bool canceled = false;
    {
        auto shown = RLEngineServices::CreateProgress(
            {Messages().PrintProgress, 1, [&] { canceled = true; }});
        bool visible = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            visible = visible || (dynamic_cast<TfrmRLFeedBack*>(w) && w->isVisible());
        }
        EXPECT_TRUE(visible);
        shown->SetMax(1);
        shown->Step();
    }
    RLEngineServices::SetProgressFactory(nullptr);

    EXPECT_FALSE(RLEngineServices::OpenPreview(nullptr, TRLPreviewOptions{}));
    TRLPreviewOptions seen;
    RLEngineServices::SetPreviewOpener(
        [&](TRLGraphicStorage*, const TRLPreviewOptions& o) { seen = o; });
    TRLPreviewOptions options;
    options.Caption = QStringLiteral("Balancete");
    EXPECT_TRUE(RLEngineServices::OpenPreview(nullptr, options));
    EXPECT_EQ(seen.Caption, QStringLiteral("Balancete"));
    RLEngineServices::SetPreviewOpener(nullptr);

    QStringList shownTexts;
    RLEngineServices::SetMessageSink([&](const QString& t) { shownTexts << t; });
    RLEngineServices::ShowMessage(QStringLiteral("a"));
    RLEngineServices::SetMessageSink(nullptr);
    EXPECT_EQ(shownTexts, QStringList{QStringLiteral("a")});
    EXPECT_FALSE(canceled);
}

} // namespace
