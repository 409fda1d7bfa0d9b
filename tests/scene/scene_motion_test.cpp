#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "model/level_model.h"
#include "scene/scene_motion.h"

namespace kes {
namespace {

SceneLayer movingLayer(LayerKind kind, ScenePoint speed, int frames, ScenePoint width = {})
{
    SceneLayer layer;
    layer.kind = static_cast<int>(kind);
    layer.speed = speed;
    layer.motionFrames = frames;
    layer.vibrationWidth = width;
    return layer;
}

// Where each layer is, frame by frame from 0, and how long a round of the
// playback of it alone takes.
TEST(SceneMotion, LayersMoveByThePlainMeaningOfTheirFields)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        SceneLayer layer;
        std::vector<ScenePoint> places;
        int roundFrames;
    };
    const Case cases[] = {
        {"Moving: 3 steps to the end, back at the start on the 4th",
         movingLayer(LayerKind::Moving, {1, 0, -2}, 3),
         {{0, 0, 0}, {1, 0, -2}, {2, 0, -4}, {3, 0, -6}, {0, 0, 0}, {1, 0, -2}},
         4},
        {"Moving without frames stays", movingLayer(LayerKind::Moving, {1, 0, 0}, 0), {{0, 0, 0}, {0, 0, 0}}, 1},
        {"Moving for the most frames a number holds", movingLayer(LayerKind::Moving, {0, 0, 1}, 2147483647),
         {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}}, kMaxMotionFrames},
        {"Trigger: 2 steps, then still", movingLayer(LayerKind::Trigger, {0, 2, 0}, 2),
         {{0, 0, 0}, {0, 2, 0}, {0, 4, 0}, {0, 4, 0}, {0, 4, 0}}, 3},
        {"Vibrating: to and fro within the width, the way the speed points first",
         movingLayer(LayerKind::Vibrating, {0.5f, -1, 0}, 0, {1, 1, 5}),
         {{0, 0, 0}, {0.5f, -1, 0}, {1, 0, 0}, {0.5f, 1, 0}, {0, 0, 0}, {-0.5f, -1, 0}, {-1, 0, 0}, {-0.5f, 1, 0},
          {0, 0, 0}, {0.5f, -1, 0}, {1, 0, 0}},
         10},
        {"Vibrating stops at the width and turns, also when a step is longer than it",
         movingLayer(LayerKind::Vibrating, {0.5f, 0, 0.4f}, 0, {0.25f, 0, 1}),
         {{0, 0, 0}, {0.25f, 0, 0.4f}, {-0.25f, 0, 0.8f}, {0.25f, 0, 1}, {-0.25f, 0, 0.6f}, {0.25f, 0, 0.2f},
          {-0.25f, 0, -0.2f}},
         3 + 2 * 5},
        {"Vibrating without width stays", movingLayer(LayerKind::Vibrating, {1, 1, 1}, 0, {}), {{0, 0, 0}, {0, 0, 0}},
         1},
        {"Static layers stay whatever their fields", movingLayer(LayerKind::Static, {1, 1, 1}, 5, {1, 1, 1}),
         {{0, 0, 0}, {0, 0, 0}}, 1},
        {"Animated-Trigger layers stay", movingLayer(LayerKind::AnimatedTrigger, {1, 1, 1}, 5, {1, 1, 1}),
         {{0, 0, 0}, {0, 0, 0}}, 1},
        {"an unknown kind stays", movingLayer(static_cast<LayerKind>(9), {1, 1, 1}, 5, {1, 1, 1}),
         {{0, 0, 0}, {0, 0, 0}}, 1},
        {"an endless speed moves nothing", movingLayer(LayerKind::Moving, {inf, 0, 0}, 3), {{0, 0, 0}, {0, 0, 0}}, 4},
        {"nor does a speed that is no number", movingLayer(LayerKind::Trigger, {0, nan, 0}, 3),
         {{0, 0, 0}, {0, 0, 0}}, 4},
        {"nor an endless width", movingLayer(LayerKind::Vibrating, {1, 0, 0}, 0, {inf, 0, 0}), {{0, 0, 0}, {0, 0, 0}},
         1},
        {"a slow vibration's round is cut at two minutes",
         movingLayer(LayerKind::Vibrating, {1e-6f, 0, 0}, 0, {1, 0, 0}), {{0, 0, 0}}, kMaxMotionFrames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t f = 0; f < c.places.size(); ++f) {
            const ScenePoint at = approximateMotion(c.layer, static_cast<int>(f));
            EXPECT_NEAR(at.x, c.places[f].x, 1e-5) << "frame " << f;
            EXPECT_NEAR(at.y, c.places[f].y, 1e-5) << "frame " << f;
            EXPECT_NEAR(at.z, c.places[f].z, 1e-5) << "frame " << f;
        }
        Scene scene;
        scene.layers.push_back(c.layer);
        EXPECT_EQ(motionFrameCount(scene), c.roundFrames);
    }
}

// A round is as long as the longest of the level's animations and motions.
TEST(SceneMotion, ARoundShowsEveryAnimationAndMotion)
{
    SceneLayer animated;
    animated.kind = static_cast<int>(LayerKind::Animated);
    animated.frames.assign(7, std::make_shared<const SceneMeshFrame>());
    Scene scene;
    scene.layers = {animated, movingLayer(LayerKind::Moving, {1, 0, 0}, 3)};
    EXPECT_EQ(scene.frameCount(), 7);
    EXPECT_EQ(motionFrameCount(scene), 7);
    scene.layers.push_back(movingLayer(LayerKind::Trigger, {1, 0, 0}, 10));
    EXPECT_EQ(motionFrameCount(scene), 11);
    EXPECT_EQ(motionFrameCount(Scene{}), 1);
}

} // namespace
} // namespace kes
