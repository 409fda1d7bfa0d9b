// The bytes of each part of a level file, appended to a byte buffer. These
// functions only encode; they read no file and check nothing but what is
// noted, so parts can be prepared anywhere and written in order later.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "assets/obj_reader.h"
#include "levelfile/layer_descriptor.h"
#include "levelfile/level_format.h"

namespace kes {

// The header: magic, zero word, formatId, title and author (each a 16-bit
// length and the bytes), the two version numbers and the five chunk counts.
// The title and author must be at most kMaxHeaderText bytes long.
void encodeHeader(const LevelFileHeader& header, std::vector<std::uint8_t>& out);

// A vector chunk (18 bytes): kind 2, group, index, x, y, z.
void encodeVectorChunk(std::int16_t group, std::uint16_t index, float x, float y, float z,
                       std::vector<std::uint8_t>& out);
// An integer chunk (10 bytes): kind 3, group 1, index, value.
void encodeIntegerChunk(std::uint16_t index, std::int32_t value, std::vector<std::uint8_t>& out);
// A float chunk (10 bytes): kind 4, group 1, index 0, value.
void encodeFloatChunk(float value, std::vector<std::uint8_t>& out);

// The flags word of a layer: collision 1, normals 2, draw 4.
std::uint16_t layerFlags(const LayerDescriptor& descriptor);

// The start of a layer chunk: kind 1, the layer kind, the flags and the
// motion parameters of the kind. Animated kinds store the descriptor's
// frameCount, which must be the number of frames that follow.
void encodeLayerHead(const LayerDescriptor& descriptor, std::vector<std::uint8_t>& out);

// The triangle count that starts one frame of a layer chunk.
void encodeFrameHead(std::uint32_t triangleCount, std::vector<std::uint8_t>& out);
// The records of triangles [first, first + count) of `mesh`: for each corner
// x, y, z, u, v; then, with `withNormals`, each corner's normal. A face
// without an entry in faceNormals gets zero normals.
void encodeTriangles(const MeshTriangles& mesh, std::size_t first, std::size_t count, bool withNormals,
                     std::vector<std::uint8_t>& out);
// Turns triangles as loadObjInterleaved lays them out (floats in this
// machine's byte order) into triangle records, in place: the layout is the
// same, so only a machine that is not little-endian has work to do.
void encodeInterleavedTriangles(std::span<std::uint8_t> triangles);
// One whole frame: the triangle count and every triangle record.
void encodeFrame(const MeshTriangles& mesh, bool withNormals, std::vector<std::uint8_t>& out);

// The texture count that follows the frames of a layer chunk.
void encodeTextureCount(std::uint16_t count, std::vector<std::uint8_t>& out);
// The head of one texture blob: width, height and the compressed size. The
// zlib stream's bytes follow it directly.
void encodeTextureBlobHead(std::uint16_t width, std::uint16_t height, std::uint32_t compressedSize,
                           std::vector<std::uint8_t>& out);

} // namespace kes
