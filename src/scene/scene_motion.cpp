#include "scene/scene_motion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/level_model.h"

namespace kes {
namespace {

// A layer's to-and-fro on one axis: from 0, `step` units every frame
// towards the edge `step` points to, stopping at the edge (`width` from 0)
// and turning back there, to the other edge and back again.
struct Swing {
    double step = 0;   // 0: no swing at all (no step, no width, or not finite)
    double width = 0;
    double out = 0;    // the frame at which it reaches the first edge
    double across = 0; // the frames it takes from one edge to the other
};

Swing swingOf(float step, float width)
{
    if (!(width > 0) || !std::isfinite(width) || !std::isfinite(step) || step == 0)
        return {};
    const double s = std::fabs(step), w = width;
    return {step, w, std::ceil(w / s), std::ceil(2 * w / s)};
}

// Where the swing is at `frame`.
float swingAt(const Swing& swing, int frame)
{
    if (swing.step == 0)
        return 0;
    const double s = std::fabs(swing.step), w = swing.width;
    double at;
    if (frame <= swing.out) {
        at = std::min(frame * s, w);
    } else {
        const double t = std::fmod(frame - swing.out, 2 * swing.across);
        at = t <= swing.across ? std::max(w - t * s, -w) : std::min(-w + (t - swing.across) * s, w);
    }
    return static_cast<float>(swing.step < 0 ? -at : at);
}

// The frames the swing takes to reach its first edge and then go across and
// back once; 0 without a swing.
double swingFrames(const Swing& swing)
{
    return swing.step == 0 ? 0 : swing.out + 2 * swing.across;
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
        return {swingAt(swingOf(layer.speed.x, layer.vibrationWidth.x), frame),
                swingAt(swingOf(layer.speed.y, layer.vibrationWidth.y), frame),
                swingAt(swingOf(layer.speed.z, layer.vibrationWidth.z), frame)};
    default:
        return {};
    }
}

ScenePoint shownMotion(const SceneLayer& layer, int frame, bool moving)
{
    return moving ? approximateMotion(layer, frame) : ScenePoint{};
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
            frames = std::max({frames, swingFrames(swingOf(layer.speed.x, layer.vibrationWidth.x)),
                               swingFrames(swingOf(layer.speed.y, layer.vibrationWidth.y)),
                               swingFrames(swingOf(layer.speed.z, layer.vibrationWidth.z))});
            break;
        default:
            break;
        }
    }
    return static_cast<int>(std::clamp(frames, 1.0, static_cast<double>(kMaxMotionFrames)));
}

} // namespace kes
