// What the preview draws of a level: its meshes and textures as the readers
// deliver them, the start and target markers, and the boxes and arrows that
// show the layers' motion fields. Plain data, built by buildScene.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/obj_reader.h"
#include "assets/reader_warning.h"

namespace kes {

struct ScenePoint {
    float x = 0, y = 0, z = 0;
    bool operator==(const ScenePoint&) const = default;
};

// An axis-aligned box; empty until something is added.
struct SceneBox {
    ScenePoint min{};
    ScenePoint max{};
    bool empty = true;

    void add(const ScenePoint& p);
    void addBox(const SceneBox& box);
    ScenePoint centre() const;
    // The length of the diagonal; 0 for an empty box.
    float diagonal() const;
    // The box moved by `offset`.
    SceneBox moved(const ScenePoint& offset) const;
    bool operator==(const SceneBox&) const = default;
};

// One mesh file as the OBJ reader delivers it: its triangles in face order,
// each with its corners' positions and texture coordinates (the normals are
// not kept: the preview lights each face by its own slope).
struct SceneMeshFrame {
    std::vector<MeshFace> faces;
    // The corners within the coordinate limit (model/coordinate_limit.h);
    // the corners beyond it are only counted.
    SceneBox bounds;
    std::size_t cornersOutOfRange = 0;
    std::vector<ReaderWarning> warnings;
    std::size_t triangleCount() const { return faces.size(); }
};

// One texture as the BMP reader delivers it: width x height pixels of red,
// green, blue bytes, rows in the file's order (the bottom row first for an
// ordinary bitmap), which is the row order texture coordinates count from.
// A texture larger than the view can hold is shrunk for the view
// (texture_shrink.h); the file's size is kept beside it.
struct SceneTexture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;
    // The size in the file; the same as width x height unless shrunk.
    std::int32_t fileWidth = 0;
    std::int32_t fileHeight = 0;
    bool shrunk() const { return width != fileWidth || height != fileHeight; }
};

struct SceneLayer {
    // "layer 3 ('rock.obj')", as generation names it; for a draft, "the
    // layer in the form ('rock.obj'), not added".
    std::string name;
    // Typed into the form but not added to the level: drawn ghosted, never
    // picked.
    bool draft = false;
    std::int32_t kind = 0;   // LayerKind as stored; other values draw as Static
    bool draw = false;       // drawn and textured; otherwise collision-only
    bool collision = false;
    // The mesh frames in frame order (one unless the kind is animated). Empty
    // while loading, when a mesh could not be read, or for an animated layer
    // with no frames.
    std::vector<std::shared_ptr<const SceneMeshFrame>> frames;
    // The texture of a drawn layer; null when it is not drawn, not yet read,
    // or could not be read.
    std::shared_ptr<const SceneTexture> texture;
    // Some of its files are still being read.
    bool loading = false;
    // Every frame's bounds together; empty without frames.
    SceneBox bounds;
    // Corners of its frames beyond the coordinate limit, left out of bounds.
    std::size_t cornersOutOfRange = 0;

    // Moving and Trigger layers: how far the layer goes, speed x frames.
    bool hasDisplacement = false;
    ScenePoint displacement{};
    // Vibrating layers: the room the layer shakes in, its bounds grown by
    // the vibration width on every side.
    bool hasVibration = false;
    SceneBox vibrationBox;
    // What the motion playback reads (scene_motion.h): the speed per frame
    // (Moving, Vibrating and Trigger layers), "Frames till reset/stop"
    // (Moving and Trigger layers) and the vibration width, made positive
    // (Vibrating layers). Zero for the other kinds.
    ScenePoint speed{};
    int motionFrames = 0;
    ScenePoint vibrationWidth{};
    // Trigger and Animated-Trigger layers: the area spanned by the typed
    // corners.
    bool hasTriggerArea = false;
    SceneBox triggerArea;
};

struct SceneTarget {
    ScenePoint position{};
    std::int32_t kind = 0; // TargetKind as stored: 0 goal (green), 1 brake (red)
    bool draft = false;    // typed into the form but not added
};

// Something that kept a layer, or all of the level, from being shown.
struct SceneProblem {
    int layer = -1; // 0-based layer index; -1 for the level's settings
    std::string reason;
};

struct Scene {
    // The background colour as typed (red, green, blue from 0 to 1);
    // black when the text does not hold three numbers.
    std::array<float, 3> background{};
    // The start position and rotation (degrees about x, y and z); hasStart
    // is false when the text does not hold six numbers.
    bool hasStart = false;
    ScenePoint start{};
    ScenePoint startRotation{};
    std::vector<SceneLayer> layers;
    std::vector<SceneTarget> targets;
    std::vector<SceneProblem> problems;
    // Everything above together, the displaced layers at their end
    // positions included; never empty (a unit box round the origin at least).
    // What lies beyond the coordinate limit (model/coordinate_limit.h) is
    // left out, so that "Frame all" shows the sane part of the level.
    SceneBox bounds;
    // What the bounds leave out, one line each, for the user to see: the
    // layer (-1 for a target or the start) and a text ending in "out of
    // range, not framed", such as "layer 2 ('rock.obj'): 3 mesh corners
    // out of range, not framed" or "target 4: out of range, not framed".
    std::vector<SceneProblem> outOfRange;
    // The textures shown smaller than their files, one line each: "layer 2
    // ('rock.obj'): texture 'big.bmp' is 16384 x 16384; the preview shows it
    // at 2048 x 2048". The level file keeps them whole.
    std::vector<SceneProblem> shrunkTextures;

    // The longest animation, in frames (at least 1).
    int frameCount() const;
    // The number of layers still waiting for files.
    int loadingLayers() const;
    std::vector<ReaderWarning> warnings() const;
};

// The size of the start and target markers for a scene of these bounds.
float markerSize(const SceneBox& bounds);
// A target's marker: a cube of half-size `size` round its position, as it is
// drawn and as a click finds it.
SceneBox targetMarker(const ScenePoint& position, float size);

// `v` turned by the start rotation: about x, then y, then z, by the angles in
// degrees.
ScenePoint rotateByStart(const ScenePoint& rotationDegrees, const ScenePoint& v);
// The direction the start rotation faces: +z turned by it.
ScenePoint startDirection(const ScenePoint& rotationDegrees);

} // namespace kes
