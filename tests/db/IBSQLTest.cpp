// The single-statement component against the real server: state rules,
// failure texts, conversions and parameters.
#include "IBSQL.h"
#include "DbTestSupport.h"
#include "IBError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using DbTest::Session;

// Days since 30 December 1899 of a civil date.
double Day(int y, int m, int d) {
    // 1 March 2014 is day 41699.
    static const int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    auto leap = [](int yy) { return (yy % 4 == 0 && yy % 100 != 0) || yy % 400 == 0; };
    long days = 0;
    for (int yy = 1900; yy < y; ++yy) {
        days += leap(yy) ? 366 : 365;
    }
    days += kDaysBefore[m - 1] + (m > 2 && leap(y) ? 1 : 0) + d;
    return static_cast<double>(days + 1);
}

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message().toStdString();
    }
    return "(no error)";
}

TEST(IBSQLTest, DayHelperMatchesKnownDates) {
    EXPECT_EQ(Day(1900, 1, 1), 2);
    EXPECT_EQ(Day(2014, 3, 1), 41699);
}

TEST(IBSQLTest, CountOverNoRowsReadsZero) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select count(*) from cond where cond = 999999"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 0);
    EXPECT_FALSE(sql.Eof());
    sql.Next();
    EXPECT_TRUE(sql.Eof());
}

TEST(IBSQLTest, SelectWithoutRowsIsAtEndAndReadsAsNull) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select nome, cond, remoto_balancete from cond where cond = 1"));
    sql.ExecQuery();
    ASSERT_EQ(sql.Fields(0).AsString(), QStringLiteral("Condomínio Edifício São João"));
    sql.Close();
    // The same statement again with no row: nothing of the last row shows.
    sql.SetSQL(QStringLiteral("select nome, cond, remoto_balancete from cond where cond = -5"));
    sql.ExecQuery();
    EXPECT_TRUE(sql.Eof());
    EXPECT_EQ(sql.Fields(0).AsString(), QString());
    EXPECT_EQ(sql.Fields(1).AsInteger(), 0);
    EXPECT_EQ(sql.Fields(2).AsDateTime(), 0.0);
}

TEST(IBSQLTest, ExecuteWhileOpenFailsEvenAfterNewText) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select cond from cond"));
    sql.ExecQuery();
    EXPECT_EQ(Message([&] { sql.ExecQuery(); }), "IBSQL Open");
    sql.SetSQL(QStringLiteral("select nome from cond"));
    EXPECT_EQ(Message([&] { sql.ExecQuery(); }), "IBSQL Open");
    sql.Close();
    sql.Close(); // closing a closed statement does nothing
    sql.ExecQuery();
    EXPECT_FALSE(sql.Fields(0).AsString().isEmpty());
    // An empty select leaves the statement open too.
    sql.Close();
    sql.SetSQL(QStringLiteral("select cond from cond where cond < 0"));
    sql.ExecQuery();
    EXPECT_TRUE(sql.Eof());
    EXPECT_EQ(Message([&] { sql.ExecQuery(); }), "IBSQL Open");
}

TEST(IBSQLTest, StateChecksGiveTheirTexts) {
    TIBDatabase db;
    DbTest::Configure(db);
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    TIBSQL sql;
    sql.SetDatabase(&db);
    sql.SetTransaction(&tr);
    sql.SetSQL(QStringLiteral("select 1 from rdb$database"));
    EXPECT_EQ(Message([&] { sql.ExecQuery(); }), "Cannot perform operation -- DB is not open");
    EXPECT_EQ(Message([&] { tr.SetActive(true); }), "Cannot perform operation -- DB is not open");
    db.SetConnected(true);
    EXPECT_EQ(Message([&] { sql.ExecQuery(); }), "Transaction is not active");
    TIBDatabase unnamed;
    EXPECT_EQ(Message([&] { unnamed.SetConnected(true); }), "Database name is missing");
    EXPECT_FALSE(unnamed.Connected());
}

TEST(IBSQLTest, FieldOutsideTheResultIsNotFound) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select cond, nome from cond where cond = 1"));
    sql.ExecQuery();
    EXPECT_EQ(Message([&] { sql.Fields(2).AsString(); }), "Field \"2\" not found");
    EXPECT_EQ(Message([&] { sql.FieldByName(QStringLiteral("senha")); }),
              "Field \"senha\" not found");
    EXPECT_EQ(sql.FieldByName(QStringLiteral("NoMe")).AsString(),
              QStringLiteral("Condomínio Edifício São João"));
    EXPECT_EQ(Message([&] { sql.ParamByName(QStringLiteral("x")); }), "Field \"x\" not found");
}

