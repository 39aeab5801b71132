#include "DecimalDigits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// An unsigned integer of any size, enough for the exact expansion of the
// rare magnitudes outside the fast path (huge, tiny or denormal values).
class BigNum {
public:
    explicit BigNum(std::uint64_t value) {
        limbs_.push_back(static_cast<std::uint32_t>(value));
        limbs_.push_back(static_cast<std::uint32_t>(value >> 32));
        Trim();
    }

    void ShiftLeft(int bits) {
        const std::size_t words = static_cast<std::size_t>(bits / 32);
        const int rest = bits % 32;
        if (rest != 0) {
            std::uint32_t carry = 0;
            for (std::uint32_t& limb : limbs_) {
                const std::uint32_t next = limb >> (32 - rest);
                limb = (limb << rest) | carry;
                carry = next;
            }
            if (carry != 0) {
                limbs_.push_back(carry);
            }
        }
        limbs_.insert(limbs_.begin(), words, 0u);
    }

    void Multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            const std::uint64_t product = std::uint64_t{limb} * factor + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(carry));
        }
        Trim();
    }

    void MultiplyPow10(int exponent) {
        for (; exponent >= 9; exponent -= 9) {
            Multiply(1000000000u);
        }
        static constexpr std::uint32_t kPowers[] = {1,      10,      100,      1000,     10000,
                                                    100000, 1000000, 10000000, 100000000};
        Multiply(kPowers[exponent]);
    }

    void Subtract(const BigNum& other) {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            std::int64_t diff = std::int64_t{limbs_[i]} - borrow -
                                (i < other.limbs_.size() ? std::int64_t{other.limbs_[i]} : 0);
            borrow = diff < 0 ? 1 : 0;
            limbs_[i] = static_cast<std::uint32_t>(diff + (borrow << 32));
        }
        Trim();
    }

    int Compare(const BigNum& other) const {
        if (limbs_.size() != other.limbs_.size()) {
            return limbs_.size() < other.limbs_.size() ? -1 : 1;
        }
        for (std::size_t i = limbs_.size(); i-- > 0;) {
            if (limbs_[i] != other.limbs_[i]) {
                return limbs_[i] < other.limbs_[i] ? -1 : 1;
            }
        }
        return 0;
    }

    bool IsZero() const { return limbs_.empty(); }

private:
    void Trim() {
        while (!limbs_.empty() && limbs_.back() == 0) {
            limbs_.pop_back();
        }
    }

    std::vector<std::uint32_t> limbs_;
};

// Raw digits and whether anything non-zero follows them, before rounding.
struct RawDigits {
    DecimalDigits digits;
    bool sticky = false;
};

void Push(RawDigits& raw, int digit, int wanted) {
    if (raw.digits.Count < wanted) {
        raw.digits.Digits[static_cast<std::size_t>(raw.digits.Count++)] = static_cast<char>(digit);
    } else if (digit != 0) {
        raw.sticky = true;
    }
}

// Writes the decimal digits of a value, most significant first, exactly
// `width` of them (leading zeros included); returns `width`. Two digits per
// division halve the chain of dependent divisions.
int WriteDigits(std::uint64_t value, int width, char* out) {
    int k = width;
    while (k >= 2) {
        const auto pair = static_cast<unsigned>(value % 100);
        value /= 100;
        out[--k] = static_cast<char>(pair % 10);
        out[--k] = static_cast<char>(pair / 10);
    }
    if (k == 1) {
        out[0] = static_cast<char>(value % 10);
    }
    return width;
}

int DigitCount(std::uint64_t value) {
    int count = 0;
    for (std::uint64_t power = 1; count < 20 && value >= power; power *= 10) {
        ++count;
        if (power > std::numeric_limits<std::uint64_t>::max() / 10) {
            break;
        }
    }
    return count;
}

// magnitude = mantissa * 2^-shift with 0 < shift <= 124 and a normalised
// mantissa (top bit set): the integer part fits 64 bits and the fraction
// digits come from 128-bit multiplications, exactly.
RawDigits FastDigits(std::uint64_t mantissa, int shift, int wanted) {
    using u128 = unsigned __int128;
    const u128 mask = (u128{1} << shift) - 1;
    const std::uint64_t integer = shift < 64 ? mantissa >> shift : 0;
    u128 fraction = u128{mantissa} & mask;
    char buffer[80];
    int length = WriteDigits(integer, DigitCount(integer), buffer);
    int exponent = length;
    if (shift <= 64) {
        // All 19 fraction digits from one multiplication: 10^19 < 2^64, so
        // the product stays within 128 bits.
        const u128 scaled = fraction * u128{10000000000000000000ull};
        length += WriteDigits(static_cast<std::uint64_t>(scaled >> shift), 19, buffer + length);
        fraction = scaled & mask;
    } else {
        // Below 0.5: at most 19 leading zeros before the digits wanted.
        while (fraction != 0 && length < wanted + 20) {
            fraction *= 10;
            buffer[length++] = static_cast<char>(fraction >> shift);
            fraction &= mask;
        }
    }
    int first = 0;
    while (first < length && buffer[first] == 0) {
        ++first;
        --exponent;
    }
    RawDigits raw;
    const int count = std::min(length - first, wanted);
    std::memcpy(raw.digits.Digits.data(), buffer + first, static_cast<std::size_t>(count));
    raw.digits.Count = count;
    raw.digits.Exponent = exponent;
    raw.sticky = fraction != 0;
    for (int i = first + count; i < length && !raw.sticky; ++i) {
        raw.sticky = buffer[i] != 0;
    }
    return raw;
}

