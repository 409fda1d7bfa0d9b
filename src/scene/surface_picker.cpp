#include "scene/surface_picker.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

#include "assets/large_buffer.h"
#include "assets/parallel_for.h"
#include "generate/generate_level.h"
#include "scene/scene_motion.h"
#include "scene/scene_vector.h"

namespace kes {
namespace {

constexpr std::uint32_t kLeafSize = 4;
// Halved runs make a hierarchy about log2 of the triangle count deep: 30 for
// the most a frame can hold. The walk holds one entry more than the depth.
constexpr std::size_t kStackDepth = 64;
// Cells of the Morton grid per axis: 2 to this power. A coarser grid sorts
// in fewer passes; the triangles of one cell keep the file's order, which
// modelling tools write mostly near to near.
constexpr int kCodeBits = 7;
constexpr int kCodeLength = 3 * kCodeBits;
// The radix sort's digits: two passes.
constexpr int kDigitBits = (kCodeLength + 1) / 2;
// Below this many triangles a comparison sort beats the radix sort's
// passes over its buckets.
constexpr std::size_t kRadixFrom = 1024;

ScenePoint pointOf(const Vec3& v) { return {v.x, v.y, v.z}; }

// The bits of a number below 1024 spread to every third place.
std::uint32_t spreadBits(std::uint32_t v)
{
    v &= 0x3ff;
    v = (v | (v << 16)) & 0x030000ff;
    v = (v | (v << 8)) & 0x0300f00f;
    v = (v | (v << 4)) & 0x030c30c3;
    v = (v | (v << 2)) & 0x09249249;
    return v;
}

// Sizes a list of the sort's room, which is kept for the next frame built on
// the same thread.
void fitScratch(UnfilledList<std::uint64_t>& list, std::size_t size)
{
    if (list.capacity() >= size) {
        list.resize(size);
        return;
    }
    list.clear();
    list.shrink_to_fit();
    list.resize(size);
    adviseLargeFill(list.data(), size * sizeof(std::uint64_t));
}

// Sorts keys by their bits 32 and up (the code; below it the face, which a
// stable sort keeps in order), a digit a pass, from the lowest.
void sortByCode(UnfilledList<std::uint64_t>& keys, UnfilledList<std::uint64_t>& other)
{
    if (keys.size() < kRadixFrom) {
        std::sort(keys.begin(), keys.end());
        return;
    }
    constexpr std::size_t kBuckets = std::size_t(1) << kDigitBits;
    fitScratch(other, keys.size());
    std::array<std::size_t, kBuckets> counts;
    for (int shift = 32; shift < 32 + kCodeLength; shift += kDigitBits) {
        counts.fill(0);
        for (const std::uint64_t key : keys)
            ++counts[(key >> shift) & (kBuckets - 1)];
        // A pass whose digit all keys share would move nothing.
        if (counts[(keys.front() >> shift) & (kBuckets - 1)] == keys.size())
            continue;
        std::size_t at = 0;
        for (std::size_t& count : counts)
            at += std::exchange(count, at);
        for (const std::uint64_t key : keys)
            other[counts[(key >> shift) & (kBuckets - 1)]++] = key;
        keys.swap(other);
    }
}

} // namespace

std::size_t TriangleHierarchy::nodesFor(std::size_t triangles)
{
    // Runs are halved down to leaves of at most kLeafSize. The halves of
    // m and of m + 1 triangles all have h or h + 1 of them (h = m / 2), so
    // the counts go up in pairs, one step per level.
    auto pairFor = [](auto& self, std::size_t m) -> std::array<std::size_t, 2> { // m and m + 1
        if (m + 1 <= kLeafSize)
            return {m == 0 ? 0 : 1, 1};
        const std::size_t h = m / 2;
        const std::array<std::size_t, 2> halves = self(self, h);
        auto count = [&](std::size_t n) -> std::size_t {
            return n <= kLeafSize ? 1 : 1 + halves[n / 2 - h] + halves[n - n / 2 - h];
        };
        return {count(m), count(m + 1)};
    };
    return pairFor(pairFor, triangles)[0];
}

TriangleHierarchy::Room::Room(std::size_t nodeCount, std::size_t triangles)
{
    nodes.resize(nodeCount);
    adviseLargeFill(nodes.data(), nodeCount * sizeof(Node));
    order.resize(triangles);
    adviseLargeFill(order.data(), triangles * sizeof(std::uint32_t));
}

TriangleHierarchy::TriangleHierarchy(std::shared_ptr<const SceneMeshFrame> frame) : frame_(std::move(frame))
{
    const std::size_t triangles = frame_->faces.size();
    room_ = std::make_shared<Room>(nodesFor(triangles), triangles);
    nodes_ = room_->nodes;
    order_ = room_->order;
    Scratch scratch;
    make(scratch);
}

TriangleHierarchy::TriangleHierarchy(std::shared_ptr<const SceneMeshFrame> frame, std::shared_ptr<Room> room,
                                     std::size_t nodeAt, std::size_t orderAt, Scratch& scratch)
    : frame_(std::move(frame)), room_(std::move(room))
{
    const std::size_t triangles = frame_->faces.size();
    nodes_ = std::span(room_->nodes).subspan(nodeAt, nodesFor(triangles));
    order_ = std::span(room_->order).subspan(orderAt, triangles);
    make(scratch);
}

void TriangleHierarchy::make(Scratch& scratch)
{
    const std::vector<MeshFace>& faces = frame_->faces;
    if (faces.empty())
        return;
    // Each triangle's centre as a cell of a grid over the frame's bounds,
    // its Morton code above its index. A centre outside the bounds (a corner
    // beyond the coordinate limit) takes the nearest cell, and one that is
    // not a number the first: the code only orders the triangles, the boxes
    // are made from their corners.
    constexpr float kLastCell = float((1 << kCodeBits) - 1);
    const SceneBox& bounds = frame_->bounds;
    float origin[3] = {0, 0, 0}, scale[3] = {0, 0, 0};
    if (!bounds.empty) {
        for (int axis = 0; axis < 3; ++axis) {
            origin[axis] = axisOf(bounds.min, axis);
            const float extent = axisOf(bounds.max, axis) - origin[axis];
            if (extent > 0 && std::isfinite(extent))
                scale[axis] = static_cast<float>(1 << kCodeBits) / (3 * extent); // of the sum of 3 corners
        }
    }
    UnfilledList<std::uint64_t>& keys = scratch.keys;
    fitScratch(keys, faces.size());
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const auto& p = faces[i].position;
        const float sum[3] = {p[0].x + p[1].x + p[2].x, p[0].y + p[1].y + p[2].y, p[0].z + p[1].z + p[2].z};
        std::uint32_t code = 0;
        for (int axis = 0; axis < 3; ++axis) {
            float cell = (sum[axis] - 3 * origin[axis]) * scale[axis];
            if (!(cell >= 0)) // below, or not a number
                cell = 0;
            code |= spreadBits(static_cast<std::uint32_t>(std::min(cell, kLastCell))) << (2 - axis);
        }
        keys[i] = (std::uint64_t(code) << 32) | i;
    }
    sortByCode(keys, scratch.other);
    for (std::size_t i = 0; i < keys.size(); ++i)
        order_[i] = static_cast<std::uint32_t>(keys[i]);
    std::uint32_t next = 0;
    build(next, 0, static_cast<std::uint32_t>(keys.size()));
    assert(next == nodes_.size());
    // Children come after their parents, so the boxes are made from the
    // last node back to the first.
    for (std::size_t i = nodes_.size(); i-- > 0;)
        bound(nodes_[i]);
}

