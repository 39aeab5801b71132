// Every way a report is saved (the PDF and spreadsheet filters, and the
// storage's own file) replaces the previous file only with a complete new
// one: a run that fails leaves the previous file and nothing else.
#include "FilterTestSupport.h"
#include "PdfTools.h"
#include "RLPDFFilter.h"
#include "RLXLSFilter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/resource.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using filtertest::NumberedStorage;

// A filter that fails while drawing the given page, as a writer does when
// a page holds something it cannot write.
template <class Filter> class FailingAt : public Filter {
public:
    int FailAtPage = 0;

protected:
    void DrawPage(TRLGraphicSurface& page) override {
        if (++drawn_ == FailAtPage) {
            throw Exception(QStringLiteral("cannot draw page %1").arg(drawn_));
        }
        Filter::DrawPage(page);
    }

private:
    int drawn_ = 0;
};

struct Writer {
    const char* name;
    const char* extension;
    // Saves the storage to the file; failAtPage 0 never fails on its own.
    std::function<void(TRLGraphicStorage*, const QString&, int failAtPage)> save;
};

const Writer kWriters[] = {
    {"pdf", ".pdf",
     [](TRLGraphicStorage* s, const QString& file, int failAt) {
         FailingAt<TRLPDFFilter> f;
         f.ShowProgress = false;
         f.FailAtPage = failAt;
         f.FileName = file;
         f.FilterPages(s);
     }},
    {"xls", ".xls",
     [](TRLGraphicStorage* s, const QString& file, int failAt) {
         FailingAt<TRLXLSFilter> f;
         f.ShowProgress = false;
         f.FailAtPage = failAt;
         f.FileName = file;
         f.FilterPages(s);
     }},
    {"storage", ".rpf",
     [](TRLGraphicStorage* s, const QString& file, int failAt) {
         if (failAt > 0) {
             throw Exception(QStringLiteral("the storage has no page to fail at"));
         }
         s->SaveToFile(file);
     }},
};

QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString Failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

class SaveInPlace : public ::testing::TestWithParam<Writer> {
protected:
    SaveInPlace() : storage_(NumberedStorage(6, this)) {}
    ~SaveInPlace() override { storage_->Unlink(this); }
    QString Path(const char* base) const {
        return dir_.filePath(QString::fromLatin1(base) + QLatin1String(GetParam().extension));
    }
    void Save(const QString& file, int failAt = 0) const {
        GetParam().save(storage_, file, failAt);
    }
    void Put(const QString& file, const QByteArray& bytes) const {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    TRLGraphicStorage* storage_;
    QTemporaryDir dir_;
};

TEST_P(SaveInPlace, AFailureLeavesThePreviousFileAndNothingElse) {
    const QString file = Path("relatorio");
    Put(file, "the previous report");
    if (QLatin1String(GetParam().name) != QLatin1String("storage")) {
        EXPECT_EQ(Failure([&] { Save(file, 3); }), QStringLiteral("cannot draw page 3"));
        EXPECT_EQ(PdfTools::ReadAll(file), QByteArray("the previous report"));
        EXPECT_EQ(Entries(dir_.path()), QStringList{QFileInfo(file).fileName()});
    }
    // The system refuses a write part way (a file size limit stands in for
    // a full disk here; it needs no privileges).
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 3000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString message = Failure([&] { Save(file); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    // The system's own text, in the system's language.
    EXPECT_EQ(message, QStringLiteral("Cannot write file \"%1\". %2")
                           .arg(file, QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_EQ(PdfTools::ReadAll(file), QByteArray("the previous report"));
    EXPECT_EQ(Entries(dir_.path()), QStringList{QFileInfo(file).fileName()});
}

TEST_P(SaveInPlace, ALinkStaysALinkAndItsFileIsReplaced) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("arquivo")));
    const QString target =
        dir_.filePath(QStringLiteral("arquivo/2025-03") + QLatin1String(GetParam().extension));
    Put(target, "old");
    const QString link = Path("ultimo");
    ASSERT_TRUE(QFile::link(target, link));
    Save(link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    const QByteArray written = PdfTools::ReadAll(target);
    EXPECT_GT(written.size(), 1000);
    if (QLatin1String(GetParam().name) == QLatin1String("pdf")) {
        EXPECT_TRUE(PdfTools::QpdfClean(target));
    }
    EXPECT_EQ(Entries(dir_.filePath(QStringLiteral("arquivo"))),
              QStringList{QFileInfo(target).fileName()});
}

INSTANTIATE_TEST_SUITE_P(Writers, SaveInPlace, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
