// The balance report form against the test server: the template of the
// settings row, the condominium selection kept private to the run, the
// rows of the procedure and the emission log.
#include "../session/MessageRecorder.h"
#include "../support/CommittedSql.h"
#include "DMod.h"
#include "DateTime.h"
#include "Exception.h"
#include "IBSQL.h"
#include "RLEngineServices.h"
#include "RemotoLanc.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Tests run side by side on one server and each run logs its emission for
// its month, so every test uses a month of its own and clears its log rows.
double TestMonth(int month) {
    return DateTime::EncodeDate(2031, month, 1);
}
// March 2014, the month of the fixture's entries, asked for as a period.
void AskForMarch2014AsAPeriod() {
    TipoPeriodo = QStringLiteral("período");
    DataIni = DateTime::EncodeDate(2014, 3, 1);
    DataFim = DateTime::EncodeDate(2014, 3, 31);
}

class BalanceteServer : public ::testing::Test {
protected:
    void SetUp() override {
        RLEngineServices::SetPreviewOpener(
            [this](TRLGraphicStorage*, const TRLPreviewOptions&) { ++previews; });
        RLEngineServices::SetMessageSink([this](const QString& t) { engineMessages << t; });
        dm.CondLogado = 1;
        dm.CodBalancete = 1;
        TipoPeriodo = QStringLiteral("mês");
        TipoConta = 2;
        GrauConta = 3;
        AlgumasContas = false;
        ContasSel.clear();
    }
    void TearDown() override {
        if (dm.MesAtual != 0) {
            ClearLog(dm.MesAtual);
        }
        RLEngineServices::SetPreviewOpener(nullptr);
        RLEngineServices::SetMessageSink(nullptr);
    }

    // A second connection to the same database, as another client's.
    void ConnectAsAnotherClient(TIBDatabase& other) {
        other.SetDatabaseName(dm.BDados.DatabaseName());
        other.Params() = dm.BDados.Params();
        other.SetLoginPrompt(false);
        other.SetConnected(true);
    }

    // Runs in a transaction of its own, committed, as another client would.
    QStringList Committed(const QString& text, const QList<double>& dates = {}) {
        return CommittedRows(dm.BDados, text, dates);
    }

    void UseMonth(double month) {
        dm.MesAtual = month;
        ClearLog(month);
    }
    void ClearLog(double month) {
        Committed(QStringLiteral("delete from emissoes where mes = :m"), {month});
    }
    QStringList LogRows() {
        return Committed(
            QStringLiteral("select cod, diasbol01, diasbal01 from emissoes where mes = :m"),
            {dm.MesAtual});
    }

    MessageRecorder rec;
    TDM dm;
    int previews = 0;
    QStringList engineMessages;
};

TEST_F(BalanceteServer, CreationLoadsTheTemplateOfTheSettingsRow) {
    TFRemotoLanc form;
    EXPECT_TRUE(form.TransaGeral.Active());
    EXPECT_EQ(form.Memo2, QStringLiteral("Rec. {Cota} ref. {MêsCota4} - {Imóvel}"));
    EXPECT_EQ(form.Marcas, (QStringList{QStringLiteral("Cota"), QStringLiteral("MêsCota4"),
                                        QStringLiteral("Imóvel")}));
    dm.CodBalancete = 99; // no such settings row
    TFRemotoLanc empty;
    EXPECT_TRUE(empty.Memo2.isEmpty());
    EXPECT_TRUE(empty.Marcas.isEmpty());
}

