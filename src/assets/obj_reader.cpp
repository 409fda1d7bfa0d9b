#include "assets/obj_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
#include <limits>
#include <mutex>

#include "assets/asset_file.h"
#include "assets/large_buffer.h"
#include "assets/obj_numbers.h"
#include "assets/parallel_for.h"

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


// Collects the warnings of one file (or of one chunk of it), at most
// kMaxObjWarnings of them, and counts the ones left out.
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

    std::int64_t dropped() const { return dropped_; }

private:
    std::vector<ReaderWarning>* out_;
    const std::string& file_;
    int kept_ = 0;
    std::int64_t dropped_ = 0;
};

// The closing warning that says how many were left out.
void addDroppedWarning(std::vector<ReaderWarning>& out, const std::string& file, std::int64_t dropped)
{
    if (dropped > 0)
        out.push_back(ReaderWarning{file, 0, "and " + std::to_string(dropped) + " more warnings"});
}

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

// The vertex lists of a file.
struct VertexLists {
    UnfilledList<Vec3> positions;
    UnfilledList<Vec2> texCoords;
    UnfilledList<Vec3> normals;
};

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
};

// Room in `lists` for the entries that `counts` found.
void reserveLists(VertexLists& lists, const LineCounts& counts)
{
    reserveLarge(lists.positions, counts.positions);
    reserveLarge(lists.texCoords, counts.texCoords);
    reserveLarge(lists.normals, counts.normals);
}

// Where finished triangles go: a MeshTriangles, with or without the
// corners' normals.
class MeshStore {
public:
    // Whether the faces of each chunk are handed on as soon as they can be
    // (see ChunkStreamedStore) instead of being filled in at the end.
    static constexpr bool kHandsOnChunks = false;

    MeshStore(MeshTriangles& mesh, bool withNormals) : mesh_(mesh), withNormals_(withNormals) {}
    bool wantsNormals() const { return withNormals_; }

    void reserve(std::size_t faces)
    {
        reserveLarge(mesh_.faces, faces);
        if (withNormals_)
            reserveLarge(mesh_.faceNormals, faces);
    }
    void append(const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        mesh_.faces.push_back(MeshFace{{*p[0], *p[1], *p[2]}, {*t[0], *t[1], *t[2]}});
        if (withNormals_)
            mesh_.faceNormals.push_back(FaceNormals{{*n[0], *n[1], *n[2]}});
    }
    void finishAppending() {}
    void resize(std::size_t faces)
    {
        reserve(faces);
        mesh_.faces.resize(faces);
        if (withNormals_)
            mesh_.faceNormals.resize(faces);
    }
    void set(std::size_t i, const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        mesh_.faces[i] = MeshFace{{*p[0], *p[1], *p[2]}, {*t[0], *t[1], *t[2]}};
        if (withNormals_)
            mesh_.faceNormals[i] = FaceNormals{{*n[0], *n[1], *n[2]}};
    }
    // Face i's place holds the entries its line names until set() fills it.
    void putReferences(std::size_t i, const std::uint32_t (&r)[9])
    {
        std::memcpy(static_cast<void*>(&mesh_.faces[i]), r, 6 * sizeof(std::uint32_t));
        if (withNormals_)
            std::memcpy(static_cast<void*>(&mesh_.faceNormals[i]), r + 6, 3 * sizeof(std::uint32_t));
    }
    void takeReferences(std::size_t i, std::uint32_t (&r)[9]) const
    {
        std::memcpy(r, static_cast<const void*>(&mesh_.faces[i]), 6 * sizeof(std::uint32_t));
        if (withNormals_)
            std::memcpy(r + 6, static_cast<const void*>(&mesh_.faceNormals[i]), 3 * sizeof(std::uint32_t));
    }
    static_assert(sizeof(MeshFace) >= 6 * sizeof(std::uint32_t) && sizeof(FaceNormals) >= 3 * sizeof(std::uint32_t));

private:
    MeshTriangles& mesh_;
    bool withNormals_;
};

// Lays one triangle out as loadObjInterleaved stores it; returns the number
// of floats.
inline std::size_t fillInterleaved(float* out, bool withNormals, const Vec3* const (&p)[3],
                                   const Vec2* const (&t)[3], const Vec3* const (&n)[3])
{
    for (int c = 0; c < 3; ++c) {
        out[c * 5 + 0] = p[c]->x;
        out[c * 5 + 1] = p[c]->y;
        out[c * 5 + 2] = p[c]->z;
        out[c * 5 + 3] = t[c]->u;
        out[c * 5 + 4] = t[c]->v;
    }
    if (!withNormals)
        return 15;
    for (int c = 0; c < 3; ++c) {
        out[15 + c * 3 + 0] = n[c]->x;
        out[15 + c * 3 + 1] = n[c]->y;
        out[15 + c * 3 + 2] = n[c]->z;
    }
    return 24;
}

