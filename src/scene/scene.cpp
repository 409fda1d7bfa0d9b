#include "scene/scene.h"

#include <algorithm>
#include <cmath>

namespace kes {

void SceneBox::add(const ScenePoint& p)
{
    if (empty) {
        min = max = p;
        empty = false;
        return;
    }
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

void SceneBox::addBox(const SceneBox& box)
{
    if (box.empty)
        return;
    add(box.min);
    add(box.max);
}

ScenePoint SceneBox::centre() const
{
    return {(min.x + max.x) / 2, (min.y + max.y) / 2, (min.z + max.z) / 2};
}

float SceneBox::diagonal() const
{
    if (empty)
        return 0;
    const float dx = max.x - min.x, dy = max.y - min.y, dz = max.z - min.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

SceneBox SceneBox::moved(const ScenePoint& offset) const
{
    if (empty)
        return *this;
    SceneBox box = *this;
    box.min = {min.x + offset.x, min.y + offset.y, min.z + offset.z};
    box.max = {max.x + offset.x, max.y + offset.y, max.z + offset.z};
    return box;
}

int Scene::frameCount() const
{
    std::size_t frames = 1;
    for (const SceneLayer& layer : layers)
        frames = std::max(frames, layer.frames.size());
    return static_cast<int>(frames);
}

int Scene::loadingLayers() const
{
    return static_cast<int>(std::count_if(layers.begin(), layers.end(),
                                          [](const SceneLayer& layer) { return layer.loading; }));
}

std::vector<ReaderWarning> Scene::warnings() const
{
    std::vector<ReaderWarning> all;
    for (const SceneLayer& layer : layers)
        for (const auto& frame : layer.frames)
            all.insert(all.end(), frame->warnings.begin(), frame->warnings.end());
    return all;
}

SceneBox targetMarker(const ScenePoint& position, float size)
{
    SceneBox cube;
    cube.add(ScenePoint{position.x - size, position.y - size, position.z - size});
    cube.add(ScenePoint{position.x + size, position.y + size, position.z + size});
    return cube;
}

float markerSize(const SceneBox& bounds)
{
    return std::max(bounds.diagonal() * 0.015f, 0.05f);
}

ScenePoint rotateByStart(const ScenePoint& rotationDegrees, const ScenePoint& v)
{
    constexpr float kRadians = 3.14159265358979f / 180.0f;
    const float ax = rotationDegrees.x * kRadians, ay = rotationDegrees.y * kRadians,
                az = rotationDegrees.z * kRadians;
    // About x ...
    ScenePoint d{v.x, v.y * std::cos(ax) - v.z * std::sin(ax), v.y * std::sin(ax) + v.z * std::cos(ax)};
    // ... about y ...
    d = {d.x * std::cos(ay) + d.z * std::sin(ay), d.y, -d.x * std::sin(ay) + d.z * std::cos(ay)};
    // ... about z.
    d = {d.x * std::cos(az) - d.y * std::sin(az), d.x * std::sin(az) + d.y * std::cos(az), d.z};
    return d;
}

ScenePoint startDirection(const ScenePoint& rotationDegrees)
{
    return rotateByStart(rotationDegrees, {0, 0, 1});
}

} // namespace kes
