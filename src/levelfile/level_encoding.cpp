#include "levelfile/level_encoding.h"

#include <bit>
#include <cstring>

#include "model/byte_order.h"

namespace kes {
namespace {

void appendText(ByteAppender& put, const std::string& text)
{
    put.u16(static_cast<std::uint16_t>(text.size()));
    put.bytes(text.data(), text.size());
}

void appendFloats(ByteAppender& put, std::span<const float> values)
{
    for (float value : values)
        put.f32(value);
}

std::uint8_t* putVec3(std::uint8_t* at, const Vec3& value)
{
    putF32(at, value.x);
    putF32(at + 4, value.y);
    putF32(at + 8, value.z);
    return at + 12;
}

std::uint8_t* putVec2(std::uint8_t* at, const Vec2& value)
{
    putF32(at, value.u);
    putF32(at + 4, value.v);
    return at + 8;
}

} // namespace

void encodeHeader(const LevelFileHeader& header, std::vector<std::uint8_t>& out)
{
    ByteAppender put(out);
    put.bytes(kLevelMagic.data(), kLevelMagic.size());
    put.u16(0);
    put.bytes(header.formatId.data(), header.formatId.size());
    appendText(put, header.title);
    appendText(put, header.author);
    put.u16(header.versionMajor);
    put.u16(header.versionMinor);
    for (std::uint16_t count : header.chunkCounts)
        put.u16(count);
}

void encodeVectorChunk(std::int16_t group, std::uint16_t index, float x, float y, float z,
                       std::vector<std::uint8_t>& out)
{
    ByteAppender put(out);
    put.u16(static_cast<std::uint16_t>(ChunkKind::VectorChunk));
    put.i16(group);
    put.u16(index);
    put.f32(x);
    put.f32(y);
    put.f32(z);
}

void encodeIntegerChunk(std::uint16_t index, std::int32_t value, std::vector<std::uint8_t>& out)
{
    ByteAppender put(out);
    put.u16(static_cast<std::uint16_t>(ChunkKind::IntegerChunk));
    put.i16(kIntegerGroup);
    put.u16(index);
    put.i32(value);
}

void encodeFloatChunk(float value, std::vector<std::uint8_t>& out)
{
    ByteAppender put(out);
    put.u16(static_cast<std::uint16_t>(ChunkKind::FloatChunk));
    put.i16(kFramesLRKey.group);
    put.u16(kFramesLRKey.index);
    put.f32(value);
}

std::uint16_t layerFlags(const LayerDescriptor& descriptor)
{
    std::uint16_t flags = 0;
    if (descriptor.collision != 0)
        flags |= kLayerFlagCollision;
    if (descriptor.normals != 0)
        flags |= kLayerFlagNormals;
    if (descriptor.draw != 0)
        flags |= kLayerFlagDraw;
    return flags;
}

void encodeLayerHead(const LayerDescriptor& descriptor, std::vector<std::uint8_t>& out)
{
    ByteAppender put(out);
    put.u16(static_cast<std::uint16_t>(ChunkKind::LayerChunk));
    put.u16(layerKindWord(descriptor.kind));
    put.u16(layerFlags(descriptor));
    switch (descriptor.kind) {
    case LayerKind::Moving:
        appendFloats(put, descriptor.speed);
        put.f32(descriptor.frames);
        break;
    case LayerKind::Vibrating:
        appendFloats(put, descriptor.speed);
        appendFloats(put, descriptor.vibration);
        break;
    case LayerKind::Trigger:
        appendFloats(put, descriptor.speed);
        put.f32(descriptor.frames);
        appendFloats(put, descriptor.triggerArea);
        break;
    case LayerKind::Animated:
        put.u16(descriptor.frameCount);
        break;
    case LayerKind::AnimatedTrigger:
        appendFloats(put, descriptor.triggerArea);
        put.u16(descriptor.frameCount);
        break;
    default:
        break;
    }
}

void encodeFrameHead(std::uint32_t triangleCount, std::vector<std::uint8_t>& out)
{
    ByteAppender(out).u32(triangleCount);
}

void encodeTriangles(const MeshTriangles& mesh, std::size_t first, std::size_t count, bool withNormals,
                     std::vector<std::uint8_t>& out)
{
    static const FaceNormals noNormals{};
    std::size_t start = out.size();
    out.resize(start + count * (withNormals ? kTriangleWithNormalsSize : kTriangleSize));
    std::uint8_t* at = out.data() + start;
    for (std::size_t i = first; i < first + count; ++i) {
        const MeshFace& face = mesh.faces[i];
        for (int corner = 0; corner < 3; ++corner) {
            at = putVec3(at, face.position[corner]);
            at = putVec2(at, face.uv[corner]);
        }
        if (withNormals) {
            const FaceNormals& normals = i < mesh.faceNormals.size() ? mesh.faceNormals[i] : noNormals;
            for (int corner = 0; corner < 3; ++corner)
                at = putVec3(at, normals.normal[corner]);
        }
    }
}

void encodeInterleavedTriangles(std::span<std::uint8_t> triangles)
{
    static_assert(interleavedTriangleSize(false) == kTriangleSize
                  && interleavedTriangleSize(true) == kTriangleWithNormalsSize);
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t at = 0; at + 4 <= triangles.size(); at += 4) {
            float value;
            std::memcpy(&value, triangles.data() + at, 4);
            putF32(triangles.data() + at, value);
        }
    }
}

void encodeFrame(const MeshTriangles& mesh, bool withNormals, std::vector<std::uint8_t>& out)
{
    encodeFrameHead(static_cast<std::uint32_t>(mesh.faces.size()), out);
    encodeTriangles(mesh, 0, mesh.faces.size(), withNormals, out);
}

void encodeTextureCount(std::uint16_t count, std::vector<std::uint8_t>& out)
{
    ByteAppender(out).u16(count);
}

void encodeTextureBlobHead(std::uint16_t width, std::uint16_t height, std::uint32_t compressedSize,
                           std::vector<std::uint8_t>& out)
{
    ByteAppender put(out);
    put.u16(width);
    put.u16(height);
    put.u32(compressedSize);
}

} // namespace kes
