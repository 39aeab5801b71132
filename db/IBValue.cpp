#include "IBValue.h"

#include "FieldFormat.h"
#include "IBError.h"
#include "Win1252.h"

#include <ibase.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

[[noreturn]] void BadConversion() {
    throw EIBError(QString::fromLatin1(IBText::InvalidConversion));
}

template <typename T> T Load(const char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::int64_t Pow10(int n) {
    std::int64_t r = 1;
    while (n-- > 0) {
        r *= 10;
    }
    return r;
}

// Divides by 10^n rounding half away from zero.
std::int64_t DivRound(std::int64_t v, int n) {
    if (n <= 0) {
        return v;
    }
    if (n > 18) {
        return 0;
    }
    std::int64_t p = Pow10(n);
    std::int64_t q = v / p;
    std::int64_t r = v % p;
    if (r * 2 >= p) {
        ++q;
    } else if (r * 2 <= -p) {
        --q;
    }
    return q;
}

std::int64_t RawInteger(const IBColumn& c, const char* p) {
    switch (c.type) {
    case SQL_SHORT:
        return Load<std::int16_t>(p);
    case SQL_LONG:
        return Load<std::int32_t>(p);
    case SQL_INT64:
        return Load<std::int64_t>(p);
    default:
        return 0;
    }
}

std::int64_t RoundToInt64(double v) {
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18) {
        BadConversion();
    }
    return std::llround(v);
}

bool ParseInteger(const QString& text, std::int64_t& out) {
    QString t = text.trimmed();
    bool ok = false;
    out = t.toLongLong(&ok, 10);
    return ok;
}

} // namespace

namespace IBDate {

double FromIsc(std::int32_t date, std::uint32_t time) {
    double days = static_cast<double>(date) - kDateOffset;
    double frac = static_cast<double>(time) / 864000000.0;
    // Before 30 December 1899 the fraction still counts forwards from
    // midnight, so it is taken away from the (negative) day number.
    return days < 0 ? days - frac : days + frac;
}

void ToIsc(double dateTime, std::int32_t& date, std::uint32_t& time) {
    double days = std::trunc(dateTime);
    double frac = std::fabs(dateTime - days);
    std::int64_t ms = std::llround(frac * 86400000.0);
    std::int64_t day = static_cast<std::int64_t>(days);
    // A time that rounds up to midnight is the start of the next day, before
    // 1899 too (whose time counts back from its day): the day the date
    // formatting shows for the value.
    if (ms >= 86400000) {
        ms -= 86400000;
        day += 1;
    }
    date = static_cast<std::int32_t>(day + kDateOffset);
    time = static_cast<std::uint32_t>(ms * 10);
}

} // namespace IBDate

QString DecodeText(IBCharset charset, const char* bytes, int length) {
    if (charset == IBCharset::Utf8) {
        return QString::fromUtf8(bytes, length);
    }
    return Win1252::Decode(bytes, static_cast<std::size_t>(length));
}

QByteArray EncodeText(IBCharset charset, const QString& text) {
    return charset == IBCharset::Utf8 ? text.toUtf8() : Win1252::Encode(text);
}

bool IBCell::IsNull() const {
    if (row == nullptr) {
        return true;
    }
    return Load<std::int16_t>(row + column->nullOffset) < 0;
}

bool IBCell::IsText() const {
    return column->type == SQL_TEXT || column->type == SQL_VARYING;
}

bool IBCell::IsScaledInteger() const {
    short t = column->type;
    return t == SQL_SHORT || t == SQL_LONG || t == SQL_INT64;
}

QByteArray IBCell::AsBytes() const {
    if (IsNull()) {
        return {};
    }
    const char* p = row + column->offset;
    switch (column->type) {
    case SQL_TEXT:
        return QByteArray(p, column->length);
    case SQL_VARYING:
        return QByteArray(p + 2, Load<std::uint16_t>(p));
    case SQL_BLOB:
        return blobs != nullptr ? (*blobs)(p) : QByteArray();
    default:
        return EncodeText(charset, AsString());
    }
}

