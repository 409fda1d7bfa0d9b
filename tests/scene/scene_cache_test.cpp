#include <gtest/gtest.h>

#include <atomic>

#include "support/layer_entries.h"
#include "support/level_fixtures.h"
#include "scene/scene_builder.h"

namespace kes {
namespace {

using test::drawnLayer;
using test::TempDir;

SceneBuildOptions cachedOnly(SceneAssetCache& cache)
{
    SceneBuildOptions options;
    options.cache = &cache;
    options.cachedOnly = true;
    return options;
}

class SceneCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::writeObj(dir.file("a.obj"), test::fixtureTriangles(1));
        test::writeObj(dir.file("b.obj"), test::fixtureTriangles(2));
        test::writeBmp(dir.file("t.bmp"), 1, 1, {1, 2, 3});
        request.baseFolder = dir.path().string();
        // Two layers share one texture.
        request.layers = {drawnLayer("a.obj", "t.bmp"), drawnLayer("b.obj", "t.bmp")};
        options.cache = &cache;
    }

    TempDir dir;
    SceneRequest request;
    SceneAssetCache cache;
    SceneBuildOptions options;
};

TEST_F(SceneCache, UnchangedFilesAreReadOnceAndChangedOnesAgain)
{
    Scene first = buildScene(request, options);
    EXPECT_EQ(cache.reads(), 3); // the shared texture once
    EXPECT_EQ(first.layers[0].texture, first.layers[1].texture);

    Scene second = buildScene(request, options);
    EXPECT_EQ(cache.reads(), 3);
    EXPECT_EQ(second.layers[0].frames[0], first.layers[0].frames[0]); // the same mesh, not a copy

    // A re-exported mesh (another size) is read again; the others are not.
    test::writeObj(dir.file("b.obj"), test::fixtureTriangles(4));
    Scene third = buildScene(request, options);
    EXPECT_EQ(cache.reads(), 4);
    EXPECT_EQ(third.layers[1].frames[0]->triangleCount(), 4u);

    // Same size, later modification time.
    const auto before = std::filesystem::last_write_time(dir.path() / "a.obj");
    test::writeObj(dir.file("a.obj"), test::fixtureTriangles(1, 7));
    std::filesystem::last_write_time(dir.path() / "a.obj", before + std::chrono::seconds(2));
    Scene fourth = buildScene(request, options);
    EXPECT_EQ(cache.reads(), 5);
    EXPECT_EQ(fourth.layers[0].frames[0]->faces[0].position[0].x, test::fixtureTriangle(7).corners[0][0]);
}

TEST_F(SceneCache, CachedOnlyShowsWhatIsKeptAndMarksTheRestLoading)
{
    Scene empty = buildScene(request, cachedOnly(cache));
    EXPECT_EQ(cache.reads(), 0);
    EXPECT_EQ(empty.loadingLayers(), 2);
    EXPECT_TRUE(empty.problems.empty());

    buildScene(request, options);
    request.layers.push_back(drawnLayer("new.obj", "t.bmp"));
    test::writeObj(dir.file("new.obj"), test::fixtureTriangles(1));
    Scene partial = buildScene(request, cachedOnly(cache));
    EXPECT_EQ(partial.loadingLayers(), 1);
    EXPECT_TRUE(partial.layers[2].loading);
    EXPECT_EQ(partial.layers[0].frames.size(), 1u);
}

TEST_F(SceneCache, FilesNoLongerNamedAreForgottenAndFailuresNotKept)
{
    buildScene(request, options);
    request.layers = {drawnLayer("a.obj", "t.bmp")};
    buildScene(request, options);
    EXPECT_EQ(cache.reads(), 3);
    request.layers.push_back(drawnLayer("b.obj", "t.bmp")); // b.obj was forgotten
    buildScene(request, options);
    EXPECT_EQ(cache.reads(), 4);

    request.layers = {drawnLayer("late.obj", "t.bmp")};
    Scene missing = buildScene(request, options);
    ASSERT_EQ(missing.problems.size(), 1u);
    test::writeObj(dir.file("late.obj"), test::fixtureTriangles(1)); // appears later
    Scene found = buildScene(request, options);
    EXPECT_TRUE(found.problems.empty());
    EXPECT_EQ(found.layers[0].frames.size(), 1u);
}

TEST_F(SceneCache, ACancelledBuildLeavesUnreadLayersLoading)
{
    std::atomic<bool> cancelled{true};
    SceneBuildOptions cancelling = options;
    cancelling.cancelled = &cancelled;
    Scene scene = buildScene(request, cancelling);
    EXPECT_EQ(scene.loadingLayers(), 2);
    EXPECT_TRUE(scene.problems.empty());
    EXPECT_EQ(cache.reads(), 0);
}

TEST_F(SceneCache, ProgressCountsEveryFileOnAnyNumberOfThreads)
{
    for (int threads : {1, 2, 4}) {
        SceneAssetCache fresh;
        SceneBuildOptions counted;
        counted.cache = &fresh;
        counted.threads = threads;
        int calls = 0, lastDone = 0, lastTotal = 0;
        counted.progress = [&](int done, int total) {
            ++calls;
            lastDone = done;
            lastTotal = total;
        };
        Scene scene = buildScene(request, counted);
        EXPECT_EQ(calls, 3) << threads;
        EXPECT_EQ(lastDone, 3);
        EXPECT_EQ(lastTotal, 3);
        EXPECT_EQ(scene.layers[1].frames[0]->triangleCount(), 2u);
    }
}

} // namespace
} // namespace kes
