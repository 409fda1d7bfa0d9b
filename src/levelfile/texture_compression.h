// zlib compression of texture pixels for level files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/status.h"

namespace kes {

// Compresses `pixels` into one complete zlib stream (deflate at level 6, a
// 15-bit window, the default memory level, no preset dictionary), replacing
// the contents of `compressed`. Each texture is compressed once, in a single
// pass. Uses no shared state, so several threads may call it at once. Fails
// only when zlib does (such as when it runs out of memory).
Status compressTexture(std::span<const std::uint8_t> pixels, std::vector<std::uint8_t>& compressed);

// One-shot zlib compression (same settings as compressTexture) into a
// caller's buffer that always reports the full compressed size.
//
// On entry `size` is the capacity of `destination`. The stream is deflated
// into that buffer; when it does not fit, the output wraps around to the
// start of the buffer again and again until the stream ends. On return `size`
// is the length of the complete stream, and the result is Z_OK (0) when the
// whole stream is in the buffer, or Z_BUF_ERROR (-5) when it did not fit and
// the buffer holds only its last part. So a call with a 1-byte buffer tells
// the size that a second call needs (slowly: about one deflate call per
// output byte). A capacity of 0 gives Z_BUF_ERROR with `size` unchanged. Any
// other zlib error code is returned as it is, with `size` unchanged; so is
// Z_STREAM_ERROR for a source or capacity above 4 GiB - 1, which zlib cannot
// take in one call.
int compressBlob(std::uint8_t* destination, std::size_t& size, const std::uint8_t* source,
                 std::size_t sourceLength);

} // namespace kes
