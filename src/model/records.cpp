#include "model/records.h"

#include <algorithm>
#include <cstring>

#include "model/byte_order.h"
#include "model/number_text.h"

namespace kes {
namespace {

// Field offsets of the layer record.
constexpr std::size_t kObjPathAt = 0;
constexpr std::size_t kBmpPathAt = 250;
constexpr std::size_t kSpeedAt = 500;
constexpr std::size_t kVibrationAt = 512;
constexpr std::size_t kTriggerAreaAt = 524;
constexpr std::size_t kKindAt = 548;
constexpr std::size_t kFramesAt = 552;
constexpr std::size_t kDrawAt = 556;
constexpr std::size_t kCollisionAt = 557;

void putTextField(std::uint8_t* out, const std::string& text)
{
    std::string capped = capText(text);
    std::memset(out, 0, kTextFieldSize);
    std::memcpy(out, capped.data(), capped.size());
}

} // namespace

void encodeLayerRecord(const LayerEntry& entry, std::uint8_t* out)
{
    std::memset(out, 0, kLayerRecordSize);
    putTextField(out + kObjPathAt, entry.objPath);
    putTextField(out + kBmpPathAt, entry.bmpPath);
    for (std::size_t i = 0; i < 3; ++i) {
        putF32(out + kSpeedAt + 4 * i, entry.speed[i]);
        putF32(out + kVibrationAt + 4 * i, entry.vibration[i]);
    }
    for (std::size_t i = 0; i < 6; ++i)
        putF32(out + kTriggerAreaAt + 4 * i, entry.triggerArea[i]);
    putI32(out + kKindAt, entry.kind);
    putI32(out + kFramesAt, entry.frames);
    out[kDrawAt] = entry.draw;
    out[kCollisionAt] = entry.collision;
}

LayerEntry decodeLayerRecord(const std::uint8_t* in)
{
    LayerEntry entry;
    entry.objPath = textFromField(in + kObjPathAt, kTextFieldSize);
    entry.bmpPath = textFromField(in + kBmpPathAt, kTextFieldSize);
    for (std::size_t i = 0; i < 3; ++i) {
        entry.speed[i] = getF32(in + kSpeedAt + 4 * i);
        entry.vibration[i] = getF32(in + kVibrationAt + 4 * i);
    }
    for (std::size_t i = 0; i < 6; ++i)
        entry.triggerArea[i] = getF32(in + kTriggerAreaAt + 4 * i);
    entry.kind = getI32(in + kKindAt);
    entry.frames = getI32(in + kFramesAt);
    entry.draw = in[kDrawAt];
    entry.collision = in[kCollisionAt];
    return entry;
}

void encodeTargetRecord(const TargetEntry& entry, std::uint8_t* out)
{
    putF32(out + 0, entry.x);
    putF32(out + 4, entry.y);
    putF32(out + 8, entry.z);
    putI32(out + 12, entry.kind);
}

TargetEntry decodeTargetRecord(const std::uint8_t* in)
{
    TargetEntry entry;
    entry.x = getF32(in + 0);
    entry.y = getF32(in + 4);
    entry.z = getF32(in + 8);
    entry.kind = getI32(in + 12);
    return entry;
}

} // namespace kes
