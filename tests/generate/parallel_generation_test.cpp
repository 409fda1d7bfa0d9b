// Generation on worker threads must give exactly what generation in turn
// gives: the same bytes, result, warnings, progress calls and first error.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "generate/generate_level.h"
#include "generate/ordered_jobs.h"
#include "levelfile/level_encoding.h"
#include "support/level_fixtures.h"
#include "levelfile/level_writer.h"

namespace kes {
namespace {

using test::Bytes;
using test::TempDir;

struct Outcome {
    GenerationResult result;
    Bytes file;
    std::vector<int> progress;
    bool progressOnCallingThread = true;
};

Outcome generate(const LevelProject& project, const std::string& folder, const std::string& output, int threads)
{
    Outcome run;
    GenerationOptions options;
    options.baseFolder = folder;
    options.threads = threads;
    const std::thread::id caller = std::this_thread::get_id();
    options.progress = [&](int layer, int) {
        run.progress.push_back(layer);
        run.progressOnCallingThread = run.progressOnCallingThread && std::this_thread::get_id() == caller;
    };
    run.result = generateLevel(project, output, options);
    if (run.result.status)
        run.file = test::readFile(output);
    return run;
}

std::vector<std::string> warningTexts(const std::vector<ReaderWarning>& warnings)
{
    std::vector<std::string> texts;
    for (const ReaderWarning& w : warnings)
        texts.push_back(formatWarning(w));
    return texts;
}

// Expects the run with `threads` workers to match the run in turn exactly.
void expectSameAsInTurn(const LevelProject& project, const TempDir& dir, int threads)
{
    SCOPED_TRACE("threads " + std::to_string(threads));
    const Outcome inTurn = generate(project, dir.path().string(), dir.file("in-turn.kes"), 1);
    const Outcome parallel = generate(project, dir.path().string(), dir.file("parallel.kes"), threads);
    EXPECT_EQ(parallel.result.status.ok(), inTurn.result.status.ok());
    EXPECT_EQ(parallel.result.status.reason(), inTurn.result.status.reason());
    EXPECT_EQ(warningTexts(parallel.result.warnings), warningTexts(inTurn.result.warnings));
    EXPECT_EQ(parallel.result.triangles, inTurn.result.triangles);
    EXPECT_EQ(parallel.result.bytes, inTurn.result.bytes);
    EXPECT_EQ(parallel.progress, inTurn.progress);
    EXPECT_TRUE(parallel.progressOnCallingThread);
    EXPECT_TRUE(parallel.file == inTurn.file) << "the level files differ";
}

// A mesh of `count` fixture triangles; with `oddLines`, that many face lines
// that the reader has to work around follow.
void writeMesh(const TempDir& dir, const std::string& name, int count, int first = 0, int oddLines = 0)
{
    test::writeObj(dir.file(name), test::fixtureTriangles(count, first));
    std::string odd;
    for (int i = 0; i < oddLines; ++i)
        odd += "f 1/1/1 2/2/2 " + std::to_string(1000 + i) + "/1/1\n";
    std::ofstream(dir.file(name), std::ios::app) << odd;
}

void writeTexture(const TempDir& dir, const std::string& name, int width, int height, unsigned seed)
{
    test::writeBmp(dir.file(name), width, height, test::fixturePixels(width, height, seed));
}

LayerEntry layer(const std::string& obj, LayerKind kind, int frames = 0, const std::string& bmp = "")
{
    LayerEntry entry;
    entry.objPath = obj;
    entry.kind = static_cast<std::int32_t>(kind);
    entry.frames = frames;
    entry.speed = {1, 2, 3};
    entry.vibration = {4, 5, 6};
    entry.triggerArea = {1, 2, 3, 4, 5, 6};
    entry.draw = bmp.empty() ? 0 : 1;
    entry.bmpPath = bmp.empty() ? "never-opened.bmp" : bmp;
    entry.collision = 1;
    return entry;
}

// Every layer kind, an animation of many frames, textures of several sizes,
// a layer without texture, an animated layer without frames, warnings in
// several layers and frames: the same file and result with any number of
// threads, including more threads than there are parts.
TEST(ParallelGeneration, WritesTheSameLevelAsGenerationInTurn)
{
    TempDir dir;
    writeMesh(dir, "ground.obj", 40, 0, 2);
    writeMesh(dir, "rock.obj", 3, 50);
    for (int f = 1; f <= 9; ++f)
        writeMesh(dir, "wave_00000" + std::to_string(f) + ".obj", f, 10 * f, f % 3 == 0 ? 1 : 0);
    writeTexture(dir, "ground.bmp", 64, 48, 1);
    writeTexture(dir, "rock.bmp", 5, 3, 2);
    writeTexture(dir, "wave.bmp", 1, 1, 3);

    LevelProject project;
    project.targets.append(TargetEntry{1, 2, 3, 0});
    project.layers.append(layer("ground.obj", LayerKind::Static, 0, "ground.bmp"));
    project.layers.append(layer("wave.obj", LayerKind::Animated, 9, "wave.bmp"));
    project.layers.append(layer("rock.obj", LayerKind::Moving, 40, "rock.bmp"));
    project.layers.append(layer("rock.obj", LayerKind::Vibrating));
    project.layers.append(layer("wave.obj", LayerKind::AnimatedTrigger, 0, "rock.bmp")); // no frames
    project.layers.append(layer("ground.obj", LayerKind::Trigger, 7, "ground.bmp"));
    project.layers.append(layer("wave.obj", LayerKind::AnimatedTrigger, 4));

    const Outcome inTurn = generate(project, dir.path().string(), dir.file("check.kes"), 1);
    ASSERT_TRUE(inTurn.result.status) << inTurn.result.status.reason();
    ASSERT_GE(inTurn.result.warnings.size(), 5u);
    for (int threads : {2, 3, 8, 64})
        expectSameAsInTurn(project, dir, threads);
}

// A mesh file large enough to be parsed on every thread at once goes from
// the parsing threads straight into the level file, between parts that the
// workers made beforehand: still the same file, warnings and first error.
TEST(ParallelGeneration, AMeshParsedOnEveryThreadGoesStraightToTheFile)
{
    TempDir dir;
    writeMesh(dir, "small.obj", 5, 0, 1);
    writeMesh(dir, "large.obj", 90000, 7, 3);
    ASSERT_GE(std::filesystem::file_size(dir.file("large.obj")), std::uintmax_t(16) << 20)
        << "too small to be parsed in chunks";
    writeTexture(dir, "small.bmp", 8, 8, 5);

    LevelProject project;
    project.layers.append(layer("small.obj", LayerKind::Static, 0, "small.bmp"));
    project.layers.append(layer("large.obj", LayerKind::Static, 0, "small.bmp"));
    project.layers.append(layer("large.obj", LayerKind::Moving, 10)); // collision only
    project.layers.append(layer("small.obj", LayerKind::Vibrating, 0, "small.bmp"));
    for (int threads : {2, 3})
        expectSameAsInTurn(project, dir, threads);

#ifndef _WIN32
    // The disk fills up inside the large mesh.
    const std::string target = dir.file("level.kes");
    test::writeFile(target, std::string("the earlier level"));
    GenerationOptions options;
    options.baseFolder = dir.path().string();
    options.threads = 2;
    GenerationResult result;
    {
        test::FileSizeLimit limit(4 << 20);
        result = generateLevel(project, target, options);
    }
    ASSERT_FALSE(result.status);
    EXPECT_NE(result.status.reason().find("cannot write '" + target + "': file too large"), std::string::npos)
        << result.status.reason();
    EXPECT_EQ(test::readFile(target).size(), std::string("the earlier level").size());
#endif
}

TEST(ParallelGeneration, AnEmptyLayerTableNeedsNoWorkers)
{
    TempDir dir;
    expectSameAsInTurn(LevelProject{}, dir, 4);
}

// The first layer that fails, in table order, fails the same way with the
// same warnings as in turn, even when later parts are prepared first, and
// leaves the earlier level in place with no temporary file beside it.
TEST(ParallelGeneration, TheFirstFailureInTableOrderIsReported)
{
    TempDir dir;
    writeMesh(dir, "good.obj", 2, 0, 1);
    for (int f = 1; f <= 6; ++f)
        if (f != 4)
            writeMesh(dir, "anim_00000" + std::to_string(f) + ".obj", 2, f, 1);
    writeTexture(dir, "good.bmp", 4, 4, 1);
    test::writeFile(dir.file("broken.bmp"), std::string("BM not really a bitmap"));
    const std::string target = dir.file("level.kes");

    struct Case {
        const char* name;
        std::vector<LayerEntry> layers;
        const char* reasonContains;
    };
    const LayerEntry good = layer("good.obj", LayerKind::Static, 0, "good.bmp");
    LayerEntry brokenTextureGoodMesh = good;
    brokenTextureGoodMesh.bmpPath = "broken.bmp";
    const Case cases[] = {
        {"missing mesh", {good, good, layer("missing.obj", LayerKind::Static), good}, "layer 3 ('missing.obj')"},
        {"missing frame amid warnings", {good, layer("anim.obj", LayerKind::Animated, 6, "good.bmp")},
         "anim_000004.obj"},
        {"missing frame of an untextured animation", {layer("anim.obj", LayerKind::AnimatedTrigger, 5)},
         "anim_000004.obj"},
        {"broken texture after warning meshes", {good, brokenTextureGoodMesh, good}, "broken.bmp"},
        {"missing texture before a missing mesh", {good, layer("missing.obj", LayerKind::Static, 0, "missing.bmp")},
         "missing.bmp"},
        {"broken texture and a missing frame", {layer("anim.obj", LayerKind::Animated, 6, "broken.bmp")},
         "broken.bmp"},
        {"earlier mesh before later texture",
         {good, layer("missing.obj", LayerKind::Static, 0, "good.bmp"), good, brokenTextureGoodMesh},
         "layer 2 ('missing.obj')"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelProject project;
        for (const LayerEntry& entry : c.layers)
            project.layers.append(entry);
        for (int threads : {1, 2, 5}) {
            SCOPED_TRACE("threads " + std::to_string(threads));
            test::writeFile(target, std::string("the earlier level"));
            const Outcome run = generate(project, dir.path().string(), target, threads);
            ASSERT_FALSE(run.result.status);
            EXPECT_NE(run.result.status.reason().find(c.reasonContains), std::string::npos)
                << run.result.status.reason();
            EXPECT_EQ(test::readFile(target), (Bytes{'t', 'h', 'e', ' ', 'e', 'a', 'r', 'l', 'i', 'e', 'r', ' ',
                                                     'l', 'e', 'v', 'e', 'l'}));
            for (const std::string& entry : dir.entries())
                EXPECT_EQ(entry.find(".tmp"), std::string::npos) << entry;
        }
        expectSameAsInTurn(project, dir, 2);
        expectSameAsInTurn(project, dir, 7);
    }
}

#ifndef _WIN32
// A disk that fills up while layers are written fails the generation the
// same way, whichever thread prepared the bytes.
TEST(ParallelGeneration, AWriteFailureStopsTheGeneration)
{
    TempDir dir;
    writeMesh(dir, "big.obj", 3000);
    writeTexture(dir, "big.bmp", 200, 200, 4);
    LevelProject project;
    for (int i = 0; i < 4; ++i)
        project.layers.append(layer("big.obj", LayerKind::Static, 0, "big.bmp"));
    for (int threads : {1, 2}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        GenerationOptions options;
        options.baseFolder = dir.path().string();
        options.threads = threads;
        GenerationResult result;
        {
            test::FileSizeLimit limit(400000); // the level needs about 800 kB
            result = generateLevel(project, dir.file("level.kes"), options);
        }
        ASSERT_FALSE(result.status);
        EXPECT_NE(result.status.reason().find("cannot write '" + dir.file("level.kes") + "': file too large"),
                  std::string::npos)
            << result.status.reason();
        EXPECT_FALSE(std::filesystem::exists(dir.file("level.kes")));
    }
}
#endif

TEST(ParallelGeneration, ThreadCountFollowsTheOption)
{
    GenerationOptions options;
    options.threads = 3;
    EXPECT_EQ(generationThreadCount(options), 3);
    options.threads = 0;
    const int chosen = generationThreadCount(options);
    EXPECT_GE(chosen, 1);
    EXPECT_LE(chosen, kMaxGenerationThreads);
}

// Results come back in number order whatever order the jobs finish in, and
// no job starts more than `window` ahead of the results taken.
TEST(OrderedJobs, HandsResultsBackInOrderWithinTheWindow)
{
    for (int threads : {0, 1, 2, 4}) {
        for (std::size_t window : {1u, 3u, 8u}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, window " + std::to_string(window));
            // Counted before each take(), so it is never behind the results
            // the jobs object has handed out.
            std::atomic<std::size_t> takesBegun{0};
            std::atomic<bool> beyondWindow{false};
            const std::size_t count = 60;
            OrderedJobs<std::size_t> jobs(count, threads, window, [&](std::size_t i) {
                if (i >= takesBegun.load() + window)
                    beyondWindow = true;
                // Later jobs finish first now and then.
                std::this_thread::sleep_for(std::chrono::microseconds(i % 3 == 0 ? 300 : 0));
                return i * i;
            });
            for (std::size_t i = 0; i < count; ++i) {
                takesBegun = i + 1;
                EXPECT_EQ(jobs.take(), i * i);
            }
            EXPECT_FALSE(beyondWindow);
        }
    }
}

TEST(OrderedJobs, AnExceptionReachesTheTakeOfItsResult)
{
    OrderedJobs<int> jobs(4, 2, 4, [](std::size_t i) {
        if (i == 2)
            throw std::runtime_error("job 2 failed");
        return static_cast<int>(i);
    });
    EXPECT_EQ(jobs.take(), 0);
    EXPECT_EQ(jobs.take(), 1);
    EXPECT_THROW(jobs.take(), std::runtime_error);
    EXPECT_EQ(jobs.take(), 3);
}

// Dropping the jobs with results not taken stops at once: no job beyond the
// window is started, and nothing hangs.
TEST(OrderedJobs, StopsWhenDroppedEarly)
{
    std::atomic<int> started{0};
    {
        OrderedJobs<int> jobs(1000, 2, 4, [&](std::size_t i) {
            ++started;
            return static_cast<int>(i);
        });
        EXPECT_EQ(jobs.take(), 0);
    }
    EXPECT_LE(started.load(), 5);
}

// A prepared layer chunk gives the bytes writeLayer gives, and nothing else
// may be written in its middle.
TEST(PreparedLayer, MatchesWriteLayerAndKeepsTheChunkWhole)
{
    TempDir dir;
    test::writeObj(dir.file("one.obj"), test::fixtureTriangles(3));
    LayerDescriptor descriptor;
    descriptor.kind = LayerKind::Moving;
    descriptor.speed = {1, 2, 3};
    descriptor.frames = 9;
    descriptor.draw = 1;
    LevelFileHeader header;
    header.chunkCounts = {1, 1, 0, 0, 0};

    LevelFileWriter direct;
    ASSERT_TRUE(direct.open(dir.file("direct.kes"), header));
    ASSERT_TRUE(direct.writeLayer(dir.file("one.obj"), descriptor));
    ASSERT_TRUE(direct.writeVector(1, 1, 0, 0, 0));
    ASSERT_TRUE(direct.close());

    LevelFileWriter prepared;
    ASSERT_TRUE(prepared.open(dir.file("prepared.kes"), header));
    EXPECT_FALSE(prepared.writeLayerBytes(Bytes{1})) << "no layer begun";
    EXPECT_FALSE(prepared.finishLayer(0));
    ASSERT_TRUE(prepared.beginLayer());
    EXPECT_FALSE(prepared.beginLayer()) << "a layer is open";
    EXPECT_FALSE(prepared.writeVector(1, 1, 0, 0, 0));
    EXPECT_FALSE(prepared.writeLayer(dir.file("one.obj"), descriptor));
    Bytes head, frame, textures;
    encodeLayerHead(descriptor, head);
    MeshTriangles mesh;
    ASSERT_TRUE(loadObjMesh(dir.file("one.obj"), mesh));
    encodeFrame(mesh, false, frame);
    encodeTextureCount(0, textures);
    ASSERT_TRUE(prepared.writeLayerBytes(head));
    ASSERT_TRUE(prepared.writeLayerBytes(frame));
    ASSERT_TRUE(prepared.writeLayerBytes(textures));
    EXPECT_FALSE(prepared.close()) << "the layer is not finished";
    ASSERT_TRUE(prepared.finishLayer(3));
    EXPECT_EQ(prepared.remaining(ChunkKind::LayerChunk), 0);
    EXPECT_FALSE(prepared.beginLayer()) << "no layer chunk left";
    ASSERT_TRUE(prepared.writeVector(1, 1, 0, 0, 0));
    EXPECT_EQ(prepared.trianglesWritten(), 3u);
    ASSERT_TRUE(prepared.close());

    EXPECT_EQ(test::readFile(dir.file("prepared.kes")), test::readFile(dir.file("direct.kes")));
}

} // namespace
} // namespace kes
