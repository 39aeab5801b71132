#include "ToolRun.h"

#include "AtomicFile.h"
#include "BalanceteChoice.h"
#include "BalanceteEntry.h"
#include "DMod.h"
#include "DateTime.h"
#include "ErrorHandler.h"
#include "Exception.h"
#include "IBCallControl.h"
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
#include <functional>
#include <memory>

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
    case TOutputResult::UnknownFormat:
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

} // namespace

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
    std::unique_ptr<TDM, CloseDataModule> dm;
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
