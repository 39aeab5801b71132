#include "FormatDate.h"

#include "DateTime.h"
#include "Exception.h"
#include "FormatTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
          int msec = 0) {
    double time = 0;
    EXPECT_TRUE(DateTime::TryEncodeTime(hour, minute, second, msec, time));
    return DateTime::EncodeDate(year, month, day) + time;
}

class DateFormat : public ::testing::Test {
protected:
    ScopedSettings settings_{BrazilianSettings()};
    // A Saturday afternoon.
    const double value_ = At(2015, 3, 7, 14, 5, 9, 45);
};

TEST_F(DateFormat, EveryTokenClass) {
    struct Row {
        const char* pattern;
        const char* expected;
    };
    const Row rows[] = {
        {"dd/mm/yyyy", "07/03/2015"},
        {"mm/yyyy", "03/2015"},
        {"mm/yy", "03/15"},
        {"d/m/y", "7/3/15"},
        {"DD/MM/YYYY", "07/03/2015"}, // letters match without case
        {"yyy", "2015"},
        {"ddd|dddd", "sáb|sábado"},
        {"aaa|aaaa", "sáb|sábado"},
        {"mmm|mmmm|mmmmmm", "mar|março|março"},
        {"ddddd", "07/03/2015"},
        {"dddddd", "sábado, 7 de março de 2015"},
        {"ddddddd", "sábado, 7 de março de 2015"},
        {"h:n:s", "14:5:9"},
        {"hh:nn:ss.zzz", "14:05:09.045"},
        {"z|zz|zzz|zzzz", "45|45|045|045"},
        {"hh:mm", "14:05"},     // m after h is the minute
        {"hh 'x' m", "14 x 5"}, // quoted text is not a letter
        {"h x m", "14 x 3"},    // another letter in between: the month
        {"h am/pm|H AM/PM|h Am/pM", "2 pm|2 PM|2 pM"},
        {"hh a/p|hh A/P", "02 p|02 P"},
        {"h ampm", "2 PM"},
        {"ampm h", "PM 2"}, // a marker earlier in the pattern counts too
        {"h:nn h", "14:05 14"},
        {"t", "14:05"},
        {"tt", "14:05:09"},
        {"c", "07/03/2015 14:05:09"},
        {"", "07/03/2015 14:05:09"},
        {"'dd' \"mm\" 'it''s'", "dd mm its"},
        {"dd 'open", "07 open"},
        {"x", "x"},
        {"ax", "ax"},
        {"g e", "g e"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pattern);
        EXPECT_EQ(FormatDateText(QString::fromUtf8(row.pattern), value_),
                  QString::fromUtf8(row.expected));
    }
}

TEST_F(DateFormat, HourOnTheTwelveHourClock) {
    EXPECT_EQ(FormatDateText(QStringLiteral("h:nn am/pm"), At(2015, 3, 7, 0, 30)),
              QStringLiteral("12:30 am"));
    EXPECT_EQ(FormatDateText(QStringLiteral("h:nn am/pm"), At(2015, 3, 7, 12, 0)),
              QStringLiteral("12:00 pm"));
    EXPECT_EQ(FormatDateText(QStringLiteral("h:nn a/p"), At(2015, 3, 7, 11, 59)),
              QStringLiteral("11:59 a"));
}

TEST_F(DateFormat, ShortAndLongPatternsFollowTheSettings) {
    RegionalSettings s = BrazilianSettings();
    s.DateSeparator = u'-';
    s.TimeSeparator = u'.';
    BuildTimeFormats(s, false, true, true);
    ScopedSettings scoped(s);
    EXPECT_EQ(FormatDateText(QStringLiteral("dd/mm/yyyy"), value_), QStringLiteral("07-03-2015"));
    EXPECT_EQ(FormatDateText(QStringLiteral("t"), value_), QStringLiteral("PM 2.05"));
    EXPECT_EQ(FormatDateText(QStringLiteral("c"), value_), QStringLiteral("07-03-2015 PM 2.05.09"));
    // c leaves the time out at midnight, milliseconds notwithstanding.
    EXPECT_EQ(FormatDateText(QStringLiteral("c"), At(2015, 3, 7, 0, 0, 0, 500)),
              QStringLiteral("07-03-2015"));
}

TEST_F(DateFormat, ExpansionIsOneLevelDeep) {
    RegionalSettings s = BrazilianSettings();
    s.ShortDateFormat = QStringLiteral("dd[ddddd|dddddd|c|t|tt]");
    s.LongTimeFormat = QStringLiteral("hh[tt]");
    ScopedSettings scoped(s);
    EXPECT_EQ(FormatDateText(QStringLiteral("ddddd"), value_), QStringLiteral("07[||||]"));
    EXPECT_EQ(FormatDateText(QStringLiteral("c"), value_), QStringLiteral("07[||||] 14[]"));
}

