#include <gtest/gtest.h>

#include <string>

#include "assets/largest_allocation.h"
#include "support/bmp_builder.h"
#include "support/layer_entries.h"
#include "support/level_fixtures.h"
#include "scene/asset_cache.h"
#include "scene/scene_builder.h"
#include "scene/texture_shrink.h"

namespace kes {
namespace {

// A width x height texture whose pixel (x, y) is (x, y, x + y), each modulo
// 256: every box average can be worked out by hand.
std::vector<std::uint8_t> gradient(int width, int height)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<std::uint8_t>(x % 256));
            pixels.push_back(static_cast<std::uint8_t>(y % 256));
            pixels.push_back(static_cast<std::uint8_t>((x + y) % 256));
        }
    return pixels;
}

TEST(TextureShrink, EachSideEndsAtTheLargestOrLess)
{
    struct Case {
        int width, height, largest;
        int factor;
        int shrunkWidth, shrunkHeight;
    };
    const Case cases[] = {
        {4096, 4096, 4096, 1, 4096, 4096},   // exactly the largest: kept
        {4097, 10, 4096, 2, 2049, 5},        // one over: halved, rounded up
        {16384, 16384, 4096, 4, 4096, 4096},
        {1, 10000, 4096, 3, 1, 3334},        // one pixel wide
        {10000, 1, 4096, 3, 3334, 1},
        {12289, 7, 4096, 4, 3073, 2},        // not a multiple of the factor
        {50000, 50000, 0, 1, 50000, 50000},  // no limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const int factor = shrinkFactor(c.width, c.height, c.largest);
        EXPECT_EQ(factor, c.factor);
        const auto [w, h] = shrunkSize(c.width, c.height, factor);
        EXPECT_EQ(w, c.shrunkWidth);
        EXPECT_EQ(h, c.shrunkHeight);
        if (c.largest > 0) {
            EXPECT_LE(w, c.largest);
            EXPECT_LE(h, c.largest);
        }
    }
}

TEST(TextureShrink, EachPixelIsTheMeanOfItsBoxClippedAtTheEdges)
{
    // 5 x 3 by 2: boxes of 2 x 2, the last column and row of boxes cut short.
    const std::vector<std::uint8_t> shrunk = shrinkPixels(gradient(5, 3), 5, 3, 2);
    ASSERT_EQ(shrunk.size(), 3u * 2u * 3u);
    auto at = [&](int x, int y, int c) { return shrunk[(y * 3 + x) * 3 + c]; };
    // (0..1, 0..1): x 0.5 rounds to 1, y 0.5 to 1, x + y 1.
    EXPECT_EQ(at(0, 0, 0), 1);
    EXPECT_EQ(at(0, 0, 1), 1);
    EXPECT_EQ(at(0, 0, 2), 1);
    // (4, 0..1): one column of two.
    EXPECT_EQ(at(2, 0, 0), 4);
    EXPECT_EQ(at(2, 0, 1), 1);
    EXPECT_EQ(at(2, 0, 2), 5);
    // (2..3, 2): one row of two.
    EXPECT_EQ(at(1, 1, 0), 3);
    EXPECT_EQ(at(1, 1, 1), 2);
    EXPECT_EQ(at(1, 1, 2), 5);
    // (4, 2): a box of one pixel.
    EXPECT_EQ(at(2, 1, 0), 4);
    EXPECT_EQ(at(2, 1, 1), 2);
    EXPECT_EQ(at(2, 1, 2), 6);

    // One pixel wide, 7 high, by 3: the rows (0, 1, 2), (3, 4, 5) and (6).
    const std::vector<std::uint8_t> column = shrinkPixels(gradient(1, 7), 1, 7, 3);
    ASSERT_EQ(column.size(), 3u * 3u);
    EXPECT_EQ(column[1], 1);
    EXPECT_EQ(column[4], 4);
    EXPECT_EQ(column[7], 6);
}

