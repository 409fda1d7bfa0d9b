// The files that generating a level reads.
#pragma once

#include <string>
#include <vector>

#include "model/level_model.h"

namespace kes {

enum class InputKind {
    Mesh,    // an OBJ file: a layer's mesh, or one numbered frame of an animation
    Texture, // the BMP texture of a drawn layer
};

struct LevelInput {
    int layer = 0;        // 0-based index of the layer in the table
    InputKind kind = InputKind::Mesh;
    std::string path;     // as generation opens it: relative paths taken from the base folder
};

// "mesh file" or "texture file", for messages.
const char* inputKindName(InputKind kind);

// Every file that generating `project` reads, in the order generation reads
// them: per layer its texture (drawn layers only), then its mesh or the
// numbered mesh of each animation frame. Relative paths are taken from
// `baseFolder` (the project's folder) unless it is empty, and a path that
// names no file is relinked to the file of the same name in that folder, as
// generation does (see planLayer). A layer without a mesh path, or a drawn
// layer without a texture path, lists nothing for it. A file used by several
// layers is listed for each.
std::vector<LevelInput> levelInputs(const LevelProject& project, const std::string& baseFolder);

// The paths of `inputs`, each file once (however its path is written), in
// the order they first occur.
std::vector<std::string> uniqueInputPaths(const std::vector<LevelInput>& inputs);

} // namespace kes
