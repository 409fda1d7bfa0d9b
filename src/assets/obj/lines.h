// The lines of OBJ text: what kind each is, how many of each kind there are,
// and the one walker that hands them over, whatever reads them (a file in
// file order, a chunk of it, or text held in memory). Private to the OBJ
// reader.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/status.h"

namespace kes::obj {

enum LineKind { ignoredLine, positionLine, texCoordLine, normalLine, faceLine, lineKindCount };

// The kind of a line, from its first one or two characters, without regard to
// case. A line that starts with a blank is ignored.
inline LineKind classifyLine(const char* begin, const char* end)
{
    if (begin == end)
        return ignoredLine;
    // | 0x20 turns exactly 'V' and 'v' into 'v', 'F' and 'f' into 'f', ...
    const char first = static_cast<char>(*begin | 0x20);
    if (first == 'f')
        return faceLine;
    if (first != 'v')
        return ignoredLine;
    if (end - begin < 2)
        return positionLine;
    const char second = static_cast<char>(begin[1] | 0x20);
    if (second == 't')
        return texCoordLine;
    if (second == 'n')
        return normalLine;
    return positionLine;
}

// How many entries of each list the file holds before some line, and how
// many face lines and lines in all.
struct LineCounts {
    std::size_t positions = 0;
    std::size_t texCoords = 0;
    std::size_t normals = 0;
    std::size_t faces = 0;
    std::int64_t lines = 0;

    void count(LineKind kind)
    {
        positions += kind == positionLine;
        texCoords += kind == texCoordLine;
        normals += kind == normalLine;
        faces += kind == faceLine;
    }
    LineCounts& operator+=(const LineCounts& other)
    {
        positions += other.positions;
        texCoords += other.texCoords;
        normals += other.normals;
        faces += other.faces;
        lines += other.lines;
        return *this;
    }
    bool operator==(const LineCounts&) const = default;
};

// How much of a file is read at a time; a longer line makes the buffer grow.
inline constexpr std::size_t kFilePiece = std::size_t(1) << 19;

// What the line walker reads bytes from: an AssetFileReader, or TextReader
// for text held in memory.
template <typename Source>
concept ByteSource = requires(Source& source, char* buffer, std::size_t size, std::uint64_t offset) {
    // Up to `size` bytes; fewer only at the end or after a failure.
    { source.read(buffer, size) } -> std::same_as<std::size_t>;
    source.rewind();
    source.seek(offset);
    { source.status() } -> std::convertible_to<const Status&>;
};

// Text held in memory, read as a file is read.
class TextReader {
public:
    explicit TextReader(std::string_view text) : text_(text) {}

    std::size_t read(char* buffer, std::size_t size)
    {
        const std::size_t got = std::min(size, text_.size() - at_);
        if (got > 0)
            std::memcpy(buffer, text_.data() + at_, got);
        at_ += got;
        return got;
    }
    void rewind() { at_ = 0; }
    void seek(std::uint64_t offset) { at_ = offset < text_.size() ? static_cast<std::size_t>(offset) : text_.size(); }
    const Status& status() const { return status_; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    Status status_ = Status::success();
};

// A range that ends wherever the source ends: the whole of a file read in
// file order is the range from 0 to this.
inline constexpr std::uint64_t kToTheEnd = ~std::uint64_t(0);

// Calls visit(begin, end, lineNumber) for every line of [p, linesEnd), which
// ends with LF. A CR right before the LF is not part of the line.
template <typename Visit>
inline void forEachLineEndingInLf(const char* p, const char* linesEnd, std::int64_t& lineNumber, Visit&& visit)
{
    while (p != linesEnd) {
        ++lineNumber;
        const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(linesEnd - p)));
        const char* lineEnd = newline;
        if (lineEnd != p && lineEnd[-1] == '\r')
            --lineEnd;
        visit(p, lineEnd, lineNumber);
        p = newline + 1;
    }
}

