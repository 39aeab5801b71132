#pragma once
// Date-time values: days since 30 December 1899 as a double, the fraction
// being the time of day. Gregorian calendar, extended backwards, years 1 to
// 9999.
#include <functional>

namespace DateTime {

struct Date {
    int Year = 0;
    int Month = 0;
    int Day = 0;
};

struct Time {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int MSec = 0;
};

// The first and the last day this calendar holds: 1 January 1 and
// 31 December 9999.
inline constexpr int kMinDays = -693593;
inline constexpr int kMaxDays = 2958465;

bool IsLeapYear(int year) noexcept;
int DaysInMonth(int year, int month) noexcept;
bool IsValidDate(int year, int month, int day) noexcept;
bool IsValidTime(int hour, int minute, int second, int msec) noexcept;

// False, leaving the result alone, when the date is not valid.
bool TryEncodeDate(int year, int month, int day, double& result) noexcept;
// Raises EConvertError "Invalid argument to date encode" for an invalid date.
double EncodeDate(int year, int month, int day);
// The last day of the value's month (its date, no time of day).
double LastDayOfMonth(double value);
bool TryEncodeTime(int hour, int minute, int second, int msec, double& result) noexcept;

// The value's day: its time rounded to the millisecond, a time that reaches
// midnight carrying into the next day, as the date formatting shows it.
// All zero for values before year 1, after year 9999, or not finite.
Date DecodeDate(double value) noexcept;
// The time of day of a value; negative values count their time backwards
// from their date (-1.25 is 29 December 1899, 06:00).
Time DecodeTime(double value) noexcept;
// Date and time together, with a time that rounds up to midnight carried
// into the next day.
void DecodeDateTime(double value, Date& date, Time& time) noexcept;
// 1 for Sunday to 7 for Saturday, of the day DecodeDate gives; 0 when the
// value is outside the calendar.
int DayOfWeek(double value) noexcept;

// The clock, replaceable so tests do not depend on the real date.
double Now();
// Now with the time of day cut off.
double Today();
int CurrentYear();
// An empty function restores the system clock.
void SetClock(std::function<double()> now);

} // namespace DateTime
