#include "model/level_model.h"

namespace kes {
namespace {

// typed position -> stored element: x1->0, x2->3, y1->4, y2->1, z1->5, z2->2.
constexpr std::array<int, 6> kElementOfTypedValue = {0, 3, 4, 1, 5, 2};

} // namespace

std::string_view layerKindName(std::int32_t kind)
{
    static constexpr std::string_view names[kLayerKindCount] = {
        "Static", "Moving", "Vibrating", "Trigger", "Animated", "Animated-Trigger"};
    if (kind < 0 || kind >= kLayerKindCount)
        return {};
    return names[kind];
}

std::string_view targetKindName(std::int32_t kind)
{
    static constexpr std::string_view names[kTargetKindCount] = {
        "Green: Level's target (Collision causes win)",
        "Red: Brake down (Collision resets velocity)"};
    if (kind < 0 || kind >= kTargetKindCount)
        return {};
    return names[kind];
}

TriggerArea triggerAreaFromTypedOrder(const std::array<float, 6>& typed)
{
    TriggerArea stored{};
    for (std::size_t i = 0; i < 6; ++i)
        stored[static_cast<std::size_t>(kElementOfTypedValue[i])] = typed[i];
    return stored;
}

std::array<float, 6> triggerAreaToTypedOrder(const TriggerArea& stored)
{
    std::array<float, 6> typed{};
    for (std::size_t i = 0; i < 6; ++i)
        typed[i] = stored[static_cast<std::size_t>(kElementOfTypedValue[i])];
    return typed;
}

} // namespace kes