// The line walker: every reading of OBJ text goes through it, and every rule
// about where lines are lives here.
//
// Calls visit(begin, end, lineNumber) for the lines of `source` that start at
// a byte in [from, to), numbered from 1. The source's lines:
// - A line starts at byte 0 and after every LF, and ends at the next LF.
// - A CR right before the LF is not part of the line.
// - A last line without LF is a line as well.
// - A UTF-8 byte order mark at byte 0 is skipped (editors on some systems
//   start UTF-8 text with one); the line after it is the first line, and
//   belongs to the range that starts at 0, however short that range is.
// For the number readers in obj_numbers.h, the byte at `end` is always
// readable and the line's CR or LF: a last line without LF is given one in
// the buffer.
//
// The source is read piece by piece into `buffer` (which grows for a longer
// line), from one byte before `from` (to tell whether a line starts there)
// as far as the last of these lines reaches.
template <ByteSource Source, typename Visit>
Status forEachLineInRange(Source& source, std::uint64_t from, std::uint64_t to, std::vector<char>& buffer,
                          Visit&& visit)
{
    if (from >= to)
        return Status::success();
    std::uint64_t bufferOffset = from == 0 ? 0 : from - 1; // where in the source buffer[0] is
    if (from == 0)
        source.rewind();
    else
        source.seek(bufferOffset);
    bool seekingStart = from != 0; // until the first line start at or after `from`
    bool atStart = from == 0;      // a byte order mark may still come
    bool firstLine = from == 0;    // the line at byte 0 is this range's, byte order mark or not
    std::int64_t lineNumber = 0;
    std::size_t kept = 0; // the start of an unfinished line, at the buffer's start
    auto startsBeforeTo = [&](const char* data, const char* lineStart) {
        return bufferOffset + static_cast<std::uint64_t>(lineStart - data) < to;
    };
    auto ours = [&](const char* data, const char* lineStart) { return firstLine || startsBeforeTo(data, lineStart); };
    for (;;) {
        // One byte stays free for the LF that a last line without one gets.
        if (kept + 1 >= buffer.size())
            buffer.resize(buffer.size() * 2);
        const std::size_t got = source.read(buffer.data() + kept, buffer.size() - 1 - kept);
        if (!source.status())
            return source.status();
        char* const data = buffer.data();
        char* p = data;
        char* end = data + kept + got;
        if (seekingStart) {
            char* newline = static_cast<char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!newline) {
                if (got == 0)
                    return Status::success();
                bufferOffset += static_cast<std::uint64_t>(end - data);
                kept = 0;
                continue;
            }
            p = newline + 1;
            seekingStart = false;
        }
        // A byte order mark counts only at the very start of the text, once
        // its first three bytes are in.
        if (atStart && (end - p >= 3 || got == 0)) {
            if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
                p += 3;
            atStart = false;
        }
        if (got == 0) {
            if (p != end && ours(data, p)) {
                *end++ = '\n';
                forEachLineEndingInLf(p, end, lineNumber, visit);
            }
            return Status::success();
        }
        char* linesEnd = end;
        while (linesEnd != p && linesEnd[-1] != '\n')
            --linesEnd;
        if (linesEnd != p) {
            atStart = false; // the text starts with a line of fewer than three bytes
            if (startsBeforeTo(data, linesEnd - 1)) {
                // Every line of the piece starts before `to`.
                firstLine = false;
                forEachLineEndingInLf(p, linesEnd, lineNumber, visit);
                p = linesEnd;
            } else {
                while (p != linesEnd) {
                    if (!ours(data, p))
                        return Status::success();
                    firstLine = false;
                    char* newline = static_cast<char*>(std::memchr(p, '\n', static_cast<std::size_t>(linesEnd - p)));
                    forEachLineEndingInLf(p, newline + 1, lineNumber, visit);
                    p = newline + 1;
                }
            }
        }
        if (!atStart && !ours(data, p))
            return Status::success();
        kept = static_cast<std::size_t>(end - p);
        std::memmove(data, p, kept);
        bufferOffset += static_cast<std::uint64_t>(p - data);
    }
}

} // namespace kes::obj
