// quorva-report: runs one of the reports for one condominium without any
// window and writes it to a file, as the preview's save button would. It is
// what a firm schedules to mail the monthly reports, and what the end-to-end
// tests drive. The same report forms and the same generation as the desktop
// program run here; only the engine's windows are replaced: progress goes to
// a line on standard error and the prepared pages are saved instead of shown.
#include "AtomicFile.h"
#include "BalanceteChoice.h"
#include "BalanceteEntry.h"
#include "DMod.h"
#include "DateTime.h"
#include "Exception.h"
#include "IBCall.h"
#include "IBSQL.h"
#include "IntText.h"
#include "MessageService.h"
#include "RLEngineServices.h"
#include "RLFilters.h"
#include "RLMetaFile.h"
#include "RLPNGFilter.h"
#include "RegionalSettings.h"
#include "RemotoCap.h"
#include "RemotoInad.h"
#include "RemotoPesq.h" // the selection screen's messages
#include "ReportOutput.h"
#include "StopSignals.h"
#include "Win1252.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

#include <cstdio>
#include <cstring>
#include <functional>
#include <langinfo.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

// Exit codes: each failure a scheduler may want to tell apart.
enum ExitCode {
    ExitOk = 0,
    ExitReportFailed = 1,
    ExitUsage = 2,
    ExitLoginRefused = 3,
    ExitServerUnreachable = 4,
    ExitOutputUnwritable = 5,
    ExitNothingToReport = 6,
    ExitLogFailed = 7,
};

const char* const HelpText =
    R"(Usage: quorva-report --cond NUMBER --password TEXT --report NAME --output FILE
                     [balance report options] [output options]
       quorva-report --input FILE.rpf --output FILE [output options]

Writes one report of a condominium to a file, with no window: the same
report the desktop program shows in its preview, saved as its "Salvar"
button saves it. With --input, converts a page file saved earlier (by the
preview or by this tool) instead, without a login or a database.

  --cond NUMBER      the condominium's number, as typed on the login screen
  --password TEXT    its password (letter case does not matter; blanks do).
                     Without this option the password is read from the
                     environment variable QUORVA_PASSWORD, which keeps it
                     out of the process list.
  --report NAME      balancete       every entry of a month or period by
                                     account, with totals and balances
                                     ("Balancete Detalhado por Conta")
                     inadimplencia   overdue, unpaid bills by unit
                                     ("Relação de Inadimplentes")
                     compromissados  committed, unpaid payables by due date
                                     ("Compromissados")
  --input FILE       a saved page file (.rpf) to convert; no --cond,
                     --password, --report or balance report options then
  --output FILE      where to write; the extension picks the format:
                       .pdf  PDF document
                       .xls  spreadsheet
                       .png  page images: NAME.png writes NAME-1.png,
                             NAME-2.png, ... one per page, numbered by
                             their page in the report
                       .rpf  the report engine's own page file (reopened by
                             the desktop program's preview)
                     any other extension also writes the page file, under
                     the name given; no extension adds ".rpf".
                     The file appears only when it is complete: it is
                     written beside the target under a temporary name and
                     then takes the target's name, so a run that fails or is
                     stopped leaves a previous file of that name as it was.
                     Page images are each written so; a run that fails or
                     is stopped removes the images it wrote.
                     A symbolic link stays a link: the file it points at is
                     the one replaced.
  --timeout SECONDS  how long to wait for the database server to take the
                     connection, and then for each of its answers (default
                     60; 0 waits for ever). A wait that runs out ends the
                     run with exit code 4 and says what it waited for.
  --quiet            no progress line
  --help             this text

Output options:
  --pages RANGE      only these pages: 3, 2-5, or 4- (page 4 to the last).
                     A range reaching past the last page stops there; a
                     range with no page of the report is refused (exit 2).
  --dpi N            pixels per inch of page images (.png only), 24 to 600;
                     default 96, the page's own pixels. 150 or 300 for
                     printing. White background, antialiased text.
  --xls-numbers      spreadsheets (.xls only): amounts become numbers that
                     can be summed, negative ones too ("20,00 -" is -20),
                     and the amounts of one report column share one
                     spreadsheet column. Texts are read with the decimal
                     separator of the regional settings (LANG), which must
                     be those the report was made with.

