// The few vector sums the scene's geometry needs, on ScenePoint.
#pragma once

#include "scene/scene.h"

namespace kes {

inline ScenePoint operator+(const ScenePoint& a, const ScenePoint& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline ScenePoint operator-(const ScenePoint& a, const ScenePoint& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline ScenePoint operator*(const ScenePoint& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(const ScenePoint& a, const ScenePoint& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline ScenePoint cross(const ScenePoint& a, const ScenePoint& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Coordinate 0, 1 or 2 (x, y or z).
inline float axisOf(const ScenePoint& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }
inline void setAxis(ScenePoint& p, int axis, float value) { (axis == 0 ? p.x : axis == 1 ? p.y : p.z) = value; }

} // namespace kes
