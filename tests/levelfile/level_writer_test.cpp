// The writer's rules: declared counts, refusals, and what stands at the
// target when writing fails.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/level_fixtures.h"
#include "support/expect_status.h"
#include "levelfile/level_writer.h"

namespace kes {
namespace {

using test::Bytes;
using test::TempDir;

LevelFileHeader headerWithCounts(std::array<std::uint16_t, 5> counts)
{
    LevelFileHeader header;
    header.title = "T";
    header.author = "A";
    header.chunkCounts = counts;
    return header;
}

bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

// Only the files a test laid down itself are in the folder: no temporary file.
void expectOnlyEntries(const TempDir& dir, std::vector<std::string> expected)
{
    std::vector<std::string> names = dir.entries();
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

TEST(LevelWriter, RefusesAChunkBeyondItsDeclaredCount)
{
    TempDir dir;
    LevelFileWriter writer;
    ASSERT_TRUE(writer.open(dir.file("a.kes"), headerWithCounts({0, 4, 0, 0, 0})));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(writer.writeVector(1, static_cast<std::uint16_t>(i), 1, 2, 3));
    std::uint64_t size = writer.bytesWritten();
    EXPECT_EQ(writer.remaining(ChunkKind::VectorChunk), 0);

    Status refused = writer.writeVector(1, 5, 1, 2, 3);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.reason().find("vector"), std::string::npos) << refused.reason();
    EXPECT_EQ(writer.bytesWritten(), size);
    // A refusal does not spoil the file: it still closes complete.
    EXPECT_OK(writer.close());
    EXPECT_EQ(test::readFile(dir.file("a.kes")).size(), size);
}

TEST(LevelWriter, RefusesEveryKindWhoseCountIsUsedUp)
{
    TempDir dir;
    test::writeObj(dir.file("m.obj"), test::fixtureTriangles(1));
    LevelFileWriter writer;
    ASSERT_TRUE(writer.open(dir.file("a.kes"), headerWithCounts({0, 0, 0, 0, 9})));
    LayerDescriptor descriptor;
    descriptor.frameCount = 7;
    EXPECT_FALSE(writer.writeLayer(dir.file("m.obj"), descriptor));
    EXPECT_EQ(descriptor.frameCount, 7) << "a refused layer changes nothing";
    EXPECT_FALSE(writer.writeVector(-1, 0, 0, 0, 0));
    EXPECT_FALSE(writer.writeInteger(0, 0));
    EXPECT_FALSE(writer.writeFloat(0));
    EXPECT_EQ(writer.bytesWritten(), kHeaderFixedSize + 2);
    // The fifth count is written as given and never awaited.
    EXPECT_TRUE(writer.close());
}

TEST(LevelWriter, OpenAndCloseRules)
{
    TempDir dir;
    std::string path = dir.file("a.kes");
    LevelFileWriter writer;
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(writer.writeFloat(1)) << "not open yet";
    EXPECT_FALSE(writer.close().reason().empty());

    ASSERT_TRUE(writer.open(path, headerWithCounts({0, 0, 0, 1, 0})));
    EXPECT_TRUE(writer.isOpen());
    EXPECT_FALSE(writer.open(dir.file("b.kes"), headerWithCounts({0, 0, 0, 0, 0}))) << "already open";
    EXPECT_FALSE(exists(dir.file("b.kes")));

    // Incomplete: close does nothing, nothing stands at the target yet.
    Status incomplete = writer.close();
    EXPECT_FALSE(incomplete);
    EXPECT_NE(incomplete.reason().find("1 float chunk"), std::string::npos) << incomplete.reason();
    EXPECT_TRUE(writer.isOpen());
    EXPECT_FALSE(exists(path));

    EXPECT_TRUE(writer.writeFloat(2));
    EXPECT_OK(writer.close());
    EXPECT_FALSE(writer.isOpen());
    EXPECT_TRUE(exists(path));
    EXPECT_FALSE(writer.close()) << "closed twice";
    EXPECT_FALSE(writer.writeFloat(3)) << "a closed writer refuses every write";
    EXPECT_FALSE(writer.open(path, headerWithCounts({0, 0, 0, 0, 0}))) << "one file per writer";
    expectOnlyEntries(dir, {"a.kes"});
}

TEST(LevelWriter, OpenFailsWithAReason)
{
    TempDir dir;
    LevelFileWriter writer;
    std::string path = dir.file("no-such-folder/a.kes");
    Status failed = writer.open(path, headerWithCounts({0, 0, 0, 0, 0}));
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.reason().find(path), std::string::npos) << failed.reason();
    EXPECT_FALSE(writer.isOpen());

