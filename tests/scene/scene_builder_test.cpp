#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "support/hostile_inputs.h"
#include "support/layer_entries.h"
#include "support/level_fixtures.h"
#include "model/level_model.h"
#include "scene/asset_cache.h"
#include "scene/scene_builder.h"
#include "scene/scene_motion.h"
#include "scene/scene_warnings.h"

namespace kes {
namespace {

using test::layerEntry;
using test::TempDir;

SceneRequest requestWith(std::vector<LayerEntry> layers, const std::string& baseFolder)
{
    SceneRequest request;
    request.layers = std::move(layers);
    request.baseFolder = baseFolder;
    return request;
}

TEST(SceneSettings, BackgroundStartAndTargetsComeFromTheTexts)
{
    struct Case {
        const char* background;
        const char* start;
        std::array<float, 3> colour;
        bool hasStart;
        ScenePoint position;
        ScenePoint rotation;
    };
    const Case cases[] = {
        {"0.4000,0.6000,0.9000", "1,2,3,10,20,30", {0.4f, 0.6f, 0.9f}, true, {1, 2, 3}, {10, 20, 30}},
        {"1,0.5", "1,2,3,4,5", {0, 0, 0}, false, {}, {}},                      // too few numbers
        {"0.1, 0.2, 0.3 and more", "0,1,-15,0.0,0.0,0.0", {0.1f, 0.2f, 0.3f}, true, {0, 1, -15}, {}},
        {"", "1 ,2,3,4,5,6", {0, 0, 0}, false, {}, {}},                         // blank before a comma
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.background) + " / " + c.start);
        SceneRequest request;
        request.settings.backgroundColor = c.background;
        request.settings.startPosition = c.start;
        request.targets = {{1, 2, 3, 0}, {-4, 5, 6, 1}};
        const Scene scene = buildScene(request);
        EXPECT_EQ(scene.background, c.colour);
        EXPECT_EQ(scene.hasStart, c.hasStart);
        if (c.hasStart) {
            EXPECT_EQ(scene.start, c.position);
            EXPECT_EQ(scene.startRotation, c.rotation);
        }
        ASSERT_EQ(scene.targets.size(), 2u);
        EXPECT_EQ(scene.targets[1].position, (ScenePoint{-4, 5, 6}));
        EXPECT_EQ(scene.targets[1].kind, 1);
        EXPECT_TRUE(scene.problems.empty());
        EXPECT_FALSE(scene.bounds.empty);
    }
}

