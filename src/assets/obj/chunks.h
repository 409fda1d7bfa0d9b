// Parsing an OBJ file in chunks, side by side on several threads, with the
// same result as reading it in file order. Private to the OBJ reader.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/asset_file.h"
#include "assets/obj/faces.h"
#include "assets/obj/lines.h"
#include "assets/obj/mesh_builder.h"
#include "assets/obj/stores.h"
#include "assets/obj/vertex_lists.h"
#include "assets/obj/warnings.h"
#include "assets/obj_reader.h"
#include "assets/parallel_for.h"
#include "model/status.h"

namespace kes::obj {

// Files from this size on are parsed in chunks when more than one thread
// may read them.
inline constexpr std::uint64_t kChunkedFromBytes = std::uint64_t(16) << 20;
// The size of a chunk that chunkCountFor aims at, at least.
inline constexpr std::uint64_t kChunkBytes = std::uint64_t(4) << 20;

// How many chunks a file of `size` bytes is parsed in; 0 for reading it in
// file order.
inline std::size_t chunkCountFor(std::uint64_t size, const ObjReadOptions& options)
{
    if (options.chunks > 0)
        return options.chunks;
    if (options.threads <= 1 || size < kChunkedFromBytes)
        return 0;
    // Four chunks per thread, so that threads that finish early take more.
    const std::uint64_t most = 4 * static_cast<std::uint64_t>(options.threads);
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(size / kChunkBytes, 2, most));
}

// Parses the file in `chunkCount` chunks on up to `threads` threads, with the
// same result as reading it in file order. The file is read twice,
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
// file changed; it is then best read again in file order) or the lists are too
// long to be numbered in 32 bits.
template <ChunkStore Store>
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
            if constexpr (HandsOnChunks<Store>)
                store.chunkParsed(k, firsts[k].faces, firsts[k + 1].faces, status && asCounted[k], lists);
            return status;
        });
        !parsed)
        return parsed;
    if (!std::all_of(asCounted.begin(), asCounted.end(), [](char same) { return same != 0; }))
        return Status::success();

    if constexpr (!HandsOnChunks<Store>) {
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

} // namespace kes::obj
