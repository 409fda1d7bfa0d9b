#include "level_inputs.h"

#include <stdexcept>

#include "levelfile/layer_descriptor.h"
#include "levelfile/level_format.h"
#include "model/file_io.h"
#include "model/project_file.h"

namespace kes::bench {
namespace {

std::string resolve(const std::string& path, const std::string& baseFolder)
{
    std::filesystem::path stored = pathFromUtf8(path);
    return stored.is_absolute() ? path : pathToUtf8(pathFromUtf8(baseFolder) / stored);
}

} // namespace

LevelInputs listLevelInputs(const std::string& projectPath)
{
    LevelInputs inputs;
    if (Status loaded = loadProject(projectPath, inputs.project); !loaded)
        throw std::runtime_error(loaded.reason());
    inputs.baseFolder = pathToUtf8(pathFromUtf8(projectPath).parent_path());
    for (int i = 0; i < inputs.project.layers.count(); ++i) {
        const LayerEntry& entry = inputs.project.layers.at(i);
        const auto kind = static_cast<std::uint16_t>(entry.kind);
        const std::uint16_t frames = isAnimatedLayerKind(layerKindOf(kind)) ? static_cast<std::uint16_t>(entry.frames) : 1;
        const std::string objPath = resolve(entry.objPath, inputs.baseFolder);
        for (int f = 1; f <= frames; ++f)
            inputs.meshPaths.push_back(frameMeshPath(objPath, frames, f));
        if (entry.draw != 0)
            inputs.texturePaths.push_back(resolve(entry.bmpPath, inputs.baseFolder));
    }
    return inputs;
}

} // namespace kes::bench
