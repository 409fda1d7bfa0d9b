#include "app/field_checks.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "assets/bmp_reader.h"
#include "generate/layer_files.h"
#include "levelfile/layer_descriptor.h"
#include "model/file_io.h"
#include "model/level_model.h"
#include "model/number_text.h"

namespace kes::editor {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// True when `text` is one decimal number as typed ("-1.5", ".5", "2e-3"),
// with nothing before or after it.
bool isPlainNumber(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponent = 0;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == text.size();
}

std::string quoteText(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted += text;
    quoted += '\'';
    return quoted;
}

std::string ordinal(int n)
{
    return "number " + std::to_string(n);
}

// " doesn't exist", or " is not a regular file" for a folder, a pipe or a
// device, which is never opened here (reading a pipe would wait for data).
std::string missingText(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(pathFromUtf8(path), error) ? " is not a regular file" : " doesn't exist";
}

std::string describe(const std::string& stored, const std::string& path)
{
    return stored == path ? quoteText(stored) : quoteText(stored) + " ('" + path + "')";
}

// Why the file at `path` can't be opened for reading; empty when it can.
std::string unreadableReason(const std::string& path, std::vector<char>& head)
{
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    if (!in)
        return lastErrorText();
    head.assign(4096, 0);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return {};
}

// True when the start of a file reads as OBJ text: no NUL bytes, and its first
// statement is one an OBJ file has.
bool looksLikeObj(const std::vector<char>& head)
{
    for (char c : head)
        if (c == '\0')
            return false;
    std::size_t i = 0;
    if (head.size() >= 3 && static_cast<unsigned char>(head[0]) == 0xEF)
        i = 3; // byte order mark
    while (i < head.size()) {
        while (i < head.size() && isBlank(head[i]))
            ++i;
        if (i >= head.size())
            return true; // empty: the reader says what it makes of it
        if (head[i] == '#') {
            while (i < head.size() && head[i] != '\n')
                ++i;
            continue;
        }
        std::size_t end = i;
        while (end < head.size() && !isBlank(head[end]))
            ++end;
        const std::string_view word(head.data() + i, end - i);
        for (std::string_view known : {"v", "vt", "vn", "vp", "f", "o", "g", "s", "l", "p", "mtllib", "usemtl"})
            if (word == known)
                return true;
        return false;
    }
    return true;
}

FieldCheck checkOneMesh(const std::string& stored, const std::string& path, bool relinked)
{
    std::vector<char> head;
    if (!fileExists(path))
        return FieldCheck::problem(describe(stored, path) + missingText(path));
    if (std::string reason = unreadableReason(path, head); !reason.empty())
        return FieldCheck::problem("cannot read " + describe(stored, path) + ": " + reason);
    if (!looksLikeObj(head))
        return FieldCheck::problem(describe(stored, path) + " is not an OBJ text file");
    if (relinked)
        return FieldCheck::note(quoteText(stored) + " doesn't exist; generation uses '" + path
                                + "' (the same name in the project's folder)");
    return {};
}

} // namespace

