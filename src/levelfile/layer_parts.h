// The parts of a layer chunk that take time to make (a mesh frame read and
// encoded, a texture compressed), made as ready bytes so that they can be
// made on any thread and written later in file order, and the one function
// that writes a layer chunk from them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "assets/reader_warning.h"
#include "levelfile/layer_descriptor.h"
#include "levelfile/level_writer.h"
#include "model/status.h"

namespace kes {

struct LayerPart {
    // A failure says why, naming the file.
    Status status = Status::success();
    // True for a failure that the layer reports before reading its meshes:
    // its texture cannot be read or used. A texture that cannot be
    // compressed is reported after the meshes, where it would be written.
    bool failsBeforeMeshes = false;
    // The bytes to write: `head`, then `body`.
    std::vector<std::uint8_t> head;
    std::vector<std::uint8_t> body;
    // Triangles in a frame part.
    std::uint64_t triangles = 0;
    // What the OBJ reader worked around.
    std::vector<ReaderWarning> warnings;
    // A frame made only as it is written (see deferFramePart): the mesh file
    // it reads; empty for a part made already.
    std::string deferredMesh;
    bool deferredWithNormals = false;
    int deferredThreads = 1;
};

// One frame: reads the mesh at `meshPath` and encodes it (the triangle count
// as head, the triangle records as body). Fails when the mesh cannot be read
// or has more triangles than a level file holds. Up to `threads` threads
// parse a large mesh file at once; the triangles are read straight into the
// body.
LayerPart makeFramePart(const std::string& meshPath, bool withNormals, int threads = 1);

// One frame as makeFramePart makes it, but made only when writeLayerParts
// writes it: its triangles go on to the level file as they are read (up to
// `threads` threads parse a large mesh file at once), so the disk is writing
// while the file is still being read, and the frame is never held whole.
// For a part that is written on the thread that asks for it, right away, or
// for a mesh file large enough to keep every thread busy on its own.
LayerPart deferFramePart(const std::string& meshPath, bool withNormals, int threads = 1);

// One texture blob: compresses `pixels` (width x height x 3 bytes) into the
// blob head and the zlib stream.
LayerPart makeTexturePart(std::uint16_t width, std::uint16_t height, const std::vector<std::uint8_t>& pixels);

// One texture blob from the BMP at `bmpPath`, read as loadTextureSet reads
// it. A texture that cannot be read or used fails with failsBeforeMeshes.
LayerPart makeTexturePart(const std::string& bmpPath);

// The number of parts of a layer with `frameCount` frames and
// `textureCount` textures, and what part `part` of them is: the textures
// come first, in slot order, then the frames (1-based frame numbers). That
// is the order a layer meets its problems in: its texture is read before its
// meshes.
struct LayerPartIndex {
    bool isTexture = false;
    int number = 0; // texture slot, or frame number
};
int layerPartCount(std::uint16_t frameCount, std::uint16_t textureCount);
LayerPartIndex layerPartAt(int part, std::uint16_t textureCount);

// Writes one layer chunk with `writer`: the head that `descriptor` gives,
// then its frames and textures in file order, made by `nextPart`, which is
// called layerPartCount times and hands the parts over in the order that
// layerPartAt tells. A failure of a part breaks the writer unless it fails
// before the meshes, which ends the layer before anything of it is written.
// What the OBJ reader worked around is appended to `warnings`, frame by
// frame, up to a failure.
[[nodiscard]] Status writeLayerParts(LevelFileWriter& writer, const LayerDescriptor& descriptor,
                                     const std::function<LayerPart()>& nextPart,
                                     std::vector<ReaderWarning>& warnings);

} // namespace kes
