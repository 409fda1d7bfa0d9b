#include "levelfile/level_reader.h"

#include <algorithm>
#include <climits>
#include <utility>

#include <zlib.h>

#include "model/byte_order.h"
#include "model/counted_text.h"
#include "model/file_io.h"

namespace kes {
namespace {

// Deflate turns one byte into at most this many, so a blob of S bytes cannot
// inflate to more than S * kMaxInflateRatio.
constexpr std::uint64_t kMaxInflateRatio = 1032;
// Kept pixels start with this much room and grow with what the stream really
// yields, so a head that claims more than its stream holds costs no memory.
constexpr std::uint64_t kFirstPixelBlock = 1 << 16;

// Walks the bytes front to back; every read is checked against the end.
class Decoder {
public:
    Decoder(std::span<const std::uint8_t> bytes, const LevelReadOptions& options)
        : bytes_(bytes), options_(options)
    {
    }

    Status decode(LevelFile& level);

private:
    std::size_t left() const { return bytes_.size() - at_; }
    const std::uint8_t* here() const { return bytes_.data() + at_; }

    Status problem(std::uint64_t offset, const std::string& what) const
    {
        return Status::failure("byte " + std::to_string(offset) + ": " + what);
    }
    // Fails unless `size` more bytes are there for `what`.
    Status need(std::uint64_t size, const std::string& what) const
    {
        if (size <= left())
            return Status::success();
        return problem(at_, "the file ends inside " + what + " (" + countedText(size, "byte") + " needed, "
                                + std::to_string(left()) + " left)");
    }

    std::uint16_t u16() { std::uint16_t v = getU16(here()); at_ += 2; return v; }
    std::int16_t i16() { std::int16_t v = getI16(here()); at_ += 2; return v; }
    std::uint32_t u32() { std::uint32_t v = getU32(here()); at_ += 4; return v; }
    std::int32_t i32() { std::int32_t v = getI32(here()); at_ += 4; return v; }
    float f32() { float v = getF32(here()); at_ += 4; return v; }
    template <std::size_t N> void floats(std::array<float, N>& values)
    {
        for (float& value : values)
            value = f32();
    }

    Status decodeHeader(LevelFileHeader& header);
    Status decodeText(std::string& text, const char* what);
    Status decodeKeyed(ChunkKind kind, std::uint64_t offset, LevelFile& level);
    Status decodeLayer(std::uint64_t offset, LevelFile& level);
    Status decodeFrame(const LevelLayer& layer, int frame, LevelFrame& out);
    Status decodeTexture(int texture, LevelTexture& out);
    Status inflateTexture(int texture, LevelTexture& out, std::span<const std::uint8_t> stream);

