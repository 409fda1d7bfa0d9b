// Small level files built byte by byte for the extraction tests: the chunks
// generation writes, in its order, unless a case says otherwise.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>

#include "levelfile/level_encoding.h"
#include "levelfile/level_format.h"
#include "levelfile/texture_compression.h"
#include "model/byte_order.h"

namespace kes::test {

struct TestTexture {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<std::uint8_t> pixels;
    int zlibLevel = 6;
};

struct TestLayer {
    LayerKind kind = LayerKind::Static;
    std::uint16_t flags = 0;
    std::array<float, 3> speed{};
    float frames = 0;
    std::array<float, 3> vibration{};
    std::array<float, 6> triggerArea{};
    // Per frame, per triangle 15 floats (24 with the normals flag).
    std::vector<std::vector<float>> meshFrames{{}};
    std::vector<TestTexture> textures;
};

struct TestTarget {
    std::int32_t kind = 0;
    std::array<float, 3> position{};
};

struct TestLevel {
    std::string title = "Level";
    std::string author = "You";
    std::uint16_t versionMajor = 1;
    std::uint16_t versionMinor = 0;
    std::array<std::uint8_t, 16> formatId = kFormatId;
    float framesLR = 0;
    std::array<float, 6> start{};
    std::array<float, 3> background{};
    std::vector<TestTarget> targets;
    std::vector<TestLayer> layers;
    // Departures from what generation writes.
    bool backgroundFirst = false;     // background colour before the start position
    std::int32_t targetCountValue = -1; // the target count chunk's value; -1: the number of targets
};

// Triangles with distinct values; `seed` varies them.
inline std::vector<float> testTriangles(int count, float seed, bool withNormals = false)
{
    std::vector<float> values;
    for (int t = 0; t < count; ++t)
        for (int k = 0; k < (withNormals ? 24 : 15); ++k)
            values.push_back(seed + float(t) * 0.3f + float(k) * 0.01f - 1.7f);
    return values;
}

inline std::vector<std::uint8_t> testPixels(int width, int height, unsigned seed = 1)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 31 + seed * 7 + (i / 5) * (i % 3)) & 0xFF);
    return pixels;
}

inline TestTexture testTexture(std::uint16_t width, std::uint16_t height, int zlibLevel = 6)
{
    return TestTexture{width, height, testPixels(width, height, width + height), zlibLevel};
}

inline std::vector<std::uint8_t> encodeTestLevel(const TestLevel& level)
{
    std::vector<std::uint8_t> out;
    LevelFileHeader header;
    header.title = level.title;
    header.author = level.author;
    header.versionMajor = level.versionMajor;
    header.versionMinor = level.versionMinor;
    header.formatId = level.formatId;
    const auto targets = static_cast<std::uint16_t>(level.targets.size());
    header.chunkCounts = {static_cast<std::uint16_t>(level.layers.size()), static_cast<std::uint16_t>(targets + 3),
                          static_cast<std::uint16_t>(targets + 1), 1, 0};
    encodeHeader(header, out);
    encodeFloatChunk(level.framesLR, out);
    encodeIntegerChunk(0, level.targetCountValue >= 0 ? level.targetCountValue : targets, out);
    if (level.backgroundFirst)
        encodeVectorChunk(-100, 0, level.background[0], level.background[1], level.background[2], out);
    encodeVectorChunk(-1, 0, level.start[0], level.start[1], level.start[2], out);
    encodeVectorChunk(-1, 1, level.start[3], level.start[4], level.start[5], out);
    if (!level.backgroundFirst)
        encodeVectorChunk(-100, 0, level.background[0], level.background[1], level.background[2], out);
    for (std::size_t i = 0; i < level.targets.size(); ++i) {
        const auto n = static_cast<std::uint16_t>(i + 1);
        const TestTarget& t = level.targets[i];
        encodeIntegerChunk(n, t.kind, out);
        encodeVectorChunk(1, n, t.position[0], t.position[1], t.position[2], out);
    }
    for (const TestLayer& layer : level.layers) {
        LayerDescriptor d;
        d.kind = layer.kind;
        d.speed = layer.speed;
        d.frames = layer.frames;
        d.vibration = layer.vibration;
        d.triggerArea = layer.triggerArea;
        d.frameCount = static_cast<std::uint16_t>(layer.meshFrames.size());
        d.collision = (layer.flags & kLayerFlagCollision) ? 1 : 0;
        d.normals = (layer.flags & kLayerFlagNormals) ? 1 : 0;
        d.draw = (layer.flags & kLayerFlagDraw) ? 1 : 0;
        encodeLayerHead(d, out);
        ByteAppender put(out);
        const std::size_t stride = d.normals ? 24 : 15;
        for (const std::vector<float>& frame : layer.meshFrames) {
            put.u32(static_cast<std::uint32_t>(frame.size() / stride));
            for (float value : frame)
                put.f32(value);
        }
        encodeTextureCount(static_cast<std::uint16_t>(layer.textures.size()), out);
        for (const TestTexture& texture : layer.textures) {
            std::vector<std::uint8_t> stream(compressBound(static_cast<uLong>(texture.pixels.size())));
            uLongf size = static_cast<uLongf>(stream.size());
            compress2(stream.data(), &size, texture.pixels.data(), static_cast<uLong>(texture.pixels.size()),
                      texture.zlibLevel);
            stream.resize(size);
            encodeTextureBlobHead(texture.width, texture.height, static_cast<std::uint32_t>(stream.size()), out);
            out.insert(out.end(), stream.begin(), stream.end());
        }
    }
    return out;
}

