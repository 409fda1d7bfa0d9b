// Feeds arbitrary text to the OBJ reader. Besides the sanitizers' checks: both
// face arrays have one entry per face line, a face line takes at least one
// byte, the warnings stay within their limit, and asking for warnings does not
// change the mesh.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "assets/obj_reader.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<kes::ReaderWarning> warnings;
    const kes::MeshTriangles mesh = kes::parseObjMesh(text, "fuzz.obj", &warnings);
    KESGEN_FUZZ_CHECK(mesh.faces.size() == mesh.faceNormals.size());
    KESGEN_FUZZ_CHECK(mesh.faces.size() <= size);
    KESGEN_FUZZ_CHECK(warnings.size() <= std::size_t(kes::kMaxObjWarnings) + 1);

    const kes::MeshTriangles quiet = kes::parseObjMesh(text, "fuzz.obj");
    KESGEN_FUZZ_CHECK(quiet.faces.size() == mesh.faces.size());
    // Bytes, not ==: a NaN read from the text is not equal to itself.
    KESGEN_FUZZ_CHECK(mesh.faces.empty()
                      || std::memcmp(quiet.faces.data(), mesh.faces.data(),
                                     mesh.faces.size() * sizeof(kes::MeshFace)) == 0);
    KESGEN_FUZZ_CHECK(mesh.faceNormals.empty()
                      || std::memcmp(quiet.faceNormals.data(), mesh.faceNormals.data(),
                                     mesh.faceNormals.size() * sizeof(kes::FaceNormals)) == 0);
    return 0;
}
