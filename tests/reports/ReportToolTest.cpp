// The report tool's contract with whoever schedules it: the login as the
// start screen checks it, distinct exit codes for each failure, and the
// output format chosen by the file's extension as the save dialog chooses.
#include "ReportToolSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class ReportToolTest : public ::testing::Test {
protected:
    QString Out(const QString& name) const { return dir.filePath(name); }
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ToolRun run = RunTool(c.args, c.env);
        EXPECT_EQ(run.ExitCode, c.exitCode) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.message))) << run.Err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(good));
}

TEST_F(ReportToolTest, HelpExplainsOptionsReportsFormatsAndExitCodes) {
    const ToolRun run = RunTool({QStringLiteral("--help")});
    EXPECT_EQ(run.ExitCode, 0);
    for (const char* part :
         {"--cond", "--password", "QUORVA_PASSWORD", "balancete", "inadimplencia", "compromissados",
          ".pdf", ".xls", ".rpf", "--month", "--from", "--to", "--type", "--grade", "--accounts",
          "QUORVA_DB_HOST", "Exit codes", "Example"}) {
        EXPECT_TRUE(run.Out.contains(QString::fromLatin1(part))) << part;
    }
}

// The extension picks the writer, case ignored; an extension no writer
// claims keeps the name and gets the engine's own format; none gets ".rpf".
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
        {"e.txt", "e.txt", QByteArray()},
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
