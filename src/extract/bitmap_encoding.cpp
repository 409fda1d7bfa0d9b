#include "extract/bitmap_encoding.h"

#include "model/byte_order.h"

namespace kes {

std::vector<std::uint8_t> encodeBitmap(std::uint16_t width, std::uint16_t height,
                                       std::span<const std::uint8_t> pixels)
{
    constexpr std::size_t kHeadersSize = 14 + 40;
    const std::size_t rowBytes = std::size_t(width) * 3;
    const std::size_t stride = (rowBytes + 3) / 4 * 4;
    const std::size_t pixelBytes = stride * height;
    std::vector<std::uint8_t> file(kHeadersSize + pixelBytes, 0);
    std::uint8_t* b = file.data();
    b[0] = 'B';
    b[1] = 'M';
    putU32(b + 2, static_cast<std::uint32_t>(file.size()));
    putU32(b + 10, static_cast<std::uint32_t>(kHeadersSize));
    putU32(b + 14, 40);
    putI32(b + 18, width);
    putI32(b + 22, height);
    putU16(b + 26, 1);  // planes
    putU16(b + 28, 24); // bits per pixel
    putU32(b + 34, static_cast<std::uint32_t>(pixelBytes));
    putI32(b + 38, 2835); // 72 dots per inch
    putI32(b + 42, 2835);
    for (std::size_t r = 0; r < height; ++r) {
        const std::uint8_t* in = pixels.data() + r * rowBytes;
        std::uint8_t* out = b + kHeadersSize + r * stride;
        for (std::size_t i = 0; i < width; ++i, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return file;
}

} // namespace kes