TEST(SceneLayers, MotionFieldsBecomeArrowsAndBoxesByKind)
{
    TempDir dir;
    // One triangle spanning (0,0,0) to (2,1,0).
    test::writeObj(dir.file("tri.obj"), {{{{{0, 0, 0, 0, 0}, {2, 0, 0, 1, 0}, {2, 1, 0, 1, 1}}}}});
    struct Case {
        LayerKind kind;
        std::array<float, 3> speed;
        int frames;
        std::array<float, 3> vibration;
        std::array<float, 6> typedArea; // x1,x2,y1,y2,z1,z2
        bool displaced;
        ScenePoint displacement;
        bool vibrates;
        SceneBox vibrationBox;
        bool triggered;
        SceneBox area;
        ScenePoint movedAt3; // where the motion playback has it at frame 3
    };
    auto box = [](ScenePoint a, ScenePoint b) {
        SceneBox result;
        result.add(a);
        result.add(b);
        return result;
    };
    const std::array<float, 6> area{5, -1, 0, 4, 2, 3};
    const Case cases[] = {
        {LayerKind::Static, {1, 1, 1}, 10, {1, 1, 1}, area, false, {}, false, {}, false, {}, {}},
        {LayerKind::Moving, {0, 0.05f, 0.5f}, 100, {}, area, true, {0, 5, 50}, false, {}, false, {}, {0, 0.15f, 1.5f}},
        {LayerKind::Vibrating, {0.1f, 0, 0}, 0, {0.25f, -1, 0}, area, false, {}, true,
         box({-0.25f, -1, 0}, {2.25f, 2, 0}), false, {}, {0.25f, 0, 0}},
        {LayerKind::Trigger, {0, 0.1f, 0}, 40, {}, area, true, {0, 4, 0}, false, {}, true,
         box({-1, 0, 2}, {5, 4, 3}), {0, 0.3f, 0}},
        {LayerKind::AnimatedTrigger, {1, 1, 1}, 1, {}, area, false, {}, false, {}, true, box({-1, 0, 2}, {5, 4, 3}),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        LayerEntry entry = layerEntry("tri.obj", c.kind, {}, c.frames);
        entry.speed = c.speed;
        entry.vibration = c.vibration;
        entry.triggerArea = triggerAreaFromTypedOrder(c.typedArea);
        const Scene scene = buildScene(requestWith({entry}, dir.path().string()));
        ASSERT_EQ(scene.layers.size(), 1u);
        const SceneLayer& layer = scene.layers[0];
        EXPECT_TRUE(scene.problems.empty()) << scene.problems[0].reason;
        ASSERT_EQ(layer.frames.size(), 1u);
        EXPECT_EQ(layer.bounds, box({0, 0, 0}, {2, 1, 0}));
        EXPECT_EQ(layer.hasDisplacement, c.displaced);
        if (c.displaced) {
            EXPECT_NEAR(layer.displacement.x, c.displacement.x, 1e-4);
            EXPECT_NEAR(layer.displacement.y, c.displacement.y, 1e-4);
            EXPECT_NEAR(layer.displacement.z, c.displacement.z, 1e-4);
            // The end position belongs to what "Frame all" shows.
            EXPECT_GE(scene.bounds.max.y, 1 + c.displacement.y - 1e-4);
        }
        EXPECT_EQ(layer.hasVibration, c.vibrates);
        if (c.vibrates) {
            EXPECT_EQ(layer.vibrationBox, c.vibrationBox);
        }
        EXPECT_EQ(layer.hasTriggerArea, c.triggered);
        if (c.triggered) {
            EXPECT_EQ(layer.triggerArea, c.area);
        }
        const ScenePoint moved = approximateMotion(layer, 3);
        EXPECT_NEAR(moved.x, c.movedAt3.x, 1e-5);
        EXPECT_NEAR(moved.y, c.movedAt3.y, 1e-5);
        EXPECT_NEAR(moved.z, c.movedAt3.z, 1e-5);
    }
}

// The parts of two scenes a view shows, compared.
void expectSameScene(const Scene& a, const Scene& b)
{
    EXPECT_EQ(a.background, b.background);
    EXPECT_EQ(a.hasStart, b.hasStart);
    EXPECT_EQ(a.start, b.start);
    EXPECT_EQ(a.startRotation, b.startRotation);
    ASSERT_EQ(a.targets.size(), b.targets.size());
    for (std::size_t i = 0; i < a.targets.size(); ++i) {
        EXPECT_EQ(a.targets[i].position, b.targets[i].position);
        EXPECT_EQ(a.targets[i].kind, b.targets[i].kind);
        EXPECT_EQ(a.targets[i].draft, b.targets[i].draft);
    }
    ASSERT_EQ(a.layers.size(), b.layers.size());
    for (std::size_t i = 0; i < a.layers.size(); ++i) {
        const SceneLayer& x = a.layers[i];
        const SceneLayer& y = b.layers[i];
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.kind, y.kind);
        EXPECT_EQ(x.collision, y.collision);
        EXPECT_EQ(x.frames.size(), y.frames.size());
        EXPECT_EQ(x.bounds, y.bounds);
        EXPECT_EQ(x.hasDisplacement, y.hasDisplacement);
        EXPECT_EQ(x.displacement, y.displacement);
        EXPECT_EQ(x.speed, y.speed);
        EXPECT_EQ(x.motionFrames, y.motionFrames);
        EXPECT_EQ(x.hasVibration, y.hasVibration);
        EXPECT_EQ(x.vibrationBox, y.vibrationBox);
        EXPECT_EQ(x.hasTriggerArea, y.hasTriggerArea);
        EXPECT_EQ(x.triggerArea, y.triggerArea);
    }
    EXPECT_EQ(a.bounds, b.bounds);
    EXPECT_EQ(a.problems.size(), b.problems.size());
}

