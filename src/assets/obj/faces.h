// The two ways the faces of an OBJ file are kept while it is read: copied
// into the store one face line late, in file order (CopiedFaces), or noted as
// the entries they name, in their places, by the chunk that reads them
// (FaceReferences). Private to the OBJ reader.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "assets/obj/stores.h"
#include "assets/obj/vertex_lists.h"

namespace kes::obj {

// What the mesh builder hands the faces to. Named holds the entries that one
// face line names; a field that names none keeps a zero entry.
template <typename Faces>
concept FaceCollector = requires(Faces& faces, typename Faces::Named& named, const typename Faces::Named& read,
                                 int corner, std::size_t at) {
    faces.namePosition(named, corner, at);
    faces.nameUv(named, corner, at);
    faces.nameNormal(named, corner, at);
    faces.add(read);           // after each face line
    faces.beforeListMoves();   // a vertex list is about to move in memory
    faces.finish();            // after the last line
};

// The faces of one chunk of a file. The vertex lists are made at the whole
// file's size before the chunks are read, and each chunk writes only its own
// part of them; next() is the place of the chunk's next face among the
// file's faces.
template <typename Faces>
concept ChunkFaces = FaceCollector<Faces> && requires(const Faces& faces) {
    { faces.next() } -> std::same_as<std::size_t>;
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

// Faces read in file order and copied into `Store` as they are read. The
// entries a face line names are copied one face line later, so that fetching
// them from memory overlaps with reading the next line; entries of the vertex
// lists never change once written, so the face gets what its line named when
// it was read.
template <FileOrderStore Store>
class CopiedFaces {
public:
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

// Faces read in one chunk of a file, kept as the entries they name, in the
// places of the store where the faces go, numbered from the chunk's first
// face; the entries are copied once every chunk has filled its part of the
// vertex lists (copyNamedEntries). A chunk that holds more faces than it had
// when counted (the file changed) writes none of them beyond its own places.
template <ChunkStore Store>
class FaceReferences {
public:
    // Positions, texture coordinates, normals, each in corner order.
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

} // namespace kes::obj
