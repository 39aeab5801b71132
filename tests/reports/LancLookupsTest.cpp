// The balance report's lookups against the test server: the texts and
// names read in bulk, on the report's connection or read ahead on a second
// one, answer as the single lookups do.
#include "LancLookups.h"
#include "../session/MessageRecorder.h"
#include "DMod.h"
#include "DateTime.h"
#include "IBSQL.h"
#include "LancReadAhead.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class LancLookupsTest : public ::testing::Test {
protected:
    MessageRecorder rec;
    TDM dm;
};

// The month's texts and the names read in bulk give what the single
// lookups give: found among the condominium's month, found on their own
// when asked under another condominium or month, or empty when there is no
// such row; the same with a read-ahead on a second connection over a period
// around the month.
void ExpectSingleLookupAnswers(TLancLookups& lookups) {
    const double march = DateTime::EncodeDate(2014, 3, 1);
    const auto day = [](int d) { return DateTime::EncodeDate(2014, 3, d); };
    EXPECT_EQ(lookups.HistLanc(1, march, day(10), 1002), QStringLiteral("Salário do zelador João"));
    EXPECT_EQ(lookups.HistLanc(1, march, day(9), 2001),
              QStringLiteral("Salário (outro condomínio)"));
    EXPECT_EQ(lookups.HistLanc(1, march, day(11), 1002), QString());
    EXPECT_EQ(lookups.HistLanc(1, day(10), day(10), 1002), QString()); // not the entry's month
    EXPECT_EQ(lookups.Parcela(1, march, 502, 15), QStringLiteral("03/12"));
    EXPECT_EQ(lookups.Parcela(2, march, 502, 15), QStringLiteral("03/12"));
    EXPECT_EQ(lookups.Parcela(1, march, 501, 99), QString());
    // Payables: the month's of the condominium, paid or not; another
    // condominium's on its own; a date that is not the payable's gives
    // nothing.
    const auto pagar = [&](int cond, int lanc, int d) {
        return lookups.HistPagar(cond, march, march - 1, DateTime::EncodeDate(2014, 4, 1), lanc,
                                 day(d));
    };
    EXPECT_EQ(pagar(1, 7001, 20), QStringLiteral("Conserto do portão da garagem"));
    EXPECT_EQ(pagar(1, 7002, 25), QStringLiteral("Pintura (paga)"));
    EXPECT_EQ(pagar(1, 7004, 21), QStringLiteral("Conta do outro condomínio"));
    EXPECT_EQ(pagar(1, 7001, 21), QString());
    EXPECT_EQ(lookups.NomeCond(1), QStringLiteral("Condomínio Edifício São João"));
    EXPECT_EQ(lookups.NomeCond(2), QStringLiteral("Residencial Açaí"));
    EXPECT_EQ(lookups.NomeConta(10), QStringLiteral("Banco do Brasil Ag. 1234"));
    EXPECT_EQ(lookups.NomeRedConta(11), QStringLiteral("Caixa"));
    EXPECT_EQ(lookups.NomeRedConta(20), QStringLiteral("Itaú")); // another condominium's
    EXPECT_EQ(lookups.NomeConta(99), QString());
    const QString one = QStringLiteral("1");
    EXPECT_EQ(lookups.NomeSubconta(one, QStringLiteral("D"), QStringLiteral("2.02.01.01")),
              QStringLiteral("Contrato de Manutenção"));
    EXPECT_EQ(lookups.NomeSubconta(one, QStringLiteral("R"), QStringLiteral("2.02")), QString());
    EXPECT_EQ(lookups.NomeSubconta(QStringLiteral("x"), QStringLiteral("R"), one), QString());
}

