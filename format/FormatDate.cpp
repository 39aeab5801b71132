#include "FormatDate.h"

#include "DateTime.h"
#include "Exception.h"
#include "PatternQuotes.h"
#include "RegionalSettings.h"

namespace {

constexpr int kMaxDateText = 256;

char16_t Upper(QChar c) {
    const char16_t u = c.unicode();
    return u >= u'a' && u <= u'z' ? static_cast<char16_t>(u - 32) : u;
}

using PatternQuotes::ClosingQuote;
using PatternQuotes::CopyQuoted;
using PatternQuotes::IsQuote;

// Whether the text at i starts with `word`, letters compared without case.
bool StartsWithWord(const QChar* p, qsizetype i, qsizetype n, const char* word) {
    for (qsizetype k = 0; word[k] != 0; ++k) {
        if (i + k >= n || Upper(p[i + k]) != Upper(QChar(word[k]))) {
            return false;
        }
    }
    return true;
}

enum class Marker { None, AmPmSlash, APSlash, AmPm };

Marker MarkerAt(const QChar* p, qsizetype i, qsizetype n) {
    if (StartsWithWord(p, i, n, "am/pm")) {
        return Marker::AmPmSlash;
    }
    if (StartsWithWord(p, i, n, "a/p")) {
        return Marker::APSlash;
    }
    if (StartsWithWord(p, i, n, "ampm")) {
        return Marker::AmPm;
    }
    return Marker::None;
}

// An hour token shows the 12-hour clock when a marker follows it before the
// next hour token.
bool MarkerFollows(const QChar* p, qsizetype from, qsizetype n) {
    for (qsizetype i = from; i < n; ++i) {
        if (IsQuote(p[i])) {
            i = ClosingQuote(p, i, n);
        } else if (Upper(p[i]) == u'H') {
            return false;
        } else if (Upper(p[i]) == u'A' && MarkerAt(p, i, n) != Marker::None) {
            return true;
        }
    }
    return false;
}

class DateWriter {
public:
    DateWriter(const RegionalSettings& settings, double value)
        : settings_(settings), dayOfWeek_(DateTime::DayOfWeek(value)) {
        DateTime::DecodeDateTime(value, date_, time_);
    }

