// The start of a level as its settings' text gives it: where the player
// starts and how the player is turned there. The one place that splits the
// six numbers, for generation, the preview and the checks.
#pragma once

#include <array>

#include "model/level_model.h"

namespace kes {

struct StartPlacement {
    std::array<float, 3> position{};
    std::array<float, 3> rotation{}; // about x, y and z, as typed (the preview takes degrees)
};

// From the start position text: the first three numbers, then the next
// three; numbers that don't parse are 0 (as the level file gets them).
StartPlacement startPlacementOf(const LevelSettings& settings);

} // namespace kes