// Where finished triangles go: interleaved records of floats (see
// loadObjInterleaved).
class InterleavedStore {
public:
    static constexpr bool kHandsOnChunks = false;

    InterleavedStore(std::vector<std::uint8_t>& bytes, bool withNormals)
        : bytes_(bytes), withNormals_(withNormals), size_(interleavedTriangleSize(withNormals))
    {
    }
    bool wantsNormals() const { return withNormals_; }

    void reserve(std::size_t faces) { reserveLarge(bytes_, faces * size_); }
    void append(const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        float record[24];
        const std::size_t floats = fill(record, p, t, n);
        const auto* first = reinterpret_cast<const std::uint8_t*>(record);
        bytes_.insert(bytes_.end(), first, first + floats * sizeof(float));
    }
    void finishAppending() {}
    void resize(std::size_t faces)
    {
        reserve(faces);
        bytes_.resize(faces * size_);
    }
    void set(std::size_t i, const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        float record[24];
        const std::size_t floats = fill(record, p, t, n);
        std::memcpy(bytes_.data() + i * size_, record, floats * sizeof(float));
    }
    // Face i's place holds the entries its line names until set() fills it.
    void putReferences(std::size_t i, const std::uint32_t (&r)[9])
    {
        std::memcpy(bytes_.data() + i * size_, r, (withNormals_ ? 9 : 6) * sizeof(std::uint32_t));
    }
    void takeReferences(std::size_t i, std::uint32_t (&r)[9]) const
    {
        std::memcpy(r, bytes_.data() + i * size_, (withNormals_ ? 9 : 6) * sizeof(std::uint32_t));
    }

private:
    std::size_t fill(float* out, const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        return fillInterleaved(out, withNormals_, p, t, n);
    }

    std::vector<std::uint8_t>& bytes_;
    bool withNormals_;
    std::size_t size_;
};

// Where finished triangles go when they are handed on as they are read
// (see streamObjInterleaved): a few thousand at a time through one small
// buffer. Only for reading in file order.
class StreamedStore {
public:
    StreamedStore(InterleavedSink& sink, bool withNormals)
        : sink_(sink), withNormals_(withNormals), size_(interleavedTriangleSize(withNormals))
    {
    }
    bool wantsNormals() const { return withNormals_; }

    // Called once the lines are counted, before the first face.
    void reserve(std::size_t faces)
    {
        counted_ = faces;
        status_ = sink_.begin(faces);
        buffer_.reserve(kPieceTriangles * size_);
    }
    void append(const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        ++appended_;
        if (!status_) [[unlikely]]
            return;
        float record[24];
        const std::size_t floats = fillInterleaved(record, withNormals_, p, t, n);
        const auto* first = reinterpret_cast<const std::uint8_t*>(record);
        buffer_.insert(buffer_.end(), first, first + floats * sizeof(float));
        if (buffer_.size() >= kPieceTriangles * size_)
            handOn();
    }
    void finishAppending() { handOn(); }

    const Status& status() const { return status_; }
    // True when as many faces were read as the counting found.
    bool asCounted() const { return appended_ == counted_; }

private:
    static constexpr std::size_t kPieceTriangles = 4096;

    void handOn()
    {
        if (status_ && !buffer_.empty())
            status_ = sink_.take(buffer_);
        buffer_.clear();
    }

    InterleavedSink& sink_;
    bool withNormals_;
    std::size_t size_;
    std::vector<std::uint8_t> buffer_;
    std::size_t counted_ = 0;
    std::size_t appended_ = 0;
    Status status_ = Status::success();
};

template <typename T>
const T& zeroEntry();
template <>
const Vec3& zeroEntry<Vec3>()
{
    return kZeroVec3;
}
template <>
const Vec2& zeroEntry<Vec2>()
{
    return kZeroVec2;
}

// Faces read in file order and copied into `Store` as they are read. The
// entries a face line names are copied one face line later, so that fetching
// them from memory overlaps with reading the next line; entries of the vertex
// lists never change once written, so the face gets what its line named when
// it was read.
template <typename Store>
class CopiedFaces {
public:
    static constexpr bool kInPlace = false;

    // The entries that one face line names; a field that names none keeps
    // a zero entry.
    struct Named {
        const Vec3* position[3] = {&kZeroVec3, &kZeroVec3, &kZeroVec3};
        const Vec2* uv[3] = {&kZeroVec2, &kZeroVec2, &kZeroVec2};
        const Vec3* normal[3] = {&kZeroVec3, &kZeroVec3, &kZeroVec3};
    };

    CopiedFaces(const VertexLists& lists, Store& store) : lists_(lists), store_(store) {}

