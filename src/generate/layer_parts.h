// The parts of a layer chunk that take time to make (a mesh frame read and
// encoded, a texture read and compressed), prepared as ready bytes so that
// they can be made on any thread and written later in file order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/reader_warning.h"
#include "model/status.h"

namespace kes {

struct PreparedPart {
    // A failure says why, in the words LevelFileWriter::writeLayer and
    // loadTextureSet use for the same problem.
    Status status = Status::success();
    // True when the failure is one that a layer reports before reading its
    // meshes: its texture cannot be read or used.
    bool failsBeforeMeshes = false;
    // The bytes to write: `head`, then `body`.
    std::vector<std::uint8_t> head;
    std::vector<std::uint8_t> body;
    // Triangles in a frame part.
    std::uint64_t triangles = 0;
    // What the OBJ reader worked around.
    std::vector<ReaderWarning> warnings;
};

// One frame of a layer chunk: reads the mesh at `meshPath` and encodes it
// (the triangle count as head, the triangle records as body). Fails when the
// mesh cannot be read or has more triangles than a level file holds.
PreparedPart prepareFrame(const std::string& meshPath, bool withNormals);

// One texture blob of a layer chunk: reads the BMP at `bmpPath` as
// loadTextureSet does and compresses it (the blob head as head, the zlib
// stream as body). A texture that cannot be read or used fails with
// failsBeforeMeshes set; a failure to compress fails without it.
PreparedPart prepareTexture(const std::string& bmpPath);

} // namespace kes