Balance report options (what the selection screen asks for; only with
--report balancete):
  --month MM/YYYY    the month, e.g. --month 03/2014; the month's balances
                     close each account and the condominium. Without
                     --month nor --from/--to: the latest month with entries
                     of the condominium, as the selection screen opens.
  --from DD/MM/YYYY  a period instead of a month, both days included, e.g.
  --to DD/MM/YYYY      --from 01/01/2014 --to 30/06/2014 (no balances).
                     The server takes dates from 01/01/0001 to 31/12/9999
                     and is asked for the day before the first day and the
                     day after the last: months run from 02/0001 to
                     11/9999, days from 02/01/0001 to 30/12/9999.
  --type TYPE        receitas, despesas or todas (the default): income
                     accounts, expense accounts or both
  --grade N          how deep the report goes in the chart of accounts:
                       0  grade 1 (codes like 1)
                       1  grade 2 (codes like 1.01)
                       2  grade 3 (codes like 1.01.01)
                       3  grade 4 (codes like 1.01.01.01), the default
  --accounts LIST    only these accounts, codes separated by commas, e.g.
                     --accounts 1.01,2.01.01; each must be in the
                     condominium's chart of accounts of the chosen type and
                     no longer than the grade's codes. A code takes its
                     sub-accounts with it, as a double click on it in the
                     selection screen marks them. Default: every account.

The database server is the one the desktop program uses: 127.0.0.1 unless
the environment variable QUORVA_DB_HOST names another host (port 3051).
Amounts and dates follow the regional settings of the environment
(LANG=pt_BR.UTF-8 gives Brazilian separators).

Exit codes:
  0  the report was written
  1  the report could not be generated (the reason is printed)
     (with --input: the file cannot be read or is no page file)
  2  wrong usage (missing or unknown option, invalid date, unknown account,
     an output name without a file name or not valid in the system's
     encoding)
  3  login refused: unknown condominium or wrong password
  4  the database server cannot be reached, did not answer within the
     time-out (--timeout), or the connection to it was lost; the cause is
     printed first
  5  the output file cannot be written (with the system's reason)
  6  nothing to report: no entries in the month or period
     ("Não há lançamentos para o mês"), or no account to report
  7  the balance report was written, but its emission could not be logged
     (the server's reason is printed)
  130, 143, 129
     stopped by SIGINT (Ctrl+C), SIGTERM or SIGHUP: the run ends, nothing
     is written (a previous output file stays as it was), temporary files
     are removed and the connection is closed

Examples:
  QUORVA_PASSWORD=ipe101 quorva-report --cond 101 --report inadimplencia \
      --output inadimplentes.pdf
  QUORVA_PASSWORD=ipe101 quorva-report --cond 101 --report balancete \
      --month 03/2014 --type despesas --grade 2 --output balancete.pdf
  quorva-report --input balancete.rpf --pages 2-3 --dpi 150 --output pagina.png
  quorva-report --input inadimplentes.rpf --xls-numbers --output inadimplentes.xls
)";

// Messages made for a message box break their lines with CR LF or a bare
// CR, which on a terminal would write over the line: they become new lines.
void PrintErr(const QString& text) {
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    std::fprintf(stderr, "quorva-report: %s\n", lines.toLocal8Bit().constData());
}

// Messages of the data module (the failed connection) go to standard error.
class ConsoleMessages final : public MessageService {
public:
    void ShowMessage(const QString& text) override { PrintErr(text); }
    void ShowError(const QString& text) override { PrintErr(text); }
};

// The progress line: the step text and a counter, rewritten in place on a
// terminal at most a few times a second; nothing when not on a terminal.
class ConsoleProgress final : public TRLProgress {
public:
    explicit ConsoleProgress(QString title) : title_(std::move(title)) { clock_.start(); }
    ~ConsoleProgress() override {
        if (shown_) {
            std::fprintf(stderr, "\r%s %d\n", Line().constData(), steps_);
        }
    }
    void SetMax(int max) override { max_ = max; }
    void SetStepText(const QString& text) override { step_ = text; }
    void Step() override {
        if (RLEngineServices::Terminating()) {
            throw EAbort();
        }
        ++steps_;
        if (clock_.elapsed() - lastShown_ >= 200) {
            lastShown_ = clock_.elapsed();
            shown_ = true;
            std::fprintf(stderr, "\r%s %d", Line().constData(), steps_);
            std::fflush(stderr);
        }
    }
    void NextBar() override {}

private:
    QByteArray Line() const {
        return (title_ + (step_.isEmpty() ? QString() : QLatin1Char(' ') + step_)).toLocal8Bit();
    }
    QString title_;
    QString step_;
    int max_ = 0;
    int steps_ = 0;
    QElapsedTimer clock_;
    qint64 lastShown_ = 0;
    bool shown_ = false;
};

// The balance report's choice, checked as far as it can be without the
// server.
struct BalanceteOptions {
    std::optional<double> Month;
    std::optional<double> From;
    std::optional<double> To;
    int Type = 2;  // todas
    int Grade = 3; // 1.01.01.01
    QStringList Accounts;
};

struct Options {
    QString Cond;
    std::optional<QString> Password;
    QString Report;
    QString Output;
    QString Timeout;
    int TimeoutSeconds = 60;
    bool Quiet = false;
    bool Help = false;
    // The balance report's options as typed; null when not given.
    QString Month;
    QString From;
    QString To;
    QString Type;
    QString Grade;
    QString Accounts;
    BalanceteOptions Balancete;
    // Conversion of a saved page file, and the output options as typed.
    QString Input;
    QString Pages;
    QString Dpi;
    bool XlsNumbers = false;
    TOutputChoice Choice;
};

bool IsBalancete(const Options& o) {
    return o.Report == QLatin1String("balancete");
}

// Reads the options and their values; false (with the reason printed) on
// an unknown option or a missing value.
bool ReadOptions(const QStringList& args, Options& o) {
    const std::pair<const char*, QString*> valued[] = {
        {"--cond", &o.Cond},       {"--report", &o.Report}, {"--output", &o.Output},
        {"--month", &o.Month},     {"--from", &o.From},     {"--to", &o.To},
        {"--type", &o.Type},       {"--grade", &o.Grade},   {"--accounts", &o.Accounts},
        {"--timeout", &o.Timeout}, {"--input", &o.Input},   {"--pages", &o.Pages},
        {"--dpi", &o.Dpi},
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        QString* into = nullptr;
        for (const auto& [name, target] : valued) {
            into = a == QLatin1String(name) ? target : into;
        }
        QString password;
        if (a == QLatin1String("--password")) {
            into = &password;
        }
        if (into) {
            if (i + 1 >= args.size()) {
                PrintErr(QStringLiteral("%1 needs a value (see --help)").arg(a));
                return false;
            }
            // Given but empty is still given: "--accounts ''" is no list.
            *into = args.at(++i).isNull() ? QStringLiteral("") : args.at(i);
            if (into == &password) {
                o.Password = password;
            }
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.Help = true;
        } else if (a == QLatin1String("--quiet")) {
            o.Quiet = true;
        } else if (a == QLatin1String("--xls-numbers")) {
            o.XlsNumbers = true;
        } else {
            PrintErr(QStringLiteral("unknown option %1 (see --help)").arg(a));
            return false;
        }
    }
    return true;
}

// "out/" or "out/." name a folder, not a file in it.
bool HasFileName(const Options& o) {
    const QString name = QFileInfo(o.Output).fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        PrintErr(QStringLiteral("--output %1: no file name (see --help)").arg(o.Output));
        return false;
    }
    return true;
}

