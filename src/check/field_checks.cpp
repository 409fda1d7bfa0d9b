#include "check/field_checks.h"

#include <cstdio>
#include <filesystem>
#include <limits>
#include <vector>

#include "assets/bmp_reader.h"
#include "generate/layer_files.h"
#include "levelfile/layer_descriptor.h"
#include "model/file_io.h"
#include "model/input_file.h"
#include "model/level_model.h"
#include "model/number_text.h"

namespace kes {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
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
    InputFile in;
    if (Status opened = in.open(path); !opened) {
        // The cause alone: the field names the file already.
        const std::string& reason = opened.reason();
        const std::size_t cause = reason.find("': ");
        return cause == std::string::npos ? reason : reason.substr(cause + 3);
    }
    head.assign(4096, 0);
    head.resize(in.read(head.data(), head.size()));
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
    std::string reason = numberListProblem(text, count);
    return reason.empty() ? FieldCheck{} : FieldCheck::problem(std::move(reason));
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
    // The headers and the file's length tell all a texture can fail for;
    // its pixels are not read (a large one would cost the editor seconds).
    std::int32_t width = 0, height = 0;
    if (Status inspected = inspectBitmap(located.path, width, height); !inspected)
        return FieldCheck::problem(inspected.reason());
    if (located.relinked)
        return FieldCheck::note(quoteText(stored) + " doesn't exist; generation uses '" + located.path
                                + "' (the same name in the project's folder)");
    return {};
}

} // namespace kes
