// Rows of a project's layer table, as the tests of generation and of the
// preview's scene make them.
#pragma once

#include <cstdint>
#include <string>

#include "model/level_model.h"

namespace kes::test {

// A layer of `kind` that collides, with the mesh `obj`; drawn with the
// texture `bmp` when one is named; `frames` frames for an animation.
inline LayerEntry layerEntry(const std::string& obj, LayerKind kind, const std::string& bmp = {}, int frames = 0)
{
    LayerEntry entry;
    entry.objPath = obj;
    entry.bmpPath = bmp;
    entry.kind = static_cast<std::int32_t>(kind);
    entry.frames = frames;
    entry.draw = bmp.empty() ? 0 : 1;
    entry.collision = 1;
    return entry;
}

// A static layer drawn with the texture `bmp`.
inline LayerEntry drawnLayer(const std::string& obj, const std::string& bmp)
{
    return layerEntry(obj, LayerKind::Static, bmp);
}

} // namespace kes::test
