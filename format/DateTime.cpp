#include "DateTime.h"

#include "Exception.h"

#include <QDateTime>
#include <cmath>

namespace DateTime {

namespace {

constexpr int kDaysBeforeMonth[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};
constexpr double kMSecsPerDay = 86400000.0;
// Days from 1 January 1 (day 0) to 30 December 1899.
constexpr int kEpochOffset = 693593;

std::function<double()>& ClockFunction() {
    static std::function<double()> clock;
    return clock;
}

double SystemNow() {
    const QDateTime now = QDateTime::currentDateTime();
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(now.date()));
    return days + now.time().msecsSinceStartOfDay() / kMSecsPerDay;
}

bool InCalendar(double days) noexcept {
    return std::isfinite(days) && days >= kMinDays && days <= kMaxDays;
}

Date DecodeDays(int days) noexcept {
    int t = days + kEpochOffset;
    int year = 1 + (t / 146097) * 400;
    t %= 146097;
    int centuries = t / 36524;
    if (centuries == 4) {
        centuries = 3;
    }
    t -= centuries * 36524;
    year += centuries * 100 + (t / 1461) * 4;
    t %= 1461;
    int years = t / 365;
    if (years == 4) {
        years = 3;
    }
    t -= years * 365;
    year += years;
    const int(&before)[13] = kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0];
    int month = 1;
    while (t >= before[month]) {
        ++month;
    }
    return {year, month, t - before[month - 1] + 1};
}

Time DecodeMSecs(int msecs) noexcept {
    Time time;
    time.Hour = msecs / 3600000;
    time.Minute = msecs / 60000 % 60;
    time.Second = msecs / 1000 % 60;
    time.MSec = msecs % 1000;
    return time;
}

// Whole days and milliseconds of the day, with the rounding carry applied.
// Every reading of a value's day goes through here, so a time that rounds
// up to midnight puts the value on the next day for all of them alike.
bool Split(double value, double& days, int& msecs) noexcept {
    if (!std::isfinite(value)) {
        return false;
    }
    days = std::trunc(value);
    const double ms = std::round(std::fabs(value - days) * kMSecsPerDay);
    msecs = static_cast<int>(ms);
    if (msecs >= 86400000) {
        msecs = 0;
        days += 1;
    }
    return true;
}

} // namespace

bool IsLeapYear(int year) noexcept {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) noexcept {
    if (month < 1 || month > 12) {
        return 0;
    }
    const int(&before)[13] = kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0];
    return before[month] - before[month - 1];
}

bool IsValidDate(int year, int month, int day) noexcept {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int msec) noexcept {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           msec >= 0 && msec < 1000;
}

bool TryEncodeDate(int year, int month, int day, double& result) noexcept {
    if (!IsValidDate(year, month, day)) {
        return false;
    }
    const int y = year - 1;
    const int dayOfYear = kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0][month - 1] + day;
    result =
        static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - 1 - kEpochOffset);
    return true;
}

double EncodeDate(int year, int month, int day) {
    double result = 0;
    if (!TryEncodeDate(year, month, day, result)) {
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    }
    return result;
}

double LastDayOfMonth(double value) {
    const Date d = DecodeDate(value);
    const int year = d.Month == 12 ? d.Year + 1 : d.Year;
    const int month = d.Month == 12 ? 1 : d.Month + 1;
    return EncodeDate(year, month, 1) - 1;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, double& result) noexcept {
    if (!IsValidTime(hour, minute, second, msec)) {
        return false;
    }
    result = (hour * 3600000 + minute * 60000 + second * 1000 + msec) / kMSecsPerDay;
    return true;
}

void DecodeDateTime(double value, Date& date, Time& time) noexcept {
    double days = 0;
    int msecs = 0;
    date = {};
    time = {};
    if (!Split(value, days, msecs)) {
        return;
    }
    time = DecodeMSecs(msecs);
    if (InCalendar(days)) {
        date = DecodeDays(static_cast<int>(days));
    }
}

Date DecodeDate(double value) noexcept {
    double days = 0;
    int msecs = 0;
    if (!Split(value, days, msecs) || !InCalendar(days)) {
        return {};
    }
    return DecodeDays(static_cast<int>(days));
}

Time DecodeTime(double value) noexcept {
    double days = 0;
    int msecs = 0;
    return Split(value, days, msecs) ? DecodeMSecs(msecs) : Time{};
}

int DayOfWeek(double value) noexcept {
    double days = 0;
    int msecs = 0;
    if (!Split(value, days, msecs) || !InCalendar(days)) {
        return 0;
    }
    // 1 January 1 was a Monday.
    return (static_cast<int>(days) + kEpochOffset + 1) % 7 + 1;
}

double Now() {
    const std::function<double()>& clock = ClockFunction();
    return clock ? clock() : SystemNow();
}

double Today() {
    return std::trunc(Now());
}

int CurrentYear() {
    return DecodeDate(Now()).Year;
}

void SetClock(std::function<double()> now) {
    ClockFunction() = std::move(now);
}

} // namespace DateTime
