// The delinquency and payables listings end to end: the report tool logs in
// against the test server, runs the report forms and saves the pages; the
// saved storage file is read back and its texts and positions checked
// against answers worked out by hand from server/fixtures-reports.sql.
#include "ReportToolSupport.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class ListingsTest : public ::testing::Test {
protected:
    // Runs a listing into a storage file and reads it back.
    SavedReport Listing(int cond, const QString& password, const QString& report) {
        const QString file = dir.filePath(report + QStringLiteral(".rpf"));
        const ToolRun run = RunTool(ReportArgs(cond, password, report, file));
        EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        return LoadSaved(file);
    }
    QTemporaryDir dir;
};

// The amount written on the line of a total label, and that line's key
// (unit code or due date).
struct Total {
    QString Key;
    QString Amount;
};

std::vector<Total> TotalsAfter(const SavedReport& r, const QString& label) {
    std::vector<Total> out;
    for (const PageText& t : r.All(label)) {
        const QStringList line = r.LineOf(t);
        out.push_back({line.value(1), line.value(2)});
    }
    return out;
}

// Part of the overdue rule and the exact totals at once: which bills of
// condominium 40 are listed, and what each unit and the whole list add up to.
TEST_F(ListingsTest, DelinquencyListsOverdueUnpaidBillsWithExactTotals) {
    const SavedReport r = Listing(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"));

    // Due yesterday, and "paid" on 31/12/1900, are overdue; due today or
    // tomorrow, or paid from 01/01/1901 on, are not; another condominium's
    // bill on a unit of the same code is not either.
    EXPECT_TRUE(r.Has(QStringLiteral("4001")));
    EXPECT_TRUE(r.Has(QStringLiteral("4005")));
    for (const char* absent : {"4002", "4006", "4003", "4004", "4013", "4011", "4012"}) {
        EXPECT_FALSE(r.Has(QString::fromLatin1(absent))) << absent;
    }
    // A listed row shows its fields through their display formats.
    const std::vector<PageText> bill = r.All(QStringLiteral("4005"));
    ASSERT_EQ(bill.size(), 1u);
    EXPECT_EQ(r.LineOf(bill[0]),
              (QStringList{"0001", "Apto 1", "02/2014", "4005", "10/02/2014", "50,00 "}));

    const std::vector<Total> units = TotalsAfter(r, QStringLiteral("Total do imóvel: "));
    ASSERT_EQ(units.size(), 5u);
    const Total expected[] = {{"0001", "150,00 "},
                              {"0002", "100,00 "}, // a thousand bills of 0,10
                              {"0003", "1.234,50 "},
                              {"0004", "1.234,50-"},
                              {"0005", " "}}; // 10,00 and -10,00
    for (std::size_t i = 0; i < units.size(); ++i) {
        EXPECT_EQ(units[i].Key, expected[i].Key) << i;
        EXPECT_EQ(units[i].Amount, expected[i].Amount) << i;
    }
    const std::vector<Total> grand = TotalsAfter(r, QStringLiteral("Total Geral"));
    ASSERT_EQ(grand.size(), 1u);
    EXPECT_EQ(grand[0].Key, QStringLiteral("250,00 "));
}

// Over twenty pages: every page carries the header with the condominium's
// name, the column header, the footer and its own number; the grand total
// comes once, on the last page.
TEST_F(ListingsTest, DelinquencyRepeatsHeadersOnEveryPageAndTheGrandTotalOnce) {
    const SavedReport r = Listing(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"));
    ASSERT_GT(r.PageCount, 20);
    for (int page = 1; page <= r.PageCount; ++page) {
        SCOPED_TRACE(page);
        QStringList texts;
        for (const PageText& t : r.On(page)) {
            texts << t.Text;
        }
        for (const char* each :
             {"QUORVA Administração de Imóveis", "Relação de Inadimplentes",
              "Condomínio Teste Inadimplência", "Imóvel:", "Nº Boleto", "Valor"}) {
            EXPECT_TRUE(texts.contains(QString::fromUtf8(each))) << each;
        }
        EXPECT_TRUE(texts.contains(QStringLiteral("Pág.:%1").arg(page)));
        EXPECT_FALSE(texts.contains(QStringLiteral("Condomínio:")));
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const QString& t) {
            return t.startsWith(QStringLiteral("Emitido em:"));
        }));
    }
    const std::vector<PageText> grand = r.All(QStringLiteral("Total Geral"));
    ASSERT_EQ(grand.size(), 1u);
    EXPECT_EQ(grand[0].Page, r.PageCount);
}

