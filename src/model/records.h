// The stored layouts of LayerEntry (560 bytes) and TargetEntry (16 bytes), as
// they stand in project files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/level_model.h"

namespace kes {

inline constexpr std::size_t kLayerRecordSize = 560;
inline constexpr std::size_t kTargetRecordSize = 16;
// Size of the stored text fields (and of the two paths of a layer record).
inline constexpr std::size_t kTextFieldSize = 250;

// Writes the 560-byte record of `entry` to out[0..559]. Paths longer than 249
// bytes are cut; the bytes after each NUL and the two reserved bytes are 0.
void encodeLayerRecord(const LayerEntry& entry, std::uint8_t* out);
// Reads a 560-byte record.
LayerEntry decodeLayerRecord(const std::uint8_t* in);

// Writes the 16-byte record of `entry` to out[0..15].
void encodeTargetRecord(const TargetEntry& entry, std::uint8_t* out);
// Reads a 16-byte record.
TargetEntry decodeTargetRecord(const std::uint8_t* in);

} // namespace kes
