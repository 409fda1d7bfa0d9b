#include "assets/obj_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "assets/asset_file.h"
#include "assets/obj_numbers.h"

// Marks the paths that only problems in a file take, to keep them out of the
// reading loops.
#if defined(__GNUC__)
#define KES_OBJ_COLD [[gnu::cold, gnu::noinline]]
#else
#define KES_OBJ_COLD
#endif

namespace kes {
namespace {

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

// Calls visit(begin, end, lineNumber) for every line of `text`. A line ends at
// LF; a CR right before the LF is not part of it; a last line without LF is a
// line as well. For the readers in obj_numbers.h, the byte at `end` is always
// readable and the line's CR or LF: a last line without LF is handed over
// from a copy that has one.
template <typename Visit>
inline void forEachLine(std::string_view text, Visit&& visit)
{
    const std::size_t lastNewline = text.rfind('\n');
    const char* const linesEnd = lastNewline == std::string_view::npos ? text.data() : text.data() + lastNewline + 1;
    std::int64_t lineNumber = 0;
    forEachLineEndingInLf(text.data(), linesEnd, lineNumber, visit);
    if (linesEnd != text.data() + text.size()) {
        std::string lastLine(linesEnd, text.data() + text.size());
        lastLine += '\n';
        forEachLineEndingInLf(lastLine.data(), lastLine.data() + lastLine.size(), lineNumber, visit);
    }
}

// How much of a file loadObjMesh reads at a time; a longer line makes the
// buffer grow.
constexpr std::size_t kFilePiece = std::size_t(1) << 19;

// Calls visit(begin, end, lineNumber) for every line of the file, with the
// same lines, line numbers and guarantees as forEachLine gives for the same
// text held in memory, reading the file piece by piece into `buffer`.
template <typename Visit>
Status forEachLineOfFile(AssetFileReader& file, std::vector<char>& buffer, Visit&& visit)
{
    std::int64_t lineNumber = 0;
    std::size_t kept = 0; // the start of an unfinished line, at the buffer's start
    bool atStart = true;
    for (;;) {
        // One byte stays free for the LF that a last line without one gets.
        if (kept + 1 >= buffer.size())
            buffer.resize(buffer.size() * 2);
        const std::size_t got = file.read(buffer.data() + kept, buffer.size() - 1 - kept);
        if (!file.status())
            return file.status();
        char* begin = buffer.data();
        char* end = begin + kept + got;
        // A byte order mark counts only at the very start of the text, once
        // its first three bytes are in.
        if (atStart && (end - begin >= 3 || got == 0)) {
            if (end - begin >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0)
                begin += 3;
            atStart = false;
        }
        if (got == 0) {
            if (begin != end) {
                *end++ = '\n';
                forEachLineEndingInLf(begin, end, lineNumber, visit);
            }
            return Status::success();
        }
        char* linesEnd = end;
        while (linesEnd != begin && linesEnd[-1] != '\n')
            --linesEnd;
        if (linesEnd != begin)
            atStart = false; // the text starts with a line of fewer than three bytes
        forEachLineEndingInLf(begin, linesEnd, lineNumber, visit);
        kept = static_cast<std::size_t>(end - linesEnd);
        std::memmove(buffer.data(), linesEnd, kept);
    }
}

// The byte at `end` is never a space (see forEachLine).
inline const char* skipSpaces(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

inline const char* skipToSpace(const char* p, const char* end)
{
    while (p != end && *p != ' ')
        ++p;
    return p;
}

std::string quoted(const char* begin, const char* end)
{
    constexpr std::ptrdiff_t shown = 40;
    const bool cut = end - begin > shown;
    std::string text(1, '\'');
    text.append(begin, cut ? begin + shown : end);
    text.append(cut ? "...'" : "'");
    return text;
}

std::string floatText(float value)
{
    char buffer[32];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Collects the warnings of one file, at most kMaxObjWarnings of them, and then
// one line that says how many more there were.
class WarningList {
public:
    WarningList(std::vector<ReaderWarning>* out, const std::string& file) : out_(out), file_(file) {}

    // Adds the warning that makeText() words, unless the limit is reached.
    template <typename MakeText>
    void add(std::int64_t line, MakeText&& makeText)
    {
        if (!out_)
            return;
        if (kept_ == kMaxObjWarnings) {
            ++dropped_;
            return;
        }
        ++kept_;
        const int lineNumber = line > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                      : static_cast<int>(line);
        out_->push_back(ReaderWarning{file_, lineNumber, makeText()});
    }

    void finish()
    {
        if (out_ && dropped_ > 0)
            out_->push_back(ReaderWarning{file_, 0, "and " + std::to_string(dropped_) + " more warnings"});
    }

private:
    std::vector<ReaderWarning>* out_;
    const std::string& file_;
    int kept_ = 0;
    std::int64_t dropped_ = 0;
};

struct VertexKind {
    const char* one;
    const char* many;
};
constexpr VertexKind kPosition{"position", "positions"};
constexpr VertexKind kTexCoord{"texture coordinate", "texture coordinates"};
constexpr VertexKind kNormal{"normal", "normals"};

// One "/"-separated field of a face corner.
struct IndexField {
    const char* begin = nullptr;
    const char* end = nullptr; // begin == end: the field is empty
    std::int64_t value = 0;
    bool hasDigits = false;
};

// Asks for the cache line at `address` ahead of its use.
inline void prefetch(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// What a corner receives for a field that names no entry.
constexpr Vec3 kZeroVec3{};
constexpr Vec2 kZeroVec2{};

// The entries that one face line names. They are copied into the face one
// face line later, so that fetching them from memory overlaps with reading
// the next line; entries of the vertex lists never change once written, so
// the face gets what its line named when it was read.
struct NamedEntries {
    const Vec3* position[3] = {&kZeroVec3, &kZeroVec3, &kZeroVec3};
    const Vec2* uv[3] = {&kZeroVec2, &kZeroVec2, &kZeroVec2};
    const Vec3* normal[3] = {&kZeroVec3, &kZeroVec3, &kZeroVec3};
};

// How many entries each vertex list holds.
struct ListSizes {
    std::size_t positions;
    std::size_t texCoords;
    std::size_t normals;
};

// Fills the vertex lists and the faces, line by line, in file order; finish()
// completes the last face.
class MeshBuilder {
public:
    MeshBuilder(const std::size_t (&counts)[lineKindCount], MeshTriangles& mesh, WarningList& warnings)
        : mesh_(mesh), warnings_(warnings)
    {
        positions_.reserve(counts[positionLine]);
        texCoords_.reserve(counts[texCoordLine]);
        normals_.reserve(counts[normalLine]);
        mesh_.faces.reserve(counts[faceLine]);
        mesh_.faceNormals.reserve(counts[faceLine]);
    }

    void readLine(const char* begin, const char* end, std::int64_t line)
    {
        line_ = line;
        switch (classifyLine(begin, end)) {
        case positionLine: {
            float v[3];
            readValues(afterKeyword(begin, end), end, v, 3, 3, kPosition);
            append(positions_, Vec3{v[0], v[1], v[2]});
            break;
        }
        case texCoordLine: {
            // "vt u" is complete: v defaults to 0.
            float v[2];
            readValues(afterKeyword(begin, end), end, v, 2, 1, kTexCoord);
            append(texCoords_, Vec2{v[0], v[1]});
            break;
        }
        case normalLine: {
            float v[3];
            readValues(afterKeyword(begin, end), end, v, 3, 3, kNormal);
            append(normals_, Vec3{v[0], v[1], v[2]});
            break;
        }
        case faceLine:
            readFace(afterKeyword(begin, end), end);
            break;
        default:
            break;
        }
    }

    void finish() { copyPendingFace(); }

private:
    static const char* afterKeyword(const char* begin, const char* end) { return skipToSpace(begin, end); }

    // Adds an entry to a vertex list. The lists are reserved at the sizes the
    // first pass counted; should the file hold more lines now, the face still
    // pending is completed before a list moves in memory.
    template <typename T>
    void append(std::vector<T>& list, const T& entry)
    {
        if (list.size() == list.capacity()) [[unlikely]]
            copyPendingFace();
        list.push_back(entry);
    }

    // Reads `count` numbers, each from the start of one space-separated token.
    // Missing ones are 0; fewer than `required` gives a warning.
    void readValues(const char* p, const char* end, float* values, int count, int required, const VertexKind& kind)
    {
        int got = 0;
        for (; got < count; ++got) {
            p = skipSpaces(p);
            if (p == end)
                break;
            const char* token = p;
            const char* stop = obj::readFloat(p, end, values[got]);
            p = skipToSpace(stop, end);
            if (stop != p) [[unlikely]]
                checkNumberRest(token, stop, p, values[got], kind);
        }
        for (int i = got; i < count; ++i)
            values[i] = 0;
        if (got < required) [[unlikely]]
            warnAboutMissingNumbers(got, required, kind);
    }

    KES_OBJ_COLD void warnAboutMissingNumbers(int got, int required, const VertexKind& kind)
    {
        warnings_.add(line_, [&] {
            return std::string(kind.one) + " line has " + std::to_string(got) + " of its " + std::to_string(required)
                + " numbers; the missing ones are 0";
        });
    }

    // A token that is not a number, or has more after its number.
    KES_OBJ_COLD void checkNumberRest(const char* token, const char* stop, const char* tokenEnd, float value,
                         const VertexKind& kind)
    {
        if (stop == token) {
            warnings_.add(line_, [&] {
                return std::string(kind.one) + " line has " + quoted(token, tokenEnd)
                    + " where a number belongs; it reads as 0";
            });
            return;
        }
        for (const char* q = stop; q != tokenEnd; ++q) {
            if (!obj::isInnerBlank(*q)) {
                warnings_.add(line_, [&] {
                    return std::string(kind.one) + " line has " + quoted(token, tokenEnd) + ", which reads as "
                        + floatText(value) + " (the decimal point is \".\")";
                });
                return;
            }
        }
    }

    void readFace(const char* p, const char* end)
    {
        NamedEntries named;
        // The entries read so far, the same for every corner of the line.
        const ListSizes read{positions_.size(), texCoords_.size(), normals_.size()};
        int corner = 0;
        for (; corner < 3; ++corner) {
            p = skipSpaces(p);
            if (p == end) [[unlikely]]
                break;
            p = readCorner(p, end, read, corner, named.position[corner], named.uv[corner], named.normal[corner]);
        }
        copyPendingFace();
        pending_ = named;
        hasPending_ = true;
        if (corner < 3) [[unlikely]] {
            warnAboutMissingCorners(corner);
            return;
        }
        p = skipSpaces(p);
        if (p != end) [[unlikely]]
            warnAboutMoreCorners(p, end);
    }

    void copyPendingFace()
    {
        if (!hasPending_)
            return;
        const NamedEntries& n = pending_;
        mesh_.faces.push_back(MeshFace{{*n.position[0], *n.position[1], *n.position[2]}, {*n.uv[0], *n.uv[1], *n.uv[2]}});
        mesh_.faceNormals.push_back(FaceNormals{{*n.normal[0], *n.normal[1], *n.normal[2]}});
        hasPending_ = false;
    }

    KES_OBJ_COLD void warnAboutMissingCorners(int cornerCount)
    {
        warnings_.add(line_, [&] {
            return "face has " + std::to_string(cornerCount) + " corners instead of three; the missing ones are zero";
        });
    }

    KES_OBJ_COLD void warnAboutMoreCorners(const char* p, const char* end)
    {
        std::int64_t cornerCount = 3;
        while (p != end) {
            ++cornerCount;
            p = skipSpaces(skipToSpace(p, end));
        }
        warnings_.add(line_, [&] {
            return "face has " + std::to_string(cornerCount)
                + " corners; only the first three are used (export the mesh triangulated)";
        });
    }

    // Reads one corner "p/t/n", "p//n", "p/t" or "p" and copies what it names.
    // The byte at `end` is never "/" (see forEachLine).
    const char* readCorner(const char* p, const char* end, const ListSizes& read, int corner, const Vec3*& position,
                           const Vec2*& uv, const Vec3*& normal)
    {
        p = readIndexField(p, end, positions_, read.positions, position, corner, kPosition, true);
        if (*p == '/') {
            p = readIndexField(p + 1, end, texCoords_, read.texCoords, uv, corner, kTexCoord, false);
            if (*p == '/') {
                p = readIndexField(p + 1, end, normals_, read.normals, normal, corner, kNormal, false);
                if (*p == '/') [[unlikely]]
                    p = skipToSpace(p, end); // fields after the third are ignored
            }
        }
        return p;
    }

    // Reads one index field up to the next "/", space or the line end, and
    // points `target` at the entry it names among the first `read` entries of
    // `list`; a missing or wrong index leaves `target` at a zero entry.
    template <typename T>
    const char* readIndexField(const char* p, const char* end, const std::vector<T>& list, std::size_t read,
                               const T*& target, int corner, const VertexKind& kind, bool required)
    {
        const char* const fieldBegin = p;
        std::int64_t index;
        const char* const stop = obj::readIndex(p, end, index);
        p = stop;
        while (p != end && *p != '/' && *p != ' ') [[unlikely]]
            ++p;
        std::int64_t at = index - 1;
        if (!(index > 0 && static_cast<std::uint64_t>(index) <= read)) [[unlikely]] {
            at = resolveUnusualIndex(IndexField{fieldBegin, p, index, stop != fieldBegin}, read, corner, kind,
                                     required);
            if (at < 0)
                return p;
        }
        target = &list[static_cast<std::size_t>(at)];
        prefetch(target);
        return p;
    }

    // The 0-based entry that an empty, negative or wrong index field names,
    // or -1 (with a warning where one is due).
    KES_OBJ_COLD std::int64_t resolveUnusualIndex(const IndexField& field, std::size_t read, int corner,
                                                  const VertexKind& kind, bool required)
    {
        const std::int64_t index = field.value;
        if (field.begin == field.end) {
            if (required) {
                warnings_.add(line_, [&] {
                    return "face corner " + std::to_string(corner + 1) + " has no " + kind.one + " index";
                });
            }
            return -1;
        }
        if (index < 0 && static_cast<std::uint64_t>(-index) <= read)
            return static_cast<std::int64_t>(read) + index;
        warnings_.add(line_, [&] {
            const std::string where = "face corner " + std::to_string(corner + 1);
            if (!field.hasDigits)
                return where + " has " + quoted(field.begin, field.end) + " where a " + kind.one + " index belongs";
            if (index == 0)
                return where + " names " + kind.one + " 0, but indices start at 1";
            return where + " names " + kind.one + " " + std::to_string(index) + ", but the file has only "
                + std::to_string(read) + " " + kind.many + " before this line";
        });
        return -1;
    }

    std::vector<Vec3> positions_;
    std::vector<Vec2> texCoords_;
    std::vector<Vec3> normals_;
    NamedEntries pending_;
    bool hasPending_ = false;
    MeshTriangles& mesh_;
    WarningList& warnings_;
    std::int64_t line_ = 0;
};

} // namespace

MeshTriangles decodeObjMesh(std::string_view text, const std::string& fileName, std::vector<ReaderWarning>* warnings)
{
    // Editors on some systems start UTF-8 text with a byte order mark; it is
    // not part of the first line.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    std::size_t counts[lineKindCount] = {};
    forEachLine(text, [&](const char* begin, const char* end, std::int64_t) { ++counts[classifyLine(begin, end)]; });

    MeshTriangles mesh;
    WarningList warningList(warnings, fileName);
    {
        MeshBuilder builder(counts, mesh, warningList);
        forEachLine(text, [&](const char* begin, const char* end, std::int64_t line) {
            builder.readLine(begin, end, line);
        });
        builder.finish();
    }
    warningList.finish();
    return mesh;
}

Status loadObjMesh(const std::string& path, MeshTriangles& mesh, std::vector<ReaderWarning>* warnings)
{
    return loadObjMeshInPieces(path, kFilePiece, mesh, warnings);
}

Status loadObjMeshInPieces(const std::string& path, std::size_t pieceSize, MeshTriangles& mesh,
                           std::vector<ReaderWarning>* warnings)
{
    mesh = MeshTriangles{};
    AssetFileReader file;
    if (Status opened = file.open(path, "mesh file"); !opened)
        return opened;

    // The file is read twice, piece by piece through one small buffer, as
    // decodeObjMesh reads text in memory: once to count the lines of each
    // kind, once to read them. The whole text is never held at once.
    std::vector<char> buffer(std::max<std::size_t>(pieceSize, 1) + 1);
    std::size_t counts[lineKindCount] = {};
    if (Status counted = forEachLineOfFile(file, buffer, [&](const char* begin, const char* end, std::int64_t) {
            ++counts[classifyLine(begin, end)];
        });
        !counted)
        return counted;

    file.rewind();
    MeshTriangles read;
    std::vector<ReaderWarning> fileWarnings;
    WarningList warningList(warnings ? &fileWarnings : nullptr, path);
    {
        MeshBuilder builder(counts, read, warningList);
        if (Status done = forEachLineOfFile(file, buffer, [&](const char* begin, const char* end, std::int64_t line) {
                builder.readLine(begin, end, line);
            });
            !done)
            return done;
        builder.finish();
    }
    warningList.finish();
    mesh = std::move(read);
    if (warnings)
        warnings->insert(warnings->end(), fileWarnings.begin(), fileWarnings.end());
    return Status::success();
}

} // namespace kes
