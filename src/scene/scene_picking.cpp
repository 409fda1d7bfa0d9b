#include "scene/scene_picking.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/scene_motion.h"

namespace kes {
namespace {

ScenePoint sub(const ScenePoint& a, const ScenePoint& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
ScenePoint cross(const ScenePoint& a, const ScenePoint& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(const ScenePoint& a, const ScenePoint& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Möller-Trumbore; the distance along the ray, or a negative value for none.
float hitTriangle(const ScenePoint& origin, const ScenePoint& dir, const MeshFace& face)
{
    const auto& v = face.position;
    const ScenePoint p0{v[0].x, v[0].y, v[0].z};
    const ScenePoint e1 = sub({v[1].x, v[1].y, v[1].z}, p0);
    const ScenePoint e2 = sub({v[2].x, v[2].y, v[2].z}, p0);
    const ScenePoint p = cross(dir, e2);
    const float det = dot(e1, p);
    if (std::fabs(det) < 1e-12f)
        return -1;
    const float inv = 1.0f / det;
    const ScenePoint s = sub(origin, p0);
    const float u = dot(s, p) * inv;
    if (u < 0 || u > 1)
        return -1;
    const ScenePoint q = cross(s, e1);
    const float w = dot(dir, q) * inv;
    if (w < 0 || u + w > 1)
        return -1;
    return dot(e2, q) * inv;
}

// Slab test; the entry distance, or a negative value for none.
float hitBox(const ScenePoint& origin, const ScenePoint& dir, const SceneBox& box)
{
    float entry = 0, leave = std::numeric_limits<float>::max();
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {dir.x, dir.y, dir.z};
    const float lo[3] = {box.min.x, box.min.y, box.min.z};
    const float hi[3] = {box.max.x, box.max.y, box.max.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(d[axis]) < 1e-20f) {
            if (o[axis] < lo[axis] || o[axis] > hi[axis])
                return -1;
            continue;
        }
        float t0 = (lo[axis] - o[axis]) / d[axis];
        float t1 = (hi[axis] - o[axis]) / d[axis];
        if (t0 > t1)
            std::swap(t0, t1);
        entry = std::max(entry, t0);
        leave = std::min(leave, t1);
        if (entry > leave)
            return -1;
    }
    return entry;
}

} // namespace

ScenePick pickScene(const Scene& scene, const ScenePoint& origin, const ScenePoint& direction, int frame,
                    bool moving)
{
    ScenePick best;
    best.distance = std::numeric_limits<float>::max();
    auto consider = [&](ScenePick::What what, int index, float distance) {
        if (distance >= 0 && distance < best.distance)
            best = {what, index, distance};
    };
    const float half = markerSize(scene.bounds);
    // What the forms hold but the level doesn't is never picked.
    for (std::size_t i = 0; i < scene.targets.size(); ++i) {
        if (scene.targets[i].draft)
            continue;
        consider(ScenePick::What::Target, static_cast<int>(i),
                 hitBox(origin, direction, targetMarker(scene.targets[i].position, half)));
    }
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        const SceneLayer& layer = scene.layers[i];
        // A moved layer is met where the ray, moved the other way, meets it
        // at rest.
        const ScenePoint offset = shownMotion(layer, frame, moving);
        const ScenePoint from = sub(origin, offset);
        if (layer.draft || layer.frames.empty() || hitBox(from, direction, layer.bounds) < 0)
            continue;
        const SceneMeshFrame& mesh = *layer.frames[static_cast<std::size_t>(frame) % layer.frames.size()];
        for (const MeshFace& face : mesh.faces)
            consider(ScenePick::What::Layer, static_cast<int>(i), hitTriangle(from, direction, face));
    }
    if (best.what == ScenePick::What::Nothing)
        best.distance = 0;
    return best;
}

} // namespace kes
