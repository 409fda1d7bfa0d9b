#include "generate/layer_plan.h"

#include <filesystem>

#include "levelfile/level_format.h"
#include "model/file_io.h"

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

} // namespace

LayerPlan planLayer(int index, const LayerEntry& entry, const std::string& baseFolder)
{
    LayerPlan plan;
    plan.name = "layer " + std::to_string(index + 1) + " ('" + entry.objPath + "')";
    LayerDescriptor& d = plan.descriptor;
    d.kind = layerKindOf(low16(entry.kind));
    d.speed = entry.speed;
    d.frames = static_cast<float>(entry.frames);
    d.vibration = entry.vibration;
    d.triggerArea = entry.triggerArea;
    d.frameCount = isAnimatedLayerKind(d.kind) ? low16(entry.frames) : 1;
    d.collision = entry.collision;
    d.draw = entry.draw;
    d.normals = 0;
    plan.objPath = resolvePath(entry.objPath, baseFolder);
    if (entry.draw != 0)
        plan.texturePath = resolvePath(entry.bmpPath, baseFolder);
    return plan;
}

} // namespace kes
