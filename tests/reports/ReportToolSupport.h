#pragma once
// Running the report tool as a scheduler would, against the test server,
// and reading back the pages it saved.
#include "SavedPages.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <ostream>
#include <vector>

struct ToolRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// quorva-report with these arguments, Brazilian regional settings, no display.
inline ToolRun RunTool(const QStringList& args, const QStringList& extraEnv = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("QUORVA_PASSWORD"));
    // In the sanitizer build the leak check's tracer crashes at the tool's
    // exit while the thread that waits for stop signals is up; leaks are
    // checked in the test processes themselves.
    if (env.contains(QStringLiteral("ASAN_OPTIONS"))) {
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    }
    for (const QString& kv : extraEnv) {
        const qsizetype eq = kv.indexOf(u'=');
        env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUORVA_REPORT_TOOL), args);
    p.waitForFinished(300000);
    ToolRun run;
    run.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = QString::fromUtf8(p.readAllStandardOutput());
    run.Err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

inline QStringList ReportArgs(int cond, const QString& password, const QString& report,
                              const QString& output) {
    return {QStringLiteral("--cond"),     QString::number(cond),
            QStringLiteral("--password"), password,
            QStringLiteral("--report"),   report,
            QStringLiteral("--output"),   output,
            QStringLiteral("--quiet")};
}

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i ? ", " : "") << '"' << list.at(i).toStdString() << '"';
    }
    *os << '}';
}
