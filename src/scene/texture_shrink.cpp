#include "scene/texture_shrink.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "assets/large_buffer.h"

namespace kes {
namespace {

std::int64_t ceilDivide(std::int64_t a, std::int64_t b)
{
    return (a + b - 1) / b;
}

// Takes a bitmap's rows into a RowShrinker made once the size is known.
class ShrinkingReceiver : public BitmapRowReceiver {
public:
    ShrinkingReceiver(std::int32_t largest, ShownTexture& texture) : largest_(largest), texture_(texture) {}

    void begin(std::int32_t width, std::int32_t height) override
    {
        texture_.fileWidth = width;
        texture_.fileHeight = height;
        const int factor = shrinkFactor(width, height, largest_);
        std::tie(texture_.image.width, texture_.image.height) = shrunkSize(width, height, factor);
        shrinker_.emplace(width, height, factor);
    }

    void row(const std::uint8_t* pixels) override { shrinker_->add(pixels); }

    std::vector<std::uint8_t> take() { return shrinker_ ? shrinker_->take() : std::vector<std::uint8_t>{}; }

private:
    std::int32_t largest_;
    ShownTexture& texture_;
    std::optional<RowShrinker> shrinker_;
};

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

RowShrinker::RowShrinker(std::int32_t width, std::int32_t height, int factor)
    : width_(width), height_(height), factor_(std::max(factor, 1))
{
    std::int32_t outHeight = 0;
    std::tie(outWidth_, outHeight) = shrunkSize(width, height, factor_);
    reserveLarge(out_, static_cast<std::size_t>(outWidth_) * static_cast<std::size_t>(outHeight) * 3);
    if (factor_ > 1)
        sums_.assign(static_cast<std::size_t>(outWidth_) * 3, 0);
}

void RowShrinker::add(const std::uint8_t* row)
{
    ++rowsAdded_;
    if (factor_ == 1) {
        out_.insert(out_.end(), row, row + static_cast<std::size_t>(width_) * 3);
        return;
    }
    // Box by box, so that no pixel costs a division.
    std::uint64_t* sum = sums_.data();
    for (std::int32_t x = 0; x < width_; sum += 3) {
        const std::int32_t end = std::min<std::int32_t>(x + factor_, width_);
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
    // A row of boxes is complete after `factor` rows, or at the last row.
    if (++rowsInBox_ == factor_ || rowsAdded_ == height_)
        finishRow();
}

void RowShrinker::finishRow()
{
    for (std::int32_t outX = 0; outX < outWidth_; ++outX) {
        const std::int32_t columns = std::min<std::int32_t>(factor_, width_ - outX * factor_);
        const std::uint64_t count = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rowsInBox_);
        for (int c = 0; c < 3; ++c)
            out_.push_back(static_cast<std::uint8_t>((sums_[outX * 3 + c] + count / 2) / count));
    }
    std::fill(sums_.begin(), sums_.end(), std::uint64_t{0});
    rowsInBox_ = 0;
}

std::vector<std::uint8_t> shrinkPixels(const std::vector<std::uint8_t>& pixels, std::int32_t width,
                                       std::int32_t height, int factor)
{
    if (factor <= 1)
        return pixels;
    RowShrinker shrinker(width, height, factor);
    for (std::int32_t y = 0; y < height; ++y)
        shrinker.add(pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3);
    return shrinker.take();
}

Status loadShownTexture(const std::string& path, std::int32_t largest, ShownTexture& texture)
{
    texture = ShownTexture{};
    ShrinkingReceiver receiver(largest, texture);
    Status status = streamBitmap(path, receiver);
    if (!status) {
        texture = ShownTexture{};
        return status;
    }
    texture.image.pixels = receiver.take();
    return status;
}

void halveForMipmap(const std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                    std::vector<std::uint8_t>& out)
{
    const std::int32_t outWidth = std::max(width / 2, 1), outHeight = std::max(height / 2, 1);
    out.resize(static_cast<std::size_t>(outWidth) * static_cast<std::size_t>(outHeight) * 3);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    std::uint8_t* to = out.data();
    for (std::int32_t y = 0; y < outHeight; ++y) {
        const std::uint8_t* row0 = pixels + static_cast<std::size_t>(std::min(2 * y, height - 1)) * stride;
        const std::uint8_t* row1 = pixels + static_cast<std::size_t>(std::min(2 * y + 1, height - 1)) * stride;
        for (std::int32_t x = 0; x < outWidth; ++x) {
            const std::size_t a = static_cast<std::size_t>(std::min(2 * x, width - 1)) * 3;
            const std::size_t b = static_cast<std::size_t>(std::min(2 * x + 1, width - 1)) * 3;
            for (std::size_t c = 0; c < 3; ++c)
                *to++ = static_cast<std::uint8_t>((row0[a + c] + row0[b + c] + row1[a + c] + row1[b + c] + 2) / 4);
        }
    }
}

} // namespace kes
