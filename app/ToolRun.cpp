#include "ToolRun.h"

#include "AtomicFile.h"
#include "BalanceteChoice.h"
#include "BalanceteEntry.h"
#include "DMod.h"
#include "DateTime.h"
#include "ErrorHandler.h"
#include "Exception.h"
#include "IBCallControl.h"
#include "IBError.h"
#include "IBSQL.h"
#include "IntText.h"
#include "MessageService.h"
#include "RLEngineServices.h"
#include "RLFilters.h"
#include "RLMetaFile.h"
#include "RLPNGFilter.h"
#include "RemotoCap.h"
#include "RemotoInad.h"
#include "SelectionService.h"
#include "StopSignals.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

// The exit code of a run a signal stopped; 0 while none did.
int StopCode() {
    const int signal = StopSignals::Received();
    return signal != 0 ? StopSignals::ExitCode(signal) : 0;
}

namespace {

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

// A statement of its own in a transaction of its own, on the data module's
// connection, as each screen has; the transaction ends with it.
struct SelectionStatement {
    SelectionStatement() {
        Transa.SetDefaultDatabase(&DM->BDados);
        Sql.SetDatabase(&DM->BDados);
        Sql.SetTransaction(&Transa);
        Transa.SetActive(true);
    }
    TIBTransaction Transa;
    TIBSQL Sql;
};

// The start screen's login: the number (a text that is no whole number
// counts as 0) and the password. Sets the login state as a login does.
bool CheckLogin(const QString& condText, const QString& password) {
    const std::int32_t cond = StrToIntDef(condText, 0);
    SelectionStatement statement;
    switch (SelectionService::CheckLogin(statement.Sql, cond, password)) {
    case SelectionService::TLogin::UnknownCond:
        PrintErr(LoginMessages::NaoReconhecido +
                 QStringLiteral(" (no condominium number %1)").arg(condText));
        return false;
    case SelectionService::TLogin::WrongPassword:
        PrintErr(LoginMessages::SenhaInvalida + QStringLiteral(" (condominium %1)").arg(cond));
        return false;
    case SelectionService::TLogin::Ok:
        break;
    }
    return true;
}

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
    SelectionStatement statement;
    TIBSQL& sql = statement.Sql;
    DM->EstruturaCond = SelectionService::CondInfo(sql).Estrutura;
    QStringList listed;
    for (const SelectionService::TAccount& account :
         SelectionService::Accounts(sql, b.Type, DM->EstruturaCond, b.Grade)) {
        listed << account.Code;
    }
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
    DM->MesAtual = b.Month ? *b.Month : std::max(SelectionService::LatestMonth(sql), 0.0);
    const bool period = b.From.has_value();
    in.TipoPeriodo = period ? QStringLiteral("período") : QStringLiteral("mês");
    in.DataIni = period ? *b.From : DateTime::Today();
    in.DataFim = period ? *b.To : DateTime::Today();
    const std::int32_t entries =
        period ? SelectionService::PeriodEntryCount(sql, in.DataIni, in.DataFim)
               : SelectionService::MonthEntryCount(sql, DM->MesAtual);
    if (entries == 0) {
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

// ---- What a failed run tells the scheduler

// The error a failed preparation was raised for; any other error itself.
std::exception_ptr CauseOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ERLPrepareError& e) {
        return e.Cause();
    } catch (...) {
        return error;
    }
}

// The loss of the data module's connection, if it was lost. The database
// layer keeps what lost it: every later statement raises that loss again,
// so the first error after it is the loss, whatever the statement was.
std::optional<EIBError> ConnectionLost() {
    return DM ? DM->BDados.LostReason() : std::nullopt;
}

// The exit code of a run that failed on an error (none: it produced
// nothing and raised nothing), as the README documents them. The first row
// that holds decides:
//   a signal stopped the run              its own code (130, 143, 129)
//   a file could not be written           ExitOutputUnwritable
//   the server's connection was lost, or  ExitServerUnreachable
//   it did not answer in time
//   anything else                         the code the step fails with
int ExitCodeOf(const std::exception_ptr& error, ExitCode otherwise) {
    if (const int stop = StopCode()) {
        return stop;
    }
    try {
        if (error) {
            std::rethrow_exception(CauseOf(error));
        }
    } catch (const EWriteError&) {
        return ExitOutputUnwritable;
    } catch (const EIBTimeout&) {
        return ExitServerUnreachable;
    } catch (...) {
    }
    return ConnectionLost() ? ExitServerUnreachable : otherwise;
}

