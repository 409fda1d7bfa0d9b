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
#include <span>
#include <vector>

#include "assets/large_buffer.h"
#include "scene/scene.h"
#include "scene/scene_ray.h"

namespace kes {

struct SurfaceHit {
    float distance = 0;   // along the ray, in units of its direction's length
    ScenePoint point{};   // where it meets the triangle
    std::size_t face = 0; // the triangle's index in the frame's faces
};

// The triangles of one mesh frame in a hierarchy of boxes. The triangles are
// put in the order of a curve that fills the frame's bounds (the Morton order
// of their centres on a grid, found by a radix sort), and each node halves
// its run of that order, so a box's triangles lie close together whatever
// order the file gave them, and the build takes about linear time. The
// hierarchy keeps the frame and the triangles' order, never a copy of their
// corners.
class TriangleHierarchy {
public:
    // A leaf (count above 0) holds the triangles order[start] to
    // order[start + count - 1]; an inner node has its first child right after
    // it and its second at `start`. A box is widened to infinity on an axis
    // where a corner is not a number, so that it holds every triangle below
    // it.
    struct Node {
        float lo[3];
        float hi[3];
        std::uint32_t start;
        std::uint32_t count;
    };
    // Room for the nodes and orders of many hierarchies, taken at once:
    // memory is fastest provided in one piece, not page by page as small
    // lists fill it. Held by every hierarchy built in it.
    struct Room {
        Room(std::size_t nodes, std::size_t triangles);
        UnfilledList<Node> nodes;
        UnfilledList<std::uint32_t> order;
    };
    // The nodes a hierarchy of `triangles` triangles has.
    static std::size_t nodesFor(std::size_t triangles);
    // Room for the sort of the triangles, kept between the frames that one
    // thread builds.
    struct Scratch {
        UnfilledList<std::uint64_t> keys;
        UnfilledList<std::uint64_t> other;
    };

    // A hierarchy in room of its own.
    explicit TriangleHierarchy(std::shared_ptr<const SceneMeshFrame> frame);
    // A hierarchy in `room`, its nodes from `nodeAt` (nodesFor of its
    // triangles of them) and its order from `orderAt`.
    TriangleHierarchy(std::shared_ptr<const SceneMeshFrame> frame, std::shared_ptr<Room> room, std::size_t nodeAt,
                      std::size_t orderAt, Scratch& scratch);

    // The nearest triangle the ray meets, from either side; none when it
    // meets none.
    std::optional<SurfaceHit> firstHit(const Ray& ray) const;
    std::size_t triangleCount() const { return order_.size(); }
    // How many nodes the hierarchy has and how deep its deepest leaf lies
    // (the root alone is depth 0), for the tests.
    std::size_t nodeCount() const { return nodes_.size(); }
    int depth() const;

private:
    void make(Scratch& scratch);
    std::uint32_t build(std::uint32_t& next, std::uint32_t first, std::uint32_t count);
    void bound(Node& node) const;

    std::shared_ptr<const SceneMeshFrame> frame_;
    std::shared_ptr<Room> room_;
    std::span<std::uint32_t> order_; // the frame's faces in Morton order
    std::span<Node> nodes_;
};

struct SurfacePoint {
    int layer = -1;     // the layer whose triangle it is
    ScenePoint point{}; // where the ray meets it, the layer's motion included
    float distance = 0;
};

// The hierarchies of every frame of a scene's layers. A picker made with the
// one before it takes over the hierarchies of the frames both scenes share
// (a scene restated without reading files shares all of them). The others
// are built on up to `threads` threads, the largest frames first, each frame
// by one thread: 0 as many as the scene builder reads with (one per core, at
// most 8), 1 on the calling thread alone. Any count gives the same picker.
class SurfacePicker {
public:
    explicit SurfacePicker(const Scene& scene, const SurfacePicker* previous = nullptr, int threads = 0);

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
    // Each hierarchy holds its frame, so no frame the map names is freed and
    // its address reused.
    std::map<const SceneMeshFrame*, std::shared_ptr<const TriangleHierarchy>> byFrame_;
};

} // namespace kes
