#include "FormatNumber.h"

#include "DecimalDigits.h"
#include "Exception.h"
#include "PatternQuotes.h"
#include "RegionalSettings.h"

#include <cmath>

namespace {

constexpr qsizetype kMaxPatternLength = 224;
// Values from 10^18 up go to the general format; 10^18 is exact in the
// extended type.
constexpr long double kLargestFixed = 1e18L;
// No pattern within the length limit has enough decimals to show anything
// of a magnitude this small.
constexpr long double kInvisible = 1e-240L;

// Output of one formatting call. A section of at most 224 characters writes
// at most three characters per pattern character plus the surplus integer
// digits and an exponent, well within the capacity.
class TextBuffer {
public:
    void Put(char16_t c) {
        if (size_ < kCapacity) {
            text_[size_++] = c;
        }
    }
    void Put(QChar c) { Put(c.unicode()); }
    QString Take() const { return QString(reinterpret_cast<const QChar*>(text_), size_); }

private:
    static constexpr int kCapacity = 1024;
    char16_t text_[kCapacity];
    int size_ = 0;
};

using PatternQuotes::ClosingQuote;
using PatternQuotes::CopyQuoted;
using PatternQuotes::IsQuote;

struct Sections {
    qsizetype Start[3] = {0, 0, 0};
    qsizetype End[3] = {0, 0, 0};
    int Count = 0;

    Sections(const QChar* p, qsizetype length) {
        if (p == nullptr) {
            return;
        }
        qsizetype start = 0;
        qsizetype i = 0;
        while (Count < 3) {
            while (i < length && p[i] != u';') {
                i = IsQuote(p[i]) ? ClosingQuote(p, i, length) + 1 : i + 1;
            }
            i = std::min(i, length);
            Start[Count] = start;
            End[Count] = i;
            ++Count;
            if (i >= length) {
                break;
            }
            start = ++i;
        }
    }

    bool Empty(int index) const { return Start[index] == End[index]; }

    // The section for a value of this sign: a missing or empty second or
    // third section falls back to the first.
    int Choose(int sign) const {
        const int index = sign == 0 ? 2 : sign < 0 ? 1 : 0;
        return index < Count && !Empty(index) ? index : 0;
    }
};

struct SectionInfo {
    int Placeholders = 0;
    int IntegerPlaceholders = -1;
    int FirstZero = 0; // ordinal among the placeholders, 0 for none
    int LastZero = 0;
    bool Thousands = false;
    qsizetype ExponentAt = -1; // the "E" of "E+0" or "E-0", -1 for none
    int ExponentDigits = 0;

    int Decimals() const { return Placeholders - IntegerPlaceholders; }
    bool Scientific() const { return ExponentAt >= 0; }
};

// The number of zeros of an exponent mark "E+0..." at i, 0 when none is there.
int ExponentZeros(const QChar* p, qsizetype i, qsizetype end) {
    if ((p[i] != u'E' && p[i] != u'e') || i + 2 >= end || (p[i + 1] != u'+' && p[i + 1] != u'-')) {
        return 0;
    }
    int zeros = 0;
    while (i + 2 + zeros < end && p[i + 2 + zeros] == u'0') {
        ++zeros;
    }
    return zeros;
}

SectionInfo ReadSection(const QChar* p, qsizetype start, qsizetype end) {
    SectionInfo info;
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = p[i];
        if (IsQuote(c)) {
            i = ClosingQuote(p, i, end);
        } else if (c == u'#' || c == u'0') {
            ++info.Placeholders;
            if (c == u'0') {
                info.FirstZero = info.FirstZero == 0 ? info.Placeholders : info.FirstZero;
                info.LastZero = info.Placeholders;
            }
        } else if (c == u'.') {
            if (info.IntegerPlaceholders < 0) {
                info.IntegerPlaceholders = info.Placeholders;
            }
        } else if (c == u',') {
            info.Thousands = true;
        } else if (!info.Scientific()) {
            const int zeros = ExponentZeros(p, i, end);
            if (zeros > 0) {
                info.ExponentAt = i;
                info.ExponentDigits = std::min(zeros, 4);
                i += 1 + zeros;
            }
        }
    }
    if (info.IntegerPlaceholders < 0) {
        info.IntegerPlaceholders = info.Placeholders;
    }
    return info;
}

