// The OBJ grammar: what each line means, read into the vertex lists and the
// faces, and the warnings about what does not fit. Private to the OBJ
// reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/obj/faces.h"
#include "assets/obj/lines.h"
#include "assets/obj/vertex_lists.h"
#include "assets/obj/warnings.h"
#include "assets/obj_numbers.h"

// Marks the paths that only problems in a file take, to keep them out of the
// reading loops; and the step for each line, which belongs inside the line
// walker's loop (called as a function of its own, it took about a
// twentieth more instructions).
#if defined(__GNUC__)
#define KES_OBJ_COLD [[gnu::cold, gnu::noinline]]
#define KES_OBJ_INLINE [[gnu::always_inline]] inline
#else
#define KES_OBJ_COLD
#define KES_OBJ_INLINE inline
#endif

namespace kes::obj {

// The byte at `end` is never a space (see forEachLineInRange).
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

struct VertexKind {
    const char* one;
    const char* many;
};
inline constexpr VertexKind kPosition{"position", "positions"};
inline constexpr VertexKind kTexCoord{"texture coordinate", "texture coordinates"};
inline constexpr VertexKind kNormal{"normal", "normals"};

// One "/"-separated field of a face corner.
struct IndexField {
    const char* begin = nullptr;
    const char* end = nullptr; // begin == end: the field is empty
    std::int64_t value = 0;
    bool hasDigits = false;
};

// Fills the vertex lists and hands the faces to `Faces`, line by line, in
// file order. It starts at some line of the file with `read` entries of each
// list read before it.
template <FaceCollector Faces>
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

    KES_OBJ_INLINE void readLine(const char* begin, const char* end, std::int64_t line)
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
        if constexpr (ChunkFaces<Faces>) {
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
            const char* stop = readFloat(p, end, values[got]);
            p = skipToSpace(stop, end);
            if (stop != p) [[unlikely]]
                checkNumberRest(token, stop, p, end, values[got], kind);
        }
        for (int i = got; i < count; ++i)
            values[i] = 0;
        if (got < required) [[unlikely]]
            warnAboutMissingNumbers(got, required, kind);
    }

    KES_OBJ_COLD void warnAboutMissingNumbers(int got, int required, const VertexKind& kind)
    {
        warnings_.add(line_, [&] {
            return std::string(kind.one) + " line has " + std::to_string(got) + " of its "
                + counted(required, "number", "numbers")
                + (required - got == 1 ? "; the missing one is 0" : "; the missing ones are 0");
        });
    }

    // A token that is not a number (nor one that a float can hold), or has
    // more after its number. `end` is the line's end.
    KES_OBJ_COLD void checkNumberRest(const char* token, const char* stop, const char* tokenEnd, const char* end,
                                      float value, const VertexKind& kind)
    {
        if (stop == token) {
            const bool tooLarge = numberTooLarge(token, end);
            warnings_.add(line_, [&] {
                return std::string(kind.one) + " line has " + quoted(token, tokenEnd)
                    + (tooLarge ? ", a number too large for a 32-bit float; it reads as 0"
                                : " where a number belongs; it reads as 0");
            });
            return;
        }
        for (const char* q = stop; q != tokenEnd; ++q) {
            if (!isInnerBlank(*q)) {
                // A comma right after the number is most likely a decimal
                // comma.
                const bool comma = *stop == ',';
                warnings_.add(line_, [&] {
                    return std::string(kind.one) + " line has " + quoted(token, tokenEnd) + ", which reads as "
                        + floatText(value) + (comma ? " (the decimal point is \".\")" : "");
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
            return "face has " + counted(cornerCount, "corner", "corners") + " instead of three"
                + (cornerCount == 2 ? "; the missing one is zero" : "; the missing ones are zero");
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
    // names. The byte at `end` is never "/" (see forEachLineInRange).
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
        const char* const stop = readIndex(p, end, index);
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
                + counted(static_cast<std::int64_t>(read), kind.one, kind.many) + " before this line";
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

} // namespace kes::obj
