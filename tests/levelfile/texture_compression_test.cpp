#include <gtest/gtest.h>

#include "support/level_fixtures.h"
#include "levelfile/texture_compression.h"

namespace kes {
namespace {

using test::Bytes;

struct Input {
    const char* name;
    Bytes bytes;
};

std::vector<Input> inputs()
{
    Bytes noise(200000);
    std::mt19937 random(3);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    return {
        {"empty", {}},
        {"one pixel", {1, 2, 3}},
        {"texture", test::fixturePixels(64, 48)},
        {"zeros", Bytes(3 << 20, 0)},
        {"noise", noise},
    };
}

// The bytes are exactly zlib's deflate at level 6, default window and memory
// level, and inflate back to the input.
TEST(CompressTexture, IsZlibDeflateAtTheDefaultLevel)
{
    for (const Input& input : inputs()) {
        SCOPED_TRACE(input.name);
        Bytes compressed = {9, 9, 9}; // replaced, not appended to
        ASSERT_TRUE(compressTexture(input.bytes, compressed));
        EXPECT_EQ(compressed, test::zlibCompress(input.bytes));
        bool ok = false;
        EXPECT_EQ(test::zlibInflate(compressed.data(), compressed.size(), input.bytes.size(), ok), input.bytes);
        EXPECT_TRUE(ok);
    }
}

TEST(CompressBlob, SizeProbeThenExactBuffer)
{
    for (const Input& input : inputs()) {
        SCOPED_TRACE(input.name);
        Bytes stream = test::zlibCompress(input.bytes);

        std::uint8_t one = 0;
        std::size_t size = 1;
        EXPECT_EQ(compressBlob(&one, size, input.bytes.data(), input.bytes.size()), Z_BUF_ERROR);
        EXPECT_EQ(size, stream.size());
        EXPECT_EQ(one, stream.back()) << "the 1-byte buffer holds the last byte";

        Bytes exact(size);
        EXPECT_EQ(compressBlob(exact.data(), size, input.bytes.data(), input.bytes.size()), Z_OK);
        EXPECT_EQ(size, stream.size());
        EXPECT_EQ(exact, stream);
    }
}

TEST(CompressBlob, RoomyAndShortBuffers)
{
    Bytes input = test::fixturePixels(64, 48);
    Bytes stream = test::zlibCompress(input);

    Bytes roomy(stream.size() + 100, 0xEE);
    std::size_t size = roomy.size();
    EXPECT_EQ(compressBlob(roomy.data(), size, input.data(), input.size()), Z_OK);
    EXPECT_EQ(size, stream.size());
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), roomy.begin()));
    EXPECT_EQ(roomy[stream.size()], 0xEE) << "nothing written past the stream";

    // Too short by a few bytes: the output wrapped; the last pass put the
    // stream's last bytes at the start of the buffer.
    for (std::size_t capacity : {stream.size() - 1, stream.size() / 3, std::size_t(7)}) {
        SCOPED_TRACE(capacity);
        Bytes shortBuffer(capacity);
        size = capacity;
        EXPECT_EQ(compressBlob(shortBuffer.data(), size, input.data(), input.size()), Z_BUF_ERROR);
        EXPECT_EQ(size, stream.size());
        std::size_t last = stream.size() % capacity == 0 ? capacity : stream.size() % capacity;
        EXPECT_TRUE(std::equal(stream.end() - last, stream.end(), shortBuffer.begin()));
    }

    // No room at all: an error and the size unchanged.
    std::uint8_t none = 0;
    size = 0;
    EXPECT_EQ(compressBlob(&none, size, input.data(), input.size()), Z_BUF_ERROR);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(compressBlob(nullptr, size, input.data(), input.size()), Z_BUF_ERROR);
    EXPECT_EQ(size, 0u);
}

} // namespace
} // namespace kes
