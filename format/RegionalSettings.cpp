#include "RegionalSettings.h"

#include <QLocale>
#include <atomic>

namespace {

constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

RegionalSettings& Storage() {
    static RegionalSettings settings;
    return settings;
}

std::atomic<char16_t>& DecimalMirror() {
    static std::atomic<char16_t> mirror{u'.'};
    return mirror;
}

void TakeFirstChar(QChar& item, const QString& value) {
    if (!value.isEmpty()) {
        item = value.at(0);
    }
}

void TakeText(QString& item, const QString& value) {
    if (!value.isEmpty()) {
        item = value;
    }
}

// The first character of a date format, outside quotes, that is neither a
// letter nor a blank: the locale's date separator.
QChar DateSeparatorOf(const QString& qtFormat) {
    bool quoted = false;
    for (QChar c : qtFormat) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && !c.isLetter() && c != u' ') {
            return c;
        }
    }
    return {};
}

// Translates a Qt date format into this program's date pattern language:
// months become "m", the separator becomes "/" and other literal text is
// quoted so that none of its letters turns into a token.
QString TranslateDateFormat(const QString& qtFormat, QChar separator) {
    QString out;
    for (qsizetype i = 0; i < qtFormat.size(); ++i) {
        const QChar c = qtFormat.at(i);
        if (c == u'\'') {
            const qsizetype end = qtFormat.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? qtFormat.size() : end;
            const QString literal = qtFormat.mid(i + 1, stop - i - 1);
            // '' inside Qt formats is one quotation mark.
            out += literal.isEmpty() ? QStringLiteral("\"'\"") : u'"' + literal + u'"';
            i = stop;
        } else if (c == u'd' || c == u'y') {
            out += c;
        } else if (c == u'M') {
            out += u'm';
        } else if (!separator.isNull() && c == separator) {
            out += u'/';
        } else if (c.isLetter()) {
            out += u'"' + QString(c) + u'"';
        } else {
            out += c;
        }
    }
    return out;
}

struct TimeFacts {
    bool leadingZero = false;
    bool twelveHour = false;
    bool markerFirst = false;
    QChar separator;
};

TimeFacts TimeFactsOf(const QString& qtFormat) {
    TimeFacts facts;
    bool quoted = false;
    qsizetype hourAt = -1;
    qsizetype markerAt = -1;
    for (qsizetype i = 0; i < qtFormat.size(); ++i) {
        const QChar c = qtFormat.at(i);
        if (c == u'\'') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == u'h' || c == u'H') {
            if (hourAt < 0) {
                hourAt = i;
                facts.leadingZero = i + 1 < qtFormat.size() && qtFormat.at(i + 1) == c;
            }
        } else if (c == u'a' || c == u'A') {
            markerAt = markerAt < 0 ? i : markerAt;
        } else if (hourAt >= 0 && facts.separator.isNull() && !c.isLetter() && c != u' ') {
            facts.separator = c;
        }
    }
    facts.twelveHour = markerAt >= 0;
    facts.markerFirst = markerAt >= 0 && hourAt >= 0 && markerAt < hourAt;
    return facts;
}

} // namespace

RegionalSettings::RegionalSettings() {
    for (std::size_t i = 0; i < 12; ++i) {
        ShortMonthNames[i] = QString::fromLatin1(kShortMonths[i]);
        LongMonthNames[i] = QString::fromLatin1(kLongMonths[i]);
    }
    for (std::size_t i = 0; i < 7; ++i) {
        ShortDayNames[i] = QString::fromLatin1(kShortDays[i]);
        LongDayNames[i] = QString::fromLatin1(kLongDays[i]);
    }
}

void BuildTimeFormats(RegionalSettings& settings, bool hourLeadingZero, bool twelveHour,
                      bool markerFirst) {
    const QString hour = hourLeadingZero ? QStringLiteral("hh") : QStringLiteral("h");
    QString shortFormat = hour + QStringLiteral(":mm");
    QString longFormat = hour + QStringLiteral(":mm:ss");
    if (twelveHour) {
        if (markerFirst) {
            shortFormat.prepend(QStringLiteral("AMPM "));
            longFormat.prepend(QStringLiteral("AMPM "));
        } else {
            shortFormat += QStringLiteral(" AMPM");
            longFormat += QStringLiteral(" AMPM");
        }
    }
    settings.ShortTimeFormat = shortFormat;
    settings.LongTimeFormat = longFormat;
}

RegionalSettings RegionalSettings::FromLocale(const QLocale& locale) {
    RegionalSettings s;
    if (locale.language() == QLocale::C) {
        return s;
    }
    TakeFirstChar(s.DecimalSeparator, locale.decimalPoint());
    TakeFirstChar(s.ThousandSeparator, locale.groupSeparator());

    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QChar dateSeparator = DateSeparatorOf(shortDate);
    if (!dateSeparator.isNull()) {
        s.DateSeparator = dateSeparator;
    }
    TakeText(s.ShortDateFormat, TranslateDateFormat(shortDate, dateSeparator));
    TakeText(s.LongDateFormat,
             TranslateDateFormat(locale.dateFormat(QLocale::LongFormat), dateSeparator));

    const TimeFacts time = TimeFactsOf(locale.timeFormat(QLocale::ShortFormat));
    if (!time.separator.isNull()) {
        s.TimeSeparator = time.separator;
    }
    TakeText(s.TimeAMString, locale.amText());
    TakeText(s.TimePMString, locale.pmText());
    BuildTimeFormats(s, time.leadingZero, time.twelveHour, time.markerFirst);

    for (int i = 0; i < 12; ++i) {
        TakeText(s.ShortMonthNames[i], locale.monthName(i + 1, QLocale::ShortFormat));
        TakeText(s.LongMonthNames[i], locale.monthName(i + 1, QLocale::LongFormat));
    }
    // Qt counts the week from Monday (1) to Sunday (7).
    for (int i = 0; i < 7; ++i) {
        const int qtDay = i == 0 ? 7 : i;
        TakeText(s.ShortDayNames[i], locale.dayName(qtDay, QLocale::ShortFormat));
        TakeText(s.LongDayNames[i], locale.dayName(qtDay, QLocale::LongFormat));
    }
    return s;
}

const RegionalSettings& RegionalSettings::Current() noexcept {
    return Storage();
}

void RegionalSettings::SetCurrent(const RegionalSettings& settings) {
    Storage() = settings;
    DecimalMirror().store(settings.DecimalSeparator.unicode(), std::memory_order_relaxed);
}

void RegionalSettings::Reload() {
    SetCurrent(FromLocale(QLocale::system()));
}

QChar RegionalSettings::CurrentDecimalSeparator() noexcept {
    return QChar(DecimalMirror().load(std::memory_order_relaxed));
}
