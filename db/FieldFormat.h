#pragma once
// How field values become text: the display formats of number and date
// fields and the plain texts of numbers and dates. Shared by the Firebird
// fields and the in-memory dataset so both show values alike.
#include <QString>
#include <cstdint>

namespace FieldFormat {

// A fixed-point amount (ten-thousandths) through a number pattern.
QString FixedText(const QString& pattern, std::int64_t amount);
// A floating-point value through a number pattern.
QString NumberText(const QString& pattern, long double value);
// A date-time (days since 30 December 1899) through a date pattern; an empty
// pattern gives the short date and, when there is a time, the long time.
QString DateText(const QString& pattern, double dateTime);

// Plain texts, as a field without display format shows its value.
QString PlainDate(double dateTime);     // the short date pattern
QString PlainTime(double dateTime);     // the long time pattern
QString PlainDateTime(double dateTime); // date, then the time when not midnight
// A scaled integer written in decimal with the regional decimal separator,
// trailing zeros of the fraction dropped ("1234,5").
QString PlainScaled(std::int64_t unscaled, int scale);
QString PlainFloat(double value);

// Reads a date, optionally followed by a time; raises EConvertError.
double ParseDateTime(const QString& text);
// Reads a decimal number written with '.' or the regional separator into
// ten-thousandths; false when the text is not such a number.
bool ParseCurrency(const QString& text, std::int64_t& amount);

} // namespace FieldFormat