    void Append(const QString& pattern, int level);
    QString Take() const { return QString(reinterpret_cast<const QChar*>(text_), size_); }

private:
    void Put(QChar c) {
        if (size_ < kMaxDateText) {
            text_[size_++] = c.unicode();
        }
    }
    void PutText(const QString& text) {
        for (QChar c : text) {
            Put(c);
        }
    }
    void PutNumber(int value, int width) {
        char16_t digits[12];
        int length = 0;
        unsigned rest = static_cast<unsigned>(value < 0 ? 0 : value);
        do {
            digits[length++] = static_cast<char16_t>(u'0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        for (int i = length; i < width; ++i) {
            Put(u'0');
        }
        while (length > 0) {
            Put(digits[--length]);
        }
    }
    void PutMonthName(const std::array<QString, 12>& names) {
        if (date_.Month >= 1 && date_.Month <= 12) {
            PutText(names[static_cast<std::size_t>(date_.Month - 1)]);
        }
    }
    void PutDayName(const std::array<QString, 7>& names) {
        if (dayOfWeek_ >= 1 && dayOfWeek_ <= 7) {
            PutText(names[static_cast<std::size_t>(dayOfWeek_ - 1)]);
        }
    }
    void Expand(const QString& pattern, int level) {
        // Patterns expand one level deep only; the settings' own patterns
        // cannot recurse into each other.
        if (level == 0) {
            Append(pattern, level + 1);
        }
    }
    int Hour(bool twelveHour) const {
        if (!twelveHour) {
            return time_.Hour;
        }
        const int hour = time_.Hour % 12;
        return hour == 0 ? 12 : hour;
    }
    qsizetype AppendMarker(const QChar* p, qsizetype i, qsizetype n, qsizetype count);

    const RegionalSettings& settings_;
    DateTime::Date date_;
    DateTime::Time time_;
    int dayOfWeek_ = 0;
    char16_t text_[kMaxDateText];
    int size_ = 0;
};

// Writes an am/pm, a/p or ampm marker at i, else the run of count equal
// letters there: three or four are the short or long day name, any other
// run stands as written. Returns the length consumed.
qsizetype DateWriter::AppendMarker(const QChar* p, qsizetype i, qsizetype n, qsizetype count) {
    const bool morning = time_.Hour < 12;
    switch (MarkerAt(p, i, n)) {
    case Marker::AmPmSlash:
        Put(p[morning ? i : i + 3]);
        Put(p[morning ? i + 1 : i + 4]);
        return 5;
    case Marker::APSlash:
        Put(p[morning ? i : i + 2]);
        return 3;
    case Marker::AmPm:
        PutText(morning ? settings_.TimeAMString : settings_.TimePMString);
        return 4;
    case Marker::None:
        break;
    }
    if (count == 3 || count == 4) {
        PutDayName(count == 3 ? settings_.ShortDayNames : settings_.LongDayNames);
    } else {
        for (qsizetype k = 0; k < count; ++k) {
            Put(p[i + k]);
        }
    }
    return count;
}

void DateWriter::Append(const QString& pattern, int level) {
    const QChar* p = pattern.constData();
    const qsizetype n = pattern.size();
    char16_t lastLetter = 0;
    bool markerSeen = false;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = p[i];
        char16_t token = Upper(c);
        qsizetype count = 1;
        while (i + count < n && p[i + count] == c) {
            ++count;
        }
        if (token == u'M' && lastLetter == u'H' && count <= 2) {
            token = u'N';
        }
        if (token >= u'A' && token <= u'Z') {
            lastLetter = token;
        }
        switch (token) {
        case u'Y':
            if (count <= 2) {
                PutNumber(date_.Year % 100, 2);
            } else {
                PutNumber(date_.Year, 4);
            }
            break;
        case u'M':
            if (count <= 2) {
                PutNumber(date_.Month, static_cast<int>(count));
            } else {
                PutMonthName(count == 3 ? settings_.ShortMonthNames : settings_.LongMonthNames);
            }
            break;
        case u'D':
            if (count <= 2) {
                PutNumber(date_.Day, static_cast<int>(count));
            } else if (count <= 4) {
                PutDayName(count == 3 ? settings_.ShortDayNames : settings_.LongDayNames);
            } else {
                Expand(count == 5 ? settings_.ShortDateFormat : settings_.LongDateFormat, level);
            }
            break;
        case u'H':
            PutNumber(Hour(markerSeen || MarkerFollows(p, i + count, n)), count >= 2 ? 2 : 1);
            break;
        case u'N':
            PutNumber(time_.Minute, count >= 2 ? 2 : 1);
            break;
        case u'S':
            PutNumber(time_.Second, count >= 2 ? 2 : 1);
            break;
        case u'Z':
            PutNumber(time_.MSec, static_cast<int>(std::min<qsizetype>(count, 3)));
            break;
        case u'T':
            Expand(count == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat, level);
            break;
        case u'C':
            if (level == 0) {
                Append(settings_.ShortDateFormat, level + 1);
                if (time_.Hour != 0 || time_.Minute != 0 || time_.Second != 0) {
                    Put(u' ');
                    Append(settings_.LongTimeFormat, level + 1);
                }
            }
            break;
        case u'A':
            if (MarkerAt(p, i, n) != Marker::None) {
                markerSeen = true;
            }
            count = AppendMarker(p, i, n, count);
            break;
        case u'/':
            Put(settings_.DateSeparator);
            count = 1;
            break;
        case u':':
            Put(settings_.TimeSeparator);
            count = 1;
            break;
        case u'"':
        case u'\'': {
            const qsizetype close = CopyQuoted(p, i, n, [this](QChar q) { Put(q); });
            count = close + 1 - i;
            break;
        }
        default:
            Put(c);
            count = 1;
            break;
        }
        i += count;
    }
}

// Reading dates and times. Blanks (spaces only) are skipped before every
// number and separator.
class Scanner {
public:
    Scanner(const QString& text, const RegionalSettings& settings)
        : p_(text.constData()), n_(text.size()), settings_(settings) {}

    bool AtEnd() const { return pos_ >= n_; }
    qsizetype Position() const { return pos_; }
    void Reset() { pos_ = 0; }

    void SkipBlanks() {
        while (pos_ < n_ && p_[pos_] == u' ') {
            ++pos_;
        }
    }

