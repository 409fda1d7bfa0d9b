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
// How opaque an entry typed into a form but not added is drawn.
inline constexpr float kDraftAlpha = 0.35f;
inline constexpr float kDraftLayer[4] = {0.85f, 0.90f, 1.00f, kDraftAlpha};
} // namespace overlay_colour

OverlayGeometry buildOverlay(const Scene& scene, const PreviewSelection& selection);

} // namespace kes::editor
