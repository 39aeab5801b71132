#include "RLMetaFileStream.h"

#include "Win1252.h"

#include <cstring>

QString FileCorruptedText() {
    return QStringLiteral("File is corrupted!");
}

// Whole values are appended at once: pages hold thousands of them.
void TRLStreamWriter::Int16(std::uint16_t value) {
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    buffer_.append(bytes, 2);
}

void TRLStreamWriter::Int32(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    const char bytes[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                           static_cast<char>((u >> 16) & 0xFF), static_cast<char>(u >> 24)};
    buffer_.append(bytes, 4);
}

void TRLStreamWriter::String(const QString& text) {
    const QByteArray bytes = Win1252::Encode(text);
    Int32(static_cast<std::int32_t>(bytes.size()));
    Bytes(bytes);
}

void TRLStreamWriter::Color(TRLColor color) {
    const char bytes[3] = {static_cast<char>(color.Red), static_cast<char>(color.Green),
                           static_cast<char>(color.Blue)};
    buffer_.append(bytes, 3);
}

void TRLStreamWriter::PatchInt32(qsizetype at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        buffer_[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    }
}

void TRLStreamReader::Need(qsizetype count) const {
    if (count < 0 || count > size_ - pos_) {
        throw Exception(FileCorruptedText());
    }
}

std::uint8_t TRLStreamReader::Byte() {
    Need(1);
    return static_cast<std::uint8_t>(data_[pos_++]);
}

std::uint16_t TRLStreamReader::Int16() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
}

std::int32_t TRLStreamReader::Int32() {
    Need(4);
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) {
        u |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(data_[pos_ + i])) << (8 * i);
    }
    pos_ += 4;
    return static_cast<std::int32_t>(u);
}

QByteArray TRLStreamReader::Bytes(qsizetype count) {
    Need(count);
    QByteArray bytes(data_ + pos_, count);
    pos_ += count;
    return bytes;
}

QString TRLStreamReader::String() {
    const std::int32_t length = Int32();
    Need(length);
    const QString text = Win1252::Decode(data_ + pos_, static_cast<std::size_t>(length));
    pos_ += length;
    return text;
}

TRLColor TRLStreamReader::Color() {
    TRLColor c;
    c.Red = Byte();
    c.Green = Byte();
    c.Blue = Byte();
    return c;
}

void TRLStreamReader::Signature(const char* expected) {
    QByteArray read;
    while (read.size() < 20 && pos_ < size_) {
        const auto b = static_cast<std::uint8_t>(data_[pos_++]);
        if (b == SignatureEnd) {
            if (read == QByteArray(expected)) {
                return;
            }
            break;
        }
        read.append(static_cast<char>(b));
    }
    throw Exception(FileCorruptedText());
}

void TRLStreamReader::Skip(qsizetype count) {
    Need(count);
    pos_ += count;
}
