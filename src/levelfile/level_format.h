// The constants of the level file (.kes): magic, format id, chunk kinds, the
// keys of the keyed value chunks, and the sizes of the fixed parts.
//
// A level file is a header followed by chunks, back to back, with no padding
// and no trailer. Every number is little-endian. No chunk carries its length:
// its size follows from its kind and the counts inside it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/layer_kinds.h"
#include "model/level_model.h"

namespace kes {

// The four bytes a level file starts with.
inline constexpr std::array<std::uint8_t, 4> kLevelMagic = {'t', 'k', '3', 'd'};

// The 16 bytes that follow the magic and the zero word in every level file.
inline constexpr std::array<std::uint8_t, 16> kFormatId = {
    0x37, 0x9B, 0x10, 0xDE, 0xB4, 0xEB, 0x4E, 0xDD,
    0xBC, 0xCF, 0x47, 0xB5, 0xC0, 0x3D, 0xED, 0xCE,
};

// The 16-bit word every chunk starts with.
enum class ChunkKind : std::uint16_t {
    LayerChunk = 1,
    VectorChunk = 2,
    IntegerChunk = 3,
    FloatChunk = 4,
};
// Number of chunk counts in the header. The fifth has no chunk kind; it is
// always 0 in the files this program writes.
inline constexpr std::size_t kHeaderChunkCounts = 5;
// Number of chunk kinds that exist (1 to 4).
inline constexpr std::size_t kChunkKindCount = 4;

// Position of a chunk kind in LevelFileHeader::chunkCounts and in the
// writer's remaining counts.
constexpr std::size_t chunkKindSlot(ChunkKind kind) { return static_cast<std::size_t>(kind) - 1; }

// "layer", "vector", "integer" or "float", for messages.
constexpr const char* chunkKindName(ChunkKind kind)
{
    switch (kind) {
    case ChunkKind::LayerChunk: return "layer";
    case ChunkKind::VectorChunk: return "vector";
    case ChunkKind::IntegerChunk: return "integer";
    case ChunkKind::FloatChunk: return "float";
    }
    return "unknown";
}

// What a keyed value chunk holds is said by its (group, index) pair.
struct ChunkKey {
    std::int16_t group = 0;
    std::uint16_t index = 0;
    bool operator==(const ChunkKey&) const = default;
};

// Vector chunks.
inline constexpr ChunkKey kStartPositionKey{-1, 0};   // start position x, y, z
inline constexpr ChunkKey kStartRotationKey{-1, 1};   // start rotation rx, ry, rz
inline constexpr ChunkKey kBackgroundColorKey{-100, 0}; // background colour r, g, b
// Target n (1-based, in table order) is the vector chunk (kTargetGroup, n)
// holding its position and the integer chunk (kTargetGroup, n) holding its kind.
inline constexpr std::int16_t kTargetGroup = 1;
// Integer chunks always have group 1.
inline constexpr std::int16_t kIntegerGroup = 1;
inline constexpr ChunkKey kTargetCountKey{1, 0};      // number of targets
// Float chunks always have group 1 and index 0.
inline constexpr ChunkKey kFramesLRKey{1, 0};         // frames to use left/right

// Sizes in bytes.
inline constexpr std::size_t kHeaderFixedSize = 40;    // header without title and author
inline constexpr std::size_t kVectorChunkSize = 18;
inline constexpr std::size_t kIntegerChunkSize = 10;
inline constexpr std::size_t kFloatChunkSize = 10;
inline constexpr std::size_t kLayerChunkHeadSize = 6;  // chunk kind, layer kind, flags
inline constexpr std::size_t kFrameHeadSize = 4;       // triangle count
inline constexpr std::size_t kTriangleSize = 60;       // 3 corners x (x, y, z, u, v)
inline constexpr std::size_t kTriangleWithNormalsSize = 96; // plus 3 corners x (nx, ny, nz)
inline constexpr std::size_t kTextureBlobHeadSize = 8; // width, height, compressed size
// The longest title or author a header can hold.
inline constexpr std::size_t kMaxHeaderText = 0xFFFF;
// A layer chunk holds at most this many textures.
inline constexpr std::size_t kMaxLayerTextures = 3;

// Bits of a layer chunk's flags word.
inline constexpr std::uint16_t kLayerFlagCollision = 1;
inline constexpr std::uint16_t kLayerFlagNormals = 2;
inline constexpr std::uint16_t kLayerFlagDraw = 4;

// The layer kind that a layer chunk's kind word names. Words outside 0 to 5
// name no kind of the editor's; they are kept as they are.
constexpr LayerKind layerKindOf(std::uint16_t word) { return static_cast<LayerKind>(word); }
// The kind word of a layer chunk.
constexpr std::uint16_t layerKindWord(LayerKind kind) { return static_cast<std::uint16_t>(kind); }

// Number of bytes of motion parameters that a layer chunk of `kind` holds
// after its flags: 0, 16, 24, 40, 2 or 26; 0 for an unknown kind.
constexpr std::size_t motionParameterSize(LayerKind kind)
{
    switch (kind) {
    case LayerKind::Moving: return 16;
    case LayerKind::Vibrating: return 24;
    case LayerKind::Trigger: return 40;
    case LayerKind::Animated: return 2;
    case LayerKind::AnimatedTrigger: return 26;
    default: return 0;
    }
}

// The header of a level file: metadata and the declared number of chunks of
// each kind. `chunkCounts` holds kinds 1 to 4 in kind order and then the
// fifth count.
struct LevelFileHeader {
    std::string title;                 // at most kMaxHeaderText bytes
    std::string author;                // at most kMaxHeaderText bytes
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    std::array<std::uint8_t, 16> formatId = kFormatId;
    std::array<std::uint16_t, kHeaderChunkCounts> chunkCounts{};

    bool operator==(const LevelFileHeader&) const = default;
};

} // namespace kes
