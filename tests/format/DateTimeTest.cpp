#include "DateTime.h"

#include "Exception.h"
#include "FormatTestSupport.h"

#include <QDate>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace DateTime;

TEST(DateTime, EncodeAndDecodeAgreeWithQDateOverTheWholeCalendar) {
    const QDate epoch(1899, 12, 30);
    for (int days = kMinDays; days <= kMaxDays; ++days) {
        const QDate q = epoch.addDays(days);
        const Date d = DecodeDate(days);
        if (d.Year != q.year() || d.Month != q.month() || d.Day != q.day()) {
            FAIL() << "day " << days << " decodes to " << d.Year << '-' << d.Month << '-' << d.Day;
        }
        double encoded = 0;
        if (!TryEncodeDate(d.Year, d.Month, d.Day, encoded) || encoded != days) {
            FAIL() << "day " << days << " does not encode back";
        }
        if (DayOfWeek(days) != q.dayOfWeek() % 7 + 1) {
            FAIL() << "day " << days << " has the wrong day of the week";
        }
    }
}

TEST(DateTime, CalendarFacts) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(2015, 3, 7), 42070);
    EXPECT_EQ(EncodeDate(1, 1, 1), kMinDays);
    EXPECT_EQ(EncodeDate(9999, 12, 31), kMaxDays);
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2016));
    EXPECT_EQ(DaysInMonth(2015, 2), 28);
    EXPECT_EQ(DaysInMonth(2016, 2), 29);
    EXPECT_EQ(DaysInMonth(2016, 13), 0);
    // Any day or time of a month gives the month's last day.
    EXPECT_EQ(LastDayOfMonth(EncodeDate(2016, 2, 1)), EncodeDate(2016, 2, 29));
    EXPECT_EQ(LastDayOfMonth(EncodeDate(2015, 2, 14) + 0.5), EncodeDate(2015, 2, 28));
    EXPECT_EQ(LastDayOfMonth(EncodeDate(2014, 12, 1)), EncodeDate(2014, 12, 31));
    EXPECT_EQ(DayOfWeek(EncodeDate(2015, 3, 7)), 7); // a Saturday
    EXPECT_EQ(DayOfWeek(-1.5), 6);                   // 29 December 1899, a Friday
}

TEST(DateTime, InvalidDatesRaiseTheEncodeError) {
    const int cases[][3] = {{0, 1, 1},     {10000, 1, 1}, {-5, 1, 1},      {2015, 0, 1},
                            {2015, 13, 1}, {2015, 2, 29}, {2015, 4, 31},   {2015, 1, 0},
                            {1900, 2, 29}, {2015, 1, -1}, {1 << 30, 1, 1}, {2015, 1, 1 << 30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << '-' << c[1] << '-' << c[2]);
        try {
            EncodeDate(c[0], c[1], c[2]);
            ADD_FAILURE() << "encoded";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Invalid argument to date encode"));
        }
    }
}

TEST(DateTime, DecodingOutsideTheCalendarGivesZeros) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double value : {kMinDays - 1.0, kMaxDays + 1.0, -1e300, 1e300, nan,
                         std::numeric_limits<double>::infinity()}) {
        const Date d = DecodeDate(value);
        EXPECT_EQ(d.Year, 0);
        EXPECT_EQ(d.Month, 0);
        EXPECT_EQ(d.Day, 0);
        EXPECT_EQ(DayOfWeek(value), 0);
    }
}

TEST(DateTime, TimeOfDay) {
    const Time t = DecodeTime(EncodeDate(2015, 3, 7) + 0.75 + 2.0 / 86400000);
    EXPECT_EQ(t.Hour, 18);
    EXPECT_EQ(t.Minute, 0);
    EXPECT_EQ(t.Second, 0);
    EXPECT_EQ(t.MSec, 2);
    // Negative values count their time backwards from the date.
    const Time back = DecodeTime(-1.25);
    EXPECT_EQ(back.Hour, 6);
    double time = 0;
    EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999, time));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, time));
    EXPECT_FALSE(TryEncodeTime(0, -1, 0, 0, time));
}

TEST(DateTime, TheClockCanBeFixed) {
    {
        ScopedClock clock(EncodeDate(2015, 6, 15) + 0.5);
        EXPECT_EQ(Today(), EncodeDate(2015, 6, 15));
        EXPECT_EQ(CurrentYear(), 2015);
    }
    EXPECT_EQ(CurrentYear(), QDate::currentDate().year());
}

} // namespace
