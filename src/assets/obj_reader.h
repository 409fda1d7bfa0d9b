// Reads triangulated Wavefront OBJ meshes into flat lists of textured triangles.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "assets/reader_warning.h"
#include "model/status.h"

namespace kes {

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};
struct Vec2 {
    float u = 0, v = 0;
    bool operator==(const Vec2&) const = default;
};

// One triangle: its three corners' positions, then their texture coordinates,
// in the order the face line lists the corners.
struct MeshFace {
    std::array<Vec3, 3> position;
    std::array<Vec2, 3> uv;
    bool operator==(const MeshFace&) const = default;
};

// The per-corner normals that a face line names, in corner order.
struct FaceNormals {
    std::array<Vec3, 3> normal;
    bool operator==(const FaceNormals&) const = default;
};

// A mesh: faces[i] and faceNormals[i] come from the i-th face line.
struct MeshTriangles {
    std::vector<MeshFace> faces;
    std::vector<FaceNormals> faceNormals;
    std::int32_t faceCount() const { return static_cast<std::int32_t>(faces.size()); }
};

// At most this many warnings are given for one file; when there are more, one
// last warning (line 0) says how many were left out.
inline constexpr int kMaxObjWarnings = 100;

// Reads OBJ text held in memory. `fileName` only names the file in warnings,
// which are appended to `warnings` when it is not null.
//
// Lines whose first character is v or V are vertex lines (vt: texture
// coordinate, vn: normal, anything else: position), lines starting with f or F
// are faces, every other line is skipped. Tokens are separated by spaces only
// (a tab is an ordinary character); numbers use "." as the decimal point
// whatever the locale. A face corner is "p/t/n", "p//n", "p/t" or "p"; what it
// does not name stays zero. Indices count from 1, negative ones back from the
// last line of their kind read so far; a face can use only vertex lines above
// it. Only the first three corners of a face are used.
//
// Nothing stops the reading: missing numbers read as 0, and a corner field
// whose index names no line read so far gives a zero entry. These, faces with
// more or fewer than three corners, and numbers that do not read cleanly
// (such as "1,5") give a warning with the line number. A "vt" line with one
// number and corners without texture or normal index are complete and give
// none. A UTF-8 byte order mark at the start is skipped.
MeshTriangles decodeObjMesh(std::string_view text, const std::string& fileName,
                           std::vector<ReaderWarning>* warnings = nullptr);

// How a file is read.
struct ObjReadOptions {
    // How many threads may parse one file at once, the calling thread among
    // them. A file of 16 MiB or more is then parsed in chunks, about four per
    // thread and at least 4 MiB each; a smaller one, and every file with one
    // thread, is read in file order.
    int threads = 1;
    // For tests: parse the file in exactly this many chunks, whatever its
    // size and the number of threads. 0: as `threads` says.
    std::size_t chunks = 0;
    // false: only the faces are kept and mesh.faceNormals stays empty, for a
    // reader that has no use for the normals the file names.
    bool keepNormals = true;
};

// Reads the OBJ file at `path` (UTF-8) as decodeObjMesh does. Fails only when
// the file cannot be read (or is no regular file), with a reason such as
// "cannot read mesh file 'x.obj': no such file or folder"; `mesh` is then
// empty and no warning is added. What the file holds beyond the subset read
// here gives warnings.
//
// The file is read twice, piece by piece through small buffers (once to
// count the lines of each kind, once to read them), so its text is never
// held whole. Parsed in chunks, each chunk does the same for the lines that
// start in its share of the file's bytes, side by side with the others; the
// result, warnings included, is the same as in file order, whatever the
// number of chunks. A file that changes between the two readings gives what
// its last reading holds.
Status loadObjMesh(const std::string& path, MeshTriangles& mesh, std::vector<ReaderWarning>* warnings = nullptr,
                   const ObjReadOptions& options = {});

// As loadObjMesh, reading in pieces of `pieceSize` bytes (at least one), for
// tests of lines that cross the pieces.
Status loadObjMeshInPieces(const std::string& path, std::size_t pieceSize, MeshTriangles& mesh,
                           std::vector<ReaderWarning>* warnings = nullptr);

// The bytes of one triangle as loadObjInterleaved stores it.
constexpr std::size_t interleavedTriangleSize(bool withNormals)
{
    return (withNormals ? 24 : 15) * sizeof(float);
}

// Reads the OBJ file at `path` as loadObjMesh does, into one array of
// interleaved triangles instead of a MeshTriangles: for each triangle, for
// each corner in face order, x, y, z, u, v; then, with `withNormals`, for
// each corner the normal's x, y, z; every value a float in the byte order of
// this machine. `triangles` holds interleavedTriangleSize(withNormals) bytes
// per face line. Takes half the memory of a MeshTriangles without normals,
// and no second copy is needed to lay the triangles out like this.
Status loadObjInterleaved(const std::string& path, bool withNormals, std::vector<std::uint8_t>& triangles,
                          std::vector<ReaderWarning>* warnings = nullptr, const ObjReadOptions& options = {});

// Receives the triangles of a mesh file from streamObjInterleaved.
class InterleavedSink {
public:
    virtual ~InterleavedSink() = default;
    // Called once, before any triangle, with the number of triangles the file
    // holds (one per face line).
    virtual Status begin(std::uint64_t triangles) = 0;
    // The next triangles in face order, laid out as loadObjInterleaved lays
    // them out, a whole number of them; the sink may change the bytes.
    virtual Status take(std::span<std::uint8_t> triangles) = 0;
};

// Reads the OBJ file at `path` as loadObjInterleaved does, but hands the
// triangles to `sink` as they are read instead of keeping them: however large
// the file, only a few hundred kilobytes of finished triangles are held at
// once. The warnings are appended once the whole file is read, also when the
// sink failed.
//
// Read in file order (one thread, or a small file), everything happens on the
// calling thread. Parsed in chunks (see ObjReadOptions), each face is kept as
// the entries its line names (a third of a triangle's size) until its chunk
// and all before it are parsed; the faces of those chunks are then completed
// and handed on by whichever parsing thread finds them ready, while the
// others parse on. take() is then called on those threads, but never twice at
// once, and always in face order.
//
// A failure of the sink stops the handing on (the file is still read to its
// end) and is returned, with *sinkFailed set when it is given. A file that
// cannot be read fails as in loadObjMesh, before begin() when it cannot be
// opened; one that holds other lines when it is read than when it was counted
// fails with "cannot read mesh file '...': it changed while it was read".
Status streamObjInterleaved(const std::string& path, bool withNormals, InterleavedSink& sink,
                            std::vector<ReaderWarning>* warnings = nullptr, bool* sinkFailed = nullptr,
                            const ObjReadOptions& options = {});

// True when a file of `size` bytes is parsed in chunks, side by side, when
// read with `options`.
bool objParsedInChunks(std::uint64_t size, const ObjReadOptions& options);

} // namespace kes
