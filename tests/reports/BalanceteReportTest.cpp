// The balance report's pages against the test server: what each grade
// prints, the lance lines and their amounts, the grade totals, the page
// header and the month's balance boxes, worked out by hand in
// server/fixtures-balance.sql.
#include "../session/MessageRecorder.h"
#include "../format/FormatTestSupport.h"
#include "../support/CommittedSql.h"
#include "DMod.h"
#include "DateTime.h"
#include "IBSQL.h"
#include "RLEngineServices.h"
#include "RemotoLanc.h"
#include "ReportParts.h"
#include "ReportToolSupport.h"
#include "TextMetrics.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const double May2015 = DateTime::EncodeDate(2015, 5, 1);

// A page as lines: texts less than 4 pixels apart in height are one line,
// read left to right, trimmed, empty ones left out, joined by " | ". The
// issue date is left out (it is today).
QStringList Lines(const SavedReport& r, int page) {
    std::vector<PageText> texts = r.On(page);
    std::sort(texts.begin(), texts.end(), [](const PageText& a, const PageText& b) {
        return a.Box.Top != b.Box.Top ? a.Box.Top < b.Box.Top : a.Box.Left < b.Box.Left;
    });
    std::vector<std::vector<PageText>> lines;
    int lineTop = -100;
    for (const PageText& t : texts) {
        if (t.Text.trimmed().isEmpty() || t.Text.startsWith(QStringLiteral("Emitido em:"))) {
            continue;
        }
        if (t.Box.Top - lineTop > 3) {
            lines.emplace_back();
            lineTop = t.Box.Top;
        }
        lines.back().push_back(t);
    }
    QStringList out;
    for (std::vector<PageText>& line : lines) {
        std::sort(line.begin(), line.end(),
                  [](const PageText& a, const PageText& b) { return a.Box.Left < b.Box.Left; });
        QStringList parts;
        for (const PageText& t : line) {
            parts << t.Text.trimmed();
        }
        out << parts.join(QStringLiteral(" | "));
    }
    return out;
}

// The lines between the page header's account line and the balance box.
QStringList Body(const SavedReport& r, int page) {
    const QStringList all = Lines(r, page);
    QStringList body;
    bool inside = false;
    for (const QString& line : all) {
        if (line.startsWith(QStringLiteral("Saldo do início do mês:"))) {
            break;
        }
        if (inside) {
            body << line;
        }
        inside = inside || line.startsWith(QStringLiteral("Conta: "));
    }
    return body;
}

class BalanceteReport : public ::testing::Test {
protected:
    void SetUp() override {
        RegionalSettings::SetCurrent(BrazilianSettings());
        RLEngineServices::SetPreviewOpener([this](TRLGraphicStorage* s, const TRLPreviewOptions&) {
            pages = ReadPages(*s);
            ++previews;
        });
        RLEngineServices::SetMessageSink([this](const QString& t) { engineMessages << t; });
        dm.CodBalancete = 1;
        TipoConta = 2;
        AlgumasContas = false;
        ContasSel.clear();
    }
    void TearDown() override {
        ClearLog();
        RLEngineServices::SetPreviewOpener(nullptr);
        RLEngineServices::SetMessageSink(nullptr);
        RegionalSettings::SetCurrent(saved);
    }

    // Logs in as the condominium would and runs the report for May 2015.
    void Run(int cond, int grau, const QString& tipoPeriodo = QStringLiteral("mês")) {
        dm.CondLogado = cond;
        TIBSQL sql;
        sql.SetDatabase(&dm.BDados);
        sql.SetTransaction(&dm.Transas);
        if (!dm.Transas.Active()) {
            dm.Transas.StartTransaction();
        }
        sql.SetSQL(QStringLiteral("select remoto_balancete from cond where cond = ") +
                   QString::number(cond));
        sql.ExecQuery();
        dm.CodBalancete = sql.Fields(0).AsInteger();
        sql.Close();
        dm.MesAtual = May2015;
        TipoPeriodo = tipoPeriodo;
        GrauConta = grau;
        DataIni = DateTime::EncodeDate(2015, 5, 1);
        DataFim = DateTime::EncodeDate(2015, 5, 15);
        pages = SavedReport();
        TFRemotoLanc form;
        form.ImprimeBalancete();
    }
    void ClearLog() {
        CommittedRows(dm.BDados,
                      QStringLiteral("delete from emissoes where cod = ") +
                          QString::number(dm.CondLogado) + QStringLiteral(" and mes = :m"),
                      {May2015});
    }

