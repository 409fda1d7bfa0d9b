// Whether a level may be written to a path without destroying what it is
// made from.
#pragma once

#include <string>
#include <vector>

#include "check/level_inputs.h"
#include "model/status.h"

namespace kes {

// Fails, with a reason naming the path, when `outputPath` is empty, is the
// same file as the project file `projectPath` (may be empty when there is
// none) or any of `inputs`, or is an existing file that is read-only. Files
// are compared by identity, not by name: links, "..", and other names of
// the same file count as the same file.
Status checkOutputTarget(const std::string& outputPath, const std::string& projectPath,
                         const std::vector<LevelInput>& inputs);

} // namespace kes
