#include <gtest/gtest.h>

#include "model/level_model.h"
#include "scene/scene_picking.h"

namespace kes {
namespace {

// A square of two triangles at depth z, spanning -1 to 1 in x and y.
std::shared_ptr<const SceneMeshFrame> square(float z)
{
    auto frame = std::make_shared<SceneMeshFrame>();
    frame->faces = {{{{{-1, -1, z}, {1, -1, z}, {1, 1, z}}}, {}}, {{{{-1, -1, z}, {1, 1, z}, {-1, 1, z}}}, {}}};
    frame->bounds.add(ScenePoint{-1, -1, z});
    frame->bounds.add(ScenePoint{1, 1, z});
    return frame;
}

SceneLayer layerOf(std::vector<std::shared_ptr<const SceneMeshFrame>> frames)
{
    SceneLayer layer;
    layer.frames = std::move(frames);
    for (const auto& f : layer.frames)
        layer.bounds.addBox(f->bounds);
    return layer;
}

TEST(ScenePicking, TheNearestObjectOnTheRayIsPicked)
{
    Scene scene;
    scene.layers.push_back(layerOf({square(10)}));
    scene.layers.push_back(layerOf({square(5)}));
    scene.targets.push_back({{0.5f, 0.5f, 2}, 0});
    scene.bounds.add(ScenePoint{-1, -1, 0});
    scene.bounds.add(ScenePoint{1, 1, 10});
    using W = ScenePick::What;
    struct Case {
        ScenePoint origin;
        ScenePoint direction;
        W what;
        int index;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 1}, W::Layer, 1},           // the nearer square
        {{0.5f, 0.5f, 0}, {0, 0, 1}, W::Target, 0},    // the marker in front of both
        {{0, 0, 7}, {0, 0, 1}, W::Layer, 0},           // from between the squares
        {{0, 0, 0}, {0, 0, -1}, W::Nothing, -1},       // looking away
        {{3, 0, 0}, {0, 0, 1}, W::Nothing, -1},        // beside everything
        {{0, 0, 20}, {0, 0, -1}, W::Layer, 0},         // from behind
    };
    for (const Case& c : cases) {
        const ScenePick pick = pickScene(scene, c.origin, c.direction, 0, false);
        EXPECT_EQ(pick.what, c.what) << c.origin.x << " " << c.origin.z << " " << c.direction.z;
        EXPECT_EQ(pick.index, c.index);
    }
}

TEST(ScenePicking, AnimatedLayersArePickedAtTheShownFrame)
{
    Scene scene;
    scene.layers.push_back(layerOf({square(5), square(50)}));
    scene.bounds.add(ScenePoint{-1, -1, 0});
    scene.bounds.add(ScenePoint{1, 1, 50});
    EXPECT_NEAR(pickScene(scene, {0, 0, 0}, {0, 0, 1}, 0, false).distance, 5, 1e-4);
    EXPECT_NEAR(pickScene(scene, {0, 0, 0}, {0, 0, 1}, 1, false).distance, 50, 1e-4);
    EXPECT_NEAR(pickScene(scene, {0, 0, 0}, {0, 0, 1}, 2, false).distance, 5, 1e-4); // wraps round
}

// With the motion playback, a layer is met where it has moved to.
TEST(ScenePicking, MovingLayersArePickedWhereTheMotionHasThem)
{
    Scene scene;
    SceneLayer moving = layerOf({square(5)});
    moving.kind = static_cast<int>(LayerKind::Moving);
    moving.speed = {3, 0, 0};
    moving.motionFrames = 2;
    scene.layers.push_back(moving);
    scene.bounds.add(ScenePoint{-1, -1, 5});
    scene.bounds.add(ScenePoint{7, 1, 5});
    using W = ScenePick::What;
    // At rest, whatever the frame.
    EXPECT_EQ(pickScene(scene, {0, 0, 0}, {0, 0, 1}, 1, false).what, W::Layer);
    EXPECT_EQ(pickScene(scene, {3, 0, 0}, {0, 0, 1}, 1, false).what, W::Nothing);
    // Moved 3 to the right at frame 1.
    EXPECT_EQ(pickScene(scene, {0, 0, 0}, {0, 0, 1}, 1, true).what, W::Nothing);
    const ScenePick moved = pickScene(scene, {3, 0, 0}, {0, 0, 1}, 1, true);
    EXPECT_EQ(moved.what, W::Layer);
    EXPECT_NEAR(moved.distance, 5, 1e-4);
    // Back at its place at frame 3.
    EXPECT_EQ(pickScene(scene, {0, 0, 0}, {0, 0, 1}, 3, true).what, W::Layer);
}

} // namespace
} // namespace kes