    LevelFileHeader header = headerWithCounts({0, 0, 0, 0, 0});
    header.title.assign(65536, 'x');
    EXPECT_FALSE(writer.open(dir.file("a.kes"), header)) << "a title of 65536 bytes has no length word";
    header.title.assign(65535, 'x');
    EXPECT_OK(writer.open(dir.file("a.kes"), header));
    EXPECT_TRUE(writer.close());
    EXPECT_EQ(test::readFile(dir.file("a.kes")).size(), kHeaderFixedSize + 65535 + 1);
}

TEST(LevelWriter, MovingLayerForcesOneFrame)
{
    TempDir dir;
    test::writeObj(dir.file("m.obj"), test::fixtureTriangles(3));
    LevelFileWriter writer;
    ASSERT_TRUE(writer.open(dir.file("a.kes"), headerWithCounts({1, 0, 0, 0, 0})));
    LayerDescriptor descriptor;
    descriptor.kind = LayerKind::Moving;
    descriptor.frameCount = 40; // no numbered files exist: only m.obj is read
    EXPECT_OK(writer.writeLayer(dir.file("m.obj"), descriptor));
    EXPECT_EQ(descriptor.frameCount, 1);
    EXPECT_EQ(writer.trianglesWritten(), 3u);
    EXPECT_TRUE(writer.close());
}

TEST(LevelWriter, AnimatedLayerKeepsItsFrameCount)
{
    TempDir dir;
    for (int f = 1; f <= 3; ++f)
        test::writeObj(dir.file("w_00000" + std::to_string(f) + ".obj"), test::fixtureTriangles(f));
    LevelFileWriter writer;
    ASSERT_TRUE(writer.open(dir.file("a.kes"), headerWithCounts({1, 0, 0, 0, 0})));
    LayerDescriptor descriptor;
    descriptor.kind = LayerKind::AnimatedTrigger;
    descriptor.frameCount = 3;
    EXPECT_OK(writer.writeLayer(dir.file("w.obj"), descriptor));
    EXPECT_EQ(descriptor.frameCount, 3);
    EXPECT_EQ(writer.trianglesWritten(), 6u);
    EXPECT_TRUE(writer.close());
}

TEST(LevelWriter, CollectsTheMeshReaderWarnings)
{
    TempDir dir;
    test::writeFile(dir.file("m.obj"), "v 1 2\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 1/1/1\n");
    LevelFileWriter writer;
    ASSERT_TRUE(writer.open(dir.file("a.kes"), headerWithCounts({1, 0, 0, 0, 0})));
    LayerDescriptor descriptor;
    EXPECT_TRUE(writer.writeLayer(dir.file("m.obj"), descriptor));
    ASSERT_FALSE(writer.warnings().empty());
    EXPECT_EQ(writer.warnings()[0].file, dir.file("m.obj"));
    EXPECT_TRUE(writer.close());
}

TEST(LevelWriter, RefusesATextureWhosePixelsDoNotMatchItsSize)
{
    TempDir dir;
    test::writeObj(dir.file("m.obj"), test::fixtureTriangles(1));
    LevelFileWriter writer;
    ASSERT_TRUE(writer.open(dir.file("a.kes"), headerWithCounts({1, 0, 0, 0, 0})));
    std::uint64_t size = writer.bytesWritten();
    LayerDescriptor descriptor;
    descriptor.textureCount = 1;
    descriptor.textureWidths[0] = 2;
    descriptor.textureHeights[0] = 2;
    descriptor.texturePixels[0].assign(11, 0);
    Status refused = writer.writeLayer(dir.file("m.obj"), descriptor);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.reason().find("12"), std::string::npos) << refused.reason();
    EXPECT_EQ(writer.bytesWritten(), size);

    descriptor.textureCount = 4;
    EXPECT_FALSE(writer.writeLayer(dir.file("m.obj"), descriptor));

    // Nothing was written, so the layer can still be written correctly.
    descriptor.textureCount = 1;
    descriptor.texturePixels[0].assign(12, 7);
    EXPECT_OK(writer.writeLayer(dir.file("m.obj"), descriptor));
    EXPECT_TRUE(writer.close());
}

