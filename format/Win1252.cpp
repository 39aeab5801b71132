#include "Win1252.h"

#include <array>

namespace {

constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

} // namespace

namespace Win1252 {

char16_t ToUnicode(unsigned char byte) noexcept {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighTable[byte - 0x80];
    }
    return byte;
}

int FromUnicode(char16_t ch) noexcept {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        return ch;
    }
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == ch) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

QString Decode(const char* bytes, std::size_t length) {
    // Every byte through one table: pages and rows hold a great many texts.
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            t[static_cast<std::size_t>(b)] = ToUnicode(static_cast<unsigned char>(b));
        }
        return t;
    }();
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < length; ++i) {
        out[i] = QChar(table[static_cast<unsigned char>(bytes[i])]);
    }
    return text;
}

QString Decode(const QByteArray& bytes) {
    return Decode(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray Encode(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = FromUnicode(text[i].unicode());
        out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    return bytes;
}

QString AnsiUpperCase(const QString& text) {
    QString result = text;
    for (QChar& ch : result) {
        if (FromUnicode(ch.unicode()) < 0) {
            continue;
        }
        const QChar upper = ch.toUpper();
        if (upper != ch && FromUnicode(upper.unicode()) >= 0) {
            ch = upper;
        }
    }
    return result;
}

} // namespace Win1252
