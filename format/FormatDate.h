#pragma once
// Dates and times written by a date pattern, and read back from text.
#include <QString>

struct RegionalSettings;

// Writes a date-time value (days since 30 December 1899) by a pattern of
// tokens such as dd, mm, yyyy, hh, nn, ss, am/pm, ddddd and c. An empty
// pattern means c. The result holds at most 256 characters.
QString FormatDateText(const QString& pattern, double value);
QString FormatDateText(const QString& pattern, double value, const RegionalSettings& settings);

// Reads a date, optionally followed by a time, or a time alone. Raises
// EConvertError "'<text>' is not a valid date and time" when it cannot.
// A date without a year takes the current year, and two-digit years are
// completed by a 50-year window around it.
double ParseDateTime(const QString& text);
double ParseDateTime(const QString& text, const RegionalSettings& settings);

// A date alone, without a time after it: false when the text is anything else.
bool TryParseDate(const QString& text, double& value);
bool TryParseDate(const QString& text, double& value, const RegionalSettings& settings);

// The same, without raising: false when the text is not a date and time.
bool TryParseDateTime(const QString& text, double& value);
bool TryParseDateTime(const QString& text, double& value, const RegionalSettings& settings);
