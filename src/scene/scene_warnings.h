// Where a scene's reader warnings are: gathered by layer and mesh file, so
// that a short list can name each file with its count.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "assets/reader_warning.h"
#include "scene/scene.h"

namespace kes {

struct FileWarnings {
    int layer = 0;         // 0-based index of the layer that reads the file
    std::string file;      // the mesh file's path as the reader was given it
    std::size_t count = 0; // its warnings, at least 1
    ReaderWarning first;   // the first of them
};

// One entry for each layer and mesh file with warnings, in layer order and,
// within an animated layer, in frame order. A file that two layers read is
// named for each.
std::vector<FileWarnings> warningsByFile(const Scene& scene);

} // namespace kes
