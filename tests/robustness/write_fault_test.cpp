// Writes that fail part-way, as on a full disk: saving a project and
// generating a level must report the failure, leave the file that was at the
// target byte for byte as it was, and leave no temporary file behind. The
// process is not allowed to grow any file beyond N bytes, for several N from
// the first byte to the last.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "generate/generate_level.h"
#include "support/level_fixtures.h"
#include "model/project_file.h"

#ifndef _WIN32

namespace kes {
namespace {

using test::Bytes;
using test::TempDir;

std::vector<std::string> sortedEntries(const TempDir& dir)
{
    std::vector<std::string> names = dir.entries();
    std::sort(names.begin(), names.end());
    return names;
}

// A project with full tables: 1030 + 32 x 560 + 32 x 16 = 19462 bytes.
LevelProject fullProject()
{
    LevelProject project;
    project.settings.title = "Full";
    for (int i = 0; i < kTableCapacity; ++i) {
        LayerEntry layer;
        layer.objPath = "mesh" + std::to_string(i) + ".obj";
        layer.frames = i;
        project.layers.append(layer);
        project.targets.append(TargetEntry{float(i), 1, 2, i % 2});
    }
    return project;
}

struct FailurePoint {
    std::uint64_t limit;      // no file may grow beyond this many bytes
    const char* where;
};

void expectWriteFailure(const Status& status, const std::string& path)
{
    EXPECT_FALSE(status);
    EXPECT_NE(status.reason().find(path), std::string::npos) << status.reason();
    EXPECT_NE(status.reason().find("file too large"), std::string::npos) << status.reason();
}

TEST(WriteFaults, AProjectSaveThatFailsKeepsTheEarlierFile)
{
    const LevelProject project = fullProject();
    const std::uint64_t size = encodeProject(project).size();
    ASSERT_EQ(size, 19462u);
    const FailurePoint points[] = {
        {0, "before the header"},
        {1, "inside the header"},
        {10, "after the header"},
        {1022, "before the layer count"},
        {1026 + 560 * 5 + 100, "inside the sixth layer"},
        {size - 16, "before the last target"},
        {size - 1, "one byte short"},
    };
    for (bool earlierFile : {true, false}) {
        for (const FailurePoint& point : points) {
            SCOPED_TRACE(std::string(point.where) + (earlierFile ? ", earlier file" : ", no earlier file"));
            TempDir dir;
            const std::string path = dir.file("level.kgp");
            Bytes earlier;
            if (earlierFile) {
                LevelProject old;
                old.settings.title = "Earlier";
                ASSERT_TRUE(saveProject(old, path));
                earlier = test::readFile(path);
            }
            Status status = Status::success();
            {
                test::FileSizeLimit limit(point.limit);
                status = saveProject(project, path);
            }
            expectWriteFailure(status, path);
            if (earlierFile) {
                EXPECT_EQ(test::readFile(path), earlier);
                EXPECT_EQ(sortedEntries(dir), std::vector<std::string>{"level.kgp"});
            } else {
                EXPECT_TRUE(dir.entries().empty()) << "left behind: " << dir.entries().front();
            }
        }
    }

    // The limit is exact: with room for every byte the save succeeds.
    TempDir dir;
    const std::string path = dir.file("level.kgp");
    {
        test::FileSizeLimit limit(size);
        Status status = saveProject(project, path);
        EXPECT_TRUE(status) << status.reason();
    }
    EXPECT_EQ(test::readFile(path), encodeProject(project));
    EXPECT_EQ(sortedEntries(dir), std::vector<std::string>{"level.kgp"});
}

// The inputs of a level: an animated layer of two frames with a texture, a
// static layer without one, and two targets, generated in turn (1 thread) or
// with worker threads. A large level's texture is made
// of incompressible pixels so that the level outgrows the write buffer and
// the error shows while a layer is written, not only when the file is
// finished.
struct LevelInputs {
    LevelProject project;
    GenerationOptions options;
};

LevelInputs levelInputs(const TempDir& dir, int textureSide, int threads)
{
    test::writeObj(dir.file("wave_000001.obj"), test::fixtureTriangles(4));
    test::writeObj(dir.file("wave_000002.obj"), test::fixtureTriangles(5, 4));
    test::writeObj(dir.file("ground.obj"), test::fixtureTriangles(2, 9));
    Bytes pixels(std::size_t(textureSide) * textureSide * 3);
    std::mt19937 random(8);
    for (std::uint8_t& byte : pixels)
        byte = static_cast<std::uint8_t>(random());
    test::writeBmp(dir.file("wave.bmp"), textureSide, textureSide, pixels);

    LevelInputs inputs;
    inputs.options.baseFolder = dir.path().string();
    inputs.options.threads = threads;
    LayerEntry wave;
    wave.objPath = "wave.obj";
    wave.bmpPath = "wave.bmp";
    wave.kind = static_cast<std::int32_t>(LayerKind::Animated);
    wave.frames = 2;
    wave.draw = 1;
    LayerEntry ground;
    ground.objPath = "ground.obj";
    ground.collision = 1;
    inputs.project.layers.append(wave);
    inputs.project.layers.append(ground);
    inputs.project.targets.append(TargetEntry{1, 2, 3, 0});
    inputs.project.targets.append(TargetEntry{4, 5, 6, 1});
    return inputs;
}

TEST(WriteFaults, AGenerationThatFailsKeepsTheEarlierLevel)
{
    struct Level {
        const char* name;
        int textureSide;
        int threads;
    };
    const Level levels[] = {
        {"small level, in turn", 8, 1},
        {"small level, 3 worker threads", 8, 3},
        {"level larger than the write buffer, in turn", 700, 1},
        {"level larger than the write buffer, 3 worker threads", 700, 3},
    };
    for (const Level& level : levels) {
        SCOPED_TRACE(level.name);
        TempDir dir;
        const LevelInputs inputs = levelInputs(dir, level.textureSide, level.threads);
        const std::vector<std::string> inputFiles = sortedEntries(dir);

        // The level as it is written when nothing fails.
        TempDir elsewhere;
        const std::string reference = elsewhere.file("reference.kes");
        GenerationResult made = generateLevel(inputs.project, reference, inputs.options);
        ASSERT_TRUE(made.status) << made.status.reason();
        const Bytes expected = test::readFile(reference);
        const std::uint64_t size = expected.size();
        if (level.textureSide > 100) {
            ASSERT_GT(size, 1u << 20);
        }

        const FailurePoint points[] = {
            {0, "before the header"},
            {30, "inside the header"},
            {size / 2, "half-way"},
            {size - 1, "one byte short"},
        };
        const std::string target = dir.file("level.kes");
        const Bytes earlier(3000, 0x5A);
        for (const FailurePoint& point : points) {
            SCOPED_TRACE(point.where);
            test::writeFile(target, earlier);
            GenerationResult result;
            {
                test::FileSizeLimit limit(point.limit);
                result = generateLevel(inputs.project, target, inputs.options);
            }
            expectWriteFailure(result.status, target);
            EXPECT_EQ(test::readFile(target), earlier);
            std::vector<std::string> expectedEntries = inputFiles;
            expectedEntries.push_back("level.kes");
            std::sort(expectedEntries.begin(), expectedEntries.end());
            EXPECT_EQ(sortedEntries(dir), expectedEntries);
        }

        // With room for every byte the earlier level is replaced.
        {
            test::FileSizeLimit limit(size);
            GenerationResult result = generateLevel(inputs.project, target, inputs.options);
            EXPECT_TRUE(result.status) << result.status.reason();
        }
        EXPECT_EQ(test::readFile(target), expected);
    }
}

} // namespace
} // namespace kes

#endif
