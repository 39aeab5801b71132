#pragma once
// Decimal digits of a value, shared by the number formatting operations.
// Private to format/; tests may include it.
#include <array>
#include <cstdint>

struct DecimalDigits {
    // Digit values 0 to 9, most significant first, no leading zeros and,
    // after rounding, no trailing zeros. No digits means zero.
    std::array<char, 48> Digits{};
    int Count = 0;
    // The number of digits before the decimal point: 1234.5 has 4, 0.5 has 0,
    // 0.005 has -2.
    int Exponent = 0;
};

enum class RoundingMode { HalfEven, HalfAwayFromZero };

// The exact decimal value of a positive finite magnitude, rounded half to
// even to at most `significant` digits (1 to 40).
DecimalDigits ExactDigits(long double magnitude, int significant);

// The digits of a fixed-point amount of ten-thousandths, exactly.
DecimalDigits FixedDigits(std::uint64_t tenThousandths);

// Keeps the first `keep` digits and rounds on the rest; nothing is kept when
// `keep` is negative. With HalfEven the digits must be exact; with
// HalfAwayFromZero only the next digit decides. Trailing zeros are dropped.
void RoundDigits(DecimalDigits& digits, int keep, RoundingMode mode);