TEST_F(DateFormat, OutputIsCutAt256Characters) {
    const QString text = FormatDateText(QString(300, u'x'), value_);
    EXPECT_EQ(text, QString(256, u'x'));
    EXPECT_EQ(FormatDateText(QString(100, u'c'), value_).size(), 19);
    EXPECT_EQ(FormatDateText(QString(200, u'Y') + u'x', value_), QStringLiteral("2015x"));
    EXPECT_EQ(FormatDateText(QStringLiteral("dddd ").repeated(40), value_).size(), 256);
}

TEST_F(DateFormat, ValuesOutsideTheCalendar) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double value : {nan, inf, -inf, 1e300, -1e300, -693594.0, 2958466.0}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(FormatDateText(QStringLiteral("dd/mm/yyyy ddd mmmm"), value),
                  QStringLiteral("00/00/0000  "));
    }
    EXPECT_EQ(FormatDateText(QStringLiteral("dd/mm/yyyy"), DateTime::kMinDays),
              QStringLiteral("01/01/0001"));
    EXPECT_EQ(FormatDateText(QStringLiteral("dd/mm/yy"), At(5, 1, 2)), QStringLiteral("02/01/05"));
    EXPECT_EQ(FormatDateText(QStringLiteral("dd/mm/yyyy hh:nn:ss"), DateTime::kMaxDays + 0.99999),
              QStringLiteral("31/12/9999 23:59:59"));
    // A time that rounds to midnight moves to the next day.
    EXPECT_EQ(FormatDateText(QStringLiteral("dd/mm/yyyy hh:nn:ss.zzz ddd"),
                             At(2015, 3, 7) + 0.9999999999),
              QStringLiteral("08/03/2015 00:00:00.000 dom"));
}

// A run of "a" is one token when its letters share their case: three or
// four are the short or long day name, any other run is written as it
// stands. The markers are read before runs.
TEST_F(DateFormat, DayNameRuns) {
    struct Row {
        const char* pattern;
        const char* expected;
    };
    const Row rows[] = {
        {"a|aa", "a|aa"},   {"AAA|AAAA", "sáb|sábado"},
        {"aaaaa", "aaaaa"}, {"aaaaaa", "aaaaaa"},
        {"Aaaa", "Asáb"},   {"aaaA", "sábA"},
        {"aaAA", "aaAA"},   {"aAa", "aAa"},
        {"AaAa", "AaAa"},   {"aaaa h am/pm", "sábado 2 pm"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatDateText(QString::fromUtf8(row.pattern), value_).toStdString(),
                  row.expected)
            << row.pattern;
    }
}

// Decoding and formatting give a value the same day: its time rounded to
// the millisecond, a time that reaches midnight carried into the next day
// (for values before 1899 too, whose time counts back from their date).
TEST_F(DateFormat, DecodingAndFormattingAgreeOnTheDayNearMidnight) {
    struct Row {
        double value;
        const char* day;
        int dayOfWeek;
    };
    const Row rows[] = {
        {59278.999999999, "2062-04-18 ter", 3},
        {59278.9999999, "2062-04-17 seg", 2}, // 23:59:59.991 stays on its day
        {59278.5, "2062-04-17 seg", 2},
        {-390.9999999999, "1898-12-06 ter", 3},
        {-390.5, "1898-12-05 seg", 2},
        {-0.9999999999, "1899-12-31 dom", 1},
        {DateTime::kMaxDays + 0.9999999999, "0000-00-00 ", 0}, // past 31/12/9999
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(FormatDateText(QStringLiteral("yyyy-mm-dd ddd"), row.value).toStdString(),
                  row.day);
        const DateTime::Date d = DateTime::DecodeDate(row.value);
        EXPECT_EQ(QStringLiteral("%1-%2-%3")
                      .arg(d.Year, 4, 10, QLatin1Char('0'))
                      .arg(d.Month, 2, 10, QLatin1Char('0'))
                      .arg(d.Day, 2, 10, QLatin1Char('0'))
                      .toStdString(),
                  std::string(row.day, 10));
        EXPECT_EQ(DateTime::DayOfWeek(row.value), row.dayOfWeek);
    }
}

class DateParse : public ::testing::Test {
protected:
    ScopedSettings settings_{BrazilianSettings()};
    ScopedClock clock_{At(2015, 6, 15, 10, 0)};

    static void ExpectFailure(const QString& text) {
        try {
            ParseDateTime(text);
            ADD_FAILURE() << "read as a date: " << text.toStdString();
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u'\'' + text + QStringLiteral("' is not a valid date and time"));
        }
    }
};

