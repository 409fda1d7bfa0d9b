// A level file turned back into a project: the project, one OBJ file per
// mesh frame and one BMP file per texture, and what generating that project
// would write differently from the level file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/level_model.h"
#include "model/status.h"

namespace kes {

struct ExtractedFile {
    std::string name;                // file name, relative to the project's folder
    std::vector<std::uint8_t> bytes;
};

struct LevelExtraction {
    LevelProject project;
    // The project file first ("NAME.kgp"), then per layer its texture and its
    // mesh files. The project names the other files by these names.
    std::vector<ExtractedFile> files;
    // One line per item that generating the project would write differently
    // from the level file, saying what and why; empty when generation gives
    // the level file back byte for byte.
    std::vector<std::string> warnings;
};

// Decodes the level file in `bytes` and turns it into a project named
// `name` + ".kgp" whose layers name "layer01.obj", "layer01.bmp", ... (the
// numbered frame files of an animation are named by the rule generation reads
// them with: "layer01_000001.obj", ...). Numbers are kept exactly: settings
// texts hold the shortest text of each float, meshes the shortest text of
// each coordinate, textures their rows in the order the level holds them.
// Fails only when `bytes` is not a valid level file (the reason has the byte
// offset). Everything a project cannot express becomes a warning. The layers
// are turned into files on up to `threads` threads at once; the files and
// warnings are the same, in the same order, for any number of threads.
Status extractLevel(std::span<const std::uint8_t> bytes, const std::string& name, LevelExtraction& extraction,
                    int threads = 1);

// The level file that generating the extracted project gives, made in memory
// from the project file and the other files of `extraction` as generateLevel
// would write it (with the project read back from its bytes first). Fails
// when a file the project names is not among them or cannot be read.
Status regenerateInMemory(const LevelExtraction& extraction, std::vector<std::uint8_t>& level);

} // namespace kes
