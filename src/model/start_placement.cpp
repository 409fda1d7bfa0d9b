#include "model/start_placement.h"

#include "model/number_text.h"

namespace kes {

StartPlacement startPlacementOf(const LevelSettings& settings)
{
    const std::array<float, 6> numbers = parseNumbers6(settings.startPosition);
    return {{numbers[0], numbers[1], numbers[2]}, {numbers[3], numbers[4], numbers[5]}};
}

} // namespace kes
