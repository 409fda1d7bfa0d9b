// Counts and sizes in an untrusted file are claims: a file that promises more
// than it holds must not make a reader allocate for the promise. Every reader
// here may allocate in proportion to its input, never in proportion to what
// the input claims.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assets/bmp_reader.h"
#include "assets/largest_allocation.h"
#include "assets/obj_reader.h"
#include "support/level_fixtures.h"
#include "levelfile/level_reader.h"
#include "model/project_file.h"

namespace kes {
namespace {

using test::Bytes;

// What a reader may ask operator new for at once, reading `inputSize` bytes:
// a small fixed amount and a modest multiple of the input. (A face line of
// two bytes, "f\n", becomes a 60-byte face.)
std::size_t allowance(std::size_t inputSize)
{
    return 64 * 1024 + 64 * inputSize;
}

// A level file header with the given chunk counts, title "T", author "A".
Bytes levelHeader(std::array<std::uint16_t, 5> counts)
{
    Bytes b;
    ByteAppender out(b);
    out.bytes(kLevelMagic.data(), kLevelMagic.size());
    out.u16(0);
    out.bytes(kFormatId.data(), kFormatId.size());
    out.u16(1);
    out.u8('T');
    out.u16(1);
    out.u8('A');
    out.u16(1);
    out.u16(0);
    for (std::uint16_t count : counts)
        out.u16(count);
    return b;
}

// A level holding one layer chunk that starts with `layerHead` and goes on
// with `filler` zero bytes.
Bytes levelWithLayer(const Bytes& layerHead, std::size_t filler)
{
    Bytes b = levelHeader({1, 0, 0, 0, 0});
    b.insert(b.end(), layerHead.begin(), layerHead.end());
    b.resize(b.size() + filler, 0);
    return b;
}

// A static, drawn layer with one empty frame and one texture whose head
// claims width x height pixels, followed by `stream` as its zlib stream.
Bytes layerWithTexture(std::uint16_t width, std::uint16_t height, const Bytes& stream)
{
    Bytes b;
    ByteAppender out(b);
    out.u16(1);       // layer chunk
    out.u16(0);       // Static
    out.u16(4);       // drawn
    out.u32(0);       // one frame without triangles
    out.u16(1);       // one texture
    out.u16(width);
    out.u16(height);
    out.u32(static_cast<std::uint32_t>(stream.size()));
    out.bytes(stream.data(), stream.size());
    return b;
}

Bytes layerHead(std::uint16_t kind, std::uint16_t flags, std::initializer_list<std::uint8_t> rest)
{
    Bytes b;
    ByteAppender out(b);
    out.u16(1);
    out.u16(kind);
    out.u16(flags);
    b.insert(b.end(), rest);
    return b;
}

Bytes bitmapHead(std::uint32_t headerSize, std::int32_t width, std::int32_t height, std::uint32_t pixelOffset,
                 std::size_t fileSize)
{
    Bytes b(fileSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    putU32(b.data() + 10, pixelOffset);
    putU32(b.data() + 14, headerSize);
    if (headerSize == 12) {
        putU16(b.data() + 18, static_cast<std::uint16_t>(width));
        putU16(b.data() + 20, static_cast<std::uint16_t>(height));
        putU16(b.data() + 24, 24);
    } else {
        putI32(b.data() + 18, width);
        putI32(b.data() + 22, height);
        putU16(b.data() + 28, 24);
    }
    return b;
}

Bytes projectWithCounts(std::int32_t layers, std::int32_t targets, std::size_t fileSize)
{
    LevelProject project;
    Bytes b = encodeProject(project); // no layers: the target count follows the layer count
    putI32(b.data() + 1022, layers);
    putI32(b.data() + 1026, targets);
    b.resize(fileSize, 0);
    return b;
}

Bytes repeated(const std::string& line, std::size_t times)
{
    Bytes b;
    b.reserve(line.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        b.insert(b.end(), line.begin(), line.end());
    return b;
}

bool readLevel(std::span<const std::uint8_t> bytes)
{
    LevelFile level;
    return decodeLevelFile(bytes, level).ok();
}

bool readBitmap(std::span<const std::uint8_t> bytes)
{
    BitmapImage image;
    return decodeBitmap(bytes, "claim.bmp", image).ok();
}

bool readProject(std::span<const std::uint8_t> bytes)
{
    LevelProject project;
    return decodeProject(bytes, project).ok();
}

// The OBJ reader refuses nothing; it reads what is there.
bool readMesh(std::span<const std::uint8_t> bytes)
{
    std::vector<ReaderWarning> warnings;
    decodeObjMesh(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), "claim.obj", &warnings);
    return true;
}

TEST(MemoryBombs, ClaimsBeyondTheInputAreNeverAllocated)
{
    // A stream that inflates to the 12 bytes of 2 x 2 pixels, padded to 100000
    // bytes: its head may claim up to 1032 times that many pixel bytes.
    Bytes fewPixels = test::zlibCompress(Bytes(12, 7));
    fewPixels.resize(100000, 0);

    struct Case {
        const char* name;
        Bytes input;
        std::function<bool(std::span<const std::uint8_t>)> read;
        bool accepted;
    };
    const Case cases[] = {
        {"level: 4 billion triangles in one frame",
         levelWithLayer(layerHead(0, 0, {0xFF, 0xFF, 0xFF, 0xFF}), 100), readLevel, false},
        {"level: 4 billion triangles with normals",
         levelWithLayer(layerHead(0, 2, {0xFF, 0xFF, 0xFF, 0xFF}), 100), readLevel, false},
        {"level: 65535 animation frames in 1000 bytes",
         levelWithLayer(layerHead(4, 0, {0xFF, 0xFF}), 1000), readLevel, false},
        {"level: 65535 chunks of every kind declared, none there",
         levelHeader({65535, 65535, 65535, 65535, 0}), readLevel, false},
        {"level: texture of 65535 x 524 pixels from a 100000-byte stream of 12 bytes",
         levelWithLayer(layerWithTexture(65535, 524, fewPixels), 0), readLevel, false},
        {"level: texture of 65535 x 65535 pixels in a short stream",
         levelWithLayer(layerWithTexture(65535, 65535, Bytes(64, 0)), 0), readLevel, false},
        {"bitmap: core header, 32767 x 32767 pixels in 40 bytes", bitmapHead(12, 32767, 32767, 26, 40),
         readBitmap, false},
        {"bitmap: top-down 65535 x 65535 pixels in 60 bytes", bitmapHead(40, 65535, -65535, 54, 60), readBitmap,
         false},
        {"bitmap: pixels at offset 4 GiB", bitmapHead(40, 1, 1, 0xFFFFFFF0u, 60), readBitmap, false},
        {"project: 32 layers in 100 bytes", projectWithCounts(32, 0, 1026 + 100), readProject, false},
        {"project: 32 targets in 20 bytes", projectWithCounts(0, 32, 1030 + 20), readProject, false},
        {"mesh: a million face lines without vertices", repeated("f\n", 1000000), readMesh, true},
        {"mesh: a million position lines", repeated("v\n", 1000000), readMesh, true},
        {"mesh: indices of 2^63", repeated("f 9223372036854775807/9223372036854775807/-9223372036854775807\n", 1000),
         readMesh, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool accepted = false;
        std::size_t largest = 0;
        {
            test::LargestAllocation watch;
            accepted = c.read(c.input);
            largest = watch.bytes();
        }
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_LE(largest, allowance(c.input.size())) << "input of " << c.input.size() << " bytes";
    }
}

// The level reader inflates a texture that is really there in full, however
// large its claim was compared with its stream.
TEST(MemoryBombs, ATextureThatHoldsWhatItClaimsIsReadWhole)
{
    Bytes pixels(2000 * 300 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i % 251 == 0 ? i / 251 : 0);
    const Bytes stream = test::zlibCompress(pixels);
    const Bytes file = levelWithLayer(layerWithTexture(2000, 300, stream), 0);
    LevelFile level;
    Status status = decodeLevelFile(file, level);
    ASSERT_TRUE(status) << status.reason();
    ASSERT_EQ(level.layers.size(), 1u);
    ASSERT_EQ(level.layers[0].textures.size(), 1u);
    EXPECT_EQ(level.layers[0].textures[0].pixels, pixels);
}

} // namespace
} // namespace kes
