// Query datasets and the three server procedures, checked against the
// fixture data whose answers are worked out by hand in server/fixtures.sql.
#include "IBQuery.h"
#include "DbTestSupport.h"
#include "IBError.h"
#include "IBSQL.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using DbTest::Session;

constexpr double kMarch2014 = 41699; // 01/03/2014
constexpr double kFeb2014 = 41671;   // 01/02/2014

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message().toStdString();
    }
    return "(no error)";
}

// Selects condominium `cond` for the procedures, in the session's
// transaction, never committed.
void SelectCond(Session& s, int cond) {
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(QStringLiteral("delete from condsel"));
    sql.ExecQuery();
    sql.SetSQL(QStringLiteral("insert into CONDSEL (cond,sel) values (%1,'S') ").arg(cond));
    sql.ExecQuery();
}

const QString kMonthHead = QStringLiteral(
    "SELECT substring(subconta from 1 for 1) as grau1,  substring(subconta from 1 for 4) as grau2, "
    " "
    "substring(subconta from 1 for 7) as grau3,  substring(subconta from 1 for 10) as grau4,  "
    "character_length(subconta) as tamanho,  sp_lanc_por_conta_remoto.* FROM  "
    "sp_lanc_por_conta_remoto(:wgrupo,:wimovel,:wmesrec,:wmescota,:wcota,:wmes1,:wmesini,:wmesfim)"
    " ");
const QString kPeriodHead = QStringLiteral(
    "SELECT substring(subconta from 1 for 1) as grau1,  substring(subconta from 1 for 4) as grau2, "
    " "
    "substring(subconta from 1 for 7) as grau3,  substring(subconta from 1 for 10) as grau4,  "
    "character_length(subconta) as tamanho,  sp_lanc_por_conta_remoto_per.* FROM  "
    "sp_lanc_por_conta_remoto_per(:wgrupo,:wimovel,:wmesrec,:wmescota,:wcota,:wmes1,:wmesini,:"
    "wmesfim) ");
const QString kOrder = QStringLiteral(" order by  cond,conta,subconta,data,trab,lanc");

void SetFlags(TIBQuery& q, const QString& flags) {
    const char* names[] = {"wgrupo", "wimovel", "wmesrec", "wmescota", "wcota"};
    for (int i = 0; i < 5; ++i) {
        q.ParamByName(QString::fromLatin1(names[i])).SetAsString(flags.mid(i, 1));
    }
}

