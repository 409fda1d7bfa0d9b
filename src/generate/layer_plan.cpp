#include "generate/layer_plan.h"

#include "generate/layer_files.h"
#include "levelfile/level_format.h"

namespace kes {
namespace {

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
    d.frameCount = meshFrameCount(entry);
    d.collision = entry.collision;
    d.draw = entry.draw;
    d.normals = 0;
    const LocatedFile mesh = locateLayerMesh(entry, baseFolder);
    plan.objPath = mesh.path;
    if (mesh.relinked)
        plan.relinks.push_back({entry.objPath, 0, "mesh file " + relinkedText(mesh.path)});
    if (entry.draw != 0) {
        const LocatedFile texture = locateLayerTexture(entry, baseFolder);
        plan.texturePath = texture.path;
        if (texture.relinked)
            plan.relinks.push_back({entry.bmpPath, 0, "texture file " + relinkedText(texture.path)});
    }
    return plan;
}

} // namespace kes
