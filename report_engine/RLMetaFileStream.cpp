#include "RLMetaFileStream.h"

#include "Win1252.h"

#include <algorithm>
#include <cstring>

QString FileCorruptedText() {
    return QStringLiteral("File is corrupted!");
}

void TRLStreamWriter::Reserve(qsizetype size) {
    buffer_.reserve(std::max(size, 2 * buffer_.capacity() + 64));
}

void TRLStreamWriter::String(const QString& text) {
    const qsizetype n = text.size();
    Int32(static_cast<std::int32_t>(n));
    if (n == 0) {
        return;
    }
    char* out = Room(n);
    const QChar* in = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ch = in[i].unicode();
        const int b = ch < 0x80 ? ch : Win1252::FromUnicode(ch);
        out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
}

void TRLStreamWriter::PatchInt32(qsizetype at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    char* p = buffer_.data() + at;
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    }
}

void TRLStreamReader::Corrupted() {
    throw Exception(FileCorruptedText());
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
