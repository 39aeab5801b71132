#pragma once
// The regional conventions every amount and date follows: separators, date
// and time patterns, month and day names. One process-wide record, read from
// the user's locale at start and again when the system announces a locale
// change. Tests replace it with explicit values and never rely on the
// machine's locale.
#include <QChar>
#include <QString>
#include <array>

class QLocale;

struct RegionalSettings {
    QChar DecimalSeparator = u'.';
    QChar ThousandSeparator = u',';
    QChar DateSeparator = u'/';
    QChar TimeSeparator = u':';
    QString ShortDateFormat = QStringLiteral("m/d/yy");
    QString LongDateFormat = QStringLiteral("mmmm d, yyyy");
    QString TimeAMString = QStringLiteral("am");
    QString TimePMString = QStringLiteral("pm");
    QString ShortTimeFormat = QStringLiteral("h:mm AMPM");
    QString LongTimeFormat = QStringLiteral("h:mm:ss AMPM");
    std::array<QString, 12> ShortMonthNames;
    std::array<QString, 12> LongMonthNames;
    // Sunday first.
    std::array<QString, 7> ShortDayNames;
    std::array<QString, 7> LongDayNames;

    RegionalSettings(); // the fallback values, English names

    // The settings a locale gives; items it leaves empty keep their fallback.
    // The C locale stands for "nothing configured" and gives the fallbacks.
    static RegionalSettings FromLocale(const QLocale& locale);

    // The record the formatting operations read. Only the user-interface
    // thread replaces it.
    static const RegionalSettings& Current() noexcept;
    static void SetCurrent(const RegionalSettings& settings);

    // Reads the process locale again; the user interface calls it at start
    // and on QEvent::LocaleChange.
    static void Reload();

    // The decimal separator for readers on other threads (the spreadsheet
    // writer's number detection), safe to read while Reload runs.
    static QChar CurrentDecimalSeparator() noexcept;
};

// Builds the short and long time patterns from three locale facts: leading
// zero on the hour, 12-hour clock, and whether the am/pm marker comes first.
void BuildTimeFormats(RegionalSettings& settings, bool hourLeadingZero, bool twelveHour,
                      bool markerFirst);
