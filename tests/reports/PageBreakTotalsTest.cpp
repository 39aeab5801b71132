// Every printed total equals the lines printed above it, wherever the page
// breaks fall. Each report is generated again and again against the test
// server while rows are added one at a time ahead of a fixed block of
// data, so the page breaks move through every position of that block: a
// lance of one row and of many rows, histories of one and of several
// lines, headers and totals on the last line of a page, a group over three
// pages; for the listings a unit's or a day's rows split over two pages.
#include "../format/FormatTestSupport.h"
#include "../session/MessageRecorder.h"
#include "../support/CommittedSql.h"
#include "DMod.h"
#include "DateTime.h"
#include "PrintedTotals.h"
#include "RLEngineServices.h"
#include "RemotoCap.h"
#include "RemotoInad.h"
#include "RemotoLanc.h"
#include "ReportParts.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <set>

namespace {

// Steps of the sweep: more than the lines a page holds.
constexpr int Fillers = 48;

class PageBreakTotals : public ::testing::Test {
protected:
    void SetUp() override {
        RegionalSettings::SetCurrent(BrazilianSettings());
        RLEngineServices::SetPreviewOpener(
            [this](TRLGraphicStorage* s, const TRLPreviewOptions&) { pages = ReadPages(*s); });
        RLEngineServices::SetMessageSink([this](const QString& t) { engineMessages << t; });
    }
    void TearDown() override {
        Clear();
        RLEngineServices::SetPreviewOpener(nullptr);
        RLEngineServices::SetMessageSink(nullptr);
        RegionalSettings::SetCurrent(saved);
    }

    void Sql(const QString& text, const QList<double>& dates = {}) {
        CommittedRows(dm.BDados, text, dates);
    }
    // Each test has a condominium of its own and touches only its rows, so
    // the tests may run side by side.
    void Clear() {
        if (cond_ == 0) {
            return;
        }
        for (const char* table : {"LANCONTA", "CONTA", "IMOVEL", "RECEMIM", "COND"}) {
            Sql(QStringLiteral("delete from %1 where cond = %2")
                    .arg(QLatin1String(table))
                    .arg(cond_));
        }
        Sql(QStringLiteral("delete from EMISSOES where cod = %1").arg(cond_));
        Sql(QStringLiteral("delete from CPAGAR where coddev = %1").arg(cond_));
    }
    void Cond(int cond) {
        cond_ = cond;
        Clear(); // what a stopped earlier run may have left
        Sql(QStringLiteral("insert into COND (cond, nome, remoto_senha, remoto_balancete, "
                           "estrutu) values (%1, 'Condomínio Quebra %1', 'q%1', 1, 1)")
                .arg(cond));
    }
    void Lance(int lanc, int day, const char* rd, const char* code, const QString& history,
               const QString& value, const QString& trab) {
        Sql(QStringLiteral("insert into LANCONTA values (%1, 80, 800, '2015-05-01', "
                           "'2015-05-%2', '%3', '%4', %5, %6, null, '%7')")
                .arg(lanc)
                .arg(day, 2, 10, QLatin1Char('0'))
                .arg(QLatin1String(rd), QLatin1String(code), history, value, trab));
    }
    void Payable(int cond, int lanc, const QString& due, const QString& history,
                 const QString& value, const char* code) {
        Sql(QStringLiteral("insert into CPAGAR values (%1, '%2', %3, %4, 800, '%5', 'C', %6, "
                           "null)")
                .arg(lanc)
                .arg(due, history, value, QLatin1String(code))
                .arg(cond));
    }
    static QString Text(const QString& s) { return QLatin1Char('\'') + s + QLatin1Char('\''); }
    // A history of several lines, CR LF between them.
    static QString Lines(const QStringList& lines) {
        QStringList quoted;
        for (const QString& l : lines) {
            quoted << Text(l);
        }
        return quoted.join(QStringLiteral(" || ascii_char(13) || ascii_char(10) || "));
    }
    static QString Cents(int cents) {
        return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
    }

    // What the page ends with, above the footer, for the coverage check.
    enum class Last { Header, Total, Lance };
    static std::set<Last> LastLines(const SavedReport& r) {
        static const QRegularExpression caption(QStringLiteral(R"(^\d(\.\d\d){0,3} - )"));
        std::set<Last> out;
        for (int page = 1; page < r.PageCount; ++page) {
            PageText last;
            for (const PageText& t : r.On(page)) {
                if (t.Text != ReportParts::CreditLine() && t.Box.Top >= last.Box.Top) {
                    last = t;
                }
            }
            QStringList line;
            for (const PageText& t : r.On(page)) {
                if (std::abs(t.Box.Top - last.Box.Top) < 4) {
                    line << t.Text;
                }
            }
            const QString joined = line.join(u' ');
            out.insert(joined.contains(QStringLiteral("Total d"))
                           ? Last::Total
                           : (std::any_of(line.begin(), line.end(),
                                          [](const QString& t) {
                                              return caption.match(t + u' ').hasMatch();
                                          })
                                  ? Last::Header
                                  : Last::Lance));
        }
        return out;
    }
    // No text of the page's body reaches into its footer.
    static void ExpectBodyAboveFooter(const SavedReport& r, const QString& run) {
        for (const PageText& credit : r.All(ReportParts::CreditLine())) {
            for (const PageText& t : r.On(credit.Page)) {
                if (t.Text != ReportParts::CreditLine()) {
                    EXPECT_LT(t.Box.Bottom, credit.Box.Top)
                        << run.toStdString() << " page " << t.Page << ": " << t.Text.toStdString();
                }
            }
        }
    }

