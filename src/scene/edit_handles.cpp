#include "scene/edit_handles.h"

#include <cmath>
#include <limits>

#include "scene/snapping.h"
#include "scene/scene_vector.h"

namespace kes {
namespace {

ScenePoint faceCentre(const SceneBox& box, int face)
{
    ScenePoint p = box.centre();
    setAxis(p, faceAxis(face), axisOf(faceIsHigh(face) ? box.max : box.min, faceAxis(face)));
    return p;
}

void addFaces(std::vector<EditHandle>& handles, HandleKind kind, int layer, const SceneBox& box)
{
    if (box.empty)
        return;
    for (int face = 0; face < kFaceCount; ++face)
        handles.push_back({kind, layer, face, faceCentre(box, face)});
}

bool isKind(const SceneLayer& layer, LayerKind kind) { return layer.kind == static_cast<std::int32_t>(kind); }

} // namespace

std::vector<EditHandle> editHandles(const Scene& scene, const EditSelection& selection)
{
    std::vector<EditHandle> handles;
    const auto inRange = [](int index, std::size_t size) {
        return index >= 0 && static_cast<std::size_t>(index) < size;
    };
    switch (selection.what) {
    case EditSelection::What::Nothing:
        break;
    case EditSelection::What::Start:
        if (scene.hasStart) {
            handles.push_back({HandleKind::StartMove, -1, -1, scene.start});
            handles.push_back({HandleKind::StartRing, -1, -1, scene.start});
        }
        break;
    case EditSelection::What::Target:
        if (inRange(selection.index, scene.targets.size()) && !scene.targets[selection.index].draft)
            handles.push_back({HandleKind::TargetMove, selection.index, -1, scene.targets[selection.index].position});
        break;
    case EditSelection::What::Layer: {
        if (!inRange(selection.index, scene.layers.size()))
            break;
        const SceneLayer& layer = scene.layers[selection.index];
        if (layer.draft)
            break;
        if (layer.hasTriggerArea && (isKind(layer, LayerKind::Trigger) || isKind(layer, LayerKind::AnimatedTrigger)))
            addFaces(handles, HandleKind::TriggerFace, selection.index, layer.triggerArea);
        if ((isKind(layer, LayerKind::Moving) || isKind(layer, LayerKind::Trigger)) && layer.motionFrames > 0 &&
            !layer.bounds.empty)
            handles.push_back(
                {HandleKind::MotionEnd, selection.index, -1, layer.bounds.centre() + layer.displacement});
        if (layer.hasVibration && isKind(layer, LayerKind::Vibrating))
            addFaces(handles, HandleKind::VibrationFace, selection.index, layer.vibrationBox);
        break;
    }
    }
    return handles;
}

std::optional<std::size_t> pickHandle(const Ray& ray, const std::vector<EditHandle>& handles, float size)
{
    std::optional<std::size_t> best;
    float nearest = std::numeric_limits<float>::max();
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const EditHandle& handle = handles[i];
        const ScenePoint& p = handle.position;
        std::optional<float> distance;
        if (handle.kind == HandleKind::StartRing) {
            distance = intersectPlane(ray, p, {0, 1, 0});
            if (distance) {
                const ScenePoint at = pointOnRay(ray, *distance) - p;
                const float fromCentre = std::sqrt(at.x * at.x + at.z * at.z);
                if (std::fabs(fromCentre - ringRadius(size)) > size)
                    distance.reset();
            }
        } else {
            SceneBox cube;
            cube.add(ScenePoint{p.x - size, p.y - size, p.z - size});
            cube.add(ScenePoint{p.x + size, p.y + size, p.z + size});
            distance = intersectBox(ray, cube);
        }
        if (distance && *distance < nearest) {
            nearest = *distance;
            best = i;
        }
    }
    return best;
}

TriggerArea dragTriggerFace(const TriggerArea& stored, int face, float value)
{
    if (face < 0 || face >= kFaceCount)
        return stored;
    std::array<float, 6> typed = triggerAreaToTypedOrder(stored);
    const std::size_t first = static_cast<std::size_t>(2 * faceAxis(face));
    const std::size_t lowIndex = typed[first] <= typed[first + 1] ? first : first + 1;
    const std::size_t highIndex = lowIndex == first ? first + 1 : first;
    if (faceIsHigh(face))
        typed[highIndex] = std::max(value, typed[lowIndex]);
    else
        typed[lowIndex] = std::min(value, typed[highIndex]);
    return triggerAreaFromTypedOrder(typed);
}

