#include "scene/texture_shrink.h"

#include <algorithm>

namespace kes {
namespace {

std::int64_t ceilDivide(std::int64_t a, std::int64_t b)
{
    return (a + b - 1) / b;
}

} // namespace

int shrinkFactor(std::int32_t width, std::int32_t height, std::int32_t largest)
{
    if (largest <= 0 || (width <= largest && height <= largest))
        return 1;
    return static_cast<int>(std::max(ceilDivide(width, largest), ceilDivide(height, largest)));
}

std::pair<std::int32_t, std::int32_t> shrunkSize(std::int32_t width, std::int32_t height, int factor)
{
    return {static_cast<std::int32_t>(ceilDivide(width, factor)),
            static_cast<std::int32_t>(ceilDivide(height, factor))};
}

std::vector<std::uint8_t> shrinkPixels(const std::vector<std::uint8_t>& pixels, std::int32_t width,
                                       std::int32_t height, int factor)
{
    if (factor <= 1)
        return pixels;
    const auto [outWidth, outHeight] = shrunkSize(width, height, factor);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(outWidth) * static_cast<std::size_t>(outHeight) * 3);
    // One row of sums at a time: the source is read row by row, once.
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(outWidth) * 3);
    for (std::int32_t outY = 0; outY < outHeight; ++outY) {
        std::fill(sums.begin(), sums.end(), std::uint64_t{0});
        const std::int32_t firstRow = outY * factor;
        const std::int32_t rows = std::min<std::int32_t>(factor, height - firstRow);
        for (std::int32_t y = firstRow; y < firstRow + rows; ++y) {
            const std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
            // Box by box, so that no pixel costs a division.
            std::uint64_t* sum = sums.data();
            for (std::int32_t x = 0; x < width; sum += 3) {
                const std::int32_t end = std::min<std::int32_t>(x + factor, width);
                std::uint32_t red = 0, green = 0, blue = 0;
                for (; x < end; ++x) {
                    red += row[x * 3 + 0];
                    green += row[x * 3 + 1];
                    blue += row[x * 3 + 2];
                }
                sum[0] += red;
                sum[1] += green;
                sum[2] += blue;
            }
        }
        std::uint8_t* outRow = out.data() + static_cast<std::size_t>(outY) * static_cast<std::size_t>(outWidth) * 3;
        for (std::int32_t outX = 0; outX < outWidth; ++outX) {
            const std::int32_t columns = std::min<std::int32_t>(factor, width - outX * factor);
            const std::uint64_t count = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows);
            for (int c = 0; c < 3; ++c)
                outRow[outX * 3 + c] = static_cast<std::uint8_t>((sums[outX * 3 + c] + count / 2) / count);
        }
    }
    return out;
}

} // namespace kes