TEST(IBSQLTest, ServerErrorTextComesFromTheStatusVector) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select x from tabela_inexistente"));
    try {
        sql.ExecQuery();
        FAIL() << "no error";
    } catch (const EIBError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Dynamic SQL Error\r\nSQL error code = -204\r\nTable unknown\r\n"
                                 "TABELA_INEXISTENTE\r\nAt line 1, column 15"));
        EXPECT_EQ(e.SQLCode(), -204);
        EXPECT_EQ(e.IBErrorCode(), 335544569); // isc_dsql_error
    }
}

TEST(IBSQLTest, TransactionActiveTwiceAndRollBack) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    s.tr.SetActive(true); // already active: the same transaction goes on
    sql.SetSQL(QStringLiteral("insert into condsel (cond, sel) values (424242, 'S')"));
    sql.ExecQuery();
    sql.SetSQL(QStringLiteral("select count(*) from condsel where cond = 424242"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 1);
    sql.Close();
    s.tr.SetActive(false);
    EXPECT_FALSE(s.tr.Active());
    s.tr.SetActive(false); // inactive: nothing happens
    s.tr.SetActive(true);
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 0);
}

TEST(IBSQLTest, EndingTheTransactionClosesTheStatement) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select cond from cond"));
    sql.ExecQuery();
    s.tr.Commit();
    EXPECT_FALSE(s.tr.Active());
    EXPECT_FALSE(sql.Open());
    s.tr.StartTransaction();
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 1);
}

TEST(IBSQLTest, ConversionsOfEveryColumnType) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral(
        "select c, v, s, i, b, n, n4, f, d, dt, t, ts, tb, bb, bo from tipos where id = 1"));
    sql.ExecQuery();
    // A fixed-length text keeps its trailing blanks.
    EXPECT_EQ(sql.Fields(0).AsString(), QStringLiteral("ação      "));
    EXPECT_EQ(sql.Fields(1).AsString(), QStringLiteral("Pão de Açúcar – “ok” €"));
    EXPECT_EQ(sql.Fields(2).AsInteger(), -12);
    EXPECT_EQ(sql.Fields(3).AsString(), QStringLiteral("123456"));
    EXPECT_EQ(sql.Fields(4).AsInt64(), 9000000000123);
    EXPECT_EQ(sql.Fields(5).AsCurrency(), 12345678900);
    // Single precision, not the exact decimal.
    EXPECT_EQ(sql.Fields(5).AsFloat(), static_cast<double>(1234567.89f));
    EXPECT_NE(sql.Fields(5).AsFloat(), 1234567.89);
    EXPECT_EQ(sql.Fields(5).AsDouble(), 1234567.89);
    EXPECT_EQ(sql.Fields(5).AsInteger(), 1234568); // rounded
    EXPECT_EQ(sql.Fields(6).AsCurrency(), 123456);
    EXPECT_EQ(sql.Fields(6).AsInteger(), 12);
    EXPECT_EQ(sql.Fields(7).AsFloat(), 1.5);
    EXPECT_EQ(sql.Fields(8).AsFloat(), 2.25);
    EXPECT_EQ(sql.Fields(9).AsDateTime(), Day(2014, 3, 7));
    const double time = (13 * 3600 + 45 * 60 + 30.123) / 86400.0;
    EXPECT_NEAR(sql.Fields(10).AsDateTime(), time, 1e-9);
    EXPECT_NEAR(sql.Fields(11).AsDateTime(), Day(2014, 3, 7) + time, 1e-9);
    EXPECT_EQ(sql.Fields(12).AsString(), QStringLiteral("Texto longo com acentuação: é, ç, ã"));
    EXPECT_EQ(sql.Fields(13).AsBytes(), QByteArray("\x00\xFF\x10", 3));
    EXPECT_EQ(sql.Fields(14).AsInteger(), 1);
}

TEST(IBSQLTest, NullsReadAsZeroEmptyOrDateZero) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select c, v, i, n, ts, tb from tipos where id = 2"));
    sql.ExecQuery();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(sql.Fields(i).IsNull());
        EXPECT_EQ(sql.Fields(i).AsString(), QString());
        EXPECT_EQ(sql.Fields(i).AsInteger(), 0);
        EXPECT_EQ(sql.Fields(i).AsDateTime(), 0.0);
        EXPECT_EQ(sql.Fields(i).AsCurrency(), 0);
    }
}

TEST(IBSQLTest, TextAsIntegerMustBeADecimalInteger) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("select '42', ' -7 ', 'doze', '4.5' from rdb$database"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 42);
    EXPECT_EQ(sql.Fields(1).AsInteger(), -7);
    EXPECT_EQ(Message([&] { sql.Fields(2).AsInteger(); }), "Invalid data conversion");
    EXPECT_EQ(Message([&] { sql.Fields(3).AsInteger(); }), "Invalid data conversion");
}

