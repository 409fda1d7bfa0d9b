#include "scene/scene_ray.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/scene_vector.h"

namespace kes {
namespace {

// The matrix times (x, y, z, 1), divided by its w; none when w is about 0.
std::optional<ScenePoint> unproject(const Matrix4& m, float x, float y, float z)
{
    const float w = m[3] * x + m[7] * y + m[11] * z + m[15];
    if (!std::isfinite(w) || std::fabs(w) < 1e-30f)
        return std::nullopt;
    return ScenePoint{(m[0] * x + m[4] * y + m[8] * z + m[12]) / w, (m[1] * x + m[5] * y + m[9] * z + m[13]) / w,
                      (m[2] * x + m[6] * y + m[10] * z + m[14]) / w};
}

} // namespace

std::optional<Ray> rayFromScreen(const Matrix4& inverseViewProjection, float x, float y, float width,
                                 float height)
{
    if (!(width > 0) || !(height > 0))
        return std::nullopt;
    // Pixels count down from the top; normalised device coordinates up.
    const float nx = 2 * x / width - 1;
    const float ny = 1 - 2 * y / height;
    const auto nearPoint = unproject(inverseViewProjection, nx, ny, -1);
    const auto farPoint = unproject(inverseViewProjection, nx, ny, 1);
    if (!nearPoint || !farPoint)
        return std::nullopt;
    const ScenePoint d = *farPoint - *nearPoint;
    const float length = std::sqrt(dot(d, d));
    if (!std::isfinite(length) || length <= 0)
        return std::nullopt;
    return Ray{*nearPoint, d * (1 / length)};
}

std::optional<float> intersectPlane(const Ray& ray, const ScenePoint& point, const ScenePoint& normal)
{
    const float across = dot(ray.direction, normal);
    if (std::fabs(across) < 1e-12f)
        return std::nullopt;
    const float t = dot(point - ray.origin, normal) / across;
    if (!(t >= 0) || !std::isfinite(t))
        return std::nullopt;
    return t;
}

std::optional<float> intersectBox(const Ray& ray, const SceneBox& box)
{
    if (box.empty)
        return std::nullopt;
    float entry = 0, leave = std::numeric_limits<float>::max();
    for (int axis = 0; axis < 3; ++axis) {
        const float o = axisOf(ray.origin, axis), d = axisOf(ray.direction, axis);
        const float lo = axisOf(box.min, axis), hi = axisOf(box.max, axis);
        if (std::fabs(d) < 1e-20f) {
            if (o < lo || o > hi)
                return std::nullopt;
            continue;
        }
        float t0 = (lo - o) / d;
        float t1 = (hi - o) / d;
        if (t0 > t1)
            std::swap(t0, t1);
        entry = std::max(entry, t0);
        leave = std::min(leave, t1);
        if (entry > leave)
            return std::nullopt;
    }
    return entry;
}

// Möller-Trumbore.
std::optional<float> intersectTriangle(const Ray& ray, const ScenePoint& a, const ScenePoint& b,
                                       const ScenePoint& c)
{
    const ScenePoint e1 = b - a;
    const ScenePoint e2 = c - a;
    const ScenePoint p = cross(ray.direction, e2);
    const float det = dot(e1, p);
    if (std::fabs(det) < 1e-12f)
        return std::nullopt;
    const float inv = 1.0f / det;
    const ScenePoint s = ray.origin - a;
    const float u = dot(s, p) * inv;
    if (u < 0 || u > 1)
        return std::nullopt;
    const ScenePoint q = cross(s, e1);
    const float w = dot(ray.direction, q) * inv;
    if (w < 0 || u + w > 1)
        return std::nullopt;
    const float t = dot(e2, q) * inv;
    if (t < 0)
        return std::nullopt;
    return t;
}

ScenePoint pointOnRay(const Ray& ray, float distance) { return ray.origin + ray.direction * distance; }

} // namespace kes
