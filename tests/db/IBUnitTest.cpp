// Parts of the database layer that need no server: the named-parameter
// translation, date encoding, the library loader.
#include "FbClient.h"
#include "IBDatabase.h"
#include "IBError.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBStatement.h"

#include <gtest/gtest.h>

namespace {

TEST(IBParseParams, NamesBecomeMarkersInOrder) {
    struct Case {
        const char* sql;
        const char* text;
        std::vector<QString> names;
    } cases[] = {
        {"select * from cond where cond = :wcond", "select * from cond where cond = ?", {"wcond"}},
        {"select count(*)  from lanconta where data > :wdataini and data < :wdatafim ",
         "select count(*)  from lanconta where data > ? and data < ? ",
         {"wdataini", "wdatafim"}},
        {"x(:a,:b,:a)", "x(?,?,?)", {"a", "b", "a"}},
        {"where a = ? and b = :b", "where a = ? and b = ?", {"", "b"}},
        {"select ':x', \":y\" from t -- :z\n/* :w */ where c = :c",
         "select ':x', \":y\" from t -- :z\n/* :w */ where c = ?",
         {"c"}},
        {"values (:wmês)", "values (?)", {QStringLiteral("wmês")}},
        {"select a:b", "select a?", {"b"}},
        {"select 1 from rdb$database", "select 1 from rdb$database", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        IBParsedSQL p = IBParseParams(QString::fromUtf8(c.sql));
        EXPECT_EQ(p.text, QString::fromUtf8(c.text));
        EXPECT_EQ(p.names, c.names);
    }
}

TEST(IBDate, ConvertsBothWaysKeepingMilliseconds) {
    struct Case {
        double dateTime;
        std::int32_t date;
        std::uint32_t time;
    } cases[] = {
        {0.0, 15018, 0},                         // 30/12/1899
        {41699.0, 56717, 0},                     // 01/03/2014
        {41699.5, 56717, 432000000},             // noon
        {41699.0 + 1.0 / 86400000.0, 56717, 10}, // one millisecond
        {-1.25, 15017, 216000000},               // 29/12/1899 06:00
        {-15018.0, 0, 0},                        // 17/11/1858
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dateTime);
        std::int32_t d = -1;
        std::uint32_t t = 1;
        IBDate::ToIsc(c.dateTime, d, t);
        EXPECT_EQ(d, c.date);
        EXPECT_EQ(t, c.time);
        EXPECT_NEAR(IBDate::FromIsc(c.date, c.time), c.dateTime, 1e-10);
    }
    // 23:59:59.9996 rounds to the next midnight, the day after the value's
    // own, whichever side of 30/12/1899 it lies on.
    const struct {
        double dateTime;
        std::int32_t date;
    } midnights[] = {
        {41699.0 + 86399.9996 / 86400.0, 56718}, // 02/03/2014
        {-390.9999999999, 14629},                // 06/12/1898
    };
    for (const auto& m : midnights) {
        SCOPED_TRACE(m.dateTime);
        std::int32_t d = 0;
        std::uint32_t t = 1;
        IBDate::ToIsc(m.dateTime, d, t);
        EXPECT_EQ(d, m.date);
        EXPECT_EQ(t, 0u);
    }
}

TEST(FbClient, MissingLibraryGivesItsTextWhenAComponentIsCreated) {
    const std::string saved = FbClient::LibraryName();
    FbClient::SetLibraryName("libfbclient-ausente.so.2");
    auto expectMissing = [](const std::function<void()>& make) {
        try {
            make();
            ADD_FAILURE() << "no error";
        } catch (const EIBError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("InterBase library gds32.dll not found in the path. "
                                     "Please install InterBase to use this functionality"));
        }
    };
    expectMissing([] { TIBDatabase db; });
    expectMissing([] { TIBTransaction tr; });
    expectMissing([] { TIBSQL sql; });
    expectMissing([] { TIBQuery q; });
    FbClient::SetLibraryName(saved);
    EXPECT_NO_THROW(TIBDatabase db);
}

TEST(IBComponents, DisconnectedStateNeedsNoServer) {
    TIBDatabase db;
    EXPECT_FALSE(db.Connected());
    db.SetConnected(false); // nothing happens
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetActive(false);
    EXPECT_FALSE(tr.Active());
    try {
        tr.Commit();
        FAIL() << "no error";
    } catch (const EIBError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Transaction is not active"));
        EXPECT_EQ(e.SQLCode(), 0);
    }
}

TEST(IBComponents, ObjectsMayDieInAnyOrder) {
    auto db = std::make_unique<TIBDatabase>();
    auto tr = std::make_unique<TIBTransaction>();
    auto sql = std::make_unique<TIBSQL>();
    auto q = std::make_unique<TIBQuery>();
    tr->SetDefaultDatabase(db.get());
    sql->SetDatabase(db.get());
    sql->SetTransaction(tr.get());
    q->SetDatabase(db.get());
    q->SetTransaction(tr.get());
    db.reset();
    tr.reset();
    EXPECT_EQ(sql->Database(), nullptr);
    EXPECT_EQ(q->Transaction(), nullptr);
}

} // namespace
