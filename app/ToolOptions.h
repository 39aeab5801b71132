#pragma once
// The report tool's command line: its options, what they must hold, and the
// exit codes a scheduler can tell apart.
#include "ReportOutput.h"

#include <QString>
#include <QStringList>
#include <optional>

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

bool IsBalancete(const Options& o);

// Nullopt (with the reason printed) when the arguments do not make sense.
std::optional<Options> ParseArguments(const QStringList& args);

// The file name the save dialog would write to: without an extension the
// engine's own format and its ".rpf".
QString OutputName(const QString& typed);

// The text of --help.
extern const char* const HelpText;

// A line on standard error, "quorva-report: " first.
void PrintErr(const QString& text);
