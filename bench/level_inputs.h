// The input files that generating a level reads, in the order it reads them.
#pragma once

#include <string>
#include <vector>

#include "model/level_model.h"

namespace kes::bench {

struct LevelInputs {
    LevelProject project;
    std::string baseFolder;                // the project file's folder
    std::vector<std::string> meshPaths;    // every frame of every layer, in table order
    std::vector<std::string> texturePaths; // the texture of every drawn layer, in table order
};

// Loads the project at `projectPath` and lists its inputs as generation
// resolves them. Throws std::runtime_error when the project cannot be read.
LevelInputs listLevelInputs(const std::string& projectPath);

} // namespace kes::bench
