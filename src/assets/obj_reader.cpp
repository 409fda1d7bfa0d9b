// The OBJ reader's public interface, and the choice between its two ways of
// reading a file: in chunks, side by side (obj/chunks.h), or in file order
// (obj/file_order.h), which is also the one fallback of the chunks. Every
// line comes from one walker (obj/lines.h); what a line means is read by the
// mesh builder (obj/mesh_builder.h) into the faces (obj/faces.h) and one of
// the stores (obj/stores.h); obj/warnings.h keeps the warnings.
#include "assets/obj_reader.h"

#include <algorithm>
#include <iterator>

#include "assets/asset_file.h"
#include "assets/obj/chunks.h"
#include "assets/obj/file_order.h"
#include "assets/obj/lines.h"
#include "assets/obj/stores.h"

namespace kes {
namespace {

// An OBJ file opened for reading, its size, and the number of chunks it is
// parsed in (0: in file order).
struct ObjFile {
    AssetFileReader reader;
    std::uint64_t size = 0;
    std::size_t chunks = 0;
};

Status openObjFile(const std::string& path, const ObjReadOptions& options, ObjFile& file)
{
    if (Status opened = file.reader.open(path, "mesh file"); !opened)
        return opened;
    file.size = file.reader.size();
    if (!file.reader.status())
        return file.reader.status();
    file.chunks = obj::chunkCountFor(file.size, options);
    return Status::success();
}

// How the reading of a file ended.
struct ObjReading {
    Status status = Status::success(); // the file could not be read
    bool inChunks = false;             // parsed in chunks, not read in file order
    bool chunksDone = false;           // in chunks: with the lines that were counted
};

// Reads `file` in chunks into `chunked` when it is parsed in chunks, and
// otherwise in file order into `ordered`; also in file order when the
// chunks can't finish it (the file changed between the two readings, or its
// lists are too long for the chunks' numbering) and `chunked` can still
// start again, which it can as long as it has handed no triangle on. The
// warnings go to `collected`.
template <obj::ChunkStore Chunked, obj::FileOrderStore Ordered>
ObjReading readObjFile(ObjFile& file, const std::string& path, const ObjReadOptions& options, std::size_t pieceSize,
                       Chunked& chunked, Ordered& ordered, std::vector<ReaderWarning>* collected)
{
    if (file.chunks > 0) {
        ObjReading reading;
        reading.inChunks = true;
        reading.status = obj::readInChunks(path, file.size, file.chunks, std::max(options.threads, 1), chunked,
                                           collected, reading.chunksDone);
        if (!reading.status || reading.chunksDone || !chunked.restart())
            return reading;
        if (collected)
            collected->clear();
    }
    ObjReading reading;
    reading.status = obj::readInFileOrder(file.reader, pieceSize, path, ordered, collected);
    return reading;
}

// Reads the OBJ file at `path` into `store`, which is filled the same way
// whichever way the file is read.
template <typename Store>
    requires obj::ChunkStore<Store> && obj::FileOrderStore<Store>
Status readObjFileInto(const std::string& path, const ObjReadOptions& options, std::size_t pieceSize, Store& store,
                       std::vector<ReaderWarning>* warnings)
{
    ObjFile file;
    if (Status opened = openObjFile(path, options, file); !opened)
        return opened;
    std::vector<ReaderWarning> fileWarnings;
    if (Status read = readObjFile(file, path, options, pieceSize, store, store, warnings ? &fileWarnings : nullptr).status;
        !read)
        return read;
    if (warnings)
        warnings->insert(warnings->end(), std::make_move_iterator(fileWarnings.begin()),
                         std::make_move_iterator(fileWarnings.end()));
    return Status::success();
}

} // namespace

MeshTriangles decodeObjMesh(std::string_view text, const std::string& fileName, std::vector<ReaderWarning>* warnings)
{
    MeshTriangles mesh;
    obj::MeshStore store(mesh, true);
    obj::TextReader reader(text);
    // Text held in memory can't fail to be read.
    const std::size_t pieceSize = std::clamp<std::size_t>(text.size(), 64, obj::kFilePiece);
    (void)obj::readInFileOrder(reader, pieceSize, fileName, store, warnings);
    return mesh;
}

Status loadObjMesh(const std::string& path, MeshTriangles& mesh, std::vector<ReaderWarning>* warnings,
                   const ObjReadOptions& options)
{
    mesh = MeshTriangles{};
    MeshTriangles read;
    obj::MeshStore store(read, options.keepNormals);
    if (Status status = readObjFileInto(path, options, obj::kFilePiece, store, warnings); !status)
        return status;
    mesh = std::move(read);
    return Status::success();
}

Status loadObjMeshInPieces(const std::string& path, std::size_t pieceSize, MeshTriangles& mesh,
                           std::vector<ReaderWarning>* warnings)
{
    mesh = MeshTriangles{};
    MeshTriangles read;
    obj::MeshStore store(read, true);
    if (Status status = readObjFileInto(path, ObjReadOptions{}, pieceSize, store, warnings); !status)
        return status;
    mesh = std::move(read);
    return Status::success();
}

Status loadObjInterleaved(const std::string& path, bool withNormals, std::vector<std::uint8_t>& triangles,
                          std::vector<ReaderWarning>* warnings, const ObjReadOptions& options)
{
    triangles.clear();
    obj::InterleavedStore store(triangles, withNormals);
    if (Status status = readObjFileInto(path, options, obj::kFilePiece, store, warnings); !status) {
        triangles.clear();
        return status;
    }
    return Status::success();
}

bool objParsedInChunks(std::uint64_t size, const ObjReadOptions& options)
{
    return obj::chunkCountFor(size, options) > 0;
}

Status streamObjInterleaved(const std::string& path, bool withNormals, InterleavedSink& sink,
                            std::vector<ReaderWarning>* warnings, bool* sinkFailed, const ObjReadOptions& options)
{
    if (sinkFailed)
        *sinkFailed = false;
    ObjFile file;
    if (Status opened = openObjFile(path, options, file); !opened)
        return opened;
    std::vector<ReaderWarning> fileWarnings;
    obj::ChunkStreamedStore chunked(sink, withNormals, file.chunks);
    obj::StreamedStore ordered(sink, withNormals);
    const ObjReading reading = readObjFile(file, path, options, obj::kFilePiece, chunked, ordered,
                                           warnings ? &fileWarnings : nullptr);
    const Status& sinkStatus = reading.inChunks ? chunked.status() : ordered.status();
    if (!reading.status && sinkStatus)
        return reading.status;
    if (warnings)
        warnings->insert(warnings->end(), std::make_move_iterator(fileWarnings.begin()),
                         std::make_move_iterator(fileWarnings.end()));
    if (!sinkStatus) {
        if (sinkFailed)
            *sinkFailed = true;
        return sinkStatus;
    }
    // A file that now holds other lines than when it was counted was changed
    // while it was read.
    if (reading.inChunks ? !reading.chunksDone : !ordered.asCounted())
        return Status::failure("cannot read mesh file '" + path + "': it changed while it was read");
    return Status::success();
}

} // namespace kes
