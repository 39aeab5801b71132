// A server that dies in the middle of a session. It runs its own throwaway
// instance on another port so the shared test server is never disturbed.
#include "DbTestSupport.h"
#include "IBError.h"
#include "IBQuery.h"
#include "IBSQL.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
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
        try {
            sql.ExecQuery();
            ADD_FAILURE() << "no error after the server died";
        } catch (const EIBError& e) {
            EXPECT_TRUE(
                e.Message().startsWith(QStringLiteral("Error reading data from the connection")) ||
                e.Message().startsWith(QStringLiteral("Error writing data to the connection")))
                << e.Message().toStdString();
            EXPECT_FALSE(e.Message().endsWith(u'.'));
            EXPECT_NE(e.IBErrorCode(), 0);
        }
        // Every later operation fails the same way and leaves clean state.
        sql.Close();
        EXPECT_THROW(sql.ExecQuery(), EIBError);
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

} // namespace
