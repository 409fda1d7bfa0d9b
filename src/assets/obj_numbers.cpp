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

} // namespace kes::obj
