// The bytes the writer produces, compared with layouts built by hand.
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "support/level_fixtures.h"
#include "support/expect_status.h"
#include "levelfile/level_writer.h"

namespace kes {
namespace {

using test::append;
using test::appendF32;
using test::appendTriangle;
using test::appendU16;
using test::appendU32;
using test::Bytes;
using test::TempDir;

// Writes a level with an empty title and author and the given counts, lets
// `write` add the chunks, closes it and returns the file's bytes after the
// 40-byte header.
Bytes chunksAfterEmptyHeader(const TempDir& dir, std::array<std::uint16_t, 5> counts,
                             const std::function<void(LevelFileWriter&)>& write)
{
    LevelFileHeader header;
    header.chunkCounts = counts;
    std::string path = dir.file("level.kes");
    {
        LevelFileWriter writer;
        EXPECT_TRUE(writer.open(path, header));
        write(writer);
        EXPECT_OK(writer.close());
    }
    Bytes bytes = test::readFile(path);
    EXPECT_GE(bytes.size(), kHeaderFixedSize);
    return Bytes(bytes.begin() + std::min(bytes.size(), kHeaderFixedSize), bytes.end());
}

TEST(LevelBytes, EmptyLevelIsHeaderAndFiveKeyedChunks)
{
    TempDir dir;
    LevelFileHeader header;
    header.title = "Caves";
    header.author = "Ana";
    header.versionMajor = 7;
    header.versionMinor = 4464;
    header.chunkCounts = {0, 3, 1, 1, 0};
    std::string path = dir.file("empty.kes");
    LevelFileWriter writer;
    ASSERT_TRUE(writer.open(path, header));
    ASSERT_TRUE(writer.writeFloat(12.0f));
    ASSERT_TRUE(writer.writeInteger(0, 0));
    ASSERT_TRUE(writer.writeVector(-1, 0, 1, 2, 3));
    ASSERT_TRUE(writer.writeVector(-1, 1, 0.5f, -2, 0));
    ASSERT_TRUE(writer.writeVector(-100, 0, 0.25f, 0.5f, 1));
    ASSERT_OK(writer.close());

    Bytes expected = {
        't', 'k', '3', 'd', 0x00, 0x00,
        0x37, 0x9B, 0x10, 0xDE, 0xB4, 0xEB, 0x4E, 0xDD, 0xBC, 0xCF, 0x47, 0xB5, 0xC0, 0x3D, 0xED, 0xCE,
        0x05, 0x00, 'C', 'a', 'v', 'e', 's',
        0x03, 0x00, 'A', 'n', 'a',
        0x07, 0x00, 0x70, 0x11,                                      // versions 7 and 4464
        0x00, 0x00, 0x03, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00,  // counts 0, 3, 1, 1, 0
        0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x41,  // float (1, 0) = 12.0
        0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // integer (1, 0) = 0
        0x02, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40,
        0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00,
        0x02, 0x00, 0x9C, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x80, 0x3F,
    };
    EXPECT_EQ(test::readFile(path), expected);
    EXPECT_EQ(expected.size(), 114u + 5 + 3);
    EXPECT_EQ(writer.bytesWritten(), expected.size());
}

TEST(LevelBytes, EmptyTextsAndTargetChunks)
{
    TempDir dir;
    Bytes chunks = chunksAfterEmptyHeader(dir, {0, 2, 2, 0, 0}, [](LevelFileWriter& writer) {
        EXPECT_TRUE(writer.writeInteger(1, 1));
        EXPECT_TRUE(writer.writeVector(1, 1, -1, 0, 2));
        EXPECT_TRUE(writer.writeInteger(2, -2));
        EXPECT_TRUE(writer.writeVector(1, 2, 0, 0, 0));
    });
    Bytes expected = {
        0x03, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00,
        0x02, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,
        0x03, 0x00, 0x01, 0x00, 0x02, 0x00, 0xFE, 0xFF, 0xFF, 0xFF,
        0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    };
    EXPECT_EQ(chunks, expected);

    // The header of empty texts: two zero length words, 40 bytes in all.
    Bytes file = test::readFile(dir.file("level.kes"));
    ASSERT_EQ(file.size(), 40u + expected.size());
    EXPECT_EQ(Bytes(file.begin() + 22, file.begin() + 26), (Bytes{0, 0, 0, 0}));
}

// A layer chunk case: the descriptor, the mesh files to lay down, the OBJ
// path given to writeLayer, and the chunk expected.
struct LayerCase {
    const char* name;
    std::function<void(LayerDescriptor&)> setUp;
    std::map<std::string, int> meshes; // file name -> triangle count
    const char* objName;
    std::function<Bytes()> expected;
};

Bytes layerHead(std::uint16_t kind, std::uint16_t flags)
{
    Bytes b;
    appendU16(b, 1);
    appendU16(b, kind);
    appendU16(b, flags);
    return b;
}

void appendFrame(Bytes& b, int triangles, int first = 0)
{
    appendU32(b, static_cast<std::uint32_t>(triangles));
    for (int i = 0; i < triangles; ++i)
        appendTriangle(b, test::fixtureTriangle(first + i));
}

void appendFloats(Bytes& b, std::initializer_list<float> values)
{
    for (float v : values)
        appendF32(b, v);
}

void setMotion(LayerDescriptor& d, std::uint16_t kind)
{
    d.kind = layerKindOf(kind);
    d.speed = {1, 2, 3};
    d.frames = 250;
    d.vibration = {4, 5, 6};
    d.triggerArea = {7, 8, 9, 10, 11, 12};
    d.frameCount = 40;
}

class LayerBytes : public ::testing::TestWithParam<LayerCase> {};

TEST_P(LayerBytes, ChunkMatchesLayout)
{
    const LayerCase& c = GetParam();
    TempDir dir;
    for (const auto& [name, count] : c.meshes)
        test::writeObj(dir.file(name), test::fixtureTriangles(count));
    LayerDescriptor descriptor;
    c.setUp(descriptor);
    Bytes chunk = chunksAfterEmptyHeader(dir, {1, 0, 0, 0, 0}, [&](LevelFileWriter& writer) {
        EXPECT_OK(writer.writeLayer(dir.file(c.objName), descriptor));
    });
    EXPECT_EQ(chunk, c.expected());
}

const LayerCase kLayerCases[] = {
    {"StaticCollidingOneFrame", [](LayerDescriptor& d) { d.collision = 1; }, {{"a.obj", 2}}, "a.obj",
     [] {
         Bytes b = layerHead(0, 1);
         appendFrame(b, 2);
         appendU16(b, 0);
         return b;
     }},
    {"MovingStoresFramesAsFloat",
     [](LayerDescriptor& d) {
         setMotion(d, 1);
         d.collision = 1;
         d.draw = 1;
     },
     {{"a.obj", 1}}, "a.obj",
     [] {
         Bytes b = layerHead(1, 5);
         appendFloats(b, {1, 2, 3});
         append(b, {0x00, 0x00, 0x7A, 0x43}); // 250.0
         appendFrame(b, 1);
         appendU16(b, 0);
         return b;
     }},
    {"Vibrating", [](LayerDescriptor& d) { setMotion(d, 2); }, {{"a.obj", 1}}, "a.obj",
     [] {
         Bytes b = layerHead(2, 0);
         appendFloats(b, {1, 2, 3, 4, 5, 6});
         appendFrame(b, 1);
         appendU16(b, 0);
         return b;
     }},
    {"Trigger", [](LayerDescriptor& d) { setMotion(d, 3); }, {{"a.obj", 1}}, "a.obj",
     [] {
         Bytes b = layerHead(3, 0);
         appendFloats(b, {1, 2, 3, 250, 7, 8, 9, 10, 11, 12});
         appendFrame(b, 1);
         appendU16(b, 0);
         return b;
     }},
    {"AnimatedWithoutFramesReadsNoMesh",
     [](LayerDescriptor& d) {
         setMotion(d, 4);
         d.frameCount = 0;
     },
     {}, "missing.obj",
     [] {
         Bytes b = layerHead(4, 0);
         appendU16(b, 0); // frame count, then no frame
         appendU16(b, 0); // texture count
         return b;
     }},
    {"AnimatedTriggerWithoutFrames",
     [](LayerDescriptor& d) {
         setMotion(d, 5);
         d.frameCount = 0;
     },
     {}, "missing.obj",
     [] {
         Bytes b = layerHead(5, 0);
         appendFloats(b, {7, 8, 9, 10, 11, 12});
         appendU16(b, 0);
         appendU16(b, 0);
         return b;
     }},
    {"AnimatedThreeNumberedFrames",
     [](LayerDescriptor& d) {
         setMotion(d, 4);
         d.frameCount = 3;
     },
     {{"wave_000001.obj", 1}, {"wave_000002.obj", 2}, {"wave_000003.obj", 0}, {"wave.obj", 5}}, "wave.obj",
     [] {
         Bytes b = layerHead(4, 0);
         appendU16(b, 3);
         appendFrame(b, 1);
         appendFrame(b, 2);
         appendFrame(b, 0); // a mesh without faces: the count alone
         appendU16(b, 0);
         return b;
     }},
    {"AnimatedOneFrameReadsThePathItself",
     [](LayerDescriptor& d) {
         setMotion(d, 4);
         d.frameCount = 1;
     },
     {{"wave.obj", 2}, {"wave_000001.obj", 1}}, "wave.obj",
     [] {
         Bytes b = layerHead(4, 0);
         appendU16(b, 1);
         appendFrame(b, 2);
         appendU16(b, 0);
         return b;
     }},
    {"UnknownKindHasNoParametersAndOneFrame", [](LayerDescriptor& d) { setMotion(d, 9); }, {{"a.obj", 1}}, "a.obj",
     [] {
         Bytes b = layerHead(9, 0);
         appendFrame(b, 1);
         appendU16(b, 0);
         return b;
     }},
    {"NormalsFollowEachTriangle",
     [](LayerDescriptor& d) {
         d.normals = 1;
         d.draw = 2; // any non-zero switch counts as 1
     },
     {{"a.obj", 2}}, "a.obj",
     [] {
         Bytes b = layerHead(0, 6);
         appendU32(b, 2);
         for (int i = 0; i < 2; ++i) {
             appendTriangle(b, test::fixtureTriangle(i));
             appendFloats(b, {0, 0, 1, 0, 0, 1, 0, 0, 1});
         }
         appendU16(b, 0);
         return b;
     }},
    {"TextureBlobs",
     [](LayerDescriptor& d) {
         d.draw = 1;
         d.textureCount = 2;
         d.textureWidths = {2, 0};
         d.textureHeights = {3, 0};
         d.texturePixels[0] = test::fixturePixels(2, 3);
     },
     {{"a.obj", 0}}, "a.obj",
     [] {
         Bytes b = layerHead(0, 4);
         appendFrame(b, 0);
         appendU16(b, 2);
         Bytes stream = test::zlibCompress(test::fixturePixels(2, 3));
         appendU16(b, 2);
         appendU16(b, 3);
         appendU32(b, static_cast<std::uint32_t>(stream.size()));
         b.insert(b.end(), stream.begin(), stream.end());
         // 0 x 0 pixels: still a blob, holding the zlib stream of no bytes.
         append(b, {0, 0, 0, 0, 8, 0, 0, 0, 0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
         return b;
     }},
};

INSTANTIATE_TEST_SUITE_P(Kinds, LayerBytes, ::testing::ValuesIn(kLayerCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kes
