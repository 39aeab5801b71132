// The report tool's contract with whoever schedules it: the login as the
// start screen checks it, distinct exit codes for each failure, and the
// output format chosen by the file's extension as the save dialog chooses.
#include "PdfTools.h"
#include "ReportToolSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <gtest/gtest.h>

#include <memory>
#include <sys/mount.h>
#include <vector>

namespace {

class ReportToolTest : public ::testing::Test {
protected:
    QString Out(const QString& name) const { return dir.filePath(name); }
    QString Out(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // A directory whose name looks like an output file.
    QString Folder() const {
        QDir(dir.path()).mkdir(QStringLiteral("folder.pdf"));
        return Out(QStringLiteral("folder.pdf"));
    }
    QTemporaryDir dir;
};

TEST_F(ReportToolTest, LoginIsCheckedAsTheStartScreenChecksIt) {
    struct Case {
        const char* cond;
        const char* password;
        int exitCode;
        const char* message; // on standard error
    };
    const Case cases[] = {
        {"40", "Inad40", 0, ""},
        {"40", "INAD40", 0, ""},                             // letter case does not matter
        {"42", "ÇÃO42", 0, ""},                              // accented letters included
        {"42", "ção42 ", 3, "Senha inválida para o Login."}, // blanks count
        {"40", "inad4", 3, "Senha inválida para o Login."},
        {"999", "Inad40", 3, "Login não reconhecido."},
        {"abc", "Inad40", 3, "Login não reconhecido."}, // not a number: condominium 0
        {" 40", "Inad40", 0, ""},                       // leading blanks are part of a number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cond) + " / " + c.password);
        const QString file = Out(QStringLiteral("login.rpf"));
        QFile::remove(file);
        const ToolRun run = RunTool({QStringLiteral("--cond"), QString::fromUtf8(c.cond),
                                     QStringLiteral("--password"), QString::fromUtf8(c.password),
                                     QStringLiteral("--report"), QStringLiteral("compromissados"),
                                     QStringLiteral("--output"), file, QStringLiteral("--quiet")});
        EXPECT_EQ(run.ExitCode, c.exitCode) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.message))) << run.Err.toStdString();
        // A refused login leaves no file behind.
        EXPECT_EQ(QFileInfo::exists(file), c.exitCode == 0);
    }
}

TEST_F(ReportToolTest, PasswordMayComeFromTheEnvironment) {
    const QString file = Out(QStringLiteral("env.rpf"));
    const ToolRun run =
        RunTool({QStringLiteral("--cond"), QStringLiteral("40"), QStringLiteral("--report"),
                 QStringLiteral("inadimplencia"), QStringLiteral("--output"), file},
                {QStringLiteral("QUORVA_PASSWORD=Inad40")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("pages written to ") + file));
}

TEST_F(ReportToolTest, EachFailureHasItsOwnExitCode) {
    const QString good = Out(QStringLiteral("x.rpf"));
    struct Case {
        const char* what;
        QStringList args;
        QStringList env;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"server unreachable",
         ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"), good),
         {QStringLiteral("QUORVA_DB_HOST=127.0.0.254")},
         4,
         "Não foi possivel fazer conexão com o Banco de Dados."},
        {"missing directory",
         ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"),
                    Out(QStringLiteral("no/such/dir/x.pdf"))),
         {},
         5,
         "cannot write"},
        {"output is a directory",
         ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"), Folder()),
         {},
         5,
         "cannot write"},
        {"unknown report",
         ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("balanco"), good),
         {},
         2,
         "unknown report"},
        {"missing output",
         {QStringLiteral("--cond"), QStringLiteral("40"), QStringLiteral("--password"),
          QStringLiteral("Inad40"), QStringLiteral("--report"), QStringLiteral("inadimplencia")},
         {},
         2,
         "missing --output"},
        {"unknown option", {QStringLiteral("--colour")}, {}, 2, "unknown option --colour"},
        {"output without a file name",
         ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"),
                    dir.path() + QStringLiteral("/")),
         {},
         2,
         "no file name"},
        {"output naming a folder by its dot",
         ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"),
                    dir.path() + QStringLiteral("/.")),
         {},
         2,
         "no file name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ToolRun run = RunTool(c.args, c.env);
        EXPECT_EQ(run.ExitCode, c.exitCode) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.message))) << run.Err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(good));
}

// A name that is not text in the system's encoding (UTF-8 here) would be
// written with replacement characters in its place: it is refused.
TEST_F(ReportToolTest, AnOutputNameThatIsNotTextIsRefused) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("OUT_DIR"), dir.path());
    p.setProcessEnvironment(env);
    // The shell hands the tool the byte 0xFF, which no UTF-8 text holds.
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                        QStringLiteral("exec \"$0\" --cond 40 --password Inad40 "
                                                       "--report inadimplencia --quiet --output "
                                                       "\"$OUT_DIR/$(printf 'rel\\377.pdf')\""),
                                        QStringLiteral(QUORVA_REPORT_TOOL)});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 2) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("is not valid text in the system's encoding (UTF-8)")))
        << err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// A server that takes the connection and never answers is given up after
