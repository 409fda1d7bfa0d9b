// What the view draws for editing besides the level's own overlay: the grid,
// the handles of the selection with the one under the mouse highlighted, and
// the small axis indicator in a corner.
#pragma once

#include <optional>
#include <vector>

#include "app/preview/overlay_geometry.h"
#include "app/preview/preview_camera.h"
#include "scene/edit_handles.h"

namespace kes::editor {


// A stronger line every this many steps of the grid.
inline constexpr int kGridMajorEvery = 8;

// The grid lines in the view's plane (y = 0 in the perspective and top
// views, z = 0 in the front view, x = 0 in the side view), `step` apart,
// covering `halfExtent` round `centre`. When lines would come closer than
// about a hundredth of the extent, only the stronger ones are drawn. The line
// of each axis in the plane is drawn in its colour: x red, y green, z blue.
std::vector<OverlayVertex> gridLines(ViewMode mode, const ScenePoint& centre, float halfExtent, float step);

// The normal of the grid's plane in `mode`; the plane goes through 0.
ScenePoint gridNormal(ViewMode mode);

// The handles as drawn for handles picked at half size `size`: cubes a
// little smaller for faces and motion ends, the ring round the start where
// it is picked; `hovered` in the highlight colour. A move handle
// (a target or the start) is its marker (of half size `markerSize`),
// outlined when hovered.
OverlayGeometry handleGeometry(const std::vector<EditHandle>& handles, const std::optional<EditHandle>& hovered,
                               float size, float markerSize);

// The axis indicator: three lines of length 1 from the origin, for a corner
// viewport of its own.
std::vector<OverlayVertex> axisIndicator();

} // namespace kes::editor