// What is said of an error: its own text; nothing for the silent abort.
QString TextOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return QString();
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

// Says why a run failed and gives its exit code. The errors come in the
// order they were raised; once the connection is lost, every one after the
// first is that loss again and goes unsaid, and the loss itself is said
// when nothing said it (a run the loss stopped silently).
int Failed(const std::vector<std::exception_ptr>& errors, ExitCode otherwise) {
    if (const int stop = StopCode()) {
        return stop;
    }
    const std::optional<EIBError> lost = ConnectionLost();
    bool said = false;
    for (const std::exception_ptr& error : errors) {
        if (said && lost) {
            break;
        }
        if (const QString text = TextOf(error); !text.isEmpty()) {
            PrintErr(text);
            said = true;
        }
    }
    if (lost && !said) {
        PrintErr(lost->Message());
    }
    return ExitCodeOf(errors.empty() ? nullptr : errors.front(), otherwise);
}

// ---- The steps of a run

// Writes the pages as the save dialog would for this file name, and says
// what became of them: ExitOk, or why nothing was written. Only a file that
// cannot be written is told as such; a page that cannot be painted (a font,
// an image too large) is a report that cannot be made.
int SavePages(TRLGraphicStorage& pages, const QString& output, const Options& o) {
    TOutputResult written;
    try {
        written = WriteOutput(pages, output, o.Choice);
    } catch (const std::exception&) {
        const std::exception_ptr error = std::current_exception();
        const int code = ExitCodeOf(error, ExitReportFailed);
        if (const QString why = TextOf(error); !why.isEmpty()) {
            const QString what = code == ExitOutputUnwritable
                                     ? QStringLiteral("cannot write %1: %2")
                                     : QStringLiteral("cannot make %1: %2");
            PrintErr(what.arg(output, why));
        }
        return code;
    }
    if (written.Result != TOutputResult::Written) {
        PrintErr(written.Message);
        return ExitUsage;
    }
    if (!o.Quiet) {
        std::fprintf(stdout, "%s\n", written.Message.toLocal8Bit().constData());
    }
    return ExitOk;
}

// --input: the pages of a saved file, written again in the format asked for.
int Convert(const Options& o) {
    TRLStorageHold pages;
    try {
        pages = LoadPageFile(o.Input);
    } catch (const std::exception&) {
        PrintErr(QStringLiteral("%1: %2").arg(o.Input, TextOf(std::current_exception())));
        return ExitReportFailed;
    }
    if (const int stop = StopCode()) {
        return stop;
    }
    return SavePages(*pages, OutputName(o.Output), o);
}

// The data module at the end of a run: its connection is closed as its
// destruction closes it, but its memory is left to the end of the process,
// which follows at once. Freed piece by piece, the models it keeps (a
// spreadsheet's whole workbook among them) took nearly a tenth of a
// spreadsheet run.
struct CloseDataModule {
    void operator()(TDM* dm) const {
        Guard([dm] { dm->DataModuleDestroy(dm); });
        if (DM == dm) {
            DM = nullptr;
        }
    }
};
using TDataModule = std::unique_ptr<TDM, CloseDataModule>;

