// Feeds arbitrary bytes to the level file reader. Besides the sanitizers'
// checks: the reader comes to the same verdict whether or not it keeps the
// geometry and pixels; without keeping them it allocates nothing beyond a
// multiple of the input's size, and keeping them it allocates no more than
// the pixels that the textures really inflate to; a level it accepts holds
// exactly the chunks its header declares, with every kept texture at its
// full size. A level it accepts is also extracted into a project with its
// meshes and textures and generated again in memory: the bytes come back the
// same exactly when extraction gives no warning.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "extract/level_extraction.h"
#include "fuzz_check.h"
#include "levelfile/level_reader.h"

namespace {

// Deflate turns one byte into at most this many.
constexpr std::size_t kMaxInflateRatio = 1032;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const std::size_t allowance = kesgen_fuzz::allocationAllowance(size);

    kes::LevelReadOptions countsOnly;
    countsOnly.keepGeometry = false;
    countsOnly.keepPixels = false;
    kes::LevelFile counted;
    kesgen_fuzz::LargestAllocation countingWatch;
    const kes::Status countedStatus = kes::decodeLevelFile(bytes, counted, countsOnly);
    KESGEN_FUZZ_CHECK(countingWatch.bytes() <= allowance);

    kes::LevelFile level;
    kesgen_fuzz::LargestAllocation keepingWatch;
    const kes::Status status = kes::decodeLevelFile(bytes, level);
    const std::size_t keptLargest = keepingWatch.bytes();

    KESGEN_FUZZ_CHECK(status.ok() == countedStatus.ok());
    KESGEN_FUZZ_CHECK(status.reason() == countedStatus.reason());
    KESGEN_FUZZ_CHECK(level.triangleCount() == counted.triangleCount());
    if (!status) {
        // Pixels kept so far grow at most to twice what a stream really gave.
        KESGEN_FUZZ_CHECK(keptLargest <= allowance + 2 * kMaxInflateRatio * size);
        return 0;
    }

    const auto& counts = level.header.chunkCounts;
    KESGEN_FUZZ_CHECK(level.size == size);
    KESGEN_FUZZ_CHECK(level.layers.size() == counts[0]);
    KESGEN_FUZZ_CHECK(level.keyedChunks.size() == std::size_t(counts[1]) + counts[2] + counts[3]);
    KESGEN_FUZZ_CHECK(counts[4] == 0);
    std::size_t largestTexture = 0;
    for (const kes::LevelLayer& layer : level.layers) {
        const std::size_t floatsPerTriangle = layer.hasNormals() ? 24 : 15;
        for (const kes::LevelFrame& frame : layer.meshFrames)
            KESGEN_FUZZ_CHECK(frame.triangles.size() == std::size_t(frame.triangleCount) * floatsPerTriangle);
        KESGEN_FUZZ_CHECK(layer.textures.size() <= 3);
        for (const kes::LevelTexture& texture : layer.textures) {
            KESGEN_FUZZ_CHECK(texture.pixels.size() == std::size_t(texture.width) * texture.height * 3);
            largestTexture = std::max(largestTexture, texture.pixels.size());
        }
    }
    KESGEN_FUZZ_CHECK(keptLargest <= std::max(allowance, largestTexture));

    kes::LevelExtraction extraction;
    KESGEN_FUZZ_CHECK(kes::extractLevel(bytes, "level", extraction).ok());
    std::vector<std::uint8_t> again;
    KESGEN_FUZZ_CHECK(kes::regenerateInMemory(extraction, again).ok());
    const bool same = again.size() == size && std::equal(again.begin(), again.end(), data);
    KESGEN_FUZZ_CHECK(same == extraction.warnings.empty());
    return 0;
}