TEST(IBQueryTest, MonthProcedureReturnsTheMonthOfTheSelectedCondominium) {
    Session s;
    SelectCond(s, 1);
    TIBQuery q;
    q.SetDatabase(&s.db);
    q.SetTransaction(&s.tr);
    auto& valCota = q.AddField<TIBBCDField>(QStringLiteral("VAL_COTA"));
    valCota.SetDisplayFormat(QStringLiteral("###,###,##0.00 ;###,###,##0.00 -; "));
    q.SetSQL(kMonthHead + kOrder);
    SetFlags(q, QStringLiteral("SSSSS"));
    q.ParamByName(QStringLiteral("wmes1")).SetAsDateTime(kMarch2014);
    q.ParamByName(QStringLiteral("wmesini")).SetAsDateTime(kMarch2014 - 1);
    q.ParamByName(QStringLiteral("wmesfim")).SetAsDateTime(kMarch2014 + 31);
    q.Open();
    struct Row {
        int lanc;
        QString rd, tipreg, subconta, grau2;
        std::int64_t valLanc, valCota, valRec;
        int cota;
        QString complem;
    };
    std::vector<Row> rows;
    for (; !q.Eof(); q.Next()) {
        rows.push_back({q.FieldByName(QStringLiteral("LANC")).AsInteger(),
                        q.FieldByName(QStringLiteral("R_D")).AsString(),
                        q.FieldByName(QStringLiteral("TIPREG")).AsString(),
                        q.FieldByName(QStringLiteral("SUBCONTA")).AsString(),
                        q.FieldByName(QStringLiteral("GRAU2")).AsString(),
                        q.FieldByName(QStringLiteral("VAL_LANC")).AsCurrency(),
                        valCota.AsCurrency(), q.FieldByName(QStringLiteral("VAL_REC")).AsCurrency(),
                        q.FieldByName(QStringLiteral("COTA")).AsInteger(),
                        q.FieldByName(QStringLiteral("COMPLEM")).AsString()});
        EXPECT_EQ(q.FieldByName(QStringLiteral("COND")).AsInteger(), 1);
        EXPECT_EQ(q.FieldByName(QStringLiteral("MES")).AsDateTime(), kMarch2014);
        EXPECT_EQ(q.FieldByName(QStringLiteral("ESTRUTU")).AsInteger(), 1);
    }
    EXPECT_EQ(q.RecordCount(), 8);
    ASSERT_EQ(rows.size(), 8u);
    // Ordered by account, code, date, trab, lanc: account 10 first.
    EXPECT_EQ(rows[0].lanc, 1005); // 1.01.01.01 quota 12
    EXPECT_EQ(rows[0].rd, QStringLiteral("R"));
    EXPECT_EQ(rows[0].valCota, 5000000);
    EXPECT_EQ(rows[0].valLanc, 6000000);
    EXPECT_EQ(rows[0].cota, 12);
    EXPECT_EQ(rows[0].complem, QStringLiteral("Apto 101"));
    EXPECT_EQ(rows[0].grau2, QStringLiteral("1.01"));
    EXPECT_EQ(rows[1].lanc, 1006); // 1.01.01.01 quota 15
    EXPECT_EQ(rows[1].cota, 15);
    EXPECT_EQ(rows[2].lanc, 1005); // 1.01.01.02 quota 13
    EXPECT_EQ(rows[2].valCota, 1000000);
    EXPECT_EQ(rows[3].lanc, 1001);
    EXPECT_EQ(rows[3].rd, QStringLiteral("E"));
    EXPECT_EQ(rows[3].valLanc, 1500000);
    EXPECT_EQ(rows[4].lanc, 1002);
    EXPECT_EQ(rows[5].lanc, 1003);
    EXPECT_EQ(rows[6].lanc, 7001); // committed payable
    EXPECT_EQ(rows[6].tipreg, QStringLiteral("Y"));
    EXPECT_EQ(rows[6].valRec, 3000000);
    EXPECT_EQ(rows[7].lanc, 1004); // account 11
    EXPECT_EQ(rows[7].valLanc, 3205000);
    // Display text through the field's format.
    q.First();
    EXPECT_EQ(valCota.DisplayText(), QStringLiteral("500,00 "));
}

TEST(IBQueryTest, FlagsLeaveOptionalColumnsNull) {
    Session s;
    SelectCond(s, 1);
    TIBQuery q;
    q.SetDatabase(&s.db);
    q.SetTransaction(&s.tr);
    q.SetSQL(
        kMonthHead +
        QStringLiteral(" where (R_D = 'E' or R_D = 'R')  and  substring(subconta from 1 for 4) "
                       "in ('1.01')") +
        kOrder);
    SetFlags(q, QStringLiteral("NNNSN")); // only wmescota
    q.ParamByName(QStringLiteral("wmes1")).SetAsDateTime(kMarch2014);
    q.ParamByName(QStringLiteral("wmesini")).SetAsDateTime(kMarch2014 - 1);
    q.ParamByName(QStringLiteral("wmesfim")).SetAsDateTime(kMarch2014 + 31);
    q.Open();
    q.FetchAll();
    EXPECT_EQ(q.RecordCount(), 3);
    for (q.First(); !q.Eof(); q.Next()) {
        EXPECT_TRUE(q.FieldByName(QStringLiteral("COTA")).IsNull());
        EXPECT_TRUE(q.FieldByName(QStringLiteral("COMPLEM")).IsNull());
        EXPECT_TRUE(q.FieldByName(QStringLiteral("GRUPO")).IsNull());
        EXPECT_TRUE(q.FieldByName(QStringLiteral("MESREFREC")).IsNull());
        EXPECT_FALSE(q.FieldByName(QStringLiteral("MESREFCOTA")).IsNull());
    }
    q.First();
    q.Next();
    // Bill 502 pays February's share of quota 15.
    EXPECT_EQ(q.FieldByName(QStringLiteral("MESREFCOTA")).AsDateTime(), kFeb2014);
}

