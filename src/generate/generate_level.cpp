#include "generate/generate_level.h"

#include <algorithm>
#include <thread>

#include "generate/layer_plan.h"
#include "generate/layer_writing.h"
#include "levelfile/level_format.h"
#include "levelfile/level_writer.h"
#include "model/number_text.h"
#include "model/start_placement.h"

namespace kes {
namespace {

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

// The keyed value chunks: frames to use L/R, the target count, the start
// position and rotation, the background colour, then each target's kind and
// position.
Status writeSettingsAndTargets(LevelFileWriter& writer, const LevelProject& project)
{
    const LevelSettings& s = project.settings;
    const StartPlacement start = startPlacementOf(s);
    const std::array<float, 3> background = parseNumbers3(s.backgroundColor);
    Status status = writer.writeFloat(static_cast<float>(leadingNumber(s.framesLR)));
    if (status)
        status = writer.writeInteger(kTargetCountKey.index, project.targets.count());
    if (status)
        status = writer.writeVector(kStartPositionKey.group, kStartPositionKey.index, start.position[0], start.position[1],
                                    start.position[2]);
    if (status)
        status = writer.writeVector(kStartRotationKey.group, kStartRotationKey.index, start.rotation[0], start.rotation[1],
                                    start.rotation[2]);
    if (status)
        status = writer.writeVector(kBackgroundColorKey.group, kBackgroundColorKey.index, background[0],
                                    background[1], background[2]);
    for (int i = 0; status && i < project.targets.count(); ++i) {
        const TargetEntry& target = project.targets.at(i);
        const auto n = static_cast<std::uint16_t>(i + 1);
        status = writer.writeInteger(n, target.kind);
        if (status)
            status = writer.writeVector(kTargetGroup, n, target.x, target.y, target.z);
    }
    return status;
}

} // namespace

int generationThreadCount(const GenerationOptions& options)
{
    if (options.threads > 0)
        return options.threads;
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMaxGenerationThreads);
}

GenerationResult generateLevel(const LevelProject& project, const std::string& outputPath,
                               const GenerationOptions& options)
{
    GenerationResult result;
    LevelFileWriter writer;
    result.status = writer.open(outputPath, headerFor(project));
    if (result.status)
        result.status = writeSettingsAndTargets(writer, project);
    if (!result.status)
        return result;

    std::vector<LayerPlan> layers;
    for (int i = 0; i < project.layers.count(); ++i) {
        layers.push_back(planLayer(i, project.layers.at(i), options.baseFolder));
        result.warnings.insert(result.warnings.end(), layers.back().relinks.begin(), layers.back().relinks.end());
    }
    const int threads = generationThreadCount(options);
    result.status = writeLayers(writer, layers, threads, options.progress, result.warnings, options.cancel);
    if (!result.status) {
        result.cancelled = result.status.reason() == kGenerationCancelled;
        return result;
    }

    result.triangles = writer.trianglesWritten();
    result.bytes = writer.bytesWritten();
    result.status = writer.close();
    return result;
}

} // namespace kes