    const RegionalSettings saved = RegionalSettings::Current();
    MessageRecorder rec;
    TDM dm;
    SavedReport pages;
    int previews = 0;
    QStringList engineMessages;
};

// What each grade prints for one account: the grade headers and totals it
// reaches, the lance lines from grade 2 on, "Total de" by grade, a zero
// lance left out but a zero group still totalled, a 7-character code with
// no grade-4 header, and a code without a name in the chart.
TEST_F(BalanceteReport, EachGradePrintsItsOwnShape) {
    const QStringList grade2Lances{
        QStringLiteral("1 - Receitas"),
        QStringLiteral("1.01 - Receitas Ordinárias"),
        QStringLiteral("1.01.01 - Taxa Condominial | Realizado | Compromissado"),
        QStringLiteral("Total de 1.01.01 - Taxa Condominial"),
        QStringLiteral("Total de 1.01 - Receitas Ordinárias"),
        QStringLiteral("1.02 - Outras Receitas"),
        QStringLiteral("1.02.01 - Rendimentos de Aplicação | Realizado | Compromissado"),
        QStringLiteral("05/05/2015 | Rendimento de maio | 1.500,50"),
        QStringLiteral("Total de 1.02.01 - Rendimentos de Aplicação | 1.500,50"),
        QStringLiteral("Total de 1.02 - Outras Receitas | 1.500,50"),
        QStringLiteral("1.03 -"),
        QStringLiteral("1.03.01 - | Realizado | Compromissado"),
        QStringLiteral("09/05/2015 | Receita sem nome | 40,00"),
        QStringLiteral("Total de 1.03.01 - | 40,00"),
        QStringLiteral("Total de 1.03 - | 40,00"),
        QStringLiteral("Total de 1 - Receitas | 1.540,50"),
        QStringLiteral("2 - Despesas"),
        QStringLiteral("2.01 - Despesas com Pessoal"),
        QStringLiteral("2.01.01 - Salários e Encargos | Realizado | Compromissado"),
        QStringLiteral("06/05/2015 | Estorno de tarifa | 20,00 -"),
        QStringLiteral("Vale-transporte | 100,00"),
        QStringLiteral("de maio"),
        QStringLiteral("07/05/2015 | Material de limpeza | 45,00"),
        QStringLiteral("Total de 2.01.01 - Salários e Encargos | 125,00"),
        QStringLiteral("Total de 2.01 - Despesas com Pessoal | 125,00"),
        QStringLiteral("2.02 - Manutenção"),
        QStringLiteral("2.02.01 - Elevadores | Realizado | Compromissado"),
        QStringLiteral("08/05/2015 | Manutenção do elevador | 250,00"),
        QStringLiteral("20/05/2015 | Conserto do interfone | 300,00"),
        QStringLiteral("e do portão"),
        QStringLiteral("Total de 2.02.01 - Elevadores | 250,00 | 300,00"),
        QStringLiteral("Total de 2.02 - Manutenção | 250,00 | 300,00"),
        QStringLiteral("Total de 2 - Despesas | 375,00 | 300,00"),
    };
    // Grade 3 adds the grade-4 groups: the 10-character code gets its
    // header and total; the all-zero 7-character group prints its total
    // (nothing before it was drawn), whose header is then refused.
    QStringList grade3Lances = grade2Lances;
    grade3Lances.insert(3, QStringLiteral("Total de 1.01.01 - Taxa Condominial"));
    const qsizetype elevator =
        grade3Lances.indexOf(QStringLiteral("08/05/2015 | Manutenção do elevador | 250,00"));
    grade3Lances.insert(elevator, QStringLiteral("2.02.01.01 - Contrato de Manutenção"));
    grade3Lances.insert(elevator + 4, QStringLiteral("Total de 2.02.01.01 - Contrato de "
                                                     "Manutenção | 250,00 | 300,00"));
    const QStringList expected[] = {
        {QStringLiteral("Realizado | Compromissado"), QStringLiteral("1 - Receitas | 1.540,50"),
         QStringLiteral("2 - Despesas | 375,00 | 300,00")},
        {QStringLiteral("1 - Receitas | Realizado | Compromissado"),
         QStringLiteral("1.01 - Receitas Ordinárias"),
         QStringLiteral("1.02 - Outras Receitas | 1.500,50"), QStringLiteral("1.03 - | 40,00"),
         QStringLiteral("Total de 1 - Receitas | 1.540,50"),
         QStringLiteral("2 - Despesas | Realizado | Compromissado"),
         QStringLiteral("2.01 - Despesas com Pessoal | 125,00"),
         QStringLiteral("2.02 - Manutenção | 250,00 | 300,00"),
         QStringLiteral("Total de 2 - Despesas | 375,00 | 300,00")},
        grade2Lances,
        grade3Lances,
    };
    for (int grau = 0; grau <= 3; ++grau) {
        Run(60, grau);
        ASSERT_EQ(previews, grau + 1) << engineMessages.join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(pages.PageCount, 1) << grau;
        EXPECT_EQ(Body(pages, 1), expected[grau]) << "grade " << grau;
    }
}

