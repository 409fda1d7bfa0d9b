// Snapping a drag in the 3D view to the grid, and a turn to whole steps.
#pragma once

#include <array>

#include "scene/scene.h"

namespace kes {

// The grid sizes offered, smallest first; kDefaultGridSize unless chosen.
inline constexpr std::array<float, 8> kGridSizes{0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f, 16.0f};
inline constexpr float kDefaultGridSize = 1.0f;
// The step of a turn of the start's ring handle with snapping on, in degrees.
inline constexpr float kRotationStepDegrees = 15.0f;

// `value` rounded to the nearest multiple of `grid`; a value halfway between
// two goes away from zero (0.5 to 1, -0.5 to -1 on grid 1). A grid not above
// 0 leaves it as it is.
float snapToGrid(float value, float grid);
// Each coordinate snapped.
ScenePoint snapToGrid(const ScenePoint& p, float grid);
// An angle in degrees rounded to the nearest multiple of `step` the same way.
float snapAngle(float degrees, float step = kRotationStepDegrees);

} // namespace kes
