#include "assets/obj_numbers.h"

#include <limits>

namespace kes::obj {

float outOfRangeFloat(const char* first, const char* last)
{
    constexpr float infinity = std::numeric_limits<float>::infinity();
    double wide = 0;
    std::from_chars_result result = std::from_chars(first, last, wide, std::chars_format::general);
    if (result.ec == std::errc()) {
        // Rounded to the nearest float, everything from half a step above the
        // largest float on is infinity.
        constexpr double overflowFrom = 0x1.ffffffp127;
        if (wide >= overflowFrom)
            return infinity;
        return static_cast<float>(wide);
    }
    // Beyond even a double: the sign of the exponent tells which way.
    for (const char* q = first; q != last; ++q) {
        if (*q == 'e' || *q == 'E')
            return (q + 1 != last && q[1] == '-') ? 0.0f : infinity;
    }
    return infinity;
}

float slowFloat(const char* first, const char* last)
{
    float value = 0;
    std::from_chars_result result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return outOfRangeFloat(first, last);
    return value;
}

const char* readSignedIndex(const char* p, const char* end, std::int64_t& value)
{
    const char* q = p;
    while (q != end && isInnerBlank(*q))
        ++q;
    bool negative = false;
    if (*q == '-' || *q == '+') {
        negative = *q == '-';
        ++q;
    }
    if (!isDigit(*q)) {
        value = 0;
        return p;
    }
    std::int64_t magnitude = 0;
    q = readIndex(q, end, magnitude);
    value = negative ? -magnitude : magnitude;
    return q;
}

} // namespace kes::obj
