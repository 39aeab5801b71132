#pragma once
// Running the report tool as a scheduler would, against the test server,
// and reading back the pages it saved.
#include "RLMetaFile.h"

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

// A text on a stored page, in page coordinates.
struct PageText {
    int Page = 0; // 1-based
    QString Text;
    TRect Box;
};

struct SavedReport {
    int PageCount = 0;
    std::vector<PageText> Texts;

    std::vector<PageText> On(int page) const {
        std::vector<PageText> out;
        for (const PageText& t : Texts) {
            if (t.Page == page) {
                out.push_back(t);
            }
        }
        return out;
    }
    std::vector<PageText> All(const QString& text) const {
        std::vector<PageText> out;
        for (const PageText& t : Texts) {
            if (t.Text == text) {
                out.push_back(t);
            }
        }
        return out;
    }
    bool Has(const QString& text) const { return !All(text).empty(); }
    // The texts on the same page and line as another, left to right.
    QStringList LineOf(const PageText& t) const {
        std::vector<PageText> line;
        for (const PageText& o : Texts) {
            if (o.Page == t.Page && o.Box.Top == t.Box.Top) {
                line.push_back(o);
            }
        }
        std::sort(line.begin(), line.end(),
                  [](const PageText& a, const PageText& b) { return a.Box.Left < b.Box.Left; });
        QStringList out;
        for (const PageText& o : line) {
            out << o.Text;
        }
        return out;
    }
};

// The texts of every page of a storage.
inline SavedReport ReadPages(TRLGraphicStorage& storage) {
    SavedReport r;
    r.PageCount = storage.PageCount();
    for (int i = 0; i < storage.PageCount(); ++i) {
        const auto page = storage.GetPage(i);
        for (int k = 0; k < page->ObjectCount(); ++k) {
            if (const auto* t = dynamic_cast<const TRLTextObject*>(page->Objects(k))) {
                r.Texts.push_back({i + 1, t->Text, t->BoundsRect});
            }
        }
    }
    return r;
}

inline SavedReport LoadSaved(const QString& fileName) {
    TRLGraphicStorage* storage = new TRLGraphicStorage;
    const int user = 0;
    storage->Link(&user);
    storage->LoadFromFile(fileName);
    const SavedReport r = ReadPages(*storage);
    storage->Unlink(&user);
    return r;
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
