// The level as the designer edits it: its settings, the table of layers and the
// table of targets.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kes {

// Layer kinds; the value is the row of the kind in the editor's kind list.
enum class LayerKind : std::int32_t {
    Static = 0,
    Moving = 1,
    Vibrating = 2,
    Trigger = 3,
    Animated = 4,
    AnimatedTrigger = 5,
};
inline constexpr int kLayerKindCount = 6;

// Target kinds; the value is the row of the kind in the editor's kind list.
enum class TargetKind : std::int32_t {
    Goal = 0,
    Brake = 1,
};
inline constexpr int kTargetKindCount = 2;

// "Static", ..., "Animated-Trigger"; empty for a value outside 0 to 5.
std::string_view layerKindName(std::int32_t kind);
// "Green: Level's target (Collision causes win)" or
// "Red: Brake down (Collision resets velocity)"; empty for other values.
std::string_view targetKindName(std::int32_t kind);

// The level's metadata and basics, as the texts the designer typed (each at
// most 249 bytes).
struct LevelSettings {
    std::string title = "Level";
    std::string author = "You";
    std::string versionMajor = "1";
    std::string versionMinor = "0";
    std::string framesLR = "0";
    std::string startPosition = "0.0000,0.0000,0.0000,0.0,0.0,0.0";
    std::string backgroundColor = "0.0000,0.0000,0.0000";

    bool operator==(const LevelSettings&) const = default;
};

// The trigger area is typed as x1,x2,y1,y2,z1,z2 but stored (in project files
// and level files) in the element order x1,y2,z2,x2,y1,z1.
using TriggerArea = std::array<float, 6>;
// Stored element order from the six values in the order they are typed.
TriggerArea triggerAreaFromTypedOrder(const std::array<float, 6>& typed);
// The six values in the order they are typed from the stored element order.
std::array<float, 6> triggerAreaToTypedOrder(const TriggerArea& stored);

// One layer. A new entry is cleared: empty paths, all numbers 0, Static.
struct LayerEntry {
    std::string objPath;            // at most 249 bytes
    std::string bmpPath;            // at most 249 bytes
    std::array<float, 3> speed{};
    std::array<float, 3> vibration{};
    TriggerArea triggerArea{};      // stored element order
    std::int32_t kind = 0;          // LayerKind; other values may come from a file
    std::int32_t frames = 0;        // frames till reset/stop; animation frame count
    std::uint8_t draw = 0;          // 1: drawn and textured
    std::uint8_t collision = 0;     // 1: collides

    bool operator==(const LayerEntry&) const = default;
};

// One target.
struct TargetEntry {
    float x = 0;
    float y = 0;
    float z = 0;
    std::int32_t kind = 0;          // TargetKind; other values may come from a file

    bool operator==(const TargetEntry&) const = default;
};

inline constexpr int kTableCapacity = 32;

// A table of at most 32 entries kept in the order they were added.
template <typename Entry>
class FixedTable {
public:
    int count() const { return count_; }
    // The entry in slot i, for 0 <= i < count().
    const Entry& at(int i) const { return slots_[static_cast<std::size_t>(i)]; }
    Entry& at(int i) { return slots_[static_cast<std::size_t>(i)]; }

    // Stores the entry at the end; false, and nothing changes, when full.
    bool append(const Entry& entry)
    {
        if (count_ >= kTableCapacity)
            return false;
        slots_[static_cast<std::size_t>(count_++)] = entry;
        return true;
    }

    // Removes entry i (0 <= i < count()); later entries move down one place.
    // An index outside the table is ignored.
    void removeAt(int i)
    {
        if (i < 0 || i >= count_)
            return;
        for (int j = i; j + 1 < count_; ++j)
            slots_[static_cast<std::size_t>(j)] = slots_[static_cast<std::size_t>(j + 1)];
        --count_;
    }

    void clear() { count_ = 0; }

    bool operator==(const FixedTable& other) const
    {
        if (count_ != other.count_)
            return false;
        for (int i = 0; i < count_; ++i)
            if (!(at(i) == other.at(i)))
                return false;
        return true;
    }

private:
    std::array<Entry, kTableCapacity> slots_{};
    int count_ = 0;
};

using LayerTable = FixedTable<LayerEntry>;
using TargetTable = FixedTable<TargetEntry>;

// One whole level description: what a project file holds.
struct LevelProject {
    LevelSettings settings;
    LayerTable layers;
    TargetTable targets;

    bool operator==(const LevelProject&) const = default;
};

} // namespace kes
