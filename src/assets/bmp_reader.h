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
//
// Reads uncompressed 24-bit bitmaps with a 12-byte core header or a 40-byte
// information header (or the 52, 56, 108 and 124-byte headers that extend
// it), from the pixel data offset the file gives; the signature is not
// examined. A top-down bitmap (negative height) is delivered bottom row first
// too, with a positive height. Fails, with a reason naming the file, for any
// other bit count, a compressed bitmap, a negative width, a width or height
// above 65535, and a file that ends before its headers or its pixel data do;
// `image` is then empty. Nothing is allocated for the pixels before the file
// is known to hold them.
Status decodeBitmap(std::span<const std::uint8_t> bytes, const std::string& fileName, BitmapImage& image);

// Reads the BMP file at `path` (UTF-8) as decodeBitmap does. A file that
// cannot be read fails with a reason such as
// "cannot read texture file 'x.bmp': no such file or folder".
Status loadBitmap(const std::string& path, BitmapImage& image);

// Takes a bitmap's rows as they are read, so that the whole image need not
// be held at once.
class BitmapRowReceiver {
public:
    virtual ~BitmapRowReceiver() = default;
    // The picture's size: called once, when the headers are good and the
    // file is long enough for every row, before the first row.
    virtual void begin(std::int32_t width, std::int32_t height) = 0;
    // The next row, bottom row first: `width` pixels of red, green, blue.
    // The bytes are valid during the call only.
    virtual void row(const std::uint8_t* pixels) = 0;
};

// Reads only the headers of the BMP file at `path` and checks that the file
// is long enough for every row: the failures of loadBitmap but for a file
// that changes while it is read, without reading a pixel. `width` and
// `height` get the picture's size.
Status inspectBitmap(const std::string& path, std::int32_t& width, std::int32_t& height);

// Reads the BMP file at `path` as loadBitmap does, with the same failures,
// handing the rows to `receiver` one at a time; no more than a few rows of
// the file are held at once. A failure after begin() (the file shrank while
// it was read) comes after some rows.
Status streamBitmap(const std::string& path, BitmapRowReceiver& receiver);

} // namespace kes
