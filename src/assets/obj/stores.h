// Where the triangles of an OBJ file go: the four stores and the interfaces
// they share. Private to the OBJ reader.
//
// Read in file order, faces are appended to a FileOrderStore one by one.
// Parsed in chunks, a ChunkStore is made at its full size first; each face's
// place holds the entries its line names until copyNamedEntries completes it,
// all at the end or, for a store that HandsOnChunks, chunk by chunk as soon
// as a chunk and every chunk before it are parsed.
//
// MeshStore and InterleavedStore are both; StreamedStore hands the triangles
// on as they are read in file order, ChunkStreamedStore as the chunks are
// parsed.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "assets/large_buffer.h"
#include "assets/obj/vertex_lists.h"
#include "assets/obj_reader.h"
#include "model/status.h"

namespace kes::obj {

// Every store: it keeps the corners' normals or not.
template <typename Store>
concept TriangleStore = requires(const Store& store) {
    { store.wantsNormals() } -> std::same_as<bool>;
};

// A store filled in file order, one face after another.
template <typename Store>
concept FileOrderStore = TriangleStore<Store>
    && requires(Store& store, std::size_t faces, const Vec3* const (&p)[3], const Vec2* const (&t)[3],
                const Vec3* const (&n)[3]) {
           store.reserve(faces); // once the lines are counted, before the first face
           store.append(p, t, n);
           store.finishAppending(); // after the last face
       };

// A store filled by the chunks of a file, each face in its own place.
template <typename Store>
concept ChunkStore = TriangleStore<Store>
    && requires(Store& store, const Store& constStore, std::size_t i, const std::uint32_t (&references)[9],
                std::uint32_t (&taken)[9], const Vec3* const (&p)[3], const Vec2* const (&t)[3],
                const Vec3* const (&n)[3]) {
           // Once the lines are counted, before the first face: room for
           // all of them.
           store.resize(i);
           // Face i's place holds the entries its line names (positions,
           // texture coordinates, normals, each in corner order) until
           // set() completes it.
           store.putReferences(i, references);
           constStore.takeReferences(i, taken);
           store.set(i, p, t, n);
           // Forgets what a chunked reading put in, so that the file can be
           // read again in file order; false when that can no longer be done
           // (triangles were handed on).
           { store.restart() } -> std::same_as<bool>;
       };

// A chunk store that completes and hands on the faces of each chunk as soon
// as it and every chunk before it are parsed. chunkParsed() is called on the
// parsing threads; `complete` is false when the chunk could not be read or
// held other lines than counted.
template <typename Store>
concept HandsOnChunks = ChunkStore<Store>
    && requires(Store& store, std::size_t k, std::size_t firstFace, std::size_t endFace, bool complete,
                const VertexLists& lists) { store.chunkParsed(k, firstFace, endFace, complete, lists); };

// Copies the entries that faces [first, first + count) name into their
// places in `store`.
template <ChunkStore Store>
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

// A MeshTriangles, with or without the corners' normals.
class MeshStore {
public:
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
    bool restart()
    {
        resize(0);
        return true;
    }

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

// Interleaved records of floats (see loadObjInterleaved).
class InterleavedStore {
public:
    InterleavedStore(std::vector<std::uint8_t>& bytes, bool withNormals)
        : bytes_(bytes), withNormals_(withNormals), size_(interleavedTriangleSize(withNormals))
    {
    }
    bool wantsNormals() const { return withNormals_; }

    void reserve(std::size_t faces) { reserveLarge(bytes_, faces * size_); }
    void append(const Vec3* const (&p)[3], const Vec2* const (&t)[3], const Vec3* const (&n)[3])
    {
        float record[24];
        const std::size_t floats = fillInterleaved(record, withNormals_, p, t, n);
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
        const std::size_t floats = fillInterleaved(record, withNormals_, p, t, n);
        std::memcpy(bytes_.data() + i * size_, record, floats * sizeof(float));
    }
    void putReferences(std::size_t i, const std::uint32_t (&r)[9])
    {
        std::memcpy(bytes_.data() + i * size_, r, (withNormals_ ? 9 : 6) * sizeof(std::uint32_t));
    }
    void takeReferences(std::size_t i, std::uint32_t (&r)[9]) const
    {
        std::memcpy(r, bytes_.data() + i * size_, (withNormals_ ? 9 : 6) * sizeof(std::uint32_t));
    }
    bool restart()
    {
        resize(0);
        return true;
    }

private:
    std::vector<std::uint8_t>& bytes_;
    bool withNormals_;
    std::size_t size_;
};

// Hands the triangles on as they are read in file order (see
// streamObjInterleaved): a few thousand at a time through one small buffer.
class StreamedStore {
public:
    StreamedStore(InterleavedSink& sink, bool withNormals)
        : sink_(sink), withNormals_(withNormals), size_(interleavedTriangleSize(withNormals))
    {
    }
    bool wantsNormals() const { return withNormals_; }

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

// Hands the triangles of a file parsed in chunks on as the chunks are parsed
// (see streamObjInterleaved). Each face keeps the entries its line names
// until it can be completed: once its chunk and every chunk before it are
// parsed, the faces of the chunk are completed, a few thousand at a time in
// one small buffer, and handed to the sink in face order. The thread that
// finds the next chunk ready does this while the others parse on; only one
// hands on at a time.
class ChunkStreamedStore {
public:
    ChunkStreamedStore(InterleavedSink& sink, bool withNormals, std::size_t chunkCount)
        : sink_(sink), withNormals_(withNormals), size_(interleavedTriangleSize(withNormals)),
          references_(withNormals ? 9 : 6), chunks_(chunkCount)
    {
    }
    bool wantsNormals() const { return withNormals_; }

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
    // The sink was told the number of triangles once the lines were counted:
    // the file can't be read again from its start.
    bool restart() const { return !begun_; }

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

static_assert(FileOrderStore<MeshStore> && ChunkStore<MeshStore>);
static_assert(FileOrderStore<InterleavedStore> && ChunkStore<InterleavedStore>);
static_assert(FileOrderStore<StreamedStore>);
static_assert(HandsOnChunks<ChunkStreamedStore>);

} // namespace kes::obj
