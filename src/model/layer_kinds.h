// What each layer kind uses of a layer's fields, and which kinds are
// animations: the one place that says it, for the editor's form, the preview
// and the level file.
#pragma once

#include <array>
#include <cstdint>

#include "model/level_model.h"

namespace kes {

// The motion fields that a layer kind uses. A used field is enabled in the
// form and must hold a valid value before the layer can be added: Speed and
// Vibration Width three numbers, Trigger Area six numbers, Frames till
// reset/stop a non-zero integer. A field a kind doesn't use is stored as 0.
struct LayerKindFields {
    bool speed = false;
    bool framesTillReset = false;
    bool vibration = false;
    bool triggerArea = false;
};

// The fields of `kind` (0 to 5); none for any other value.
constexpr LayerKindFields fieldsUsedBy(std::int32_t kind)
{
    constexpr std::array<LayerKindFields, kLayerKindCount> fieldsOfKind = {{
        //  speed  frames vibration trigger
        {false, false, false, false}, // Static
        {true, true, false, false},   // Moving
        {true, false, true, false},   // Vibrating
        {true, true, false, true},    // Trigger
        {false, true, false, false},  // Animated
        {false, true, false, true},   // Animated-Trigger
    }};
    return kind >= 0 && kind < kLayerKindCount ? fieldsOfKind[static_cast<std::size_t>(kind)] : LayerKindFields{};
}

// True for the two animated kinds, whose layers have a mesh file per frame
// (and whose layer chunks store a frame count and that many frames); every
// other kind has exactly one frame.
constexpr bool isAnimatedLayerKind(LayerKind kind)
{
    return kind == LayerKind::Animated || kind == LayerKind::AnimatedTrigger;
}
constexpr bool isAnimatedLayerKind(std::int32_t kind)
{
    return isAnimatedLayerKind(static_cast<LayerKind>(kind));
}

// True for the kinds that move by their Speed for "Frames till reset/stop"
// frames (Moving, Trigger).
constexpr bool movesBySpeed(std::int32_t kind)
{
    const LayerKindFields used = fieldsUsedBy(kind);
    return used.speed && used.framesTillReset;
}

} // namespace kes