    void namePosition(Named& named, int corner, std::size_t at) { name(named.position[corner], lists_.positions, at); }
    void nameUv(Named& named, int corner, std::size_t at) { name(named.uv[corner], lists_.texCoords, at); }
    void nameNormal(Named& named, int corner, std::size_t at) { name(named.normal[corner], lists_.normals, at); }

    void add(const Named& named)
    {
        copyPending();
        pending_ = named;
        hasPending_ = true;
    }
    // A vertex list is about to move in memory.
    void beforeListMoves() { copyPending(); }
    void finish()
    {
        copyPending();
        store_.finishAppending();
    }

private:
    template <typename T>
    static void name(const T*& target, const UnfilledList<T>& list, std::size_t at)
    {
        target = &list[at];
        prefetch(target);
    }

    void copyPending()
    {
        if (!hasPending_)
            return;
        store_.append(pending_.position, pending_.uv, pending_.normal);
        hasPending_ = false;
    }

    const VertexLists& lists_;
    Store& store_;
    Named pending_;
    bool hasPending_ = false;
};

// What names no entry in a list of face references.
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

// Faces read in one chunk of a file, kept as the entries they name, in the
// places of the store where the faces go, numbered from the chunk's first
// face; the entries are copied once every chunk has filled its part of the
// vertex lists. A chunk that holds more faces than it had when counted
// (the file changed) writes none of them beyond its own places.
template <typename Store>
class FaceReferences {
public:
    static constexpr bool kInPlace = true;

    // The entries that one face line names: positions, texture coordinates,
    // normals, each in corner order.
    struct Named {
        std::uint32_t r[9] = {kNoEntry, kNoEntry, kNoEntry, kNoEntry, kNoEntry, kNoEntry, kNoEntry, kNoEntry, kNoEntry};
    };

    FaceReferences(Store& store, std::size_t firstFace, std::size_t endFace)
        : store_(store), next_(firstFace), end_(endFace)
    {
    }

    static void namePosition(Named& named, int corner, std::size_t at) { named.r[corner] = static_cast<std::uint32_t>(at); }
    static void nameUv(Named& named, int corner, std::size_t at) { named.r[3 + corner] = static_cast<std::uint32_t>(at); }
    static void nameNormal(Named& named, int corner, std::size_t at) { named.r[6 + corner] = static_cast<std::uint32_t>(at); }

    void add(const Named& named)
    {
        if (next_ < end_) [[likely]]
            store_.putReferences(next_, named.r);
        ++next_;
    }
    void beforeListMoves() {}
    void finish() {}
    std::size_t next() const { return next_; }

private:
    Store& store_;
    std::size_t next_;
    std::size_t end_;
};

// Fills the vertex lists and hands the faces to `Faces`, line by line, in
// file order. It starts at some line of the file with `read` entries of each
// list read before it.
template <typename Faces>
class MeshBuilder {
public:
    // `end` tells where the lines handed over end: a chunk writes only its
    // own part of the vertex lists.
    MeshBuilder(VertexLists& lists, const LineCounts& read, const LineCounts& end, Faces& faces,
                WarningList& warnings)
        : lists_(lists), read_(read), end_(end), faces_(faces), warnings_(warnings)
    {
    }

    // What has been read, up to the last line handed over.
    const LineCounts& read() const { return read_; }

    void readLine(const char* begin, const char* end, std::int64_t line)
    {
        line_ = line;
        switch (classifyLine(begin, end)) {
        case positionLine: {
            float v[3];
            readValues(afterKeyword(begin, end), end, v, 3, 3, kPosition);
            append(lists_.positions, read_.positions, end_.positions, Vec3{v[0], v[1], v[2]});
            break;
        }
        case texCoordLine: {
            // "vt u" is complete: v defaults to 0.
            float v[2];
            readValues(afterKeyword(begin, end), end, v, 2, 1, kTexCoord);
            append(lists_.texCoords, read_.texCoords, end_.texCoords, Vec2{v[0], v[1]});
            break;
        }
        case normalLine: {
            float v[3];
            readValues(afterKeyword(begin, end), end, v, 3, 3, kNormal);
            append(lists_.normals, read_.normals, end_.normals, Vec3{v[0], v[1], v[2]});
            break;
        }
        case faceLine:
            readFace(afterKeyword(begin, end), end);
            break;
        default:
            break;
        }
    }

    void finish() { faces_.finish(); }

private:
    static const char* afterKeyword(const char* begin, const char* end) { return skipToSpace(begin, end); }

