// The one place tests and benchmarks make BMP files: any header layout the
// reader knows (and some it refuses), from pixels given as red, green, blue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/byte_order.h"

namespace kes::test {

// How a test bitmap is laid out in its file. The defaults give an ordinary
// 24-bit bottom-up BMP with the 40-byte information header.
struct BmpLayout {
    int headerSize = 40;           // 12 (core header) or 40 and above
    int gapBeforePixels = 0;       // bytes of 0x77 between the headers and the pixels
    bool topDown = false;          // a negative height (not with the 12-byte header)
    int bitCount = 24;
    int compression = 0;
    char signature[2] = {'B', 'M'};
    std::uint8_t padding = 0;      // the value of the bytes that pad each row to 4
};

// A BMP of width x height pixels. `rows` holds red, green, blue per pixel, row
// after row in the order the rows stand in the file.
inline std::vector<std::uint8_t> encodeBmp(int width, int height, const std::vector<std::uint8_t>& rows,
                                           const BmpLayout& layout = {})
{
    const int stride = (width * 3 + 3) / 4 * 4;
    const int offset = 14 + layout.headerSize + layout.gapBeforePixels;
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(offset) + static_cast<std::size_t>(stride) * height);
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
        const std::uint8_t* row = rows.data() + std::size_t(y) * std::size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            put.u8(row[x * 3 + 2]);
            put.u8(row[x * 3 + 1]);
            put.u8(row[x * 3]);
        }
        out.resize(out.size() + static_cast<std::size_t>(stride - width * 3), layout.padding);
    }
    return out;
}

} // namespace kes::test