TEST(IBQueryTest, PeriodProcedureUsesTheOpenInterval) {
    Session s;
    SelectCond(s, 1);
    TIBQuery q;
    q.SetDatabase(&s.db);
    q.SetTransaction(&s.tr);
    q.SetSQL(kPeriodHead + kOrder);
    SetFlags(q, QStringLiteral("NNNNN"));
    q.ParamByName(QStringLiteral("wmes1")).SetAsDateTime(kMarch2014);
    q.ParamByName(QStringLiteral("wmesini")).SetAsDateTime(kMarch2014 + 6);  // 07/03
    q.ParamByName(QStringLiteral("wmesfim")).SetAsDateTime(kMarch2014 + 10); // 11/03
    q.Open();
    std::multiset<int> lancs;
    for (; !q.Eof(); q.Next()) {
        lancs.insert(q.FieldByName(QStringLiteral("LANC")).AsInteger());
    }
    EXPECT_EQ(lancs, (std::multiset<int>{1002, 1003, 1005, 1005, 1006}));
}

TEST(IBQueryTest, ProceduresSeeOnlyTheCallersUncommittedSelection) {
    // Another attachment with its own selection must not change our rows.
    Session other;
    SelectCond(other, 2);
    Session s;
    SelectCond(s, 1);
    TIBSQL sql;
    sql.SetDatabase(&s.db);
    sql.SetTransaction(&s.tr);
    sql.SetSQL(
        QStringLiteral("select count(*), sum(iif(cond = 1, 0, 1)) from sp_lanc_por_conta_remoto("
                       "'N','N','N','N','N', :m, :i, :f)"));
    sql.ParamByName(QStringLiteral("m")).SetAsDateTime(kMarch2014);
    sql.ParamByName(QStringLiteral("i")).SetAsDateTime(kMarch2014 - 1);
    sql.ParamByName(QStringLiteral("f")).SetAsDateTime(kMarch2014 + 31);
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 8);
    EXPECT_EQ(sql.Fields(1).AsInteger(), 0);
}

TEST(IBQueryTest, PegaSaldoGivesTheMonthFigures) {
    Session s;
    TIBQuery q;
    q.SetDatabase(&s.db);
    q.SetTransaction(&s.tr);
    q.SetSQL(QStringLiteral("select * from pega_saldo(:wcond,:wconta,:wmes)"));
    struct Case {
        int conta;
        double mes;
        std::int64_t receitas, despesas, saldofim;
    } cases[] = {
        {10, kMarch2014, 12000000, 30000000, 8000000},
        {-1, kMarch2014, 12000000, 33205000, 4795000},
        {10, kFeb2014, 0, 24000000, 26000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conta);
        q.Close();
        q.Params(0).SetAsInteger(1);
        q.Params(1).SetAsInteger(c.conta);
        q.Params(2).SetAsDateTime(c.mes);
        q.Open();
        EXPECT_EQ(q.RecordCount(), 1);
        EXPECT_EQ(q.FieldByName(QStringLiteral("RECEITAS")).AsCurrency(), c.receitas);
        EXPECT_EQ(q.FieldByName(QStringLiteral("DESPESAS")).AsCurrency(), c.despesas);
        EXPECT_EQ(q.FieldByName(QStringLiteral("SALDOFIM")).AsCurrency(), c.saldofim);
        EXPECT_EQ(q.FieldByName(QStringLiteral("SALDOFIM")).AsFloat(),
                  static_cast<double>(c.saldofim) / 10000);
    }
}

