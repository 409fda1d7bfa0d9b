#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "model/level_model.h"
#include "scene/scene_picking.h"
#include "scene/surface_picker.h"

namespace kes {
namespace {

std::shared_ptr<const SceneMeshFrame> frameOf(std::vector<MeshFace> faces)
{
    auto frame = std::make_shared<SceneMeshFrame>();
    frame->faces = std::move(faces);
    for (const MeshFace& f : frame->faces)
        for (const Vec3& v : f.position)
            frame->bounds.add(ScenePoint{v.x, v.y, v.z});
    return frame;
}

// A square of two triangles at height y, spanning lo to hi in x and z.
std::shared_ptr<const SceneMeshFrame> floorAt(float y, float lo = -1, float hi = 1)
{
    return frameOf({{{{{lo, y, lo}, {hi, y, lo}, {hi, y, hi}}}, {}}, {{{{lo, y, lo}, {hi, y, hi}, {lo, y, hi}}}, {}}});
}

SceneLayer layerOf(std::vector<std::shared_ptr<const SceneMeshFrame>> frames, bool collision = true)
{
    SceneLayer layer;
    layer.frames = std::move(frames);
    layer.collision = collision;
    for (const auto& f : layer.frames)
        layer.bounds.addBox(f->bounds);
    return layer;
}

// Small, scattered triangles from a fixed sequence of numbers.
std::shared_ptr<const SceneMeshFrame> scatteredTriangles(int count)
{
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24) * 20 - 10; // -10 to 10
    };
    std::vector<MeshFace> faces;
    for (int i = 0; i < count; ++i) {
        const float x = next(), y = next(), z = next();
        faces.push_back({{{{x, y, z}, {x + next() / 8, y + next() / 8, z}, {x, y + next() / 8, z + next() / 8}}}, {}});
    }
    return frameOf(std::move(faces));
}

TEST(SurfacePicker, MeetsTheSameTriangleAsAWalkOverAllOfThem)
{
    // Every ray's first hit through the hierarchy against pickScene's walk
    // over every triangle, for meshes from below a leaf to many levels deep.
    for (const int count : {1, 3, 5, 64, 2000}) {
        Scene scene;
        scene.layers.push_back(layerOf({scatteredTriangles(count)}));
        const SurfacePicker picker(scene);
        int hits = 0;
        for (int i = -40; i <= 40; ++i) {
            for (int j = -40; j <= 40; j += 4) {
                const Ray ray{{i * 0.25f, j * 0.25f, -30}, {0.01f * j, -0.005f * i, 1}};
                const ScenePick walked = pickScene(scene, ray.origin, ray.direction, 0, false);
                const auto hit = picker.firstHit(ray, 0, false, false);
                ASSERT_EQ(hit.has_value(), walked.what == ScenePick::What::Layer) << count << ": " << i << "," << j;
                if (!hit)
                    continue;
                ++hits;
                EXPECT_FLOAT_EQ(hit->distance, walked.distance);
                EXPECT_EQ(hit->layer, 0);
                const ScenePoint expected = pointOnRay(ray, walked.distance);
                EXPECT_FLOAT_EQ(hit->point.z, expected.z);
            }
        }
        if (count >= 64) {
            EXPECT_GT(hits, 0) << count;
        }
    }
}