    // Stores entry number `read` of a list. A chunk writes its part of a list
    // that has the whole file's size already, and nothing beyond its part.
    // Read in file order a list grows: it is reserved at the size the
    // counting found; should the file hold more lines now, the faces still
    // pending are completed before the list moves in memory.
    template <typename T>
    void append(UnfilledList<T>& list, std::size_t& read, std::size_t end, const T& entry)
    {
        if constexpr (Faces::kInPlace) {
            if (read < end) [[likely]]
                list[read] = entry;
        } else {
            (void)end;
            if (list.size() == list.capacity()) [[unlikely]]
                faces_.beforeListMoves();
            list.push_back(entry);
        }
        ++read;
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
        typename Faces::Named named;
        int corner = 0;
        for (; corner < 3; ++corner) {
            p = skipSpaces(p);
            if (p == end) [[unlikely]]
                break;
            p = readCorner(p, end, corner, named);
        }
        faces_.add(named);
        if (corner < 3) [[unlikely]] {
            warnAboutMissingCorners(corner);
            return;
        }
        p = skipSpaces(p);
        if (p != end) [[unlikely]]
            warnAboutMoreCorners(p, end);
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

    // Reads one corner "p/t/n", "p//n", "p/t" or "p" and notes what it
    // names. The byte at `end` is never "/" (see forEachLine).
    const char* readCorner(const char* p, const char* end, int corner, typename Faces::Named& named)
    {
        p = readIndexField(p, end, read_.positions, corner, kPosition, true,
                           [&](std::size_t at) { faces_.namePosition(named, corner, at); });
        if (*p == '/') {
            p = readIndexField(p + 1, end, read_.texCoords, corner, kTexCoord, false,
                               [&](std::size_t at) { faces_.nameUv(named, corner, at); });
            if (*p == '/') {
                p = readIndexField(p + 1, end, read_.normals, corner, kNormal, false,
                                   [&](std::size_t at) { faces_.nameNormal(named, corner, at); });
                if (*p == '/') [[unlikely]]
                    p = skipToSpace(p, end); // fields after the third are ignored
            }
        }
        return p;
    }

    // Reads one index field up to the next "/", space or the line end, and
    // calls name(at) with the 0-based entry it names among the first `read`
    // entries of its list; a missing or wrong index names none.
    template <typename Name>
    const char* readIndexField(const char* p, const char* end, std::size_t read, int corner, const VertexKind& kind,
                               bool required, Name&& name)
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
        name(static_cast<std::size_t>(at));
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

    VertexLists& lists_;
    LineCounts read_;
    LineCounts end_;
    Faces& faces_;
    WarningList& warnings_;
    std::int64_t line_ = 0;
};

// Reads the file in pieces through one small buffer, twice: once to count the
// lines of each kind, once to read them in file order.
template <typename Store>
Status readInPieces(AssetFileReader& file, std::size_t pieceSize, const std::string& path, Store& store,
                    std::vector<ReaderWarning>* warnings)
{
    std::vector<char> buffer(std::max<std::size_t>(pieceSize, 1) + 1);
    LineCounts counts;
    if (Status counted = forEachLineOfFile(file, buffer, [&](const char* begin, const char* end, std::int64_t) {
            counts.count(classifyLine(begin, end));
        });
        !counted)
        return counted;

    file.rewind();
    VertexLists lists;
    reserveLists(lists, counts);
    store.reserve(counts.faces);
    WarningList warningList(warnings, path);
    CopiedFaces<Store> faces(lists, store);
    MeshBuilder<CopiedFaces<Store>> builder(lists, LineCounts{}, LineCounts{}, faces, warningList);
    if (Status done = forEachLineOfFile(file, buffer, [&](const char* begin, const char* end, std::int64_t line) {
            builder.readLine(begin, end, line);
        });
        !done)
        return done;
    builder.finish();
    if (warnings)
        addDroppedWarning(*warnings, path, warningList.dropped());
    return Status::success();
}

// Files from this size on are parsed in chunks when more than one thread
// may read them.
constexpr std::uint64_t kChunkedFromBytes = std::uint64_t(16) << 20;
// The size of a chunk that chunkCountFor aims at, at least.
constexpr std::uint64_t kChunkBytes = std::uint64_t(4) << 20;

// How many chunks a file of `size` bytes is parsed in; 0 for the plain
// reading in pieces.
std::size_t chunkCountFor(std::uint64_t size, const ObjReadOptions& options)
{
    if (options.chunks > 0)
        return options.chunks;
    if (options.threads <= 1 || size < kChunkedFromBytes)
        return 0;
    // Four chunks per thread, so that threads that finish early take more.
    const std::uint64_t most = 4 * static_cast<std::uint64_t>(options.threads);
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(size / kChunkBytes, 2, most));
}

