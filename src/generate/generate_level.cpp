#include "generate/generate_level.h"

#include <filesystem>
#include <optional>

#include "levelfile/layer_descriptor.h"
#include "levelfile/level_format.h"
#include "levelfile/level_writer.h"
#include "model/file_io.h"
#include "model/number_text.h"

namespace kes {
namespace {

// A path as stored in the project, made absolute against the project's folder
// when it is relative.
std::string resolvePath(const std::string& path, const std::string& baseFolder)
{
    if (path.empty() || baseFolder.empty())
        return path;
    std::filesystem::path stored = pathFromUtf8(path);
    if (stored.is_absolute())
        return path;
    return pathToUtf8(pathFromUtf8(baseFolder) / stored);
}

std::uint16_t low16(std::int32_t value)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}

LevelFileHeader headerFor(const LevelProject& project)
{
    const LevelSettings& s = project.settings;
    LevelFileHeader header;
    header.title = capText(s.title);
    header.author = capText(s.author);
    header.versionMajor = low16(leadingInteger(s.versionMajor));
    header.versionMinor = low16(leadingInteger(s.versionMinor));
    header.formatId = kFormatId;
    const auto targets = static_cast<std::uint16_t>(project.targets.count());
    header.chunkCounts[chunkKindSlot(ChunkKind::LayerChunk)] = static_cast<std::uint16_t>(project.layers.count());
    header.chunkCounts[chunkKindSlot(ChunkKind::VectorChunk)] = static_cast<std::uint16_t>(targets + 3);
    header.chunkCounts[chunkKindSlot(ChunkKind::IntegerChunk)] = static_cast<std::uint16_t>(targets + 1);
    header.chunkCounts[chunkKindSlot(ChunkKind::FloatChunk)] = 1;
    header.chunkCounts[4] = 0;
    return header;
}

// The descriptor of one layer, without its textures.
LayerDescriptor descriptorFor(const LayerEntry& entry)
{
    LayerDescriptor descriptor;
    descriptor.kind = low16(entry.kind);
    descriptor.speed = entry.speed;
    descriptor.frames = static_cast<float>(entry.frames);
    descriptor.vibration = entry.vibration;
    descriptor.triggerArea = entry.triggerArea;
    descriptor.frameCount = low16(entry.frames);
    descriptor.collision = entry.collision;
    descriptor.draw = entry.draw;
    descriptor.normals = 0;
    return descriptor;
}

std::string layerName(int index, const LayerEntry& entry)
{
    return "layer " + std::to_string(index + 1) + " ('" + entry.objPath + "')";
}

} // namespace

GenerationResult generateLevel(const LevelProject& project, const std::string& outputPath,
                               const GenerationOptions& options)
{
    GenerationResult result;
    const LevelSettings& s = project.settings;
    LevelFileWriter writer;
    auto fail = [&](const std::string& reason) {
        result.status = Status::failure(reason);
        result.warnings = writer.warnings();
        return result;
    };

    if (!writer.open(outputPath, headerFor(project)))
        return fail(writer.lastError());

    const std::array<float, 6> start = parseNumbers6(s.startPosition);
    const std::array<float, 3> background = parseNumbers3(s.backgroundColor);
    bool ok = writer.writeFloat(static_cast<float>(leadingNumber(s.framesLR)))
        && writer.writeInteger(kTargetCountKey.index, project.targets.count())
        && writer.writeVector(kStartPositionKey.group, kStartPositionKey.index, start[0], start[1], start[2])
        && writer.writeVector(kStartRotationKey.group, kStartRotationKey.index, start[3], start[4], start[5])
        && writer.writeVector(kBackgroundColorKey.group, kBackgroundColorKey.index, background[0],
                              background[1], background[2]);
    for (int i = 0; ok && i < project.targets.count(); ++i) {
        const TargetEntry& target = project.targets.at(i);
        const auto n = static_cast<std::uint16_t>(i + 1);
        ok = writer.writeInteger(n, target.kind) && writer.writeVector(kTargetGroup, n, target.x, target.y, target.z);
    }
    if (!ok)
        return fail(writer.lastError());

    const int layerCount = project.layers.count();
    for (int i = 0; i < layerCount; ++i) {
        const LayerEntry& entry = project.layers.at(i);
        if (options.progress)
            options.progress(i, layerCount);
        LayerDescriptor descriptor = descriptorFor(entry);
        // A layer that is not drawn has no texture; its BMP is never opened.
        std::optional<std::string> texture;
        if (entry.draw != 0)
            texture = resolvePath(entry.bmpPath, options.baseFolder);
        if (Status loaded = loadTextureSet(texture, descriptor); !loaded)
            return fail(layerName(i, entry) + ": " + loaded.reason());
        if (!writer.writeLayer(resolvePath(entry.objPath, options.baseFolder), descriptor))
            return fail(layerName(i, entry) + ": " + writer.lastError());
    }

    result.triangles = writer.trianglesWritten();
    result.bytes = writer.bytesWritten();
    if (!writer.close())
        return fail(writer.lastError());
    result.warnings = writer.warnings();
    return result;
}

} // namespace kes
