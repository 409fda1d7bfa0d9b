#include "assets/bmp_reader.h"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/byte_order.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"
#include "largest_allocation.h"

namespace kes {
namespace {

using ::testing::HasSubstr;
using test::BmpLayout;
using test::encodeBmp;

// The colour a test picture has at column x of stored row y.
std::array<std::uint8_t, 3> testColour(int x, int y)
{
    return {static_cast<std::uint8_t>(10 + x), static_cast<std::uint8_t>(100 + y),
            static_cast<std::uint8_t>(200 + x + y)};
}

// A BMP of width x height pixels whose stored row y (first row in the file is
// y = 0) holds testColour(x, y) in red, green, blue; padding bytes are 0xEE.
std::vector<std::uint8_t> makeBmp(int width, int height, BmpLayout layout = {})
{
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (std::uint8_t v : testColour(x, y))
                rows.push_back(v);
    layout.padding = 0xEE;
    return encodeBmp(width, height, rows, layout);
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


void patchU16(std::vector<std::uint8_t>& file, std::size_t at, std::uint16_t value)
{
    putU16(file.data() + at, value);
}

void patchU32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value)
{
    putU32(file.data() + at, value);
}

std::vector<std::uint8_t> cut(std::vector<std::uint8_t> file, std::size_t size)
{
    file.resize(size);
    return file;
}

TEST(BmpReader, RefusesWhatItCannotReadWithAReason)
{
    const std::vector<std::uint8_t> good = makeBmp(5, 4); // 54 + 4 x 16 bytes
    const std::vector<std::uint8_t> core = makeBmp(5, 4, {.headerSize = 12});
    auto with = [](std::vector<std::uint8_t> file, auto change) {
        change(file);
        return file;
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"empty file", {}, "the file is too short for a bitmap (0 bytes)"},
        {"shorter than the file header", cut(good, 17), "the file is too short for a bitmap (17 bytes)"},
        {"ends inside the info header", cut(good, 53), "the file ends inside its bitmap header"},
        {"ends inside the core header", cut(core, 25), "the file ends inside its bitmap header"},
        {"ends inside a v5 header", cut(makeBmp(1, 1, {.headerSize = 124}), 100),
         "the file ends inside its bitmap header"},
        {"unknown header size", with(good, [](auto& f) { patchU32(f, 14, 64); }),
         "its bitmap header of 64 bytes is of no known kind"},
        {"header size 0", with(good, [](auto& f) { patchU32(f, 14, 0); }),
         "its bitmap header of 0 bytes is of no known kind"},
        {"1 bit per pixel", makeBmp(5, 4, {.bitCount = 1}), "it has 1 bit per pixel; save it as a 24-bit bitmap"},
        {"8 bits per pixel", makeBmp(5, 4, {.bitCount = 8}), "it has 8 bits per pixel; save it as a 24-bit bitmap"},
        {"32 bits per pixel", makeBmp(5, 4, {.bitCount = 32}),
         "it has 32 bits per pixel; save it as a 24-bit bitmap"},
        {"core header with 8 bits per pixel", makeBmp(5, 4, {.headerSize = 12, .bitCount = 8}),
         "it has 8 bits per pixel; save it as a 24-bit bitmap"},
        {"run-length compressed", makeBmp(5, 4, {.compression = 1}),
         "it is compressed (method 1); save it as an uncompressed 24-bit bitmap"},
        {"bit fields", makeBmp(5, 4, {.headerSize = 108, .compression = 3}),
         "it is compressed (method 3); save it as an uncompressed 24-bit bitmap"},
        {"JPEG inside", makeBmp(5, 4, {.bitCount = 0, .compression = 4}),
         "it holds a JPEG image (compression 4); save it as an uncompressed 24-bit bitmap"},
        {"PNG inside", makeBmp(5, 4, {.bitCount = 0, .compression = 5}),
         "it holds a PNG image (compression 5); save it as an uncompressed 24-bit bitmap"},
        {"negative width", with(good, [](auto& f) { patchU32(f, 18, static_cast<std::uint32_t>(-5)); }),
         "its width -5 is negative"},
        {"width above 65535", with(good, [](auto& f) { patchU32(f, 18, 65536); }), "its width 65536 is above 65535"},
        {"height above 65535", with(good, [](auto& f) { patchU32(f, 22, 65536); }),
         "its height 65536 is above 65535"},
        {"top-down height above 65535",
         with(good, [](auto& f) { patchU32(f, 22, static_cast<std::uint32_t>(-65536)); }),
         "its height 65536 is above 65535"},
        {"lowest height", with(good, [](auto& f) { patchU32(f, 22, 0x80000000u); }),
         "its height 2147483648 is above 65535"},
        {"core header width of 32768 or more", with(core, [](auto& f) { patchU16(f, 18, 40000); }),
         "its width -25536 is negative"},
        {"core header height of 32768 or more", with(core, [](auto& f) { patchU16(f, 20, 40000); }),
         "its height -25536 is negative (a 12-byte header holds at most 32767)"},
        {"pixel offset inside the headers", with(good, [](auto& f) { patchU32(f, 10, 50); }),
         "its pixel data offset 50 points into its headers"},
        {"pixel offset 0", with(good, [](auto& f) { patchU32(f, 10, 0); }),
         "its pixel data offset 0 points into its headers"},
        {"last row one byte short", cut(good, good.size() - 1),
         "the file ends inside its pixel data: 5 x 4 pixels need 64 bytes from offset 54, the file has 117 bytes"},
        {"pixel offset past the end", with(good, [](auto& f) { patchU32(f, 10, 0xFFFFFFF0u); }),
         "the file ends inside its pixel data: 5 x 4 pixels need 64 bytes from offset 4294967280, the file has "
         "118 bytes"},
        {"no pixels at all", cut(makeBmp(1, 1, {.headerSize = 12}), 26),
         "the file ends inside its pixel data: 1 x 1 pixels need 4 bytes from offset 26, the file has 26 bytes"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The headers alone tell the same as reading the whole file.
        test::writeFile(dir.file("t.bmp"), c.file);
        BitmapImage loaded;
        const Status whole = loadBitmap(dir.file("t.bmp"), loaded);
        std::int32_t width = -1, height = -1;
        const Status inspected = inspectBitmap(dir.file("t.bmp"), width, height);
        ASSERT_FALSE(inspected);
        EXPECT_EQ(inspected.reason(), whole.reason());
        EXPECT_EQ(width, 0);

        BitmapImage image;
        image.pixels.assign(12, 1);
        image.width = 2;
        image.height = 2;
        Status status = decodeBitmap(c.file, "in/t.bmp", image);
        ASSERT_FALSE(status);
        EXPECT_EQ(status.reason(), "cannot read texture file 'in/t.bmp': " + c.reason);
        EXPECT_TRUE(image.pixels.empty());
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
    }
}

TEST(BmpReader, InspectingGivesTheSizeWithoutReadingPixels)
{
    test::TempDir dir;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::int32_t width, height;
    };
    const Case cases[] = {
        {"bottom-up", makeBmp(5, 4), 5, 4},
        {"top-down", makeBmp(3, 7, {.topDown = true}), 3, 7},
        {"core header", makeBmp(2, 9, {.headerSize = 12}), 2, 9},
        {"no pixels", makeBmp(0, 3), 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir.file("t.bmp"), c.file);
        std::int32_t width = -1, height = -1;
        ASSERT_TRUE(inspectBitmap(dir.file("t.bmp"), width, height));
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
    // A bitmap of 60000 x 60000 pixels (10 GB of them) is looked at in its
    // headers only: the file need only be as long as they say.
    std::vector<std::uint8_t> huge = makeBmp(1, 1);
    patchU32(huge, 18, 60000);
    patchU32(huge, 22, 60000);
    test::writeFile(dir.file("huge.bmp"), huge);
    std::filesystem::resize_file(dir.file("huge.bmp"), 54 + 180000ull * 60000);
    std::int32_t width = 0, height = 0;
    std::size_t largest = 0;
    {
        test::LargestAllocation watch;
        EXPECT_TRUE(inspectBitmap(dir.file("huge.bmp"), width, height));
        largest = watch.bytes();
    }
    EXPECT_EQ(width, 60000);
    EXPECT_LT(largest, 1u << 20);
}

TEST(BmpReader, AHugeClaimInASmallFileFailsWithoutAllocatingIt)
{
    std::vector<std::uint8_t> file = makeBmp(2, 2);
    patchU32(file, 18, 60000);
    patchU32(file, 22, static_cast<std::uint32_t>(-60000));
    file.resize(60);
    BitmapImage image;
    Status status = Status::success();
    std::size_t largest = 0;
    {
        test::LargestAllocation watch;
        status = decodeBitmap(file, "big.bmp", image);
        largest = watch.bytes();
    }
    ASSERT_FALSE(status);
    EXPECT_THAT(status.reason(), HasSubstr("the file ends inside its pixel data: 60000 x 60000 pixels need"));
    EXPECT_LT(largest, 4096u);
}

// A file is read only as far as its headers say: the result is the one of
// the whole file in memory, and bytes past the pixels are never read.
TEST(BmpReader, LoadingReadsNoMoreThanTheHeadersSay)
{
    test::TempDir dir;
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> files = {
        {"good", makeBmp(5, 4)},
        {"top-down", makeBmp(5, 4, {.topDown = true})},
        {"core header", makeBmp(5, 4, {.headerSize = 12})},
        {"extra bytes after the pixels", cut(makeBmp(3, 2), makeBmp(3, 2).size() + 5000)},
        {"pixels far after the headers", makeBmp(3, 2, {.gapBeforePixels = 4000})},
        {"ends inside the pixels", cut(makeBmp(5, 4), 70)},
        {"ends inside a v5 header", cut(makeBmp(1, 1, {.headerSize = 124}), 100)},
        {"too short", cut(makeBmp(1, 1), 10)},
        {"empty", {}},
        {"8 bits per pixel", makeBmp(5, 4, {.bitCount = 8})},
        // Read a piece of rows at a time.
        {"many rows", makeBmp(1001, 700)},
        {"many rows, top-down", makeBmp(1001, 700, {.topDown = true})},
        {"many rows, the last one short", cut(makeBmp(1001, 700), makeBmp(1001, 700).size() - 1)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        test::writeFile(dir.file("t.bmp"), bytes);
        BitmapImage loaded;
        BitmapImage decoded;
        const Status fromFile = loadBitmap(dir.file("t.bmp"), loaded);
        const Status inMemory = decodeBitmap(bytes, dir.file("t.bmp"), decoded);
        EXPECT_EQ(bool(fromFile), bool(inMemory));
        EXPECT_EQ(fromFile.reason(), inMemory.reason());
        EXPECT_EQ(loaded.pixels, decoded.pixels);
        EXPECT_EQ(loaded.width, decoded.width);
    }

    // 256 MiB after a small picture are not read.
    std::vector<std::uint8_t> small = makeBmp(2, 2);
    test::writeFile(dir.file("long.bmp"), small);
    std::filesystem::resize_file(dir.file("long.bmp"), small.size() + (std::size_t(256) << 20));
    BitmapImage image;
    std::size_t largest = 0;
    {
        test::LargestAllocation watch;
        ASSERT_TRUE(loadBitmap(dir.file("long.bmp"), image));
        largest = watch.bytes();
    }
    EXPECT_EQ(image.pixels, expectedPixels(2, 2));
    EXPECT_LT(largest, std::size_t(1) << 16);
}

TEST(BmpReader, ReadsTheLargestSidesTheLevelFileCanHold)
{
    for (auto [width, height] : {std::pair{65535, 1}, std::pair{1, 65535}}) {
        SCOPED_TRACE(width);
        BitmapImage image;
        ASSERT_TRUE(decodeBitmap(makeBmp(width, height), "a.bmp", image));
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        ASSERT_EQ(image.pixels.size(), std::size_t(width) * height * 3);
        const std::size_t last = image.pixels.size() - 3;
        auto colour = testColour(width - 1, height - 1);
        EXPECT_EQ(image.pixels[last], colour[0]);
        EXPECT_EQ(image.pixels[last + 1], colour[1]);
        EXPECT_EQ(image.pixels[last + 2], colour[2]);
    }
}

TEST(BmpReader, ExtraBytesAfterThePixelsAreIgnored)
{
    std::vector<std::uint8_t> file = makeBmp(3, 2);
    file.resize(file.size() + 100, 0x55);
    BitmapImage image;
    ASSERT_TRUE(decodeBitmap(file, "a.bmp", image));
    EXPECT_EQ(image.pixels, expectedPixels(3, 2));
}

} // namespace
} // namespace kes
