// Writing the layer chunks of a level, one after the other on the calling
// thread, or prepared on worker threads and written in order.
#pragma once

#include <functional>
#include <vector>

#include "assets/reader_warning.h"
#include "generate/layer_plan.h"
#include "levelfile/level_writer.h"
#include "model/status.h"

namespace kes {

// Called with a layer's 0-based index and the number of layers before the
// layer is written.
using LayerProgress = std::function<void(int layer, int layerCount)>;

// Writes one layer chunk per plan, in order, with `writer`: for each layer
// its texture is read, then writeLayer reads its meshes and compresses the
// texture. Stops at the first failure and returns its reason, prefixed with
// the layer's name. What the OBJ reader worked around is appended to
// `warnings`, up to the failure.
Status writeLayersInTurn(LevelFileWriter& writer, const std::vector<LayerPlan>& layers, const LayerProgress& progress,
                         std::vector<ReaderWarning>& warnings);

// Writes the same bytes and gives the same result, progress calls and
// warnings as writeLayersInTurn, but `threads` worker threads read the
// meshes and the textures and encode and compress them, a few parts ahead,
// while the calling thread writes the parts in file order. A frame or texture
// is held at most a few parts ahead of the one being written, and each frame
// is read into memory once, as in writeLayersInTurn.
Status writeLayersInParallel(LevelFileWriter& writer, const std::vector<LayerPlan>& layers, int threads,
                             const LayerProgress& progress, std::vector<ReaderWarning>& warnings);

} // namespace kes
