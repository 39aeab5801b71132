// The report tool converting a saved page file, without a login or a
// database: every output format, page ranges, page images, and input it
// must refuse without writing anything.
#include "ReportToolSupport.h"
#include "XlsTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// Pages each saying which they are on their first line.
void SavePageFile(const QString& fileName, int pages = 4) {
    auto* storage = new TRLGraphicStorage;
    const int user = 0;
    storage->Link(&user);
    storage->SetPaperWidth(210);
    storage->SetPaperHeight(297);
    storage->SetTitle(QStringLiteral("Relação de Inadimplentes"));
    for (int n = 1; n <= pages; ++n) {
        auto page = std::make_shared<TRLGraphicSurface>();
        page->SetWidth(794);
        page->SetHeight(1123);
        page->Rectangle({20, 20, 774, 1103});
        page->TextOut(40, 40, QStringLiteral("Página %1 de {LastPageNumber}").arg(n));
        storage->AddPage(page);
    }
    storage->SetLastPageNumber(pages);
    storage->SaveToFile(fileName);
    storage->Unlink(&user);
}

int PdfPages(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    p.waitForFinished(60000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& line : info.split(u'\n')) {
        if (line.startsWith(QStringLiteral("Pages:"))) {
            return line.mid(6).trimmed().toInt();
        }
    }
    return -1;
}

class ReportToolConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir.filePath(QStringLiteral("in.rpf"));
        SavePageFile(input);
        QDir(dir.path()).mkdir(QStringLiteral("out"));
    }
    QString Out(const QString& name) const { return dir.filePath(QStringLiteral("out/") + name); }
    QStringList Written() const {
        return QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden);
    }
    ToolRun Convert(QStringList options, const QString& output) const {
        return RunTool(
            QStringList{QStringLiteral("--input"), input, QStringLiteral("--output"), Out(output)} +
            options);
    }
    QTemporaryDir dir;
    QString input;
};

