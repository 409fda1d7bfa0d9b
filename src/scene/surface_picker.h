// Where a ray from the eye first meets the surface of a scene's layers, for
// placing things on it in the 3D view. Each mesh frame's triangles are put
// once into a bounding-volume hierarchy, so a query, made on every mouse
// move, visits a few boxes and triangles rather than all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_ray.h"

namespace kes {

struct SurfaceHit {
    float distance = 0;   // along the ray, in units of its direction's length
    ScenePoint point{};   // where it meets the triangle
    std::size_t face = 0; // the triangle's index in the frame's faces
};

// The triangles of one mesh frame, in a hierarchy of boxes split at the
// median of the longest axis.
class TriangleHierarchy {
public:
    explicit TriangleHierarchy(const SceneMeshFrame& frame);
    // The nearest triangle the ray meets, from either side; none when it
    // meets none.
    std::optional<SurfaceHit> firstHit(const Ray& ray) const;
    std::size_t triangleCount() const { return triangles_.size(); }

private:
    struct Triangle {
        ScenePoint a, b, c;
        std::uint32_t face;
    };
    // A leaf holds `count` triangles from `first`; an inner node (count 0)
    // has its first child right after it and its second at `second`.
    struct Node {
        SceneBox bounds;
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        std::uint32_t second = 0;
    };
    std::uint32_t build(const std::vector<ScenePoint>& centres, std::vector<std::uint32_t>& order, std::uint32_t first,
                        std::uint32_t count);

    std::vector<Triangle> triangles_;
    std::vector<Node> nodes_;
};

struct SurfacePoint {
    int layer = -1;     // the layer whose triangle it is
    ScenePoint point{}; // where the ray meets it, the layer's motion included
    float distance = 0;
};

// The hierarchies of every frame of a scene's layers. A picker made with the
// one before it takes over the hierarchies of the frames both scenes share
// (a scene restated without reading files shares all of them).
class SurfacePicker {
public:
    explicit SurfacePicker(const Scene& scene, const SurfacePicker* previous = nullptr);

    // The first point of a layer's surface the ray meets, the layers taken
    // at animation frame `frame` and, `moving`, where the motion playback has
    // them then (as pickScene takes them). Drafts are never met; with
    // `collidingOnly`, only layers with Collision are (drawn or not).
    std::optional<SurfacePoint> firstHit(const Ray& ray, int frame, bool moving, bool collidingOnly) const;

private:
    struct Layer {
        SceneLayer layer; // its motion fields and bounds; the frames are shared
        std::vector<std::shared_ptr<const TriangleHierarchy>> frames;
    };
    std::vector<Layer> layers_;
    std::map<const SceneMeshFrame*, std::shared_ptr<const TriangleHierarchy>> byFrame_;
    // Held so that no frame the map names is freed and its address reused.
    std::vector<std::shared_ptr<const SceneMeshFrame>> heldFrames_;
};

} // namespace kes
