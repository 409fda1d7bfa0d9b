#include "generate/layer_files.h"

#include "levelfile/layer_descriptor.h"
#include "levelfile/level_format.h"

namespace kes {

std::uint16_t meshFrameCount(const LayerEntry& entry)
{
    const auto kind = static_cast<std::uint16_t>(static_cast<std::uint32_t>(entry.kind) & 0xFFFF);
    return isAnimatedLayerKind(layerKindOf(kind)) ? static_cast<std::uint16_t>(static_cast<std::uint32_t>(entry.frames) & 0xFFFF)
                                     : std::uint16_t{1};
}

LocatedFile locateLayerMesh(const LayerEntry& entry, const std::string& projectFolder)
{
    const std::uint16_t frames = meshFrameCount(entry);
    return locateStoredFile(entry.objPath, projectFolder,
                            [frames](const std::string& path) { return fileExists(frameMeshPath(path, frames, 1)); });
}

LocatedFile locateLayerTexture(const LayerEntry& entry, const std::string& projectFolder)
{
    return locateStoredFile(entry.bmpPath, projectFolder);
}

std::vector<RelinkedPath> relinkLayerPaths(LayerTable& layers, const std::string& projectFolder)
{
    std::vector<RelinkedPath> relinked;
    if (projectFolder.empty())
        return relinked;
    for (int i = 0; i < layers.count(); ++i) {
        LayerEntry& entry = layers.at(i);
        const LocatedFile mesh = locateLayerMesh(entry, projectFolder);
        const LocatedFile texture = locateLayerTexture(entry, projectFolder);
        if (mesh.relinked) {
            const std::string stored = portablePath(mesh.path, projectFolder);
            relinked.push_back({i, false, entry.objPath, stored});
            entry.objPath = stored;
        }
        if (texture.relinked) {
            const std::string stored = portablePath(texture.path, projectFolder);
            relinked.push_back({i, true, entry.bmpPath, stored});
            entry.bmpPath = stored;
        }
    }
    return relinked;
}

} // namespace kes