TEST(SceneRestating, ChangesThatNameNoOtherFileAreShownWithoutLookingAtFiles)
{
    TempDir dir;
    test::writeObj(dir.file("tri.obj"), {{{{{0, 0, 0, 0, 0}, {2, 0, 0, 1, 0}, {2, 1, 0, 1, 1}}}}});
    test::writeObj(dir.file("other.obj"), test::fixtureTriangles(1));
    for (int f = 1; f <= 2; ++f)
        test::writeObj(dir.file("wave_00000" + std::to_string(f) + ".obj"), test::fixtureTriangles(1));
    SceneRequest first = requestWith({layerEntry("tri.obj", LayerKind::Static), layerEntry("wave.obj", LayerKind::Animated, {}, 2)},
                                     dir.path().string());
    first.targets = {{1, 1, 1, 0}};
    SceneAssetCache cache;
    SceneBuildOptions options;
    options.cache = &cache;
    options.threads = 1;
    const Scene previous = buildScene(first, options);
    ASSERT_TRUE(previous.problems.empty());

    struct Case {
        const char* change;
        std::function<void(SceneRequest&)> apply;
        bool sameFiles;
    };
    const Case cases[] = {
        {"background", [](SceneRequest& r) { r.settings.backgroundColor = "1,0,0"; }, true},
        {"start", [](SceneRequest& r) { r.settings.startPosition = "-5,0,9,0,90,0"; }, true},
        {"target moved", [](SceneRequest& r) { r.targets[0].x = -40; }, true},
        {"target added as a draft", [](SceneRequest& r) { r.targets.push_back({3, 3, 3, 1}); r.draftTarget = true; }, true},
        {"Static to Moving", [](SceneRequest& r) { r.layers[0].kind = 1; r.layers[0].speed = {0, 0, 2}; r.layers[0].frames = 5; }, true},
        {"Static to Trigger", [](SceneRequest& r) { r.layers[0].kind = 3; r.layers[0].triggerArea = {-1, 2, 3, 4, -5, 6}; }, true},
        {"Static to Vibrating", [](SceneRequest& r) { r.layers[0].kind = 2; r.layers[0].vibration = {1, -1, 0}; }, true},
        {"collision", [](SceneRequest& r) { r.layers[0].collision = 0; }, true},
        {"Animated to Animated-Trigger", [](SceneRequest& r) { r.layers[1].kind = 5; }, true},
        {"another mesh", [](SceneRequest& r) { r.layers[0].objPath = "other.obj"; }, false},
        {"drawn", [](SceneRequest& r) { r.layers[0].draw = 1; r.layers[0].bmpPath = "t.bmp"; }, false},
        {"Static to Animated", [](SceneRequest& r) { r.layers[0].kind = 4; }, false},
        {"fewer frames", [](SceneRequest& r) { r.layers[1].frames = 1; }, false},
        {"a layer more", [](SceneRequest& r) { r.layers.push_back(r.layers[0]); }, false},
        {"another folder", [](SceneRequest& r) { r.baseFolder += "/sub"; }, false},
        {"the last layer a draft", [](SceneRequest& r) { r.draftLayer = true; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        SceneRequest changed = first;
        c.apply(changed);
        EXPECT_EQ(sameSceneFiles(first, changed), c.sameFiles);
        if (c.sameFiles)
            expectSameScene(restateScene(previous, changed), buildScene(changed, options));
    }

    // Restating looks at no file: with the mesh gone from the disk, the
    // scene still shows it as it was read.
    std::filesystem::remove(dir.file("tri.obj"));
    SceneRequest moved = first;
    moved.targets[0].y = 7;
    const Scene restated = restateScene(previous, moved);
    EXPECT_EQ(restated.layers[0].frames.size(), 1u);
    EXPECT_TRUE(restated.problems.empty());
    EXPECT_EQ(restated.targets[0].position, (ScenePoint{1, 7, 1}));
}

TEST(SceneLayers, MeshesAndTexturesAreWhatTheReadersDeliver)
{
    TempDir dir;
    // A quad face: the reader keeps its first triangle only.
    test::writeFile(dir.file("quad.obj"), "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0.25 0.75\nvt 1 0\n"
                                          "f 1/1 2/2 3/1 4/2\n");
    // Two rows: the first in the file (the bottom one) red, the second blue.
    test::writeBmp(dir.file("tex.bmp"), 2, 2, {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255});
    const Scene scene = buildScene(requestWith({layerEntry("quad.obj", LayerKind::Static, "tex.bmp")},
                                               dir.path().string()));
    ASSERT_EQ(scene.layers.size(), 1u);
    const SceneLayer& layer = scene.layers[0];
    ASSERT_EQ(layer.frames.size(), 1u);
    const auto& faces = layer.frames[0]->faces;
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_EQ(faces[0].position[2], (Vec3{1, 1, 0}));
    EXPECT_EQ(faces[0].uv[0], (Vec2{0.25f, 0.75f})); // not flipped
    ASSERT_TRUE(layer.texture);
    EXPECT_EQ(layer.texture->width, 2);
    EXPECT_EQ(layer.texture->pixels[0], 255); // first row as stored: red
    EXPECT_EQ(layer.texture->pixels[8], 255); // second row: blue
    EXPECT_TRUE(layer.draw);
    EXPECT_EQ(layer.name, "layer 1 ('quad.obj')");
}

TEST(SceneLayers, AnimatedLayersReadTheirNumberedFrameFiles)
{
    TempDir dir;
    for (int f = 1; f <= 3; ++f)
        test::writeObj(dir.file("wave_00000" + std::to_string(f) + ".obj"), test::fixtureTriangles(f));
    test::writeObj(dir.file("still.obj"), test::fixtureTriangles(5));
    struct Case {
        const char* obj;
        LayerKind kind;
        int frames;
        std::vector<std::size_t> triangles; // per frame
        bool problem;
    };
    const Case cases[] = {
        {"wave.obj", LayerKind::Animated, 3, {1, 2, 3}, false},
        {"wave.obj", LayerKind::AnimatedTrigger, 2, {1, 2}, false},
        {"still.obj", LayerKind::Animated, 1, {5}, false},     // one frame: the file itself
        {"still.obj", LayerKind::Moving, 3, {5}, false},       // not animated: one frame
        {"wave.obj", LayerKind::Animated, 0, {}, false},       // no frames, nothing to read
        {"wave.obj", LayerKind::Animated, 4, {}, true},        // frame 4 is missing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.obj) + " " + std::to_string(c.frames));
        const Scene scene = buildScene(requestWith({layerEntry(c.obj, c.kind, {}, c.frames)}, dir.path().string()));
        const SceneLayer& layer = scene.layers.at(0);
        ASSERT_EQ(layer.frames.size(), c.triangles.size());
        for (std::size_t f = 0; f < c.triangles.size(); ++f)
            EXPECT_EQ(layer.frames[f]->triangleCount(), c.triangles[f]);
        ASSERT_EQ(scene.problems.size(), c.problem ? 1u : 0u);
        if (c.problem) {
            EXPECT_EQ(scene.problems[0].layer, 0);
            EXPECT_NE(scene.problems[0].reason.find("wave_000004.obj"), std::string::npos) << scene.problems[0].reason;
        }
        EXPECT_EQ(scene.frameCount(), std::max<int>(1, static_cast<int>(c.triangles.size())));
    }
}

// The preview reads what generation reads, and refuses the same files the
// same way: a pipe, an endless device or a folder is listed with its reason,
// never waited for, and the rest of the level is shown.
TEST(SceneLayers, HostileInputsAreListedWithoutWaiting)
{
    TempDir dir;
    const std::vector<test::HostileCase> cases = test::hostileCases(dir);
    ASSERT_FALSE(cases.empty());
    for (const test::HostileCase& c : cases) {
        SCOPED_TRACE(c.what);
        SceneRequest request;
        for (int i = 0; i < c.project.layers.count(); ++i)
            request.layers.push_back(c.project.layers.at(i));
        request.baseFolder = c.folder;
        const std::optional<Scene> scene = test::withinTimeLimit([request] { return buildScene(request); });
        ASSERT_TRUE(scene) << "still reading after " << test::kHangLimit.count() << " s";
        ASSERT_EQ(scene->problems.size(), 1u);
        EXPECT_NE(scene->problems[0].reason.find("'" + c.file + "': " + c.reason), std::string::npos)
            << scene->problems[0].reason;
        ASSERT_EQ(scene->layers.size(), 2u);
        EXPECT_FALSE(scene->layers[0].frames.empty() && scene->layers[1].frames.empty());
    }
}

TEST(SceneLayers, UnreadableFilesAreListedAndTheRestIsShown)
{
    TempDir dir;
    test::writeObj(dir.file("good.obj"), test::fixtureTriangles(2));
    test::writeBmp(dir.file("good.bmp"), 1, 1, {1, 2, 3});
    test::writeFile(dir.file("bad.bmp"), "BM not a bitmap");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(dir.file("pipe.bmp").c_str(), 0600), 0);
#endif
    struct Case {
        LayerEntry entry;
        const char* problem; // part of the reason; empty for none
        bool hasMesh;
        bool hasTexture;
    };
    LayerEntry notDrawn = layerEntry("good.obj", LayerKind::Static);
    notDrawn.bmpPath = "missing.bmp"; // never opened: the layer is not drawn
    LayerEntry drawnWithoutPath = layerEntry("good.obj", LayerKind::Static, "x");
    drawnWithoutPath.bmpPath = "";
    const Case cases[] = {
        {layerEntry("missing.obj", LayerKind::Static, "good.bmp"), "layer 1 ('missing.obj'): cannot read mesh file",
         false, true},
        {layerEntry("good.obj", LayerKind::Static, "missing.bmp"), "cannot read texture file", true, false},
        {layerEntry("good.obj", LayerKind::Static, "bad.bmp"), "bad.bmp", true, false},
        {notDrawn, "", true, false},
        {drawnWithoutPath, "cannot read texture file", true, false},
        {layerEntry(dir.path().string(), LayerKind::Static), "cannot read mesh file", false, false}, // a folder
#ifndef _WIN32
        // A pipe is refused unread: reading it could wait for ever.
        {layerEntry("good.obj", LayerKind::Static, "pipe.bmp"), "pipe.bmp': is not a regular file", true, false},
        {layerEntry("pipe.bmp", LayerKind::Static), "not a regular file", false, false},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry.objPath + " " + c.entry.bmpPath);
        // The good layer after the faulty one is still shown.
        const Scene scene = buildScene(requestWith({c.entry, layerEntry("good.obj", LayerKind::Static, "good.bmp")},
                                                   dir.path().string()));
        ASSERT_EQ(scene.layers.size(), 2u);
        EXPECT_EQ(!scene.layers[0].frames.empty(), c.hasMesh);
        EXPECT_EQ(scene.layers[0].texture != nullptr, c.hasTexture);
        EXPECT_EQ(scene.layers[1].frames.size(), 1u);
        if (c.problem[0] == '\0') {
            EXPECT_TRUE(scene.problems.empty());
        } else {
            ASSERT_EQ(scene.problems.size(), 1u);
            EXPECT_EQ(scene.problems[0].layer, 0);
            EXPECT_NE(scene.problems[0].reason.find(c.problem), std::string::npos) << scene.problems[0].reason;
        }
    }
}