    bool Char(QChar c) {
        SkipBlanks();
        if (pos_ < n_ && p_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // Digits are read while the value so far is below 1000, so four-digit
    // years are read whole even with leading zeros.
    bool Number(int& value, int& digits) {
        SkipBlanks();
        value = 0;
        qsizetype i = pos_;
        while (i < n_ && p_[i] >= u'0' && p_[i] <= u'9' && value < 1000) {
            value = value * 10 + (p_[i].unicode() - u'0');
            ++i;
        }
        digits = static_cast<int>(i - pos_);
        pos_ = i;
        return digits > 0;
    }

    bool Word(const QString& word) {
        SkipBlanks();
        if (word.isEmpty() || n_ - pos_ < word.size()) {
            return false;
        }
        if (QStringView(p_ + pos_, word.size()).compare(word, Qt::CaseInsensitive) != 0) {
            return false;
        }
        pos_ += word.size();
        return true;
    }

    bool Date(double& value);
    bool Time(double& value);

private:
    // -1 for none, 0 for AM, 12 for PM.
    int Marker() {
        if (Word(settings_.TimeAMString) || Word(QStringLiteral("AM"))) {
            return 0;
        }
        if (Word(settings_.TimePMString) || Word(QStringLiteral("PM"))) {
            return 12;
        }
        return -1;
    }

    const QChar* p_;
    qsizetype n_;
    qsizetype pos_ = 0;
    const RegionalSettings& settings_;
};

enum class DateOrder { MDY, DMY, YMD };

DateOrder DateOrderOf(const QString& shortDateFormat) {
    const QChar* p = shortDateFormat.constData();
    const qsizetype n = shortDateFormat.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (IsQuote(p[i])) {
            i = ClosingQuote(p, i, n);
            continue;
        }
        switch (Upper(p[i])) {
        case u'D':
            return DateOrder::DMY;
        case u'M':
            return DateOrder::MDY;
        case u'Y':
        case u'E':
            return DateOrder::YMD;
        default:
            break;
        }
    }
    return DateOrder::MDY;
}

int CompleteYear(int year) {
    const int base = DateTime::CurrentYear() - 50;
    year += base / 100 * 100;
    if (year < base) {
        year += 100;
    }
    return year;
}

bool Scanner::Date(double& value) {
    int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
    if (!Number(n1, l1) || !Char(settings_.DateSeparator) || !Number(n2, l2)) {
        return false;
    }
    const DateOrder order = DateOrderOf(settings_.ShortDateFormat);
    int year = 0, month = 0, day = 0, yearDigits = 4;
    if (Char(settings_.DateSeparator)) {
        if (!Number(n3, l3)) {
            return false;
        }
        switch (order) {
        case DateOrder::MDY:
            year = n3, yearDigits = l3, month = n1, day = n2;
            break;
        case DateOrder::DMY:
            year = n3, yearDigits = l3, month = n2, day = n1;
            break;
        case DateOrder::YMD:
            year = n1, yearDigits = l1, month = n2, day = n3;
            break;
        }
        if (yearDigits <= 2) {
            year = CompleteYear(year);
        }
    } else {
        year = DateTime::CurrentYear();
        day = order == DateOrder::DMY ? n1 : n2;
        month = order == DateOrder::DMY ? n2 : n1;
    }
    Char(settings_.DateSeparator);
    SkipBlanks();
    return DateTime::TryEncodeDate(year, month, day, value);
}

bool Scanner::Time(double& value) {
    int marker = Marker();
    int hour = 0, minute = 0, second = 0, msec = 0, digits = 0;
    if (!Number(hour, digits)) {
        return false;
    }
    if (Char(settings_.TimeSeparator)) {
        if (!Number(minute, digits)) {
            return false;
        }
        if (Char(settings_.TimeSeparator)) {
            if (!Number(second, digits)) {
                return false;
            }
            if (Char(settings_.DecimalSeparator) && !Number(msec, digits)) {
                return false;
            }
        }
    }
    if (marker < 0) {
        marker = Marker();
    }
    if (marker >= 0) {
        if (hour == 0 || hour > 12) {
            return false;
        }
        hour = (hour == 12 ? 0 : hour) + marker;
    }
    SkipBlanks();
    return DateTime::TryEncodeTime(hour, minute, second, msec, value);
}

} // namespace

QString FormatDateText(const QString& pattern, double value) {
    return FormatDateText(pattern, value, RegionalSettings::Current());
}

QString FormatDateText(const QString& pattern, double value, const RegionalSettings& settings) {
    DateWriter writer(settings, value);
    writer.Append(pattern.isEmpty() ? QStringLiteral("c") : pattern, 0);
    return writer.Take();
}

bool TryParseDateTime(const QString& text, double& value) {
    return TryParseDateTime(text, value, RegionalSettings::Current());
}

bool TryParseDateTime(const QString& text, double& value, const RegionalSettings& settings) {
    Scanner scanner(text, settings);
    double date = 0;
    double time = 0;
    if (scanner.Date(date) && (scanner.AtEnd() || scanner.Time(time))) {
        value = date >= 0 ? date + time : date - time;
        return true;
    }
    scanner.Reset();
    if (scanner.Time(time) && scanner.AtEnd()) {
        value = time;
        return true;
    }
    return false;
}

bool TryParseDate(const QString& text, double& value) {
    return TryParseDate(text, value, RegionalSettings::Current());
}

bool TryParseDate(const QString& text, double& value, const RegionalSettings& settings) {
    Scanner scanner(text, settings);
    double date = 0;
    if (scanner.Date(date) && scanner.AtEnd()) {
        value = date;
        return true;
    }
    return false;
}

double ParseDateTime(const QString& text) {
    return ParseDateTime(text, RegionalSettings::Current());
}

double ParseDateTime(const QString& text, const RegionalSettings& settings) {
    double value = 0;
    if (!TryParseDateTime(text, value, settings)) {
        throw EConvertError(u'\'' + text + QStringLiteral("' is not a valid date and time"));
    }
    return value;
}