TEST_F(BalanceteServer, RunSeesOnlyItsOwnCondominiumAndKeepsTheSelectionPrivate) {
    UseMonth(TestMonth(6));
    AskForMarch2014AsAPeriod();
    TFRemotoLanc form;
    form.ImprimeBalancete();
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(engineMessages.isEmpty()) << engineMessages.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(form.QLanc.Active());

    // Within the run's transaction the selection is there; nobody else sees it.
    form.SQLGeral.SetSQL(QStringLiteral("select cond, sel from condsel"));
    form.SQLGeral.ExecQuery();
    EXPECT_EQ(form.SQLGeral.Fields(0).AsInteger(), 1);
    EXPECT_EQ(form.SQLGeral.Fields(1).AsString(), QStringLiteral("S"));
    form.SQLGeral.Next();
    EXPECT_TRUE(form.SQLGeral.Eof());
    form.SQLGeral.Close();
    EXPECT_TRUE(Committed(QStringLiteral("select cond from condsel where cond = 1")).isEmpty());

    // The statement's rows, reopened with the run's parameters.
    form.QLanc.Open();
    int rows = 0;
    for (; !form.QLanc.Eof(); form.QLanc.Next(), ++rows) {
        EXPECT_EQ(form.QLanc.FieldByName(QStringLiteral("COND")).AsInteger(), 1);
        const QString sub = form.QLanc.FieldByName(QStringLiteral("SUBCONTA")).AsString();
        EXPECT_EQ(form.QLanc.FieldByName(QStringLiteral("GRAU2")).AsString(), sub.left(4));
    }
    form.QLanc.Close();
    EXPECT_GT(rows, 0);
}

TEST_F(BalanceteServer, TwoFormsOnTwoConnectionsEachSelectTheirOwnCondominium) {
    UseMonth(TestMonth(7));
    AskForMarch2014AsAPeriod();
    TFRemotoLanc first;
    first.ImprimeBalancete();
    // A second client on its own connection, while the first is still open.
    TIBDatabase other;
    ConnectAsAnotherClient(other);
    TIBTransaction t;
    t.SetDefaultDatabase(&other);
    t.Params() = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                  QStringLiteral("nowait")};
    t.StartTransaction();
    TIBSQL sql;
    sql.SetDatabase(&other);
    sql.SetTransaction(&t);
    sql.SetSQL(QStringLiteral("delete from condsel"));
    sql.ExecQuery();
    sql.Close();
    sql.SetSQL(QStringLiteral("insert into CONDSEL (cond,sel) values (2,'S') "));
    sql.ExecQuery();
    sql.Close();
    sql.SetSQL(QStringLiteral("select cond from condsel"));
    sql.ExecQuery();
    EXPECT_EQ(sql.Fields(0).AsInteger(), 2);
    sql.Next();
    EXPECT_TRUE(sql.Eof());
    sql.Close();
    t.Rollback();

    first.QLanc.Open();
    ASSERT_FALSE(first.QLanc.Eof());
    for (; !first.QLanc.Eof(); first.QLanc.Next()) {
        EXPECT_EQ(first.QLanc.FieldByName(QStringLiteral("COND")).AsInteger(), 1);
    }
    first.QLanc.Close();
}

TEST_F(BalanceteServer, EmissionLogMarksDayOneOnFirstAndLaterIssues) {
    UseMonth(TestMonth(5));
    const QString blank(31, QLatin1Char(' '));
    const QString marked = QLatin1Char('C') + QString(30, QLatin1Char(' '));
    {
        TFRemotoLanc form;
        form.ImprimeBalancete();
    }
    EXPECT_EQ(LogRows(), QStringList{QStringLiteral("1|") + blank + QLatin1Char('|') + marked});
    {
        TFRemotoLanc form;
        form.ImprimeBalancete();
    }
    EXPECT_EQ(LogRows(), QStringList{QStringLiteral("1|") + blank + QLatin1Char('|') + marked});
}

TEST_F(BalanceteServer, EmissionLogFillsAnEmptyStoredMarkText) {
    UseMonth(TestMonth(4));
    Committed(QStringLiteral("insert into emissoes (cod, mes, diasbol01, diasbal01) "
                             "values (1, :m, 'B', null)"),
              {dm.MesAtual});
    {
        TFRemotoLanc form;
        form.ImprimeBalancete();
    }
    const QString bol = QLatin1Char('B') + QString(30, QLatin1Char(' '));
    const QString marked = QLatin1Char('C') + QString(30, QLatin1Char(' '));
    EXPECT_EQ(LogRows(), QStringList{QStringLiteral("1|") + bol + QLatin1Char('|') + marked});
}