TEST(IBQueryTest, DecimalIsExactCurrencyAndDisplaysThroughItsFormat) {
    Session s;
    TIBQuery q;
    q.SetDatabase(&s.db);
    q.SetTransaction(&s.tr);
    auto& n = q.AddField<TIBBCDField>(QStringLiteral("N"));
    n.SetDisplayFormat(QStringLiteral("###,###,##0.00 ;###,###,##0.00-; "));
    auto& dt = q.AddField<TDateField>(QStringLiteral("DT"));
    q.SetSQL(
        QStringLiteral("select id, n, dt, ts, c, tb from tipos where id in (1, 2) order by id"));
    q.Open();
    EXPECT_EQ(n.AsCurrency(), 12345678900);
    EXPECT_EQ(n.AsFloat(), 1234567.89);
    EXPECT_EQ(n.DisplayText(), QStringLiteral("1.234.567,89 "));
    EXPECT_EQ(dt.DisplayText(), QStringLiteral("07/03/2014"));
    dt.SetDisplayFormat(QStringLiteral("mm/yyyy"));
    EXPECT_EQ(dt.DisplayText(), QStringLiteral("03/2014"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("TS")).DisplayText(),
              QStringLiteral("07/03/2014 13:45:30"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("C")).AsString(), QStringLiteral("ação      "));
    EXPECT_EQ(q.FieldByName(QStringLiteral("TB")).AsString(),
              QStringLiteral("Texto longo com acentuação: é, ç, ã"));
    EXPECT_NE(dynamic_cast<TMemoField*>(&q.FieldByName(QStringLiteral("TB"))), nullptr);
    q.Next();
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(n.DisplayText(), QString()); // null
    EXPECT_EQ(q.FieldByName(QStringLiteral("TB")).AsString(), QString());
    q.Next();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.RecordCount(), 2);
    q.Close();
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(q.FindField(QStringLiteral("ID")), nullptr);
}

TEST(IBQueryTest, QueryStateRules) {
    Session s;
    TIBQuery q;
    q.SetDatabase(&s.db);
    q.SetTransaction(&s.tr);
    q.AddField<TIntegerField>(QStringLiteral("NAO_EXISTE"));
    q.SetSQL(QStringLiteral("select cond from cond"));
    EXPECT_EQ(Message([&] { q.Open(); }), "Field \"NAO_EXISTE\" not found");
    EXPECT_FALSE(q.Active());

    TIBQuery empty;
    empty.SetDatabase(&s.db);
    empty.SetTransaction(&s.tr);
    empty.SetSQL(QStringLiteral("select cond from cond where cond < 0"));
    empty.Open();
    EXPECT_TRUE(empty.Active());
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_EQ(empty.FieldByName(QStringLiteral("COND")).AsInteger(), 0);
    // Ending the transaction closes the dataset.
    s.tr.Commit();
    EXPECT_FALSE(empty.Active());
    EXPECT_EQ(Message([&] { empty.Open(); }), "Transaction is not active");
}

TEST(IBQueryTest, RowsAreBufferedAcrossChunks) {
    Session s;
    TIBQuery q;
    q.SetDatabase(&s.db);
    q.SetTransaction(&s.tr);
    // 2500 generated rows: three chunks of 1000.
    q.SetSQL(QStringLiteral("with recursive r(n) as (select 0 from rdb$database union all "
                            "select n + 1 from r where n < 49) "
                            "select a.n * 50 + b.n + 1 as n, 'linha ' || (a.n * 50 + b.n + 1) as t "
                            "from r a cross join r b order by 1"));
    q.Open();
    EXPECT_EQ(q.RecordCount(), 1);
    long long sum = 0;
    int rows = 0;
    for (; !q.Eof(); q.Next()) {
        sum += q.FieldByName(QStringLiteral("N")).AsInteger();
        ++rows;
    }
    EXPECT_EQ(rows, 2500);
    EXPECT_EQ(sum, 2500LL * 2501 / 2);
    q.First();
    EXPECT_EQ(q.FieldByName(QStringLiteral("T")).AsString(), QStringLiteral("linha 1"));
    for (int i = 0; i < 1500; ++i) {
        q.Next();
    }
    EXPECT_EQ(q.FieldByName(QStringLiteral("T")).AsString(), QStringLiteral("linha 1501"));
}

} // namespace
