// Writes one level file, chunk by chunk, with a declared count per chunk kind.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "assets/reader_warning.h"
#include "levelfile/layer_descriptor.h"
#include "levelfile/level_format.h"
#include "model/file_io.h"
#include "model/status.h"

namespace kes {

// One level file being written. open() takes the header with the number of
// chunks of each kind that will follow; the writer then accepts exactly that
// many chunks of each kind and close() finishes the file once all are written.
//
// The file is written beside the target under a temporary name and renamed
// over the target only by a successful close(), so no incomplete level ever
// stands at the target and a file that was there before is unchanged until
// then. A writer destroyed while incomplete removes its temporary file; one
// destroyed complete but not closed finishes the file as close() would.
//
// The writer only writes bytes and keeps the counts: what a layer chunk holds
// is made by the code of layer_parts.h. Every operation returns a Status
// whose reason names the file. A refused call (writer not open, or no chunk
// of that kind left to write) writes nothing and changes no count. A failure
// after bytes were written (a write error such as a full disk, a mesh that
// cannot be read, zlib running out of memory) breaks the writer: its
// temporary file is removed at once and every later call fails.
class LevelFileWriter {
public:
    LevelFileWriter() = default;
    ~LevelFileWriter();
    LevelFileWriter(const LevelFileWriter&) = delete;
    LevelFileWriter& operator=(const LevelFileWriter&) = delete;

    // Creates the temporary file beside `path` (UTF-8) and writes the header.
    // The first four chunk counts become the remaining counts; the fifth is
    // written as given and never checked. Refused when this writer has
    // already been opened (a writer writes one file in its life), and when
    // the title or author is longer than 65535 bytes.
    [[nodiscard]] Status open(const std::string& path, const LevelFileHeader& header);

    // A vector chunk: group, index and three floats.
    [[nodiscard]] Status writeVector(std::int16_t group, std::uint16_t index, float x, float y, float z);
    // An integer chunk of group 1.
    [[nodiscard]] Status writeInteger(std::uint16_t index, std::int32_t value);
    // The float chunk (group 1, index 0).
    [[nodiscard]] Status writeFloat(float value);

    // A layer chunk. Sets descriptor.frameCount to 1 unless the kind is
    // Animated or AnimatedTrigger. Reads the mesh of each frame, one frame at
    // a time (see frameMeshPath for the names of the numbered frame files of
    // an animation), and compresses each texture. Refused without writing
    // anything when the descriptor fails checkLayerDescriptor. A mesh that
    // cannot be read breaks the writer. What the OBJ reader worked around is
    // added to warnings().
    [[nodiscard]] Status writeLayer(const std::string& objPath, LayerDescriptor& descriptor);

    // A layer chunk whose parts are made elsewhere (see writeLayerParts),
    // written part by part in file order. beginLayer() takes one of the
    // declared layer chunks; writeLayerBytes() appends bytes (the layer head,
    // the frames, the texture count and blobs); finishLayer() counts the
    // chunk as written, with the triangles that its frames held. The caller
    // answers for the parts making up one whole layer chunk. Until the layer
    // is finished every other chunk is refused and the file is incomplete.
    [[nodiscard]] Status beginLayer();
    [[nodiscard]] Status writeLayerBytes(std::span<const std::uint8_t> bytes);
    [[nodiscard]] Status finishLayer(std::uint64_t triangles);
    // Breaks the writer with `reason`: for a part that could not be made
    // after its layer was begun.
    Status fail(std::string reason);

    // Finishes the file when it is open and every declared chunk is written:
    // flushes it to the disk and renames it over the target. Fails when the
    // file is incomplete (nothing is done; writing may go on), when the
    // writer is not open, and when finishing fails (the temporary file is
    // removed and the target is as it was).
    [[nodiscard]] Status close();

    // True from a successful open() until close() finishes the file or the
    // writer breaks.
    bool isOpen() const { return state_ == State::Open; }
    // How many chunks of `kind` may still be written.
    std::uint16_t remaining(ChunkKind kind) const { return remaining_[chunkKindSlot(kind)]; }
    // True when the writer is open and no declared chunk is left to write.
    bool isComplete() const;
    // What the OBJ reader worked around in the meshes that writeLayer read.
    const std::vector<ReaderWarning>& warnings() const { return warnings_; }
    // Bytes written so far, header included.
    std::uint64_t bytesWritten() const { return file_.size(); }
    // Triangles written so far, all layers and frames.
    std::uint64_t trianglesWritten() const { return triangles_; }

private:
    enum class State { New, Open, Broken, Closed };

    Status checkOpen() const;
    Status acceptChunk(ChunkKind kind) const;
    Status writeBytes(std::span<const std::uint8_t> bytes);
    Status writeChunk(ChunkKind kind, const std::vector<std::uint8_t>& bytes);

    AtomicFile file_;
    std::string path_;
    State state_ = State::New;
    std::array<std::uint16_t, kChunkKindCount> remaining_{};
    std::string brokenReason_;
    std::vector<ReaderWarning> warnings_;
    std::uint64_t triangles_ = 0;
    bool layerOpen_ = false;
};

} // namespace kes