void PutUnsigned(TextBuffer& out, unsigned value, int minDigits) {
    char text[12];
    int length = 0;
    do {
        text[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (; minDigits > length; --minDigits) {
        out.Put(u'0');
    }
    while (length > 0) {
        out.Put(static_cast<char16_t>(text[--length]));
    }
}

// Writes one section for digits already rounded to it.
class SectionWriter {
public:
    SectionWriter(const RegionalSettings& settings, const SectionInfo& info,
                  const DecimalDigits& digits, int exponent, TextBuffer& out)
        : settings_(settings), info_(info), digits_(digits), exponent_(exponent), out_(out),
          integerDigits_(std::max(digits.Exponent, 0)),
          decimalDigits_(std::max(digits.Count - digits.Exponent, 0)) {}

    void Write(const QChar* p, qsizetype start, qsizetype end) {
        for (qsizetype i = start; i < end; ++i) {
            const QChar c = p[i];
            if (IsQuote(c)) {
                i = CopyQuoted(p, i, end, [this](QChar q) { out_.Put(q); });
            } else if (c == u'#' || c == u'0') {
                Placeholder();
            } else if (i == info_.ExponentAt) {
                WriteExponent(p, i);
                i += 1 + ExponentZeros(p, i, end);
            } else if (c != u',' && c != u'.') {
                out_.Put(c);
            }
        }
    }

private:
    // The digit at an integer place (1 for units), 0 beyond the digits kept.
    char16_t IntegerDigit(int place) const {
        const int index = digits_.Exponent - place;
        return static_cast<char16_t>(u'0' + (index < digits_.Count ? digits_.Digits[index] : 0));
    }

    char16_t DecimalDigit(int position) const {
        const int index = digits_.Exponent + position - 1;
        return static_cast<char16_t>(u'0' + (index < 0 ? 0 : digits_.Digits[index]));
    }

    void PutInteger(char16_t digit, int place) {
        out_.Put(digit);
        if (info_.Thousands && place > 1 && (place - 1) % 3 == 0) {
            out_.Put(settings_.ThousandSeparator);
        }
    }

    void PutIntegerPlaces(int highest, int lowest) {
        for (int place = highest; place >= lowest; --place) {
            PutInteger(IntegerDigit(place), place);
        }
    }

    void Placeholder() {
        const int ordinal = ++ordinal_;
        const int integerPlaceholders = info_.IntegerPlaceholders;
        if (ordinal <= integerPlaceholders) {
            const int place = integerPlaceholders - ordinal + 1;
            if (ordinal == 1 && integerDigits_ > integerPlaceholders) {
                PutIntegerPlaces(integerDigits_, place + 1);
            }
            if (place <= integerDigits_) {
                PutInteger(IntegerDigit(place), place);
            } else if (info_.FirstZero != 0 && ordinal >= info_.FirstZero) {
                PutInteger(u'0', place);
            }
            return;
        }
        // A section without integer placeholders still shows the integer
        // digits, in front of the first decimal one.
        if (ordinal == 1) {
            PutIntegerPlaces(integerDigits_, 1);
        }
        const int position = ordinal - integerPlaceholders;
        char16_t digit = 0;
        if (position <= decimalDigits_) {
            digit = DecimalDigit(position);
        } else if (ordinal <= info_.LastZero) {
            digit = u'0';
        } else {
            return;
        }
        if (!pointWritten_) {
            out_.Put(settings_.DecimalSeparator);
            pointWritten_ = true;
        }
        out_.Put(digit);
    }

    void WriteExponent(const QChar* p, qsizetype at) {
        out_.Put(p[at]);
        if (exponent_ < 0) {
            out_.Put(u'-');
        } else if (p[at + 1] == u'+') {
            out_.Put(u'+');
        }
        PutUnsigned(out_, static_cast<unsigned>(std::abs(exponent_)), info_.ExponentDigits);
    }

    const RegionalSettings& settings_;
    const SectionInfo& info_;
    const DecimalDigits& digits_;
    const int exponent_;
    TextBuffer& out_;
    const int integerDigits_;
    const int decimalDigits_;
    int ordinal_ = 0;
    bool pointWritten_ = false;
};

// Rounds the digits to what the section shows; returns the exponent written
// after "E" in scientific sections.
int RoundForSection(DecimalDigits& digits, const SectionInfo& info, RoundingMode mode) {
    if (!info.Scientific()) {
        RoundDigits(digits, digits.Exponent + info.Decimals(), mode);
        return 0;
    }
    RoundDigits(digits, info.IntegerPlaceholders + info.Decimals(), mode);
    if (digits.Count == 0) {
        return 0;
    }
    const int exponent = digits.Exponent - info.IntegerPlaceholders;
    digits.Exponent = info.IntegerPlaceholders;
    return exponent;
}

void CheckLength(const QString& pattern) {
    if (pattern.size() > kMaxPatternLength) {
        throw EConvertError(QStringLiteral("Format string too long"));
    }
}

// Both number operations, once the value's digits are known: `expand`
// gives the unrounded digits for a section.
// A pattern split into sections and read, kept for the next call: the
// program formats long runs of values with the same few patterns.
struct ParsedPattern {
    QString Pattern;
    Sections Parts{nullptr, 0};
    SectionInfo Info[3];
};

const ParsedPattern& Parse(const QString& pattern) {
    thread_local ParsedPattern cache;
    thread_local bool filled = false;
    if (filled && cache.Pattern == pattern) {
        return cache;
    }
    const QChar* p = pattern.constData();
    cache.Pattern = pattern;
    cache.Parts = Sections(p, pattern.size());
    for (int i = 0; i < cache.Parts.Count; ++i) {
        cache.Info[i] = ReadSection(p, cache.Parts.Start[i], cache.Parts.End[i]);
    }
    filled = true;
    return cache;
}

// Both number operations, once the value's digits are known: `expand`
// gives the unrounded digits for a section.
template <typename Expand>
QString FormatDigits(const QString& pattern, const RegionalSettings& settings, int sign,
                     RoundingMode mode, Expand expand) {
    const QChar* p = pattern.constData();
    const ParsedPattern& parsed = Parse(pattern);
    const Sections& sections = parsed.Parts;
    int index = sections.Choose(sign);
    DecimalDigits digits = expand(parsed.Info[index]);
    int exponent = RoundForSection(digits, parsed.Info[index], mode);
    bool negative = sign < 0;
    if (digits.Count == 0) {
        negative = false;
        index = sections.Choose(0);
        exponent = 0;
    }
    TextBuffer out;
    if (negative && index == 0) {
        out.Put(u'-');
    }
    SectionWriter(settings, parsed.Info[index], digits, exponent, out)
        .Write(p, sections.Start[index], sections.End[index]);
    return out.Take();
}

bool FirstSectionEmpty(const QString& pattern) {
    return pattern.isEmpty() || pattern.front() == u';';
}

void PutDigits(TextBuffer& out, const DecimalDigits& digits, int from, int to) {
    for (int i = from; i < to; ++i) {
        out.Put(static_cast<char16_t>(u'0' + (i < digits.Count ? digits.Digits[i] : 0)));
    }
}

// Plain notation of digits: integer digits, then the separator and the
// decimals when there are any.
void PutPlain(TextBuffer& out, const DecimalDigits& digits, QChar decimalSeparator) {
    if (digits.Exponent <= 0) {
        out.Put(u'0');
    } else {
        PutDigits(out, digits, 0, digits.Exponent);
    }
    if (digits.Count > digits.Exponent) {
        out.Put(decimalSeparator);
        for (int i = digits.Exponent; i < 0; ++i) {
            out.Put(u'0');
        }
        PutDigits(out, digits, std::max(digits.Exponent, 0), digits.Count);
    }
}

} // namespace

QString FormatNumberText(const QString& pattern, long double value) {
    return FormatNumberText(pattern, value, RegionalSettings::Current());
}

QString FormatNumberText(const QString& pattern, long double value,
                         const RegionalSettings& settings) {
    CheckLength(pattern);
    const long double magnitude = std::fabs(value);
    if (FirstSectionEmpty(pattern) || !std::isfinite(value) || magnitude >= kLargestFixed) {
        return FloatToText(value, settings);
    }
    const int sign = value > 0 ? 1 : value < 0 ? -1 : 0;
    auto expand = [magnitude](const SectionInfo& info) {
        if (magnitude == 0 || (magnitude < kInvisible && !info.Scientific())) {
            return DecimalDigits{};
        }
        return ExactDigits(magnitude, 18);
    };
    return FormatDigits(pattern, settings, sign, RoundingMode::HalfAwayFromZero, expand);
}

QString FormatFixedText(const QString& pattern, std::int64_t amount) {
    return FormatFixedText(pattern, amount, RegionalSettings::Current());
}

QString FormatFixedText(const QString& pattern, std::int64_t amount,
                        const RegionalSettings& settings) {
    CheckLength(pattern);
    if (FirstSectionEmpty(pattern)) {
        return FixedToText(amount, settings);
    }
    // Unsigned negation keeps the most negative amount exact.
    const std::uint64_t magnitude =
        amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    const int sign = amount > 0 ? 1 : amount < 0 ? -1 : 0;
    auto expand = [magnitude](const SectionInfo&) { return FixedDigits(magnitude); };
    return FormatDigits(pattern, settings, sign, RoundingMode::HalfEven, expand);
}

QString FloatToText(long double value) {
    return FloatToText(value, RegionalSettings::Current());
}

QString FloatToText(long double value, const RegionalSettings& settings) {
    if (std::isnan(value)) {
        return QStringLiteral("NAN");
    }
    if (std::isinf(value)) {
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    }
    TextBuffer out;
    const DecimalDigits digits = value == 0 ? DecimalDigits{} : ExactDigits(std::fabs(value), 15);
    if (value < 0) {
        out.Put(u'-');
    }
    if (digits.Exponent > 15 || digits.Exponent < -3) {
        // One digit before the point and an exponent, as in 1,5E20.
        out.Put(static_cast<char16_t>(u'0' + digits.Digits[0]));
        if (digits.Count > 1) {
            out.Put(settings.DecimalSeparator);
            PutDigits(out, digits, 1, digits.Count);
        }
        out.Put(u'E');
        const int exponent = digits.Exponent - 1;
        if (exponent < 0) {
            out.Put(u'-');
        }
        PutUnsigned(out, static_cast<unsigned>(std::abs(exponent)), 1);
    } else {
        PutPlain(out, digits, settings.DecimalSeparator);
    }
    return out.Take();
}

QString FixedToText(std::int64_t amount) {
    return FixedToText(amount, RegionalSettings::Current());
}

QString FixedToText(std::int64_t amount, const RegionalSettings& settings) {
    const std::uint64_t magnitude =
        amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    TextBuffer out;
    if (amount < 0) {
        out.Put(u'-');
    }
    PutPlain(out, FixedDigits(magnitude), settings.DecimalSeparator);
    return out.Take();
}

QString IntToText(std::int64_t value) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char16_t text[24];
    int length = 0;
    for (std::uint64_t rest = magnitude; length == 0 || rest != 0; rest /= 10) {
        text[length++] = static_cast<char16_t>(u'0' + rest % 10);
    }
    if (value < 0) {
        text[length++] = u'-';
    }
    QString result(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i) {
        result[i] = QChar(text[length - 1 - i]);
    }
    return result;
}
