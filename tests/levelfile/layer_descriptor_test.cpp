#include <gtest/gtest.h>

#include "support/level_fixtures.h"
#include "levelfile/layer_descriptor.h"

namespace kes {
namespace {

using test::Bytes;
using test::TempDir;

TEST(FrameMeshPath, NumberedNames)
{
    struct Case {
        std::string objPath;
        std::uint16_t frameCount;
        int frame;
        std::string expected;
    };
    const std::string longBase(300, 'd');
    const Case cases[] = {
        {"wave.obj", 1, 1, "wave.obj"},
        {"levels/wave.obj", 3, 1, "levels/wave_000001.obj"},
        {"levels/wave.obj", 3, 3, "levels/wave_000003.obj"},
        {"wave.OBJ", 2, 2, "wave_000002.obj"},            // the last four characters go, whatever they are
        {"waves", 2, 1, "w_000001.obj"},
        {"abcd", 2, 1, "_000001.obj"},
        {"ab", 2, 1, "ab_000001.obj"},                    // fewer than four characters: used whole
        {"", 2, 1, "_000001.obj"},
        {"x.obj", 65535, 65535, "x_065535.obj"},
        {longBase + ".obj", 2, 12, longBase + "_000012.obj"}, // any length
    };
    for (const Case& c : cases)
        EXPECT_EQ(frameMeshPath(c.objPath, c.frameCount, c.frame), c.expected) << c.objPath;
}

TEST(LoadTextureSet, WithoutPathNoTexture)
{
    LayerDescriptor descriptor;
    descriptor.kind = LayerKind::Trigger;
    descriptor.textureCount = 2;
    descriptor.textureWidths = {1, 1, 0};
    descriptor.textureHeights = {1, 1, 0};
    descriptor.texturePixels[1] = {1, 2, 3};
    ASSERT_TRUE(loadTextureSet(std::nullopt, descriptor));
    EXPECT_EQ(descriptor.textureCount, 0);
    for (int t = 0; t < 3; ++t) {
        EXPECT_TRUE(descriptor.texturePixels[t].empty());
        EXPECT_EQ(descriptor.textureWidths[t], 0);
    }
    EXPECT_EQ(descriptor.kind, LayerKind::Trigger) << "only the texture fields are filled";
}

TEST(LoadTextureSet, ReadsTheBitmapIntoSlotZero)
{
    TempDir dir;
    Bytes pixels = test::fixturePixels(3, 2);
    test::writeBmp(dir.file("t.bmp"), 3, 2, pixels);
    LayerDescriptor descriptor;
    ASSERT_TRUE(loadTextureSet(dir.file("t.bmp"), descriptor));
    EXPECT_EQ(descriptor.textureCount, 1);
    EXPECT_EQ(descriptor.textureWidths[0], 3);
    EXPECT_EQ(descriptor.textureHeights[0], 2);
    EXPECT_EQ(descriptor.texturePixels[0], pixels);
    EXPECT_TRUE(descriptor.texturePixels[1].empty());
    EXPECT_TRUE(descriptor.texturePixels[2].empty());
    EXPECT_TRUE(checkLayerDescriptor(descriptor));
}

TEST(LoadTextureSet, UnreadableBitmapFailsWithItsName)
{
    TempDir dir;
    test::writeFile(dir.file("bad.bmp"), "BM not a bitmap");
    for (const std::string& path : {dir.file("missing.bmp"), dir.file("bad.bmp")}) {
        LayerDescriptor descriptor;
        Status status = loadTextureSet(path, descriptor);
        EXPECT_FALSE(status);
        EXPECT_NE(status.reason().find(path), std::string::npos) << status.reason();
        EXPECT_EQ(descriptor.textureCount, 0);
    }
}

TEST(CheckLayerDescriptor, PixelsMustMatchTheSize)
{
    LayerDescriptor descriptor;
    EXPECT_TRUE(checkLayerDescriptor(descriptor));
    descriptor.textureCount = 1; // 0 x 0 pixels, no bytes: fine
    EXPECT_TRUE(checkLayerDescriptor(descriptor));
    descriptor.textureWidths[0] = 1;
    descriptor.textureHeights[0] = 1;
    EXPECT_FALSE(checkLayerDescriptor(descriptor));
    descriptor.texturePixels[0] = {1, 2, 3};
    EXPECT_TRUE(checkLayerDescriptor(descriptor));
    descriptor.texturePixels[1] = {1}; // slots past textureCount are not looked at
    EXPECT_TRUE(checkLayerDescriptor(descriptor));
    descriptor.textureCount = 4;
    EXPECT_FALSE(checkLayerDescriptor(descriptor));
}

} // namespace
} // namespace kes
