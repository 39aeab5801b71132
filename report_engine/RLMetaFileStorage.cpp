// The page storage: page index, cache, spool file, header macros, the
// storage file, and the users that keep it alive.
#include "RLMetaFile.h"
#include "RLMetaFileStream.h"

#include "AtomicFile.h"
#include "RLEngineServices.h"

#include <QDir>
#include <QFile>
#include <QObject>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <set>
#include <unistd.h>
#include <utility>

namespace {

QString SystemError(const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

// Every spool file of the process, so that whatever a storage did not delete
// itself is deleted when the program ends.
class SpoolRegistry {
public:
    ~SpoolRegistry() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const QByteArray& path : files_) {
            ::unlink(path.constData());
        }
    }
    void Add(const QByteArray& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.insert(path);
    }
    void Remove(const QByteArray& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.erase(path);
    }
    QStringList List() {
        std::lock_guard<std::mutex> lock(mutex_);
        QStringList list;
        for (const QByteArray& path : files_) {
            list.append(QFile::decodeName(path));
        }
        return list;
    }

private:
    std::mutex mutex_;
    std::set<QByteArray> files_;
};

SpoolRegistry& Registry() {
    static SpoolRegistry registry;
    return registry;
}

void WriteAll(int fd, const char* data, std::size_t size, off_t at, const QByteArray& path) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, at);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw Exception(SystemError(QFile::decodeName(path)));
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
}

bool ReadAll(int fd, char* data, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
    return true;
}

// The int32 length that stands before a surface stream in a record.
QByteArray LengthOf(const QByteArray& stream) {
    QByteArray head;
    TRLStreamWriter out(head);
    out.Int32(static_cast<std::int32_t>(stream.size()));
    return head;
}

} // namespace

// The temporary file holding every stored page, one record after another.
struct TRLGraphicStorage::Spool {
    int fd = -1;
    QByteArray path;
    std::int64_t end = 0;
    QByteArray buffer; // the last record read

    Spool() {
        const QByteArray dir = QFile::encodeName(QDir::tempPath());
        // Seeded from the clock for each name, drawn again while the name is taken.
        std::mt19937 random(static_cast<std::uint32_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
        std::uniform_int_distribution<std::int32_t> draw(0, 2147483646);
        for (;;) {
            path = dir + "/RLSpool" + QByteArray::number(draw(random)) + ".tmp";
            fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                break;
            }
            if (errno != EEXIST) {
                throw Exception(SystemError(QFile::decodeName(path)));
            }
        }
        Registry().Add(path);
    }
    ~Spool() {
        ::close(fd);
        ::unlink(path.constData());
        Registry().Remove(path);
    }
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Appends a record, its length and then the stream, and answers where
    // it starts. Written in two parts, so pages are never copied to join them.
    std::int64_t Append(const QByteArray& stream) {
        const std::int64_t at = end;
        const QByteArray head = LengthOf(stream);
        WriteAll(fd, head.constData(), static_cast<std::size_t>(head.size()), at, path);
        WriteAll(fd, stream.constData(), static_cast<std::size_t>(stream.size()), at + head.size(),
                 path);
        end += head.size() + stream.size();
        return at;
    }
    // The surface stream of the record at a position; empty when damaged.
    // Read into one buffer kept for the next record: reading a report's pages
    // back one by one would otherwise take new memory for every page. Called
    // under the storage's lock; a caller that keeps the bytes keeps a copy.
    QByteArray ReadRecord(std::int64_t at) {
        char head[4];
        if (at < 0 || at + 4 > end || !ReadAll(fd, head, 4, at)) {
            return {};
        }
        TRLStreamReader in(head, 4);
        const std::int32_t size = in.Int32();
        if (size <= 0 || at + 4 + size > end) {
            return {};
        }
        buffer.resize(size);
        if (!ReadAll(fd, buffer.data(), static_cast<std::size_t>(size), at + 4)) {
            return {};
        }
        return buffer;
    }
    void Truncate() {
        if (::ftruncate(fd, 0) != 0) {
            throw Exception(SystemError(QFile::decodeName(path)));
        }
        end = 0;
    }
};

