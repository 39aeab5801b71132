// The report tool stopped by a signal, waiting too long for the server, and
// refused its emission log, against the test server (condominium 72 of
// fixtures-balancete-tool.sql, a month per test). The run is made to wait
// where a scheduler would see it wait: its emission log inserts the row that
// another client has inserted and not yet committed, and the server makes
// the insert wait for that client.
#include "../support/CommittedSql.h"
#include "DMod.h"
#include "DateTime.h"
#include "IBSQL.h"
#include "ReportToolSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

QStringList Parada(const QString& output, const QString& month) {
    return ReportArgs(72, QStringLiteral("parada72"), QStringLiteral("balancete"), output) +
           QStringList{QStringLiteral("--month"), month};
}

QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Another client holding the month's log row: inserted, not committed.
class HeldLogRow {
public:
    HeldLogRow(TIBDatabase& db, double month) {
        transaction_.SetDefaultDatabase(&db);
        transaction_.StartTransaction();
        sql_.SetDatabase(&db);
        sql_.SetTransaction(&transaction_);
        sql_.SetSQL(QStringLiteral("insert into emissoes (cod, mes, diasbol01, diasbal01) "
                                   "values (72, :m, '', '')"));
        sql_.Params(0).SetAsDateTime(month);
        sql_.ExecQuery();
    }
    ~HeldLogRow() { transaction_.SetActive(false); }

private:
    TIBTransaction transaction_;
    TIBSQL sql_;
};

class StopToolTest : public ::testing::Test {
protected:
    QString Out(const QString& name) const { return dir.filePath(name); }

    void ClearLog(double month) {
        CommittedRows(dm.BDados, QStringLiteral("delete from emissoes where cod = 72 and mes = :m"),
                      {month});
    }
    QStringList LogRows(double month) {
        return CommittedRows(
            dm.BDados, QStringLiteral("select diasbal01 from emissoes where cod = 72 and mes = :m"),
            {month});
    }

    // Starts the tool; its temporary files go to the spool folder.
    void Start(QProcess& p, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), spool.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUORVA_REPORT_TOOL), args);
        ASSERT_TRUE(p.waitForStarted());
    }

    // Whether the tool's emission log statement is waiting on the server.
    bool WaitingOnTheLog(qint64 pid) {
        return CommittedRows(dm.BDados,
                             QStringLiteral("select count(*) from mon$statements s join "
                                            "mon$attachments a on a.mon$attachment_id = "
                                            "s.mon$attachment_id where a.mon$remote_pid = %1 and "
                                            "s.mon$state = 1 and s.mon$sql_text like "
                                            "'insert into emissoes%'")
                                 .arg(pid))
                   .value(0) == QStringLiteral("1");
    }
    bool WaitUntilWaitingOnTheLog(QProcess& p) {
        for (int i = 0; i < 300; ++i) {
            if (p.state() != QProcess::Running) {
                return false;
            }
            if (WaitingOnTheLog(p.processId())) {
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }

    QStringList SpoolFiles() const {
        return QDir(spool.path()).entryList({QStringLiteral("RLSpool*")}, QDir::Files);
    }

    TDM dm;
    QTemporaryDir dir;
    QTemporaryDir spool;
};

const double Sep2019 = DateTime::EncodeDate(2019, 9, 1);
const double Oct2019 = DateTime::EncodeDate(2019, 10, 1);
const double Nov2019 = DateTime::EncodeDate(2019, 11, 1);

// Stopped while it waits for the server: no output (the previous file
// stays), no temporary file, no spool file, no log row, and the exit code
// says which signal.
TEST_F(StopToolTest, SignalsEndTheRunCleanly) {
    ASSERT_TRUE(dm.BDados.Connected()) << "the test server is not running";
    const struct {
        int signal;
        int exitCode;
    } cases[] = {{SIGTERM, 143}, {SIGINT, 130}, {SIGHUP, 129}};
    const QString output = Out(QStringLiteral("setembro.pdf"));
    WriteFile(output, "the previous report");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        ClearLog(Sep2019);
        QProcess tool;
        {
            const HeldLogRow held(dm.BDados, Sep2019);
            Start(tool, Parada(output, QStringLiteral("09/2019")));
            ASSERT_TRUE(WaitUntilWaitingOnTheLog(tool))
                << tool.readAllStandardError().toStdString();
            ::kill(static_cast<pid_t>(tool.processId()), c.signal);
            QElapsedTimer clock;
            clock.start();
            ASSERT_TRUE(tool.waitForFinished(15000));
            EXPECT_LT(clock.elapsed(), 5000);
        }
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit) << err.toStdString();
        EXPECT_EQ(tool.exitCode(), c.exitCode) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("stopped by"))) << err.toStdString();
        EXPECT_EQ(ReadFile(output), QByteArray("the previous report"));
        EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("setembro.pdf")});
        EXPECT_EQ(SpoolFiles(), QStringList());
        EXPECT_EQ(LogRows(Sep2019), QStringList());
    }
}

// A statement the server does not answer within --timeout ends the run with
// exit code 4 and a message that says what was waited for; the pages were
// made before the emission log, and they stay.
TEST_F(StopToolTest, AnUnansweredStatementIsGivenUpAfterTheTimeout) {
    ASSERT_TRUE(dm.BDados.Connected()) << "the test server is not running";
    ClearLog(Oct2019);
    const QString output = Out(QStringLiteral("outubro.pdf"));
    QProcess tool;
    QElapsedTimer clock;
    {
        const HeldLogRow held(dm.BDados, Oct2019);
        clock.start();
        Start(tool, Parada(output, QStringLiteral("10/2019")) +
                        QStringList{QStringLiteral("--timeout"), QStringLiteral("1")});
        ASSERT_TRUE(tool.waitForFinished(30000));
    }
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_EQ(tool.exitCode(), 4) << err.toStdString();
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_TRUE(err.contains(
        QStringLiteral("No answer from the database server within 1 s (executing a statement)")))
        << err.toStdString();
    EXPECT_TRUE(ReadFile(output).startsWith("%PDF-"));
    EXPECT_EQ(SpoolFiles(), QStringList());
    EXPECT_EQ(LogRows(Oct2019), QStringList());
}

// The emission log is part of the run: when the server refuses it, the run
// fails with the server's reason, and the pages already made stay.
TEST_F(StopToolTest, ARefusedEmissionLogIsAFailureAndThePagesStay) {
    ASSERT_TRUE(dm.BDados.Connected()) << "the test server is not running";
    const QString output = Out(QStringLiteral("novembro.pdf"));
    const ToolRun run = RunTool(Parada(output, QStringLiteral("11/2019")));
    EXPECT_EQ(run.ExitCode, 7) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("the server refuses this emission log")))
        << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("its emission could not be logged")));
    EXPECT_TRUE(ReadFile(output).startsWith("%PDF-"));
}

} // namespace