RawDigits BigDigits(std::uint64_t mantissa, int exponent2, long double magnitude, int wanted) {
    BigNum r(mantissa);
    BigNum s(1);
    if (exponent2 > 0) {
        r.ShiftLeft(exponent2);
    } else {
        s.ShiftLeft(-exponent2);
    }
    // Scale so that r / s lies in [0.1, 1); the logarithm is only a first guess.
    int exponent10 = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    if (exponent10 > 0) {
        s.MultiplyPow10(exponent10);
    } else {
        r.MultiplyPow10(-exponent10);
    }
    while (r.Compare(s) >= 0) {
        s.Multiply(10);
        ++exponent10;
    }
    for (;;) {
        BigNum tenR = r;
        tenR.Multiply(10);
        if (tenR.Compare(s) >= 0) {
            break;
        }
        r = tenR;
        --exponent10;
    }
    RawDigits raw;
    raw.digits.Exponent = exponent10;
    for (int i = 0; i < wanted && !r.IsZero(); ++i) {
        r.Multiply(10);
        int digit = 0;
        while (r.Compare(s) >= 0) {
            r.Subtract(s);
            ++digit;
        }
        Push(raw, digit, wanted);
    }
    raw.sticky = !r.IsZero();
    return raw;
}

// magnitude = mantissa * 2^exponent2, exactly.
void SplitBinary(long double magnitude, std::uint64_t& mantissa, int& exponent2) {
    if constexpr (std::numeric_limits<long double>::digits == 64 &&
                  std::numeric_limits<long double>::max_exponent == 16384) {
        // The x87 extended format: an explicit 64-bit mantissa followed by a
        // 15-bit biased exponent. Reading the bits avoids two library calls.
        std::uint16_t signAndExponent = 0;
        std::memcpy(&mantissa, &magnitude, sizeof mantissa);
        std::memcpy(&signAndExponent, reinterpret_cast<const char*>(&magnitude) + 8,
                    sizeof signAndExponent);
        const int biased = signAndExponent & 0x7fff;
        exponent2 = (biased == 0 ? 1 : biased) - 16383 - 63;
    } else {
        const long double fraction = std::frexp(magnitude, &exponent2);
        mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
        exponent2 -= 64;
    }
}

void DropTrailingZeros(DecimalDigits& digits) {
    while (digits.Count > 0 && digits.Digits[static_cast<std::size_t>(digits.Count - 1)] == 0) {
        --digits.Count;
    }
    if (digits.Count == 0) {
        digits.Exponent = 0;
    }
}

void RoundUp(DecimalDigits& digits) {
    for (int i = digits.Count - 1; i >= 0; --i) {
        char& digit = digits.Digits[static_cast<std::size_t>(i)];
        if (digit != 9) {
            ++digit;
            return;
        }
        digit = 0;
    }
    // All nines (or nothing kept): the value grows by one decimal place.
    digits.Digits[0] = 1;
    digits.Count = 1;
    ++digits.Exponent;
}

} // namespace

DecimalDigits ExactDigits(long double magnitude, int significant) {
    std::uint64_t mantissa = 0;
    int exponent2 = 0;
    SplitBinary(magnitude, mantissa, exponent2);
    const int wanted = significant + 1;
    RawDigits raw = exponent2 < 0 && exponent2 >= -124
                        ? FastDigits(mantissa, -exponent2, wanted)
                        : BigDigits(mantissa, exponent2, magnitude, wanted);
    DecimalDigits& digits = raw.digits;
    if (digits.Count > significant) {
        const int next = digits.Digits[static_cast<std::size_t>(significant)];
        const bool odd = digits.Digits[static_cast<std::size_t>(significant - 1)] % 2 != 0;
        digits.Count = significant;
        if (next > 5 || (next == 5 && (raw.sticky || odd))) {
            RoundUp(digits);
        }
    }
    DropTrailingZeros(digits);
    return digits;
}

DecimalDigits FixedDigits(std::uint64_t tenThousandths) {
    DecimalDigits digits;
    digits.Count = WriteDigits(tenThousandths, DigitCount(tenThousandths), digits.Digits.data());
    digits.Exponent = digits.Count - 4;
    DropTrailingZeros(digits);
    return digits;
}

void RoundDigits(DecimalDigits& digits, int keep, RoundingMode mode) {
    if (keep >= digits.Count) {
        return;
    }
    if (keep < 0) {
        digits.Count = 0;
        digits.Exponent = 0;
        return;
    }
    const int next = digits.Digits[static_cast<std::size_t>(keep)];
    bool up = next >= 5;
    if (mode == RoundingMode::HalfEven && next == 5) {
        const bool rest = keep + 1 < digits.Count; // trailing zeros are already gone
        const bool odd = keep > 0 && digits.Digits[static_cast<std::size_t>(keep - 1)] % 2 != 0;
        up = rest || odd;
    }
    digits.Count = keep;
    if (up) {
        RoundUp(digits);
    }
    DropTrailingZeros(digits);
}
