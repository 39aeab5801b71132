// quorva-report: runs one of the reports for one condominium without any
// window and writes it to a file, as the preview's save button would. It is
// what a firm schedules to mail the monthly reports, and what the end-to-end
// tests drive. The same report forms and the same generation as the desktop
// program run here; only the engine's windows are replaced: progress goes to
// a line on standard error and the prepared pages are saved instead of shown.
#include "FbClient.h"
#include "IBCallControl.h"
#include "IBQuery.h"
#include "LancReadAhead.h"
#include "RLEngineServices.h"
#include "RegionalSettings.h"
#include "StopSignals.h"
#include "TextMetrics.h"
#include "ToolRun.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <malloc.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {

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

// What every run needs, done on a thread of its own beside the toolkit's
// start-up and the login, which mostly wait for the server: the database
// client library loaded, and the report fonts found and their width tables
// read. Both keep what they load behind their own locks; a failure here is
// met again, and reported, where the run needs the library or the font.
void WarmUp() {
    try {
        FbClient::Api();
    } catch (const std::exception&) {
    }
    try {
        TRLFont font;
        TextMetrics::TextHeight(font);
        font.Style = fsBold;
        TextMetrics::TextHeight(font);
    } catch (const std::exception&) {
    }
}

// Ends the one-shot tool once its run is over. Everything the run made is
// written and closed by then: outputs renamed into place, spool files
// removed, the connection detached. What exit() would still do is tear down
// the toolkit and the database client library, whose shut-down waits for
// its own idle threads: about 50 ms on every run, a third of a short
// report's time.
[[noreturn]] void EndRun(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

// The tool's working memory (pages read back, a spreadsheet's workbook)
// grows by tens of megabytes in a fresh process, and every new 4 KB page of
// it costs a fault: a third of a spreadsheet run went to the kernel. The
// heap grows in large steps and asks for 2 MB pages instead.
void UseLargePages() {
    constexpr std::size_t pad = std::size_t(64) << 20;
    constexpr std::uintptr_t huge = std::uintptr_t(2) << 20;
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TOP_PAD, static_cast<int>(pad));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * pad));
    // The heap takes its first large step now (volatile: the compiler would
    // drop an allocation freed at once); only that step is marked, and only
    // when the heap did take it.
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile first = std::malloc(std::size_t(1) << 20);
    std::free(first);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (before + huge - 1) & ~(huge - 1);
    if (end - before >= pad && from < end) {
        madvise(reinterpret_cast<void*>(from), end - from, MADV_HUGEPAGE);
    }
}

} // namespace

int main(int argc, char** argv) {
    UseLargePages();
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
    // Started once the environment is set: the libraries read it.
    std::jthread warmUp(WarmUp);
    qInstallMessageHandler(QuietQtMessages);
    // No window waits on a run here: the report's rows are fetched on a
    // reader thread while its pages are laid out, and the balance report's
    // texts are read on a second connection meanwhile.
    TIBQuery::SetFetchAhead(true);
    TLancReadAhead::SetEnabled(true);
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
    warmUp.join();
    if (StopCode() == 0 || code == ExitOk) {
        EndRun(code);
    }
    PrintErr(QStringLiteral("stopped by %1")
                 .arg(QString::fromLocal8Bit(strsignal(StopSignals::Received()))));
    EndRun(StopCode());
}
