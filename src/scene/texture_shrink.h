// Textures made small enough for the view: a texture wider or taller than
// the view can hold is averaged down, box by box, for drawing only.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "assets/bmp_reader.h"
#include "model/status.h"

namespace kes {

// The smallest whole factor that brings both sides of a width x height
// texture to `largest` or less; 1 when it fits already or `largest` is 0
// (no limit).
int shrinkFactor(std::int32_t width, std::int32_t height, std::int32_t largest);

// The size of a width x height texture shrunk by `factor`: each side divided
// and rounded up, the last box of a row or column holding what is left.
std::pair<std::int32_t, std::int32_t> shrunkSize(std::int32_t width, std::int32_t height, int factor);

// `pixels` (width x height of red, green, blue bytes, rows packed) shrunk by
// `factor`: each pixel of the result the rounded mean of a factor x factor
// box of the original, clipped at the right and top edges. Row order is
// kept.
std::vector<std::uint8_t> shrinkPixels(const std::vector<std::uint8_t>& pixels, std::int32_t width,
                                       std::int32_t height, int factor);

// The next smaller size of a texture for its mipmaps, into `out`: the sides
// halved and rounded down (a side of 1 stays 1), as OpenGL sizes them, each
// pixel the rounded mean of the 2 x 2 block at twice its place (a last odd
// row or column is left out).
void halveForMipmap(const std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                    std::vector<std::uint8_t>& out);

// Shrinks a texture as shrinkPixels does, taking its rows one at a time in
// their order: holds one row of sums and the result, never the original.
class RowShrinker {
public:
    RowShrinker(std::int32_t width, std::int32_t height, int factor);
    // The next row of the original: width pixels of red, green, blue.
    void add(const std::uint8_t* row);
    // The result, once all the rows were added.
    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    void finishRow();

    std::int32_t width_;
    std::int32_t height_;
    int factor_;
    std::int32_t outWidth_;
    std::int32_t rowsAdded_ = 0;
    std::int32_t rowsInBox_ = 0;
    std::vector<std::uint64_t> sums_; // of the boxes of the row being made
    std::vector<std::uint8_t> out_;
};

// A texture as the view shows it, and the size of its file.
struct ShownTexture {
    BitmapImage image;
    std::int32_t fileWidth = 0;
    std::int32_t fileHeight = 0;
};

// Reads the BMP file at `path` (failing as loadBitmap does) shrunk by the
// factor that brings it to `largest` (shrinkFactor), while it is read: no
// more than the shrunk pixels and a few rows of the file are held at once.
Status loadShownTexture(const std::string& path, std::int32_t largest, ShownTexture& texture);

} // namespace kes
