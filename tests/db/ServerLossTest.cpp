// A server that dies in the middle of a session. It runs its own throwaway
// instance on another port so the shared test server is never disturbed.
#include "DbTestSupport.h"
#include "IBError.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "WaitSupport.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <thread>

namespace {

constexpr int kPort = 3052;

bool Fbctl(const QString& command, const QString& option = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVA_FB_ROOT"),
               QStringLiteral(QUORVA_BINARY_DIR "/firebird-loss"));
    env.insert(QStringLiteral("QUORVA_FB_PORT"), QString::number(kPort));
    p.setProcessEnvironment(env);
    QStringList args{QStringLiteral(QUORVA_SOURCE_DIR "/server/fbctl.sh"), command};
    if (!option.isEmpty()) {
        args << option;
    }
    p.start(QStringLiteral("bash"), args);
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

pid_t ServerPid() {
    QFile f(QStringLiteral(QUORVA_BINARY_DIR "/firebird-loss/firebird.pid"));
    if (!f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return static_cast<pid_t>(f.readAll().trimmed().toInt());
}

TEST(ServerLoss, NextStatementRaisesTheServersTextAndNothingBreaks) {
    ASSERT_TRUE(Fbctl(QStringLiteral("start"), QStringLiteral("--fixtures")));
    {
        DbTest::Session s(kPort);
        TIBSQL sql;
        sql.SetDatabase(&s.db);
        sql.SetTransaction(&s.tr);
        TIBQuery q;
        q.SetDatabase(&s.db);
        q.SetTransaction(&s.tr);
        q.SetSQL(QStringLiteral("select nome from cond order by cond"));
        q.Open();
        EXPECT_EQ(q.FieldByName(QStringLiteral("NOME")).AsString(),
                  QStringLiteral("Condomínio Edifício São João"));

        pid_t pid = ServerPid();
        ASSERT_GT(pid, 0);
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        for (int i = 0; i < 200 && kill(pid, 0) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }

        // Rows already buffered still read.
        EXPECT_EQ(q.FieldByName(QStringLiteral("NOME")).AsString(),
                  QStringLiteral("Condomínio Edifício São João"));
        sql.SetSQL(QStringLiteral("select count(*) from cond"));
        QString cause;
        try {
            sql.ExecQuery();
            ADD_FAILURE() << "no error after the server died";
        } catch (const EIBError& e) {
            cause = e.Message();
            EXPECT_TRUE(
                e.Message().startsWith(QStringLiteral("Error reading data from the connection")) ||
                e.Message().startsWith(QStringLiteral("Error writing data to the connection")))
                << e.Message().toStdString();
            EXPECT_FALSE(e.Message().endsWith(u'.'));
            EXPECT_NE(e.IBErrorCode(), 0);
        }
        // Every later operation fails the same way, with the cause rather
        // than whatever confused state the library is left in ("Attempt to
        // reopen an open cursor"), and leaves clean state.
        const auto later = [](const std::function<void()>& statement) {
            try {
                statement();
            } catch (const EIBError& e) {
                return e.Message();
            }
            return QStringLiteral("(no error)");
        };
        sql.Close();
        EXPECT_EQ(later([&] { sql.ExecQuery(); }), cause);
        EXPECT_EQ(later([&] {
                      q.Close();
                      q.Open();
                  }),
                  cause);
        TIBSQL other;
        other.SetDatabase(&s.db);
        other.SetTransaction(&s.tr);
        other.SetSQL(QStringLiteral("select nome from cond"));
        EXPECT_EQ(later([&] { other.ExecQuery(); }), cause);
        ASSERT_TRUE(s.db.LostReason().has_value());
        EXPECT_EQ(s.db.LostReason()->Message(), cause);
        q.Close();
        EXPECT_THROW(s.tr.Commit(), EIBError);
        // The library may or may not report the lost connection again when
        // the transaction is rolled back and the attachment released; either
        // way both end.
        try {
            s.tr.Rollback();
        } catch (const EIBError&) {
        }
        EXPECT_FALSE(s.tr.Active());
        try {
            s.db.SetConnected(false);
        } catch (const EIBError&) {
        }
        EXPECT_FALSE(s.db.Connected());
    }
    // A new server on the same root comes up and serves again.
    ASSERT_TRUE(Fbctl(QStringLiteral("start"), QStringLiteral("--fixtures")));
    {
        DbTest::Session s(kPort);
        TIBSQL sql;
        sql.SetDatabase(&s.db);
        sql.SetTransaction(&s.tr);
        // The three condominiums of fixtures.sql; other fixture files add
        // their own under other numbers.
        sql.SetSQL(QStringLiteral("select count(*) from cond where cond between 1 and 3"));
        sql.ExecQuery();
        EXPECT_EQ(sql.Fields(0).AsInteger(), 3);
    }
    EXPECT_TRUE(Fbctl(QStringLiteral("stop")));
}

// Ends the server at once, as a crash or a restart ends it for its clients
// (and faster than a clean stop).
void KillServer() {
    const pid_t pid = ServerPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    for (int i = 0; i < 200 && kill(pid, 0) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

QString Error(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const EIBError& e) {
        return e.Message();
    }
    return QStringLiteral("(no error)");
}

bool SaysConnectionLost(const QString& message) {
    return message.startsWith(QStringLiteral("Error reading data from the connection")) ||
           message.startsWith(QStringLiteral("Error writing data to the connection"));
}

std::int32_t Count(TIBSQL& sql, const QString& text) {
    sql.Close();
    sql.SetSQL(text);
    sql.ExecQuery();
    const std::int32_t n = sql.Fields(0).AsInteger();
    sql.Close();
    return n;
}

const QString kConds = QStringLiteral("select count(*) from cond where cond between 1 and 3");
const QString kConnection = QStringLiteral("select current_connection from rdb$database");

// The server restarted between two statements of a session: the second
// attaches again once and runs, unless a transaction holds changes that the
// new attachment could not carry over.
TEST(ServerRestart, NextStatementReconnectsWhenNothingIsLost) {
    ASSERT_TRUE(Fbctl(QStringLiteral("start"), QStringLiteral("--fixtures")));
    {
        DbTest::Session s(kPort);
        TIBTransaction other;
        other.SetDefaultDatabase(&s.db);
        TIBSQL sql;
        sql.SetDatabase(&s.db);
        sql.SetTransaction(&s.tr);
        const std::int32_t before = Count(sql, kConnection);
        // Rows already read, with the cursor done and with rows to come.
        TIBQuery buffered;
        buffered.SetDatabase(&s.db);
        buffered.SetTransaction(&s.tr);
        buffered.SetSQL(QStringLiteral("select cond from cond where cond between 1 and 3"));
        buffered.Open();
        buffered.FetchAll();
        TIBSQL cursor;
        cursor.SetDatabase(&s.db);
        cursor.SetTransaction(&s.tr);
        cursor.SetSQL(QStringLiteral("select cond from cond order by cond"));
        cursor.ExecQuery();
        const std::int32_t first = cursor.Fields(0).AsInteger();
        // A query whose reader thread is still fetching when the server goes.
        TIBQuery::SetFetchAhead(true);
        TIBQuery ahead;
        ahead.SetDatabase(&s.db);
        ahead.SetTransaction(&s.tr);
        ahead.SetSQL(QStringLiteral("select a.rdb$type from rdb$types a cross join rdb$types b "
                                    "cross join rdb$types c"));
        ahead.Open();
        TIBQuery::SetFetchAhead(false);

        KillServer();
        ASSERT_TRUE(Fbctl(QStringLiteral("start")));
        EXPECT_EQ(Count(sql, kConds), 3);
        // Its rows are read up to where the reader got, then the loss is
        // said: the query never ends as if it had no more rows.
        const QString aheadEnd = Error([&] {
            while (!ahead.Eof()) {
                ahead.Next();
            }
        });
        EXPECT_TRUE(SaysConnectionLost(aheadEnd)) << aheadEnd.toStdString();
        ahead.Close();
        EXPECT_NE(Count(sql, kConnection), before) << "not a new attachment";
        EXPECT_FALSE(s.db.LostReason().has_value());
        EXPECT_TRUE(s.tr.Active());
        EXPECT_FALSE(other.Active());
        EXPECT_EQ(buffered.RecordCount(), 3);
        EXPECT_EQ(buffered.FieldByName(QStringLiteral("COND")).AsInteger(), 1);
        // The cursor's row is still there, but its other rows are not: asking
        // for them says so instead of ending as if there were no more.
        EXPECT_EQ(cursor.Fields(0).AsInteger(), first);
        EXPECT_TRUE(SaysConnectionLost(Error([&] { cursor.Next(); })));
        cursor.Close();

        // A write whose transaction has not ended: the loss is said, not
        // papered over by a new attachment, until the transaction is ended.
        TIBSQL write;
        waittest::InsertLogRow(s, write, 9904);
        KillServer();
        ASSERT_TRUE(Fbctl(QStringLiteral("start")));
        const QString lost = Error([&] { Count(sql, kConds); });
        EXPECT_TRUE(SaysConnectionLost(lost)) << lost.toStdString();
        EXPECT_EQ(Error([&] { Count(sql, kConds); }), lost);
        EXPECT_THROW(s.tr.Commit(), EIBError);
        EXPECT_NO_THROW(s.tr.Rollback());
        // Starting a transaction is the first call now, as on a screen that
        // switches its transaction on before its statements.
        other.SetActive(true);
        sql.SetTransaction(&other);
        EXPECT_EQ(Count(sql, QStringLiteral("select count(*) from emissoes where cod = 9904")), 0);

        // The server stays down: each statement says the loss, once, and
        // the attachment is tried again at the next one.
        KillServer();
        for (int i = 0; i < 2; ++i) {
            const QString down = Error([&] { Count(sql, kConds); });
            EXPECT_TRUE(SaysConnectionLost(down)) << down.toStdString();
        }
        ASSERT_TRUE(Fbctl(QStringLiteral("start")));
        EXPECT_EQ(Count(sql, kConds), 3);

        // Closing after a loss, nothing changed: nothing to report.
        KillServer();
        EXPECT_NO_THROW(other.SetActive(false));
        EXPECT_NO_THROW(s.db.SetConnected(false));
        EXPECT_FALSE(s.db.Connected());
    }
    EXPECT_TRUE(Fbctl(QStringLiteral("stop")));
}

// A frozen server (stopped, as SIGSTOP stops it) answers nothing, not even a
// cancel: the watchdog then closes the connection on our side, and a new
// connection gives up after the time-out.
TEST(FrozenServer, EveryWaitEndsAfterTheTimeout) {
    ASSERT_TRUE(Fbctl(QStringLiteral("start"), QStringLiteral("--fixtures")));
    const pid_t pid = ServerPid();
    ASSERT_GT(pid, 0);
    const waittest::Timeout bound(1);
    {
        DbTest::Session holder(kPort);
        TIBSQL held;
        waittest::InsertLogRow(holder, held, 9903);
        DbTest::Session waiter(kPort);
        TIBSQL sql;
        std::thread freeze([pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(pid, SIGSTOP);
        });
        const waittest::Outcome statement =
            waittest::Attempt([&] { waittest::InsertLogRow(waiter, sql, 9903); });
        freeze.join();
        TIBDatabase late;
        DbTest::Configure(late, kPort);
        const waittest::Outcome connect = waittest::Attempt([&] { late.SetConnected(true); });
        kill(pid, SIGCONT);

        EXPECT_TRUE(statement.timeout) << statement.message.toStdString();
        EXPECT_EQ(statement.message, QStringLiteral("No answer from the database server within "
                                                    "1 s (executing a statement)"));
        EXPECT_GE(statement.seconds, 1.0);
        EXPECT_LT(statement.seconds, 6);
        EXPECT_TRUE(connect.timeout) << connect.message.toStdString();
        EXPECT_EQ(connect.message,
                  QStringLiteral("No answer from the database server within 1 s (connecting)"));
        EXPECT_LT(connect.seconds, 4);
        // Thawed, the server goes on serving its other connection.
        held.Close();
        held.SetSQL(QStringLiteral("select count(*) from emissoes where cod = 9903"));
        held.ExecQuery();
        EXPECT_EQ(held.Fields(0).AsInteger(), 1);
        EXPECT_NO_THROW(waiter.tr.SetActive(false));
        // A statement does not attach again after a time-out (that could
        // wait all over again), but asking whether the connection works, as
        // the start screen's probe does once the server answers, does.
        EXPECT_EQ(Error([&] { waiter.tr.SetActive(true); }), statement.message);
        EXPECT_NO_THROW(waiter.db.TestConnection());
        EXPECT_FALSE(waiter.db.LostReason().has_value());
        waiter.tr.SetActive(true);
        EXPECT_EQ(Count(sql, kConds), 3);
        waiter.tr.SetActive(false);
        try {
            waiter.db.SetConnected(false);
        } catch (const EIBError&) {
            // closed on our side already; the handle is released either way
        }
        EXPECT_FALSE(waiter.db.Connected());
    }
    EXPECT_TRUE(Fbctl(QStringLiteral("stop")));
}

} // namespace