QString IBCell::AsString() const {
    if (IsNull()) {
        return {};
    }
    const char* p = row + column->offset;
    switch (column->type) {
    case SQL_TEXT:
        // Fixed-length texts keep their trailing blanks.
        return DecodeText(charset, p, column->length);
    case SQL_VARYING:
        return DecodeText(charset, p + 2, Load<std::uint16_t>(p));
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return FieldFormat::PlainScaled(RawInteger(*column, p), -column->scale);
    case SQL_FLOAT:
        return FieldFormat::PlainFloat(Load<float>(p));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return FieldFormat::PlainFloat(Load<double>(p));
    case SQL_TYPE_DATE:
        return FieldFormat::PlainDate(IBDate::FromIsc(Load<std::int32_t>(p), 0));
    case SQL_TYPE_TIME:
        return FieldFormat::PlainTime(IBDate::FromIsc(IBDate::kDateOffset, Load<std::uint32_t>(p)));
    case SQL_TIMESTAMP:
        return FieldFormat::PlainDateTime(AsDateTime());
    case SQL_BOOLEAN:
        return *p != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case SQL_BLOB: {
        QByteArray bytes = AsBytes();
        return DecodeText(charset, bytes.constData(), static_cast<int>(bytes.size()));
    }
    default:
        BadConversion();
    }
}

std::int64_t IBCell::AsInt64() const {
    if (IsNull()) {
        return 0;
    }
    const char* p = row + column->offset;
    switch (column->type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        std::int64_t raw = RawInteger(*column, p);
        return column->scale < 0 ? DivRound(raw, -column->scale) : raw * Pow10(column->scale);
    }
    case SQL_FLOAT:
        return RoundToInt64(Load<float>(p));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return RoundToInt64(Load<double>(p));
    case SQL_BOOLEAN:
        return *p != 0 ? 1 : 0;
    case SQL_TEXT:
    case SQL_VARYING: {
        std::int64_t v = 0;
        if (!ParseInteger(AsString(), v)) {
            BadConversion();
        }
        return v;
    }
    default:
        BadConversion();
    }
}

std::int32_t IBCell::AsInteger() const {
    std::int64_t v = AsInt64();
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max()) {
        BadConversion();
    }
    return static_cast<std::int32_t>(v);
}

std::int64_t IBCell::AsCurrency() const {
    if (IsNull()) {
        return 0;
    }
    const char* p = row + column->offset;
    switch (column->type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        std::int64_t raw = RawInteger(*column, p);
        int shift = 4 + column->scale;
        if (shift >= 0) {
            if (shift > 14 && raw != 0) {
                BadConversion();
            }
            std::int64_t f = Pow10(shift);
            if (raw > std::numeric_limits<std::int64_t>::max() / f ||
                raw < std::numeric_limits<std::int64_t>::min() / f) {
                BadConversion();
            }
            return raw * f;
        }
        return DivRound(raw, -shift);
    }
    case SQL_FLOAT:
        return RoundToInt64(static_cast<double>(Load<float>(p)) * 10000.0);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return RoundToInt64(Load<double>(p) * 10000.0);
    case SQL_TEXT:
    case SQL_VARYING: {
        std::int64_t v = 0;
        if (!FieldFormat::ParseCurrency(AsString(), v)) {
            BadConversion();
        }
        return v;
    }
    default:
        BadConversion();
    }
}

double IBCell::AsDouble() const {
    if (IsNull()) {
        return 0;
    }
    const char* p = row + column->offset;
    switch (column->type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        std::int64_t raw = RawInteger(*column, p);
        if (column->scale == 0) {
            return static_cast<double>(raw);
        }
        return static_cast<double>(static_cast<long double>(raw) /
                                   static_cast<long double>(Pow10(-column->scale)));
    }
    case SQL_FLOAT:
        return Load<float>(p);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return Load<double>(p);
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TIMESTAMP:
        return AsDateTime();
    case SQL_TEXT:
    case SQL_VARYING: {
        std::int64_t v = 0;
        if (!FieldFormat::ParseCurrency(AsString(), v)) {
            BadConversion();
        }
        return static_cast<double>(v) / 10000.0;
    }
    default:
        BadConversion();
    }
}

double IBCell::AsDateTime() const {
    if (IsNull()) {
        return 0;
    }
    const char* p = row + column->offset;
    switch (column->type) {
    case SQL_TYPE_DATE:
        return IBDate::FromIsc(Load<std::int32_t>(p), 0);
    case SQL_TYPE_TIME:
        return static_cast<double>(Load<std::uint32_t>(p)) / 864000000.0;
    case SQL_TIMESTAMP:
        return IBDate::FromIsc(Load<std::int32_t>(p), Load<std::uint32_t>(p + 4));
    case SQL_TEXT:
    case SQL_VARYING:
        try {
            return FieldFormat::ParseDateTime(AsString());
        } catch (const EConvertError&) {
            BadConversion();
        }
    default:
        BadConversion();
    }
}