// Shrunk while read, row by row, a file gives what shrinking the whole
// picture gives, whatever its sides, the factor and its row order.
TEST(TextureShrink, AMipmapHalvesEachSideRoundingDown)
{
    // Pixels numbered by place; each one red = green = blue.
    const auto numbered = [](std::int32_t width, std::int32_t height) {
        std::vector<std::uint8_t> pixels;
        for (std::int32_t i = 0; i < width * height; ++i)
            pixels.insert(pixels.end(), 3, static_cast<std::uint8_t>(10 * i));
        return pixels;
    };
    struct Case {
        const char* name;
        std::int32_t width, height;
        std::vector<std::uint8_t> expected; // one byte a pixel (the three are equal)
    };
    const Case cases[] = {
        {"4 x 2", 4, 2, {(0 + 10 + 40 + 50 + 2) / 4, (20 + 30 + 60 + 70 + 2) / 4}},
        {"3 x 3: the last row and column left out", 3, 3, {(0 + 10 + 30 + 40 + 2) / 4}},
        {"1 x 4: a side of 1 stays", 1, 4, {(0 + 0 + 10 + 10 + 2) / 4, (20 + 20 + 30 + 30 + 2) / 4}},
        {"2 x 1", 2, 1, {(0 + 10 + 0 + 10 + 2) / 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> pixels = numbered(c.width, c.height);
        std::vector<std::uint8_t> out(7, 99); // resized to fit
        halveForMipmap(pixels.data(), c.width, c.height, out);
        ASSERT_EQ(out.size(), c.expected.size() * 3);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(out[3 * i], c.expected[i]) << "pixel " << i;
    }
}

TEST(TextureShrink, ShrinkingWhileReadingGivesWhatShrinkingTheWholePictureGives)
{
    struct Case {
        int width, height, largest;
        bool topDown;
        int factor;
    };
    const Case cases[] = {
        {7, 5, 4, false, 2},     // odd sides: boxes cut short on the right and at the top
        {7, 5, 4, true, 2},      // rows stored top row first
        {13, 9, 4, false, 4},
        {13, 9, 4, true, 4},
        {1, 11, 3, false, 4},    // one pixel wide
        {6, 4, 8, true, 1},      // fits: kept as it is
        {1001, 700, 256, true, 4}, // rows read from the file in several pieces
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + (c.topDown ? " top-down" : ""));
        test::writeFile(dir.file("t.bmp"),
                        test::encodeBmp(c.width, c.height, gradient(c.width, c.height), {.topDown = c.topDown}));
        BitmapImage whole;
        ASSERT_TRUE(loadBitmap(dir.file("t.bmp"), whole));
        ASSERT_EQ(shrinkFactor(c.width, c.height, c.largest), c.factor);
        ShownTexture shown;
        ASSERT_TRUE(loadShownTexture(dir.file("t.bmp"), c.largest, shown));
        EXPECT_EQ(shown.fileWidth, c.width);
        EXPECT_EQ(shown.fileHeight, c.height);
        EXPECT_EQ(std::pair(shown.image.width, shown.image.height), shrunkSize(c.width, c.height, c.factor));
        EXPECT_EQ(shown.image.pixels, shrinkPixels(whole.pixels, c.width, c.height, c.factor));
    }
}

TEST(TextureShrink, ALargeTextureIsNeverHeldWhole)
{
    test::TempDir dir;
    const int width = 2048, height = 1024; // 6 MiB of pixels, 384 KiB shown
    test::writeFile(dir.file("big.bmp"), test::encodeBmp(width, height, gradient(width, height)));
    ShownTexture shown;
    std::size_t largest = 0;
    {
        test::LargestAllocation watch;
        ASSERT_TRUE(loadShownTexture(dir.file("big.bmp"), 512, shown));
        largest = watch.bytes();
    }
    EXPECT_EQ(shown.image.width, 512);
    EXPECT_LE(largest, std::size_t(3) << 20);
    // A file that ends inside its pixels fails as loading it whole does.
    std::vector<std::uint8_t> cut = test::encodeBmp(width, height, gradient(width, height));
    cut.resize(cut.size() / 2);
    test::writeFile(dir.file("cut.bmp"), cut);
    BitmapImage whole;
    const Status wholeStatus = loadBitmap(dir.file("cut.bmp"), whole);
    const Status shownStatus = loadShownTexture(dir.file("cut.bmp"), 512, shown);
    ASSERT_FALSE(shownStatus);
    EXPECT_EQ(shownStatus.reason(), wholeStatus.reason());
    EXPECT_TRUE(shown.image.pixels.empty());
}

TEST(TextureShrink, TheSceneShowsALargeTextureSmallerAndSaysSo)
{
    test::TempDir dir;
    test::writeFile(dir.file("plane.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const int width = 9, height = 4;
    const std::vector<std::uint8_t> pixels = gradient(width, height);
    test::writeBmp(dir.file("big.bmp"), width, height, test::Bytes(pixels.begin(), pixels.end()));
    SceneRequest request;
    request.layers = {test::layerEntry("plane.obj", LayerKind::Static, "big.bmp")};
    request.baseFolder = dir.path().string();

    SceneAssetCache cache;
    SceneBuildOptions options;
    options.cache = &cache;
    options.largestTexture = 4;
    const Scene scene = buildScene(request, options);
    ASSERT_EQ(scene.layers.size(), 1u);
    const auto& texture = scene.layers[0].texture;
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->width, 3);
    EXPECT_EQ(texture->height, 2);
    EXPECT_EQ(texture->fileWidth, width);
    EXPECT_EQ(texture->fileHeight, height);
    EXPECT_EQ(texture->pixels, shrinkPixels(pixels, width, height, 3));
    ASSERT_EQ(scene.shrunkTextures.size(), 1u);
    EXPECT_EQ(scene.shrunkTextures[0].layer, 0);
    EXPECT_EQ(scene.shrunkTextures[0].reason,
              "layer 1 ('plane.obj'): texture 'big.bmp' is 9 x 4; the preview shows it at 3 x 2");
    EXPECT_TRUE(scene.problems.empty());
    // A change that names no file keeps the line.
    EXPECT_EQ(restateScene(scene, request).shrunkTextures.size(), 1u);

    // Another limit is not served the copy made for the first.
    options.largestTexture = 16;
    const Scene whole = buildScene(request, options);
    ASSERT_TRUE(whole.layers[0].texture);
    EXPECT_EQ(whole.layers[0].texture->width, width);
    EXPECT_EQ(whole.layers[0].texture->pixels, pixels);
    EXPECT_TRUE(whole.shrunkTextures.empty());
    EXPECT_EQ(cache.reads(), 3);
}

} // namespace
} // namespace kes