bool CheckRequired(const Options& o) {
    QStringList missing;
    if (o.Cond.isNull()) {
        missing << QStringLiteral("--cond");
    }
    if (!o.Password) {
        missing << QStringLiteral("--password (or QUORVA_PASSWORD)");
    }
    if (o.Report.isNull()) {
        missing << QStringLiteral("--report");
    }
    if (o.Output.isEmpty()) {
        missing << QStringLiteral("--output");
    }
    if (!missing.isEmpty()) {
        PrintErr(QStringLiteral("missing %1 (see --help)").arg(missing.join(QStringLiteral(", "))));
        return false;
    }
    if (!HasFileName(o)) {
        return false;
    }
    const QStringList reports{QStringLiteral("balancete"), QStringLiteral("inadimplencia"),
                              QStringLiteral("compromissados")};
    if (!reports.contains(o.Report)) {
        PrintErr(QStringLiteral("unknown report \"%1\": balancete, inadimplencia or compromissados")
                     .arg(o.Report));
        return false;
    }
    return true;
}

// The server keeps dates from 01/01/0001 to 31/12/9999, and the report asks
// it for the day before the first day and the day after the last.
const double FirstDay = DateTime::EncodeDate(1, 1, 2);
const double LastDay = DateTime::EncodeDate(9999, 12, 30);

bool InServerRange(double first, double last) {
    return first >= FirstDay && last <= LastDay;
}

