#include "check/level_inputs.h"

#include <filesystem>
#include <set>

#include "generate/layer_plan.h"
#include "levelfile/layer_descriptor.h"
#include "model/file_io.h"

namespace kes {

const char* inputKindName(InputKind kind)
{
    return kind == InputKind::Mesh ? "mesh file" : "texture file";
}

std::vector<LevelInput> levelInputs(const LevelProject& project, const std::string& baseFolder)
{
    std::vector<LevelInput> inputs;
    for (int i = 0; i < project.layers.count(); ++i) {
        const LayerEntry& entry = project.layers.at(i);
        const LayerPlan plan = planLayer(i, entry, baseFolder);
        if (plan.texturePath && !entry.bmpPath.empty())
            inputs.push_back({i, InputKind::Texture, *plan.texturePath});
        if (entry.objPath.empty())
            continue;
        const std::uint16_t frames = plan.descriptor.frameCount;
        for (int frame = 1; frame <= frames; ++frame)
            inputs.push_back({i, InputKind::Mesh, frameMeshPath(plan.objPath, frames, frame)});
    }
    return inputs;
}

std::vector<std::string> uniqueInputPaths(const std::vector<LevelInput>& inputs)
{
    std::vector<std::string> paths;
    // The same file named two ways ("sub/x.obj" and "sub\x.obj" on
    // Windows, "./x.obj" and "x.obj") is listed once, as first named. A path
    // through ".." is kept as it is: the folder before it may be a link.
    std::set<std::filesystem::path> seen;
    for (const LevelInput& input : inputs) {
        std::filesystem::path key = pathFromUtf8(input.path);
        bool throughParent = false;
        for (const std::filesystem::path& part : key)
            throughParent = throughParent || part == "..";
        key = throughParent ? key.make_preferred() : key.lexically_normal();
        if (seen.insert(key).second)
            paths.push_back(input.path);
    }
    return paths;
}

} // namespace kes