TEST(SceneLayers, PathsResolveLikeGeneration)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "meshes");
    test::writeObj(dir.file("meshes/a.obj"), test::fixtureTriangles(1));
    LayerEntry relative = layerEntry("meshes/a.obj", LayerKind::Static);
    LayerEntry absolute = layerEntry(dir.file("meshes/a.obj"), LayerKind::Static);
    const Scene fromProjectFolder = buildScene(requestWith({relative, absolute}, dir.path().string()));
    EXPECT_TRUE(fromProjectFolder.problems.empty());
    EXPECT_EQ(sceneFiles(requestWith({relative}, dir.path().string())),
              std::vector<std::string>{dir.file("meshes/a.obj")});
    // Without a project folder a relative path is taken from the current one.
    const Scene fromCurrentFolder = buildScene(requestWith({relative, absolute}, ""));
    ASSERT_EQ(fromCurrentFolder.problems.size(), 1u);
    EXPECT_EQ(fromCurrentFolder.problems[0].layer, 0);
}

// Absurd but finite values (a vertex at 1e38, a speed of 1e30) are left out
// of the scene's bounds, which frame the sane part of the level, and listed.
TEST(SceneBounds, ValuesOutOfRangeAreListedAndNotFramed)
{
    TempDir dir;
    test::writeFile(dir.file("near.obj"), std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    test::writeFile(dir.file("far.obj"), std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1e38 0 0\nf 1 2 3\nf 1 2 4\n"));
    SceneRequest sane = requestWith({layerEntry("near.obj", LayerKind::Static)}, dir.path().string());
    sane.settings.startPosition = "0.5,0.5,0,0,0,0";
    sane.targets.push_back(TargetEntry{0.25f, 0.25f, 0, 0});
    const Scene saneScene = buildScene(sane);
    ASSERT_TRUE(saneScene.outOfRange.empty());

    auto withLayer = [&](LayerEntry entry) {
        SceneRequest request = sane;
        request.layers.push_back(entry);
        return request;
    };
    LayerEntry moving = layerEntry("near.obj", LayerKind::Moving);
    moving.speed = {1e30f, 0, 0};
    moving.frames = 10;
    LayerEntry vibrating = layerEntry("near.obj", LayerKind::Vibrating);
    vibrating.vibration = {0, 1e38f, 0};
    LayerEntry trigger = layerEntry("near.obj", LayerKind::Trigger);
    trigger.triggerArea.fill(-1e38f);
    SceneRequest farTarget = sane;
    farTarget.targets.push_back(TargetEntry{0, 0, 3e38f, 1});
    SceneRequest farStart = sane;
    farStart.settings.startPosition = "0,-1e7,0,0,0,0";
    struct Case {
        const char* name;
        SceneRequest request;
        int layer;
        std::string listed;
    };
    const Case cases[] = {
        {"a vertex at 1e38", withLayer(layerEntry("far.obj", LayerKind::Static)), 1,
         "layer 2 ('far.obj'): 1 mesh corner out of range, not framed"},
        {"a speed of 1e30", withLayer(moving), 1,
         "layer 2 ('near.obj'): the end of its motion (speed x frames) out of range, not framed"},
        {"a vibration width of 1e38", withLayer(vibrating), 1,
         "layer 2 ('near.obj'): its vibration width out of range, not framed"},
        {"a trigger area at -1e38", withLayer(trigger), 1,
         "layer 2 ('near.obj'): its trigger area out of range, not framed"},
        {"a target at 3e38", farTarget, -1, "target 2: out of range, not framed"},
        {"the start 1e7 away", farStart, -1, "the start position: out of range, not framed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Scene scene = buildScene(c.request);
        EXPECT_EQ(scene.bounds, saneScene.bounds);
        ASSERT_EQ(scene.outOfRange.size(), 1u);
        EXPECT_EQ(scene.outOfRange[0].layer, c.layer);
        EXPECT_EQ(scene.outOfRange[0].reason, c.listed);
        EXPECT_TRUE(scene.problems.empty());
    }
}

TEST(SceneMarkers, StartDirectionTurnsPlusZ)
{
    struct Case {
        ScenePoint rotation;
        ScenePoint direction;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 1}},
        {{0, 90, 0}, {1, 0, 0}},
        {{0, 180, 0}, {0, 0, -1}},
        {{90, 0, 0}, {0, -1, 0}},
        {{0, 0, 90}, {0, 0, 1}}, // rolling keeps the direction
    };
    for (const Case& c : cases) {
        const ScenePoint d = startDirection(c.rotation);
        EXPECT_NEAR(d.x, c.direction.x, 1e-5);
        EXPECT_NEAR(d.y, c.direction.y, 1e-5);
        EXPECT_NEAR(d.z, c.direction.z, 1e-5);
    }
}

TEST(SceneWarnings, AreGatheredByLayerAndFile)
{
    TempDir dir;
    const std::string quads = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\nf 1 2 3 4\n";
    test::writeFile(dir.file("quads.obj"), quads);
    test::writeObj(dir.file("good.obj"), test::fixtureTriangles(2));
    test::writeObj(dir.file("wave_000001.obj"), test::fixtureTriangles(1));
    test::writeFile(dir.file("wave_000002.obj"), quads);
    test::writeFile(dir.file("wave_000003.obj"), "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
    const Scene scene = buildScene(requestWith({layerEntry("quads.obj", LayerKind::Static),
                                                layerEntry("good.obj", LayerKind::Static),
                                                layerEntry("wave.obj", LayerKind::Animated, {}, 3),
                                                layerEntry("quads.obj", LayerKind::Moving)},
                                               dir.path().string()));
    struct Expected {
        int layer;
        const char* file;
        std::size_t count;
        int firstLine;
    };
    const Expected expected[] = {
        {0, "quads.obj", 2, 5}, {2, "wave_000002.obj", 2, 5}, {2, "wave_000003.obj", 1, 5}, {3, "quads.obj", 2, 5}};
    const std::vector<FileWarnings> files = warningsByFile(scene);
    ASSERT_EQ(files.size(), std::size(expected));
    std::size_t total = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(files[i].layer, expected[i].layer);
        EXPECT_TRUE(files[i].file.ends_with(expected[i].file)) << files[i].file;
        EXPECT_EQ(files[i].count, expected[i].count);
        EXPECT_EQ(files[i].first.file, files[i].file);
        EXPECT_EQ(files[i].first.line, expected[i].firstLine);
        total += files[i].count;
    }
    EXPECT_EQ(total, scene.warnings().size());
}

} // namespace
} // namespace kes
