// Textures made small enough for the view: a texture wider or taller than
// the view can hold is averaged down, box by box, for drawing only.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

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

} // namespace kes
