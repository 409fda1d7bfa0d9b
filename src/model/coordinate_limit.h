// How far from the origin a level's coordinates sensibly go. Values beyond
// are finite but almost surely mistakes (a vertex at 1e38, a speed of 1e30):
// the preview leaves them out when it frames the level, and the check warns
// about them.
#pragma once

#include <cmath>

namespace kes {

inline constexpr float kCoordinateLimit = 1e6f;

// "±1000000", for messages.
inline constexpr char kCoordinateLimitText[] = "\u00b11000000";

// True for a finite value within ±kCoordinateLimit.
inline bool withinCoordinateLimit(float value)
{
    return std::fabs(value) <= kCoordinateLimit; // false for NaN
}

} // namespace kes
