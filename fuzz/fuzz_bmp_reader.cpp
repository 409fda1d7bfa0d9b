// Feeds arbitrary bytes to the BMP reader. Besides the sanitizers' checks:
// nothing is allocated beyond a multiple of the input's size, a decoded image
// has sides within the level file's limits and exactly width x height x 3
// pixel bytes, which the file must have held; a refused file leaves the image
// empty.
#include <cstddef>
#include <cstdint>
#include <span>

#include "assets/bmp_reader.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kes::BitmapImage image;
    kesgen_fuzz::LargestAllocation watch;
    const kes::Status status = kes::decodeBitmap(std::span<const std::uint8_t>(data, size), "fuzz.bmp", image);
    KESGEN_FUZZ_CHECK(watch.bytes() <= kesgen_fuzz::allocationAllowance(size));
    if (status) {
        KESGEN_FUZZ_CHECK(image.width >= 0 && image.width <= 65535);
        KESGEN_FUZZ_CHECK(image.height >= 0 && image.height <= 65535);
        KESGEN_FUZZ_CHECK(image.pixels.size() == std::size_t(image.width) * std::size_t(image.height) * 3);
        KESGEN_FUZZ_CHECK(image.pixels.size() <= size);
    } else {
        KESGEN_FUZZ_CHECK(!status.reason().empty());
        KESGEN_FUZZ_CHECK(image.pixels.empty() && image.width == 0 && image.height == 0);
    }
    return 0;
}