// The texts of a line as drawn, blanks kept, with their right edges: the
// line of the first text equal to the one given.
std::vector<PageText> RawLine(const SavedReport& r, const QString& text) {
    const std::vector<PageText> found = r.All(text);
    if (found.empty()) {
        return {};
    }
    std::vector<PageText> line;
    for (const PageText& t : r.On(found[0].Page)) {
        if (std::abs(t.Box.Top - found[0].Box.Top) <= 3) {
            line.push_back(t);
        }
    }
    std::sort(line.begin(), line.end(),
              [](const PageText& a, const PageText& b) { return a.Box.Left < b.Box.Left; });
    return line;
}

QStringList TextsOf(const std::vector<PageText>& line) {
    QStringList out;
    for (const PageText& t : line) {
        out << t.Text;
    }
    return out;
}

// The lines a lance's history drew, blank ones kept: the texts at the left
// edge of its first line, from that line down while each stands one text
// line of the report's font below the one before. The next lance's memo
// starts further down, below the band's own margins.
QStringList MemoLines(const SavedReport& r, const QString& first) {
    const std::vector<PageText> found = r.All(first);
    if (found.empty()) {
        return {};
    }
    std::vector<PageText> column;
    for (const PageText& t : r.On(found[0].Page)) {
        if (t.Box.Left == found[0].Box.Left && t.Box.Top >= found[0].Box.Top) {
            column.push_back(t);
        }
    }
    std::sort(column.begin(), column.end(),
              [](const PageText& a, const PageText& b) { return a.Box.Top < b.Box.Top; });
    const int lineHeight = TextMetrics::TextHeight(ReportParts::ArialFont(11));
    QStringList lines{column[0].Text};
    for (std::size_t i = 1;
         i < column.size() && column[i].Box.Top - column[i - 1].Box.Top == lineHeight; ++i) {
        lines << column[i].Text;
    }
    return lines;
}

// Each line break of a history, CR LF, a lone LF or a lone CR, starts one
// new line, and a break at the end starts none: the receipt template, an
// entry's history and a payable's history of server/fixtures-balance.sql.
TEST_F(BalanceteReport, HistoriesBreakOnceAtEachLineBreak) {
    const struct {
        int cond;
        const char* first;
        QStringList lines;
    } cases[] = {
        {60, "Vale-transporte", {"Vale-transporte", "de maio"}},
        {60, "Conserto do interfone", {"Conserto do interfone", "e do portão"}},
        {61,
         "Receb. Apto 101 -  Apto 201 -",
         {"Receb. Apto 101 -  Apto 201 -", "Apto 101 - 05/2015"}},
    };
    int ran = 0;
    for (const auto& c : cases) {
        if (c.cond != ran) {
            Run(c.cond, 3);
            ran = c.cond;
        }
        EXPECT_EQ(MemoLines(pages, QString::fromUtf8(c.first)), c.lines) << c.first;
    }
}

