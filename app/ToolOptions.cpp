#include "ToolOptions.h"

#include "BalanceteChoice.h"
#include "DateTime.h"
#include "RLFilters.h"
#include "RLPNGFilter.h"
#include "RegionalSettings.h"
#include "SelectionService.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

extern const char* const HelpText;
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
                     no extension adds ".rpf"; any other extension is wrong
                     usage (exit 2) and nothing is written.
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
     (with --input: the file cannot be read or is no page file; also a
     page that cannot be painted for the output, e.g. too large an image)
  2  wrong usage (missing or unknown option, invalid date, unknown account,
     an output name without a file name, with an extension that names no
     format, or not valid in the system's encoding)
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

bool IsBalancete(const Options& o) {
    return o.Report == QLatin1String("balancete");
}

namespace {

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
    // Refused before any login or reading: a report run would otherwise
    // end in a file whose content its name does not say.
    if (const QString output = OutputName(o.Output); !IsWritableName(output)) {
        PrintErr(QStringLiteral("--output %1: no format has the extension \"%2\"; the extension "
                                "picks the format: %3 (see --help)")
                     .arg(o.Output, FileExtension(output),
                          WritableExtensions().join(QStringLiteral(", "))));
        return false;
    }
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

} // namespace

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
