// Fixtures for the tests of every layer: OBJ and BMP files written by the tests
// themselves, little-endian byte builders and zlib helpers.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "levelfile/level_format.h"
#include "model/byte_order.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"

namespace kes::test {

using Bytes = std::vector<std::uint8_t>;

// One triangle of a fixture mesh: per corner x, y, z, u, v.
struct FixtureTriangle {
    std::array<std::array<float, 5>, 3> corners;
};

// Triangle i of a fixture: distinct, exactly representable values.
inline FixtureTriangle fixtureTriangle(int i)
{
    FixtureTriangle t;
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 5; ++k)
            t.corners[c][k] = float(i * 100 + c * 10 + k) + 0.5f;
    return t;
}

inline std::vector<FixtureTriangle> fixtureTriangles(int count, int first = 0)
{
    std::vector<FixtureTriangle> triangles;
    for (int i = 0; i < count; ++i)
        triangles.push_back(fixtureTriangle(first + i));
    return triangles;
}

// Writes an OBJ file with one position, texture coordinate and normal line
// per corner, and one face line per triangle.
inline void writeObj(const std::string& path, const std::vector<FixtureTriangle>& triangles)
{
    std::string text = "# fixture\n";
    int corner = 0;
    for (const FixtureTriangle& t : triangles) {
        for (const auto& c : t.corners) {
            text += "v " + std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]) + "\n";
            text += "vt " + std::to_string(c[3]) + " " + std::to_string(c[4]) + "\n";
            text += "vn 0 0 1\n";
        }
        std::string f = "f";
        for (int k = 0; k < 3; ++k) {
            std::string n = std::to_string(++corner);
            f += " " + n + "/" + n + "/" + n;
        }
        text += f + "\n";
    }
    writeFile(path, text);
}

// Pixels for a width x height texture: red, green, blue per pixel.
inline Bytes fixturePixels(int width, int height, unsigned seed = 1)
{
    Bytes pixels(std::size_t(width) * height * 3);
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i % 7 == 0 ? random() : i / 5);
    return pixels;
}

// Writes a 24-bit bottom-up BMP whose rows (in file order) hold `pixels`
// (red, green, blue per pixel).
inline void writeBmp(const std::string& path, int width, int height, const Bytes& pixels)
{
    writeFile(path, encodeBmp(width, height, pixels));
}

// Little-endian byte builders for expected file contents.
inline void append(Bytes& out, std::initializer_list<std::uint8_t> bytes)
{
    out.insert(out.end(), bytes);
}
inline void appendU16(Bytes& out, std::uint16_t value) { ByteAppender(out).u16(value); }
inline void appendU32(Bytes& out, std::uint32_t value) { ByteAppender(out).u32(value); }
inline void appendF32(Bytes& out, float value) { ByteAppender(out).f32(value); }
inline void appendTriangle(Bytes& out, const FixtureTriangle& t)
{
    for (const auto& c : t.corners)
        for (float v : c)
            appendF32(out, v);
}

// zlib's own one-shot compression at the default level.
inline Bytes zlibCompress(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

// Inflates a complete zlib stream that should yield `expectedSize` bytes;
// returns an empty vector and sets `ok` false when it does not.
inline Bytes zlibInflate(const std::uint8_t* data, std::size_t size, std::size_t expectedSize, bool& ok)
{
    Bytes out(expectedSize + 1);
    uLongf outSize = static_cast<uLongf>(out.size());
    uLong inSize = static_cast<uLong>(size);
    ok = uncompress2(out.data(), &outSize, data, &inSize) == Z_OK && outSize == expectedSize && inSize == size;
    out.resize(ok ? outSize : 0);
    return out;
}

} // namespace kes::test
