// Queries that fetch their rows on a reader thread while the rows already
// there are read: the same rows, texts, errors and states as a query that
// fetches as it is read. Also built under the thread sanitizer.
#include "DbTestSupport.h"
#include "IBError.h"
#include "IBQuery.h"

#include <gtest/gtest.h>

namespace {

using DbTest::Session;

// n from 1 to `rows` (at most 125,000) in order; the text of each row as a
// character column and as a text blob.
QString Rows(int rows) {
    return QStringLiteral("with recursive r(n) as (select 0 from rdb$database union all "
                          "select n + 1 from r where n < 49), "
                          "s(n) as (select a.n * 2500 + b.n * 50 + c.n + 1 from r a, r b, r c) "
                          "select n, 'linha ' || n as t, "
                          "cast('nota ' || n as blob sub_type text) as memo "
                          "from s where n <= %1 order by n")
        .arg(rows);
}

// Switches fetching ahead on or off for one test.
class FetchAhead : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { TIBQuery::SetFetchAhead(GetParam()); }
    void TearDown() override { TIBQuery::SetFetchAhead(false); }
    void Attach(TIBQuery& q) {
        q.SetDatabase(&s.db);
        q.SetTransaction(&s.tr);
    }
    Session s;
};

TEST_P(FetchAhead, ReadsEveryRowInOrderAcrossChunksAndBack) {
    TIBQuery q;
    Attach(q);
    q.SetSQL(Rows(2500));
    q.Open();
    // Rows count once they are reached, whoever fetched them.
    EXPECT_EQ(q.RecordCount(), 1);
    int expected = 0;
    for (; !q.Eof(); q.Next()) {
        ++expected;
        ASSERT_EQ(q.FieldByName(QStringLiteral("N")).AsInteger(), expected);
        ASSERT_EQ(q.FieldByName(QStringLiteral("T")).AsString(),
                  QStringLiteral("linha %1").arg(expected));
        ASSERT_EQ(q.FieldByName(QStringLiteral("MEMO")).AsString(),
                  QStringLiteral("nota %1").arg(expected));
        ASSERT_EQ(q.RecordCount(), expected);
    }
    EXPECT_EQ(expected, 2500);
    q.First();
    EXPECT_FALSE(q.Eof());
    for (int i = 0; i < 1500; ++i) {
        q.Next();
    }
    EXPECT_EQ(q.FieldByName(QStringLiteral("T")).AsString(), QStringLiteral("linha 1501"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("MEMO")).AsString(), QStringLiteral("nota 1501"));
}

TEST_P(FetchAhead, AnErrorOfTheServerComesAtTheRowItStoppedAt) {
    TIBQuery q;
    Attach(q);
    // The server makes the rows as they are fetched and fails on row 900,
    // after sending the rows before it.
    q.SetSQL(QStringLiteral("with recursive r(n) as (select 1 from rdb$database union all "
                            "select n + 1 from r where n < 1000) "
                            "select n, 1 / (900 - n) as x from r"));
    q.Open();
    int read = 0;
    std::string message;
    try {
        for (; !q.Eof(); q.Next()) {
            ++read;
        }
    } catch (const EIBError& e) {
        message = e.Message().toStdString();
    }
    EXPECT_EQ(read, 899);
    EXPECT_NE(message.find("divide by zero"), std::string::npos) << message;
    q.Close();
    EXPECT_FALSE(q.Active());
}

TEST_P(FetchAhead, ClosingOrEndingTheTransactionMidwayStopsTheFetching) {
    TIBQuery q;
    Attach(q);
    q.SetSQL(Rows(20000));
    for (int run = 0; run < 3; ++run) {
        q.Open();
        for (int i = 0; i < 10 * run; ++i) {
            q.Next();
        }
        EXPECT_EQ(q.FieldByName(QStringLiteral("N")).AsInteger(), 10 * run + 1);
        q.Close();
        EXPECT_FALSE(q.Active());
        EXPECT_TRUE(q.Eof());
    }
    q.Open();
    q.Next();
    // Ending the transaction closes the query, reader thread and all.
    s.tr.Commit();
    EXPECT_FALSE(q.Active());
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.FindField(QStringLiteral("N")), nullptr);
}

INSTANTIATE_TEST_SUITE_P(IBQuery, FetchAhead, ::testing::Values(false, true), [](const auto& info) {
    return std::string(info.param ? "ReaderThread" : "AsRead");
});

} // namespace