TEST_F(DateParse, DayFirstAndMonthFirst) {
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/3/15")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral(" 1 / 3 / 2015")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/02015")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015 ")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015/")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("29/02/2016")), At(2016, 2, 29));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03")), At(2015, 3, 1)); // the current year

    RegionalSettings us = BrazilianSettings();
    us.ShortDateFormat = QStringLiteral("M/d/yyyy");
    ScopedSettings monthFirst(us);
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015")), At(2015, 1, 3));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03")), At(2015, 1, 3));

    RegionalSettings iso = BrazilianSettings();
    iso.ShortDateFormat = QStringLiteral("'day' yyyy-mm-dd");
    iso.DateSeparator = u'-';
    ScopedSettings yearFirst(iso);
    EXPECT_EQ(ParseDateTime(QStringLiteral("2015-03-01")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("3-1")), At(2015, 3, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("15-3-1")), At(2015, 3, 1));
}

TEST_F(DateParse, TwoDigitYearWindow) {
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/1/15")), At(2015, 1, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/1/64")), At(2064, 1, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/1/65")), At(1965, 1, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/1/0")), At(2000, 1, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/1/065")), At(65, 1, 1)); // three digits: as written
    ScopedClock later(At(2090, 1, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/1/39")), At(2139, 1, 1));
    EXPECT_EQ(ParseDateTime(QStringLiteral("1/1/40")), At(2040, 1, 1));
}

TEST_F(DateParse, DateAndTime) {
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015 10:30")), At(2015, 3, 1, 10, 30));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015 10:30:15,250")),
              At(2015, 3, 1, 10, 30, 15, 250));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015 2:30 pm")), At(2015, 3, 1, 14, 30));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015 AM 12:05")), At(2015, 3, 1, 0, 5));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015 10:30 and more")), At(2015, 3, 1, 10, 30));
    // Before 30 December 1899 the time counts backwards from the date.
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/01/1800 06:00")),
              DateTime::EncodeDate(1800, 1, 1) - 0.25);
    // A time alone.
    EXPECT_EQ(ParseDateTime(QStringLiteral("14:30")), At(1899, 12, 30, 14, 30));
    EXPECT_EQ(ParseDateTime(QStringLiteral(" 7 PM ")), At(1899, 12, 30, 19, 0));

    RegionalSettings s = BrazilianSettings();
    s.TimeAMString = QStringLiteral("da manhã");
    s.TimePMString = QStringLiteral("da tarde");
    ScopedSettings scoped(s);
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015 2:30 DA TARDE")), At(2015, 3, 1, 14, 30));
}

TEST_F(DateParse, InvalidTextsFail) {
    for (const char* text :
         {"31/02/2015", "13/13/2015", "00/01/2015", "", "  /  /    ", "03/2015", "01/03/2015 25:00",
          "10:30 and more", "0:30 PM", "13:00 PM", "10:60", "10:30:60", "10:30:00,1000", "12:", "/",
          "abc", "\t01/03/2015", "01/03/2015 \x01", "01\x7f/03/2015"}) {
        SCOPED_TRACE(text);
        ExpectFailure(QString::fromLatin1(text));
    }
    double value = 7;
    EXPECT_FALSE(TryParseDateTime(QStringLiteral("31/02/2015"), value));
    EXPECT_EQ(value, 7);
}

TEST_F(DateParse, DateAloneRefusesATimeAfterIt) {
    double value = 7;
    EXPECT_TRUE(TryParseDate(QStringLiteral(" 10/03/2014 "), value));
    EXPECT_EQ(value, DateTime::EncodeDate(2014, 3, 10));
    EXPECT_TRUE(TryParseDate(QStringLiteral("1 /3 /2014"), value));
    EXPECT_EQ(value, DateTime::EncodeDate(2014, 3, 1));
    value = 7;
    for (const char* text :
         {"10/03/20 4", "10/03/2014 12:00", "10/03/", "10/03/    ", "12:00", "", "  /  /    "}) {
        EXPECT_FALSE(TryParseDate(QString::fromLatin1(text), value)) << text;
    }
    EXPECT_EQ(value, 7);
}

TEST_F(DateParse, RoundTripsWhatFormatWrites) {
    const QString pattern = QStringLiteral("dd/mm/yyyy hh:nn:ss,zzz");
    // Before 30 December 1899 the time is subtracted from the date.
    const double beforeEpoch = DateTime::EncodeDate(1899, 12, 29) - 0.75;
    const double firstDay = DateTime::EncodeDate(1, 1, 1) - 1.0 / 86400000;
    for (const double value : {firstDay, beforeEpoch, At(1899, 12, 30),
                               At(2015, 3, 7, 14, 5, 9, 45), At(9999, 12, 31, 23, 59, 59, 999)}) {
        const QString text = FormatDateText(pattern, value);
        SCOPED_TRACE(text.toStdString());
        EXPECT_NEAR(ParseDateTime(text), value, 1e-9);
    }
}

} // namespace