inline constexpr float kInf = std::numeric_limits<float>::infinity();

inline TestLayer layerOfKind(LayerKind kind, int frames = 1)
{
    TestLayer layer;
    layer.kind = kind;
    layer.flags = kLayerFlagCollision;
    layer.speed = {0.1f, -0.0f, 3.4e38f};
    layer.frames = 100;
    layer.vibration = {1e-40f, 2, -kInf};
    layer.triggerArea = {1, 4, 6, 2, 3, 5};
    layer.meshFrames.clear();
    for (int f = 0; f < frames; ++f)
        layer.meshFrames.push_back(testTriangles(2 + f, float(kind) + float(f) / 3));
    return layer;
}

inline TestLayer texturedLayer(std::uint16_t width, std::uint16_t height)
{
    TestLayer layer = layerOfKind(LayerKind::Static);
    layer.flags = kLayerFlagDraw;
    layer.textures = {testTexture(width, height)};
    return layer;
}

// Levels as generation writes them: extraction gives a project that gives
// them back byte for byte, and says nothing will differ.
inline std::vector<std::pair<const char*, TestLevel>> levelsThatComeBack()
{
    std::vector<std::pair<const char*, TestLevel>> levels;
    levels.push_back({"empty", TestLevel{}});
    TestLevel kinds;
    for (int word = 0; word < 6; ++word) {
        const LayerKind kind = layerKindOf(static_cast<std::uint16_t>(word));
        kinds.layers.push_back(layerOfKind(kind, isAnimatedLayerKind(kind) ? 3 : 1));
    }
    kinds.layers.push_back(layerOfKind(LayerKind::Animated, 1));
    kinds.layers.push_back(layerOfKind(LayerKind::AnimatedTrigger, 0));
    kinds.layers.push_back(layerOfKind(layerKindOf(9))); // a kind no project names still comes back
    levels.push_back({"every layer kind and animations of 3, 1 and 0 frames", kinds});
    TestLevel textures;
    for (std::uint16_t width : {1, 2, 3, 5, 0})
        textures.layers.push_back(texturedLayer(width, width == 0 ? 0 : 3));
    textures.layers.push_back(layerOfKind(LayerKind::Moving)); // no texture
    levels.push_back({"odd texture widths, an empty texture and none", textures});
    TestLevel full;
    for (int i = 0; i < 32; ++i) {
        full.layers.push_back(layerOfKind(layerKindOf(static_cast<std::uint16_t>(i % 6)), 1));
        full.targets.push_back({i % 2, {float(i), -0.5f * float(i), 1e-3f}});
    }
    full.framesLR = 1.5e38f;
    levels.push_back({"32 layers and 32 targets, frames L/R of 39 digits", full});
    TestLevel settings;
    settings.title = "Caf\xE9 \xFF";
    settings.author = std::string(249, 'a');
    settings.versionMajor = 65535;
    settings.versionMinor = 7;
    settings.framesLR = 25;
    settings.start = {0.1f, -0.0f, kInf, 1e-45f, -3.4028235e38f, std::numeric_limits<float>::quiet_NaN()};
    settings.background = {0.2f, 0.4f, 1.0f / 3.0f};
    settings.targets = {{0, {1, 2, 3}}, {1, {-1, 0.25f, 7}}, {5, {0, 0, 0}}};
    levels.push_back({"8-bit title, the longest author, odd numbers", settings});
    TestLevel largeFrames;
    largeFrames.framesLR = -kInf;
    TestLayer moving = layerOfKind(LayerKind::Moving);
    moving.frames = -2147483648.0f;
    largeFrames.layers.push_back(moving);
    levels.push_back({"infinite frames L/R, the lowest frames till reset", largeFrames});
    return levels;
}

} // namespace kes::test
