// Reads uncompressed 24-bit BMP textures into packed red, green, blue bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/status.h"

namespace kes {

// width x height pixels of three bytes (red, green, blue), rows without
// padding, in the row order of the file (bottom row first for an ordinary
// bottom-up bitmap).
struct BitmapImage {
    std::vector<std::uint8_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Reads a BMP held in memory. `fileName` only names the file in the reason of
// a failure.
Status decodeBitmap(std::span<const std::uint8_t> bytes, const std::string& fileName, BitmapImage& image);

// Reads the BMP file at `path` (UTF-8).
Status loadBitmap(const std::string& path, BitmapImage& image);

} // namespace kes
