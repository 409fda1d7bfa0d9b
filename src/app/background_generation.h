// Level generation that leaves the user interface running: the level is
// written on a thread of its own while the calling thread's event loop goes
// on, so that windows repaint and timers fire.
#pragma once

#include <functional>
#include <string>

#include "generate/generate_level.h"

namespace kes::editor {

// Writes the level described by `project` to `outputPath` as
// kes::generateLevel does, with `options` (whose own progress callback is
// replaced), on a worker thread, and runs a local event loop on the calling
// thread until it has finished. `showProgress` is called on the calling
// thread, from that event loop, with each layer's 0-based index and the number
// of layers, in layer order; every call has been made before this function
// returns, and the worker goes on with a layer only once its call has
// returned. A generation is cancelled through options.cancel. The project and the path are copied before the worker starts.
// Returns the generation's result; an exception that leaves the generation is
// thrown again here, on the calling thread.
//
// The event loop processes every kind of event: keeping the user from
// starting something else meanwhile is the caller's job.
GenerationResult generateWhileEventsRun(const LevelProject& project, const std::string& outputPath,
                                        GenerationOptions options,
                                        const std::function<void(int layer, int layerCount)>& showProgress);

} // namespace kes::editor
