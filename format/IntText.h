#pragma once
// A whole number typed by the user, read as the login fields always have:
// leading blanks, an optional sign, then decimal digits (or "$" and
// hexadecimal digits), nothing after them, within 32 bits. Anything else
// gives the default.
#include <QString>
#include <cstdint>

inline std::int32_t StrToIntDef(const QString& text, std::int32_t defaultValue) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    }
    if (i == text.size()) {
        return defaultValue;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = text[i].isDigit() ? text[i].digitValue() : -1;
        const char16_t c = text[i].toLower().unicode();
        const int hex = (base == 16 && c >= u'a' && c <= u'f') ? c - u'a' + 10 : -1;
        const int d = (digit >= 0 && text[i].unicode() < 128) ? digit : hex;
        if (d < 0) {
            return defaultValue;
        }
        value = value * base + d;
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) {
            return defaultValue;
        }
    }
    if (base == 16) {
        const auto bits = static_cast<std::uint32_t>(value);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    if (negative) {
        return static_cast<std::int32_t>(-value);
    }
    return value > INT32_MAX ? defaultValue : static_cast<std::int32_t>(value);
}