// The month or the period, read as the selection screen reads its fields
// and refused with its messages.
bool CheckPeriod(const Options& o, BalanceteOptions& b) {
    if (!o.Month.isNull() && (!o.From.isNull() || !o.To.isNull())) {
        PrintErr(QStringLiteral("give either --month or --from and --to (see --help)"));
        return false;
    }
    if (o.From.isNull() != o.To.isNull()) {
        PrintErr(QStringLiteral("--from and --to go together (see --help)"));
        return false;
    }
    if (!o.Month.isNull() && !(b.Month = BalanceteChoice::ParseMonth(o.Month))) {
        PrintErr(RemotoPesq::MesInvalido + QStringLiteral(" (--month %1: mm/yyyy)").arg(o.Month));
        return false;
    }
    if (b.Month && !(*b.Month >= DateTime::EncodeDate(1, 2, 1) &&
                     *b.Month <= DateTime::EncodeDate(9999, 11, 1))) {
        PrintErr(RemotoPesq::MesInvalido +
                 QStringLiteral(" (--month %1: months from 02/0001 to 11/9999)").arg(o.Month));
        return false;
    }
    if (o.From.isNull()) {
        return true;
    }
    const QString range = QStringLiteral("days from 02/01/0001 to 30/12/9999");
    if (!(b.From = BalanceteChoice::ParseDate(o.From)) || !InServerRange(*b.From, *b.From)) {
        PrintErr(RemotoPesq::DataInicialInvalida +
                 QStringLiteral(" (--from %1: dd/mm/yyyy, %2)").arg(o.From, range));
        return false;
    }
    if (!(b.To = BalanceteChoice::ParseDate(o.To)) || !InServerRange(*b.To, *b.To)) {
        PrintErr(RemotoPesq::DataFinalInvalida +
                 QStringLiteral(" (--to %1: dd/mm/yyyy, %2)").arg(o.To, range));
        return false;
    }
    if (*b.From > *b.To) {
        PrintErr(RemotoPesq::InicioAposFim +
                 QStringLiteral(" (--from %1 --to %2)").arg(o.From, o.To));
        return false;
    }
    return true;
}

bool CheckAccountChoice(const Options& o, BalanceteOptions& b) {
    if (!o.Type.isNull()) {
        const std::optional<int> type = BalanceteChoice::ParseType(o.Type);
        if (!type) {
            PrintErr(QStringLiteral("unknown account type \"%1\": receitas, despesas or todas")
                         .arg(o.Type));
            return false;
        }
        b.Type = *type;
    }
    if (!o.Grade.isNull()) {
        const std::optional<int> grade = BalanceteChoice::ParseGrade(o.Grade);
        if (!grade) {
            PrintErr(
                QStringLiteral("--grade %1: the grade is 0, 1, 2 or 3 (see --help)").arg(o.Grade));
            return false;
        }
        b.Grade = *grade;
    }
    if (o.Accounts.isNull()) {
        return true;
    }
    b.Accounts = BalanceteChoice::SplitCodes(o.Accounts);
    if (b.Accounts.isEmpty()) {
        PrintErr(QStringLiteral("--accounts \"%1\": codes separated by commas, e.g. 1.01,2.01")
                     .arg(o.Accounts));
        return false;
    }
    for (const QString& code : b.Accounts) {
        if (!BalanceteChoice::IsListedShape(code, b.Grade)) {
            PrintErr(QStringLiteral("--accounts: \"%1\" is not an account code listed at "
                                    "--grade %2: codes like 1, 1.01, 1.01.01 or 1.01.01.01, "
                                    "at most %3 characters at this grade")
                         .arg(code)
                         .arg(b.Grade)
                         .arg(BalanceteChoice::GradeLength(b.Grade)));
            return false;
        }
    }
    return true;
}

bool CheckBalanceteOptions(Options& o) {
    const bool given = !o.Month.isNull() || !o.From.isNull() || !o.To.isNull() ||
                       !o.Type.isNull() || !o.Grade.isNull() || !o.Accounts.isNull();
    if (!IsBalancete(o)) {
        if (given) {
            PrintErr(QStringLiteral("--month, --from, --to, --type, --grade and --accounts are "
                                    "options of --report balancete"));
        }
        return !given;
    }
    return CheckPeriod(o, o.Balancete) && CheckAccountChoice(o, o.Balancete);
}

bool CheckTimeout(Options& o) {
    if (o.Timeout.isNull()) {
        return true;
    }
    static const QRegularExpression digits(QStringLiteral("^\\d{1,5}$"));
    if (!digits.match(o.Timeout).hasMatch() || o.Timeout.toInt() > 86400) {
        PrintErr(
            QStringLiteral("--timeout %1: whole seconds, 0 to 86400 (see --help)").arg(o.Timeout));
        return false;
    }
    o.TimeoutSeconds = o.Timeout.toInt();
    return true;
}

// --input converts what is in the file: there is nothing to log in to.
bool CheckConversion(const Options& o) {
    const bool report = !o.Cond.isNull() || o.Password || !o.Report.isNull() || !o.Month.isNull() ||
                        !o.From.isNull() || !o.To.isNull() || !o.Type.isNull() ||
                        !o.Grade.isNull() || !o.Accounts.isNull();
    if (report) {
        PrintErr(QStringLiteral("--input converts a saved page file: --cond, --password, "
                                "--report and the balance report options do not go with it"));
        return false;
    }
    if (o.Input.isEmpty() || o.Output.isEmpty()) {
        PrintErr(QStringLiteral("missing %1 (see --help)")
                     .arg(o.Input.isEmpty() ? QStringLiteral("--input file")
                                            : QStringLiteral("--output")));
        return false;
    }
    return HasFileName(o);
}

