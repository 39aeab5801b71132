#pragma once
// Regional settings and a clock for format tests, independent of the
// machine's locale and date.
#include "DateTime.h"
#include "RegionalSettings.h"

inline RegionalSettings BrazilianSettings() {
    RegionalSettings s;
    s.DecimalSeparator = u',';
    s.ThousandSeparator = u'.';
    s.DateSeparator = u'/';
    s.TimeSeparator = u':';
    s.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    s.LongDateFormat = QStringLiteral("dddd, d \"de\" mmmm \"de\" yyyy");
    s.TimeAMString = QStringLiteral("AM");
    s.TimePMString = QStringLiteral("PM");
    BuildTimeFormats(s, true, false, false);
    const char* shortMonths[] = {"jan", "fev", "mar", "abr", "mai", "jun",
                                 "jul", "ago", "set", "out", "nov", "dez"};
    const char* longMonths[] = {"janeiro",  "fevereiro", "março",    "abril",
                                "maio",     "junho",     "julho",    "agosto",
                                "setembro", "outubro",   "novembro", "dezembro"};
    const char* shortDays[] = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
    const char* longDays[] = {"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                              "quinta-feira", "sexta-feira",   "sábado"};
    for (std::size_t i = 0; i < 12; ++i) {
        s.ShortMonthNames[i] = QString::fromUtf8(shortMonths[i]);
        s.LongMonthNames[i] = QString::fromUtf8(longMonths[i]);
    }
    for (std::size_t i = 0; i < 7; ++i) {
        s.ShortDayNames[i] = QString::fromUtf8(shortDays[i]);
        s.LongDayNames[i] = QString::fromUtf8(longDays[i]);
    }
    return s;
}

// Installs settings for the life of a test and puts the previous ones back.
class ScopedSettings {
public:
    explicit ScopedSettings(const RegionalSettings& settings)
        : saved_(RegionalSettings::Current()) {
        RegionalSettings::SetCurrent(settings);
    }
    ~ScopedSettings() { RegionalSettings::SetCurrent(saved_); }
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

private:
    RegionalSettings saved_;
};

// Fixes "now" for the life of a test.
class ScopedClock {
public:
    explicit ScopedClock(double now) {
        DateTime::SetClock([now] { return now; });
    }
    ~ScopedClock() { DateTime::SetClock({}); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};
