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
// About how many bytes of pixel rows streamBitmap reads at a time.
constexpr std::uint64_t kRowBytesReadAtOnce = std::uint64_t(1) << 20;

// Where a bitmap's pixels lie in its file, and their layout.
struct PixelLayout {
    std::int64_t width = 0;
    std::int64_t rows = 0;
    bool topDown = false; // rows stored top row first
    std::uint32_t offset = 0;
    std::uint64_t stride = 0; // a stored row, padded to a multiple of 4 bytes
    std::uint64_t bytes() const { return stride * std::uint64_t(rows); }
};

Status failure(const std::string& fileName, const std::string& why)
{
    return Status::failure("cannot read texture file '" + fileName + "': " + why);
}

std::string pixelsCutShort(const PixelLayout& layout, std::uint64_t fileSize)
{
    return "the file ends inside its pixel data: " + text(layout.width) + " x " + text(layout.rows)
        + " pixels need " + text(static_cast<std::int64_t>(layout.bytes())) + " bytes from offset "
        + text(layout.offset) + ", the file has " + text(static_cast<std::int64_t>(fileSize)) + " bytes";
}

// Reads the headers at the start of `head` (the whole file, or at least its
// first kLargestHeaders bytes) of a file of `fileSize` bytes, and checks that
// the file holds the pixels they announce.
Status readLayout(std::span<const std::uint8_t> head, std::uint64_t fileSize, const std::string& fileName,
                  PixelLayout& layout)
{
    auto fail = [&](const std::string& why) { return failure(fileName, why); };
    const std::uint64_t size = head.size();
    const std::uint8_t* const b = head.data();
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
    layout.topDown = height < 0;
    layout.rows = layout.topDown ? -height : height;
    if (width > kMaxSide)
        return fail("its width " + text(width) + " is above " + text(kMaxSide));
    if (layout.rows > kMaxSide)
        return fail("its height " + text(layout.rows) + " is above " + text(kMaxSide));
    if (pixelOffset < kFileHeaderSize + headerSize)
        return fail("its pixel data offset " + text(pixelOffset) + " points into its headers");

    // At most 65535 x 65535 pixels: 64 bits hold every product here.
    layout.width = width;
    layout.offset = pixelOffset;
    layout.stride = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    if (pixelOffset > fileSize || layout.bytes() > fileSize - pixelOffset)
        return fail(pixelsCutShort(layout, fileSize));
    return Status::success();
}

// One stored row (blue, green, red) as red, green, blue.
void convertRow(const std::uint8_t* in, std::uint8_t* out, std::size_t width)
{
    std::uint8_t* const outEnd = out + width * 3;
    for (; out != outEnd; out += 3, in += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

// Fills a BitmapImage row by row.
class WholeImage : public BitmapRowReceiver {
public:
    explicit WholeImage(BitmapImage& image) : image_(image) {}

    void begin(std::int32_t width, std::int32_t height) override
    {
        const std::size_t bytes = static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height);
        reserveLarge(image_.pixels, bytes);
        image_.pixels.resize(bytes);
        image_.width = width;
        image_.height = height;
    }

    void row(const std::uint8_t* pixels) override
    {
        const std::size_t rowBytes = static_cast<std::size_t>(image_.width) * 3;
        std::copy(pixels, pixels + rowBytes, image_.pixels.data() + at_);
        at_ += rowBytes;
    }

private:
    BitmapImage& image_;
    std::size_t at_ = 0;
};

} // namespace

Status decodeBitmap(std::span<const std::uint8_t> bytes, const std::string& fileName, BitmapImage& image)
{
    image = BitmapImage{};
    PixelLayout layout;
    if (Status good = readLayout(bytes, bytes.size(), fileName, layout); !good)
        return good;
    // Nothing is allocated before the file is known to hold the pixels.
    const auto width = static_cast<std::size_t>(layout.width);
    const auto rows = static_cast<std::size_t>(layout.rows);
    WholeImage whole(image);
    whole.begin(static_cast<std::int32_t>(width), static_cast<std::int32_t>(rows));
    const std::uint8_t* const first = bytes.data() + layout.offset;
    for (std::size_t r = 0; r < rows; ++r) {
        // Bottom row first, whichever way the file stores them.
        const std::size_t fileRow = layout.topDown ? rows - 1 - r : r;
        convertRow(first + fileRow * layout.stride, image.pixels.data() + r * width * 3, width);
    }
    return Status::success();
}

namespace {

// Opens the file and reads its headers: where its rows are, and that the
// file holds them all.
Status openBitmap(const std::string& path, InputFile& file, PixelLayout& layout)
{
    if (Status opened = file.open(path, "texture file"); !opened)
        return opened;
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kLargestHeaders)));
    head.resize(file.read(head.data(), head.size()));
    if (!file.status())
        return file.status();
    return readLayout(head, file.size(), path, layout);
}

} // namespace

Status inspectBitmap(const std::string& path, std::int32_t& width, std::int32_t& height)
{
    width = height = 0;
    InputFile file;
    PixelLayout layout;
    if (Status good = openBitmap(path, file, layout); !good)
        return good;
    width = static_cast<std::int32_t>(layout.width);
    height = static_cast<std::int32_t>(layout.rows);
    return Status::success();
}

Status streamBitmap(const std::string& path, BitmapRowReceiver& receiver)
{
    // The headers first, then no more than they say the file holds: a file
    // that goes on past its pixels is not read to its end.
    InputFile file;
    PixelLayout layout;
    if (Status good = openBitmap(path, file, layout); !good)
        return good;

    const auto width = static_cast<std::size_t>(layout.width);
    const std::int64_t rows = layout.rows;
    receiver.begin(static_cast<std::int32_t>(width), static_cast<std::int32_t>(rows));
    // Whole stored rows, about a megabyte at a time (at least one row).
    const std::int64_t rowsPerRead = layout.stride == 0
        ? std::max<std::int64_t>(rows, 1)
        : std::clamp<std::int64_t>(static_cast<std::int64_t>(kRowBytesReadAtOnce / layout.stride), 1,
                                   std::max<std::int64_t>(rows, 1));
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(layout.stride) * static_cast<std::size_t>(rowsPerRead));
    std::vector<std::uint8_t> converted(width * 3);
    for (std::int64_t done = 0; done < rows;) {
        const std::int64_t count = std::min(rowsPerRead, rows - done);
        // Bottom row first: a top-down file is read from its end.
        const std::int64_t firstStored = layout.topDown ? rows - done - count : done;
        file.seek(layout.offset + static_cast<std::uint64_t>(firstStored) * layout.stride);
        const auto wanted = static_cast<std::size_t>(static_cast<std::uint64_t>(count) * layout.stride);
        if (file.read(stored.data(), wanted) < wanted) {
            if (!file.status())
                return file.status();
            return failure(path, pixelsCutShort(layout, file.position()));
        }
        for (std::int64_t k = 0; k < count; ++k) {
            const std::int64_t at = layout.topDown ? count - 1 - k : k;
            convertRow(stored.data() + static_cast<std::size_t>(at) * layout.stride, converted.data(), width);
            receiver.row(converted.data());
        }
        done += count;
    }
    return Status::success();
}

Status loadBitmap(const std::string& path, BitmapImage& image)
{
    image = BitmapImage{};
    WholeImage whole(image);
    Status status = streamBitmap(path, whole);
    if (!status)
        image = BitmapImage{};
    return status;
}

} // namespace kes
