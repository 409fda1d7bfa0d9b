#include "scene/scene_motion.h"

#include <algorithm>
#include <cmath>

#include "model/level_model.h"

namespace kes {
namespace {

// On one axis: `travelled` units to and fro between -width and +width,
// starting at 0 (towards -width when `travelled` is negative).
float toAndFro(float travelled, float width)
{
    if (!(width > 0) || !std::isfinite(width) || !std::isfinite(travelled))
        return 0;
    // One way there and back is 4 widths long: 0 -> +w -> -w -> 0.
    const float round = 4 * width;
    float along = std::fmod(travelled + width, round);
    if (along < 0)
        along += round;
    return along < 2 * width ? along - width : 3 * width - along;
}

// The frames `speed` takes to go to and fro once across `width`; 0 when it
// does not move on that axis.
double toAndFroFrames(float speed, float width)
{
    if (!(width > 0) || !std::isfinite(width) || !(std::fabs(speed) > 0))
        return 0;
    return std::ceil(4.0 * width / std::fabs(speed));
}

// `p` times `factor`; no motion at all when that is not a finite point.
ScenePoint scaled(const ScenePoint& p, float factor)
{
    const ScenePoint result{p.x * factor, p.y * factor, p.z * factor};
    if (!std::isfinite(result.x) || !std::isfinite(result.y) || !std::isfinite(result.z))
        return {};
    return result;
}

} // namespace

ScenePoint approximateMotion(const SceneLayer& layer, int frame)
{
    frame = std::max(frame, 0);
    switch (static_cast<LayerKind>(layer.kind)) {
    case LayerKind::Moving:
        if (layer.motionFrames <= 0)
            return {};
        return scaled(layer.speed, static_cast<float>(frame % (layer.motionFrames + 1)));
    case LayerKind::Trigger:
        if (layer.motionFrames <= 0)
            return {};
        return scaled(layer.speed, static_cast<float>(std::min(frame, layer.motionFrames)));
    case LayerKind::Vibrating: {
        const auto travelled = [&](float speed) { return speed * static_cast<float>(frame); };
        return {toAndFro(travelled(layer.speed.x), layer.vibrationWidth.x),
                toAndFro(travelled(layer.speed.y), layer.vibrationWidth.y),
                toAndFro(travelled(layer.speed.z), layer.vibrationWidth.z)};
    }
    default:
        return {};
    }
}

int motionFrameCount(const Scene& scene)
{
    double frames = scene.frameCount();
    for (const SceneLayer& layer : scene.layers) {
        switch (static_cast<LayerKind>(layer.kind)) {
        case LayerKind::Moving:
        case LayerKind::Trigger:
            // Its place, then one frame for every step of its way.
            if (layer.motionFrames > 0)
                frames = std::max(frames, static_cast<double>(layer.motionFrames) + 1);
            break;
        case LayerKind::Vibrating:
            frames = std::max({frames, toAndFroFrames(layer.speed.x, layer.vibrationWidth.x),
                               toAndFroFrames(layer.speed.y, layer.vibrationWidth.y),
                               toAndFroFrames(layer.speed.z, layer.vibrationWidth.z)});
            break;
        default:
            break;
        }
    }
    return static_cast<int>(std::clamp(frames, 1.0, static_cast<double>(kMaxMotionFrames)));
}

} // namespace kes
