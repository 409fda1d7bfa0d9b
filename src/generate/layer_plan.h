// What generation needs of one layer entry: its descriptor and its input
// files, with relative paths resolved and missing ones relinked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "assets/reader_warning.h"
#include "levelfile/layer_descriptor.h"
#include "model/level_model.h"

namespace kes {

struct LayerPlan {
    // "layer 3 ('rock.obj')": how messages name the layer.
    std::string name;
    // Every field but the textures, with frameCount as the file stores it
    // (1 unless the kind is animated).
    LayerDescriptor descriptor;
    // The mesh; numbered frame files are named after it (see frameMeshPath).
    std::string objPath;
    // The texture of a drawn layer; none for a layer that is not drawn, whose
    // texture file is never opened.
    std::optional<std::string> texturePath;
    // One warning per stored path that names no file and was replaced by the
    // file of the same name in the project's folder.
    std::vector<ReaderWarning> relinks;
};

// The plan of entry `index` (0-based) of the layer table. Relative paths are
// taken from `baseFolder` unless it is empty; a path that names no file is
// relinked (see locateLayerMesh) when `baseFolder` holds a file of its name.
LayerPlan planLayer(int index, const LayerEntry& entry, const std::string& baseFolder);

} // namespace kes
