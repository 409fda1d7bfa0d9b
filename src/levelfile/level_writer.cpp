#include "levelfile/level_writer.h"

#include <algorithm>
#include <utility>

#include "levelfile/layer_parts.h"
#include "levelfile/level_encoding.h"

namespace kes {

LevelFileWriter::~LevelFileWriter()
{
    // An incomplete file is discarded by the AtomicFile; a complete one is
    // finished, as close() would. A destructor has nobody to tell of a
    // failure: callers that care call close().
    if (isComplete())
        static_cast<void>(file_.commit());
}

Status LevelFileWriter::open(const std::string& path, const LevelFileHeader& header)
{
    if (state_ != State::New)
        return Status::failure("this writer has already written '" + path_ + "'; a writer writes one level file");
    if (header.title.size() > kMaxHeaderText)
        return Status::failure("cannot write '" + path + "': the title is " + std::to_string(header.title.size())
                               + " bytes long, but a level file holds at most 65535");
    if (header.author.size() > kMaxHeaderText)
        return Status::failure("cannot write '" + path + "': the author is " + std::to_string(header.author.size())
                               + " bytes long, but a level file holds at most 65535");
    if (Status opened = file_.open(path); !opened)
        return opened;
    path_ = path;
    state_ = State::Open;
    std::copy_n(header.chunkCounts.begin(), kChunkKindCount, remaining_.begin());
    std::vector<std::uint8_t> bytes;
    encodeHeader(header, bytes);
    return writeBytes(bytes);
}

Status LevelFileWriter::writeVector(std::int16_t group, std::uint16_t index, float x, float y, float z)
{
    std::vector<std::uint8_t> bytes;
    encodeVectorChunk(group, index, x, y, z, bytes);
    return writeChunk(ChunkKind::VectorChunk, bytes);
}

Status LevelFileWriter::writeInteger(std::uint16_t index, std::int32_t value)
{
    std::vector<std::uint8_t> bytes;
    encodeIntegerChunk(index, value, bytes);
    return writeChunk(ChunkKind::IntegerChunk, bytes);
}

Status LevelFileWriter::writeFloat(float value)
{
    std::vector<std::uint8_t> bytes;
    encodeFloatChunk(value, bytes);
    return writeChunk(ChunkKind::FloatChunk, bytes);
}

Status LevelFileWriter::writeLayer(const std::string& objPath, LayerDescriptor& descriptor)
{
    if (Status accepted = acceptChunk(ChunkKind::LayerChunk); !accepted)
        return accepted;
    if (Status check = checkLayerDescriptor(descriptor); !check)
        return Status::failure("cannot write the layer of '" + objPath + "': " + check.reason());
    if (!isAnimatedLayerKind(descriptor.kind))
        descriptor.frameCount = 1;
    // The parts are made here, one at a time, in the order writeLayerParts
    // takes them.
    int next = 0;
    auto nextPart = [&]() {
        const LayerPartIndex part = layerPartAt(next++, descriptor.textureCount);
        if (part.isTexture)
            return makeTexturePart(descriptor.textureWidths[part.number], descriptor.textureHeights[part.number],
                                   descriptor.texturePixels[part.number]);
        return makeFramePart(frameMeshPath(objPath, descriptor.frameCount, part.number), descriptor.normals != 0);
    };
    return writeLayerParts(*this, descriptor, nextPart, warnings_);
}

Status LevelFileWriter::beginLayer()
{
    if (Status accepted = acceptChunk(ChunkKind::LayerChunk); !accepted)
        return accepted;
    layerOpen_ = true;
    return Status::success();
}

Status LevelFileWriter::writeLayerBytes(std::span<const std::uint8_t> bytes)
{
    if (Status open = checkOpen(); !open)
        return open;
    if (!layerOpen_)
        return Status::failure("no layer chunk of '" + path_ + "' has been begun");
    return writeBytes(bytes);
}

Status LevelFileWriter::finishLayer(std::uint64_t triangles)
{
    if (Status open = checkOpen(); !open)
        return open;
    if (!layerOpen_)
        return Status::failure("no layer chunk of '" + path_ + "' has been begun");
    layerOpen_ = false;
    --remaining_[chunkKindSlot(ChunkKind::LayerChunk)];
    triangles_ += triangles;
    return Status::success();
}

Status LevelFileWriter::fail(std::string reason)
{
    file_.discard();
    state_ = State::Broken;
    brokenReason_ = reason;
    return Status::failure(std::move(reason));
}

Status LevelFileWriter::close()
{
    if (Status open = checkOpen(); !open)
        return open;
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
        return Status::failure("'" + path_ + "' is incomplete: " + missing + " still to write");
    }
    if (Status committed = file_.commit(); !committed) {
        state_ = State::Broken;
        brokenReason_ = committed.reason();
        return committed;
    }
    state_ = State::Closed;
    return Status::success();
}

bool LevelFileWriter::isComplete() const
{
    return state_ == State::Open && std::all_of(remaining_.begin(), remaining_.end(), [](auto n) { return n == 0; });
}

Status LevelFileWriter::checkOpen() const
{
    switch (state_) {
    case State::New: return Status::failure("no level file is open");
    case State::Broken: return Status::failure("writing '" + path_ + "' failed earlier: " + brokenReason_);
    case State::Closed: return Status::failure("'" + path_ + "' is already finished");
    case State::Open: break;
    }
    return Status::success();
}

Status LevelFileWriter::acceptChunk(ChunkKind kind) const
{
    if (Status open = checkOpen(); !open)
        return open;
    if (layerOpen_)
        return Status::failure("'" + path_ + "' is in the middle of a layer chunk");
    if (remaining(kind) == 0)
        return Status::failure(std::string("'") + path_ + "' declares no more " + chunkKindName(kind) + " chunks");
    return Status::success();
}

Status LevelFileWriter::writeChunk(ChunkKind kind, const std::vector<std::uint8_t>& bytes)
{
    if (Status accepted = acceptChunk(kind); !accepted)
        return accepted;
    if (Status written = writeBytes(bytes); !written)
        return written;
    --remaining_[chunkKindSlot(kind)];
    return Status::success();
}

Status LevelFileWriter::writeBytes(std::span<const std::uint8_t> bytes)
{
    if (file_.write(bytes.data(), bytes.size()))
        return Status::success();
    return fail(file_.writeError().reason());
}

} // namespace kes
