// The balance report through the report tool, as a firm schedules it,
// against the test server (condominium 70 of fixtures-balancete-tool.sql):
// the month or period and the accounts checked as the selection screen
// checks them, distinct exit codes, the pages saved, the emission logged.
#include "../export/PdfTools.h"
#include "../support/CommittedSql.h"
#include "DMod.h"
#include "DateTime.h"
#include "IBSQL.h"
#include "ReportToolSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QStringList Balancete(const QString& output, const QStringList& options) {
    return ReportArgs(70, QStringLiteral("agenda70"), QStringLiteral("balancete"), output) +
           options;
}

// Page 1 of a PDF rendered at 192 pixels per inch, with its words.
struct RenderedPage {
    QImage image;
    std::vector<PdfTools::Word> words;
    static constexpr double kScale = 192.0 / 72.0;

    explicit RenderedPage(const QString& pdf)
        : image(PdfTools::Render(pdf, pdf + QStringLiteral("-page"), 192)),
          words(PdfTools::Words(pdf)) {}

    // Whether a line runs under the words of the phrase: a pixel row in
    // their lower half, down to the bottom of their box, dark over 95% of
    // their width.
    bool Underlined(const QString& phrase) const {
        const std::vector<PdfTools::Word> run = Find(phrase);
        if (run.empty()) {
            ADD_FAILURE() << "no " << phrase.toStdString() << " on the page";
            return false;
        }
        const int left = static_cast<int>(run.front().xMin * kScale) + 2;
        const int right = static_cast<int>(run.back().xMax * kScale) - 2;
        const int top = static_cast<int>((run.front().yMin + run.front().yMax) / 2 * kScale);
        const int bottom = static_cast<int>(run.front().yMax * kScale) + 1;
        for (int y = top; y <= bottom && y < image.height(); ++y) {
            int dark = 0;
            for (int x = left; x < right; ++x) {
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
            if (dark * 100 >= 95 * (right - left)) {
                return true;
            }
        }
        return false;
    }

private:
    std::vector<PdfTools::Word> Find(const QString& phrase) const {
        const QStringList wanted = phrase.split(QLatin1Char(' '));
        const auto n = static_cast<std::size_t>(wanted.size());
        for (std::size_t at = 0; at + n <= words.size(); ++at) {
            bool match = true;
            for (std::size_t k = 0; k < n && match; ++k) {
                match = words[at + k].text == wanted[static_cast<qsizetype>(k)];
            }
            if (match) {
                return {words.begin() + static_cast<std::ptrdiff_t>(at),
                        words.begin() + static_cast<std::ptrdiff_t>(at + n)};
            }
        }
        return {};
    }
};

class BalanceteToolTest : public ::testing::Test {
protected:
    QString Out(const QString& name) const { return dir.filePath(name); }

    // Committed, in a transaction of its own.
    QStringList Committed(const QString& text, double month) {
        return CommittedRows(dm.BDados, text, {month});
    }
    // Each test logs in a month of its own, so tests running side by side
    // never write the same row.
    void ClearLog(double month) {
        Committed(QStringLiteral("delete from emissoes where cod = 70 and mes = :m"), month);
    }
    QStringList LogRows(double month) {
        return Committed(
            QStringLiteral("select diasbal01 from emissoes where cod = 70 and mes = :m"), month);
    }
    static QString FirstDayMarked() { return QStringLiteral("C") + QString(30, QLatin1Char(' ')); }