// Where the report's own design puts things: left margin 20 mm (76 px), top
// margin 10 mm (38 px), header 86 high, column header 23.
TEST_F(ListingsTest, DelinquencyPlacesHeaderAndColumnsAtTheirDesignPositions) {
    const SavedReport r = Listing(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"));
    struct Case {
        const char* text;
        int left;
        int top;
    };
    const Case cases[] = {
        {"QUORVA Administração de Imóveis", 76 + 84, 38 + 17},
        {"Relação de Inadimplentes", 76 + 300, 38 + 46},
        {"Condomínio Teste Inadimplência", 76 + 84, 38 + 66},
        {"Imóvel:", 76 + 22, 38 + 86 + 4},
        {"Vencimento", 76 + 373, 38 + 86 + 4},
        {"Valor", 76 + 502, 38 + 86 + 4},
    };
    for (const Case& c : cases) {
        const std::vector<PageText> found = r.All(QString::fromUtf8(c.text));
        ASSERT_FALSE(found.empty()) << c.text;
        EXPECT_EQ(found[0].Box.Left, c.left) << c.text;
        EXPECT_EQ(found[0].Box.Top, c.top) << c.text;
    }
    // Right-aligned amounts end where their 48 px wide column ends.
    const std::vector<PageText> bill = r.All(QStringLiteral("4001"));
    ASSERT_EQ(bill.size(), 1u);
    const std::vector<PageText> line = [&] {
        std::vector<PageText> out;
        for (const PageText& t : r.On(bill[0].Page)) {
            if (t.Box.Top == bill[0].Box.Top && t.Text == QStringLiteral("100,00 ")) {
                out.push_back(t);
            }
        }
        return out;
    }();
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].Box.Right, 76 + 502 + 48);
}

TEST_F(ListingsTest, NoOverdueBillGivesOnePageWithAnEmptyGrandTotal) {
    const SavedReport r = Listing(41, QStringLiteral("vazio41"), QStringLiteral("inadimplencia"));
    EXPECT_EQ(r.PageCount, 1);
    EXPECT_TRUE(r.Has(QStringLiteral("Condomínio Em Dia")));
    EXPECT_TRUE(r.Has(QStringLiteral("Imóvel:")));
    EXPECT_FALSE(r.Has(QStringLiteral("Total do imóvel: ")));
    const std::vector<Total> grand = TotalsAfter(r, QStringLiteral("Total Geral"));
    ASSERT_EQ(grand.size(), 1u);
    EXPECT_TRUE(grand[0].Key.trimmed().isEmpty()) << grand[0].Key.toStdString();
}