struct TRLGraphicStorage::Connections {
    std::vector<std::pair<const void*, QMetaObject::Connection>> list;
};

TRLGraphicStorage::TRLGraphicStorage() : connections_(std::make_unique<Connections>()) {}

TRLGraphicStorage::~TRLGraphicStorage() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& cached : cache_) {
        cached->storage_ = nullptr;
    }
    for (auto& entry : connections_->list) {
        QObject::disconnect(entry.second);
    }
}

void TRLGraphicStorage::WritePageLocked(TRLGraphicSurface& surface) {
    if (!spool_) {
        spool_ = std::make_unique<Spool>();
    }
    const std::int64_t at = spool_->Append(surface.SaveToBytes());
    const int page = surface.pageIndex_;
    if (page >= 0 && page < static_cast<int>(index_.size())) {
        index_[static_cast<std::size_t>(page)] = at;
    } else {
        surface.pageIndex_ = static_cast<int>(index_.size());
        index_.push_back(at);
    }
    surface.modified_ = false;
}

void TRLGraphicStorage::CacheLocked(std::shared_ptr<TRLGraphicSurface> surface) {
    for (const auto& cached : cache_) {
        if (cached == surface) {
            return;
        }
    }
    // First in, first out. A reader still holding a dropped page keeps it
    // alive through its own reference.
    while (static_cast<int>(cache_.size()) >= MaxCachedPages) {
        std::shared_ptr<TRLGraphicSurface> oldest = std::move(cache_.front());
        cache_.pop_front();
        if (oldest->Modified()) {
            WritePageLocked(*oldest);
        }
    }
    cache_.push_back(std::move(surface));
}

void TRLGraphicStorage::AddPage(std::shared_ptr<TRLGraphicSurface> surface) {
    std::lock_guard<std::mutex> lock(mutex_);
    surface->storage_ = this;
    WritePageLocked(*surface);
    CacheLocked(std::move(surface));
}

std::shared_ptr<TRLGraphicSurface> TRLGraphicStorage::GetPage(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < 0) {
        return nullptr;
    }
    for (const auto& cached : cache_) {
        if (cached->PageIndex() == index) {
            return cached;
        }
    }
    if (index >= static_cast<int>(index_.size()) || !spool_) {
        return nullptr;
    }
    const QByteArray stream = spool_->ReadRecord(index_[static_cast<std::size_t>(index)]);
    auto surface = std::make_shared<TRLGraphicSurface>();
    try {
        surface->LoadFromBytes(stream);
    } catch (const Exception&) {
        return nullptr; // a damaged page: readers show it as missing
    }
    surface->pageIndex_ = index;
    surface->storage_ = this;
    surface->modified_ = false;
    CacheLocked(surface);
    return surface;
}

int TRLGraphicStorage::PageCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(index_.size());
}

void TRLGraphicStorage::ClearLocked() {
    cache_.clear();
    index_.clear();
    macros_.clear();
    if (spool_) {
        spool_->Truncate();
    }
}

void TRLGraphicStorage::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    ClearLocked();
}

void TRLGraphicStorage::FlushLocked() {
    for (const auto& cached : cache_) {
        if (cached->Modified()) {
            WritePageLocked(*cached);
        }
    }
}

void TRLGraphicStorage::Flush() {
    std::lock_guard<std::mutex> lock(mutex_);
    FlushLocked();
}

void TRLGraphicStorage::SaveToFile(const QString& fileName) {
    SaveToFile(fileName, 1, -1);
}