    std::span<const std::uint8_t> bytes_;
    const LevelReadOptions& options_;
    std::size_t at_ = 0;
};

Status Decoder::decode(LevelFile& level)
{
    level = LevelFile{};
    level.size = bytes_.size();
    if (Status status = decodeHeader(level.header); !status)
        return status;

    std::array<std::uint64_t, kChunkKindCount> seen{};
    while (left() != 0) {
        std::uint64_t offset = at_;
        if (Status status = need(2, "a chunk kind"); !status)
            return status;
        std::uint16_t value = u16();
        if (value < 1 || value > kChunkKindCount)
            return problem(offset, "unknown chunk kind " + std::to_string(value));
        auto kind = static_cast<ChunkKind>(value);
        std::size_t slot = chunkKindSlot(kind);
        if (++seen[slot] > level.header.chunkCounts[slot])
            return problem(offset, std::string(chunkKindName(kind)) + " chunk " + std::to_string(seen[slot])
                                       + ", but the header declares only "
                                       + std::to_string(level.header.chunkCounts[slot]));
        Status status = kind == ChunkKind::LayerChunk ? decodeLayer(offset, level) : decodeKeyed(kind, offset, level);
        if (!status)
            return status;
    }
    for (ChunkKind kind : {ChunkKind::LayerChunk, ChunkKind::VectorChunk, ChunkKind::IntegerChunk,
                           ChunkKind::FloatChunk}) {
        std::size_t slot = chunkKindSlot(kind);
        if (seen[slot] < level.header.chunkCounts[slot])
            return problem(at_, "the file ends after " + std::to_string(seen[slot]) + " of the "
                                    + countedText(level.header.chunkCounts[slot], std::string(chunkKindName(kind)) + " chunk")
                                    + " that the header declares");
    }
    return Status::success();
}

Status Decoder::decodeText(std::string& text, const char* what)
{
    if (Status status = need(2, std::string("the length of the ") + what); !status)
        return status;
    std::uint16_t length = u16();
    if (Status status = need(length, std::string("the ") + what); !status)
        return status;
    text.assign(reinterpret_cast<const char*>(here()), length);
    at_ += length;
    return Status::success();
}

Status Decoder::decodeHeader(LevelFileHeader& header)
{
    if (left() < kLevelMagic.size() || !std::equal(kLevelMagic.begin(), kLevelMagic.end(), here()))
        return problem(0, "not a level file: it does not start with \"tk3d\"");
    at_ += kLevelMagic.size();
    if (Status status = need(2 + header.formatId.size(), "the header"); !status)
        return status;
    std::uint64_t zeroOffset = at_;
    if (std::uint16_t zero = u16(); zero != 0)
        return problem(zeroOffset, "the word after the magic is " + std::to_string(zero) + ", not 0");
    std::copy_n(here(), header.formatId.size(), header.formatId.begin());
    at_ += header.formatId.size();
    if (Status status = decodeText(header.title, "title"); !status)
        return status;
    if (Status status = decodeText(header.author, "author"); !status)
        return status;
    if (Status status = need(4 + 2 * kHeaderChunkCounts, "the header"); !status)
        return status;
    header.versionMajor = u16();
    header.versionMinor = u16();
    for (std::size_t i = 0; i < kHeaderChunkCounts; ++i) {
        std::uint64_t offset = at_;
        header.chunkCounts[i] = u16();
        if (i >= kChunkKindCount && header.chunkCounts[i] != 0)
            return problem(offset, "the header declares " + countedText(header.chunkCounts[i], "chunk")
                                       + " of kind 5, which does not exist");
    }
    return Status::success();
}

Status Decoder::decodeKeyed(ChunkKind kind, std::uint64_t offset, LevelFile& level)
{
    std::size_t size = kind == ChunkKind::VectorChunk ? kVectorChunkSize
        : kind == ChunkKind::IntegerChunk             ? kIntegerChunkSize
                                                      : kFloatChunkSize;
    const char* article = kind == ChunkKind::IntegerChunk ? "an " : "a ";
    if (Status status = need(size - 2, article + std::string(chunkKindName(kind)) + " chunk"); !status)
        return status;
    KeyedChunk chunk;
    chunk.kind = kind;
    chunk.offset = offset;
    chunk.key.group = i16();
    chunk.key.index = u16();
    if (kind == ChunkKind::VectorChunk)
        floats(chunk.vector);
    else if (kind == ChunkKind::IntegerChunk)
        chunk.integer = i32();
    else
        chunk.number = f32();
    level.keyedChunks.push_back(chunk);
    return Status::success();
}

Status Decoder::decodeLayer(std::uint64_t offset, LevelFile& level)
{
    LevelLayer& layer = level.layers.emplace_back();
    layer.offset = offset;
    if (Status status = need(4, "a layer chunk"); !status)
        return status;
    layer.kind = u16();
    std::uint64_t flagsOffset = at_;
    layer.flags = u16();
    const std::uint16_t knownFlags = kLayerFlagCollision | kLayerFlagNormals | kLayerFlagDraw;
    if ((layer.flags & ~knownFlags) != 0)
        return problem(flagsOffset, "layer flags " + std::to_string(layer.flags) + " hold unknown bits");
    if (Status status = need(motionParameterSize(layerKindOf(layer.kind)), "the motion parameters of a layer"); !status)
        return status;
    switch (layerKindOf(layer.kind)) {
    case LayerKind::Moving:
        floats(layer.speed);
        layer.frames = f32();
        break;
    case LayerKind::Vibrating:
        floats(layer.speed);
        floats(layer.vibration);
        break;
    case LayerKind::Trigger:
        floats(layer.speed);
        layer.frames = f32();
        floats(layer.triggerArea);
        break;
    case LayerKind::Animated:
        layer.frameCount = u16();
        break;
    case LayerKind::AnimatedTrigger:
        floats(layer.triggerArea);
        layer.frameCount = u16();
        break;
    default:
        break;
    }
    // Every frame takes at least its triangle count.
    if (Status status = need(std::uint64_t(layer.frameCount) * kFrameHeadSize, "the frames of a layer"); !status)
        return status;
    layer.meshFrames.resize(layer.frameCount);
    for (int frame = 0; frame < layer.frameCount; ++frame)
        if (Status status = decodeFrame(layer, frame + 1, layer.meshFrames[frame]); !status)
            return status;

    if (Status status = need(2, "the texture count of a layer"); !status)
        return status;
    std::uint64_t countOffset = at_;
    std::uint16_t textureCount = u16();
    if (textureCount > kMaxLayerTextures)
        return problem(countOffset, "a layer holds at most 3 textures, not " + std::to_string(textureCount));
    layer.textures.resize(textureCount);
    for (int texture = 0; texture < textureCount; ++texture)
        if (Status status = decodeTexture(texture + 1, layer.textures[texture]); !status)
            return status;
    return Status::success();
}

Status Decoder::decodeFrame(const LevelLayer& layer, int frame, LevelFrame& out)
{
    out.offset = at_;
    std::string what = "frame " + std::to_string(frame);
    if (Status status = need(kFrameHeadSize, "the triangle count of " + what); !status)
        return status;
    out.triangleCount = u32();
    std::uint64_t recordSize = layer.hasNormals() ? kTriangleWithNormalsSize : kTriangleSize;
    std::uint64_t size = std::uint64_t(out.triangleCount) * recordSize;
    if (Status status = need(size, "the " + countedText(out.triangleCount, "triangle") + " of " + what); !status)
        return status;
    if (options_.keepGeometry) {
        out.triangles.resize(size / 4);
        for (float& value : out.triangles)
            value = f32();
    } else {
        at_ += size;
    }
    return Status::success();
}

Status Decoder::decodeTexture(int texture, LevelTexture& out)
{
    out.offset = at_;
    std::string what = "texture " + std::to_string(texture);
    if (Status status = need(kTextureBlobHeadSize, "the head of " + what); !status)
        return status;
    out.width = u16();
    out.height = u16();
    out.compressedSize = u32();
    if (Status status = need(out.compressedSize, "the zlib stream of " + what); !status)
        return status;
    std::uint64_t expected = std::uint64_t(out.width) * out.height * 3;
    if (expected > out.compressedSize * kMaxInflateRatio)
        return problem(out.offset, what + " claims " + std::to_string(out.width) + " x " + std::to_string(out.height)
                                       + " pixels, more than " + countedText(out.compressedSize, "compressed byte")
                                       + " can hold");
    std::span<const std::uint8_t> stream(here(), out.compressedSize);
    if (Status status = inflateTexture(texture, out, stream); !status)
        return status;
    at_ += out.compressedSize;
    return Status::success();
}

Status Decoder::inflateTexture(int texture, LevelTexture& out, std::span<const std::uint8_t> stream)
{
    const std::uint64_t offset = at_;
    const std::uint64_t expected = std::uint64_t(out.width) * out.height * 3;
    const std::string what = "the zlib stream of texture " + std::to_string(texture);

    z_stream inflater{};
    if (inflateInit(&inflater) != Z_OK)
        return problem(offset, "cannot inflate " + what + ": out of memory");
    inflater.next_in = const_cast<Bytef*>(stream.data());
    inflater.avail_in = static_cast<uInt>(stream.size());

    std::uint8_t scratch[16384];
    std::uint64_t produced = 0;
    Status result = Status::success();
    for (;;) {
        std::uint8_t* target = scratch;
        std::size_t room = sizeof scratch;
        if (options_.keepPixels && produced < expected) {
            if (produced == out.pixels.size())
                out.pixels.resize(static_cast<std::size_t>(
                    std::min(expected, std::max(2 * produced, kFirstPixelBlock))));
            target = out.pixels.data() + produced;
            room = static_cast<std::size_t>(std::min<std::uint64_t>(out.pixels.size() - produced, UINT_MAX));
        }
        inflater.next_out = target;
        inflater.avail_out = static_cast<uInt>(room);
        int code = inflate(&inflater, Z_NO_FLUSH);
        produced += room - inflater.avail_out;
        if (produced > expected) {
            result = problem(offset, what + " inflates to more than the " + countedText(expected, "byte") + " of "
                                         + std::to_string(out.width) + " x " + std::to_string(out.height) + " pixels");
            break;
        }
        if (code == Z_STREAM_END) {
            if (produced < expected)
                result = problem(offset, what + " inflates to " + countedText(produced, "byte") + ", but "
                                             + std::to_string(out.width) + " x " + std::to_string(out.height)
                                             + " pixels need " + std::to_string(expected));
            else if (inflater.avail_in != 0)
                result = problem(offset, what + " ends " + countedText(inflater.avail_in, "byte")
                                             + " before its compressed size");
            break;
        }
        if (code == Z_OK)
            continue;
        if (code == Z_BUF_ERROR)
            result = problem(offset, what + " is cut short");
        else if (code == Z_NEED_DICT)
            result = problem(offset, what + " needs a preset dictionary");
        else if (code == Z_MEM_ERROR)
            result = problem(offset, "cannot inflate " + what + ": out of memory");
        else
            result = problem(offset, what + " is damaged" + (inflater.msg ? std::string(": ") + inflater.msg : ""));
        break;
    }
    inflateEnd(&inflater);
    if (!result)
        out.pixels.clear();
    return result;
}

} // namespace

std::uint64_t LevelFile::triangleCount() const
{
    std::uint64_t count = 0;
    for (const LevelLayer& layer : layers)
        for (const LevelFrame& frame : layer.meshFrames)
            count += frame.triangleCount;
    return count;
}

Status decodeLevelFile(std::span<const std::uint8_t> bytes, LevelFile& level, const LevelReadOptions& options)
{
    return Decoder(bytes, options).decode(level);
}

Status loadLevelFile(const std::string& path, LevelFile& level, const LevelReadOptions& options)
{
    std::vector<std::uint8_t> bytes;
    if (Status status = loadWholeFile(path, bytes); !status)
        return status;
    Status status = decodeLevelFile(bytes, level, options);
    if (!status)
        return Status::failure("'" + path + "': " + status.reason());
    return status;
}

bool startsLikeLevelFile(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kLevelMagic.size() && std::equal(kLevelMagic.begin(), kLevelMagic.end(), bytes.begin());
}

bool isLevelFile(const std::string& path)
{
    std::vector<std::uint8_t> start;
    return loadFileStart(path, kLevelMagic.size(), start) && startsLikeLevelFile(start);
}

} // namespace kes