// Calls visit(begin, end, lineNumber) for the lines of the file that start at
// a byte in [from, to), numbered from 1, with the same lines and guarantees as
// forEachLineOfFile gives. A line starts at byte 0 (where a byte order mark
// is skipped) and after every LF. The file is read piece by piece into
// `buffer`, from one byte before `from` (to tell whether a line starts
// there) as far as the last of these lines reaches.
template <typename Visit>
Status forEachLineInRange(AssetFileReader& file, std::uint64_t from, std::uint64_t to, std::vector<char>& buffer,
                          Visit&& visit)
{
    if (from >= to)
        return Status::success();
    std::uint64_t bufferOffset = from == 0 ? 0 : from - 1; // where in the file buffer[0] is
    file.seek(bufferOffset);
    bool seekingStart = from != 0; // until the first line start at or after `from`
    bool atStart = from == 0;
    bool firstLine = from == 0;    // the line at byte 0 is this range's, byte order mark or not
    std::int64_t lineNumber = 0;
    std::size_t kept = 0;
    auto ours = [&](const char* data, const char* lineStart) {
        return firstLine || bufferOffset + static_cast<std::uint64_t>(lineStart - data) < to;
    };
    for (;;) {
        if (kept + 1 >= buffer.size())
            buffer.resize(buffer.size() * 2);
        const std::size_t got = file.read(buffer.data() + kept, buffer.size() - 1 - kept);
        if (!file.status())
            return file.status();
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
        if (linesEnd != p)
            atStart = false;
        while (p != linesEnd) {
            if (!ours(data, p))
                return Status::success();
            firstLine = false;
            ++lineNumber;
            char* newline = static_cast<char*>(std::memchr(p, '\n', static_cast<std::size_t>(linesEnd - p)));
            const char* lineEnd = newline;
            if (lineEnd != p && lineEnd[-1] == '\r')
                --lineEnd;
            visit(p, lineEnd, lineNumber);
            p = newline + 1;
        }
        if (!atStart && !ours(data, p))
            return Status::success();
        kept = static_cast<std::size_t>(end - p);
        std::memmove(data, p, kept);
        bufferOffset += static_cast<std::uint64_t>(p - data);
    }
}

// Copies the entries that faces [first, first + count) name into their
// places in `store`.
template <typename Store>
void copyNamedEntries(const VertexLists& lists, std::size_t first, std::size_t count, Store& store)
{
    auto entry = []<typename T>(const UnfilledList<T>& list, std::uint32_t reference) {
        return reference == kNoEntry ? &zeroEntry<T>() : &list[reference];
    };
    const Vec3* p[3];
    const Vec2* t[3];
    const Vec3* n[3] = {&kZeroVec3, &kZeroVec3, &kZeroVec3};
    const bool withNormals = store.wantsNormals();
    std::uint32_t r[9];
    for (std::size_t i = first; i < first + count; ++i) {
        store.takeReferences(i, r);
        for (int c = 0; c < 3; ++c) {
            p[c] = entry(lists.positions, r[c]);
            t[c] = entry(lists.texCoords, r[3 + c]);
        }
        if (withNormals)
            for (int c = 0; c < 3; ++c)
                n[c] = entry(lists.normals, r[6 + c]);
        store.set(i, p, t, n);
    }
}

// Where the triangles of a file parsed in chunks go when they are handed on
// as they are read (see streamObjInterleaved). Each face keeps the entries
// its line names until it can be completed: once its chunk and every chunk
// before it are parsed, the faces of the chunk are completed, a few thousand
// at a time in one small buffer, and handed to the sink in face order. The
// thread that finds the next chunk ready does this while the others parse on;
// only one hands on at a time.
class ChunkStreamedStore {
public:
    static constexpr bool kHandsOnChunks = true;

    ChunkStreamedStore(InterleavedSink& sink, bool withNormals, std::size_t chunkCount)
        : sink_(sink), withNormals_(withNormals), size_(interleavedTriangleSize(withNormals)),
          references_(withNormals ? 9 : 6), chunks_(chunkCount)
    {
    }
    bool wantsNormals() const { return withNormals_; }

    // Called once the lines are counted, before the first face.
    void resize(std::size_t faces)
    {
        begun_ = true;
        status_ = sink_.begin(faces);
        keeping_ = status_.ok();
        if (!keeping_)
            return;
        reserveLarge(named_, faces * references_);
        named_.resize(faces * references_);
    }
    void putReferences(std::size_t i, const std::uint32_t (&r)[9])
    {
        if (keeping_) [[likely]]
            std::memcpy(named_.data() + i * references_, r, references_ * sizeof(std::uint32_t));
    }
    void takeReferences(std::size_t i, std::uint32_t (&r)[9]) const
    {
        std::memcpy(r, named_.data() + i * references_, references_ * sizeof(std::uint32_t));
    }
    void set(std::size_t i, const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        float record[24];
        const std::size_t floats = fillInterleaved(record, withNormals_, p, t, n);
        std::memcpy(piece_.data() + (i - pieceStart_) * size_, record, floats * sizeof(float));
    }

