// The input files of a layer entry: its stored paths resolved against the
// project's folder and, where they name no file, relinked to the file of the
// same name in that folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/level_model.h"
#include "model/stored_path.h"

namespace kes {

// The number of mesh frames a layer has in the level file: its frames for an
// animated kind (low 16 bits), 1 for any other.
std::uint16_t meshFrameCount(const LayerEntry& entry);

// The layer's mesh. For an animation of several frames the path is the base
// of its numbered frame files, and it counts as there when its first frame
// file is: the frames relink as one.
LocatedFile locateLayerMesh(const LayerEntry& entry, const std::string& projectFolder);

// The layer's texture file (whether or not the layer is drawn).
LocatedFile locateLayerTexture(const LayerEntry& entry, const std::string& projectFolder);

// One stored path that Relink rewrote.
struct RelinkedPath {
    int layer = 0;       // 0-based
    bool texture = false; // the BMP path; otherwise the OBJ path
    std::string stored;  // the text before
    std::string relinked; // the text after: the found file, relative to the project's folder
};

// Rewrites every mesh and texture path of `layers` that names no file but
// whose file name is found in `projectFolder` (see locateLayerMesh) to that
// file, stored relative to the folder. Returns what it rewrote, in layer
// order; nothing changes when `projectFolder` is empty.
std::vector<RelinkedPath> relinkLayerPaths(LayerTable& layers, const std::string& projectFolder);

} // namespace kes