std::uint32_t TriangleHierarchy::build(std::uint32_t& next, std::uint32_t first, std::uint32_t count)
{
    const std::uint32_t index = next++;
    nodes_[index].start = first;
    nodes_[index].count = count;
    if (count <= kLeafSize)
        return index;
    const std::uint32_t half = count / 2;
    build(next, first, half);
    nodes_[index].start = build(next, first + half, count - half);
    nodes_[index].count = 0;
    return index;
}

void TriangleHierarchy::bound(Node& node) const
{
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    std::fill(std::begin(node.lo), std::end(node.lo), kInfinity);
    std::fill(std::begin(node.hi), std::end(node.hi), -kInfinity);
    auto widen = [&](int axis, float value) {
        if (std::isnan(value)) {
            node.lo[axis] = -kInfinity;
            node.hi[axis] = kInfinity;
            return;
        }
        node.lo[axis] = std::min(node.lo[axis], value);
        node.hi[axis] = std::max(node.hi[axis], value);
    };
    if (node.count > 0) {
        for (std::uint32_t i = node.start; i < node.start + node.count; ++i) {
            for (const Vec3& corner : frame_->faces[order_[i]].position) {
                widen(0, corner.x);
                widen(1, corner.y);
                widen(2, corner.z);
            }
        }
        return;
    }
    const auto self = static_cast<std::size_t>(&node - nodes_.data());
    for (const Node* child : {&nodes_[self + 1], &nodes_[node.start]}) {
        for (int axis = 0; axis < 3; ++axis) {
            node.lo[axis] = std::min(node.lo[axis], child->lo[axis]);
            node.hi[axis] = std::max(node.hi[axis], child->hi[axis]);
        }
    }
}

