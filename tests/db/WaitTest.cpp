// Waiting for the server is bounded, and a window can keep answering while
// a statement waits. A statement is made to wait on the real server by a row
// another connection holds: an insert of the same key waits for the other
// transaction to end (every transaction of the program but two waits on
// locks; the emission log's does).
#include "DataSet.h"
#include "DbTestSupport.h"
#include "IBError.h"
#include "IBSQL.h"
#include "WaitSupport.h"

#include <QTcpServer>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using DbTest::Session;
using namespace waittest;

TEST(Wait, AStatementTheServerDoesNotAnswerIsCancelledAndTheConnectionGivenUp) {
    const Timeout bound(1);
    Session holder;
    TIBSQL held;
    InsertLogRow(holder, held, 9901);
    Session waiter;
    TIBSQL sql;
    const Outcome waited = Attempt([&] { InsertLogRow(waiter, sql, 9901); });
    EXPECT_TRUE(waited.timeout) << waited.message.toStdString();
    EXPECT_EQ(waited.message, QStringLiteral("No answer from the database server within 1 s "
                                             "(executing a statement)"));
    EXPECT_GE(waited.seconds, 0.9);
    EXPECT_LT(waited.seconds, 4.5);
    // Given up: the next statement says the same at once, without waiting.
    sql.Close();
    const Outcome next = Attempt([&] {
        sql.SetSQL(QStringLiteral("select count(*) from cond"));
        sql.ExecQuery();
    });
    EXPECT_TRUE(next.timeout);
    EXPECT_EQ(next.message, waited.message);
    EXPECT_LT(next.seconds, 0.5);
    ASSERT_TRUE(waiter.db.LostReason().has_value());
    EXPECT_EQ(waiter.db.LostReason()->Message(), waited.message);
    // The holder's connection is another one: it goes on.
    held.Close();
    held.SetSQL(QStringLiteral("select count(*) from emissoes where cod = 9901"));
    held.ExecQuery();
    EXPECT_EQ(held.Fields(0).AsInteger(), 1);
    // Releasing the handles still works.
    EXPECT_NO_THROW(waiter.tr.SetActive(false));
    EXPECT_NO_THROW(waiter.db.SetConnected(false));
}

TEST(Wait, APumpRunsWhileAStatementWaitsAndCanGiveItUp) {
    Session holder;
    TIBSQL held;
    InsertLogRow(holder, held, 9902);
    Session waiter;
    TIBSQL sql;
    int pumped = 0;
    Outcome cancelled;
    {
        const TDataWaitPump pump([&] { return ++pumped == 10; });
        cancelled = Attempt([&] { InsertLogRow(waiter, sql, 9902); });
    }
    EXPECT_TRUE(cancelled.aborted) << cancelled.message.toStdString();
    EXPECT_EQ(pumped, 10);
    EXPECT_LT(cancelled.seconds, 3);
    // The connection is fine, and no cancel is left for the next statement.
    EXPECT_FALSE(waiter.db.LostReason().has_value());
    sql.Close();
    sql.SetSQL(QStringLiteral("select count(*) from cond"));
    sql.ExecQuery();
    EXPECT_GT(sql.Fields(0).AsInteger(), 0);
    // A wait the pump does not give up ends when the row is free again.
    sql.Close();
    pumped = 0;
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        holder.tr.SetActive(false);
    });
    Outcome ended;
    {
        const TDataWaitPump pump([&] {
            ++pumped;
            return false;
        });
        ended = Attempt([&] { InsertLogRow(waiter, sql, 9902); });
    }
    release.join();
    EXPECT_EQ(ended.message, QStringLiteral("(no error)"));
    EXPECT_GE(pumped, 5);
}

// A listener that takes the connection and never says a word.
TEST(Wait, ConnectingToAServerThatNeverAnswersIsBounded) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress(DbTest::Host()), 0));
    const Timeout bound(1);
    TIBDatabase db;
    DbTest::Configure(db);
    db.SetDatabaseName(
        DbTest::Host() +
        QStringLiteral("/%1:C:\\servidor\\KESTRO\\Dados\\Cond.FDB").arg(silent.serverPort()));
    const Outcome connect = Attempt([&] { db.SetConnected(true); });
    EXPECT_TRUE(connect.timeout) << connect.message.toStdString();
    EXPECT_EQ(connect.message,
              QStringLiteral("No answer from the database server within 1 s (connecting)"));
    EXPECT_LT(connect.seconds, 4);
    EXPECT_FALSE(db.Connected());
}

} // namespace
