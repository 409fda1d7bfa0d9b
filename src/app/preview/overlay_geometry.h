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

// The colours the preview uses. The selection's is used by nothing else, so
// that a highlight is never taken for a marker or a box.
namespace overlay_colour {
inline constexpr float kGoal[4] = {0.10f, 0.85f, 0.20f, 1};
inline constexpr float kBrake[4] = {0.90f, 0.10f, 0.10f, 1};
inline constexpr float kOtherTarget[4] = {0.60f, 0.60f, 0.60f, 1};
inline constexpr float kStart[4] = {0.20f, 0.50f, 1.00f, 1}; // the marker and its "up" tick
inline constexpr float kTriggerFill[4] = {1.00f, 0.60f, 0.10f, 0.20f};
inline constexpr float kTriggerEdge[4] = {1.00f, 0.60f, 0.10f, 1};
inline constexpr float kVibration[4] = {0.70f, 0.40f, 1.00f, 1};
inline constexpr float kDisplacement[4] = {0.10f, 0.85f, 0.95f, 1};
// The layers' meshes: drawn without a texture, collision-only (wireframe),
// and the ghost at the end of a displacement.
inline constexpr float kPlainMesh[4] = {0.72f, 0.72f, 0.72f, 1};
inline constexpr float kCollisionMesh[4] = {1.00f, 0.30f, 0.70f, 1};
inline constexpr float kGhostMesh[4] = {0.10f, 0.85f, 0.95f, 0.45f};
// The outline of the selected layer or target, and the tint of a selected
// layer's mesh.
inline constexpr float kSelection[4] = {1, 1, 1, 1};
// How opaque an entry typed into a form but not added is drawn, and its
// mesh.
inline constexpr float kDraftAlpha = 0.35f;
inline constexpr float kDraftLayer[4] = {0.55f, 0.80f, 1.00f, kDraftAlpha};
// Editing: the grid, its axis lines (and the axis indicator's), the handles
// and the handle under the mouse.
inline constexpr float kGridLine[4] = {0.55f, 0.55f, 0.55f, 0.30f};
inline constexpr float kGridMajor[4] = {0.65f, 0.65f, 0.65f, 0.60f};
inline constexpr float kAxisX[4] = {0.90f, 0.20f, 0.20f, 1};
inline constexpr float kAxisY[4] = {0.30f, 0.85f, 0.30f, 1};
inline constexpr float kAxisZ[4] = {0.25f, 0.45f, 1.00f, 1};
inline constexpr float kHandle[4] = {1.00f, 0.80f, 0.00f, 1};
inline constexpr float kHandleHovered[4] = {1.00f, 1.00f, 0.55f, 1};
// Every colour but the selection's (a new colour goes here too).
inline constexpr const float* kOthers[] = {kGoal, kBrake, kOtherTarget, kStart, kTriggerFill, kTriggerEdge,
                                           kVibration, kDisplacement, kPlainMesh, kCollisionMesh, kGhostMesh,
                                           kDraftLayer, kGridLine, kGridMajor, kAxisX, kAxisY, kAxisZ, kHandle,
                                           kHandleHovered};
} // namespace overlay_colour

// A box's 12 edges as line pairs, and its 6 faces as triangles, in one
// colour; nothing for an empty box.
void boxEdges(std::vector<OverlayVertex>& out, const SceneBox& box, const float* colour);
void boxFaces(std::vector<OverlayVertex>& out, const SceneBox& box, const float* colour);

// `withStart` false leaves the start marker out.
OverlayGeometry buildOverlay(const Scene& scene, const PreviewSelection& selection, bool withStart = true);

// Whether an eye at `eye` stands so near the start marker that the marker
// would hide the view (the view from the start stands inside it).
bool eyeAtStartMarker(const Scene& scene, const ScenePoint& eye);

} // namespace kes::editor
