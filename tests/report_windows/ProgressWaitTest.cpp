// The progress window answers while the report waits for a slow statement:
// its Cancel button gives the wait up, and the preparation ends as a cancel
// ends it, without a message. Against the test server, with a statement that
// waits for a row another connection holds.
#include "ReportTestSupport.h"

#include "RLFeedBack.h"
#include "WaitSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

using Kind = TMemTestDataSet::Kind;

// Presses Cancel on the progress window that is showing.
void PressCancel() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = dynamic_cast<TfrmRLFeedBack*>(w); window && window->isVisible()) {
            QTest::mouseClick(window->BitBtnCancel, Qt::LeftButton);
        }
    }
}

TEST(ProgressWait, CancelWorksWhileAStatementWaits) {
    RegisterProgressWindow();
    waittest::Session holder;
    TIBSQL held;
    waittest::InsertLogRow(holder, held, 9904);
    waittest::Session waiter;
    TIBSQL sql;

    TMemTestDataSet data({{QStringLiteral("V"), Kind::Integer, {}}});
    data.AddRow({1});
    TRLReport report;
    report.SetName(QStringLiteral("RLReport1"));
    report.SetDataSource(&data);
    report.SetShowProgress(true);
    report.BeginLoad();
    TRLBand* detail = AddBand(&report, btDetail, 20, QStringLiteral("Detail"));
    // A band handler's lookup that the server keeps waiting.
    detail->BeforePrint = [&](TRLCustomControl*, bool&) {
        waittest::InsertLogRow(waiter, sql, 9904);
    };
    report.EndLoad();
    MessageRecorder messages;

    QTimer::singleShot(400, PressCancel);
    // Should the window not answer, the row is let go after a while, so the
    // test ends (and fails) rather than hang.
    std::promise<void> done;
    std::thread letGo([&, ended = done.get_future()] {
        if (ended.wait_for(std::chrono::seconds(8)) == std::future_status::timeout) {
            holder.tr.SetActive(false);
        }
    });
    QElapsedTimer clock;
    clock.start();
    const bool prepared = report.Prepare();
    const qint64 elapsed = clock.elapsed();
    done.set_value();
    letGo.join();

    EXPECT_FALSE(prepared);
    EXPECT_TRUE(report.Canceled());
    EXPECT_LT(elapsed, 4000);
    EXPECT_EQ(messages.Texts, QStringList());
    // The connection was not given up: the next statement runs.
    sql.Close();
    sql.SetSQL(QStringLiteral("select count(*) from cond"));
    sql.ExecQuery();
    EXPECT_GT(sql.Fields(0).AsInteger(), 0);
    RLEngineServices::SetProgressFactory({});
}

} // namespace