    // Chunk k, whose faces are [firstFace, endFace), is parsed; `complete`
    // is false when it could not be read or held other lines than counted.
    // Called on the parsing threads.
    void chunkParsed(std::size_t k, std::size_t firstFace, std::size_t endFace, bool complete,
                     const VertexLists& lists)
    {
        std::unique_lock lock(mutex_);
        chunks_[k] = {firstFace, endFace, complete ? kReady : kBroken};
        while (!handingOn_ && next_ < chunks_.size() && chunks_[next_].state != kWaiting) {
            if (chunks_[next_].state == kBroken) {
                next_ = chunks_.size(); // nothing after a broken chunk is handed on
                break;
            }
            const Chunk chunk = chunks_[next_];
            handingOn_ = true;
            lock.unlock();
            handOn(chunk.firstFace, chunk.endFace, lists);
            lock.lock();
            handingOn_ = false;
            ++next_;
        }
    }

    // Only once the parsing threads are done.
    bool begun() const { return begun_; }
    const Status& status() const { return status_; }

private:
    static constexpr std::size_t kPieceTriangles = 4096;
    enum State { kWaiting, kReady, kBroken };
    struct Chunk {
        std::size_t firstFace = 0, endFace = 0;
        State state = kWaiting;
    };

    void handOn(std::size_t firstFace, std::size_t endFace, const VertexLists& lists)
    {
        for (std::size_t i = firstFace; i < endFace && status_; i += kPieceTriangles) {
            const std::size_t count = std::min(kPieceTriangles, endFace - i);
            piece_.resize(count * size_);
            pieceStart_ = i;
            copyNamedEntries(lists, i, count, *this);
            status_ = sink_.take(piece_);
        }
    }

    InterleavedSink& sink_;
    bool withNormals_;
    std::size_t size_;
    std::size_t references_; // per face
    UnfilledList<std::uint32_t> named_;
    bool keeping_ = false; // the sink took the count: the faces are kept
    // Touched only by the thread handing on.
    UnfilledList<std::uint8_t> piece_;
    std::size_t pieceStart_ = 0;
    Status status_ = Status::success();
    bool begun_ = false;

    std::mutex mutex_;
    std::vector<Chunk> chunks_;
    std::size_t next_ = 0;   // the next chunk to hand on
    bool handingOn_ = false; // a thread is handing on chunk next_
};

bool operator==(const LineCounts& a, const LineCounts& b)
{
    return a.positions == b.positions && a.texCoords == b.texCoords && a.normals == b.normals && a.faces == b.faces
        && a.lines == b.lines;
}

