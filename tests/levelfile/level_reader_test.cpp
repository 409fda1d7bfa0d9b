// Writer -> reader round trips, and the reader's checks on damaged files.
#include <functional>

#include <gtest/gtest.h>

#include "support/level_fixtures.h"
#include "support/expect_status.h"
#include "levelfile/level_reader.h"
#include "levelfile/level_writer.h"

namespace kes {
namespace {

using test::Bytes;
using test::TempDir;

// The layers of the sample level, in file order.
struct SampleLayer {
    LayerDescriptor descriptor;
    std::vector<int> triangles; // per frame
};

std::vector<SampleLayer> sampleLayers()
{
    std::vector<SampleLayer> layers(7);
    for (std::size_t i = 0; i < layers.size(); ++i) {
        LayerDescriptor& d = layers[i].descriptor;
        d.kind = layerKindOf(static_cast<std::uint16_t>(i));
        d.speed = {1.5f, -2, float(i)};
        d.frames = 100;
        d.vibration = {0.25f, 0.5f, 0.75f};
        d.triggerArea = {1, 4, 6, 2, 3, 5};
        d.collision = i % 2;
        d.draw = i % 3 != 0;
        layers[i].triangles = {int(i) + 1};
    }
    layers[4].descriptor.frameCount = 3; // Animated
    layers[4].triangles = {2, 0, 1};
    layers[5].descriptor.frameCount = 0; // AnimatedTrigger without frames
    layers[5].triangles = {};
    layers[6].descriptor.kind = layerKindOf(11); // unknown kind: one frame
    layers[6].descriptor.normals = 1;
    // Textures: one ordinary, a 0 x 0 one, three in a layer.
    layers[1].descriptor.textureCount = 1;
    layers[1].descriptor.textureWidths[0] = 5;
    layers[1].descriptor.textureHeights[0] = 3;
    layers[1].descriptor.texturePixels[0] = test::fixturePixels(5, 3);
    layers[2].descriptor.textureCount = 1; // 0 x 0
    layers[4].descriptor.textureCount = 3;
    for (int t = 0; t < 3; ++t) {
        layers[4].descriptor.textureWidths[t] = static_cast<std::uint16_t>(t + 1);
        layers[4].descriptor.textureHeights[t] = 2;
        layers[4].descriptor.texturePixels[t] = test::fixturePixels(t + 1, 2, 10 + t);
    }
    return layers;
}

std::string meshName(std::size_t layer)
{
    return "layer" + std::to_string(layer) + ".obj";
}

// Writes the sample level to dir/level.kes and returns its header.
LevelFileHeader writeSampleLevel(const TempDir& dir, std::vector<SampleLayer>& layers)
{
    int triangle = 0;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const auto& frames = layers[i].triangles;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            std::string name = frames.size() == 1 ? meshName(i)
                                                  : frameMeshPath(meshName(i), std::uint16_t(frames.size()), int(f) + 1);
            test::writeObj(dir.file(name), test::fixtureTriangles(frames[f], triangle));
            triangle += frames[f];
        }
    }
    LevelFileHeader header;
    header.title = "Round trip";
    header.author = "Tester";
    header.versionMajor = 3;
    header.versionMinor = 65535;
    header.chunkCounts = {std::uint16_t(layers.size()), 4, 3, 1, 0};
    LevelFileWriter writer;
    EXPECT_TRUE(writer.open(dir.file("level.kes"), header));
    EXPECT_TRUE(writer.writeFloat(12.5f));
    EXPECT_TRUE(writer.writeInteger(0, 2));
    EXPECT_TRUE(writer.writeVector(-1, 0, 1, 2, 3));
    EXPECT_TRUE(writer.writeVector(-1, 1, 4, 5, 6));
    EXPECT_TRUE(writer.writeVector(-100, 0, 0.1f, 0.2f, 0.3f));
    EXPECT_TRUE(writer.writeInteger(1, 0));
    EXPECT_TRUE(writer.writeVector(1, 1, -7, 8, -9));
    for (std::size_t i = 0; i < layers.size(); ++i)
        EXPECT_OK(writer.writeLayer(dir.file(meshName(i)), layers[i].descriptor));
    EXPECT_TRUE(writer.writeInteger(2, 1)); // keyed chunks may also follow layers
    EXPECT_OK(writer.close());
    return header;
}