void TRLGraphicStorage::SaveToFile(const QString& fileName, int firstPage, int lastPage) {
    std::lock_guard<std::mutex> lock(mutex_);
    FlushLocked();
    const int count = static_cast<int>(index_.size());
    const std::size_t first = static_cast<std::size_t>(std::max(1, firstPage) - 1);
    const std::size_t end =
        static_cast<std::size_t>(lastPage == -1 ? count : std::clamp(lastPage, 0, count));
    const std::size_t pages = end > first ? end - first : 0;
    AtomicFile file(fileName);
    QByteArray head;
    TRLStreamWriter out(head);
    out.Bytes(QByteArray(StorageSignature));
    out.Byte(SignatureEnd);
    out.Int32(static_cast<std::int32_t>(macros_.size()));
    for (const QString& m : macros_) {
        out.String(m);
    }
    out.Int32(static_cast<std::int32_t>(pages));
    const qsizetype table = head.size();
    head.append(QByteArray(static_cast<qsizetype>(pages) * 4, '\0'));
    file.Write(head);
    QByteArray positions;
    TRLStreamWriter pos(positions);
    for (std::size_t i = first; i < first + pages; ++i) {
        pos.Int32(static_cast<std::int32_t>(file.Size()));
        const QByteArray stream = spool_->ReadRecord(index_[i]);
        // A damaged spool page is reported, never saved as a page nobody can read.
        TRLGraphicSurface::CheckBytes(stream);
        file.Write(LengthOf(stream));
        file.Write(stream);
    }
    file.WriteAt(table, positions.constData(), positions.size());
    // A program that is ending keeps the previous file rather than put one
    // in place that whoever stopped it no longer expects.
    if (RLEngineServices::Terminating()) {
        throw EAbort();
    }
    file.Commit();
}

void TRLGraphicStorage::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Exception(file.errorString());
    }
    const qint64 size = file.size();
    const uchar* data = size > 0 ? file.map(0, size) : nullptr;
    if (!data) {
        throw Exception(FileCorruptedText());
    }
    TRLStreamReader in(reinterpret_cast<const char*>(data), size);
    std::lock_guard<std::mutex> lock(mutex_);
    ClearLocked();
    try {
        in.Signature(StorageSignature);
        for (std::int32_t n = in.MacroCount(); n > 0; --n) {
            macros_.append(in.String());
        }
        std::vector<std::int32_t> positions(static_cast<std::size_t>(in.Count(4)));
        for (auto& p : positions) {
            p = in.Int32();
        }
        // Each page entry names a record of its own: the records follow the
        // table in page order and never overlap, so what is taken from the
        // file is never more than the file holds.
        qsizetype next = in.Position();
        for (const std::int32_t p : positions) {
            if (p < next) {
                throw Exception(FileCorruptedText());
            }
            TRLStreamReader record(reinterpret_cast<const char*>(data), size);
            record.Skip(p);
            const QByteArray stream = record.Bytes(record.Int32());
            next = record.Position();
            TRLGraphicSurface::CheckBytes(stream); // every page must read back before it is taken
            if (!spool_) {
                spool_ = std::make_unique<Spool>();
            }
            index_.push_back(spool_->Append(stream));
        }
    } catch (const Exception&) {
        ClearLocked();
        throw;
    }
}

void TRLGraphicStorage::Link(const void* user) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(users_.begin(), users_.end(), user) == users_.end()) {
        users_.push_back(user);
    }
}

void TRLStorageHold::Reset(TRLGraphicStorage* pages) noexcept {
    if (pages == pages_) {
        return;
    }
    // The new hold first: the same storage held by another holder of ours
    // must not be freed in between.
    if (pages != nullptr) {
        pages->Link(this);
    }
    TRLGraphicStorage* const old = std::exchange(pages_, pages);
    if (old != nullptr) {
        old->Unlink(this);
    }
}

void TRLGraphicStorage::LinkObject(QObject* user) {
    Link(user);
    auto connection = QObject::connect(user, &QObject::destroyed,
                                       [this, user] { Unlink(static_cast<const void*>(user)); });
    std::lock_guard<std::mutex> lock(mutex_);
    connections_->list.emplace_back(user, connection);
}

void TRLGraphicStorage::Unlink(const void* user) {
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& list = connections_->list;
        for (auto it = list.begin(); it != list.end();) {
            if (it->first == user) {
                QObject::disconnect(it->second);
                it = list.erase(it);
            } else {
                ++it;
            }
        }
        const auto it = std::find(users_.begin(), users_.end(), user);
        if (it == users_.end()) {
            return;
        }
        users_.erase(it);
        last = users_.empty();
    }
    if (last) {
        delete this; // the storage has no owner: its last user frees it
    }
}

int TRLGraphicStorage::UserCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(users_.size());
}

