// quorva-report: runs one of the listings for one condominium without any
// window and writes it to a file, as the preview's save button would. It is
// what a firm schedules to mail the monthly reports, and what the end-to-end
// tests drive. The same report forms and the same generation as the desktop
// program run here; only the engine's windows are replaced: progress goes to
// a line on standard error and the prepared pages are saved instead of shown.
#include "DMod.h"
#include "Exception.h"
#include "IBSQL.h"
#include "IntText.h"
#include "MessageService.h"
#include "RLEngineServices.h"
#include "RLFilters.h"
#include "RLMetaFile.h"
#include "RegionalSettings.h"
#include "RemotoCap.h"
#include "RemotoInad.h"
#include "Win1252.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <functional>
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
};

const char* const HelpText =
    R"(Usage: quorva-report --cond NUMBER --password TEXT --report NAME --output FILE

Writes one report of a condominium to a file, with no window: the same
report the desktop program shows in its preview, saved as its "Salvar"
button saves it.

  --cond NUMBER      the condominium's number, as typed on the login screen
  --password TEXT    its password (letter case does not matter; blanks do).
                     Without this option the password is read from the
                     environment variable QUORVA_PASSWORD, which keeps it
                     out of the process list.
  --report NAME      inadimplencia   overdue, unpaid bills by unit
                                     ("Relação de Inadimplentes")
                     compromissados  committed, unpaid payables by due date
                                     ("Compromissados")
  --output FILE      where to write; the extension picks the format:
                       .pdf  PDF document
                       .xls  spreadsheet
                       .rpf  the report engine's own page file (reopened by
                             the desktop program's preview)
                     any other extension also writes the page file, under
                     the name given; no extension adds ".rpf".
  --quiet            no progress line
  --help             this text

The database server is the one the desktop program uses: 127.0.0.1 unless
the environment variable QUORVA_DB_HOST names another host (port 3051).
Amounts and dates follow the regional settings of the environment
(LANG=pt_BR.UTF-8 gives Brazilian separators).

Exit codes:
  0  the report was written
  1  the report could not be generated (the reason is printed)
  2  wrong usage (missing or unknown option)
  3  login refused: unknown condominium or wrong password
  4  the database server cannot be reached
  5  the output file cannot be written

Example:
  QUORVA_PASSWORD=ipe101 quorva-report --cond 101 --report inadimplencia \
      --output inadimplentes.pdf
)";

void PrintErr(const QString& text) {
    std::fprintf(stderr, "quorva-report: %s\n", text.toLocal8Bit().constData());
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

struct Options {
    QString Cond;
    std::optional<QString> Password;
    QString Report;
    QString Output;
    bool Quiet = false;
    bool Help = false;
};

// Nullopt (with the reason printed) when the arguments do not make sense.
std::optional<Options> ParseArguments(const QStringList& args) {
    Options o;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto value = [&](QString& into) {
            if (i + 1 >= args.size()) {
                PrintErr(QStringLiteral("%1 needs a value (see --help)").arg(a));
                return false;
            }
            into = args.at(++i);
            return true;
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.Help = true;
        } else if (a == QLatin1String("--quiet")) {
            o.Quiet = true;
        } else if (a == QLatin1String("--cond")) {
            if (!value(o.Cond)) {
                return std::nullopt;
            }
        } else if (a == QLatin1String("--password")) {
            QString p;
            if (!value(p)) {
                return std::nullopt;
            }
            o.Password = p;
        } else if (a == QLatin1String("--report")) {
            if (!value(o.Report)) {
                return std::nullopt;
            }
        } else if (a == QLatin1String("--output")) {
            if (!value(o.Output)) {
                return std::nullopt;
            }
        } else {
            PrintErr(QStringLiteral("unknown option %1 (see --help)").arg(a));
            return std::nullopt;
        }
    }
    if (o.Help) {
        return o;
    }
    if (!o.Password && qEnvironmentVariableIsSet("QUORVA_PASSWORD")) {
        o.Password = qEnvironmentVariable("QUORVA_PASSWORD");
    }
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
        return std::nullopt;
    }
    if (o.Report != QLatin1String("inadimplencia") && o.Report != QLatin1String("compromissados")) {
        PrintErr(
            QStringLiteral("unknown report \"%1\": inadimplencia or compromissados").arg(o.Report));
        return std::nullopt;
    }
    return o;
}

