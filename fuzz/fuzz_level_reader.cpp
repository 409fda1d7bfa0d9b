// Feeds arbitrary bytes to the level file reader. Besides the sanitizers'
// checks: the reader comes to the same verdict whether or not it keeps the
// geometry and pixels, and a level it accepts holds exactly the chunks its
// header declares, with every kept texture at its full size.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_check.h"
#include "levelfile/level_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    kes::LevelFile level;
    const kes::Status status = kes::readLevelFile(bytes, level);

    kes::LevelReadOptions countsOnly;
    countsOnly.keepGeometry = false;
    countsOnly.keepPixels = false;
    kes::LevelFile counted;
    const kes::Status countedStatus = kes::readLevelFile(bytes, counted, countsOnly);
    KESGEN_FUZZ_CHECK(status.ok() == countedStatus.ok());
    KESGEN_FUZZ_CHECK(status.reason() == countedStatus.reason());
    KESGEN_FUZZ_CHECK(level.triangleCount() == counted.triangleCount());
    if (!status)
        return 0;

    const auto& counts = level.header.chunkCounts;
    KESGEN_FUZZ_CHECK(level.size == size);
    KESGEN_FUZZ_CHECK(level.layers.size() == counts[0]);
    KESGEN_FUZZ_CHECK(level.keyedChunks.size() == std::size_t(counts[1]) + counts[2] + counts[3]);
    KESGEN_FUZZ_CHECK(counts[4] == 0);
    for (const kes::LevelLayer& layer : level.layers) {
        const std::size_t floatsPerTriangle = layer.hasNormals() ? 24 : 15;
        for (const kes::LevelFrame& frame : layer.meshFrames)
            KESGEN_FUZZ_CHECK(frame.triangles.size() == std::size_t(frame.triangleCount) * floatsPerTriangle);
        KESGEN_FUZZ_CHECK(layer.textures.size() <= 3);
        for (const kes::LevelTexture& texture : layer.textures)
            KESGEN_FUZZ_CHECK(texture.pixels.size() == std::size_t(texture.width) * texture.height * 3);
    }
    return 0;
}