int TriangleHierarchy::depth() const
{
    if (nodes_.empty())
        return 0;
    int deepest = 0;
    std::vector<std::pair<std::uint32_t, int>> stack{{0, 0}};
    while (!stack.empty()) {
        const auto [index, level] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, level);
        if (nodes_[index].count == 0) {
            stack.push_back({index + 1, level + 1});
            stack.push_back({nodes_[index].start, level + 1});
        }
    }
    return deepest;
}

std::optional<SurfaceHit> TriangleHierarchy::firstHit(const Ray& ray) const
{
    if (nodes_.empty())
        return std::nullopt;
    auto boxOf = [](const Node& node) {
        return SceneBox{{node.lo[0], node.lo[1], node.lo[2]}, {node.hi[0], node.hi[1], node.hi[2]}, false};
    };
    std::optional<SurfaceHit> best;
    float nearest = std::numeric_limits<float>::max();
    std::array<std::uint32_t, kStackDepth> stack{};
    std::size_t size = 0;
    stack[size++] = 0;
    while (size > 0) {
        const std::uint32_t self = stack[--size];
        const Node& node = nodes_[self];
        const auto entry = intersectBox(ray, boxOf(node));
        if (!entry || *entry > nearest)
            continue;
        if (node.count > 0) {
            for (std::uint32_t i = node.start; i < node.start + node.count; ++i) {
                const auto& p = frame_->faces[order_[i]].position;
                const auto d = intersectTriangle(ray, pointOf(p[0]), pointOf(p[1]), pointOf(p[2]));
                if (d && *d < nearest) {
                    nearest = *d;
                    best = SurfaceHit{*d, pointOnRay(ray, *d), order_[i]};
                }
            }
            continue;
        }
        if (size + 2 > stack.size())
            continue; // deeper than any build makes
        // The nearer child is taken first, so that the farther one is
        // mostly skipped.
        std::uint32_t near = self + 1, far = node.start;
        const auto nearEntry = intersectBox(ray, boxOf(nodes_[near]));
        const auto farEntry = intersectBox(ray, boxOf(nodes_[far]));
        if (farEntry && nearEntry && *farEntry < *nearEntry)
            std::swap(near, far);
        stack[size++] = far;
        stack[size++] = near;
    }
    return best;
}

