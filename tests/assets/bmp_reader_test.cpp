#include "assets/bmp_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/byte_order.h"
#include "../support/temp_dir.h"

namespace kes {
namespace {

using ::testing::HasSubstr;

// What a test bitmap looks like in its file.
struct BmpLayout {
    int headerSize = 40;
    int gapBeforePixels = 0; // bytes between the headers and the pixels
    bool topDown = false;
    int bitCount = 24;
    int compression = 0;
    char signature[2] = {'B', 'M'};
};

// The colour a test picture has at column x of stored row y.
std::array<std::uint8_t, 3> testColour(int x, int y)
{
    return {static_cast<std::uint8_t>(10 + x), static_cast<std::uint8_t>(100 + y),
            static_cast<std::uint8_t>(200 + x + y)};
}

// A BMP of width x height pixels whose stored row y (first row in the file is
// y = 0) holds testColour(x, y) in red, green, blue; padding bytes are 0xEE.
std::vector<std::uint8_t> makeBmp(int width, int height, const BmpLayout& layout = {})
{
    const int stride = (width * 3 + 3) / 4 * 4;
    const int offset = 14 + layout.headerSize + layout.gapBeforePixels;
    std::vector<std::uint8_t> out;
    ByteAppender put(out);
    put.u8(static_cast<std::uint8_t>(layout.signature[0]));
    put.u8(static_cast<std::uint8_t>(layout.signature[1]));
    put.u32(static_cast<std::uint32_t>(offset + stride * height));
    put.u32(0);
    put.u32(static_cast<std::uint32_t>(offset));
    put.u32(static_cast<std::uint32_t>(layout.headerSize));
    if (layout.headerSize == 12) {
        put.i16(static_cast<std::int16_t>(width));
        put.i16(static_cast<std::int16_t>(height));
        put.u16(1);
        put.u16(static_cast<std::uint16_t>(layout.bitCount));
    } else {
        put.i32(width);
        put.i32(layout.topDown ? -height : height);
        put.u16(1);
        put.u16(static_cast<std::uint16_t>(layout.bitCount));
        put.u32(static_cast<std::uint32_t>(layout.compression));
        out.resize(14 + static_cast<std::size_t>(layout.headerSize), 0);
    }
    out.resize(out.size() + static_cast<std::size_t>(layout.gapBeforePixels), 0x77);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto c = testColour(x, y);
            put.u8(c[2]);
            put.u8(c[1]);
            put.u8(c[0]);
        }
        for (int i = width * 3; i < stride; ++i)
            put.u8(0xEE);
    }
    return out;
}

// The pixels the reader should deliver for makeBmp(width, height) (bottom-up).
std::vector<std::uint8_t> expectedPixels(int width, int height)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (std::uint8_t v : testColour(x, y))
                pixels.push_back(v);
    return pixels;
}

TEST(BmpReader, FirstFileBytesBlueGreenRedBecomeRedGreenBlue)
{
    std::vector<std::uint8_t> file = makeBmp(1, 1);
    file[54] = 10;
    file[55] = 20;
    file[56] = 30;
    BitmapImage image;
    ASSERT_TRUE(decodeBitmap(file, "a.bmp", image));
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{30, 20, 10}));
}

TEST(BmpReader, DropsRowPaddingForEveryWidth)
{
    for (int width : {1, 2, 3, 4, 5, 7, 8}) {
        SCOPED_TRACE(width);
        BitmapImage image;
        std::vector<std::uint8_t> file = makeBmp(width, 3);
        ASSERT_EQ(file.size(), 54u + 3u * static_cast<unsigned>((width * 3 + 3) / 4 * 4));
        ASSERT_TRUE(decodeBitmap(file, "a.bmp", image));
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, 3);
        EXPECT_EQ(image.pixels, expectedPixels(width, 3));
    }
}

TEST(BmpReader, LayoutsOfTheSamePictureReadAlike)
{
    struct Case {
        const char* name;
        BmpLayout layout;
    };
    const Case cases[] = {
        {"info header", {}},
        {"core header", {.headerSize = 12}},
        {"v3 header", {.headerSize = 56}},
        {"v4 header", {.headerSize = 108}},
        {"v5 header", {.headerSize = 124}},
        {"52-byte header", {.headerSize = 52}},
        {"colour table before the pixels", {.gapBeforePixels = 1024}},
        {"core header and a gap", {.headerSize = 12, .gapBeforePixels = 6}},
        {"signature not examined", {.signature = {'X', 'Y'}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapImage image;
        Status status = decodeBitmap(makeBmp(5, 4, c.layout), "a.bmp", image);
        ASSERT_TRUE(status) << status.reason();
        EXPECT_EQ(image.width, 5);
        EXPECT_EQ(image.height, 4);
        EXPECT_EQ(image.pixels, expectedPixels(5, 4));
    }
}

TEST(BmpReader, TopDownBitmapIsDeliveredBottomRowFirst)
{
    // Stored rows 0..3 top down: the bottom row of the picture is stored last.
    BitmapImage image;
    ASSERT_TRUE(decodeBitmap(makeBmp(3, 4, {.topDown = true}), "a.bmp", image));
    EXPECT_EQ(image.height, 4);
    std::vector<std::uint8_t> stored = expectedPixels(3, 4);
    std::vector<std::uint8_t> flipped;
    for (int row = 3; row >= 0; --row)
        flipped.insert(flipped.end(), stored.begin() + row * 9, stored.begin() + row * 9 + 9);
    EXPECT_EQ(image.pixels, flipped);
}

TEST(BmpReader, ZeroWidthOrHeightGivesNoPixels)
{
    for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
        BitmapImage image;
        ASSERT_TRUE(decodeBitmap(makeBmp(width, height), "a.bmp", image));
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        EXPECT_TRUE(image.pixels.empty());
    }
}

TEST(BmpReader, LoadsFromFileAndNamesAMissingOne)
{
    test::TempDir dir;
    test::writeFile(dir.file("t.bmp"), makeBmp(2, 2));
    BitmapImage image;
    ASSERT_TRUE(loadBitmap(dir.file("t.bmp"), image));
    EXPECT_EQ(image.pixels, expectedPixels(2, 2));

    Status missing = loadBitmap(dir.file("none.bmp"), image);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.reason(), "cannot read texture file '" + dir.file("none.bmp") + "': no such file or folder");
    EXPECT_TRUE(image.pixels.empty());
}

} // namespace
} // namespace kes