// The amounts' own texts and columns: a blank after a positive amount, a
// blank and a minus after a negative one, a committed amount alone in the
// second column, a zero total as one blank in each column.
TEST_F(BalanceteReport, LanceAmountsKeepTheirBlanksSignsAndColumns) {
    Run(60, 3);
    ASSERT_EQ(previews, 1);
    // Right-aligned: the realized column ends at 572 + 54 and the committed
    // one at 656 + 54 in the band, which sits one pixel inside the framed
    // grade-3 group, 38 pixels from the page's edge.
    const int realizedRight = 38 + 1 + 626;
    const int committedRight = 38 + 1 + 710;
    const std::vector<PageText> realized = RawLine(pages, QStringLiteral("Rendimento de maio"));
    ASSERT_EQ(TextsOf(realized),
              (QStringList{QStringLiteral("05/05/2015"), QStringLiteral("Rendimento de maio"),
                           QStringLiteral("1.500,50 "), QString()}));
    EXPECT_EQ(realized[2].Box.Right, realizedRight);
    const std::vector<PageText> negative = RawLine(pages, QStringLiteral("Estorno de tarifa"));
    ASSERT_EQ(TextsOf(negative).value(2), QStringLiteral("20,00 -"));
    EXPECT_EQ(negative[2].Box.Right, realizedRight);
    const std::vector<PageText> committed = RawLine(pages, QStringLiteral("Conserto do interfone"));
    ASSERT_EQ(TextsOf(committed),
              (QStringList{QStringLiteral("20/05/2015"), QStringLiteral("Conserto do interfone"),
                           QString(), QStringLiteral("300,00 ")}));
    EXPECT_EQ(committed[3].Box.Right, committedRight);
    // The zero lances' texts are not printed at all.
    EXPECT_FALSE(pages.Has(QStringLiteral("Acerto estornado")));
    EXPECT_FALSE(pages.Has(QStringLiteral("Correção do lançamento em dobro")));
    EXPECT_EQ(TextsOf(RawLine(pages, QStringLiteral("Total de 1.01 - Receitas Ordinárias"))),
              (QStringList{QStringLiteral("Total de 1.01 - Receitas Ordinárias"),
                           QStringLiteral(" "), QStringLiteral(" ")}));
}

// The page header names the month, the condominium and the account; the
// account box ends it with its balances, the condominium box after it. An
// opening balance of zero is a blank with no mark.
TEST_F(BalanceteReport, MonthHeaderAndBalanceBoxes) {
    Run(60, 2);
    ASSERT_EQ(previews, 1);
    const QStringList lines = Lines(pages, 1);
    EXPECT_EQ(
        lines.mid(0, 5),
        (QStringList{QStringLiteral("Pág.:1"), QStringLiteral("QUORVA Administração de Imóveis"),
                     QStringLiteral("Balancete Detalhado por Conta | Mês: 05/2015"),
                     QStringLiteral("Condomínio Balancete Modelo"),
                     QStringLiteral("Conta: Conta Corrente Modelo")}));
    const qsizetype box = lines.indexOf(QStringLiteral("Saldo do início do mês:"));
    ASSERT_GE(box, 0) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.mid(box, 10),
              (QStringList{QStringLiteral("Saldo do início do mês:"),
                           QStringLiteral("Resumo Conta: Conta Corrente Modelo"),
                           QStringLiteral("Receitas (Créditos): | 1.540,50"),
                           QStringLiteral("Despesas (Débitos): | 375,00"),
                           QStringLiteral("Saldo do final do mês: | 1.165,50 | (Credor)"),
                           QStringLiteral("Resumo Geral do Condomínio | Saldo do início do mês:"),
                           QStringLiteral("Receitas (Créditos): | 1.540,50"),
                           QStringLiteral("Despesas (Débitos): | 375,00"),
                           QStringLiteral("Saldo do final do mês: | 1.165,50 | (Credor)"),
                           QStringLiteral("QuorvaOnline - Acesso Remoto aos lançamentos em "
                                          "tempo real")}));
}