bool CheckOutputChoice(Options& o) {
    const QString suffix = QFileInfo(o.Output).suffix().toLower();
    if (!o.Pages.isNull()) {
        o.Choice.Pages = ParsePageRange(o.Pages);
        if (!o.Choice.Pages) {
            PrintErr(QStringLiteral("--pages \"%1\": a page or a range of pages, e.g. 3, 2-5 or "
                                    "4- (see --help)")
                         .arg(o.Pages));
            return false;
        }
    }
    if (!o.Dpi.isNull()) {
        bool number = false;
        o.Choice.Dpi = o.Dpi.toInt(&number);
        if (suffix != QLatin1String("png")) {
            PrintErr(QStringLiteral("--dpi is an option of page images (--output NAME.png)"));
            return false;
        }
        if (!number || o.Choice.Dpi < TRLPNGFilter::MinDpi || o.Choice.Dpi > TRLPNGFilter::MaxDpi) {
            PrintErr(QStringLiteral("--dpi %1: a whole number from %2 to %3")
                         .arg(o.Dpi)
                         .arg(TRLPNGFilter::MinDpi)
                         .arg(TRLPNGFilter::MaxDpi));
            return false;
        }
    }
    o.Choice.XlsNumbers = o.XlsNumbers;
    if (o.XlsNumbers && suffix != QLatin1String("xls")) {
        PrintErr(QStringLiteral("--xls-numbers is an option of spreadsheets (--output NAME.xls)"));
        return false;
    }
    return true;
}

// Nullopt (with the reason printed) when the arguments do not make sense.
std::optional<Options> ParseArguments(const QStringList& args) {
    Options o;
    if (!ReadOptions(args, o)) {
        return std::nullopt;
    }
    if (o.Help) {
        return o;
    }
    if (!o.Input.isNull()) {
        return CheckConversion(o) && CheckOutputChoice(o) ? std::optional(o) : std::nullopt;
    }
    if (!o.Password && qEnvironmentVariableIsSet("QUORVA_PASSWORD")) {
        o.Password = qEnvironmentVariable("QUORVA_PASSWORD");
    }
    if (!CheckRequired(o) || !CheckTimeout(o) || !CheckBalanceteOptions(o) ||
        !CheckOutputChoice(o)) {
        return std::nullopt;
    }
    return o;
}

// The file name the save dialog would write to: without an extension the
// engine's own format and its ".rpf".
QString OutputName(const QString& typed) {
    return QFileInfo(typed).suffix().isEmpty() ? typed + QStringLiteral(".rpf") : typed;
}

// Whether the file can be replaced as the report will replace it: a
// temporary file beside it, made and removed again. Checked before the
// report runs, so a scheduled run does not spend minutes on a report it
// cannot keep.
bool CanWrite(const QString& fileName, QString& why) {
    try {
        AtomicFile probe(fileName);
    } catch (const Exception& e) {
        why = e.Message();
        return false;
    }
    return true;
}

// The login check of the start screen: the number (a text that is no whole
// number counts as 0) must name a condominium, and the password must equal
// the stored one once both are in upper case by the Windows-1252 rules;
// nothing is trimmed. Sets the login state as a login does.
bool CheckLogin(const QString& condText, const QString& password) {
    const std::int32_t cond = StrToIntDef(condText, 0);
    TIBTransaction transa;
    transa.SetDefaultDatabase(&DM->BDados);
    TIBSQL sql;
    sql.SetDatabase(&DM->BDados);
    sql.SetTransaction(&transa);
    transa.SetActive(true);
    sql.SetSQL(QStringLiteral("select count(*) from cond where cond = ") + QString::number(cond));
    sql.ExecQuery();
    const bool known = sql.Fields(0).AsInteger() != 0;
    sql.Close();
    if (!known) {
        PrintErr(QStringLiteral("Login não reconhecido. (no condominium number %1)").arg(condText));
        return false;
    }
    sql.SetSQL(QStringLiteral("select remoto_senha, remoto_balancete from cond where cond = ") +
               QString::number(cond));
    sql.ExecQuery();
    const bool same =
        Win1252::AnsiUpperCase(sql.Fields(0).AsString()) == Win1252::AnsiUpperCase(password);
    const std::int32_t balancete = sql.Fields(1).AsInteger();
    sql.Close();
    transa.SetActive(false);
    if (!same) {
        PrintErr(QStringLiteral("Senha inválida para o Login. (condominium %1)").arg(cond));
        return false;
    }
    DM->CodBalancete = balancete;
    DM->CondLogado = cond;
    return true;
}

