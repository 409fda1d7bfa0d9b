// Reading the numbers of OBJ text: coordinates and indices. The rules never
// depend on the process locale: "." is always the decimal point.
//
// Both readers take the rest of a line, [p, end), and rely on the byte at
// `end` being readable and the line's CR or LF: the loops over digits stop
// there without comparing against `end`.
#pragma once

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

namespace kes::obj {

// White space that may stand before a number inside a token. The space itself
// is not among it: it always ends a token.
inline bool isInnerBlank(char c)
{
    return c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

inline bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// The value of four digit values, one per byte, the first in the lowest byte.
inline std::uint32_t valueOfFourDigits(std::uint32_t digits)
{
    // Pairs first: the low byte of each half becomes its two-digit value.
    digits = digits * 10 + (digits >> 8);
    return ((digits & 0x00FF00FF) * (1 + (100 << 16))) >> 16;
}

// Reads the run of decimal digits at q, which stops at `end` at the latest:
// `value` becomes value x 10^n plus the run's value, `count` grows by n, the
// number of digits. Past 19 digits `value` wraps around; the caller looks at
// `count`. Returns the end of the run.
//
// With kInFours (for runs that are usually long: fractions and indices), four
// digits are taken at once while the four bytes lie within the line and its
// end byte and all are digits; the rest are read two digits a round. Every step
// is a branch, not an address computed from the bytes: on the regular text
// that exporters write the processor predicts where runs end and runs ahead,
// which a reader that works out the run's length from a loaded word defeats.
template <bool kInFours>
inline const char* readDigitRun(const char* q, const char* end, std::uint64_t& value, std::ptrdiff_t& count)
{
    const char* const begin = q;
    if constexpr (kInFours && std::endian::native == std::endian::little) {
        while (end - q >= 3) {
            std::uint32_t chunk;
            std::memcpy(&chunk, q, 4);
            const std::uint32_t digits = chunk - 0x30303030u;
            // Each byte that is not a digit sets its high bit; a borrow or
            // carry only reaches bytes after the first such byte.
            if (((digits | (digits + 0x76767676u)) & 0x80808080u) != 0)
                break;
            value = value * 10000 + valueOfFourDigits(digits);
            q += 4;
        }
    }
    // Two digits a round. Each byte is widened once, without sign: the test
    // and the sum share it.
    for (;;) {
        const unsigned first = static_cast<unsigned>(static_cast<unsigned char>(q[0])) - unsigned('0');
        if (first > 9)
            break;
        // q[1] is readable: q[0] is a digit, so not the byte at `end`.
        const unsigned second = static_cast<unsigned>(static_cast<unsigned char>(q[1])) - unsigned('0');
        if (second > 9) {
            value = value * 10 + first;
            ++q;
            break;
        }
        value = value * 100 + (first * 10 + second);
        q += 2;
    }
    count += q - begin;
    return q;
}

// The value of a number that does not fit a float: infinity for one too large,
// zero for one too small (with its sign applied by the caller).
float outOfRangeFloat(const char* first, const char* last);

// The float nearest to the decimal number at `first`, whose text ends at
// `last` (digits, optional point and fraction, optional exponent).
float slowFloat(const char* first, const char* last);

// The float nearest to mantissa x 10^exponent10, found with one double
// multiplication, or false when that cannot be relied on. The product of the
// mantissa (exact up to 2^53) and the power of ten (exact for positive
// powers, rounded for negative ones) is within twice its last place of the
// exact number, so rounding it to float gives the float nearest to the exact
// number unless it lies within that distance of the midpoint between two
// floats. Such cases, and results outside the normal float range, take the
// slow path.
inline bool fastFloat(std::uint64_t mantissa, int exponent10, float& value)
{
    static constexpr double powersOf10[45] = {
        1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8,
        1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,  1e7,
        1e8,   1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21, 1e22};
    if (mantissa > (std::uint64_t(1) << 53) || exponent10 < -22 || exponent10 > 22)
        return false;
    const double wide = static_cast<double>(mantissa) * powersOf10[exponent10 + 22];
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(wide);
    const std::uint64_t biasedExponent = (bits >> 52) & 0x7FF;
    // Normal floats have double exponents 1023 - 126 ... 1023 + 127.
    if (biasedExponent < 1023 - 126 || biasedExponent > 1023 + 127)
        return false;
    // The 29 fraction bits a float drops; 0x10000000 is exactly half of its
    // last step. Within 3 of it (the error is below 2 and a bit) the product
    // may lie on the other side of the midpoint than the exact number.
    if ((bits & 0x1FFFFFFF) - (0x10000000 - 3) <= 6)
        return false;
    value = static_cast<float>(wide);
    return true;
}

// Reads a decimal number at the start of [p, end): blanks other than the space,
// an optional sign, digits with an optional "." and fraction digits, and an
// optional exponent ("e" or "E", optional sign, digits). Reading stops at the
// first character that does not fit. The value is rounded to the nearest
// float. Returns where reading stopped; when no number starts at p, returns p
// and sets `value` to 0.
//
// A number too large for a float (1e39) is not one either, as "inf" is not:
// then too, p is returned and `value` set to 0 (numberTooLarge tells the two
// apart). With kKeepInfinity it reads as an infinity instead.
template <bool kKeepInfinity = false>
inline const char* readFloat(const char* p, const char* end, float& value)
{
    const char* q = p;
    bool negative = false;
    if (!isDigit(*q)) {
        while (q != end && isInnerBlank(*q)) [[unlikely]]
            ++q;
        if (*q == '-' || *q == '+') {
            negative = *q == '-';
            ++q;
        }
    }
    const char* const digitsBegin = q;
    std::uint64_t mantissa = 0;
    std::ptrdiff_t digitCount = 0;
    q = readDigitRun<false>(q, end, mantissa, digitCount);
    std::ptrdiff_t fractionDigits = 0;
    if (*q == '.') {
        q = readDigitRun<true>(q + 1, end, mantissa, fractionDigits);
        digitCount += fractionDigits;
    }
    if (digitCount == 0) [[unlikely]] {
        value = 0;
        return p;
    }
    std::int64_t exponent = 0;
    if (*q == 'e' || *q == 'E') [[unlikely]] {
        const char* e = q + 1;
        bool negativeExponent = false;
        if (*e == '-' || *e == '+') {
            negativeExponent = *e == '-';
            ++e;
        }
        // "1e" and "1e+" end before the "e".
        if (isDigit(*e)) {
            do {
                if (exponent < 100000)
                    exponent = exponent * 10 + (*e - '0');
                ++e;
            } while (isDigit(*e));
            if (negativeExponent)
                exponent = -exponent;
            q = e;
        }
    }
    float magnitude;
    if (mantissa == 0 && digitCount <= 19) {
        magnitude = 0;
    } else if (!(digitCount <= 19 && fastFloat(mantissa, static_cast<int>(exponent - fractionDigits), magnitude)))
        [[unlikely]] {
        magnitude = slowFloat(digitsBegin, q);
        if (!kKeepInfinity && magnitude == std::numeric_limits<float>::infinity()) {
            value = 0;
            return p;
        }
    }
    value = negative ? -magnitude : magnitude;
    return q;
}

// True when a number too large for a float starts at p (see readFloat).
inline bool numberTooLarge(const char* p, const char* end)
{
    float value;
    return readFloat<true>(p, end, value) != p && (value == std::numeric_limits<float>::infinity()
                                                   || value == -std::numeric_limits<float>::infinity());
}

// Indices beyond this are all equally out of range; reading saturates here.
inline constexpr std::int64_t kIndexLimit = std::int64_t(1) << 48;

// readIndex for a field that starts with blanks or a sign.
const char* readSignedIndex(const char* p, const char* end, std::int64_t& value);

// Reads a decimal integer at the start of [p, end): blanks other than the
// space, an optional sign, then digits. Returns where reading stopped; when no
// digits follow, returns p and sets `value` to 0.
inline const char* readIndex(const char* p, const char* end, std::int64_t& value)
{
    if (!isDigit(*p)) [[unlikely]]
        return readSignedIndex(p, end, value);
    std::uint64_t magnitude = 0;
    std::ptrdiff_t digitCount = 0;
    const char* q = readDigitRun<true>(p, end, magnitude, digitCount);
    // 14 digits stay below the limit; more saturate (the sum may have wrapped).
    if (digitCount > 14) [[unlikely]]
        magnitude = std::uint64_t(kIndexLimit);
    value = static_cast<std::int64_t>(magnitude);
    return q;
}

} // namespace kes::obj
