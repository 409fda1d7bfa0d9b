#include "levelfile/texture_compression.h"

#include <algorithm>
#include <climits>
#include <string>

#include <zlib.h>

namespace kes {
namespace {

// The most bytes zlib takes or gives in one call.
constexpr std::size_t kMaxZlibPiece = UINT_MAX;

Status zlibFailure(int code, const z_stream& stream)
{
    std::string what = code == Z_MEM_ERROR ? "out of memory"
        : stream.msg                       ? stream.msg
                                           : "zlib error " + std::to_string(code);
    return Status::failure("cannot compress a texture: " + what);
}

} // namespace

Status compressTexture(std::span<const std::uint8_t> pixels, std::vector<std::uint8_t>& compressed)
{
    compressed.clear();
    z_stream stream{};
    int code = deflateInit(&stream, Z_DEFAULT_COMPRESSION);
    if (code != Z_OK)
        return zlibFailure(code, stream);

    // The bound fits the whole stream in the common case, so deflate runs
    // once; the output only grows for inputs above what zlib takes in one call.
    std::size_t firstPiece = std::min(pixels.size(), std::size_t(kMaxZlibPiece) / 2);
    compressed.resize(std::max<std::size_t>(deflateBound(&stream, static_cast<uLong>(firstPiece)), 64));

    std::size_t consumed = 0;
    std::size_t produced = 0;
    for (;;) {
        if (stream.avail_in == 0 && consumed < pixels.size()) {
            std::size_t piece = std::min(pixels.size() - consumed, kMaxZlibPiece);
            stream.next_in = const_cast<Bytef*>(pixels.data() + consumed);
            stream.avail_in = static_cast<uInt>(piece);
            consumed += piece;
        }
        if (produced == compressed.size())
            compressed.resize(compressed.size() + compressed.size() / 2 + 64);
        std::size_t room = std::min(compressed.size() - produced, kMaxZlibPiece);
        stream.next_out = compressed.data() + produced;
        stream.avail_out = static_cast<uInt>(room);
        int flush = consumed == pixels.size() ? Z_FINISH : Z_NO_FLUSH;
        code = deflate(&stream, flush);
        produced += room - stream.avail_out;
        if (code == Z_STREAM_END)
            break;
        if (code != Z_OK && code != Z_BUF_ERROR) {
            Status failure = zlibFailure(code, stream);
            deflateEnd(&stream);
            compressed.clear();
            return failure;
        }
    }
    deflateEnd(&stream);
    compressed.resize(produced);
    return Status::success();
}

int compressBlob(std::uint8_t* destination, std::size_t& size, const std::uint8_t* source,
                 std::size_t sourceLength)
{
    if (sourceLength > kMaxZlibPiece || size > kMaxZlibPiece)
        return Z_STREAM_ERROR;
    z_stream stream{};
    int code = deflateInit(&stream, Z_DEFAULT_COMPRESSION);
    if (code != Z_OK)
        return code;
    stream.next_in = const_cast<Bytef*>(source);
    stream.avail_in = static_cast<uInt>(sourceLength);
    std::uint8_t noRoom = 0; // zlib wants an output pointer even for no room
    int passes = 0;
    for (;;) {
        stream.next_out = destination ? destination : &noRoom;
        stream.avail_out = destination ? static_cast<uInt>(size) : 0;
        code = deflate(&stream, Z_FINISH);
        if (code == Z_STREAM_END)
            break;
        if (code != Z_OK) {
            deflateEnd(&stream);
            return code;
        }
        ++passes;
        if (stream.avail_out != 0)
            break;
    }
    size = stream.total_out;
    code = deflateEnd(&stream);
    if (code != Z_OK)
        return code;
    return passes == 0 ? Z_OK : Z_BUF_ERROR;
}

} // namespace kes
