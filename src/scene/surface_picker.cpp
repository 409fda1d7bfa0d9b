#include "scene/surface_picker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "scene/scene_motion.h"
#include "scene/scene_vector.h"

namespace kes {
namespace {

constexpr std::uint32_t kLeafSize = 4;
// Deep enough for any hierarchy split at the median: its depth is about
// log2 of the triangle count.
constexpr std::size_t kStackDepth = 64;

ScenePoint pointOf(const Vec3& v) { return {v.x, v.y, v.z}; }

} // namespace

TriangleHierarchy::TriangleHierarchy(const SceneMeshFrame& frame)
{
    triangles_.reserve(frame.faces.size());
    std::vector<ScenePoint> centres;
    centres.reserve(frame.faces.size());
    for (std::size_t i = 0; i < frame.faces.size(); ++i) {
        const auto& p = frame.faces[i].position;
        const Triangle t{pointOf(p[0]), pointOf(p[1]), pointOf(p[2]), static_cast<std::uint32_t>(i)};
        triangles_.push_back(t);
        // The centres only order the triangles; one that is not a number
        // (a corner at infinity) would break the order's rules, so it sorts
        // as 0.
        ScenePoint centre = (t.a + t.b + t.c) * (1.0f / 3);
        for (int axis = 0; axis < 3; ++axis) {
            if (!std::isfinite(axisOf(centre, axis)))
                setAxis(centre, axis, 0);
        }
        centres.push_back(centre);
    }
    if (!triangles_.empty()) {
        // The hierarchy is built on an order of the triangles, which they
        // then take.
        std::vector<std::uint32_t> order(triangles_.size());
        for (std::uint32_t i = 0; i < order.size(); ++i)
            order[i] = i;
        nodes_.reserve(2 * triangles_.size() / kLeafSize + 1);
        build(centres, order, 0, static_cast<std::uint32_t>(triangles_.size()));
        std::vector<Triangle> ordered;
        ordered.reserve(order.size());
        for (const std::uint32_t i : order)
            ordered.push_back(triangles_[i]);
        triangles_ = std::move(ordered);
    }
}

std::uint32_t TriangleHierarchy::build(const std::vector<ScenePoint>& centres, std::vector<std::uint32_t>& order,
                                       std::uint32_t first,
                                       std::uint32_t count)
{
    const auto index = static_cast<std::uint32_t>(nodes_.size());
    nodes_.emplace_back();
    SceneBox bounds, centreBounds;
    for (std::uint32_t i = first; i < first + count; ++i) {
        const Triangle& t = triangles_[order[i]];
        bounds.add(t.a);
        bounds.add(t.b);
        bounds.add(t.c);
        centreBounds.add(centres[order[i]]);
    }
    nodes_[index].bounds = bounds;
    const ScenePoint extent = centreBounds.max - centreBounds.min;
    const int axis = extent.x >= extent.y && extent.x >= extent.z ? 0 : extent.y >= extent.z ? 1 : 2;
    if (count <= kLeafSize || axisOf(extent, axis) <= 0) {
        nodes_[index].first = first;
        nodes_[index].count = count;
        return index;
    }
    // Split at the median centre.
    const std::uint32_t half = count / 2;
    const auto begin = order.begin() + first;
    std::nth_element(begin, begin + half, begin + count, [&](std::uint32_t l, std::uint32_t r) {
        return axisOf(centres[l], axis) < axisOf(centres[r], axis);
    });
    build(centres, order, first, half);
    const std::uint32_t second = build(centres, order, first + half, count - half);
    nodes_[index].second = second;
    return index;
}

std::optional<SurfaceHit> TriangleHierarchy::firstHit(const Ray& ray) const
{
    if (nodes_.empty())
        return std::nullopt;
    std::optional<SurfaceHit> best;
    float nearest = std::numeric_limits<float>::max();
    std::array<std::uint32_t, kStackDepth> stack{};
    std::size_t size = 0;
    stack[size++] = 0;
    while (size > 0) {
        const Node& node = nodes_[stack[--size]];
        const auto entry = intersectBox(ray, node.bounds);
        if (!entry || *entry > nearest)
            continue;
        if (node.count > 0) {
            for (std::uint32_t i = node.first; i < node.first + node.count; ++i) {
                const Triangle& t = triangles_[i];
                const auto d = intersectTriangle(ray, t.a, t.b, t.c);
                if (d && *d < nearest) {
                    nearest = *d;
                    best = SurfaceHit{*d, pointOnRay(ray, *d), t.face};
                }
            }
            continue;
        }
        const auto self = static_cast<std::uint32_t>(&node - nodes_.data());
        if (size + 2 > stack.size())
            continue; // deeper than any median split makes
        // The nearer child is taken first, so that the farther one is
        // mostly skipped.
        std::uint32_t near = self + 1, far = node.second;
        const auto nearEntry = intersectBox(ray, nodes_[near].bounds);
        const auto farEntry = intersectBox(ray, nodes_[far].bounds);
        if (farEntry && nearEntry && *farEntry < *nearEntry)
            std::swap(near, far);
        stack[size++] = far;
        stack[size++] = near;
    }
    return best;
}

SurfacePicker::SurfacePicker(const Scene& scene, const SurfacePicker* previous)
{
    layers_.reserve(scene.layers.size());
    for (const SceneLayer& source : scene.layers) {
        Layer layer{source, {}};
        layer.layer.texture = nullptr;
        for (const auto& frame : source.frames) {
            std::shared_ptr<const TriangleHierarchy> hierarchy;
            if (const auto own = byFrame_.find(frame.get()); own != byFrame_.end())
                hierarchy = own->second;
            else if (previous != nullptr) {
                if (const auto earlier = previous->byFrame_.find(frame.get()); earlier != previous->byFrame_.end())
                    hierarchy = earlier->second;
            }
            if (!hierarchy) {
                hierarchy = std::make_shared<const TriangleHierarchy>(*frame);
            }
            if (byFrame_.emplace(frame.get(), hierarchy).second)
                heldFrames_.push_back(frame);
            layer.frames.push_back(std::move(hierarchy));
        }
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