// Payables by due date: day totals, the grand total, what is left out.
TEST_F(ListingsTest, PayablesGroupByDueDateWithDayAndGrandTotals) {
    const SavedReport r = Listing(40, QStringLiteral("Inad40"), QStringLiteral("compromissados"));
    EXPECT_EQ(r.PageCount, 1);
    EXPECT_TRUE(r.Has(QStringLiteral("Compromissados")));
    const std::vector<Total> days = TotalsAfter(r, QStringLiteral("Total do dia:"));
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].Key, QStringLiteral("10/03/2014"));
    EXPECT_EQ(days[0].Amount, QStringLiteral("400,00 "));
    EXPECT_EQ(days[1].Key, QStringLiteral("12/03/2014"));
    EXPECT_EQ(days[1].Amount, QStringLiteral("1.234,50-"));
    const std::vector<Total> grand = TotalsAfter(r, QStringLiteral("Total Geral"));
    ASSERT_EQ(grand.size(), 1u);
    EXPECT_EQ(grand[0].Key, QStringLiteral("834,50-"));

    // Paid, or owed by someone who is not a condominium: not listed.
    EXPECT_FALSE(r.Has(QStringLiteral("Já pago")));
    EXPECT_FALSE(r.Has(QStringLiteral("De um fornecedor")));

    // Each row: date, description, account name, code, amount. An account
    // with no row in CONTA, or none at all, shows no name; a zero amount
    // shows blank.
    struct Row {
        const char* hist;
        QStringList line;
    };
    const Row rows[] = {
        {"Conserto do portão",
         {"10/03/2014", "Conserto do portão", "Banco Teste", "2.02.01", "100,00 "}},
        {"Conta de água", {"10/03/2014", "Conta de água", "2.02.02", "49,50 "}},
        {"Seguro predial (estorno)",
         {"12/03/2014", "Seguro predial (estorno)", "Banco Teste", "2.02.03", "1.234,50-"}},
        {"Lançamento zerado", {"12/03/2014", "Lançamento zerado", "2.02.03", " "}},
    };
    for (const Row& row : rows) {
        const std::vector<PageText> found = r.All(QString::fromUtf8(row.hist));
        ASSERT_EQ(found.size(), 1u) << row.hist;
        QStringList line = r.LineOf(found[0]);
        line.removeAll(QString()); // an empty memo draws nothing or an empty text
        EXPECT_EQ(line, row.line) << row.hist;
    }
}

// A description of four lines, broken by an LF, a CR LF and a CR, makes
// its row three lines taller than the rows of one line; those all keep one
// and the same height.
TEST_F(ListingsTest, PayableWithSeveralLinesGrowsItsRowOnly) {
    const SavedReport r = Listing(40, QStringLiteral("Inad40"), QStringLiteral("compromissados"));
    const auto top = [&](const char* text) {
        const std::vector<PageText> found = r.All(QString::fromUtf8(text));
        EXPECT_EQ(found.size(), 1u) << text;
        return found.empty() ? 0 : found[0].Box.Top;
    };
    const int first = top("Manutenção do elevador");
    const int line = top("peças e mão de obra") - first;
    EXPECT_GT(line, 0);
    EXPECT_EQ(top("contrato anual") - top("peças e mão de obra"), line);
    EXPECT_EQ(top("pago em março") - top("contrato anual"), line);

    // Where each band of the page starts: detail texts stand 3 px below
    // their band's top, the day total's label 4 px.
    std::vector<int> bandTops;
    for (const PageText& t : r.Texts) {
        if (t.Text == QStringLiteral("10/03/2014") || t.Text == QStringLiteral("12/03/2014")) {
            if (t.Box.Left == 38 + 4) {
                bandTops.push_back(t.Box.Top - 3);
            }
        } else if (t.Text == QStringLiteral("Total do dia:")) {
            bandTops.push_back(t.Box.Top - 4);
        }
    }
    std::sort(bandTops.begin(), bandTops.end());
    ASSERT_EQ(bandTops.size(), 7u); // five rows, two day totals
    const auto heightOf = [&](int bandTop) {
        const auto it = std::upper_bound(bandTops.begin(), bandTops.end(), bandTop);
        return it == bandTops.end() ? 0 : *it - bandTop;
    };
    const int oneLine = heightOf(top("Seguro predial (estorno)") - 3);
    EXPECT_GT(oneLine, 0);
    EXPECT_EQ(heightOf(top("Conserto do portão") - 3), oneLine);
    EXPECT_EQ(heightOf(top("Conta de água") - 3), oneLine);
    EXPECT_EQ(heightOf(first - 3), oneLine + 3 * line);
}

TEST_F(ListingsTest, NoUnpaidPayableGivesOnePageWithAnEmptyGrandTotal) {
    const SavedReport r = Listing(41, QStringLiteral("vazio41"), QStringLiteral("compromissados"));
    EXPECT_EQ(r.PageCount, 1);
    EXPECT_FALSE(r.Has(QStringLiteral("Total do dia:")));
    const std::vector<Total> grand = TotalsAfter(r, QStringLiteral("Total Geral"));
    ASSERT_EQ(grand.size(), 1u);
    EXPECT_TRUE(grand[0].Key.trimmed().isEmpty());
}

} // namespace