// Parses the file in `chunkCount` chunks on up to `threads` threads, with the
// same result as reading it in pieces in file order. The file is read twice,
// each chunk through its own small buffer, and its text never held whole.
//
// Chunk k takes the lines that start in bytes [k x size / chunkCount,
// (k + 1) x size / chunkCount) of the file (a line starts at byte 0 and after
// every LF), reading past its end to finish its last line. On the first
// reading each chunk counts its lines of each kind; these counts, summed
// over the chunks before it, tell a chunk the number of its first line and
// where its vertex lines and faces go in the lists of the whole file, which
// are made at their final sizes. On the second reading the chunks fill their
// parts of the vertex lists and note in the places of their faces which
// entries the faces name (resolving relative indices and checking indices
// against the entries read before the face's line, as in file order); once
// all are done, the named entries are copied into the faces. The warnings of
// the chunks, each in line order, follow one another in chunk order. `done`
// is false when the second reading found other lines than the first (the
// file changed; it is then best read again in pieces) or the lists are too
// long to be numbered in 32 bits.
template <typename Store>
Status readInChunks(const std::string& path, std::uint64_t size, std::size_t chunkCount, int threads, Store& store,
                    std::vector<ReaderWarning>* warnings, bool& done)
{
    done = false;
    auto chunkStart = [&](std::size_t k) { return size / chunkCount * k + size % chunkCount * k / chunkCount; };
    // Runs read(reader, buffer, k) for every chunk k, each with a reader and a
    // buffer of its own; the first failure, if any.
    auto eachChunk = [&](auto&& read) {
        std::vector<Status> results(chunkCount, Status::success());
        parallelFor(chunkCount, threads, [&](std::size_t k) {
            AssetFileReader file;
            if (Status opened = file.open(path, "mesh file"); !opened) {
                results[k] = opened;
                return;
            }
            // No larger than the chunk's share of the file (it grows for a
            // longer line).
            const std::uint64_t share = chunkStart(k + 1) - chunkStart(k);
            std::vector<char> buffer(static_cast<std::size_t>(std::clamp<std::uint64_t>(share, 64, kFilePiece)) + 1);
            results[k] = read(file, buffer, k);
        });
        for (Status& result : results)
            if (!result)
                return result;
        return Status::success();
    };

    std::vector<LineCounts> firsts(chunkCount + 1);
    if (Status counted = eachChunk([&](AssetFileReader& file, std::vector<char>& buffer, std::size_t k) {
            LineCounts& counts = firsts[k + 1];
            Status status = forEachLineInRange(file, chunkStart(k), chunkStart(k + 1), buffer,
                                               [&](const char* b, const char* e, std::int64_t line) {
                                                   counts.count(classifyLine(b, e));
                                                   counts.lines = line;
                                               });
            return status;
        });
        !counted)
        return counted;
    for (std::size_t k = 1; k <= chunkCount; ++k)
        firsts[k] += firsts[k - 1];
    const LineCounts& total = firsts[chunkCount];
    constexpr std::size_t mostEntries = kNoEntry;
    if (total.positions >= mostEntries || total.texCoords >= mostEntries || total.normals >= mostEntries)
        return Status::success();

    VertexLists lists;
    reserveLists(lists, total);
    lists.positions.resize(total.positions);
    lists.texCoords.resize(total.texCoords);
    lists.normals.resize(total.normals);
    store.resize(total.faces);
    std::vector<std::vector<ReaderWarning>> chunkWarnings(chunkCount);
    std::vector<std::int64_t> dropped(chunkCount);
    std::vector<char> asCounted(chunkCount, 0);
    if (Status parsed = eachChunk([&](AssetFileReader& file, std::vector<char>& buffer, std::size_t k) {
            WarningList warningList(warnings ? &chunkWarnings[k] : nullptr, path);
            FaceReferences<Store> faces(store, firsts[k].faces, firsts[k + 1].faces);
            MeshBuilder<FaceReferences<Store>> builder(lists, firsts[k], firsts[k + 1], faces, warningList);
            const std::int64_t firstLine = firsts[k].lines;
            std::int64_t lastLine = firstLine;
            Status status = forEachLineInRange(file, chunkStart(k), chunkStart(k + 1), buffer,
                                               [&](const char* b, const char* e, std::int64_t line) {
                                                   lastLine = firstLine + line;
                                                   builder.readLine(b, e, lastLine);
                                               });
            builder.finish();
            LineCounts read = builder.read();
            read.faces = faces.next();
            read.lines = lastLine;
            asCounted[k] = read == firsts[k + 1];
            dropped[k] = warningList.dropped();
            if constexpr (Store::kHandsOnChunks)
                store.chunkParsed(k, firsts[k].faces, firsts[k + 1].faces, status && asCounted[k], lists);
            return status;
        });
        !parsed)
        return parsed;
    if (!std::all_of(asCounted.begin(), asCounted.end(), [](char same) { return same != 0; }))
        return Status::success();

    if constexpr (!Store::kHandsOnChunks) {
        const std::size_t pieces = std::max<std::size_t>(1, std::min<std::size_t>(chunkCount, total.faces / 4096));
        parallelFor(pieces, threads, [&](std::size_t k) {
            const std::size_t first = total.faces * k / pieces, last = total.faces * (k + 1) / pieces;
            copyNamedEntries(lists, first, last - first, store);
        });
    }

    if (warnings) {
        std::int64_t left = 0;
        for (std::size_t k = 0; k < chunkCount; ++k) {
            for (ReaderWarning& warning : chunkWarnings[k]) {
                if (warnings->size() < static_cast<std::size_t>(kMaxObjWarnings))
                    warnings->push_back(std::move(warning));
                else
                    ++left;
            }
            left += dropped[k];
        }
        addDroppedWarning(*warnings, path, left);
    }
    done = true;
    return Status::success();
}

// Reads the OBJ file at `path` into `store`, in chunks or in pieces.
template <typename Store>
Status readObjFile(const std::string& path, const ObjReadOptions& options, std::size_t pieceSize, Store& store,
                   std::vector<ReaderWarning>* warnings)
{
    AssetFileReader file;
    if (Status opened = file.open(path, "mesh file"); !opened)
        return opened;
    std::vector<ReaderWarning> fileWarnings;
    std::vector<ReaderWarning>* collected = warnings ? &fileWarnings : nullptr;
    const std::uint64_t size = file.size();
    if (!file.status())
        return file.status();
    bool done = false;
    if (const std::size_t chunks = chunkCountFor(size, options); chunks > 0) {
        if (Status read = readInChunks(path, size, chunks, std::max(options.threads, 1), store, collected, done); !read)
            return read;
        if (!done) {
            fileWarnings.clear();
            store.resize(0);
            file.rewind();
        }
    }
    if (!done) {
        if (Status read = readInPieces(file, pieceSize, path, store, collected); !read)
            return read;
    }
    if (warnings)
        warnings->insert(warnings->end(), std::make_move_iterator(fileWarnings.begin()),
                         std::make_move_iterator(fileWarnings.end()));
    return Status::success();
}

} // namespace

