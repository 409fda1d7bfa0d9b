// Feeds arbitrary text to the OBJ reader, both as text in memory and as a
// file read piece by piece. Besides the sanitizers' checks: both face arrays
// have one entry per face line, a face line takes at least one byte, nothing
// is allocated beyond a multiple of the input's size, the warnings stay within
// their limit, asking for warnings does not change the mesh, and the file
// gives the same mesh and warnings as the text, whatever the size of the
// pieces, and parsed in chunks on two threads, whatever their number.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "assets/obj_reader.h"
#include "fuzz_check.h"

namespace {

// Bytes, not ==: a NaN read from the text is not equal to itself.
bool sameMesh(const kes::MeshTriangles& a, const kes::MeshTriangles& b)
{
    return a.faces.size() == b.faces.size() && a.faceNormals.size() == b.faceNormals.size()
        && (a.faces.empty() || std::memcmp(a.faces.data(), b.faces.data(), a.faces.size() * sizeof(kes::MeshFace)) == 0)
        && (a.faceNormals.empty()
            || std::memcmp(a.faceNormals.data(), b.faceNormals.data(), a.faceNormals.size() * sizeof(kes::FaceNormals))
                == 0);
}

bool sameWarnings(const std::vector<kes::ReaderWarning>& a, const std::vector<kes::ReaderWarning>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].file != b[i].file || a[i].line != b[i].line || a[i].what != b[i].what)
            return false;
    return true;
}

// The input as a file: an in-memory file, opened by its /proc path.
std::string inputFile(const std::uint8_t* data, std::size_t size)
{
    static const int fd = memfd_create("fuzz.obj", 0);
    KESGEN_FUZZ_CHECK(fd >= 0);
    KESGEN_FUZZ_CHECK(ftruncate(fd, 0) == 0);
    KESGEN_FUZZ_CHECK(size == 0 || pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = inputFile(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<kes::ReaderWarning> warnings;
    kesgen_fuzz::LargestAllocation watch;
    const kes::MeshTriangles mesh = kes::decodeObjMesh(text, path, &warnings);
    KESGEN_FUZZ_CHECK(mesh.faces.size() == mesh.faceNormals.size());
    KESGEN_FUZZ_CHECK(mesh.faces.size() <= size);
    KESGEN_FUZZ_CHECK(warnings.size() <= std::size_t(kes::kMaxObjWarnings) + 1);

    KESGEN_FUZZ_CHECK(sameMesh(kes::decodeObjMesh(text, path), mesh));

    // Small pieces put line ends, numbers and the byte order mark across the
    // pieces; the size varies with the input.
    const std::size_t pieceSize = 1 + size % 7;
    kes::MeshTriangles fromFile;
    std::vector<kes::ReaderWarning> fileWarnings;
    const kes::Status status = kes::loadObjMeshInPieces(path, pieceSize, fromFile, &fileWarnings);
    KESGEN_FUZZ_CHECK(status.ok());
    KESGEN_FUZZ_CHECK(watch.bytes() <= kesgen_fuzz::allocationAllowance(size));
    KESGEN_FUZZ_CHECK(sameMesh(fromFile, mesh));
    KESGEN_FUZZ_CHECK(sameWarnings(fileWarnings, warnings));

    // Chunk boundaries fall elsewhere for every count.
    kes::MeshTriangles fromChunks;
    std::vector<kes::ReaderWarning> chunkWarnings;
    const kes::ObjReadOptions chunked{2, 1 + size % 8};
    KESGEN_FUZZ_CHECK(kes::loadObjMesh(path, fromChunks, &chunkWarnings, chunked).ok());
    KESGEN_FUZZ_CHECK(watch.bytes() <= kesgen_fuzz::allocationAllowance(size));
    KESGEN_FUZZ_CHECK(sameMesh(fromChunks, mesh));
    KESGEN_FUZZ_CHECK(sameWarnings(chunkWarnings, warnings));

    // The faces alone, as the preview reads them.
    kes::MeshTriangles facesOnly;
    std::vector<kes::ReaderWarning> facesWarnings;
    kes::ObjReadOptions withoutNormals = chunked;
    withoutNormals.keepNormals = false;
    KESGEN_FUZZ_CHECK(kes::loadObjMesh(path, facesOnly, &facesWarnings, withoutNormals).ok());
    KESGEN_FUZZ_CHECK(facesOnly.faceNormals.empty());
    facesOnly.faceNormals = mesh.faceNormals; // compared bit for bit: NaN is not equal to itself
    KESGEN_FUZZ_CHECK(sameMesh(facesOnly, mesh));
    KESGEN_FUZZ_CHECK(sameWarnings(facesWarnings, warnings));
    return 0;
}