TEST(IBSQLTest, NamedAndPositionalParameters) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    // The same name twice is set once, whatever its letter case.
    sql.SetSQL(QStringLiteral("select count(*) from lanconta where cond = :WCOND and "
                              "mes = :wmes and conta = :wConta and cond = :wcond"));
    EXPECT_EQ(sql.ParamCount(), 4);
    sql.ParamByName(QStringLiteral("wcond")).SetAsInteger(1);
    sql.ParamByName(QStringLiteral("WMES")).SetAsDateTime(Day(2014, 3, 1));
    sql.Params(2).SetAsString(QStringLiteral("10"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 5); // 1001, 1002, 1003, 1005, 1006
    sql.Close();
    // Prepared once, executed again with other values.
    sql.Params(2).SetAsInteger(11);
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 1);
    sql.Close();
    // A colon inside a literal is no parameter.
    sql.SetSQL(QStringLiteral("select ':nada' || cast(:x as varchar(10)) from rdb$database"));
    EXPECT_EQ(sql.ParamCount(), 1);
    sql.ParamByName(QStringLiteral("x")).SetAsString(QStringLiteral("é"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsString(), QStringLiteral(":nadaé"));
}

TEST(IBSQLTest, TheSameTextAgainKeepsItsPreparedFormButNotItsValues) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    TIBSQL insert;
    insert.SetDatabase(&s.db);
    insert.SetTransaction(&s.tr);
    const QString count = QStringLiteral("select count(*) from condsel where cond = :c");
    auto run = [&] {
        sql.ExecQuery();
        const int n = sql.Fields(0).AsInteger();
        sql.Close();
        return n;
    };
    sql.SetSQL(count);
    sql.ParamByName(QStringLiteral("c")).SetAsString(QStringLiteral("424243"));
    EXPECT_EQ(run(), 0);
    insert.SetSQL(QStringLiteral("insert into condsel (cond, sel) values (424243, 'S')"));
    insert.ExecQuery();

    sql.SetSQL(count);
    EXPECT_TRUE(sql.Prepared());
    EXPECT_EQ(run(), 0); // the value set before is gone: cond = null matches nothing
    sql.SetSQL(count);
    sql.ParamByName(QStringLiteral("c")).SetAsInteger(424243);
    EXPECT_EQ(run(), 1); // and the row added meanwhile is seen
    sql.SetSQL(count);
    sql.ParamByName(QStringLiteral("c")).SetAsString(QStringLiteral("424243"));
    EXPECT_EQ(run(), 1);

    sql.SetSQL(count + QStringLiteral(" and sel = 'N'"));
    EXPECT_FALSE(sql.Prepared());
    sql.ParamByName(QStringLiteral("c")).SetAsInteger(424243);
    EXPECT_EQ(run(), 0);
    s.tr.Rollback();
}

TEST(IBSQLTest, AccentedTextAndDatesRoundTripThroughTheServer) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    const QString text = QStringLiteral("Açaí, pão, ÉÇÃÕ – “aspas” € ‰");
    const double when = Day(1999, 12, 31) + (23 * 3600 + 59 * 60 + 59.5) / 86400.0;
    sql.SetSQL(
        QStringLiteral("insert into tipos (id, v, ts, dt, n) values (:id, :v, :ts, :dt, :n)"));
    sql.ParamByName(QStringLiteral("id")).SetAsInteger(9001);
    sql.ParamByName(QStringLiteral("v")).SetAsString(text);
    sql.ParamByName(QStringLiteral("ts")).SetAsDateTime(when);
    sql.ParamByName(QStringLiteral("dt")).SetAsDateTime(Day(1858, 11, 17));
    sql.ParamByName(QStringLiteral("n")).SetAsCurrency(-12345678901234500);
    sql.ExecQuery();
    sql.SetSQL(QStringLiteral("select v, ts, dt, n, octet_length(v) from tipos where id = 9001"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsString(), text);
    EXPECT_EQ(sql.Fields(4).AsInteger(), text.size()); // one byte per character: Windows-1252
    EXPECT_NEAR(sql.Fields(1).AsDateTime(), when, 1e-9);
    EXPECT_EQ(sql.Fields(2).AsDateTime(), Day(1858, 11, 17));
    EXPECT_EQ(sql.Fields(3).AsCurrency(), -12345678901234500);
    sql.Close();
    s.tr.Rollback();
}

TEST(IBSQLTest, ExecuteProcedureReturnsItsRow) {
    Session s;
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("execute procedure pega_saldo(1, 10, :mes)"));
    sql.ParamByName(QStringLiteral("mes")).SetAsDateTime(Day(2014, 3, 1));
    sql.ExecQuery();
    EXPECT_EQ(sql.FieldByName(QStringLiteral("SALDOFIM")).AsCurrency(), 8000000);
    EXPECT_FALSE(sql.Open());
}

} // namespace
