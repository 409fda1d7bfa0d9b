// One layer as the level file writer takes it, and the helpers that fill and
// check it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "levelfile/level_format.h"
#include "model/status.h"

namespace kes {

// One layer to be written. `kind` selects which motion parameters are written
// (see motionParameterSize). Texture slot t (t < textureCount) holds
// textureWidths[t] x textureHeights[t] pixels of three bytes (red, green,
// blue), rows without padding; an empty slot is an empty vector.
struct LayerDescriptor {
    LayerKind kind = LayerKind::Static;
    std::array<float, 3> speed{};
    float frames = 0;                   // frames till reset/stop
    std::array<float, 3> vibration{};
    std::array<float, 6> triggerArea{}; // stored element order x1, y2, z2, x2, y1, z1
    std::uint16_t frameCount = 1;       // mesh frames; forced to 1 unless animated
    std::uint16_t textureCount = 0;     // 0 to 3
    std::array<std::uint16_t, kMaxLayerTextures> textureWidths{};
    std::array<std::uint16_t, kMaxLayerTextures> textureHeights{};
    std::array<std::vector<std::uint8_t>, kMaxLayerTextures> texturePixels;
    std::uint8_t collision = 0;         // 0 or 1; any other value counts as 1
    std::uint8_t draw = 0;              // 0 or 1; any other value counts as 1
    std::uint8_t normals = 0;           // 1: triangles carry per-corner normals
};

// Fills the texture fields of `descriptor` (textureCount, textureWidths,
// textureHeights, texturePixels) and leaves every other field as it is.
// Without a path the layer gets no texture (textureCount 0). With a path, the
// BMP there is read into slot 0 and textureCount is 1; slots 1 and 2 stay
// empty. Fails, leaving the descriptor without textures, when the BMP cannot
// be read or is wider or higher than the 65535 pixels a level file can hold;
// the reason names the file.
Status loadTextureSet(const std::optional<std::string>& bmpPath, LayerDescriptor& descriptor);

// Checks that a descriptor can be written: at most three textures, and each
// texture's pixel array holds exactly width x height x 3 bytes.
Status checkLayerDescriptor(const LayerDescriptor& descriptor);

// The mesh file of frame `frame` (1-based) of a layer whose mesh is `objPath`.
// With one frame it is `objPath` itself. With more, it is `objPath` without
// its last four characters (normally ".obj"), an underscore, the frame number
// in six digits and ".obj": "wave.obj" gives "wave_000001.obj",
// "wave_000002.obj", ... A path of fewer than four characters is used whole
// before the suffix. Paths of any length work.
std::string frameMeshPath(const std::string& objPath, std::uint16_t frameCount, int frame);

} // namespace kes
