// Generation of an extracted project in memory, for checking that extraction
// gives a level back: the same conversions, chunks and order as
// generateLevel, with the input files taken from the extraction instead of
// the disk.
#include <map>
#include <string_view>

#include "assets/bmp_reader.h"
#include "assets/obj_reader.h"
#include "extract/level_extraction.h"
#include "levelfile/layer_descriptor.h"
#include "levelfile/level_encoding.h"
#include "levelfile/level_format.h"
#include "levelfile/texture_compression.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "model/start_placement.h"

namespace kes {
namespace {

std::uint16_t low16(std::int32_t value)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}

class InMemoryFiles {
public:
    explicit InMemoryFiles(const LevelExtraction& extraction)
    {
        for (const ExtractedFile& file : extraction.files)
            files_.emplace(file.name, &file.bytes);
    }
    const std::vector<std::uint8_t>* find(const std::string& name) const
    {
        auto found = files_.find(name);
        return found == files_.end() ? nullptr : found->second;
    }

private:
    std::map<std::string, const std::vector<std::uint8_t>*> files_;
};

Status encodeLayer(const LayerEntry& entry, const InMemoryFiles& files, std::vector<std::uint8_t>& out)
{
    LayerDescriptor d;
    d.kind = layerKindOf(low16(entry.kind));
    d.speed = entry.speed;
    d.frames = static_cast<float>(entry.frames);
    d.vibration = entry.vibration;
    d.triggerArea = entry.triggerArea;
    d.frameCount = isAnimatedLayerKind(d.kind) ? low16(entry.frames) : 1;
    d.collision = entry.collision;
    d.draw = entry.draw;
    d.normals = 0;

    BitmapImage image;
    if (entry.draw != 0) {
        const std::vector<std::uint8_t>* bytes = files.find(entry.bmpPath);
        if (!bytes)
            return Status::failure("no file '" + entry.bmpPath + "'");
        if (Status decoded = decodeBitmap(*bytes, entry.bmpPath, image); !decoded)
            return decoded;
        d.textureCount = 1;
    }
    encodeLayerHead(d, out);
    for (int frame = 1; frame <= d.frameCount; ++frame) {
        const std::string name = frameMeshPath(entry.objPath, d.frameCount, frame);
        const std::vector<std::uint8_t>* bytes = files.find(name);
        if (!bytes)
            return Status::failure("no file '" + name + "'");
        const MeshTriangles mesh
            = decodeObjMesh(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), name);
        encodeFrame(mesh, false, out);
    }
    encodeTextureCount(d.textureCount, out);
    if (d.textureCount == 1) {
        std::vector<std::uint8_t> stream;
        if (Status compressed = compressTexture(image.pixels, stream); !compressed)
            return compressed;
        encodeTextureBlobHead(static_cast<std::uint16_t>(image.width), static_cast<std::uint16_t>(image.height),
                              static_cast<std::uint32_t>(stream.size()), out);
        out.insert(out.end(), stream.begin(), stream.end());
    }
    return Status::success();
}

} // namespace

Status regenerateInMemory(const LevelExtraction& extraction, std::vector<std::uint8_t>& level)
{
    level.clear();
    if (extraction.files.empty())
        return Status::failure("no project file");
    LevelProject project;
    if (Status decoded = decodeProject(extraction.files.front().bytes, project); !decoded)
        return decoded;
    const InMemoryFiles files(extraction);

    const LevelSettings& s = project.settings;
    const auto targets = static_cast<std::uint16_t>(project.targets.count());
    LevelFileHeader header;
    header.title = capText(s.title);
    header.author = capText(s.author);
    header.versionMajor = low16(leadingInteger(s.versionMajor));
    header.versionMinor = low16(leadingInteger(s.versionMinor));
    header.chunkCounts = {static_cast<std::uint16_t>(project.layers.count()), static_cast<std::uint16_t>(targets + 3),
                          static_cast<std::uint16_t>(targets + 1), 1, 0};
    encodeHeader(header, level);

    const StartPlacement start = startPlacementOf(s);
    const std::array<float, 3> background = parseNumbers3(s.backgroundColor);
    encodeFloatChunk(static_cast<float>(leadingNumber(s.framesLR)), level);
    encodeIntegerChunk(kTargetCountKey.index, project.targets.count(), level);
    encodeVectorChunk(kStartPositionKey.group, kStartPositionKey.index, start.position[0], start.position[1],
                      start.position[2], level);
    encodeVectorChunk(kStartRotationKey.group, kStartRotationKey.index, start.rotation[0], start.rotation[1],
                      start.rotation[2], level);
    encodeVectorChunk(kBackgroundColorKey.group, kBackgroundColorKey.index, background[0], background[1],
                      background[2], level);
    for (int i = 0; i < project.targets.count(); ++i) {
        const TargetEntry& target = project.targets.at(i);
        const auto n = static_cast<std::uint16_t>(i + 1);
        encodeIntegerChunk(n, target.kind, level);
        encodeVectorChunk(kTargetGroup, n, target.x, target.y, target.z, level);
    }
    for (int i = 0; i < project.layers.count(); ++i)
        if (Status encoded = encodeLayer(project.layers.at(i), files, level); !encoded)
            return Status::failure("layer " + std::to_string(i + 1) + ": " + encoded.reason());
    return Status::success();
}

} // namespace kes