// --timeout, with a message that says what was waited for.
TEST_F(ReportToolTest, AServerThatNeverAnswersIsGivenUpAfterTheTimeout) {
    // Port 3051 of a loopback address no server of ours uses.
    QTcpServer silent;
    QString host;
    for (int i = 1; i < 50 && host.isEmpty(); ++i) {
        const QString candidate = QStringLiteral("127.77.0.%1").arg(i);
        if (silent.listen(QHostAddress(candidate), 3051)) {
            host = candidate;
        }
    }
    ASSERT_FALSE(host.isEmpty()) << "no free loopback address";
    QElapsedTimer clock;
    clock.start();
    const ToolRun run = RunTool(
        ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"), Out("x.pdf")) +
            QStringList{QStringLiteral("--timeout"), QStringLiteral("1")},
        {QStringLiteral("QUORVA_DB_HOST=") + host});
    EXPECT_EQ(run.ExitCode, 4) << run.Err.toStdString();
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_TRUE(run.Err.contains(
        QStringLiteral("No answer from the database server within 1 s (connecting)")))
        << run.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Out("x.pdf")));
}

// Runs writing the same file at the same time leave one complete file.
TEST_F(ReportToolTest, ConcurrentRunsToOneFileLeaveOneCompleteFile) {
    const QString output = Out("shared.pdf");
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 6; ++i) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(QUORVA_REPORT_TOOL),
                 ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"), output));
        runs.push_back(std::move(p));
    }
    for (const auto& p : runs) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_TRUE(PdfTools::QpdfClean(output));
    EXPECT_TRUE(PdfTools::Text(output).contains(QStringLiteral("Relação de Inadimplentes")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("shared.pdf")});
}

// A full disk: the previous report stays (also behind a link), nothing else
// is left, and the message is the system's own. Needs the right to mount a
// small file system.
TEST_F(ReportToolTest, AFullDiskKeepsThePreviousReport) {
    const QString small = Out("small");
    ASSERT_TRUE(QDir().mkpath(small));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=32k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    struct Unmount {
        QString path;
        ~Unmount() { ::umount(QFile::encodeName(path).constData()); }
    } unmount{small};
    const QString previous = small + QStringLiteral("/inadimplentes.pdf");
    {
        QFile f(previous);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the previous report");
    }
    const QString link = Out("ultimo.pdf");
    ASSERT_TRUE(QFile::link(previous, link));
    for (const QString& output : {previous, link}) {
        SCOPED_TRACE(output.toStdString());
        const ToolRun run = RunTool(
            ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"), output),
            {QStringLiteral("LC_ALL=C.UTF-8")});
        EXPECT_EQ(run.ExitCode, 5) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QStringLiteral("No space left on device")))
            << run.Err.toStdString();
        QFile f(previous);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("the previous report"));
        EXPECT_EQ(QDir(small).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("inadimplentes.pdf")});
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
}

TEST_F(ReportToolTest, HelpExplainsOptionsReportsFormatsAndExitCodes) {
    const ToolRun run = RunTool({QStringLiteral("--help")});
    EXPECT_EQ(run.ExitCode, 0);
    for (const char* part : {"--cond",        "--password",     "QUORVA_PASSWORD",
                             "balancete",     "inadimplencia",  "compromissados",
                             ".pdf",          ".xls",           ".rpf",
                             "--month",       "--from",         "--to",
                             "--type",        "--grade",        "--accounts",
                             "--timeout",     "QUORVA_DB_HOST", "Exit codes",
                             "130, 143, 129", "SIGTERM",        "Example"}) {
        EXPECT_TRUE(run.Out.contains(QString::fromLatin1(part))) << part;
    }
}

// The extension picks the writer, case ignored; none gets ".rpf". (An
// extension no writer claims is wrong usage, refused before the login: see
// the conversion tests.)
TEST_F(ReportToolTest, OutputFormatFollowsTheExtension) {
    struct Case {
        const char* typed;
        const char* written;
        QByteArray signature;
    };
    const Case cases[] = {
        {"a.pdf", "a.pdf", QByteArray("%PDF-")},
        {"b.XLS", "b.XLS", QByteArray::fromHex("d0cf11e0a1b11ae1")},
        {"c.rpf", "c.rpf", QByteArray()},
        {"d", "d.rpf", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const ToolRun run =
            RunTool(ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("compromissados"),
                               Out(QString::fromLatin1(c.typed))));
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        QFile file(Out(QString::fromLatin1(c.written)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        if (c.signature.isEmpty()) {
            // The engine's own file: it reads back with the same page.
            file.close();
            const SavedReport r = LoadSaved(file.fileName());
            EXPECT_EQ(r.PageCount, 1);
            EXPECT_TRUE(r.Has(QStringLiteral("Compromissados")));
        } else {
            EXPECT_TRUE(file.read(c.signature.size()) == c.signature);
        }
    }
}

} // namespace