SurfacePicker::SurfacePicker(const Scene& scene, const SurfacePicker* previous, int threads)
{
    // Every frame once: taken over from the previous picker, or to build.
    std::vector<std::shared_ptr<const SceneMeshFrame>> toBuild;
    for (const SceneLayer& layer : scene.layers) {
        for (const auto& frame : layer.frames) {
            if (byFrame_.count(frame.get()) > 0)
                continue;
            std::shared_ptr<const TriangleHierarchy> earlier;
            if (previous != nullptr) {
                if (const auto found = previous->byFrame_.find(frame.get()); found != previous->byFrame_.end())
                    earlier = found->second;
            }
            if (!earlier)
                toBuild.push_back(frame);
            byFrame_.emplace(frame.get(), std::move(earlier));
        }
    }
    // The largest first, so that no thread is left with a large one at the
    // end while the others wait.
    std::stable_sort(toBuild.begin(), toBuild.end(),
                     [](const auto& l, const auto& r) { return l->triangleCount() > r->triangleCount(); });
    std::vector<std::shared_ptr<const TriangleHierarchy>> built(toBuild.size());
    // One room for all of them, each hierarchy's share of it in turn.
    std::vector<std::size_t> nodeAt(toBuild.size() + 1), orderAt(toBuild.size() + 1);
    for (std::size_t i = 0; i < toBuild.size(); ++i) {
        nodeAt[i + 1] = nodeAt[i] + TriangleHierarchy::nodesFor(toBuild[i]->triangleCount());
        orderAt[i + 1] = orderAt[i] + toBuild[i]->triangleCount();
    }
    const auto room = std::make_shared<TriangleHierarchy::Room>(nodeAt.back(), orderAt.back());
    GenerationOptions generation;
    generation.threads = threads;
    // Each thread's room for the sorts, taken from here and given back.
    std::vector<std::unique_ptr<TriangleHierarchy::Scratch>> scratches;
    std::mutex scratchMutex;
    parallelFor(toBuild.size(), generationThreadCount(generation), [&](std::size_t i) {
        std::unique_ptr<TriangleHierarchy::Scratch> scratch;
        {
            std::lock_guard lock(scratchMutex);
            if (!scratches.empty()) {
                scratch = std::move(scratches.back());
                scratches.pop_back();
            }
        }
        if (!scratch)
            scratch = std::make_unique<TriangleHierarchy::Scratch>();
        built[i] = std::make_shared<const TriangleHierarchy>(toBuild[i], room, nodeAt[i], orderAt[i], *scratch);
        std::lock_guard lock(scratchMutex);
        scratches.push_back(std::move(scratch));
    });
    for (std::size_t i = 0; i < toBuild.size(); ++i)
        byFrame_[toBuild[i].get()] = std::move(built[i]);

    layers_.reserve(scene.layers.size());
    for (const SceneLayer& source : scene.layers) {
        Layer layer{source, {}};
        layer.layer.texture = nullptr;
        layer.layer.frames.clear();
        for (const auto& frame : source.frames)
            layer.frames.push_back(byFrame_.at(frame.get()));
        layers_.push_back(std::move(layer));
    }
}

std::optional<SurfacePoint> SurfacePicker::firstHit(const Ray& ray, int frame, bool moving,
                                                    bool collidingOnly) const
{
    std::optional<SurfacePoint> best;
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        const Layer& entry = layers_[i];
        const SceneLayer& layer = entry.layer;
        if (layer.draft || entry.frames.empty() || (collidingOnly && !layer.collision))
            continue;
        // A moved layer is met where the ray, moved the other way, meets it
        // at rest.
        const ScenePoint offset = shownMotion(layer, frame, moving);
        const Ray from{ray.origin - offset, ray.direction};
        const auto boxEntry = intersectBox(from, layer.bounds);
        if (!boxEntry || (best && *boxEntry > best->distance))
            continue;
        const std::size_t shown = static_cast<std::size_t>(std::max(frame, 0)) % entry.frames.size();
        const auto hit = entry.frames[shown]->firstHit(from);
        if (hit && (!best || hit->distance < best->distance))
            best = SurfacePoint{static_cast<int>(i), hit->point + offset, hit->distance};
    }
    return best;
}

} // namespace kes