QStringList TRLGraphicStorage::Macros() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return macros_;
}

QString TRLGraphicStorage::MacroLocked(const QString& name, bool* found) const {
    QString value;
    const bool ok = MacroLookUp(macros_, name, value);
    if (found) {
        *found = ok;
    }
    return value;
}

QString TRLGraphicStorage::Macro(const QString& name, bool* found) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return MacroLocked(name, found);
}

void TRLGraphicStorage::SetMacroLocked(const QString& name, const QString& value) {
    const QString line = name + QLatin1Char('=') + value;
    for (QString& m : macros_) {
        if (m.section(QLatin1Char('='), 0, 0).compare(name, Qt::CaseInsensitive) == 0) {
            m = line;
            return;
        }
    }
    macros_.append(line);
}

void TRLGraphicStorage::SetMacro(const QString& name, const QString& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    SetMacroLocked(name, value);
}

int TRLGraphicStorage::IntMacroLocked(const QString& name, int fallback) const {
    // Page numbers beyond this read as unreadable: readers add page counts
    // to them.
    constexpr int kMaxPageNumber = 999999999;
    bool ok = false;
    const int value = MacroLocked(name, nullptr).trimmed().toInt(&ok);
    return ok && value >= -kMaxPageNumber && value <= kMaxPageNumber ? value : fallback;
}

// A paper size that is not a number, is negative or whose page would reach
// past the coordinate limit reads as unreadable.
double TRLGraphicStorage::DoubleMacroLocked(const QString& name) const {
    constexpr double kMaxPaperSize = kMaxPageCoordinate * 25.4 / 96.0;
    bool ok = false;
    const double value = MacroLocked(name, nullptr).trimmed().toDouble(&ok);
    return ok && value >= 0 && value <= kMaxPaperSize ? value : 0.0;
}

int TRLGraphicStorage::FirstPageNumber() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return IntMacroLocked(QStringLiteral("FirstPageNumber"), 0);
}

void TRLGraphicStorage::SetFirstPageNumber(int value) {
    SetMacro(QStringLiteral("FirstPageNumber"), QString::number(value));
}

int TRLGraphicStorage::LastPageNumber() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return IntMacroLocked(QStringLiteral("LastPageNumber"), 0);
}

void TRLGraphicStorage::SetLastPageNumber(int value) {
    SetMacro(QStringLiteral("LastPageNumber"), QString::number(value));
}

int TRLGraphicStorage::Orientation() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return IntMacroLocked(QStringLiteral("Orientation"), 1);
}

void TRLGraphicStorage::SetOrientation(int value) {
    SetMacro(QStringLiteral("Orientation"), QString::number(value));
}

double TRLGraphicStorage::PaperWidth() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return DoubleMacroLocked(QStringLiteral("PaperWidth"));
}

void TRLGraphicStorage::SetPaperWidth(double mm) {
    SetMacro(QStringLiteral("PaperWidth"), FormatPaperSize(mm));
}

double TRLGraphicStorage::PaperHeight() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return DoubleMacroLocked(QStringLiteral("PaperHeight"));
}

void TRLGraphicStorage::SetPaperHeight(double mm) {
    SetMacro(QStringLiteral("PaperHeight"), FormatPaperSize(mm));
}

QString TRLGraphicStorage::Title() const {
    return Macro(QStringLiteral("Title"));
}

void TRLGraphicStorage::SetTitle(const QString& value) {
    SetMacro(QStringLiteral("Title"), value);
}

int TRLGraphicStorage::PageWidth() const {
    return MMToPixels(Orientation() == 1 ? PaperWidth() : PaperHeight());
}

int TRLGraphicStorage::PageHeight() const {
    return MMToPixels(Orientation() == 1 ? PaperHeight() : PaperWidth());
}

int TRLGraphicStorage::CachedPageCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(cache_.size());
}

QString TRLGraphicStorage::SpoolFileName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return spool_ ? QFile::decodeName(spool_->path) : QString();
}

QStringList TRLGraphicStorage::LiveSpoolFiles() {
    return Registry().List();
}

QString FormatPaperSize(double mm) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, mm, std::chars_format::fixed, 4);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}
