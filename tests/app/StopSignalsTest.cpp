// The desktop program, run as a user runs it (with no display here), ends
// on SIGINT, SIGTERM and SIGHUP as "Encerrar" ends it: its message loop
// quits, the windows and the data module shut down, and the exit code says
// which signal. Connected to the test server, and with no server at all
// (where the start-up's message boxes are up when the signal comes).
#include "../support/CommittedSql.h"
#include "DMod.h"
#include "../session/MessageRecorder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray TestHost() {
    const QByteArray host = qgetenv("QUORVA_DB_HOST");
    return host.isEmpty() ? QByteArray("127.0.0.1") : host;
}

// How many connections the process holds on the test server.
int Attachments(TDM& dm, qint64 pid) {
    return CommittedRows(
               dm.BDados,
               QStringLiteral("select count(*) from mon$attachments where mon$remote_pid = %1")
                   .arg(pid))
        .value(0)
        .toInt();
}

TEST(DesktopStop, ASignalClosesTheProgramAsEncerrarDoes) {
    ScopedEnv env("QUORVA_DB_HOST", TestHost());
    MessageRecorder quiet;
    TDM dm;
    ASSERT_TRUE(dm.BDados.Connected()) << "the test server is not running";
    const struct {
        const char* host; // empty: the test server
        int signal;
        int exitCode;
    } cases[] = {
        {"", SIGTERM, 143},
        {"", SIGINT, 130},
        {"", SIGHUP, 129},
        {"127.0.0.254", SIGTERM, 143}, // nothing listens there
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " signal " + std::to_string(c.signal));
        const bool connected = *c.host == '\0';
        QTemporaryDir cwd; // where the program keeps its settings file
        QProcess program;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        e.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
        // The leak check's tracer crashes at exit beside the signal thread
        // (sanitizer build); leaks are checked in the test process.
        if (e.contains(QStringLiteral("ASAN_OPTIONS"))) {
            e.insert(QStringLiteral("ASAN_OPTIONS"),
                     e.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        }
        e.insert(QStringLiteral("QUORVA_DB_HOST"),
                 connected ? QString::fromLatin1(TestHost()) : QString::fromLatin1(c.host));
        program.setProcessEnvironment(e);
        program.setWorkingDirectory(cwd.path());
        program.start(QStringLiteral(QUORVA_DESKTOP_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted());
        if (connected) {
            bool up = false;
            for (int i = 0; i < 200 && !up; ++i) {
                QThread::msleep(50);
                up = Attachments(dm, program.processId()) > 0;
            }
            ASSERT_TRUE(up) << "the program did not connect";
        } else {
            QThread::msleep(1000); // its message box is up by now
        }
        ::kill(static_cast<pid_t>(program.processId()), c.signal);
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(program.waitForFinished(15000)) << "the program did not end";
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit)
            << program.readAllStandardError().toStdString();
        EXPECT_EQ(program.exitCode(), c.exitCode) << program.readAllStandardError().toStdString();
        if (connected) {
            EXPECT_EQ(Attachments(dm, program.processId()), 0);
        }
    }
}

} // namespace