TEST(SurfacePicker, LayersByCollisionDraftMotionAndFrame)
{
    Scene scene;
    scene.layers.push_back(layerOf({floorAt(0, -10, 10)}, true));   // 0: the ground
    scene.layers.push_back(layerOf({floorAt(2)}, false));           // 1: drawn only
    scene.layers.push_back(layerOf({floorAt(4)}, true));            // 2: a draft
    scene.layers[2].draft = true;
    SceneLayer moving = layerOf({floorAt(1, 4, 6)}, true);          // 3: moves by +2 in x for 3 frames
    moving.kind = static_cast<std::int32_t>(LayerKind::Moving);
    moving.speed = {2, 0, 0};
    moving.motionFrames = 3;
    moving.hasDisplacement = true;
    moving.displacement = {6, 0, 0};
    scene.layers.push_back(moving);
    scene.layers.push_back(layerOf({floorAt(3, -9, -7), floorAt(-3, -9, -7)}, true)); // 4: animated, two frames
    const SurfacePicker picker(scene);
    const ScenePoint down{0, -1, 0};
    struct Case {
        ScenePoint origin;
        int frame;
        bool moving;
        bool collidingOnly;
        int layer;
        float y;
    };
    const Case cases[] = {
        {{0, 10, 0}, 0, false, false, 1, 2},     // the drawn-only layer above the ground
        {{0, 10, 0}, 0, false, true, 0, 0},      // left out: only what collides
        {{5, 10, 5}, 0, false, true, 3, 1},      // the moving layer at rest
        {{9, 10, 5}, 2, true, true, 3, 1},       // moved +4 by frame 2
        {{5, 10, 5}, 2, true, true, 0, 0},       // ... so not at its place
        {{5, 10, 5}, 2, false, true, 3, 1},      // without the playback it stays
        {{-8, 10, -8}, 0, false, true, 4, 3},    // the animated layer's first frame
        {{-8, 10, -8}, 1, false, true, 0, 0},    // its second, under the ground
        {{-8, 10, -8}, 3, false, true, 0, 0},    // frames wrap round
        {{-8, -10, -8}, 1, false, true, 4, -3},  // seen from below
        {{50, 10, 0}, 0, false, false, -1, 0},   // beside everything
    };
    for (const Case& c : cases) {
        const Ray ray{c.origin, c.origin.y > 0 ? down : ScenePoint{0, 1, 0}};
        const auto seen = picker.firstHit(ray, c.frame, c.moving, c.collidingOnly);
        const auto label = ::testing::Message() << c.origin.x << "," << c.origin.y << "," << c.origin.z << " frame "
                                                << c.frame;
        if (c.layer < 0) {
            EXPECT_FALSE(seen) << label;
            continue;
        }
        ASSERT_TRUE(seen) << label;
        EXPECT_EQ(seen->layer, c.layer) << label;
        EXPECT_FLOAT_EQ(seen->point.y, c.y) << label;
        EXPECT_FLOAT_EQ(seen->point.x, c.origin.x) << label;
    }
}

TEST(SurfacePicker, ALayerWithoutTrianglesIsNeverMetAndHierarchiesCarryOver)
{
    Scene scene;
    scene.layers.push_back(layerOf({frameOf({})}));
    scene.layers.push_back(layerOf({}));
    const SurfacePicker empty(scene);
    EXPECT_FALSE(empty.firstHit({{0, 10, 0}, {0, -1, 0}}, 0, false, false));

    // Corners at infinity and not numbers are built round, never met.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<MeshFace> broken;
    for (int i = 0; i < 40; ++i)
        broken.push_back({{{{inf, -inf, 0}, {nan, 0, 0}, {static_cast<float>(i), -inf, inf}}}, {}});
    scene.layers.push_back(layerOf({frameOf(std::move(broken))}));
    const SurfacePicker unreadable(scene);
    EXPECT_FALSE(unreadable.firstHit({{0, 10, 0}, {0, -1, 0}}, 0, false, false));
    scene.layers.pop_back();

    scene.layers.push_back(layerOf({floorAt(0)}));
    const SurfacePicker first(scene);
    Scene restated = scene;
    restated.layers[2].collision = false; // a field changed, the same frames
    const SurfacePicker second(restated, &first);
    EXPECT_TRUE(second.firstHit({{0, 10, 0}, {0, -1, 0}}, 0, false, false));
    EXPECT_FALSE(second.firstHit({{0, 10, 0}, {0, -1, 0}}, 0, false, true));
}

} // namespace
} // namespace kes