    TDM dm;
    QTemporaryDir dir;
};

const double May2019 = DateTime::EncodeDate(2019, 5, 1);
const double June2019 = DateTime::EncodeDate(2019, 6, 1);

TEST_F(BalanceteToolTest, ChoicesAreCheckedAsTheSelectionScreenChecksThem) {
    ASSERT_TRUE(dm.BDados.Connected()) << "the test server is not running";
    const QString file = Out(QStringLiteral("refused.rpf"));
    struct Case {
        QStringList options;
        int exitCode;
        const char* message; // on standard error
    };
    const auto o = [](std::initializer_list<const char*> items) {
        QStringList out;
        for (const char* i : items) {
            out << QString::fromUtf8(i);
        }
        return out;
    };
    const Case cases[] = {
        {o({"--month", "13/2019"}), 2, "Mês inválido"},
        {o({"--month", "5-2019"}), 2, "Mês inválido"},
        {o({"--from", "31/02/2019", "--to", "10/03/2019"}), 2, "Data inicial é inválida."},
        {o({"--from", "01/05/2019", "--to", "32/05/2019"}), 2, "Data final é inválida."},
        {o({"--from", "10/05/2019", "--to", "01/05/2019"}), 2,
         "Data inicial é maior do qu a final."},
        {o({"--month", "05/2019", "--from", "01/05/2019", "--to", "31/05/2019"}), 2,
         "either --month"},
        {o({"--from", "01/05/2019"}), 2, "--from and --to go together"},
        {o({"--type", "todos"}), 2, "unknown account type \"todos\""},
        {o({"--grade", "4"}), 2, "the grade is 0, 1, 2 or 3"},
        {o({"--grade", "1", "--accounts", "2.01.01"}), 2,
         "is not an account code listed at --grade 1"},
        {o({"--accounts", "2.01') or ('1'='1"}), 2, "is not an account code"},
        {o({"--accounts", "2.01,,2.02"}), 2, "codes separated by commas"},
        {o({"--accounts", ""}), 2, "codes separated by commas"},
        {o({"--month", ""}), 2, "Mês inválido"},
        // The server's dates run from 01/01/0001 to 31/12/9999, and it is
        // asked for the day before the first and the day after the last.
        {o({"--month", "01/0001"}), 2, "Mês inválido (--month 01/0001: months from 02/0001"},
        {o({"--month", "12/9999"}), 2, "Mês inválido"},
        {o({"--from", "01/01/0001", "--to", "31/01/2019"}), 2, "Data inicial é inválida."},
        {o({"--from", "01/01/2025", "--to", "31/12/9999"}), 2, "Data final é inválida."},
        {o({"--timeout", "-1"}), 2, "--timeout -1: whole seconds"},
        // Codes of the right shape, but not listed for this chart and type.
        {o({"--accounts", "2.09"}), 2, "2.09 is not in the condominium's chart"},
        {o({"--type", "receitas", "--accounts", "2.01"}), 2,
         "2.01 is not in the condominium's chart"},
        // Nothing to report: counted as the screen counts.
        {o({"--month", "01/2010"}), 6, "Não há lançamentos para o mês (01/2010)"},
        {o({"--from", "01/01/2010", "--to", "31/01/2010"}), 6,
         "Não há lançamentos para o mês (01/01/2010 to 31/01/2010)"},
        // The first and last days and months the server can be asked for.
        {o({"--month", "02/0001"}), 6, "Não há lançamentos para o mês (02/0001)"},
        {o({"--month", "11/9999"}), 6, "Não há lançamentos para o mês (11/9999)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = RunTool(Balancete(file, c.options));
        EXPECT_EQ(run.ExitCode, c.exitCode) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.message))) << run.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    // The balance report's options belong to it alone.
    const ToolRun other =
        RunTool(ReportArgs(70, QStringLiteral("agenda70"), QStringLiteral("compromissados"), file) +
                QStringList{QStringLiteral("--month"), QStringLiteral("05/2019")});
    EXPECT_EQ(other.ExitCode, 2);
    EXPECT_TRUE(other.Err.contains(QStringLiteral("options of --report balancete")));
}

