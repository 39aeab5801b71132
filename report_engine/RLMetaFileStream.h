#pragma once
// Little-endian reading and writing of the page storage's binary formats.
// Private to the engine; tests include it to build and check streams.
#include "RLGraphics.h"

#include "Exception.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>

#include <QStringList>

// The value of "name=value" in a list of macros (names ignore case).
bool MacroLookUp(const QStringList& macros, const QString& name, QString& value);

// The one error of a damaged stream or file.
QString FileCorruptedText();

// Values are written straight into the buffer's spare room: pages hold
// thousands of them, and QByteArray::append goes through the general insert.
// The buffer's size always matches what has been written.
class TRLStreamWriter {
public:
    explicit TRLStreamWriter(QByteArray& buffer) : buffer_(buffer) {}
    void Byte(std::uint8_t value) { *Room(1) = static_cast<char>(value); }
    void Int16(std::uint16_t value) {
        char* p = Room(2);
        p[0] = static_cast<char>(value & 0xFF);
        p[1] = static_cast<char>(value >> 8);
    }
    void Int32(std::int32_t value) {
        const auto u = static_cast<std::uint32_t>(value);
        char* p = Room(4);
        p[0] = static_cast<char>(u & 0xFF);
        p[1] = static_cast<char>((u >> 8) & 0xFF);
        p[2] = static_cast<char>((u >> 16) & 0xFF);
        p[3] = static_cast<char>(u >> 24);
    }
    void Bytes(const QByteArray& bytes) {
        if (!bytes.isEmpty()) {
            std::memcpy(Room(bytes.size()), bytes.constData(),
                        static_cast<std::size_t>(bytes.size()));
        }
    }
    // Length (int32) and the text's Windows-1252 bytes, no terminator.
    void String(const QString& text);
    void Color(TRLColor color) {
        char* p = Room(3);
        p[0] = static_cast<char>(color.Red);
        p[1] = static_cast<char>(color.Green);
        p[2] = static_cast<char>(color.Blue);
    }
    qsizetype Position() const { return buffer_.size(); }
    // Overwrites four bytes already written, for sizes known afterwards.
    void PatchInt32(qsizetype at, std::int32_t value);

private:
    // Extends the buffer by count bytes and answers where they start. Done
    // on the array's data pointer as QByteArray's own appends do (resize is
    // a call per value): the size grows and the terminating zero follows,
    // which every allocation of a byte array has room for.
    char* Room(qsizetype count) {
        QByteArray::DataPointer& d = buffer_.data_ptr();
        if (d.needsDetach() || d.freeSpaceAtEnd() < count) {
            Reserve(d.size + count);
        }
        char* at = d.data() + d.size;
        d.size += count;
        at[count] = '\0';
        return at;
    }
    // Grows the capacity at least to the size given, doubling it.
    void Reserve(qsizetype size);
    QByteArray& buffer_;
};

class TRLStreamReader {
public:
    TRLStreamReader(const char* data, qsizetype size) : data_(data), size_(size) {}
    explicit TRLStreamReader(const QByteArray& bytes)
        : data_(bytes.constData()), size_(bytes.size()) {}
    std::uint8_t Byte() {
        Need(1);
        return static_cast<std::uint8_t>(data_[pos_++]);
    }
    std::uint16_t Int16() {
        Need(2);
        const auto* p = reinterpret_cast<const std::uint8_t*>(data_ + pos_);
        pos_ += 2;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::int32_t Int32() {
        Need(4);
        const auto* p = reinterpret_cast<const std::uint8_t*>(data_ + pos_);
        pos_ += 4;
        return static_cast<std::int32_t>(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                                         (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
    }
    // An int32 that must lie in [low, high]; "File is corrupted!" otherwise.
    std::int32_t Int32In(std::int32_t low, std::int32_t high) {
        const std::int32_t value = Int32();
        if (value < low || value > high) {
            Corrupted();
        }
        return value;
    }
    // A position or size on a page, within the coordinate limit.
    std::int32_t Coordinate() { return Int32In(-kMaxPageCoordinate, kMaxPageCoordinate); }
    // The count of a list whose entries take at least bytesEach bytes each:
    // never negative, and never more than the bytes left could hold, so a
    // damaged count cannot make a reader loop or reserve beyond the data.
    std::int32_t Count(qsizetype bytesEach) {
        const std::int32_t count = Int32();
        if (count < 0 || count > Remaining() / bytesEach) {
            Corrupted();
        }
        return count;
    }
    // The count of a list of macros. A page carries three and the storage
    // six; every text's braces are looked up in them, so a long list from a
    // damaged file would make every text cost in proportion to it.
    std::int32_t MacroCount() {
        constexpr std::int32_t kMostMacros = 64;
        const std::int32_t count = Count(4);
        if (count > kMostMacros) {
            Corrupted();
        }
        return count;
    }
    QByteArray Bytes(qsizetype count);
    // The next count bytes in place, valid as long as the data read is.
    const char* Take(qsizetype count) {
        Need(count);
        const char* at = data_ + pos_;
        pos_ += count;
        return at;
    }
    QString String();
    TRLColor Color() {
        Need(3);
        TRLColor c;
        c.Red = static_cast<std::uint8_t>(data_[pos_]);
        c.Green = static_cast<std::uint8_t>(data_[pos_ + 1]);
        c.Blue = static_cast<std::uint8_t>(data_[pos_ + 2]);
        pos_ += 3;
        return c;
    }
    // Reads up to and including the byte 1A hex, at most 20 bytes, and raises
    // "File is corrupted!" unless the text before it is the expected one.
    void Signature(const char* expected);
    void Skip(qsizetype count);
    qsizetype Position() const { return pos_; }
    qsizetype Remaining() const { return size_ - pos_; }

private:
    void Need(qsizetype count) const {
        if (count < 0 || count > size_ - pos_) {
            Corrupted();
        }
    }
    [[noreturn]] static void Corrupted();
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

inline constexpr char SurfaceSignature[] = "RLGraphicSurface3";
inline constexpr char StorageSignature[] = "RLGraphicStorage3";
inline constexpr std::uint8_t SignatureEnd = 0x1A;