// What the selection screen reads from the server before "Gerar Relatório"
// runs the balance report, with the same statements: the latest month with
// entries (its creation), the chart of accounts (its showing), the accounts
// its grid lists, and the count of entries it checks.
class SelectionReads {
public:
    SelectionReads() {
        transa_.SetDefaultDatabase(&DM->BDados);
        sql_.SetDatabase(&DM->BDados);
        sql_.SetTransaction(&transa_);
        transa_.SetActive(true);
    }

    double LatestMonth() {
        Exec(QStringLiteral("select max(mes) from lanconta where cond = ") + Cond());
        const double mes = sql_.Fields(0).AsDateTime();
        sql_.Close();
        return mes > 0 ? mes : 0;
    }

    std::int32_t Estrutura() {
        Exec(QStringLiteral("select nome, estrutu from cond where cond = ") + Cond());
        const std::int32_t estrutura = sql_.Fields(1).AsInteger();
        sql_.Close();
        return estrutura;
    }

    // The grid's codes, in its order: every account of the type up to the grade.
    QStringList Accounts(int type, int grade) {
        const QString filter = type == 0 ? QStringLiteral(" where tipo = 'R' ")
                               : type == 1
                                   ? QStringLiteral(" where tipo = 'D' ")
                                   : QStringLiteral(" where ((tipo = 'R') or (tipo = 'D')) ");
        Exec(QStringLiteral("select tipo,subconta,nome from subconta ") + filter +
             QStringLiteral(" and estru = ") + QString::number(DM->EstruturaCond) +
             QStringLiteral(" order by subconta "));
        QStringList codes;
        for (; !sql_.Eof(); sql_.Next()) {
            const QString code = sql_.Fields(1).AsString();
            if (code.size() <= BalanceteChoice::GradeLength(grade)) {
                codes << code;
            }
        }
        sql_.Close();
        return codes;
    }

    // Counted over every condominium, as the screen counts.
    std::int32_t Entries(const TBalanceteInputs& in) {
        sql_.Close();
        if (in.TipoPeriodo == QStringLiteral("mês")) {
            sql_.SetSQL(QStringLiteral("select count(*)  from lanconta where mes = :wdata "));
            sql_.ParamByName(QStringLiteral("wdata")).SetAsDateTime(DM->MesAtual);
        } else {
            sql_.SetSQL(QStringLiteral(
                "select count(*)  from lanconta where data > :wdataini and data < :wdatafim "));
            sql_.ParamByName(QStringLiteral("wdataini")).SetAsDateTime(in.DataIni - 1);
            sql_.ParamByName(QStringLiteral("wdatafim")).SetAsDateTime(in.DataFim + 1);
        }
        sql_.ExecQuery();
        const std::int32_t count = sql_.Fields(0).AsInteger();
        sql_.Close();
        return count;
    }

private:
    static QString Cond() { return QString::number(DM->CondLogado); }
    void Exec(const QString& text) {
        sql_.Close();
        sql_.SetSQL(text);
        sql_.ExecQuery();
    }
    TIBTransaction transa_;
    TIBSQL sql_;
};

QString FormatDay(double date) {
    const DateTime::Date d = DateTime::DecodeDate(date);
    return QString::asprintf("%02d/%02d/%04d", d.Day, d.Month, d.Year);
}

// The month or period asked for, for messages. Without a month asked for
// and none with entries, the month is 0.
QString Asked(const TBalanceteInputs& in, bool monthAsked) {
    if (in.TipoPeriodo != QStringLiteral("mês")) {
        return FormatDay(in.DataIni) + QStringLiteral(" to ") + FormatDay(in.DataFim);
    }
    return monthAsked || DM->MesAtual != 0 ? FormatDay(DM->MesAtual).mid(3)
                                           : QStringLiteral("the condominium has no entries");
}