std::optional<ScenePoint> speedForEnd(const ScenePoint& end, int frames)
{
    if (frames <= 0)
        return std::nullopt;
    return end * (1.0f / static_cast<float>(frames));
}

std::optional<ScenePoint> speedForEndHandle(const SceneLayer& layer, const ScenePoint& handle)
{
    return speedForEnd(handle - layer.bounds.centre(), layer.motionFrames);
}

float vibrationWidthForFace(const SceneBox& layerBounds, int face, float value)
{
    const int axis = faceAxis(face);
    const float boundsFace = axisOf(faceIsHigh(face) ? layerBounds.max : layerBounds.min, axis);
    return std::fabs(value - boundsFace);
}

float ringAngle(const ScenePoint& centre, const ScenePoint& point, bool snapped)
{
    constexpr float kDegrees = 180.0f / 3.14159265358979f;
    // startDirection turns +z about y to (sin a, 0, cos a).
    float angle = std::atan2(point.x - centre.x, point.z - centre.z) * kDegrees;
    if (snapped)
        angle = snapAngle(angle);
    angle = std::fmod(angle, 360.0f);
    if (angle < 0)
        angle += 360;
    return angle >= 360 ? 0.0f : angle + 0.0f; // + 0: never -0
}

std::optional<ScenePoint> dragPoint(DragView view, const ScenePoint& from, const Ray& ray, bool vertical,
                                    float grid)
{
    ScenePoint normal{0, 1, 0};
    std::array<bool, 3> moves{true, false, true};
    switch (view) {
    case DragView::Perspective:
        if (vertical) {
            // The upright plane through the point that faces the eye best.
            normal = {ray.direction.x, 0, ray.direction.z};
            moves = {false, true, false};
        }
        break;
    case DragView::Top:
        break;
    case DragView::Front:
        normal = {0, 0, 1};
        moves = {true, true, false};
        break;
    case DragView::Side:
        normal = {1, 0, 0};
        moves = {false, true, true};
        break;
    }
    const auto distance = intersectPlane(ray, from, normal);
    if (!distance)
        return std::nullopt;
    const ScenePoint hit = pointOnRay(ray, *distance);
    ScenePoint to = from;
    for (int axis = 0; axis < 3; ++axis) {
        if (moves[static_cast<std::size_t>(axis)])
            setAxis(to, axis, grid > 0 ? snapToGrid(axisOf(hit, axis), grid) : axisOf(hit, axis));
    }
    return to;
}

std::optional<ScenePoint> dragGrabbedPoint(DragView view, const ScenePoint& from, const Ray& grabbed, const Ray& ray,
                                           bool vertical, float grid)
{
    std::optional<ScenePoint> start, now;
    if (view == DragView::Perspective && vertical) {
        const auto startY = axisValueNearRay(grabbed, from, 1);
        const auto nowY = axisValueNearRay(ray, from, 1);
        if (startY && nowY)
            start = ScenePoint{from.x, *startY, from.z}, now = ScenePoint{from.x, *nowY, from.z};
    } else {
        start = dragPoint(view, from, grabbed, vertical, 0);
        now = dragPoint(view, from, ray, vertical, 0);
    }
    if (!start || !now)
        return std::nullopt;
    ScenePoint to = from;
    for (int axis = 0; axis < 3; ++axis) {
        const float moved = axisOf(*now, axis) - axisOf(*start, axis);
        const float value = axisOf(from, axis) + moved;
        if (grid <= 0)
            setAxis(to, axis, value);
        else if (std::fabs(moved) >= grid / 2)
            setAxis(to, axis, snapToGrid(value, grid));
    }
    return to;
}

std::optional<float> axisValueNearRay(const Ray& ray, const ScenePoint& point, int axis)
{
    // The nearest points of two lines p + s*a and o + t*d: solve for s, in
    // double, since a ray nearly along the axis leaves a small denominator.
    const double d[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    const double w[3] = {double(point.x) - ray.origin.x, double(point.y) - ray.origin.y,
                         double(point.z) - ray.origin.z};
    const double b = d[axis];
    const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double denominator = dd - b * b; // |a| is 1
    if (dd <= 0 || denominator <= 1e-9 * dd)
        return std::nullopt;
    const double dw = d[0] * w[0] + d[1] * w[1] + d[2] * w[2];
    const double s = (b * dw - dd * w[axis]) / denominator;
    return static_cast<float>(axisOf(point, axis) + s);
}

} // namespace kes