MeshTriangles decodeObjMesh(std::string_view text, const std::string& fileName, std::vector<ReaderWarning>* warnings)
{
    // Editors on some systems start UTF-8 text with a byte order mark; it is
    // not part of the first line.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    LineCounts counts;
    forEachLine(text, [&](const char* begin, const char* end, std::int64_t) { counts.count(classifyLine(begin, end)); });

    MeshTriangles mesh;
    MeshStore store(mesh, true);
    store.reserve(counts.faces);
    VertexLists lists;
    reserveLists(lists, counts);
    WarningList warningList(warnings, fileName);
    CopiedFaces<MeshStore> faces(lists, store);
    MeshBuilder<CopiedFaces<MeshStore>> builder(lists, LineCounts{}, LineCounts{}, faces, warningList);
    forEachLine(text, [&](const char* begin, const char* end, std::int64_t line) { builder.readLine(begin, end, line); });
    builder.finish();
    if (warnings)
        addDroppedWarning(*warnings, fileName, warningList.dropped());
    return mesh;
}

Status loadObjMesh(const std::string& path, MeshTriangles& mesh, std::vector<ReaderWarning>* warnings,
                   const ObjReadOptions& options)
{
    mesh = MeshTriangles{};
    MeshTriangles read;
    MeshStore store(read, options.keepNormals);
    if (Status status = readObjFile(path, options, kFilePiece, store, warnings); !status)
        return status;
    mesh = std::move(read);
    return Status::success();
}

Status loadObjMeshInPieces(const std::string& path, std::size_t pieceSize, MeshTriangles& mesh,
                           std::vector<ReaderWarning>* warnings)
{
    mesh = MeshTriangles{};
    MeshTriangles read;
    MeshStore store(read, true);
    if (Status status = readObjFile(path, ObjReadOptions{}, pieceSize, store, warnings); !status)
        return status;
    mesh = std::move(read);
    return Status::success();
}

Status loadObjInterleaved(const std::string& path, bool withNormals, std::vector<std::uint8_t>& triangles,
                          std::vector<ReaderWarning>* warnings, const ObjReadOptions& options)
{
    triangles.clear();
    InterleavedStore store(triangles, withNormals);
    if (Status status = readObjFile(path, options, kFilePiece, store, warnings); !status) {
        triangles.clear();
        return status;
    }
    return Status::success();
}

bool objParsedInChunks(std::uint64_t size, const ObjReadOptions& options)
{
    return chunkCountFor(size, options) > 0;
}

Status streamObjInterleaved(const std::string& path, bool withNormals, InterleavedSink& sink,
                            std::vector<ReaderWarning>* warnings, bool* sinkFailed, const ObjReadOptions& options)
{
    if (sinkFailed)
        *sinkFailed = false;
    AssetFileReader file;
    if (Status opened = file.open(path, "mesh file"); !opened)
        return opened;
    const std::uint64_t size = file.size();
    if (!file.status())
        return file.status();
    std::vector<ReaderWarning> fileWarnings;
    std::vector<ReaderWarning>* collected = warnings ? &fileWarnings : nullptr;
    // What the reading came to: its own status, the sink's, and whether the
    // faces handed on are the ones counted first.
    auto ending = [&](const Status& read, const Status& sinkStatus, bool asCounted) {
        if (!read && sinkStatus)
            return read;
        if (warnings)
            warnings->insert(warnings->end(), std::make_move_iterator(fileWarnings.begin()),
                             std::make_move_iterator(fileWarnings.end()));
        if (!sinkStatus) {
            if (sinkFailed)
                *sinkFailed = true;
            return sinkStatus;
        }
        // A file that now holds other lines than when it was counted was
        // changed while it was read.
        if (!asCounted)
            return Status::failure("cannot read mesh file '" + path + "': it changed while it was read");
        return Status::success();
    };

    if (const std::size_t chunks = chunkCountFor(size, options); chunks > 0) {
        ChunkStreamedStore store(sink, withNormals, chunks);
        bool done = false;
        Status read = readInChunks(path, size, chunks, std::max(options.threads, 1), store, collected, done);
        // Lists too long for the chunks' numbering are read in file order,
        // which is possible only while nothing has been handed on.
        if (!read || done || store.begun())
            return ending(read, store.status(), done);
        fileWarnings.clear();
        file.rewind();
    }
    StreamedStore store(sink, withNormals);
    Status read = readInPieces(file, kFilePiece, path, store, collected);
    return ending(read, store.status(), store.asCounted());
}

} // namespace kes
