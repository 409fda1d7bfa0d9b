#include "scene/scene_motion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/level_model.h"

namespace kes {
namespace {

// On one axis, at `frame`: from 0, `step` units every frame towards the
// edge `step` points to, stopping at the edge (at most `width` from 0) and
// turning back there, to the other edge and back again. 0 without a width or
// a step.
float toAndFro(float step, float width, int frame)
{
    if (!(width > 0) || !std::isfinite(width) || !std::isfinite(step) || step == 0)
        return 0;
    const double s = std::fabs(step), w = width;
    // The frame at which it reaches the first edge, and the frames it takes
    // from one edge to the other.
    const double out = std::ceil(w / s), across = std::ceil(2 * w / s);
    double at;
    if (frame <= out) {
        at = std::min(frame * s, w);
    } else {
        const double t = std::fmod(frame - out, 2 * across);
        at = t <= across ? std::max(w - t * s, -w) : std::min(-w + (t - across) * s, w);
    }
    return static_cast<float>(step < 0 ? -at : at);
}

// The frames `step` takes to reach its first edge and then go across and
// back once; 0 when it does not move on that axis.
double toAndFroFrames(float step, float width)
{
    if (!(width > 0) || !std::isfinite(width) || !std::isfinite(step) || step == 0)
        return 0;
    const double s = std::fabs(step), w = width;
    return std::ceil(w / s) + 2 * std::ceil(2 * w / s);
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
        return scaled(layer.speed, static_cast<float>(frame % (std::int64_t{layer.motionFrames} + 1)));
    case LayerKind::Trigger:
        if (layer.motionFrames <= 0)
            return {};
        return scaled(layer.speed, static_cast<float>(std::min(frame, layer.motionFrames)));
    case LayerKind::Vibrating:
        return {toAndFro(layer.speed.x, layer.vibrationWidth.x, frame),
                toAndFro(layer.speed.y, layer.vibrationWidth.y, frame),
                toAndFro(layer.speed.z, layer.vibrationWidth.z, frame)};
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