// A closing balance below zero: opening 300,00 (Credor) worked back from
// receipts 1.000,00, expenses 1.500,00 and closing 200,00 (Devedor). The
// receipt lance lists its two distinct units once each.
TEST_F(BalanceteReport, DebtorBalanceAndReceiptOfSeveralUnits) {
    Run(61, 3);
    ASSERT_EQ(previews, 1);
    const QStringList lines = Lines(pages, 1);
    const QStringList account{QStringLiteral("Saldo do início do mês: | 300,00 | (Credor)"),
                              QStringLiteral("Resumo Conta: Conta Corrente Devedora"),
                              QStringLiteral("Receitas (Créditos): | 1.000,00"),
                              QStringLiteral("Despesas (Débitos): | 1.500,00"),
                              QStringLiteral("Saldo do final do mês: | 200,00 | (Devedor)")};
    const qsizetype box = lines.indexOf(account[0]);
    ASSERT_GE(box, 0) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.mid(box, 5), account);
    EXPECT_EQ(lines.value(box + 5), QStringLiteral("Resumo Geral do Condomínio | ") + account[0]);
    // No month placeholder in the template, so the procedure gives no
    // MESREFCOTA and the listed names lose their month mask; {Cota}, on the
    // template's second line, uses the lance's month.
    const qsizetype receipt =
        lines.indexOf(QStringLiteral("10/05/2015 | Receb. Apto 101 -  Apto 201 - | 1.000,00"));
    ASSERT_GE(receipt, 0) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.value(receipt + 1), QStringLiteral("Apto 101 - 05/2015"));
}

// Period mode: the header gives both dates, only the lances of the period
// are there and no balance box is printed.
TEST_F(BalanceteReport, PeriodHasBothDatesAndNoBalanceBoxes) {
    Run(60, 3, QStringLiteral("período"));
    ASSERT_EQ(previews, 1);
    const QStringList lines = Lines(pages, 1);
    EXPECT_EQ(lines.value(2), QStringLiteral("Balancete Detalhado por Conta | Período: "
                                             "01/05/2015 até 15/05/2015"));
    EXPECT_TRUE(pages.Has(QStringLiteral("Rendimento de maio")));
    EXPECT_FALSE(pages.Has(QStringLiteral("Conserto do interfone"))); // due 20/05
    EXPECT_FALSE(pages.Has(QStringLiteral("Saldo do início do mês:")));
    EXPECT_FALSE(pages.Has(QStringLiteral("Resumo Geral do Condomínio")));
}

// A statement failing inside a band handler ends the preparation with the
// engine's message and no preview; the emission is logged all the same.
TEST_F(BalanceteReport, FailingBalanceLookupShowsTheEngineMessageAndStillLogs) {
    Run(62, 3);
    EXPECT_EQ(previews, 0);
    ASSERT_EQ(engineMessages.size(), 1);
    EXPECT_TRUE(engineMessages[0].startsWith(QStringLiteral("RL1: ")));
    EXPECT_TRUE(engineMessages[0].contains(QStringLiteral("\nInteger overflow")))
        << engineMessages[0].toStdString();
    EXPECT_EQ(CommittedRows(dm.BDados,
                            QStringLiteral("select diasbal01 from emissoes where cod = 62 and "
                                           "mes = :m"),
                            {May2015}),
              QStringList{QLatin1Char('C') + QString(30, QLatin1Char(' '))});
}

// A period's report prints no balances and does not ask for them: the
// condominium whose month balance fails still gets its period's pages.
TEST_F(BalanceteReport, PeriodDoesNotAskForTheBalancesItDoesNotPrint) {
    Run(62, 3, QStringLiteral("período"));
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(engineMessages.isEmpty()) << engineMessages.join(u'\n').toStdString();
}

} // namespace