FieldCheck checkNumberList(std::string_view text, int count)
{
    if (text.empty())
        return {};
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        pieces.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    const int wanted = count;
    for (int i = 0; i < static_cast<int>(pieces.size()) && i < wanted; ++i) {
        std::string_view piece = pieces[static_cast<std::size_t>(i)];
        while (!piece.empty() && isBlank(piece.front()))
            piece.remove_prefix(1);
        const bool last = i + 1 == static_cast<int>(pieces.size());
        std::string_view number = piece;
        while (last && !number.empty() && isBlank(number.back()))
            number.remove_suffix(1);
        if (number.empty())
            return FieldCheck::problem(ordinal(i + 1) + " is missing");
        if (!isPlainNumber(number)) {
            std::string_view trimmed = number;
            while (!trimmed.empty() && isBlank(trimmed.back()))
                trimmed.remove_suffix(1);
            if (trimmed.size() != number.size() && isPlainNumber(trimmed))
                return FieldCheck::problem("a blank before a comma ends the numbers after " + ordinal(i + 1));
            float value = 0;
            if (scanNumbers(number, &value, 1) == 1 && !std::isfinite(value))
                return FieldCheck::problem(ordinal(i + 1) + " (" + quoteText(number) + ") is not a finite number");
            return FieldCheck::problem(ordinal(i + 1) + " (" + quoteText(number) + ") is not a number");
        }
        float value = 0;
        scanNumbers(number, &value, 1);
        if (!std::isfinite(value))
            return FieldCheck::problem(ordinal(i + 1) + " (" + std::string(number)
                                       + ") is too large for the file's 32-bit numbers");
    }
    if (static_cast<int>(pieces.size()) < wanted)
        return FieldCheck::problem("needs " + std::to_string(wanted) + " numbers separated by commas, but holds "
                                   + std::to_string(pieces.size()));
    if (static_cast<int>(pieces.size()) > wanted)
        return FieldCheck::problem("holds " + std::to_string(pieces.size()) + " numbers; only the first "
                                   + std::to_string(wanted) + " are used");
    return {};
}

FieldCheck checkVersion(std::string_view text)
{
    const std::int32_t value = leadingInteger(text);
    if (value <= 65535)
        return {};
    return FieldCheck::problem("the level file keeps versions up to 65535; " + std::string(text)
                               + " would be written as " + std::to_string(static_cast<std::uint32_t>(value) & 0xFFFF));
}

FieldCheck checkTextLength(std::string_view text)
{
    if (text.size() <= kTextCapacity)
        return {};
    return FieldCheck::problem("holds " + std::to_string(text.size()) + " bytes; the project keeps only the first "
                               + std::to_string(kTextCapacity));
}

FieldCheck checkFrameCount(std::string_view text, bool animated)
{
    const std::int32_t value = leadingInteger(text);
    if (animated && value > 65535)
        return FieldCheck::problem("an animation has at most 65535 frames");
    if (value == std::numeric_limits<std::int32_t>::max() && text.size() >= 10 && text != "2147483647")
        return FieldCheck::problem("too large: it would be stored as 2147483647");
    return {};
}

FieldCheck checkMeshFile(const std::string& stored, const std::string& projectFolder, int kind, int frames)
{
    if (stored.empty())
        return {};
    LayerEntry entry;
    entry.objPath = stored;
    entry.kind = kind;
    entry.frames = frames;
    const std::uint16_t frameCount = meshFrameCount(entry);
    const LocatedFile located = locateLayerMesh(entry, projectFolder);
    if (frameCount == 1)
        return checkOneMesh(stored, located.path, located.relinked);
    for (int frame = 1; frame <= frameCount; ++frame) {
        const std::string path = frameMeshPath(located.path, frameCount, frame);
        if (!fileExists(path))
            return FieldCheck::problem("frame file '" + path + "'" + missingText(path) + " ("
                                       + std::to_string(frameCount) + " frames needed)");
    }
    FieldCheck first = checkOneMesh(frameMeshPath(stored, frameCount, 1), frameMeshPath(located.path, frameCount, 1),
                                    false);
    if (first.mark != FieldCheck::Mark::None)
        return first;
    if (located.relinked)
        return FieldCheck::note(quoteText(stored) + " has no frame files; generation uses those of '" + located.path
                                + "' (the same name in the project's folder)");
    return {};
}

FieldCheck checkTextureFile(const std::string& stored, const std::string& projectFolder)
{
    if (stored.empty())
        return {};
    const LocatedFile located = locateStoredFile(stored, projectFolder);
    if (!fileExists(located.path))
        return FieldCheck::problem(describe(stored, located.path) + missingText(located.path));
    BitmapImage image;
    if (Status loaded = loadBitmap(located.path, image); !loaded)
        return FieldCheck::problem(loaded.reason());
    if (located.relinked)
        return FieldCheck::note(quoteText(stored) + " doesn't exist; generation uses '" + located.path
                                + "' (the same name in the project's folder)");
    return {};
}

} // namespace kes::editor