// Sets the login state's month and the report's inputs as the selection
// screen would for this choice. ExitOk, or why the report does not run.
int PrepareBalancete(const BalanceteOptions& b, TBalanceteInputs& in) {
    SelectionReads reads;
    DM->EstruturaCond = reads.Estrutura();
    const QStringList listed = reads.Accounts(b.Type, b.Grade);
    for (const QString& code : b.Accounts) {
        if (!listed.contains(code)) {
            PrintErr(QStringLiteral("--accounts: %1 is not in the condominium's chart of %2 "
                                    "accounts")
                         .arg(code, QStringList{QStringLiteral("income"), QStringLiteral("expense"),
                                                QStringLiteral("income or expense")}
                                        .at(b.Type)));
            return ExitUsage;
        }
    }
    // The month of a period run is the one the screen opens with: the latest
    // with entries. It names the month the emission is logged for.
    DM->MesAtual = b.Month ? *b.Month : reads.LatestMonth();
    const bool period = b.From.has_value();
    in.TipoPeriodo = period ? QStringLiteral("período") : QStringLiteral("mês");
    in.DataIni = period ? *b.From : DateTime::Today();
    in.DataFim = period ? *b.To : DateTime::Today();
    if (reads.Entries(in) == 0) {
        PrintErr(RemotoPesq::SemLancamentos +
                 QStringLiteral(" (%1)").arg(Asked(in, b.Month.has_value())));
        return ExitNothingToReport;
    }
    const BalanceteChoice::TMarked marked = BalanceteChoice::MarkAccounts(listed, b.Accounts);
    in.TipoConta = b.Type;
    in.GrauConta = b.Grade;
    in.AlgumasContas = marked.AlgumasContas;
    in.ContasSel = marked.ContasSel;
    if (marked.Count == 0) {
        PrintErr(RemotoPesq::NenhumaConta + QStringLiteral(" (the chart lists no such account)"));
        return ExitNothingToReport;
    }
    return ExitOk;
}

// The exit code of a run a signal stopped; 0 while none did.
int StopCode() {
    const int signal = StopSignals::Received();
    return signal != 0 ? StopSignals::ExitCode(signal) : 0;
}

// Writes the pages as the save dialog would for this file name, and says
// what became of them: ExitOk, or why nothing was written.
int SavePages(TRLGraphicStorage& pages, const QString& output, const Options& o) {
    TOutputResult written;
    try {
        written = WriteOutput(pages, output, o.Choice);
    } catch (const EAbort&) {
        return StopCode() ? StopCode() : ExitOutputUnwritable;
    }
    switch (written.Result) {
    case TOutputResult::OutsideDocument:
        PrintErr(written.Message);
        return ExitUsage;
    case TOutputResult::Unwritable:
        PrintErr(written.Message);
        return StopCode() ? StopCode() : ExitOutputUnwritable;
    case TOutputResult::Written:
        break;
    }
    if (!o.Quiet) {
        std::fprintf(stdout, "%s\n", written.Message.toLocal8Bit().constData());
    }
    return ExitOk;
}

// --input: the pages of a saved file, written again in the format asked for.
int Convert(const Options& o) {
    TLoadedPages pages;
    try {
        pages = LoadPageFile(o.Input);
    } catch (const std::exception& e) {
        PrintErr(QStringLiteral("%1: %2").arg(o.Input, QString::fromUtf8(e.what())));
        return ExitReportFailed;
    }
    if (const int stop = StopCode()) {
        return stop;
    }
    return SavePages(*pages, OutputName(o.Output), o);
}

// Messages of a failed run, each said once: the engine's message already
// holds the error that the report form raises again afterwards.
class Failures {
public:
    void Say(const QString& text) {
        for (const QString& said : said_) {
            if (said.contains(text)) {
                return;
            }
        }
        said_ << text;
        PrintErr(text);
    }
    bool Any() const { return !said_.isEmpty(); }

private:
    QStringList said_;
};

QString MessageOf(const std::exception& e) {
    const auto* error = dynamic_cast<const Exception*>(&e);
    return error ? error->Message() : QString::fromUtf8(e.what());
}

// Why a run that failed failed, as an exit code: stopped by a signal; the
// server lost (its cause said first, if nothing said it yet); otherwise the
// code given.
int FailedWith(Failures& failures, int otherwise) {
    if (const int stop = StopCode()) {
        return stop;
    }
    if (const std::optional<EIBError> lost = DM->BDados.LostReason()) {
        failures.Say(lost->Message());
        return ExitServerUnreachable;
    }
    return otherwise;
}