TEST_F(BalanceteToolTest, MonthRunWritesThePagesAndLogsTheEmission) {
    ASSERT_TRUE(dm.BDados.Connected()) << "the test server is not running";
    ClearLog(May2019);
    // Expenses only, and of them only 2.02 with its sub-accounts.
    const QString rpf = Out(QStringLiteral("maio.rpf"));
    const ToolRun run = RunTool(Balancete(
        rpf, {QStringLiteral("--month"), QStringLiteral("05/2019"), QStringLiteral("--type"),
              QStringLiteral("despesas"), QStringLiteral("--grade"), QStringLiteral("3"),
              QStringLiteral("--accounts"), QStringLiteral("2.02")}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    const SavedReport chosen = LoadSaved(rpf);
    EXPECT_EQ(chosen.PageCount, 1);
    EXPECT_TRUE(chosen.Has(QStringLiteral("Mês: 05/2019")));
    EXPECT_TRUE(chosen.Has(QStringLiteral("Manutenção do elevador")));
    EXPECT_TRUE(chosen.Has(QStringLiteral("Total de 2.02 - Manutenção")));
    EXPECT_FALSE(chosen.Has(QStringLiteral("Salário de maio")));
    EXPECT_FALSE(chosen.Has(QStringLiteral("Rendimento de maio")));
    EXPECT_EQ(LogRows(May2019), QStringList{FirstDayMarked()});

    // Issued again with every account: the same log row, marked once.
    const QString all = Out(QStringLiteral("maio-todas.rpf"));
    const ToolRun again =
        RunTool(Balancete(all, {QStringLiteral("--month"), QStringLiteral("5/2019")}));
    ASSERT_EQ(again.ExitCode, 0) << again.Err.toStdString();
    const SavedReport every = LoadSaved(all);
    for (const char* lance : {"Rendimento de maio", "Salário de maio", "Manutenção do elevador"}) {
        EXPECT_TRUE(every.Has(QString::fromUtf8(lance))) << lance;
    }
    EXPECT_FALSE(every.Has(QStringLiteral("Salário de junho")));
    EXPECT_TRUE(every.Has(QStringLiteral("Saldo do início do mês:")));
    EXPECT_EQ(LogRows(May2019), QStringList{FirstDayMarked()});

    // The same report as a PDF document and as a spreadsheet.
    const struct {
        const char* name;
        QByteArray signature;
    } formats[] = {{"maio.pdf", QByteArray("%PDF-")},
                   {"maio.xls", QByteArray::fromHex("d0cf11e0a1b11ae1")}};
    for (const auto& f : formats) {
        const QString name = Out(QString::fromLatin1(f.name));
        const ToolRun written =
            RunTool(Balancete(name, {QStringLiteral("--month"), QStringLiteral("05/2019")}));
        ASSERT_EQ(written.ExitCode, 0) << f.name << ": " << written.Err.toStdString();
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << f.name;
        EXPECT_EQ(file.read(f.signature.size()), f.signature) << f.name;
    }
    // The PDF names only faces readers know, so the underlined header keeps
    // its own face, and it is drawn with its line; the bold condominium
    // name under it has none.
    const QString pdf = Out(QStringLiteral("maio.pdf"));
    EXPECT_EQ(PdfTools::FontNames(pdf).join(u'|').toStdString(), "Arial,Bold|Arial");
    const RenderedPage page(pdf);
    EXPECT_TRUE(page.Underlined(QStringLiteral("Balancete Detalhado por Conta")));
    EXPECT_TRUE(page.Underlined(QStringLiteral("Mês: 05/2019")));
    EXPECT_FALSE(page.Underlined(QStringLiteral("Condomínio Relatório Agendado")));
    ClearLog(May2019);
}

// A period is logged under the month the selection screen opens with: the
// latest with entries, which is also the month a run without any is for.
TEST_F(BalanceteToolTest, PeriodRunAndTheLatestMonth) {
    ASSERT_TRUE(dm.BDados.Connected()) << "the test server is not running";
    ClearLog(June2019);
    const QString period = Out(QStringLiteral("periodo.rpf"));
    const ToolRun run = RunTool(Balancete(
        period, {QStringLiteral("--from"), QStringLiteral("06/05/2019"), QStringLiteral("--to"),
                 QStringLiteral("03/06/2019"), QStringLiteral("--grade"), QStringLiteral("2")}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const SavedReport both = LoadSaved(period);
    EXPECT_TRUE(both.Has(QStringLiteral("Período: 06/05/2019 até 03/06/2019")));
    // Both ends included; the 5th of May is not in the period.
    for (const char* lance : {"Salário de maio", "Manutenção do elevador", "Salário de junho"}) {
        EXPECT_TRUE(both.Has(QString::fromUtf8(lance))) << lance;
    }
    EXPECT_FALSE(both.Has(QStringLiteral("Rendimento de maio")));
    EXPECT_FALSE(both.Has(QStringLiteral("Saldo do início do mês:")));
    EXPECT_EQ(LogRows(June2019), QStringList{FirstDayMarked()});

    const QString latest = Out(QStringLiteral("ultimo.rpf"));
    const ToolRun plain = RunTool(Balancete(latest, {}));
    ASSERT_EQ(plain.ExitCode, 0) << plain.Err.toStdString();
    const SavedReport june = LoadSaved(latest);
    EXPECT_TRUE(june.Has(QStringLiteral("Mês: 06/2019")));
    EXPECT_TRUE(june.Has(QStringLiteral("Salário de junho")));
    EXPECT_FALSE(june.Has(QStringLiteral("Salário de maio")));
    EXPECT_EQ(LogRows(June2019), QStringList{FirstDayMarked()});
    ClearLog(June2019);
}

} // namespace
