// The data module against the private test server.
#include "DMod.h"
#include "IBSQL.h"
#include "MessageRecorder.h"

#include <gtest/gtest.h>

namespace {

// The test server's host: the loopback address ctest's server listens on.
QByteArray TestHost() {
    const QByteArray host = qgetenv("QUORVA_DB_HOST");
    return host.isEmpty() ? QByteArray("127.0.0.1") : host;
}

TEST(DataModuleServer, ConnectsQuietlyWithItsDefaultTransactionRunning) {
    ScopedEnv env("QUORVA_DB_HOST", TestHost());
    MessageRecorder rec;
    TDM dm;
    EXPECT_TRUE(rec.texts.isEmpty());
    EXPECT_EQ(dm.BDados.DatabaseName(),
              QString::fromLatin1(TestHost()) +
                  QStringLiteral("/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB"));
    EXPECT_TRUE(dm.BDados.Connected());
    EXPECT_TRUE(dm.Transas.Active());
    EXPECT_EQ(dm.CondLogado, 0);
    EXPECT_EQ(dm.CodBalancete, 0);
    EXPECT_EQ(dm.EstruturaCond, 0);
    EXPECT_EQ(dm.MesAtual, 0.0);
    // A statement bound only to the connection runs in Transas, which reads
    // committed data and does not wait for locks.
    TIBSQL sql;
    sql.SetDatabase(&dm.BDados);
    sql.SetSQL(QStringLiteral("select nome from cond where cond = 2"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsString(), QStringLiteral("Residencial Açaí"));
}

TEST(DataModuleServer, DestroyingItCommitsWhatTheDefaultTransactionChanged) {
    ScopedEnv env("QUORVA_DB_HOST", TestHost());
    MessageRecorder rec;
    {
        TDM dm;
        TIBSQL sql;
        sql.SetDatabase(&dm.BDados);
        sql.SetSQL(QStringLiteral("insert into tipos (id, v) values (7777, 'gravado ao sair')"));
        sql.ExecQuery();
    }
    EXPECT_TRUE(rec.texts.isEmpty());
    TDM check;
    TIBSQL sql;
    sql.SetDatabase(&check.BDados);
    sql.SetSQL(QStringLiteral("select v from tipos where id = 7777"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsString(), QStringLiteral("gravado ao sair"));
    sql.Close();
    sql.SetSQL(QStringLiteral("delete from tipos where id = 7777"));
    sql.ExecQuery();
    check.Transas.Commit();
}

} // namespace