// The file name the save dialog would write to: without an extension the
// engine's own format and its ".rpf".
QString OutputName(const QString& typed) {
    return QFileInfo(typed).suffix().isEmpty() ? typed + QStringLiteral(".rpf") : typed;
}

// Whether the file can be created or replaced; a file made for the test is
// removed again. Checked before the report runs, so a scheduled run does not
// spend minutes on a report it cannot keep.
bool CanWrite(const QString& fileName, QString& why) {
    const bool existed = QFileInfo::exists(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        why = file.errorString();
        return false;
    }
    file.close();
    if (!existed) {
        QFile::remove(fileName);
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

// Writes the pages as the save dialog would for this file name.
void SavePages(TRLGraphicStorage& pages, const QString& fileName) {
    if (TRLCustomSaveFilter* filter = SaveFilterByFileName(fileName)) {
        filter->FileName = fileName;
        filter->FilterPages(&pages, 1, false, -1);
    } else {
        pages.SaveToFile(fileName);
    }
}

int Run(const Options& o) {
    const QString output = OutputName(o.Output);
    QString why;
    if (!CanWrite(output, why)) {
        PrintErr(QStringLiteral("cannot write %1: %2").arg(output, why));
        return ExitOutputUnwritable;
    }

    ConsoleMessages messages;
    MessageService::SetCurrent(&messages);
    struct Restore {
        ~Restore() { MessageService::SetCurrent(nullptr); }
    } restore;

    std::unique_ptr<TDM> dm;
    try {
        dm = std::make_unique<TDM>();
    } catch (const Exception& e) {
        PrintErr(e.Message());
        return ExitServerUnreachable;
    }
    if (!dm->BDados.Connected()) {
        PrintErr(QStringLiteral("the database server at %1 cannot be reached")
                     .arg(DMod::DatabaseName()));
        return ExitServerUnreachable;
    }
    try {
        if (!CheckLogin(o.Cond, *o.Password)) {
            return ExitLoginRefused;
        }
    } catch (const std::exception& e) {
        PrintErr(QString::fromUtf8(e.what()));
        return ExitReportFailed;
    }

    // The prepared pages, linked here so they outlive the report form.
    TRLGraphicStorage* prepared = nullptr;
    const int token = 0;
    RLEngineServices::SetPreviewOpener([&](TRLGraphicStorage* pages, const TRLPreviewOptions&) {
        pages->Link(&token);
        prepared = pages;
    });
    bool engineFailed = false;
    RLEngineServices::SetMessageSink([&](const QString& text) {
        engineFailed = true;
        PrintErr(text);
    });
    if (!o.Quiet && isatty(STDERR_FILENO)) {
        RLEngineServices::SetProgressFactory([](const TRLProgressRequest& r) {
            return std::unique_ptr<TRLProgress>(new ConsoleProgress(r.Title));
        });
    }
    try {
        if (o.Report == QLatin1String("inadimplencia")) {
            RunRemotoInad(nullptr);
        } else {
            RunRemotoCap(nullptr);
        }
    } catch (const std::exception& e) {
        PrintErr(QString::fromUtf8(e.what()));
        engineFailed = true;
    }
    if (!prepared) {
        if (!engineFailed) {
            PrintErr(QStringLiteral("the report produced no pages"));
        }
        return ExitReportFailed;
    }
    std::unique_ptr<TRLGraphicStorage, std::function<void(TRLGraphicStorage*)>> keep(
        prepared, [&](TRLGraphicStorage* p) { p->Unlink(&token); });
    try {
        SavePages(*prepared, output);
    } catch (const std::exception& e) {
        PrintErr(QStringLiteral("cannot write %1: %2").arg(output, QString::fromUtf8(e.what())));
        QFile::remove(output);
        return ExitOutputUnwritable;
    }
    if (!o.Quiet) {
        std::fprintf(stdout, "%d %s written to %s\n", prepared->PageCount(),
                     prepared->PageCount() == 1 ? "page" : "pages",
                     output.toLocal8Bit().constData());
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

} // namespace

int main(int argc, char** argv) {
    // No display is needed or wanted: fonts and pictures only.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    qInstallMessageHandler(QuietQtMessages);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("quorva-report"));
    RegionalSettings::Reload();

    const std::optional<Options> options = ParseArguments(QCoreApplication::arguments());
    if (!options) {
        return ExitUsage;
    }
    if (options->Help) {
        std::fputs(HelpText, stdout);
        return ExitOk;
    }
    return Run(*options);
}
