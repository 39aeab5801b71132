#pragma once
// Little-endian reading and writing of the page storage's binary formats.
// Private to the engine; tests include it to build and check streams.
#include "RLGraphics.h"

#include "Exception.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

#include <QStringList>

// The value of "name=value" in a list of macros (names ignore case).
bool MacroLookUp(const QStringList& macros, const QString& name, QString& value);

// The one error of a damaged stream or file.
QString FileCorruptedText();

class TRLStreamWriter {
public:
    explicit TRLStreamWriter(QByteArray& buffer) : buffer_(buffer) {}
    void Byte(std::uint8_t value) { buffer_.append(static_cast<char>(value)); }
    void Int16(std::uint16_t value);
    void Int32(std::int32_t value);
    void Bytes(const QByteArray& bytes) { buffer_.append(bytes); }
    // Length (int32) and the text's Windows-1252 bytes, no terminator.
    void String(const QString& text);
    void Color(TRLColor color);
    qsizetype Position() const { return buffer_.size(); }
    // Overwrites four bytes already written, for sizes known afterwards.
    void PatchInt32(qsizetype at, std::int32_t value);

private:
    QByteArray& buffer_;
};

class TRLStreamReader {
public:
    TRLStreamReader(const char* data, qsizetype size) : data_(data), size_(size) {}
    explicit TRLStreamReader(const QByteArray& bytes)
        : data_(bytes.constData()), size_(bytes.size()) {}
    std::uint8_t Byte();
    std::uint16_t Int16();
    std::int32_t Int32();
    QByteArray Bytes(qsizetype count);
    QString String();
    TRLColor Color();
    // Reads up to and including the byte 1A hex, at most 20 bytes, and raises
    // "File is corrupted!" unless the text before it is the expected one.
    void Signature(const char* expected);
    void Skip(qsizetype count);
    qsizetype Position() const { return pos_; }
    qsizetype Remaining() const { return size_ - pos_; }

private:
    void Need(qsizetype count) const;
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

inline constexpr char SurfaceSignature[] = "RLGraphicSurface3";
inline constexpr char StorageSignature[] = "RLGraphicStorage3";
inline constexpr std::uint8_t SignatureEnd = 0x1A;
