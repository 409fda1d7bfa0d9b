// The preview's motion playback: where Moving, Vibrating and Trigger layers
// are at a frame of the game's clock (25 frames per second), by the plain
// meaning of their fields. The game may move them otherwise (how it starts
// and turns, when a trigger fires), so the editor offers this as an
// approximation:
//   - Moving: on by its speed every frame for "Frames till reset/stop"
//     frames (to the end its arrow shows), then back at its place the next
//     frame, to start again;
//   - Trigger: as if triggered at the first frame: on by its speed every
//     frame for "Frames till reset/stop" frames, then still;
//   - Vibrating: on each axis, on by that axis's speed every frame, first
//     the way the speed points, stopping at the vibration width from its
//     place and turning back there, to the other side and back again.
// Layers of the other kinds, and a Moving or Trigger layer whose frames are
// not above 0, stay where they are.
#pragma once

#include "scene/scene.h"

namespace kes {

// The most frames one round of the motion playback takes: two minutes.
inline constexpr int kMaxMotionFrames = 3000;

// How far `layer` has moved from its place at `frame` (from 0).
ScenePoint approximateMotion(const SceneLayer& layer, int frame);

// How far `layer` is drawn from its place at `frame`: as approximateMotion
// says when the playback shows motion (`moving`), not at all otherwise.
ScenePoint shownMotion(const SceneLayer& layer, int frame, bool moving);

// The frames of one round of the playback with motion: enough for every
// animation, every Moving layer's way to its reset, every Trigger layer's
// way to its stop and every Vibrating layer's way to its first turn and
// across and back once (at least 1, at most kMaxMotionFrames).
int motionFrameCount(const Scene& scene);

} // namespace kes
