#include "levelfile/level_writer.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "assets/obj_reader.h"
#include "levelfile/level_encoding.h"
#include "levelfile/texture_compression.h"

namespace kes {
namespace {

// Triangles encoded per write, so a large mesh needs no second full copy.
constexpr std::size_t kTrianglesPerWrite = 16384;

} // namespace

LevelFileWriter::~LevelFileWriter()
{
    // An incomplete file is discarded by the AtomicFile; a complete one is
    // finished, as close() would.
    if (isComplete())
        file_.commit();
}

bool LevelFileWriter::open(const std::string& path, const LevelFileHeader& header)
{
    if (state_ != State::New)
        return refuse("this writer has already written '" + path_ + "'; a writer writes one level file");
    if (header.title.size() > kMaxHeaderText)
        return refuse("cannot write '" + path + "': the title is " + std::to_string(header.title.size())
                      + " bytes long, but a level file holds at most 65535");
    if (header.author.size() > kMaxHeaderText)
        return refuse("cannot write '" + path + "': the author is " + std::to_string(header.author.size())
                      + " bytes long, but a level file holds at most 65535");
    Status status = file_.open(path);
    if (!status)
        return refuse(status.reason());
    path_ = path;
    state_ = State::Open;
    std::copy_n(header.chunkCounts.begin(), kChunkKindCount, remaining_.begin());
    std::vector<std::uint8_t> bytes;
    encodeHeader(header, bytes);
    if (!writeBytes(bytes))
        return false;
    lastError_.clear();
    return true;
}

bool LevelFileWriter::writeVector(std::int16_t group, std::uint16_t index, float x, float y, float z)
{
    std::vector<std::uint8_t> bytes;
    encodeVectorChunk(group, index, x, y, z, bytes);
    return writeChunk(ChunkKind::VectorChunk, bytes);
}

bool LevelFileWriter::writeInteger(std::uint16_t index, std::int32_t value)
{
    std::vector<std::uint8_t> bytes;
    encodeIntegerChunk(index, value, bytes);
    return writeChunk(ChunkKind::IntegerChunk, bytes);
}

bool LevelFileWriter::writeFloat(float value)
{
    std::vector<std::uint8_t> bytes;
    encodeFloatChunk(value, bytes);
    return writeChunk(ChunkKind::FloatChunk, bytes);
}

bool LevelFileWriter::writeLayer(const std::string& objPath, LayerDescriptor& descriptor)
{
    if (!acceptChunk(ChunkKind::LayerChunk))
        return false;
    Status check = checkLayerDescriptor(descriptor);
    if (!check)
        return refuse("cannot write the layer of '" + objPath + "': " + check.reason());
    if (!isAnimatedLayerKind(descriptor.kind))
        descriptor.frameCount = 1;
    std::vector<std::uint8_t> bytes;
    encodeLayerHead(descriptor, bytes);
    if (!writeBytes(bytes) || !writeFrames(objPath, descriptor) || !writeTextures(descriptor))
        return false;
    --remaining_[chunkKindSlot(ChunkKind::LayerChunk)];
    lastError_.clear();
    return true;
}

bool LevelFileWriter::writeFrames(const std::string& objPath, const LayerDescriptor& descriptor)
{
    bool withNormals = descriptor.normals != 0;
    std::vector<std::uint8_t> bytes;
    for (int frame = 1; frame <= descriptor.frameCount; ++frame) {
        MeshTriangles mesh;
        std::string meshPath = frameMeshPath(objPath, descriptor.frameCount, frame);
        Status status = loadObjMesh(meshPath, mesh, &warnings_);
        if (!status)
            return breakWriter(status.reason());
        if (mesh.faces.size() > std::numeric_limits<std::uint32_t>::max())
            return breakWriter("cannot write the mesh of '" + meshPath + "': it has more triangles than a level file holds");
        bytes.clear();
        encodeFrameHead(static_cast<std::uint32_t>(mesh.faces.size()), bytes);
        for (std::size_t first = 0; first < mesh.faces.size(); first += kTrianglesPerWrite) {
            std::size_t count = std::min(kTrianglesPerWrite, mesh.faces.size() - first);
            encodeTriangles(mesh, first, count, withNormals, bytes);
            if (!writeBytes(bytes))
                return false;
            bytes.clear();
        }
        if (!bytes.empty() && !writeBytes(bytes))
            return false;
        triangles_ += mesh.faces.size();
    }
    return true;
}

bool LevelFileWriter::writeTextures(const LayerDescriptor& descriptor)
{
    std::vector<std::uint8_t> bytes;
    encodeTextureCount(descriptor.textureCount, bytes);
    if (!writeBytes(bytes))
        return false;
    std::vector<std::uint8_t> compressed;
    for (std::size_t t = 0; t < descriptor.textureCount; ++t) {
        Status status = compressTexture(descriptor.texturePixels[t], compressed);
        if (!status)
            return breakWriter(status.reason());
        if (compressed.size() > std::numeric_limits<std::uint32_t>::max())
            return breakWriter("cannot write a texture of " + std::to_string(descriptor.textureWidths[t]) + " x "
                               + std::to_string(descriptor.textureHeights[t])
                               + " pixels: it compresses to more than 4 GiB");
        bytes.clear();
        encodeTextureBlobHead(descriptor.textureWidths[t], descriptor.textureHeights[t],
                              static_cast<std::uint32_t>(compressed.size()), bytes);
        if (!writeBytes(bytes) || !writeBytes(compressed))
            return false;
    }
    return true;
}

bool LevelFileWriter::beginPreparedLayer()
{
    if (!acceptChunk(ChunkKind::LayerChunk))
        return false;
    preparedLayerOpen_ = true;
    lastError_.clear();
    return true;
}

bool LevelFileWriter::writePreparedLayerPart(std::span<const std::uint8_t> bytes)
{
    if (!checkOpen())
        return false;
    if (!preparedLayerOpen_)
        return refuse("no prepared layer chunk of '" + path_ + "' has been begun");
    if (!writeBytes(bytes))
        return false;
    lastError_.clear();
    return true;
}

bool LevelFileWriter::finishPreparedLayer(std::uint64_t triangles)
{
    if (!checkOpen())
        return false;
    if (!preparedLayerOpen_)
        return refuse("no prepared layer chunk of '" + path_ + "' has been begun");
    preparedLayerOpen_ = false;
    --remaining_[chunkKindSlot(ChunkKind::LayerChunk)];
    triangles_ += triangles;
    lastError_.clear();
    return true;
}

bool LevelFileWriter::close()
{
    if (!checkOpen())
        return false;
    if (!isComplete()) {
        std::string missing;
        for (ChunkKind kind : {ChunkKind::LayerChunk, ChunkKind::VectorChunk, ChunkKind::IntegerChunk,
                               ChunkKind::FloatChunk}) {
            if (remaining(kind) == 0)
                continue;
            missing += missing.empty() ? "" : ", ";
            missing += std::to_string(remaining(kind)) + " " + chunkKindName(kind) + " chunk"
                + (remaining(kind) == 1 ? "" : "s");
        }
        return refuse("'" + path_ + "' is incomplete: " + missing + " still to write");
    }
    Status status = file_.commit();
    if (!status) {
        state_ = State::Broken;
        brokenReason_ = status.reason();
        return refuse(status.reason());
    }
    state_ = State::Closed;
    lastError_.clear();
    return true;
}

bool LevelFileWriter::isComplete() const
{
    return state_ == State::Open && std::all_of(remaining_.begin(), remaining_.end(), [](auto n) { return n == 0; });
}

bool LevelFileWriter::refuse(std::string reason)
{
    lastError_ = std::move(reason);
    return false;
}

bool LevelFileWriter::checkOpen()
{
    switch (state_) {
    case State::New: return refuse("no level file is open");
    case State::Broken: return refuse("writing '" + path_ + "' failed earlier: " + brokenReason_);
    case State::Closed: return refuse("'" + path_ + "' is already finished");
    case State::Open: break;
    }
    return true;
}

bool LevelFileWriter::acceptChunk(ChunkKind kind)
{
    if (!checkOpen())
        return false;
    if (preparedLayerOpen_)
        return refuse("'" + path_ + "' is in the middle of a prepared layer chunk");
    if (remaining(kind) == 0)
        return refuse(std::string("'") + path_ + "' declares no more " + chunkKindName(kind) + " chunks");
    return true;
}

bool LevelFileWriter::writeChunk(ChunkKind kind, const std::vector<std::uint8_t>& bytes)
{
    if (!acceptChunk(kind) || !writeBytes(bytes))
        return false;
    --remaining_[chunkKindSlot(kind)];
    lastError_.clear();
    return true;
}

bool LevelFileWriter::writeBytes(std::span<const std::uint8_t> bytes)
{
    if (file_.write(bytes.data(), bytes.size()))
        return true;
    // The commit of a failed file only removes it and tells the reason.
    return breakWriter(file_.commit().reason());
}

bool LevelFileWriter::breakWriter(std::string reason)
{
    file_.discard();
    state_ = State::Broken;
    brokenReason_ = reason;
    return refuse(std::move(reason));
}

} // namespace kes
