// Rays from the eye and what they meet: a plane, a box, a triangle. The
// camera lives in the editor; it hands its matrices over as plain arrays.
#pragma once

#include <array>
#include <optional>

#include "scene/scene.h"

namespace kes {

struct Ray {
    ScenePoint origin{};
    ScenePoint direction{}; // not necessarily of length 1
};

// A 4x4 matrix, column after column (as OpenGL and QMatrix4x4::constData
// lay it out).
using Matrix4 = std::array<float, 16>;

// The ray through the viewport point (x, y), in pixels from the top left
// corner of a viewport `width` x `height`, given the inverse of the camera's
// view-projection matrix. It starts on the near plane and its direction has
// length 1. None for an empty viewport or a matrix that sends the point to
// infinity.
std::optional<Ray> rayFromScreen(const Matrix4& inverseViewProjection, float x, float y, float width,
                                 float height);

// How far along the ray (in units of its direction's length, never behind
// its origin) it meets what it meets; none when it misses.
//   - the plane through `point` across `normal`: none for a ray parallel to
//     it, even one lying in it;
//   - the box, solid: 0 when the origin is inside;
//   - the triangle, from either side.
std::optional<float> intersectPlane(const Ray& ray, const ScenePoint& point, const ScenePoint& normal);
std::optional<float> intersectBox(const Ray& ray, const SceneBox& box);
std::optional<float> intersectTriangle(const Ray& ray, const ScenePoint& a, const ScenePoint& b,
                                       const ScenePoint& c);

// The point `distance` along the ray.
ScenePoint pointOnRay(const Ray& ray, float distance);

} // namespace kes
