// Reading the numbers of OBJ text: coordinates and indices. The rules never
// depend on the process locale: "." is always the decimal point.
#pragma once

#include <charconv>
#include <cstdint>
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

// The value of a number that does not fit a float: infinity for one too large,
// zero for one too small (with its sign applied by the caller).
float outOfRangeFloat(const char* first, const char* last);

// Reads a decimal number at the start of [p, end): blanks other than the space,
// an optional sign, digits with an optional "." and fraction digits, and an
// optional exponent ("e" or "E", optional sign, digits). Reading stops at the
// first character that does not fit. The value is rounded to the nearest
// float. Returns where reading stopped; when no number starts at p, returns p
// and sets `value` to 0.
inline const char* readFloat(const char* p, const char* end, float& value)
{
    const char* q = p;
    while (q != end && isInnerBlank(*q))
        ++q;
    bool negative = false;
    if (q != end && (*q == '-' || *q == '+')) {
        negative = *q == '-';
        ++q;
    }
    // from_chars would also take "inf" and "nan"; a number here starts with a
    // digit or a point.
    if (q == end || !(isDigit(*q) || *q == '.')) {
        value = 0;
        return p;
    }
    float magnitude = 0;
    std::from_chars_result result = std::from_chars(q, end, magnitude, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) [[unlikely]] {
        value = 0;
        return p;
    }
    if (result.ec == std::errc::result_out_of_range) [[unlikely]]
        magnitude = outOfRangeFloat(q, result.ptr);
    value = negative ? -magnitude : magnitude;
    return result.ptr;
}

// Indices beyond this are all equally out of range; reading saturates here.
inline constexpr std::int64_t kIndexLimit = std::int64_t(1) << 48;

// Reads a decimal integer at the start of [p, end): blanks other than the
// space, an optional sign, then digits. Returns where reading stopped; when no
// digits follow, returns p and sets `value` to 0.
inline const char* readIndex(const char* p, const char* end, std::int64_t& value)
{
    const char* q = p;
    while (q != end && isInnerBlank(*q))
        ++q;
    bool negative = false;
    if (q != end && (*q == '-' || *q == '+')) {
        negative = *q == '-';
        ++q;
    }
    if (q == end || !isDigit(*q)) {
        value = 0;
        return p;
    }
    std::int64_t magnitude = 0;
    do {
        magnitude = magnitude * 10 + (*q - '0');
        if (magnitude > kIndexLimit)
            magnitude = kIndexLimit;
        ++q;
    } while (q != end && isDigit(*q));
    value = negative ? -magnitude : magnitude;
    return q;
}

} // namespace kes::obj
