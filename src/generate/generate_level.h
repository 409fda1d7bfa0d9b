// Level generation: one level description in, one complete level file out.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "assets/reader_warning.h"
#include "model/level_model.h"
#include "model/status.h"

namespace kes {

struct GenerationOptions {
    // Relative OBJ and BMP paths are resolved against this folder (the folder
    // of the project file). Empty: the current folder.
    std::string baseFolder;
    // Called before each layer is written with the layer's 0-based index and
    // the number of layers, in layer order, always on the calling thread. May
    // be empty.
    std::function<void(int layer, int layerCount)> progress;
    // How many worker threads read meshes and textures and compress the
    // textures while the calling thread writes the layers in table order.
    // 1: everything happens on the calling thread. 0: one per processor
    // core, at most kMaxGenerationThreads. The level file's bytes, the
    // result and the order of the progress calls do not depend on it.
    int threads = 0;
    // When given and set (from any thread), generation stops before the next
    // part of a layer it would make or write, and fails with
    // kGenerationCancelled; the file at the output path stays as it was.
    const std::atomic<bool>* cancel = nullptr;
};

// The reason of a generation that was cancelled.
inline constexpr char kGenerationCancelled[] = "generation cancelled";

// The most worker threads that threads = 0 chooses.
inline constexpr int kMaxGenerationThreads = 8;

// The number of worker threads that `options` asks for (see
// GenerationOptions::threads): at least 1.
int generationThreadCount(const GenerationOptions& options);

struct GenerationResult {
    Status status = Status::success();
    std::vector<ReaderWarning> warnings; // what the readers worked around
    std::uint64_t triangles = 0;         // triangles written, all frames
    std::uint64_t bytes = 0;             // size of the level file
    bool cancelled = false;              // stopped through GenerationOptions::cancel
};

// Writes the level described by `project` to `outputPath`. On failure the
// status says which layer and file, and why; the file at `outputPath` is then
// as it was before (no partial level is left there).
GenerationResult generateLevel(const LevelProject& project, const std::string& outputPath,
                               const GenerationOptions& options = {});

} // namespace kes
