#include "assets/bmp_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/input_file.h"
#include "assets/large_buffer.h"
#include "model/byte_order.h"
#include "model/counted_text.h"

namespace kes {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::int64_t kMaxSide = 65535; // the level file stores 16 bits
constexpr std::uint32_t kUncompressed = 0; // BI_RGB
constexpr std::uint32_t kJpegInside = 4;   // BI_JPEG: the pixels are a JPEG file
constexpr std::uint32_t kPngInside = 5;    // BI_PNG: the pixels are a PNG file

bool isKnownInfoHeader(std::uint32_t size)
{
    // BITMAPINFOHEADER, the two Adobe extensions of it, V4 and V5: all begin
    // with the fields of the 40-byte header.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

std::string text(std::int64_t value)
{
    return std::to_string(value);
}

// The largest file header and bitmap header there are.
constexpr std::size_t kLargestHeaders = kFileHeaderSize + 124;

// How many bytes from its start a bitmap whose headers begin `head` (at
// least its first kLargestHeaders bytes, or the whole file) needs: its pixel
// data offset and its pixel rows. Headers that decodeBitmap refuses need no
// more than `head`.
std::uint64_t bytesTheHeadersNeed(std::span<const std::uint8_t> head)
{
    const std::uint8_t* const b = head.data();
    if (head.size() < kFileHeaderSize + 12)
        return head.size();
    const std::uint32_t headerSize = getU32(b + 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (headerSize == 12) {
        width = getI16(b + 18);
        height = getI16(b + 20);
    } else if (isKnownInfoHeader(headerSize)) {
        width = getI32(b + 18);
        height = getI32(b + 22);
    } else {
        return head.size();
    }
    const std::int64_t rows = height < 0 ? -height : height;
    if (width < 0 || width > kMaxSide || rows > kMaxSide)
        return head.size();
    const std::uint64_t stride = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    return std::max<std::uint64_t>(head.size(), std::uint64_t(getU32(b + 10)) + stride * std::uint64_t(rows));
}

} // namespace

Status decodeBitmap(std::span<const std::uint8_t> bytes, const std::string& fileName, BitmapImage& image)
{
    image = BitmapImage{};
    auto fail = [&](const std::string& why) {
        return Status::failure("cannot read texture file '" + fileName + "': " + why);
    };
    const std::uint64_t size = bytes.size();
    const std::uint8_t* const b = bytes.data();
    if (size < kFileHeaderSize + 4)
        return fail("the file is too short for a bitmap (" + text(static_cast<std::int64_t>(size)) + " bytes)");

    const std::uint32_t pixelOffset = getU32(b + 10);
    const std::uint32_t headerSize = getU32(b + 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = kUncompressed;
    if (headerSize == 12) {
        if (size < kFileHeaderSize + 12)
            return fail("the file ends inside its bitmap header");
        width = getI16(b + 18);
        height = getI16(b + 20);
        bitCount = getU16(b + 24);
        if (height < 0)
            return fail("its height " + text(height) + " is negative (a 12-byte header holds at most 32767)");
    } else if (isKnownInfoHeader(headerSize)) {
        if (size < std::uint64_t(kFileHeaderSize) + headerSize)
            return fail("the file ends inside its bitmap header");
        width = getI32(b + 18);
        height = getI32(b + 22);
        bitCount = getU16(b + 28);
        compression = getU32(b + 30);
    } else {
        return fail("its bitmap header of " + text(headerSize) + " bytes is of no known kind");
    }

    // Such files say 0 bits per pixel; what they hold is another format.
    if (compression == kJpegInside || compression == kPngInside)
        return fail(std::string("it holds a ") + (compression == kJpegInside ? "JPEG" : "PNG")
                    + " image (compression " + text(compression)
                    + "); save it as an uncompressed 24-bit bitmap");
    if (bitCount != 24)
        return fail("it has " + countedText(bitCount, "bit") + " per pixel; save it as a 24-bit bitmap");
    if (compression != kUncompressed)
        return fail("it is compressed (method " + text(compression) + "); save it as an uncompressed 24-bit bitmap");
    if (width < 0)
        return fail("its width " + text(width) + " is negative");
    // A negative height marks rows stored top row first.
    const bool topDown = height < 0;
    const std::int64_t rows = topDown ? -height : height;
    if (width > kMaxSide)
        return fail("its width " + text(width) + " is above " + text(kMaxSide));
    if (rows > kMaxSide)
        return fail("its height " + text(rows) + " is above " + text(kMaxSide));
    if (pixelOffset < kFileHeaderSize + headerSize)
        return fail("its pixel data offset " + text(pixelOffset) + " points into its headers");

    // Rows are padded to a multiple of 4 bytes. At most 65535 x 65535 pixels:
    // 64 bits hold every product here.
    const std::uint64_t stride = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    const std::uint64_t pixelBytes = stride * std::uint64_t(rows);
    if (pixelOffset > size || pixelBytes > size - pixelOffset)
        return fail("the file ends inside its pixel data: " + text(width) + " x " + text(rows) + " pixels need "
                    + text(static_cast<std::int64_t>(pixelBytes)) + " bytes from offset " + text(pixelOffset)
                    + ", the file has " + text(static_cast<std::int64_t>(size)) + " bytes");

    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    reserveLarge(image.pixels, rowBytes * static_cast<std::size_t>(rows));
    image.pixels.resize(rowBytes * static_cast<std::size_t>(rows));
    image.width = static_cast<std::int32_t>(width);
    image.height = static_cast<std::int32_t>(rows);
    const std::uint8_t* const first = b + pixelOffset;
    for (std::int64_t r = 0; r < rows; ++r) {
        // Bottom row first, whichever way the file stores them.
        const std::int64_t fileRow = topDown ? rows - 1 - r : r;
        const std::uint8_t* in = first + static_cast<std::size_t>(fileRow) * stride;
        std::uint8_t* out = image.pixels.data() + static_cast<std::size_t>(r) * rowBytes;
        std::uint8_t* const outEnd = out + rowBytes;
        for (; out != outEnd; out += 3, in += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return Status::success();
}

Status loadBitmap(const std::string& path, BitmapImage& image)
{
    image = BitmapImage{};
    // The headers first, then no more than they say the file holds: a file
    // that goes on past its pixels is not read to its end.
    InputFile file;
    if (Status opened = file.open(path, "texture file"); !opened)
        return opened;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kLargestHeaders)));
    bytes.resize(file.read(bytes.data(), bytes.size()));
    const std::uint64_t needed = std::min(bytesTheHeadersNeed(bytes), file.size());
    if (file.status() && needed > bytes.size() && needed <= SIZE_MAX) {
        const std::size_t head = bytes.size();
        bytes.resize(static_cast<std::size_t>(needed));
        bytes.resize(head + file.read(bytes.data() + head, bytes.size() - head));
    }
    if (!file.status())
        return file.status();
    return decodeBitmap(bytes, path, image);
}

} // namespace kes
