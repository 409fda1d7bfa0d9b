// A large synthetic level for the benchmarks: heightfield meshes written the
// way modelling tools export them, photo-like textures, and the project file
// that ties them together.
#pragma once

#include <cstdint>
#include <string>

namespace kes::bench {

// What the synthetic level holds. The defaults give 32 layers of about three
// million triangles in all: one animated layer, one large layer and many
// medium ones, each drawn with its own texture.
struct SyntheticLevelPlan {
    int animatedFrames = 50;       // frames of the animated layer (layer 1)
    int animatedGrid = 100;        // its grid of quads per side: 2 x 100 x 100 triangles a frame
    int largeGrid = 500;           // layer 2: 2 x 500 x 500 triangles
    int mediumLayers = 30;         // layers 3 and on
    int mediumGrid = 158;          // 2 x 158 x 158 triangles each
    int textureSide = 1024;        // every texture is textureSide x textureSide pixels
};

// What was written.
struct SyntheticLevel {
    std::string projectPath;       // the project file; its paths are relative to its folder
    std::string largestObjPath;    // the mesh of the large layer
    int layers = 0;
    std::uint64_t triangles = 0;   // all layers and frames
    std::uint64_t objBytes = 0;    // all OBJ files
    std::uint64_t bmpBytes = 0;    // all BMP files
};

// Writes the level described by `plan` into `folder` (created when missing):
// level.kgp, meshes/ and textures/. Files are made from fixed seeds, so two
// runs give the same bytes. Throws std::runtime_error when a file cannot be
// written.
SyntheticLevel makeSyntheticLevel(const std::string& folder, const SyntheticLevelPlan& plan = {});

// Writes a level of one static, undrawn layer into `folder`: one.kgp and
// meshes/one.obj, a heightfield of 2 x grid x grid triangles with texture
// coordinates and normals (the default gives 800 thousand triangles in about
// 84 MB of OBJ text).
SyntheticLevel makeOneMeshLevel(const std::string& folder, int grid = 632);

} // namespace kes::bench
