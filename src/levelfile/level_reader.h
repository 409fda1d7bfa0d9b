// Reads and checks a complete level file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "levelfile/level_format.h"
#include "model/status.h"

namespace kes {

// A vector, integer or float chunk. Only the value field of its kind is set.
struct KeyedChunk {
    ChunkKind kind = ChunkKind::VectorChunk;
    ChunkKey key;
    std::array<float, 3> vector{}; // VectorChunk
    std::int32_t integer = 0;      // IntegerChunk
    float number = 0;              // FloatChunk
    std::uint64_t offset = 0;      // byte offset of the chunk in the file
};

// One mesh frame of a layer.
struct LevelFrame {
    std::uint32_t triangleCount = 0;
    // Per triangle, the three corners' x, y, z, u, v (15 floats), then, when
    // the layer has normals, the three corners' nx, ny, nz (9 more). Empty
    // when the geometry is not kept.
    std::vector<float> triangles;
    std::uint64_t offset = 0;      // byte offset of the triangle count
};

// One texture blob of a layer.
struct LevelTexture {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint32_t compressedSize = 0;
    // The inflated width x height x 3 bytes; empty when pixels are not kept.
    std::vector<std::uint8_t> pixels;
    std::uint64_t offset = 0;      // byte offset of the width
};

// One layer chunk. Only the motion parameters of its kind are set; the
// others stay 0.
struct LevelLayer {
    std::uint16_t kind = 0;
    std::uint16_t flags = 0;
    std::array<float, 3> speed{};
    float frames = 0;              // frames till reset/stop
    std::array<float, 3> vibration{};
    std::array<float, 6> triggerArea{}; // stored element order
    // The stored frame count of an animated layer; 1 for other kinds.
    std::uint16_t frameCount = 1;
    std::vector<LevelFrame> meshFrames;
    std::vector<LevelTexture> textures;
    std::uint64_t offset = 0;      // byte offset of the chunk in the file

    bool collides() const { return (flags & kLayerFlagCollision) != 0; }
    bool hasNormals() const { return (flags & kLayerFlagNormals) != 0; }
    bool isDrawn() const { return (flags & kLayerFlagDraw) != 0; }
};

// A decoded level file. Keyed chunks and layers each stand in file order;
// their offsets tell how they interleave.
struct LevelFile {
    LevelFileHeader header;
    std::vector<KeyedChunk> keyedChunks;
    std::vector<LevelLayer> layers;
    std::uint64_t size = 0;        // bytes in the file

    // Triangles of all layers and frames.
    std::uint64_t triangleCount() const;
};

struct LevelReadOptions {
    // Keep every triangle's floats in LevelFrame::triangles.
    bool keepGeometry = true;
    // Keep every texture's inflated pixels in LevelTexture::pixels. Textures
    // are inflated and checked either way.
    bool keepPixels = true;
};

// Decodes and checks a complete level file held in `bytes`: the magic and the
// zero word after it, every chunk in turn by its kind, the number of chunks
// of each kind against the header (the fifth count must be 0, as no chunk of
// that kind exists), that nothing follows the last chunk, the layer flags and
// texture counts, and that every texture's zlib stream is intact and
// inflates to exactly width x height x 3 bytes. The formatId is taken as it
// is. On the first problem returns a reason with its byte offset, such as
// "byte 1234: unknown chunk kind 7", and `level` holds what was decoded up to
// there. Safe on any input: it reads nothing outside `bytes`, and allocates
// only in proportion to what `bytes` can hold.
Status decodeLevelFile(std::span<const std::uint8_t> bytes, LevelFile& level, const LevelReadOptions& options = {});

// Reads the file at `path` (UTF-8) and decodes it as decodeLevelFile does; a
// reason names the file.
Status loadLevelFile(const std::string& path, LevelFile& level, const LevelReadOptions& options = {});

// Whether the bytes, or the file at `path`, begin as a level file does (its
// magic), whatever follows: for telling a level file from a project.
bool startsLikeLevelFile(std::span<const std::uint8_t> bytes);
bool isLevelFile(const std::string& path);

} // namespace kes
