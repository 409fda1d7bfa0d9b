#include "levelfile/layer_parts.h"

#include <limits>

#include "assets/obj_reader.h"
#include "levelfile/level_encoding.h"
#include "levelfile/texture_compression.h"

namespace kes {
namespace {

std::string tooManyTriangles(const std::string& meshPath)
{
    return "cannot write the mesh of '" + meshPath + "': it has more triangles than a level file holds";
}

} // namespace

LayerPart makeFramePart(const std::string& meshPath, bool withNormals, int threads)
{
    LayerPart part;
    ObjReadOptions options;
    options.threads = threads;
    if (Status read = loadObjInterleaved(meshPath, withNormals, part.body, &part.warnings, options); !read) {
        part.status = read;
        return part;
    }
    const std::size_t triangles = part.body.size() / interleavedTriangleSize(withNormals);
    if (triangles > std::numeric_limits<std::uint32_t>::max()) {
        part.status = Status::failure(tooManyTriangles(meshPath));
        part.body = {};
        return part;
    }
    part.triangles = triangles;
    encodeFrameHead(static_cast<std::uint32_t>(triangles), part.head);
    encodeInterleavedTriangles(part.body);
    return part;
}

LayerPart deferFramePart(const std::string& meshPath, bool withNormals, int threads)
{
    LayerPart part;
    part.deferredMesh = meshPath;
    part.deferredWithNormals = withNormals;
    part.deferredThreads = threads;
    return part;
}

namespace {

// Writes the triangles of a deferred frame to the level file as the reader
// hands them on: first the frame head with their number, then the records.
class FrameWriting : public InterleavedSink {
public:
    FrameWriting(LevelFileWriter& writer, const std::string& meshPath) : writer_(writer), meshPath_(meshPath) {}

    Status begin(std::uint64_t triangles) override
    {
        if (triangles > std::numeric_limits<std::uint32_t>::max()) {
            refused_ = true;
            return Status::failure(tooManyTriangles(meshPath_));
        }
        triangles_ = triangles;
        std::vector<std::uint8_t> head;
        encodeFrameHead(static_cast<std::uint32_t>(triangles), head);
        return writer_.writeLayerBytes(head);
    }
    Status take(std::span<std::uint8_t> triangles) override
    {
        encodeInterleavedTriangles(triangles);
        return writer_.writeLayerBytes(triangles);
    }
    std::uint64_t triangles() const { return triangles_; }
    // True when the frame was refused before anything of it was written.
    bool refused() const { return refused_; }

private:
    LevelFileWriter& writer_;
    const std::string& meshPath_;
    std::uint64_t triangles_ = 0;
    bool refused_ = false;
};

// Reads and writes a deferred frame; adds its triangles to `triangles`.
Status writeDeferredFrame(LevelFileWriter& writer, const LayerPart& part, std::uint64_t& triangles,
                          std::vector<ReaderWarning>& warnings)
{
    FrameWriting writing(writer, part.deferredMesh);
    bool writingFailed = false;
    std::vector<ReaderWarning> read;
    ObjReadOptions options;
    options.threads = part.deferredThreads;
    Status streamed = streamObjInterleaved(part.deferredMesh, part.deferredWithNormals, writing, &read,
                                           &writingFailed, options);
    // Like a part made beforehand: its warnings count unless it could not be
    // read or was refused.
    if (streamed || !writing.refused())
        warnings.insert(warnings.end(), read.begin(), read.end());
    if (!streamed) {
        // A failed write has broken the writer already.
        return writingFailed && !writing.refused() ? streamed : writer.fail(streamed.reason());
    }
    triangles += writing.triangles();
    return Status::success();
}

} // namespace

LayerPart makeTexturePart(std::uint16_t width, std::uint16_t height, const std::vector<std::uint8_t>& pixels)
{
    LayerPart part;
    if (Status compressed = compressTexture(pixels, part.body); !compressed) {
        part.status = compressed;
        return part;
    }
    if (part.body.size() > std::numeric_limits<std::uint32_t>::max()) {
        part.status = Status::failure("cannot write a texture of " + std::to_string(width) + " x "
                                      + std::to_string(height) + " pixels: it compresses to more than 4 GiB");
        part.body = {};
        return part;
    }
    encodeTextureBlobHead(width, height, static_cast<std::uint32_t>(part.body.size()), part.head);
    return part;
}

LayerPart makeTexturePart(const std::string& bmpPath)
{
    LayerDescriptor texture;
    if (Status loaded = loadTextureSet(bmpPath, texture); !loaded) {
        LayerPart part;
        part.status = loaded;
        part.failsBeforeMeshes = true;
        return part;
    }
    return makeTexturePart(texture.textureWidths[0], texture.textureHeights[0], texture.texturePixels[0]);
}

int layerPartCount(std::uint16_t frameCount, std::uint16_t textureCount)
{
    return int(frameCount) + int(textureCount);
}

LayerPartIndex layerPartAt(int part, std::uint16_t textureCount)
{
    if (part < textureCount)
        return {true, part};
    return {false, part - textureCount + 1};
}

Status writeLayerParts(LevelFileWriter& writer, const LayerDescriptor& descriptor,
                       const std::function<LayerPart()>& nextPart, std::vector<ReaderWarning>& warnings)
{
    // The textures are made first but written last: keep them until then.
    std::vector<LayerPart> textures;
    for (int t = 0; t < descriptor.textureCount; ++t) {
        textures.push_back(nextPart());
        if (textures.back().failsBeforeMeshes)
            return textures.back().status;
    }

    std::vector<std::uint8_t> bytes;
    encodeLayerHead(descriptor, bytes);
    if (Status begun = writer.beginLayer(); !begun)
        return begun;
    if (Status written = writer.writeLayerBytes(bytes); !written)
        return written;
    auto writePart = [&writer](const LayerPart& part) {
        Status written = writer.writeLayerBytes(part.head);
        return written ? writer.writeLayerBytes(part.body) : written;
    };

    std::uint64_t triangles = 0;
    for (int frame = 0; frame < descriptor.frameCount; ++frame) {
        LayerPart part = nextPart();
        if (!part.deferredMesh.empty()) {
            if (Status written = writeDeferredFrame(writer, part, triangles, warnings); !written)
                return written;
            continue;
        }
        if (!part.status)
            return writer.fail(part.status.reason());
        warnings.insert(warnings.end(), part.warnings.begin(), part.warnings.end());
        if (Status written = writePart(part); !written)
            return written;
        triangles += part.triangles;
    }

    bytes.clear();
    encodeTextureCount(descriptor.textureCount, bytes);
    if (Status written = writer.writeLayerBytes(bytes); !written)
        return written;
    for (const LayerPart& part : textures) {
        if (!part.status)
            return writer.fail(part.status.reason());
        if (Status written = writePart(part); !written)
            return written;
    }
    return writer.finishLayer(triangles);
}

} // namespace kes