TEST(LevelReader, RoundTrip)
{
    TempDir dir;
    std::vector<SampleLayer> layers = sampleLayers();
    LevelFileHeader header = writeSampleLevel(dir, layers);
    Bytes file = test::readFile(dir.file("level.kes"));

    LevelFile level;
    Status status = decodeLevelFile(file, level);
    ASSERT_TRUE(status) << status.reason();
    EXPECT_EQ(level.header, header);
    EXPECT_EQ(level.size, file.size());

    ASSERT_EQ(level.keyedChunks.size(), 8u);
    const KeyedChunk& first = level.keyedChunks[0];
    EXPECT_EQ(first.kind, ChunkKind::FloatChunk);
    EXPECT_EQ(first.key, kFramesLRKey);
    EXPECT_EQ(first.number, 12.5f);
    EXPECT_EQ(first.offset, kHeaderFixedSize + 10 + 6);
    EXPECT_EQ(level.keyedChunks[4].key, kBackgroundColorKey);
    EXPECT_EQ(level.keyedChunks[4].vector, (std::array<float, 3>{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(level.keyedChunks[6].kind, ChunkKind::VectorChunk);
    EXPECT_EQ(level.keyedChunks[6].key, (ChunkKey{1, 1}));
    EXPECT_EQ(level.keyedChunks[6].vector, (std::array<float, 3>{-7, 8, -9}));
    EXPECT_EQ(level.keyedChunks[7].kind, ChunkKind::IntegerChunk);
    EXPECT_EQ(level.keyedChunks[7].key, (ChunkKey{1, 2}));
    EXPECT_EQ(level.keyedChunks[7].integer, 1);
    EXPECT_GT(level.keyedChunks[7].offset, level.layers.back().offset);

    ASSERT_EQ(level.layers.size(), layers.size());
    int triangle = 0;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        SCOPED_TRACE("layer " + std::to_string(i));
        const LayerDescriptor& d = layers[i].descriptor;
        const LevelLayer& read = level.layers[i];
        EXPECT_EQ(read.kind, layerKindWord(d.kind));
        EXPECT_EQ(read.collides(), d.collision != 0);
        EXPECT_EQ(read.isDrawn(), d.draw != 0);
        EXPECT_EQ(read.hasNormals(), d.normals != 0);
        using enum LayerKind;
        bool hasSpeed = d.kind == Moving || d.kind == Vibrating || d.kind == Trigger;
        const std::array<float, 3> none3{};
        const std::array<float, 6> none6{};
        EXPECT_EQ(read.speed, hasSpeed ? d.speed : none3);
        EXPECT_EQ(read.frames, d.kind == Moving || d.kind == Trigger ? 100.0f : 0.0f);
        EXPECT_EQ(read.vibration, d.kind == Vibrating ? d.vibration : none3);
        EXPECT_EQ(read.triggerArea, d.kind == Trigger || d.kind == AnimatedTrigger ? d.triggerArea : none6);
        EXPECT_EQ(read.frameCount, d.frameCount);

        ASSERT_EQ(read.meshFrames.size(), layers[i].triangles.size());
        for (std::size_t f = 0; f < read.meshFrames.size(); ++f) {
            const LevelFrame& frame = read.meshFrames[f];
            ASSERT_EQ(frame.triangleCount, std::uint32_t(layers[i].triangles[f]));
            std::size_t perTriangle = read.hasNormals() ? 24 : 15;
            ASSERT_EQ(frame.triangles.size(), frame.triangleCount * perTriangle);
            for (std::uint32_t t = 0; t < frame.triangleCount; ++t, ++triangle) {
                test::FixtureTriangle expected = test::fixtureTriangle(triangle);
                for (int k = 0; k < 15; ++k)
                    EXPECT_EQ(frame.triangles[t * perTriangle + k], expected.corners[k / 5][k % 5]);
                if (read.hasNormals()) {
                    EXPECT_EQ(frame.triangles[t * perTriangle + 17], 1.0f);
                }
            }
        }

        ASSERT_EQ(read.textures.size(), d.textureCount);
        for (std::size_t t = 0; t < read.textures.size(); ++t) {
            const LevelTexture& texture = read.textures[t];
            EXPECT_EQ(texture.width, d.textureWidths[t]);
            EXPECT_EQ(texture.height, d.textureHeights[t]);
            EXPECT_EQ(texture.pixels, d.texturePixels[t]);
            // The blob itself, inflated by zlib, gives the pixels.
            ASSERT_LE(texture.offset + 8 + texture.compressedSize, file.size());
            EXPECT_EQ(getU32(file.data() + texture.offset + 4), texture.compressedSize);
            bool ok = false;
            EXPECT_EQ(test::zlibInflate(file.data() + texture.offset + 8, texture.compressedSize,
                                        d.texturePixels[t].size(), ok),
                      d.texturePixels[t]);
            EXPECT_TRUE(ok);
        }
    }
    EXPECT_EQ(level.triangleCount(), std::uint64_t(triangle));
}

TEST(LevelReader, CountsOnlyWithoutGeometryAndPixels)
{
    TempDir dir;
    std::vector<SampleLayer> layers = sampleLayers();
    writeSampleLevel(dir, layers);
    LevelFile full;
    LevelFile counts;
    ASSERT_TRUE(loadLevelFile(dir.file("level.kes"), full));
    ASSERT_TRUE(loadLevelFile(dir.file("level.kes"), counts, {.keepGeometry = false, .keepPixels = false}));
    EXPECT_EQ(counts.triangleCount(), full.triangleCount());
    for (std::size_t i = 0; i < full.layers.size(); ++i) {
        ASSERT_EQ(counts.layers[i].meshFrames.size(), full.layers[i].meshFrames.size());
        for (const LevelFrame& frame : counts.layers[i].meshFrames)
            EXPECT_TRUE(frame.triangles.empty());
        for (const LevelTexture& texture : counts.layers[i].textures)
            EXPECT_TRUE(texture.pixels.empty());
    }
}

TEST(LevelReader, MissingFileNamesIt)
{
    TempDir dir;
    LevelFile level;
    Status status = loadLevelFile(dir.file("none.kes"), level);
    EXPECT_FALSE(status);
    EXPECT_NE(status.reason().find(dir.file("none.kes")), std::string::npos) << status.reason();
}

// A small level laid out as:
//   0 header (title "T", author "A", counts 1, 0, 1, 1, 0)
//  42 float chunk, 52 integer chunk,
//  62 layer chunk: 66 flags, 68 frame (1 triangle), 132 texture count,
// 134 texture blob of 2 x 2 pixels, 142 its zlib stream.
Bytes smallLevel(const TempDir& dir)
{
    test::writeObj(dir.file("m.obj"), test::fixtureTriangles(1));
    LevelFileHeader header;
    header.title = "T";
    header.author = "A";
    header.chunkCounts = {1, 0, 1, 1, 0};
    LevelFileWriter writer;
    EXPECT_TRUE(writer.open(dir.file("small.kes"), header));
    EXPECT_TRUE(writer.writeFloat(1));
    EXPECT_TRUE(writer.writeInteger(0, 0));
    LayerDescriptor descriptor;
    descriptor.draw = 1;
    descriptor.textureCount = 1;
    descriptor.textureWidths[0] = 2;
    descriptor.textureHeights[0] = 2;
    descriptor.texturePixels[0] = test::fixturePixels(2, 2);
    EXPECT_TRUE(writer.writeLayer(dir.file("m.obj"), descriptor));
    EXPECT_TRUE(writer.close());
    return test::readFile(dir.file("small.kes"));
}

TEST(LevelReader, ReportsTheFirstProblemWithItsOffset)
{
    TempDir dir;
    const Bytes valid = smallLevel(dir);
    {
        LevelFile level;
        ASSERT_TRUE(decodeLevelFile(valid, level));
        ASSERT_EQ(level.layers.at(0).offset, 62u);
        ASSERT_EQ(level.layers[0].textures.at(0).offset, 134u);
    }
    const std::size_t end = valid.size();
    const std::size_t streamSize = end - 142;

    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        std::string expected;
    };
    const Case cases[] = {
        {"magic", [](Bytes& b) { b[3] = 'e'; }, "byte 0: not a level file"},
        {"empty file", [](Bytes& b) { b.clear(); }, "byte 0: not a level file"},
        {"zero word", [](Bytes& b) { b[4] = 1; }, "byte 4: the word after the magic is 1, not 0"},
        {"header cut inside the title", [](Bytes& b) { b.resize(24); }, "byte 24: the file ends inside the title"},
        {"fifth count", [](Bytes& b) { b[40] = 2; }, "byte 40: the header declares 2 chunks of kind 5"},
        {"unknown chunk kind", [](Bytes& b) { b[52] = 7; }, "byte 52: unknown chunk kind 7"},
        {"chunk kind 0", [](Bytes& b) { b[42] = 0; }, "byte 42: unknown chunk kind 0"},
        {"more chunks than declared", [](Bytes& b) { b[36] = 0; }, "byte 52: integer chunk 1, but the header declares only 0"},
        {"fewer chunks than declared", [](Bytes& b) { b[32] = 2; },
         "byte " + std::to_string(end) + ": the file ends after 1 of the 2 layer chunks"},
        {"trailing byte", [](Bytes& b) { b.push_back(1); },
         "byte " + std::to_string(end) + ": the file ends inside a chunk kind"},
        {"trailing chunk", [](Bytes& b) { b.push_back(4); b.push_back(0); },
         "byte " + std::to_string(end) + ": float chunk 2, but the header declares only 1"},
        {"cut inside a keyed chunk", [](Bytes& b) { b.resize(58); }, "byte 54: the file ends inside an integer chunk"},
        {"layer flags", [](Bytes& b) { b[66] = 0x0C; }, "byte 66: layer flags 12 hold unknown bits"},
        {"triangle count", [](Bytes& b) { putU32(b.data() + 68, 0xFFFFFFFF); },
         "byte 72: the file ends inside the 4294967295 triangles of frame 1"},
        {"texture count", [](Bytes& b) { b[132] = 4; }, "byte 132: a layer holds at most 3 textures, not 4"},
        {"implausible texture size", [](Bytes& b) { putU16(b.data() + 134, 65535); putU16(b.data() + 136, 65535); },
         "byte 134: texture 1 claims 65535 x 65535 pixels, more than"},
        {"compressed size past the end", [](Bytes& b) { putU32(b.data() + 138, 1000); },
         "byte 142: the file ends inside the zlib stream of texture 1"},
        {"texture narrower than its pixels", [](Bytes& b) { b[134] = 1; },
         "byte 142: the zlib stream of texture 1 inflates to more than the 6 bytes of 1 x 2 pixels"},
        {"texture wider than its pixels", [](Bytes& b) { b[134] = 3; },
         "byte 142: the zlib stream of texture 1 inflates to 12 bytes, but 3 x 2 pixels need 18"},
        {"damaged stream", [&](Bytes& b) { b[142 + streamSize - 2] ^= 0x55; },
         "byte 142: the zlib stream of texture 1 is damaged"},
        {"stream cut short", [&](Bytes& b) { b.pop_back(); putU32(b.data() + 138, std::uint32_t(streamSize - 1)); },
         "byte 142: the zlib stream of texture 1 is cut short"},
        {"bytes after the stream", [&](Bytes& b) { b.push_back(0); putU32(b.data() + 138, std::uint32_t(streamSize + 1)); },
         "byte 142: the zlib stream of texture 1 ends 1 byte before its compressed size"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = valid;
        c.damage(bytes);
        LevelFile level;
        Status status = decodeLevelFile(bytes, level);
        ASSERT_FALSE(status);
        EXPECT_EQ(status.reason().rfind(c.expected, 0), 0u) << status.reason();
    }
}

// Any prefix of a level, and a level with any one byte changed, is read
// without reading outside the input: it fails cleanly or decodes.
TEST(LevelReader, SafeOnTruncatedAndChangedBytes)
{
    TempDir dir;
    std::vector<SampleLayer> layers = sampleLayers();
    writeSampleLevel(dir, layers);
    const Bytes valid = test::readFile(dir.file("level.kes"));
    for (std::size_t size = 0; size < valid.size(); ++size) {
        LevelFile level;
        Bytes prefix(valid.begin(), valid.begin() + size); // own buffer, so a tool sees overreads
        EXPECT_FALSE(decodeLevelFile(prefix, level)) << size;
    }
    for (std::size_t at = 0; at < valid.size(); ++at) {
        for (std::uint8_t value : {std::uint8_t(valid[at] ^ 0x80), std::uint8_t(0xFF)}) {
            Bytes changed = valid;
            changed[at] = value;
            LevelFile level;
            static_cast<void>(decodeLevelFile(changed, level)); // any verdict, but safely
        }
    }
}

} // namespace
} // namespace kes
