// Writing 24-bit BMP files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kes {

// An uncompressed 24-bit BMP with a 40-byte information header and a positive
// height, whose rows in file order are the rows of `pixels` in their order
// (width x height pixels of red, green, blue, rows without padding). The BMP
// reader gives back exactly `pixels`.
std::vector<std::uint8_t> encodeBitmap(std::uint16_t width, std::uint16_t height,
                                       std::span<const std::uint8_t> pixels);

} // namespace kes
