#pragma once
// Amounts and numbers written by a number pattern: up to three sections
// separated by ";" (positive, negative, zero) made of "0" and "#" digit
// placeholders, "." for the decimal point, "," for grouping, quoted text
// and literal characters. Patterns longer than 224 characters raise
// EConvertError "Format string too long".
#include <QString>
#include <cstdint>

struct RegionalSettings;

// A floating value of extended precision. Rounds the 18-digit expansion of
// the binary value half away from zero, so 0.125 gives 0,13.
QString FormatNumberText(const QString& pattern, long double value);
QString FormatNumberText(const QString& pattern, long double value,
                         const RegionalSettings& settings);

// A fixed-point amount in ten-thousandths, exactly and without floating
// point; rounds half to even, so 0.125 gives 0,12.
QString FormatFixedText(const QString& pattern, std::int64_t amount);
QString FormatFixedText(const QString& pattern, std::int64_t amount,
                        const RegionalSettings& settings);

// The general format: at most 15 significant digits, the decimal separator,
// no grouping; exponent notation for very large or small magnitudes; "NAN",
// "INF" and "-INF" for values that are not finite.
QString FloatToText(long double value);
QString FloatToText(long double value, const RegionalSettings& settings);

// A fixed-point amount in the general format: its exact digits, without
// trailing decimal zeros.
QString FixedToText(std::int64_t amount);
QString FixedToText(std::int64_t amount, const RegionalSettings& settings);

// Plain decimal digits with a leading "-" when negative; no grouping.
QString IntToText(std::int64_t value);
