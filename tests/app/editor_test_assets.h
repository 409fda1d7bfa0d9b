// Small input files for the editor's tests.
#pragma once

#include <cstdint>
#include <vector>

namespace kes::editor_test {

// One triangle with texture coordinates and a normal, as OBJ text.
inline constexpr char kTriangleObj[] =
    "v 0 0 0\nv 1 0 0\nv 0 0 1\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 1 0\nf 1/1/1 2/2/1 3/3/1\n";

// A 2 x 2 24-bit bottom-up BMP (rows padded to 8 bytes).
inline std::vector<std::uint8_t> smallBmp()
{
    std::vector<std::uint8_t> bytes = {'B', 'M'};
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    u32(54 + 16);
    u32(0);
    u32(54);
    u32(40);
    u32(2);
    u32(2);
    u16(1);
    u16(24);
    u32(0);
    u32(16);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 2; ++x) {
            bytes.push_back(10);  // blue
            bytes.push_back(200); // green
            bytes.push_back(static_cast<std::uint8_t>(50 * (row + x)));
        }
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

} // namespace kes::editor_test
