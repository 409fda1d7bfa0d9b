#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

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

// A rolling surface of 2 x side x side triangles over -10 to 10 in x and z,
// its faces row after row as a modelling tool writes them.
std::vector<MeshFace> hillFaces(int side, float phase = 0)
{
    auto at = [&](int i, int j) {
        const float x = -10 + 20.0f * i / side, z = -10 + 20.0f * j / side;
        return Vec3{x, std::sin(0.7f * x + phase) * std::cos(0.5f * z), z};
    };
    std::vector<MeshFace> faces;
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            faces.push_back({{at(i, j), at(i + 1, j), at(i, j + 1)}, {}});
            faces.push_back({{at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)}, {}});
        }
    }
    return faces;
}

TEST(SurfacePicker, AnyFaceOrderBoundsAndThreadCountMeetWhatTheWalkMeets)
{
    // Layers of the kinds of frames the build must not be fooled by, picked
    // through pickers built on 1, 2 and 5 threads: each ray must meet what
    // the walk over every triangle meets.
    std::vector<MeshFace> shuffled = hillFaces(40, 1);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    auto offBounds = std::make_shared<SceneMeshFrame>(*frameOf(hillFaces(30, 2)));
    offBounds->bounds = {}; // as when every corner is beyond the coordinate limit
    auto partBounds = std::make_shared<SceneMeshFrame>(*frameOf(hillFaces(30, 3)));
    partBounds->bounds = SceneBox{{-1, -1, -1}, {1, 1, 1}, false}; // most corners left out
    struct Case {
        const char* name;
        std::vector<std::shared_ptr<const SceneMeshFrame>> frames;
    };
    const Case cases[] = {
        {"rows in file order", {frameOf(hillFaces(50))}},
        {"faces shuffled", {frameOf(std::move(shuffled))}},
        {"bounds empty", {offBounds}},
        {"bounds leaving corners out", {partBounds}},
        {"scattered", {scatteredTriangles(3000)}},
        {"animated, frames of different sizes", {frameOf(hillFaces(20, 4)), frameOf(hillFaces(33, 5)), floorAt(0)}},
    };
    for (const Case& c : cases) {
        Scene scene;
        scene.layers.push_back(layerOf(c.frames));
        // The layer's box from its corners, whatever its frames' bounds say,
        // so that its hierarchies are asked.
        scene.layers[0].bounds = {};
        for (const auto& frame : c.frames)
            for (const MeshFace& face : frame->faces)
                for (const Vec3& v : face.position)
                    scene.layers[0].bounds.add(ScenePoint{v.x, v.y, v.z});
        scene.layers.push_back(layerOf({scatteredTriangles(1500)})); // more frames to share out
        scene.layers.push_back(layerOf({frameOf(hillFaces(12, 6))}));
        for (const int threads : {1, 2, 5}) {
            const SurfacePicker picker(scene, nullptr, threads);
            int hits = 0;
            for (int frame = 0; frame < static_cast<int>(c.frames.size()); ++frame) {
                for (int i = -12; i <= 12; ++i) {
                    for (int j = -12; j <= 12; j += 3) {
                        // Down at a slant, and grazing along x.
                        for (const Ray& ray : {Ray{{i * 0.8f, 20, j * 0.8f}, {0.1f * j, -1, 0.05f * i}},
                                               Ray{{-30, 0.3f * (j % 4), i * 0.8f}, {1, -0.02f, 0.01f * j}}}) {
                            const ScenePick walked = pickScene(scene, ray.origin, ray.direction, frame, false);
                            const auto hit = picker.firstHit(ray, frame, false, false);
                            const auto label = ::testing::Message()
                                               << c.name << ", " << threads << " threads, frame " << frame << ", ray "
                                               << i << "," << j;
                            ASSERT_EQ(hit.has_value(), walked.what == ScenePick::What::Layer) << label;
                            if (!hit)
                                continue;
                            ++hits;
                            EXPECT_EQ(hit->layer, walked.index) << label;
                            EXPECT_FLOAT_EQ(hit->distance, walked.distance) << label;
                        }
                    }
                }
            }
            EXPECT_GT(hits, 100) << c.name;
        }
    }
}

TEST(SurfacePicker, HierarchiesStayShallowForTheWalksStack)
{
    // The walk keeps a fixed stack; a hierarchy deeper than it allows would
    // lose triangles.
    struct Case {
        int triangles;
        int deepest;
    };
    const Case cases[] = {{1, 0}, {4, 0}, {5, 1}, {8, 1}, {9, 2}, {17, 3}, {2000, 9}, {100000, 15}};
    for (const Case& c : cases) {
        std::vector<MeshFace> faces(static_cast<std::size_t>(c.triangles),
                                    MeshFace{{Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 0, 1}}, {}});
        const TriangleHierarchy hierarchy(frameOf(std::move(faces)));
        EXPECT_EQ(hierarchy.triangleCount(), static_cast<std::size_t>(c.triangles));
        EXPECT_EQ(hierarchy.depth(), c.deepest) << c.triangles;
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
