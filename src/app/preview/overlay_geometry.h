// The preview's markers, boxes and arrows as coloured vertices, built from a
// scene: what the renderer draws besides the layers' meshes.
#pragma once

#include <vector>

#include "scene/scene.h"

namespace kes::editor {

struct OverlayVertex {
    float x, y, z;
    float r, g, b, a;
};

// What is selected in the lists (-1 for nothing).
struct PreviewSelection {
    int layer = -1;
    int target = -1;
    bool operator==(const PreviewSelection&) const = default;
};

struct OverlayGeometry {
    std::vector<OverlayVertex> solids;      // opaque triangles: the markers
    std::vector<OverlayVertex> lines;       // line pairs: outlines, arrows, selection
    std::vector<OverlayVertex> translucent; // triangles seen through: trigger areas
    // Line pairs: the selected layer's outline, which goes where the layer
    // is drawn.
    std::vector<OverlayVertex> selectedLayer;
};

// The colours the preview uses.
namespace overlay_colour {
inline constexpr float kGoal[4] = {0.10f, 0.85f, 0.20f, 1};
inline constexpr float kBrake[4] = {0.90f, 0.10f, 0.10f, 1};
inline constexpr float kOtherTarget[4] = {0.60f, 0.60f, 0.60f, 1};
inline constexpr float kStart[4] = {0.20f, 0.50f, 1.00f, 1};
inline constexpr float kStartUp[4] = {1, 1, 1, 1};
inline constexpr float kTriggerFill[4] = {1.00f, 0.60f, 0.10f, 0.20f};
inline constexpr float kTriggerEdge[4] = {1.00f, 0.60f, 0.10f, 1};
inline constexpr float kVibration[4] = {0.70f, 0.40f, 1.00f, 1};
inline constexpr float kDisplacement[4] = {0.10f, 0.85f, 0.95f, 1};
inline constexpr float kSelection[4] = {1.00f, 0.85f, 0.20f, 1};
} // namespace overlay_colour

// `withStart` false leaves the start marker out.
OverlayGeometry buildOverlay(const Scene& scene, const PreviewSelection& selection, bool withStart = true);

// Whether an eye at `eye` stands so near the start marker that the marker
// would hide the view (the view from the start stands inside it).
bool eyeAtStartMarker(const Scene& scene, const ScenePoint& eye);

} // namespace kes::editor