    void RunBalance(int grade) {
        dm.CondLogado = 80;
        dm.CodBalancete = 1;
        dm.MesAtual = DateTime::EncodeDate(2015, 5, 1);
        TipoPeriodo = QStringLiteral("mês");
        TipoConta = 2;
        GrauConta = grade;
        AlgumasContas = false;
        ContasSel.clear();
        DataIni = dm.MesAtual;
        DataFim = DateTime::EncodeDate(2015, 5, 31);
        pages = SavedReport();
        TFRemotoLanc form;
        form.ImprimeBalancete();
        Sql(QStringLiteral("delete from EMISSOES where cod = 80"));
    }
    void Check(const QString& run) {
        ASSERT_GT(pages.PageCount, 0)
            << run.toStdString() << engineMessages.join(u'\n').toStdString();
        const QStringList faults = PrintedTotalFaults(pages);
        EXPECT_TRUE(faults.isEmpty()) << run.toStdString() << '\n'
                                      << faults.join(u'\n').toStdString();
        const std::set<Last> last = LastLines(pages);
        lastLines.insert(last.begin(), last.end());
        ExpectBodyAboveFooter(pages, run);
    }

    const RegionalSettings saved = RegionalSettings::Current();
    MessageRecorder rec;
    TDM dm;
    SavedReport pages;
    QStringList engineMessages;
    std::set<Last> lastLines; // over every run of a sweep
    int cond_ = 0;
};

// The balance report of May 2015: fillers in 1.02.01 ahead of a lance of
// seven rows, lances of three-line histories, a negative lance, committed
// payables, and a grade-4 group of a hundred lances.
TEST_F(PageBreakTotals, BalanceTotalsAddUpWhereverThePageBreaks) {
    Cond(80);
    Sql(QStringLiteral("insert into CONTA values (800, 80, 'Conta Quebra', 'CQ', 1000.00)"));
    for (int row = 1; row <= 7; ++row) {
        Lance(80100 + row, 10, "E", "1.01.01.01", Text(QStringLiteral("Cota parte %1").arg(row)),
              Cents(1000 + row), QStringLiteral("MUITAS"));
    }
    for (int v = 1; v <= 3; ++v) {
        Lance(80200 + v, 11, "E", "1.01.01.02",
              Lines({QStringLiteral("Aluguel da vaga %1").arg(v), QStringLiteral("garagem"),
                     QStringLiteral("maio")}),
              Cents(2000 + 25 * v), QStringLiteral("V%1").arg(v));
    }
    for (int i = 1; i <= 5; ++i) {
        Lance(80300 + i, 11 + i, "D", "2.01.01", Text(QStringLiteral("Salário %1").arg(i)),
              Cents(10000 + i), QStringLiteral("S%1").arg(i));
    }
    Lance(80310, 17, "D", "2.01.01", Text(QStringLiteral("Estorno")), QStringLiteral("-20.00"),
          QStringLiteral("ESTORNO"));
    for (int i = 1; i <= 100; ++i) {
        Lance(80400 + i, 1 + i % 28, "D", "2.02.01.01",
              Text(QStringLiteral("Manutenção %1").arg(i)), Cents(500 + 37 * i),
              QStringLiteral("M%1").arg(i));
    }
    Payable(80, 80501, QStringLiteral("2015-05-20"),
            Lines({QStringLiteral("Conserto do interfone"), QStringLiteral("e do portão")}),
            QStringLiteral("300.00"), "2.02.01.01");
    Payable(80, 80502, QStringLiteral("2015-05-21"), Text(QStringLiteral("Pintura")),
            QStringLiteral("150.55"), "2.02.01.01");

    int threePages = 0;
    for (int grade : {3, 2}) {
        for (int n = 0; n <= Fillers; ++n) {
            if (n > 0 && grade == 3) {
                Lance(80600 + n, 2, "E", "1.02.01", Text(QStringLiteral("Rendimento %1").arg(n)),
                      Cents(100 + n), QStringLiteral("F%1").arg(n));
            }
            if (grade == 2 && n == 1) {
                // From here on the lines move by a history line instead of
                // a whole lance.
                Lance(80700, 3, "E", "1.02.01",
                      Lines({QStringLiteral("Rendimento"), QStringLiteral("de aplicação")}),
                      QStringLiteral("7.77"), QStringLiteral("DUAS"));
                Sql(QStringLiteral("delete from LANCONTA where lanc = %1").arg(80600 + Fillers));
            } else if (grade == 2 && n > 1) {
                Sql(QStringLiteral("delete from LANCONTA where lanc = %1")
                        .arg(80600 + Fillers - n + 1));
            }
            RunBalance(grade);
            const QString run = QStringLiteral("grade %1, step %2").arg(grade).arg(n);
            Check(run);
            if (HasFatalFailure()) {
                return;
            }
            std::set<int> pagesOfGroup;
            for (const PageText& t :
                 pages.All(QStringLiteral("2.02.01.01 - Contrato de Manutenção"))) {
                pagesOfGroup.insert(t.Page);
            }
            threePages += pagesOfGroup.size() >= 3 ? 1 : 0;
        }
    }
    // The data did move the breaks where the faults were.
    EXPECT_EQ(lastLines, (std::set<Last>{Last::Header, Last::Total, Last::Lance}));
    EXPECT_GT(threePages, 0);
}

// The delinquency listing: a unit of many bills after a unit that grows one
// bill at a time, so its rows and its "Total do imóvel" cross the break.
TEST_F(PageBreakTotals, DelinquencyTotalsAddUpWhereverThePageBreaks) {
    Cond(81);
    const int bills[] = {0, 1, 40, 3};
    for (int unit = 1; unit <= 4; ++unit) {
        Sql(QStringLiteral("insert into IMOVEL (cond, imovel, complem) values (81, '%1', "
                           "'Apto %2')")
                .arg(unit, 4, 10, QLatin1Char('0'))
                .arg(unit));
        for (int b = 1; b <= bills[unit - 1]; ++b) {
            const int cents = unit == 4 && b == 2 ? -4550 : 1000 + 13 * b;
            Sql(QStringLiteral("insert into RECEMIM values (%1, 81, '%2', '2014-%3-10', %4, "
                               "'2014-%3-01', null, null)")
                    .arg(81000 + unit * 100 + b)
                    .arg(unit, 4, 10, QLatin1Char('0'))
                    .arg(1 + b % 12, 2, 10, QLatin1Char('0'))
                    .arg(Cents(std::abs(cents))
                             .prepend(cents < 0 ? QStringLiteral("-") : QString())));
        }
    }
    dm.CondLogado = 81;
    for (int n = 0; n <= Fillers; ++n) {
        if (n > 0) {
            Sql(QStringLiteral("insert into RECEMIM values (%1, 81, '0001', '2014-01-%2', %3, "
                               "'2014-01-01', null, null)")
                    .arg(81000 + n)
                    .arg(1 + n % 28, 2, 10, QLatin1Char('0'))
                    .arg(Cents(500 + n)));
        }
        pages = SavedReport();
        TFRemotoInad form;
        form.ImprimeInadimplencia();
        Check(QStringLiteral("step %1").arg(n));
        if (HasFatalFailure()) {
            return;
        }
    }
    EXPECT_TRUE(lastLines.count(Last::Total) && lastLines.count(Last::Lance));
}

// The payables listing: a day that grows one payable at a time ahead of a
// payable of three lines and a day of many payables.
TEST_F(PageBreakTotals, PayablesTotalsAddUpWhereverThePageBreaks) {
    Cond(82);
    Payable(82, 82001, QStringLiteral("2014-03-11"),
            Lines({QStringLiteral("Conserto"), QStringLiteral("do portão"),
                   QStringLiteral("da garagem")}),
            QStringLiteral("123.45"), "2.02.01.01");
    for (int i = 1; i <= 30; ++i) {
        Payable(82, 82100 + i, QStringLiteral("2014-03-12"),
                Text(QStringLiteral("Parcela %1").arg(i)), Cents(2000 + 11 * i), "2.01.01");
    }
    Payable(82, 82200, QStringLiteral("2014-03-13"), Text(QStringLiteral("Estorno")),
            QStringLiteral("-50.00"), "2.01.01");
    dm.CondLogado = 82;
    for (int n = 0; n <= Fillers; ++n) {
        if (n > 0) {
            Payable(82, 82300 + n, QStringLiteral("2014-03-10"),
                    Text(QStringLiteral("Material %1").arg(n)), Cents(300 + n), "2.03.01");
        }
        pages = SavedReport();
        TFRemotoCap form;
        form.ImprimeCompromissados();
        Check(QStringLiteral("step %1").arg(n));
        if (HasFatalFailure()) {
            return;
        }
    }
    EXPECT_TRUE(lastLines.count(Last::Total) && lastLines.count(Last::Lance));
}

} // namespace
