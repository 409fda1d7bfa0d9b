#include "scene/snapping.h"

#include <cmath>

namespace kes {

float snapToGrid(float value, float grid)
{
    if (!(grid > 0) || !std::isfinite(value))
        return value;
    // In double, so that a multiple of a power-of-two grid comes out exact
    // and no float rounding of value / grid moves a tie.
    const double steps = std::round(static_cast<double>(value) / grid);
    const float snapped = static_cast<float>(steps * grid);
    return snapped == 0 ? 0.0f : snapped; // no -0
}

ScenePoint snapToGrid(const ScenePoint& p, float grid)
{
    return {snapToGrid(p.x, grid), snapToGrid(p.y, grid), snapToGrid(p.z, grid)};
}

float snapAngle(float degrees, float step) { return snapToGrid(degrees, step); }

} // namespace kes