int Run(const Options& o) {
    if (!o.Input.isNull()) {
        return Convert(o);
    }
    const QString output = OutputName(o.Output);
    QString why;
    if (!CanWrite(FirstOutputFile(output), why)) {
        PrintErr(QStringLiteral("cannot write %1: %2").arg(output, why));
        return ExitOutputUnwritable;
    }

    ConsoleMessages messages;
    MessageService::SetCurrent(&messages);
    struct Restore {
        ~Restore() { MessageService::SetCurrent(nullptr); }
    } restore;

    IBCall::SetTimeout(o.TimeoutSeconds);
    std::unique_ptr<TDM> dm;
    try {
        dm = std::make_unique<TDM>();
    } catch (const Exception& e) {
        PrintErr(e.Message());
        return ExitServerUnreachable;
    }
    if (const int stop = StopCode()) {
        return stop;
    }
    if (!dm->BDados.Connected()) {
        PrintErr(QStringLiteral("the database server at %1 cannot be reached: %2")
                     .arg(DMod::DatabaseName(), dm->ConnectError));
        return ExitServerUnreachable;
    }
    Failures failures;
    TBalanceteInputs balancete;
    try {
        if (!CheckLogin(o.Cond, *o.Password)) {
            return ExitLoginRefused;
        }
        if (IsBalancete(o)) {
            if (const int refused = PrepareBalancete(o.Balancete, balancete); refused != ExitOk) {
                return refused;
            }
        }
    } catch (const EAbort&) {
        return FailedWith(failures, ExitReportFailed);
    } catch (const std::exception& e) {
        failures.Say(MessageOf(e));
        return FailedWith(failures, ExitReportFailed);
    }

    // The prepared pages, linked here so they outlive the report form.
    TRLGraphicStorage* prepared = nullptr;
    const int token = 0;
    RLEngineServices::SetPreviewOpener([&](TRLGraphicStorage* pages, const TRLPreviewOptions&) {
        pages->Link(&token);
        prepared = pages;
    });
    RLEngineServices::SetMessageSink([&](const QString& text) { failures.Say(text); });
    const bool showProgress = !o.Quiet && isatty(STDERR_FILENO);
    RLEngineServices::SetProgressFactory([showProgress](const TRLProgressRequest& r) {
        return showProgress ? std::unique_ptr<TRLProgress>(new ConsoleProgress(r.Title))
                            : std::unique_ptr<TRLProgress>();
    });
    // What failed once the pages were there: the balance report's emission
    // log, which comes after its preview.
    QString afterPages;
    try {
        if (IsBalancete(o)) {
            RunBalancete(nullptr, balancete);
        } else if (o.Report == QLatin1String("inadimplencia")) {
            RunRemotoInad(nullptr);
        } else {
            RunRemotoCap(nullptr);
        }
    } catch (const EAbort&) {
        afterPages = QStringLiteral("stopped");
    } catch (const std::exception& e) {
        afterPages = MessageOf(e);
        failures.Say(afterPages);
    }
    std::unique_ptr<TRLGraphicStorage, std::function<void(TRLGraphicStorage*)>> keep(
        prepared, [&](TRLGraphicStorage* p) { p->Unlink(&token); });
    if (const int stop = StopCode()) {
        return stop;
    }
    if (!prepared) {
        if (!failures.Any()) {
            failures.Say(QStringLiteral("the report produced no pages"));
        }
        return FailedWith(failures, ExitReportFailed);
    }
    if (const int saved = SavePages(*prepared, output, o); saved != ExitOk) {
        return saved;
    }
    // The pages are kept; the failure after them is still a failure.
    if (!afterPages.isEmpty()) {
        PrintErr(QStringLiteral("the report was written, but its emission could not be logged"));
        return FailedWith(failures, ExitLogFailed);
    }
    return ExitOk;
}

// Qt's own chatter about the desktop session (there is none) is no news to
// whoever runs the tool; everything else Qt says still goes to standard error.
void QuietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("QStandardPaths:"))) {
        return;
    }
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
}

// Every argument must be text in the system's encoding: a name that is not
// would be written with replacement characters in place of what was typed.
bool ArgumentsAreText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray typed(argv[i]);
        const QString text = QString::fromLocal8Bit(typed);
        if (text.toLocal8Bit() != typed) {
            PrintErr(QStringLiteral("\"%1\" is not valid text in the system's encoding (%2)")
                         .arg(text, QString::fromLatin1(nl_langinfo(CODESET))));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Before any thread starts: a signal stops the run at the next point
    // where it can, and the process ends through the normal way out.
    StopSignals::Install([](int) {
        IBCall::Stop();
        RLEngineServices::Terminate();
    });
    // No display is needed or wanted: fonts and pictures only.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    qInstallMessageHandler(QuietQtMessages);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("quorva-report"));
    RegionalSettings::Reload();

    if (!ArgumentsAreText(argc, argv)) {
        return ExitUsage;
    }
    const std::optional<Options> options = ParseArguments(QCoreApplication::arguments());
    if (!options) {
        return ExitUsage;
    }
    if (options->Help) {
        std::fputs(HelpText, stdout);
        return ExitOk;
    }
    const int code = Run(*options);
    if (StopCode() == 0 || code == ExitOk) {
        return code;
    }
    PrintErr(QStringLiteral("stopped by %1")
                 .arg(QString::fromLocal8Bit(strsignal(StopSignals::Received()))));
    return StopCode();
}
