#include "app/preview/overlay_geometry.h"

#include <array>
#include <cmath>

#include "scene/scene_vector.h"

namespace kes::editor {
namespace {

using P = ScenePoint;

P normalised(const P& a)
{
    const float length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return length > 0 ? a * (1 / length) : P{0, 0, 1};
}

void put(std::vector<OverlayVertex>& out, const P& p, const float* c)
{
    out.push_back({p.x, p.y, p.z, c[0], c[1], c[2], c[3]});
}

std::array<P, 8> corners(const SceneBox& box)
{
    std::array<P, 8> c;
    for (int i = 0; i < 8; ++i)
        c[static_cast<std::size_t>(i)] = {(i & 1) ? box.max.x : box.min.x, (i & 2) ? box.max.y : box.min.y,
                                          (i & 4) ? box.max.z : box.min.z};
    return c;
}

void arrow(std::vector<OverlayVertex>& out, const P& from, const P& to, float head, const float* colour)
{
    put(out, from, colour);
    put(out, to, colour);
    const P d = normalised({to.x - from.x, to.y - from.y, to.z - from.z});
    P side = cross(d, {0, 1, 0});
    if (side.x * side.x + side.y * side.y + side.z * side.z < 1e-6f)
        side = cross(d, {1, 0, 0});
    side = normalised(side);
    const P up = normalised(cross(side, d));
    for (const P& s : {side, side * -1, up, up * -1}) {
        put(out, to, colour);
        put(out, to + d * -head + s * (head * 0.5f), colour);
    }
}

// A pyramid pointing along the start direction, with a tick for "up".
void startMarker(OverlayGeometry& out, const Scene& scene, float size)
{
    const P forward = startDirection(scene.startRotation);
    const P up = rotateByStart(scene.startRotation, {0, 1, 0});
    const P side = rotateByStart(scene.startRotation, {1, 0, 0});
    const P tip = scene.start + forward * (size * 3);
    const P base = scene.start + forward * -size;
    const P b[4] = {base + up * size + side * size, base + up * size + side * -size, base + up * -size + side * -size,
                    base + up * -size + side * size};
    for (int i = 0; i < 4; ++i) {
        put(out.solids, b[i], overlay_colour::kStart);
        put(out.solids, b[(i + 1) % 4], overlay_colour::kStart);
        put(out.solids, tip, overlay_colour::kStart);
    }
    for (int k : {0, 1, 2, 0, 2, 3})
        put(out.solids, b[k], overlay_colour::kStart);
    put(out.lines, scene.start, overlay_colour::kStart);
    put(out.lines, scene.start + up * (size * 2.5f), overlay_colour::kStart);
}

// How far from the start an eye sees the start marker as less than about a
// third of the view's height, in marker sizes (the marker reaches 3 ahead).
constexpr float kStartMarkerReach = 8;

} // namespace

void boxEdges(std::vector<OverlayVertex>& out, const SceneBox& box, const float* colour)
{
    if (box.empty)
        return;
    const auto c = corners(box);
    static constexpr int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                          {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (const auto& e : kEdges) {
        put(out, c[static_cast<std::size_t>(e[0])], colour);
        put(out, c[static_cast<std::size_t>(e[1])], colour);
    }
}

void boxFaces(std::vector<OverlayVertex>& out, const SceneBox& box, const float* colour)
{
    if (box.empty)
        return;
    const auto c = corners(box);
    static constexpr int kFaces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                         {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    for (const auto& f : kFaces)
        for (int k : {0, 1, 2, 0, 2, 3})
            put(out, c[static_cast<std::size_t>(f[k])], colour);
}

bool eyeAtStartMarker(const Scene& scene, const ScenePoint& eye)
{
    if (!scene.hasStart)
        return false;
    const P d{eye.x - scene.start.x, eye.y - scene.start.y, eye.z - scene.start.z};
    const float reach = kStartMarkerReach * markerSize(scene.bounds);
    return d.x * d.x + d.y * d.y + d.z * d.z < reach * reach;
}

OverlayGeometry buildOverlay(const Scene& scene, const PreviewSelection& selection, bool withStart)
{
    OverlayGeometry out;
    const float size = markerSize(scene.bounds);
    if (scene.hasStart && withStart)
        startMarker(out, scene, size);
    for (std::size_t i = 0; i < scene.targets.size(); ++i) {
        const SceneTarget& target = scene.targets[i];
        const float* colour = target.kind == 0   ? overlay_colour::kGoal
                              : target.kind == 1 ? overlay_colour::kBrake
                                                 : overlay_colour::kOtherTarget;
        if (target.draft) {
            // Not in the level yet: seen through, with its outline.
            const float ghost[4] = {colour[0], colour[1], colour[2], overlay_colour::kDraftAlpha};
            boxFaces(out.translucent, targetMarker(target.position, size), ghost);
            boxEdges(out.lines, targetMarker(target.position, size), colour);
            continue;
        }
        boxFaces(out.solids, targetMarker(target.position, size), colour);
        if (static_cast<int>(i) == selection.target)
            boxEdges(out.lines, targetMarker(target.position, size * 1.6f), overlay_colour::kSelection);
    }
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        const SceneLayer& layer = scene.layers[i];
        if (layer.hasTriggerArea) {
            boxFaces(out.translucent, layer.triggerArea, overlay_colour::kTriggerFill);
            boxEdges(out.lines, layer.triggerArea, overlay_colour::kTriggerEdge);
        }
        if (layer.hasVibration)
            boxEdges(out.lines, layer.vibrationBox, overlay_colour::kVibration);
        if (layer.hasDisplacement && !layer.bounds.empty) {
            const P from = layer.bounds.centre();
            const P to = from + layer.displacement;
            if (from != to)
                arrow(out.lines, from, to, size * 1.5f, overlay_colour::kDisplacement);
        }
        if (static_cast<int>(i) == selection.layer)
            boxEdges(out.selectedLayer, layer.bounds, overlay_colour::kSelection);
    }
    return out;
}

} // namespace kes::editor