// Pages 2 to 3 of the file, in each format: the same two pages every time,
// their "de {LastPageNumber}" still counting the whole report.
TEST_F(ReportToolConvertTest, PagesTwoToThreeInEveryFormat) {
    const QStringList range{QStringLiteral("--pages"), QStringLiteral("2-3")};
    ToolRun run = Convert(range, QStringLiteral("r.pdf"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QStringLiteral("2 pages written to %1\n").arg(Out(QStringLiteral("r.pdf"))));
    EXPECT_EQ(PdfPages(Out(QStringLiteral("r.pdf"))), 2);

    run = Convert(range, QStringLiteral("r.xls"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QJsonArray sheets = xlstest::Dump(Out(QStringLiteral("r.xls")))["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].toObject()["cells"].toArray()[0].toObject()["v"].toString(),
              QStringLiteral("Página 2 de 4"));

    run = Convert(range, QStringLiteral("r.rpf"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const SavedReport r = LoadSaved(Out(QStringLiteral("r.rpf")));
    EXPECT_EQ(r.PageCount, 2);
    EXPECT_TRUE(r.Has(QStringLiteral("Página 2 de {LastPageNumber}")));
    EXPECT_TRUE(r.Has(QStringLiteral("Página 3 de {LastPageNumber}")));
    TRLGraphicStorage* copy = new TRLGraphicStorage;
    copy->Link(this);
    copy->LoadFromFile(Out(QStringLiteral("r.rpf")));
    EXPECT_EQ(copy->LastPageNumber(), 4);
    EXPECT_EQ(copy->Title(), QStringLiteral("Relação de Inadimplentes"));
    copy->Unlink(this);

    run = Convert(range, QStringLiteral("r.png"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QStringLiteral("2 pages written to %1 .. %2\n")
                           .arg(Out(QStringLiteral("r-2.png")), Out(QStringLiteral("r-3.png"))));
    EXPECT_EQ(Written(), (QStringList{"r-2.png", "r-3.png", "r.pdf", "r.rpf", "r.xls"}));
}

// The filters' range rules: a range reaching past the end stops at the last
// page, page 0 counts as page 1; a range with no page of the file is a
// usage error.
TEST_F(ReportToolConvertTest, PageRangesFollowTheSaveFiltersRules) {
    struct Case {
        const char* pages;
        int exitCode;
        QStringList files;
    } cases[] = {
        {"3-99", 0, {"p-3.png", "p-4.png"}},
        {"4-", 0, {"p-4.png"}},
        {"0-1", 0, {"p-1.png"}},
        {"2", 0, {"p-2.png"}},
        {"5-9", 2, {}},
        {"3-2", 2, {}},
        {"5", 2, {}},
        {"2-x", 2, {}},
        {"-3", 2, {}},
        {"", 2, {}},
        {"123456789", 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pages);
        for (const QString& f : Written()) {
            QFile::remove(Out(f));
        }
        const ToolRun run = Convert({QStringLiteral("--pages"), QString::fromUtf8(c.pages),
                                     QStringLiteral("--dpi"), QStringLiteral("24")},
                                    QStringLiteral("p.png"));
        EXPECT_EQ(run.ExitCode, c.exitCode) << run.Err.toStdString();
        EXPECT_EQ(Written(), c.files);
        EXPECT_EQ(run.Err.contains(QStringLiteral("--pages")), c.exitCode == 2);
    }
}

TEST_F(ReportToolConvertTest, PageImagesAtTheChosenResolution) {
    struct Case {
        const char* dpi; // null: the default
        QSize size;
    } cases[] = {{nullptr, {794, 1123}}, {"150", {1241, 1755}}, {"24", {199, 281}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi ? c.dpi : "default");
        const QStringList options =
            c.dpi ? QStringList{QStringLiteral("--dpi"), QString::fromLatin1(c.dpi)}
                  : QStringList{};
        const ToolRun run =
            Convert(options + QStringList{QStringLiteral("--pages"), QStringLiteral("1")},
                    QStringLiteral("i.png"));
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        const QImage image(Out(QStringLiteral("i-1.png")));
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
    }
}

// Input the tool cannot read: its reason, exit 1, nothing written.
TEST_F(ReportToolConvertTest, BadInputWritesNothing) {
    QFile::copy(input, dir.filePath(QStringLiteral("whole.rpf")));
    QFile whole(dir.filePath(QStringLiteral("whole.rpf")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    auto make = [&](const char* name, const QByteArray& content) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    struct Case {
        QString file;
        const char* message;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.rpf")), "No such file or directory"},
        {make("empty.rpf", {}), "File is corrupted!"},
        {make("truncated.rpf", bytes.left(bytes.size() - 100)), "File is corrupted!"},
        {make("header.rpf", bytes.left(40)), "File is corrupted!"},
        {make("foreign.rpf", "%PDF-1.4\n%\xe2\xe3\n1 0 obj\n<<>>\nendobj\n"), "File is corrupted!"},
        {dir.filePath(QStringLiteral("out")), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        for (const char* output : {"x.pdf", "x.xls", "x.png", "x.rpf"}) {
            const ToolRun run =
                RunTool({QStringLiteral("--input"), c.file, QStringLiteral("--output"),
                         Out(QString::fromLatin1(output))});
            EXPECT_EQ(run.ExitCode, 1) << output;
            EXPECT_TRUE(
                run.Err.contains(c.file + QStringLiteral(": ") + QString::fromUtf8(c.message)))
                << run.Err.toStdString();
            EXPECT_EQ(Written(), QStringList()) << output;
        }
    }
}

// A writer that fails says whether the file or the pages were at fault: a
// file that cannot be written is exit 5, "cannot write"; a page that cannot
// be painted is a report that cannot be made, exit 1, whatever the file.
TEST_F(ReportToolConvertTest, AWriterFailureSaysWhatFailed) {
    const QString huge = dir.filePath(QStringLiteral("huge.rpf"));
    {
        TRLStorageHold storage(new TRLGraphicStorage);
        auto page = std::make_shared<TRLGraphicSurface>();
        page->SetWidth(6000); // 37,500 pixels wide at 600 dpi
        page->SetHeight(6000);
        page->TextOut(40, 40, QStringLiteral("grande"));
        storage->AddPage(page);
        storage->SaveToFile(huge);
    }
    const struct {
        const char* what;
        QString file;
        QString output;
        QStringList options;
        int exitCode;
        const char* message;
    } cases[] = {
        {"a page too large to paint",
         huge,
         Out(QStringLiteral("g.png")),
         {QStringLiteral("--dpi"), QStringLiteral("600")},
         1,
         "too large to paint"},
        {"a folder that is not there, pdf",
         input,
         Out(QStringLiteral("no/dir/x.pdf")),
         {},
         5,
         "cannot write"},
        {"a folder that is not there, page images",
         input,
         Out(QStringLiteral("no/dir/x.png")),
         {},
         5,
         "cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ToolRun run = RunTool(
            QStringList{QStringLiteral("--input"), c.file, QStringLiteral("--output"), c.output} +
            c.options);
        EXPECT_EQ(run.ExitCode, c.exitCode) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.message))) << run.Err.toStdString();
        EXPECT_EQ(run.Err.contains(QStringLiteral("cannot write")), c.exitCode == 5)
            << run.Err.toStdString();
    }
    EXPECT_EQ(Written(), QStringList());
}

// Stopped by a signal while writing page images: no image takes its place,
// and the temporary files of the pages written so far go again.
TEST_F(ReportToolConvertTest, AStoppedRunLeavesNoImages) {
    const QString many = dir.filePath(QStringLiteral("many.rpf"));
    SavePageFile(many, 24);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUORVA_REPORT_TOOL),
            {QStringLiteral("--input"), many, QStringLiteral("--output"),
             Out(QStringLiteral("s.png")), QStringLiteral("--dpi"), QStringLiteral("300")});
    ASSERT_TRUE(p.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    // The first page's file under its temporary name: the run is writing.
    auto writing = [&] {
        return !Written()
                    .filter(QRegularExpression(QStringLiteral(R"(^\.s-1\.png\..*\.tmp$)")))
                    .isEmpty();
    };
    while (!writing() && waited.elapsed() < 120000) {
        QThread::msleep(5);
    }
    ASSERT_TRUE(writing());
    ASSERT_EQ(p.state(), QProcess::Running) << "finished before it could be stopped";
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 143) << p.readAllStandardError().toStdString();
    EXPECT_EQ(Written(), QStringList());
}

// Options that do not go together, or values out of range: exit 2 before
// anything is read or written.
TEST_F(ReportToolConvertTest, UsageErrors) {
    const QString in = input;
    const QString png = Out(QStringLiteral("u.png"));
    const QString pdf = Out(QStringLiteral("u.pdf"));
    struct Case {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"--input", in, "--output", png, "--dpi", "23"},
         "--dpi 23: a whole number from 24 to 600"},
        {{"--input", in, "--output", png, "--dpi", "601"}, "--dpi 601"},
        {{"--input", in, "--output", png, "--dpi", "96dpi"}, "--dpi 96dpi"},
        {{"--input", in, "--output", pdf, "--dpi", "150"}, "--dpi is an option of page images"},
        {{"--input", in, "--output", pdf, "--xls-numbers"}, "--xls-numbers is an option of"},
        {{"--input", in, "--output", pdf, "--cond", "40"}, "--input converts a saved page file"},
        {{"--input", in, "--output", pdf, "--report", "inadimplencia"}, "--input converts"},
        {{"--input", in, "--output", pdf, "--month", "03/2014"}, "--input converts"},
        {{"--input", in}, "missing --output"},
        {{"--input", "", "--output", pdf}, "missing --input file"},
        {{"--cond", "40", "--password", "x", "--report", "inadimplencia", "--output", pdf, "--dpi",
          "96"},
         "--dpi is an option of page images"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.message))) << run.Err.toStdString();
    }
    EXPECT_EQ(Written(), QStringList());
}