// Walks the run's rows as the engine walks the lance group: header at a
// lance's first row, detail per row, footer once the next lance has begun.
QStringList LanceTexts(TFRemotoLanc& form) {
    QStringList texts;
    QString key;
    QString previous;
    const auto field = [&](const char* n) {
        return form.QLanc.FieldByName(QString::fromLatin1(n)).AsString();
    };
    form.QLanc.Open();
    for (; !form.QLanc.Eof(); form.QLanc.Next()) {
        key = field("COND") + QLatin1Char('|') + field("CONTA") + QLatin1Char('|') +
              field("SUBCONTA") + QLatin1Char('|') + field("DATA") + QLatin1Char('|') +
              field("TRAB");
        if (key != previous) {
            if (!previous.isEmpty()) {
                texts << form.TotLancText();
            }
            form.HeadLancText();
            previous = key;
        }
        form.DetalheText();
    }
    if (!previous.isEmpty()) {
        texts << form.TotLancText();
    }
    form.QLanc.Close();
    return texts;
}

// The only test that asks for March 2014 as a month.
TEST_F(BalanceteServer, EachLanceGetsItsHistoryFromPayableEntryOrTemplate) {
    UseMonth(DateTime::EncodeDate(2014, 3, 1));
    TFRemotoLanc form;
    form.ImprimeBalancete();
    QStringList texts = LanceTexts(form);
    texts.sort();
    // The two receipts of 08/03 share a lance at 1.01.01.01: the footer
    // fills the template from its last row (unit 15, instalment 03/12).
    // The two payroll entries of 10/03 share one too: the last one's text.
    // The payable due 20/03 prints its own history; the paid one and the
    // one due in April are not there.
    const QStringList expected{
        QStringLiteral("Conserto do portão da garagem"),
        QStringLiteral("INSS sobre a folha"),
        QStringLiteral("Manutenção mensal do elevador"),
        QStringLiteral("Rec. Apto 102 - 03/12 ref. 02/2014 - Apto 102"),
        QStringLiteral("Rec. Vaga 101 - 03/14 ref. 03/2014 - Apto 101"),
        QStringLiteral("Rendimento de aplicação"),
    };
    EXPECT_EQ(texts, expected);
}

} // namespace

namespace {

// Another client writing the same log row at the same moment: its insert
// is not committed yet when the run looks, so the run inserts too, waits
// for the other and fails on its key; the log is then written again and
// the day is marked in the other's row.
TEST_F(BalanceteServer, EmissionLogWaitsForAConcurrentRunAndMarksItsRow) {
    UseMonth(TestMonth(8));
    TIBDatabase other;
    ConnectAsAnotherClient(other);
    TIBTransaction t;
    t.SetDefaultDatabase(&other);
    t.StartTransaction();
    TIBSQL sql;
    sql.SetDatabase(&other);
    sql.SetTransaction(&t);
    sql.SetSQL(QStringLiteral("insert into emissoes (cod, mes, diasbol01, diasbal01) values (1, "
                              ":m, 'B', null)"));
    sql.Params(0).SetAsDateTime(dm.MesAtual);
    sql.ExecQuery();
    std::thread commitLater([&t] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        t.Commit();
    });
    try {
        TFRemotoLanc form;
        form.ImprimeBalancete();
    } catch (const Exception& e) {
        ADD_FAILURE() << e.Message().toStdString();
    }
    commitLater.join();
    const QString bol = QLatin1Char('B') + QString(30, QLatin1Char(' '));
    const QString marked = QLatin1Char('C') + QString(30, QLatin1Char(' '));
    EXPECT_EQ(LogRows(), QStringList{QStringLiteral("1|") + bol + QLatin1Char('|') + marked});
}

} // namespace
