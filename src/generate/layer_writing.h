// Writing the layer chunks of a level: the parts of every layer (textures
// compressed, mesh frames read and encoded) are made on worker threads, or on
// the calling thread when there are none, and written in table order.
#pragma once

#include <atomic>
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

// Writes one layer chunk per plan, in order, with `writer`. With `threads`
// of 1 every part is made on the calling thread just before it is needed;
// with more, that many worker threads make the parts a few ahead of the one
// being written, each frame read into memory once. The bytes, the result,
// the progress calls and the warnings are the same either way. Stops at the
// first failure and returns its reason, prefixed with the layer's name. What
// the OBJ reader worked around is appended to `warnings`, up to the failure.
// When `cancel` is given and set, stops before the next part and fails with
// kGenerationCancelled (generate/generate_level.h), without a layer's name.
[[nodiscard]] Status writeLayers(LevelFileWriter& writer, const std::vector<LayerPlan>& layers, int threads,
                                 const LayerProgress& progress, std::vector<ReaderWarning>& warnings,
                                 const std::atomic<bool>* cancel = nullptr);

} // namespace kes