TEST_F(LancLookupsTest, MonthTextsAnswerAsTheSingleLookups) {
    TIBTransaction t;
    t.SetDefaultDatabase(&dm.BDados);
    t.StartTransaction();
    {
        SCOPED_TRACE("on the report's connection");
        TLancLookups lookups(&dm.BDados, &t);
        ExpectSingleLookupAnswers(lookups);
    }
    {
        SCOPED_TRACE("read ahead");
        TLancLookups lookups(&dm.BDados, &t);
        auto ahead =
            std::make_unique<TLancReadAhead>(dm.BDados, 1,
                                             TMonthRange::Between(DateTime::EncodeDate(2014, 2, 10),
                                                                  DateTime::EncodeDate(2014, 4, 2)),
                                             1);
        ASSERT_NE(ahead->Months(), nullptr);
        EXPECT_TRUE(ahead->Months()->Months.Covers(DateTime::EncodeDate(2014, 3, 1)));
        ASSERT_NE(ahead->Chart(1), nullptr);
        ASSERT_NE(ahead->Names(), nullptr);
        lookups.ReadAhead(std::move(ahead));
        ExpectSingleLookupAnswers(lookups);
    }

    // A history too long to come with the row is read whole.
    const QString longText = QString(9000, QLatin1Char('x')) + QStringLiteral("ção");
    TIBSQL insert;
    insert.SetDatabase(&dm.BDados);
    insert.SetTransaction(&t);
    insert.SetSQL(QStringLiteral("insert into cpagar values (7999, '2014-03-22', :h, 1, 10, "
                                 "'2.02.01', 'C', 1, null)"));
    insert.Params(0).SetAsString(longText);
    insert.ExecQuery();
    const double march = DateTime::EncodeDate(2014, 3, 1);
    TLancLookups fresh(&dm.BDados, &t); // reads the month after the insert
    EXPECT_EQ(fresh.HistPagar(1, march, march - 1, DateTime::EncodeDate(2014, 4, 1), 7999,
                              DateTime::EncodeDate(2014, 3, 22)),
              longText);
    t.Rollback();
}

// A read-ahead that cannot connect reads nothing and says nothing; the
// lookups then ask the report's own connection.
TEST_F(LancLookupsTest, AReadAheadThatCannotConnectLeavesTheLookupsToTheReport) {
    TIBDatabase nowhere;
    nowhere.SetDatabaseName(dm.BDados.DatabaseName() + QStringLiteral(".missing"));
    nowhere.Params() = dm.BDados.Params();
    auto ahead = std::make_unique<TLancReadAhead>(
        nowhere, 1, TMonthRange{DateTime::EncodeDate(2014, 3, 1), DateTime::EncodeDate(2014, 3, 1)},
        1);
    EXPECT_EQ(ahead->Months(), nullptr);
    EXPECT_EQ(ahead->Chart(1), nullptr);
    EXPECT_EQ(ahead->Names(), nullptr);
    TIBTransaction t;
    t.SetDefaultDatabase(&dm.BDados);
    t.StartTransaction();
    TLancLookups lookups(&dm.BDados, &t);
    lookups.ReadAhead(std::move(ahead));
    ExpectSingleLookupAnswers(lookups);
    t.Rollback();
    EXPECT_TRUE(rec.texts.isEmpty());
}

// The months a reading answers for: the report's month alone, any day; or
// the first days of the period's months.
TEST(MonthRange, CoversTheMonthAloneOrThePeriodsFirstDays) {
    const auto date = [](int y, int m, int d) { return DateTime::EncodeDate(y, m, d); };
    const TMonthRange alone{date(2014, 3, 15), date(2014, 3, 15)};
    const TMonthRange period = TMonthRange::Between(date(2013, 11, 20), date(2014, 2, 3));
    EXPECT_EQ(period.First, date(2013, 11, 1));
    EXPECT_EQ(period.Last, date(2014, 2, 1));
    const struct {
        const TMonthRange& Range;
        double Mes;
        bool Covered;
    } cases[] = {
        {alone, date(2014, 3, 15), true},  {alone, date(2014, 3, 1), false},
        {alone, date(2014, 4, 1), false},  {period, date(2013, 11, 1), true},
        {period, date(2014, 1, 1), true},  {period, date(2014, 2, 1), true},
        {period, date(2014, 1, 2), false}, {period, date(2013, 10, 1), false},
        {period, date(2014, 3, 1), false}, {period, date(2014, 1, 1) + 0.5, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Range.Covers(c.Mes), c.Covered) << c.Mes;
    }
}

} // namespace
