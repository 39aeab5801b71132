#include "AtomicFile.h"

#include "Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBufferSize = 1 << 16;
// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

QString SystemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The end of a chain of symbolic links; the name itself when it is none.
// A chain that does not end is refused as the system refuses it.
QString FollowLinks(const QString& fileName) {
    QFileInfo info(fileName);
    for (int i = 0; info.isSymLink(); ++i) {
        if (i == kMaxLinks) {
            throw EWriteError(QStringLiteral("Cannot create file \"%1\". %2")
                                  .arg(QDir::toNativeSeparators(fileName), SystemText(ELOOP)));
        }
        info.setFile(info.symLinkTarget());
    }
    return info.filePath();
}

QByteArray TemporaryPath(const QString& target) {
    const QFileInfo info(target);
    const QString name = QStringLiteral(".%1.%2.tmp")
                             .arg(info.fileName())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return QFile::encodeName(info.dir().filePath(name));
}

} // namespace

AtomicFile::AtomicFile(const QString& fileName)
    : fileName_(fileName), target_(FollowLinks(fileName)) {
    const QByteArray target = QFile::encodeName(target_);
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        Fail("Cannot create file", EISDIR);
    }
    // A file the user may not write stays as it is, as it would if it were
    // opened for writing; the rename alone would not ask.
    if (exists && ::access(target.constData(), W_OK) != 0) {
        Fail("Cannot create file", errno);
    }
    for (;;) {
        temporary_ = TemporaryPath(target_);
        fd_ = ::open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            break;
        }
        if (errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            Fail("Cannot create file", error);
        }
    }
    // The new file keeps the access rights of the one it replaces.
    if (exists) {
        (void)::fchmod(fd_, existing.st_mode & 07777);
    }
    buffer_.reserve(kBufferSize);
}

AtomicFile::~AtomicFile() {
    Discard();
}

QString AtomicFile::TemporaryName() const {
    return QFile::decodeName(temporary_);
}

void AtomicFile::Fail(const char* what, int error) const {
    throw EWriteError(
        QStringLiteral("%1 \"%2\". %3")
            .arg(QLatin1String(what), QDir::toNativeSeparators(fileName_), SystemText(error)));
}

void AtomicFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        temporary_.clear();
    }
}

void AtomicFile::Write(const char* data, qint64 size) {
    if (fd_ < 0) {
        Fail("Cannot write file", EBADF);
    }
    if (buffer_.size() + size > kBufferSize) {
        Flush();
    }
    if (size >= kBufferSize) {
        buffer_ = QByteArray::fromRawData(data, size);
        Flush();
    } else {
        buffer_.append(data, size);
    }
    size_ += size;
}

void AtomicFile::WriteAt(qint64 offset, const char* data, qint64 size) {
    Flush();
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, data, static_cast<std::size_t>(size), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Fail("Cannot write file", errno);
        }
        data += n;
        size -= n;
        offset += n;
    }
}

// Writes the buffer in full. A short write is tried again for the rest, so
// the error that stops it (a full disk) is the system's own, never a bare
// "fewer bytes written".
void AtomicFile::Flush() {
    const char* data = buffer_.constData();
    qint64 left = buffer_.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            buffer_.clear();
            Fail("Cannot write file", error);
        }
        data += n;
        left -= n;
    }
    buffer_.clear();
    buffer_.reserve(kBufferSize);
}

void AtomicFile::Commit() {
    Finish();
    if (temporary_.isEmpty()) {
        Fail("Cannot write file", EBADF);
    }
    if (::rename(temporary_.constData(), QFile::encodeName(target_).constData()) != 0) {
        Fail("Cannot write file", errno);
    }
    temporary_.clear();
}

void AtomicFile::Finish() {
    if (fd_ < 0) {
        if (!temporary_.isEmpty()) {
            return; // finished already
        }
        Fail("Cannot write file", EBADF);
    }
    Flush();
    // Some file systems report a full disk only here, or at the close.
    if (::fsync(fd_) != 0) {
        Fail("Cannot write file", errno);
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        Fail("Cannot write file", errno);
    }
    buffer_ = QByteArray(); // a finished file waiting for its rename holds no memory
}