// A layer whose mesh cannot be read: writeLayer fails with the reason, the
// writer is broken and nothing stands at the target.
TEST(LevelWriter, UnreadableMeshBreaksTheWriter)
{
    struct Case {
        const char* name;
        LayerKind kind;
        std::uint16_t frameCount;
        std::vector<int> framesPresent;
        const char* missing;
    };
    const Case cases[] = {
        {"missing mesh", LayerKind::Static, 1, {}, "m.obj"},
        {"missing second frame", LayerKind::Animated, 3, {1, 3}, "m_000002.obj"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (int f : c.framesPresent)
            test::writeObj(dir.file("m_00000" + std::to_string(f) + ".obj"), test::fixtureTriangles(1));
        std::string path = dir.file("a.kes");
        test::writeFile(path, "earlier level");
        LevelFileWriter writer;
        ASSERT_TRUE(writer.open(path, headerWithCounts({1, 0, 0, 1, 0})));
        LayerDescriptor descriptor;
        descriptor.kind = c.kind;
        descriptor.frameCount = c.frameCount;
        Status failed = writer.writeLayer(dir.file("m.obj"), descriptor);
        EXPECT_FALSE(failed);
        EXPECT_NE(failed.reason().find(dir.file(c.missing)), std::string::npos) << failed.reason();
        EXPECT_FALSE(writer.isOpen());
        EXPECT_EQ(writer.remaining(ChunkKind::LayerChunk), 1);
        Status later = writer.writeFloat(1);
        EXPECT_FALSE(later);
        EXPECT_NE(later.reason().find("failed earlier"), std::string::npos) << later.reason();
        EXPECT_FALSE(writer.close());
        EXPECT_EQ(test::readFile(path), Bytes(std::begin("earlier level"), std::end("earlier level") - 1));
        std::vector<std::string> present = {"a.kes"};
        for (int f : c.framesPresent)
            present.push_back("m_00000" + std::to_string(f) + ".obj");
        expectOnlyEntries(dir, present);
    }
}

TEST(LevelWriter, DestroyedIncompleteWriterLeavesNothing)
{
    TempDir dir;
    std::string path = dir.file("a.kes");
    {
        LevelFileWriter writer;
        ASSERT_TRUE(writer.open(path, headerWithCounts({0, 2, 0, 0, 0})));
        ASSERT_TRUE(writer.writeVector(1, 1, 0, 0, 0));
        std::vector<std::string> names = dir.entries();
#ifdef __linux__
        // Written into an unnamed file, named only once it is whole.
        EXPECT_EQ(names.size(), 0u);
#else
        ASSERT_EQ(names.size(), 1u);
        EXPECT_NE(names[0], "a.kes") << "only a temporary file beside the target";
#endif
    }
    expectOnlyEntries(dir, {});
}

TEST(LevelWriter, DestroyedCompleteWriterFinishesTheFile)
{
    TempDir dir;
    std::string path = dir.file("a.kes");
    {
        LevelFileWriter writer;
        ASSERT_TRUE(writer.open(path, headerWithCounts({0, 0, 0, 1, 0})));
        ASSERT_TRUE(writer.writeFloat(1));
    }
    EXPECT_EQ(test::readFile(path).size(), kHeaderFixedSize + 2 + kFloatChunkSize);
    expectOnlyEntries(dir, {"a.kes"});
}

#ifndef _WIN32
// Real write errors: the process may not grow any file beyond a limit, so
// writes past it fail as on a full disk.
TEST(LevelWriter, WriteErrorIsReportedAndTheTargetKept)
{
    // A small level stays in the stream's buffer until close() flushes it;
    // a large one reaches the file while the layer is written.
    struct Case {
        const char* name;
        int textureSide;    // incompressible pixels of a square texture
        bool layerFails;    // the error shows already in writeLayer (else in close)
        bool earlierFile;   // a level stands at the target before
    };
    const Case cases[] = {
        {"error found by close", 12, false, false},
        {"error found by close, earlier file kept", 12, false, true},
        {"error found while writing the layer", 1000, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        test::writeObj(dir.file("m.obj"), test::fixtureTriangles(2));
        std::string path = dir.file("a.kes");
        Bytes earlier(5000, 0xAB);
        if (c.earlierFile)
            test::writeFile(path, earlier);
        LayerDescriptor descriptor;
        descriptor.draw = 1;
        descriptor.textureCount = 1;
        descriptor.textureWidths[0] = descriptor.textureHeights[0] = static_cast<std::uint16_t>(c.textureSide);
        descriptor.texturePixels[0] = test::fixturePixels(c.textureSide, c.textureSide);
        std::mt19937 random(5);
        for (auto& byte : descriptor.texturePixels[0])
            byte = static_cast<std::uint8_t>(random());

        LevelFileWriter writer;
        Status layerWritten = Status::success();
        Status closed = Status::success();
        {
            test::FileSizeLimit limit(300);
            ASSERT_TRUE(writer.open(path, headerWithCounts({1, 0, 0, 0, 0})));
            layerWritten = writer.writeLayer(dir.file("m.obj"), descriptor);
            closed = writer.close();
        }
        EXPECT_EQ(layerWritten.ok(), !c.layerFails) << layerWritten.reason();
        EXPECT_FALSE(closed);
        EXPECT_NE(closed.reason().find(path), std::string::npos) << closed.reason();
        EXPECT_NE(closed.reason().find("file too large"), std::string::npos) << closed.reason();
        EXPECT_FALSE(writer.isOpen());
        if (c.earlierFile) {
            EXPECT_EQ(test::readFile(path), earlier);
            expectOnlyEntries(dir, {"a.kes", "m.obj"});
        } else {
            expectOnlyEntries(dir, {"m.obj"});
        }
    }
}
#endif

} // namespace
} // namespace kes
