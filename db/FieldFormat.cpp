#include "FieldFormat.h"

#include "Exception.h"

#include <QStringList>
#include <cmath>
#include <cstdlib>

// MINIMAL PATH: the regional settings and the full pattern language belong
// to format/. Until it is merged these helpers use the Brazilian conventions
// (decimal ",", thousands ".", day/month/year) and understand only the
// patterns this program uses. Replace the bodies with calls into format/.

namespace {

const QChar kDecimal = u',';
const QChar kThousands = u'.';

// Days since 30 December 1899 to a civil date (proleptic Gregorian).
void DecodeDays(std::int64_t days, int& y, int& m, int& d) {
    std::int64_t z = days + 693899; // days since 0000-03-01
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

std::int64_t EncodeDays(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 693899;
}

struct Parts {
    int y, m, d, h, n, s, ms;
};

Parts Split(double dt) {
    double days = std::trunc(dt);
    double frac = std::fabs(dt - days);
    std::int64_t ms = std::llround(frac * 86400000.0);
    std::int64_t day = static_cast<std::int64_t>(days);
    if (ms >= 86400000) {
        ms -= 86400000;
        day += 1;
    }
    Parts p{};
    DecodeDays(day, p.y, p.m, p.d);
    p.h = static_cast<int>(ms / 3600000);
    p.n = static_cast<int>(ms / 60000 % 60);
    p.s = static_cast<int>(ms / 1000 % 60);
    p.ms = static_cast<int>(ms % 1000);
    return p;
}

QString Pad(int v, int width) {
    return QString::number(v).rightJustified(width, u'0');
}

// The index of the section used: a missing or empty one falls back to the
// first.
int SectionIndex(const QStringList& sections, bool negative, bool zero) {
    int wanted = zero ? 2 : negative ? 1 : 0;
    if (wanted < sections.size() && !sections[wanted].isEmpty()) {
        return wanted;
    }
    return 0;
}

// Digits of |unscaled| / 10^scale rounded to `decimals` places, half away
// from zero; returns integer and fraction digit strings.
void Digits(std::int64_t unscaled, int scale, int decimals, QString& intPart, QString& fracPart) {
    bool neg = unscaled < 0;
    unsigned long long mag = neg ? 0ULL - static_cast<unsigned long long>(unscaled)
                                 : static_cast<unsigned long long>(unscaled);
    while (scale > decimals) {
        unsigned long long rem = mag % 10;
        mag /= 10;
        if (scale - 1 == decimals && rem >= 5) {
            mag += 1;
        }
        --scale;
    }
    QString digits = QString::number(mag);
    while (scale < decimals) {
        digits += u'0';
        ++scale;
    }
    if (digits.size() <= decimals) {
        digits = QString(decimals - digits.size() + 1, u'0') + digits;
    }
    intPart = digits.left(digits.size() - decimals);
    fracPart = digits.right(decimals);
}

QString WriteSection(const QString& section, bool sign, const QString& intDigits,
                     const QString& fracDigits) {
    int first = -1;
    int last = -1;
    for (int i = 0; i < section.size(); ++i) {
        QChar c = section[i];
        if (c == u'#' || c == u'0' || c == u'.' || c == u',') {
            if (first < 0) {
                first = i;
            }
            last = i;
        }
    }
    QString prefix = first < 0 ? section : section.left(first);
    QString suffix = first < 0 ? QString() : section.mid(last + 1);
    QString body = first < 0 ? QString() : section.mid(first, last - first + 1);
    int point = body.indexOf(u'.');
    QString intPattern = point < 0 ? body : body.left(point);
    bool group = body.contains(u',');
    int minInt = 0;
    int firstZero = intPattern.indexOf(u'0');
    if (firstZero >= 0) {
        minInt = static_cast<int>(intPattern.mid(firstZero).count(u'0') +
                                  intPattern.mid(firstZero).count(u'#'));
    }
    QString ints = intDigits;
    while (ints.size() > 1 && ints.startsWith(u'0')) {
        ints.remove(0, 1);
    }
    if (ints == u"0" && minInt == 0) {
        ints.clear();
    }
    while (ints.size() < minInt) {
        ints.prepend(u'0');
    }
    if (group) {
        for (int i = static_cast<int>(ints.size()) - 3; i > 0; i -= 3) {
            ints.insert(i, kThousands);
        }
    }
    QString out = sign ? QStringLiteral("-") : QString();
    out += prefix + ints;
    if (!fracDigits.isEmpty()) {
        out += kDecimal + fracDigits;
    }
    return out + suffix;
}

int DecimalsOf(const QString& section) {
    int point = section.indexOf(u'.');
    if (point < 0) {
        return 0;
    }
    int n = 0;
    for (int i = point + 1; i < section.size(); ++i) {
        if (section[i] == u'0' || section[i] == u'#') {
            ++n;
        }
    }
    return n;
}

QString FormatScaled(const QString& pattern, std::int64_t unscaled, int scale) {
    if (pattern.isEmpty()) {
        return FieldFormat::PlainScaled(unscaled, scale);
    }
    QStringList sections = pattern.split(u';');
    bool negative = unscaled < 0;
    int index = SectionIndex(sections, negative, unscaled == 0);
    QString ip;
    QString fp;
    Digits(unscaled, scale, DecimalsOf(sections[index]), ip, fp);
    if (QString(ip + fp).count(u'0') == ip.size() + fp.size()) {
        negative = false;
        index = SectionIndex(sections, false, true);
        Digits(0, 0, DecimalsOf(sections[index]), ip, fp);
    }
    return WriteSection(sections[index], negative && index == 0, ip, fp);
}

} // namespace

namespace FieldFormat {

QString FixedText(const QString& pattern, std::int64_t amount) {
    return FormatScaled(pattern, amount, 4);
}

QString NumberText(const QString& pattern, long double value) {
    long double scaled = value * 10000.0L;
    return FormatScaled(pattern, static_cast<std::int64_t>(std::llround(scaled)), 4);
}

QString DateText(const QString& pattern, double dateTime) {
    if (pattern.isEmpty()) {
        return PlainDateTime(dateTime);
    }
    Parts p = Split(dateTime);
    QString out;
    bool afterHour = false;
    for (int i = 0; i < pattern.size();) {
        QChar c = pattern[i].toLower();
        int run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == c) {
            ++run;
        }
        if (c == u'd') {
            out += run >= 2 ? Pad(p.d, 2) : QString::number(p.d);
        } else if (c == u'm') {
            int v = afterHour ? p.n : p.m;
            out += run >= 2 ? Pad(v, 2) : QString::number(v);
        } else if (c == u'y') {
            out += run >= 3 ? Pad(p.y, 4) : Pad(p.y % 100, 2);
        } else if (c == u'h') {
            out += run >= 2 ? Pad(p.h, 2) : QString::number(p.h);
        } else if (c == u'n') {
            out += run >= 2 ? Pad(p.n, 2) : QString::number(p.n);
        } else if (c == u's') {
            out += run >= 2 ? Pad(p.s, 2) : QString::number(p.s);
        } else {
            out += pattern.mid(i, run);
        }
        if (c.isLetter()) {
            afterHour = c == u'h';
        }
        i += run;
    }
    return out;
}

QString PlainDate(double dateTime) {
    return DateText(QStringLiteral("dd/mm/yyyy"), dateTime);
}

QString PlainTime(double dateTime) {
    return DateText(QStringLiteral("hh:nn:ss"), dateTime);
}

QString PlainDateTime(double dateTime) {
    Parts p = Split(dateTime);
    QString out = PlainDate(dateTime);
    if (p.h != 0 || p.n != 0 || p.s != 0) {
        out += u' ' + PlainTime(dateTime);
    }
    return out;
}

QString PlainScaled(std::int64_t unscaled, int scale) {
    if (scale <= 0) {
        return QString::number(unscaled) + QString(-scale, u'0');
    }
    QString ip;
    QString fp;
    Digits(unscaled, scale, scale, ip, fp);
    while (fp.endsWith(u'0')) {
        fp.chop(1);
    }
    QString out = unscaled < 0 ? QStringLiteral("-") : QString();
    out += ip;
    if (!fp.isEmpty()) {
        out += kDecimal + fp;
    }
    return out;
}

QString PlainFloat(double value) {
    QString s = QString::number(value, 'g', 15);
    return s.replace(u'.', kDecimal);
}

double ParseDateTime(const QString& text) {
    QString t = text.trimmed();
    QStringList halves = t.split(u' ', Qt::SkipEmptyParts);
    QStringList dmy = halves.value(0).split(u'/');
    bool ok = dmy.size() == 3;
    int d = ok ? dmy[0].toInt(&ok) : 0;
    int m = ok ? dmy[1].toInt(&ok) : 0;
    int y = ok ? dmy[2].toInt(&ok) : 0;
    if (ok && y < 100) {
        y += 2000;
    }
    if (!ok || m < 1 || m > 12 || d < 1 || d > 31) {
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
    }
    double value = static_cast<double>(EncodeDays(y, m, d));
    if (halves.size() > 1) {
        QStringList hms = halves[1].split(u':');
        int h = hms.value(0).toInt();
        int n = hms.value(1).toInt();
        int s = hms.value(2).toInt();
        value += (h * 3600.0 + n * 60.0 + s) / 86400.0;
    }
    return value;
}

bool ParseCurrency(const QString& text, std::int64_t& amount) {
    QString t = text.trimmed();
    t.replace(kDecimal, u'.');
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 9.2e14) {
        return false;
    }
    amount = std::llround(v * 10000.0);
    return true;
}

} // namespace FieldFormat
