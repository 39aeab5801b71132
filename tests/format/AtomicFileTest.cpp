// Outputs are written in full or not at all: the previous file stays until
// the new one is complete, and nothing but the target is left behind.
#include "AtomicFile.h"
#include "Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The names in a folder, hidden ones included.
QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The system's own text for an error ("No space left on device").
QString SystemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

class AtomicFileTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(AtomicFileTest, CommitReplacesTheFileAndKeepsItsAccessRights) {
    const QString path = Path(QStringLiteral("report.pdf"));
    Put(path, "old");
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    {
        AtomicFile file(path);
        file.Write(QByteArray("new "));
        file.Write(QByteArray(200000, 'x')); // more than the buffer at once
        file.Write(QByteArray("tail"));
        file.WriteAt(0, "NEW", 3);
        EXPECT_EQ(file.Size(), 4 + 200000 + 4);
        // Nothing of it shows until the commit.
        EXPECT_EQ(Read(path), QByteArray("old"));
        file.Commit();
    }
    EXPECT_EQ(Read(path), QByteArray("NEW ") + QByteArray(200000, 'x') + "tail");
    // Owner, group and others (the "user" flags depend on who asks).
    EXPECT_EQ(QFileInfo(path).permissions() & 0x7077,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("report.pdf")});
}

TEST_F(AtomicFileTest, WithoutCommitNothingChangesAndNothingIsLeft) {
    const QString kept = Path(QStringLiteral("kept.xls"));
    Put(kept, "previous report");
    const QString absent = Path(QStringLiteral("absent.xls"));
    for (const QString& path : {kept, absent}) {
        AtomicFile file(path);
        file.Write(QByteArray(100000, 'y'));
        EXPECT_TRUE(QFileInfo::exists(file.TemporaryName()));
        EXPECT_EQ(QFileInfo(file.TemporaryName()).absolutePath(), dir.path());
    }
    EXPECT_EQ(Read(kept), QByteArray("previous report"));
    EXPECT_FALSE(QFileInfo::exists(absent));
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("kept.xls")});
}

// A write that the system refuses part way (here a file size limit, which
// needs no privileges) leaves the previous file and says what the system said.
TEST_F(AtomicFileTest, AFailedWriteKeepsThePreviousFileAndGivesTheSystemsReason) {
    const QString path = Path(QStringLiteral("big.rpf"));
    Put(path, "previous");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message = MessageOf([&] {
        AtomicFile file(path);
        for (int i = 0; i < 10; ++i) {
            file.Write(QByteArray(30000, 'z'));
        }
        file.Commit();
    });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, QStringLiteral("Cannot write file \"%1\". %2").arg(path, SystemText(EFBIG)));
    EXPECT_EQ(Read(path), QByteArray("previous"));
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("big.rpf")});
}

// A full disk, on a small file system of its own (needs the right to mount).
TEST_F(AtomicFileTest, AFullDiskSaysSo) {
    const QString mountPoint = Path(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    const QString path = mountPoint + QStringLiteral("/full.pdf");
    Put(path, "previous");
    const QString message = MessageOf([&] {
        AtomicFile file(path);
        file.Write(QByteArray(1 << 20, 'f'));
        file.Commit();
    });
    const QByteArray left = Read(path);
    const QStringList entries = Entries(mountPoint);
    ::umount(QFile::encodeName(mountPoint).constData());
    EXPECT_EQ(message,
              QStringLiteral("Cannot write file \"%1\". %2").arg(path, SystemText(ENOSPC)));
    EXPECT_EQ(left, QByteArray("previous"));
    EXPECT_EQ(entries, QStringList{QStringLiteral("full.pdf")});
}

TEST_F(AtomicFileTest, ASymbolicLinkStaysAndItsTargetIsReplaced) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("archive")));
    const QString target = Path(QStringLiteral("archive/2025-03.pdf"));
    Put(target, "march");
    const QString link = Path(QStringLiteral("latest.pdf"));
    ASSERT_TRUE(QFile::link(QStringLiteral("archive/2025-03.pdf"), link));
    {
        AtomicFile failed(link);
        failed.Write(QByteArray("never committed"));
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Read(target), QByteArray("march"));
    {
        AtomicFile file(link);
        EXPECT_EQ(file.TargetName(), target);
        file.Write(QByteArray("march, again"));
        file.Commit();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Read(target), QByteArray("march, again"));
    EXPECT_EQ(Entries(dir.path()),
              (QStringList{QStringLiteral("archive"), QStringLiteral("latest.pdf")}));
    EXPECT_EQ(Entries(Path(QStringLiteral("archive"))), QStringList{QStringLiteral("2025-03.pdf")});
}

TEST_F(AtomicFileTest, ConcurrentWritersLeaveOneCompleteFile) {
    const QString path = Path(QStringLiteral("shared.pdf"));
    constexpr int kWriters = 8;
    std::vector<QByteArray> contents;
    for (int i = 0; i < kWriters; ++i) {
        contents.push_back(QByteArray(300000 + i * 1000, static_cast<char>('a' + i)));
    }
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i) {
        writers.emplace_back([&, i] {
            AtomicFile file(path);
            for (qsizetype at = 0; at < contents[i].size(); at += 4096) {
                file.Write(contents[i].mid(at, 4096));
            }
            file.Commit();
        });
    }
    for (std::thread& t : writers) {
        t.join();
    }
    const QByteArray result = Read(path);
    EXPECT_NE(std::find(contents.begin(), contents.end(), result), contents.end());
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("shared.pdf")});
}

TEST_F(AtomicFileTest, RefusesWhatCannotBeReplaced) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.pdf")));
    struct Case {
        QString path;
        QString reason;
    };
    std::vector<Case> cases = {
        {Path(QStringLiteral("folder.pdf")), SystemText(EISDIR)},
        {Path(QStringLiteral("no/such/x.pdf")), SystemText(ENOENT)},
    };
    if (::geteuid() != 0) { // the superuser may write anything
        const QString readOnly = Path(QStringLiteral("read-only.pdf"));
        Put(readOnly, "kept");
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        cases.push_back({readOnly, SystemText(EACCES)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(MessageOf([&] { AtomicFile file(c.path); }),
                  QStringLiteral("Cannot create file \"%1\". %2").arg(c.path, c.reason));
    }
}

} // namespace
