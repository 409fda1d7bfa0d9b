// Small input files for the editor's tests.
#pragma once

#include <cstdint>
#include <vector>

#include "support/bmp_builder.h"

namespace kes::editor_test {

// One triangle with texture coordinates and a normal, as OBJ text.
inline constexpr char kTriangleObj[] =
    "v 0 0 0\nv 1 0 0\nv 0 0 1\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 1 0\nf 1/1/1 2/2/1 3/3/1\n";

// A 2 x 2 24-bit bottom-up BMP.
inline std::vector<std::uint8_t> smallBmp()
{
    std::vector<std::uint8_t> rows;
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 2; ++x)
            rows.insert(rows.end(), {static_cast<std::uint8_t>(50 * (row + x)), 200, 10});
    return test::encodeBmp(2, 2, rows);
}

} // namespace kes::editor_test