// The data module with its connection made: ExitOk, or why there is none.
int Connect(TDataModule& dm) {
    try {
        dm.reset(new TDM);
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
    return ExitOk;
}

// The login, and the balance report's choice checked against the
// condominium's chart: ExitOk, or why the report does not run.
int LogIn(const Options& o, TBalanceteInputs& balancete) {
    try {
        if (!CheckLogin(o.Cond, *o.Password)) {
            return ExitLoginRefused;
        }
        return IsBalancete(o) ? PrepareBalancete(o.Balancete, balancete) : ExitOk;
    } catch (const std::exception&) {
        return Failed({std::current_exception()}, ExitReportFailed);
    }
}

// The engine's callbacks for the run of one report, registered while it
// lives: the progress line, a failed preparation's error kept for the run
// to tell, and the engine's other messages said at once.
class TEngineHooks {
public:
    TEngineHooks(bool showProgress, std::exception_ptr& prepareError) {
        RLEngineServices::SetProgressFactory([showProgress](const TRLProgressRequest& r) {
            return showProgress ? std::unique_ptr<TRLProgress>(new ConsoleProgress(r.Title))
                                : std::unique_ptr<TRLProgress>();
        });
        RLEngineServices::SetErrorSink(
            [&prepareError](const std::exception_ptr& error) { prepareError = error; });
        RLEngineServices::SetMessageSink([](const QString& text) { PrintErr(text); });
    }
    ~TEngineHooks() {
        RLEngineServices::SetProgressFactory({});
        RLEngineServices::SetErrorSink({});
        RLEngineServices::SetMessageSink({});
    }
    TEngineHooks(const TEngineHooks&) = delete;
    TEngineHooks& operator=(const TEngineHooks&) = delete;
};

// A report's run: the pages it made, held here, and what failed.
struct TGenerated {
    TRLStorageHold Pages;
    // Why the engine made no pages: the preparation's error.
    std::exception_ptr PrepareError;
    // What the report form raised: with pages, what failed after them (the
    // balance report's emission log).
    std::exception_ptr FormError;
};

TGenerated Generate(const Options& o, const TBalanceteInputs& balancete) {
    TGenerated run;
    const TEngineHooks hooks(!o.Quiet && isatty(STDERR_FILENO), run.PrepareError);
    const TPagesTarget keep = [&run](TRLGraphicStorage* pages) { run.Pages.Reset(pages); };
    try {
        if (IsBalancete(o)) {
            RunBalancete(nullptr, balancete, keep);
        } else if (o.Report == QLatin1String("inadimplencia")) {
            RunRemotoInad(nullptr, keep);
        } else {
            RunRemotoCap(nullptr, keep);
        }
    } catch (const std::exception&) {
        run.FormError = std::current_exception();
    }
    return run;
}

// A run that made no pages: why, said once, and its exit code.
int NoPages(const TGenerated& run) {
    std::vector<std::exception_ptr> errors;
    for (const std::exception_ptr& error : {run.PrepareError, run.FormError}) {
        if (error && !TextOf(error).isEmpty()) {
            errors.push_back(error);
        }
    }
    if (errors.empty() && !StopCode() && !ConnectionLost()) {
        PrintErr(QStringLiteral("the report produced no pages"));
    }
    return Failed(errors, ExitReportFailed);
}

} // namespace

// The steps of a run: the output checked, the connection, the login and the
// choice, the report's pages, the pages written.
int Run(const Options& o) {
    if (!o.Input.isNull()) {
        return Convert(o);
    }
    const QString output = OutputName(o.Output);
    if (QString why; !CanWrite(FirstOutputFile(output), why)) {
        PrintErr(QStringLiteral("cannot write %1: %2").arg(output, why));
        return ExitOutputUnwritable;
    }

    ConsoleMessages messages;
    MessageService::SetCurrent(&messages);
    struct Restore {
        ~Restore() { MessageService::SetCurrent(nullptr); }
    } restore;

    IBCall::SetTimeout(o.TimeoutSeconds);
    TDataModule dm;
    if (const int refused = Connect(dm); refused != ExitOk) {
        return refused;
    }
    TBalanceteInputs balancete;
    if (const int refused = LogIn(o, balancete); refused != ExitOk) {
        return refused;
    }
    const TGenerated run = Generate(o, balancete);
    if (const int stop = StopCode()) {
        return stop;
    }
    if (!run.Pages) {
        return NoPages(run);
    }
    if (const int saved = SavePages(*run.Pages, output, o); saved != ExitOk) {
        return saved;
    }
    // The pages are kept; the failure after them is still a failure.
    if (run.FormError) {
        const int code = Failed({run.FormError}, ExitLogFailed);
        PrintErr(QStringLiteral("the report was written, but its emission could not be logged"));
        return code;
    }
    return ExitOk;
}
