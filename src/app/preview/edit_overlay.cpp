#include "app/preview/edit_overlay.h"

#include <cmath>

#include "scene/scene_vector.h"

namespace kes::editor {
namespace {

void put(std::vector<OverlayVertex>& out, const ScenePoint& p, const float* c)
{
    out.push_back({p.x, p.y, p.z, c[0], c[1], c[2], c[3]});
}

// The two axes of the view's plane, and the one across it.
void planeAxes(ViewMode mode, int& u, int& v)
{
    switch (mode) {
    case ViewMode::Front:
        u = 0, v = 1;
        return;
    case ViewMode::Side:
        u = 2, v = 1;
        return;
    case ViewMode::Perspective:
    case ViewMode::Top:
        break;
    }
    u = 0, v = 2;
}

const float* axisColour(int axis)
{
    return axis == 0 ? overlay_colour::kAxisX : axis == 1 ? overlay_colour::kAxisY : overlay_colour::kAxisZ;
}

} // namespace

ScenePoint gridNormal(ViewMode mode)
{
    int u = 0, v = 0;
    planeAxes(mode, u, v);
    ScenePoint normal{};
    setAxis(normal, 3 - u - v, 1);
    return normal;
}

std::vector<OverlayVertex> gridLines(ViewMode mode, const ScenePoint& centre, float halfExtent, float step)
{
    std::vector<OverlayVertex> out;
    if (!(step > 0) || !(halfExtent > 0) || !std::isfinite(halfExtent))
        return out;
    int u = 0, v = 0;
    planeAxes(mode, u, v);
    // Draw every step, or only the stronger lines when they would crowd.
    float spacing = step;
    int majorEvery = kGridMajorEvery;
    while (halfExtent / spacing > 100) {
        spacing *= kGridMajorEvery;
        majorEvery = 1;
    }
    const double major = static_cast<double>(spacing) * majorEvery;
    const auto lowest = [&](float middle) {
        return static_cast<long long>(std::floor((static_cast<double>(middle) - halfExtent) / major)) * majorEvery;
    };
    const float uMiddle = axisOf(centre, u), vMiddle = axisOf(centre, v);
    const long long count = static_cast<long long>(std::ceil(2.0 * halfExtent / spacing)) + 2 * majorEvery + 1;
    // Lines along v at each u, then along u at each v.
    for (int across = 0; across < 2; ++across) {
        const int along = across == 0 ? v : u;
        const int at = across == 0 ? u : v;
        const float middleAlong = across == 0 ? vMiddle : uMiddle;
        const long long first = lowest(across == 0 ? uMiddle : vMiddle);
        for (long long k = first; k < first + count; ++k) {
            const float position = static_cast<float>(static_cast<double>(k) * spacing);
            const float* colour = k == 0                ? axisColour(along)
                                  : k % majorEvery == 0 ? overlay_colour::kGridMajor
                                                        : overlay_colour::kGridLine;
            ScenePoint a{}, b{};
            setAxis(a, at, position);
            setAxis(b, at, position);
            setAxis(a, along, middleAlong - halfExtent);
            setAxis(b, along, middleAlong + halfExtent);
            put(out, a, colour);
            put(out, b, colour);
        }
    }
    return out;
}

OverlayGeometry handleGeometry(const std::vector<EditHandle>& handles, const std::optional<EditHandle>& hovered,
                               float size, float markerSize)
{
    OverlayGeometry out;
    std::vector<EditHandle> all = handles;
    if (hovered && std::find(all.begin(), all.end(), *hovered) == all.end())
        all.push_back(*hovered);
    for (const EditHandle& handle : all) {
        const bool lit = hovered && handle == *hovered;
        const float* colour = lit ? overlay_colour::kHandleHovered : overlay_colour::kHandle;
        const ScenePoint& p = handle.position;
        switch (handle.kind) {
        case HandleKind::StartMove:
        case HandleKind::TargetMove:
            if (lit)
                boxEdges(out.lines, targetMarker(p, markerSize * 1.3f), colour);
            break;
        case HandleKind::StartRing: {
            constexpr int kSegments = 64;
            const float radius = ringRadius(size);
            for (int i = 0; i < kSegments; ++i)
                for (int end : {i, i + 1}) {
                    const float a = 2 * 3.14159265f * static_cast<float>(end) / kSegments;
                    put(out.lines, {p.x + radius * std::sin(a), p.y, p.z + radius * std::cos(a)}, colour);
                }
            break;
        }
        case HandleKind::TriggerFace:
        case HandleKind::MotionEnd:
        case HandleKind::VibrationFace:
            boxFaces(out.solids, targetMarker(p, size * 0.6f), colour);
            boxEdges(out.lines, targetMarker(p, size * 0.6f), overlay_colour::kPlainMesh);
            break;
        }
    }
    return out;
}

std::vector<OverlayVertex> axisIndicator()
{
    std::vector<OverlayVertex> out;
    for (int axis = 0; axis < 3; ++axis) {
        ScenePoint end{};
        setAxis(end, axis, 1);
        put(out, {0, 0, 0}, axisColour(axis));
        put(out, end, axisColour(axis));
    }
    return out;
}

} // namespace kes::editor