// The extension picks the format, case ignored, and no extension means the
// page file; an extension no format has is wrong usage, refused before
// anything is read (or, for a report, before the login) and with nothing
// written: a page file under "x.docx" would be no document at all.
TEST_F(ReportToolConvertTest, TheExtensionMustNameAFormat) {
    const QString in = input;
    struct Case {
        QString output;
        int exitCode;
        QStringList written;
        QStringList extra = {}; // further options
    } cases[] = {
        {"x.docx", 2, {}},
        {"x.txt", 2, {}, {"--pages", "2-3"}},
        {"trecho.pdf.bak", 2, {}},
        {"pasta.v2/x.csv", 2, {}},
        {"x.docx", 2, {}, {"--xls-numbers"}},
        {"X.PDF", 0, {"X.PDF"}},
        {"x.Rpf", 0, {"x.Rpf"}},
        {"x.xls", 0, {"x.xls"}},
        {"x", 0, {"x.rpf"}},
        {"x.", 0, {"x..rpf"}}, // no suffix: ".rpf" is added
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output.toStdString());
        for (const QString& f : Written()) {
            QFile::remove(Out(f));
        }
        const ToolRun run = Convert(c.extra, c.output);
        EXPECT_EQ(run.ExitCode, c.exitCode) << run.Err.toStdString();
        EXPECT_EQ(Written(), c.written);
        if (c.exitCode == 2) {
            const QString ext = c.output.mid(c.output.lastIndexOf(u'.'));
            EXPECT_EQ(run.Err, QStringLiteral("quorva-report: --output %1: no format has the "
                                              "extension \"%2\"; the extension picks the "
                                              "format: .rpf, .pdf, .xls, .png (see --help)\n")
                                   .arg(Out(c.output), ext));
        }
    }
    // A report run is refused as early, without a server to log in to.
    for (const QString& f : Written()) {
        QFile::remove(Out(f));
    }
    const ToolRun run = RunTool({"--cond", "101", "--password", "ipe101", "--report", "balancete",
                                 "--output", Out(QStringLiteral("balancete.docx"))});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("no format has the extension \".docx\"")))
        << run.Err.toStdString();
    EXPECT_EQ(Written(), QStringList());
}

TEST_F(ReportToolConvertTest, HelpTellsTheNewOptions) {
    const ToolRun run = RunTool({QStringLiteral("--help")});
    EXPECT_EQ(run.ExitCode, 0);
    for (const char* part : {"--input FILE", "--pages RANGE", "--dpi N", "--xls-numbers", ".png",
                             "NAME-1.png", "24 to 600", "\"20,00 -\""}) {
        EXPECT_TRUE(run.Out.contains(QString::fromUtf8(part))) << part;
    }
}

} // namespace
