// kesgen-bench-view-editing: measures the math of editing a level in the 3D
// view, without the editor, side by side in one run:
//   1. building the surface picker of a level (every layer and every frame,
//      the collision-only layers included) against building its scene, as
//      the preview builds it; the fastest of the repetitions;
//   2. the point of the surface under the mouse: SurfacePicker::firstHit for
//      the rays of a camera framing the level as the preview frames it at
//      first (above and behind it, a 45 degree field of view, 1280 x 720),
//      through a grid of 64 x 36 pixels and along a mouse path across the
//      view; each query's fastest of the repetitions, then their median and
//      the slowest. A few of the rays are checked against pickScene, which
//      walks every triangle.
// The editor's drag step is measured by kesgen-bench-drag, which needs the
// editor's drawing.
//
// kesgen-bench-view-editing --level=PROJECT.kgp [--threads=N] [--repetitions=N]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "generate/generate_level.h"
#include "level_inputs.h"
#include "scene/scene_builder.h"
#include "scene/scene_picking.h"
#include "scene/scene_ray.h"
#include "scene/scene_vector.h"
#include "scene/surface_picker.h"

namespace kes::bench {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

constexpr int kWidth = 1280, kHeight = 720;
constexpr double kPi = 3.14159265358979323846;
constexpr double kFieldOfViewDegrees = 45;

// 4 x 4 matrices of doubles, column after column, as Matrix4 lays them out.
using Matrix = std::array<double, 16>;

Matrix times(const Matrix& a, const Matrix& b)
{
    Matrix m{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                m[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
    return m;
}

// Gauss-Jordan with the largest pivot; the camera's matrices are never
// singular.
Matrix inverted(Matrix a)
{
    Matrix b{};
    for (int i = 0; i < 4; ++i)
        b[i * 4 + i] = 1;
    auto at = [](Matrix& m, int row, int column) -> double& { return m[column * 4 + row]; };
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int row = column + 1; row < 4; ++row)
            if (std::fabs(at(a, row, column)) > std::fabs(at(a, pivot, column)))
                pivot = row;
        for (int k = 0; k < 4; ++k) {
            std::swap(at(a, column, k), at(a, pivot, k));
            std::swap(at(b, column, k), at(b, pivot, k));
        }
        const double scale = 1 / at(a, column, column);
        for (int k = 0; k < 4; ++k) {
            at(a, column, k) *= scale;
            at(b, column, k) *= scale;
        }
        for (int row = 0; row < 4; ++row) {
            if (row == column)
                continue;
            const double factor = at(a, row, column);
            for (int k = 0; k < 4; ++k) {
                at(a, row, k) -= factor * at(a, column, k);
                at(b, row, k) -= factor * at(b, column, k);
            }
        }
    }
    return b;
}

struct Vector {
    double x = 0, y = 0, z = 0;
};
Vector minus(const Vector& a, const Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dotOf(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector crossOf(const Vector& a, const Vector& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vector unit(const Vector& v)
{
    const double length = std::sqrt(dotOf(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

// The preview's framing of `bounds` (the editor's PreviewCamera::frame at
// 1280 x 720), without Qt: it looks at the centre of the bounds from above
// and behind, 200 degrees round and 30 degrees up, from the nearest distance
// at which every corner of the bounds is in view, plus a tenth; the scene's
// bounds set the clipping planes. Returns the inverse of its view-projection
// matrix.
Matrix4 previewFraming(const SceneBox& bounds, const SceneBox& sceneBounds)
{
    const double yaw = 200 * kPi / 180, pitch = 30 * kPi / 180;
    const Vector target{(bounds.min.x + bounds.max.x) / 2.0, (bounds.min.y + bounds.max.y) / 2.0,
                        (bounds.min.z + bounds.max.z) / 2.0};
    // From the target towards the eye, and the view's axes.
    const Vector back{std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw)};
    const Vector right = unit(crossOf(Vector{-back.x, -back.y, -back.z}, Vector{0, 1, 0}));
    const Vector up = crossOf(back, right);
    const double tanY = std::tan(kFieldOfViewDegrees / 2 * kPi / 180);
    const double aspect = double(kWidth) / kHeight, tanX = tanY * aspect;
    const double diagonal = std::max<double>(sceneBounds.diagonal(), 0.001);
    double needed = std::max<double>(bounds.diagonal(), 0.001) * 0.05;
    for (int i = 0; i < 8; ++i) {
        const Vector corner{(i & 1) ? bounds.max.x : bounds.min.x, (i & 2) ? bounds.max.y : bounds.min.y,
                            (i & 4) ? bounds.max.z : bounds.min.z};
        const Vector d = minus(corner, target);
        needed = std::max({needed, dotOf(d, back) + std::fabs(dotOf(d, right)) / tanX,
                           dotOf(d, back) + std::fabs(dotOf(d, up)) / tanY});
    }
    const double distance = needed * 1.1;
    const Vector eye{target.x + distance * back.x, target.y + distance * back.y, target.z + distance * back.z};

    Matrix view{right.x, up.x, back.x, 0, right.y, up.y, back.y, 0, right.z, up.z, back.z, 0,
                -dotOf(right, eye), -dotOf(up, eye), -dotOf(back, eye), 1};
    const double nearPlane = std::max(distance * 0.01, diagonal * 1e-4), farPlane = distance + diagonal * 4;
    const double f = 1 / tanY;
    Matrix projection{};
    projection[0] = f / aspect;
    projection[5] = f;
    projection[10] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    projection[11] = -1;
    projection[14] = -2 * farPlane * nearPlane / (farPlane - nearPlane);
    const Matrix inverse = inverted(times(projection, view));
    Matrix4 result{};
    for (int i = 0; i < 16; ++i)
        result[static_cast<std::size_t>(i)] = static_cast<float>(inverse[static_cast<std::size_t>(i)]);
    return result;
}

// The pixels asked about: the centres of a grid of 64 x 36 cells of 20
// pixels, then a mouse path of 400 steps sweeping across the view in a wave.
std::vector<std::pair<float, float>> gridPixels()
{
    std::vector<std::pair<float, float>> pixels;
    for (int j = 0; j < 36; ++j)
        for (int i = 0; i < 64; ++i)
            pixels.push_back({(i + 0.5f) * 20, (j + 0.5f) * 20});
    return pixels;
}

std::vector<std::pair<float, float>> mousePath()
{
    std::vector<std::pair<float, float>> pixels;
    for (int step = 0; step < 400; ++step) {
        const double t = step / 399.0;
        pixels.push_back({static_cast<float>(40 + t * (kWidth - 80)),
                          static_cast<float>(kHeight / 2.0 + kHeight * 0.35 * std::sin(t * 3 * kPi))});
    }
    return pixels;
}

struct Queries {
    double median = 0;    // seconds
    double medianHit = 0; // of the queries that meet a layer: a miss is mostly one box
    double slowest = 0;   // seconds
    int hits = 0;
    std::size_t count = 0;
};

// Each ray's query, `repetitions` times over; each query's fastest counts.
Queries timeQueries(const SurfacePicker& picker, const std::vector<Ray>& rays, int frame, bool moving,
                    bool collidingOnly, int repetitions)
{
    std::vector<double> fastest(rays.size(), 1e9);
    std::vector<bool> hit(rays.size());
    for (int r = 0; r < repetitions; ++r) {
        for (std::size_t i = 0; i < rays.size(); ++i) {
            const auto start = Clock::now();
            const auto point = picker.firstHit(rays[i], frame, moving, collidingOnly);
            fastest[i] = std::min(fastest[i], secondsSince(start));
            hit[i] = point.has_value();
        }
    }
    auto median = [](std::vector<double> times) {
        if (times.empty())
            return 0.0;
        std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
        return times[times.size() / 2];
    };
    Queries queries;
    queries.count = rays.size();
    std::vector<double> hitting;
    for (std::size_t i = 0; i < rays.size(); ++i)
        if (hit[i])
            hitting.push_back(fastest[i]);
    queries.hits = static_cast<int>(hitting.size());
    queries.median = median(fastest);
    queries.medianHit = median(hitting);
    queries.slowest = rays.empty() ? 0 : *std::max_element(fastest.begin(), fastest.end());
    return queries;
}

std::vector<Ray> raysThrough(const Matrix4& inverse, const std::vector<std::pair<float, float>>& pixels)
{
    std::vector<Ray> rays;
    for (const auto& [x, y] : pixels)
        if (const auto ray = rayFromScreen(inverse, x, y, kWidth, kHeight))
            rays.push_back(*ray);
    return rays;
}

// Rays whose picker hit differs from pickScene's walk over every triangle
// (layers only; the walk also meets target markers, which the picker leaves
// to the handles, so a ray that meets a marker is not compared).
int disagreements(const Scene& scene, const SurfacePicker& picker, const std::vector<Ray>& rays, int frame,
                  bool moving)
{
    int wrong = 0;
    for (const Ray& ray : rays) {
        const ScenePick walked = pickScene(scene, ray.origin, ray.direction, frame, moving);
        if (walked.what == ScenePick::What::Target)
            continue;
        const auto hit = picker.firstHit(ray, frame, moving, false);
        const bool same = hit ? walked.what == ScenePick::What::Layer && walked.index == hit->layer
                                    && std::fabs(walked.distance - hit->distance) <= 1e-4f * walked.distance
                              : walked.what == ScenePick::What::Nothing;
        wrong += same ? 0 : 1;
    }
    return wrong;
}

} // namespace
} // namespace kes::bench

int main(int argc, char** argv)
{
    using namespace kes;
    using namespace kes::bench;
    std::string projectPath;
    int threads = 0, repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (takeFlag(argv[i], "--level", projectPath))
            continue;
        if (takeFlag(argv[i], "--threads", value))
            threads = std::stoi(value);
        else if (takeFlag(argv[i], "--repetitions", value))
            repetitions = std::max(1, std::stoi(value));
    }
    if (projectPath.empty()) {
        std::fprintf(stderr, "usage: kesgen-bench-view-editing --level=PROJECT.kgp [--threads=N] [--repetitions=N]\n");
        return 2;
    }
    GenerationOptions generation;
    generation.threads = threads;
    threads = generationThreadCount(generation);

    try {
        const LevelInputs level = listLevelInputs(projectPath);
        const SceneRequest request = sceneRequestFor(level.project, level.baseFolder);
        double sceneBuild = 1e9, pickerBuild = 1e9;
        Scene scene;
        std::unique_ptr<SurfacePicker> picker;
        // Side by side, in turns, so that both see the same machine.
        for (int r = 0; r < repetitions; ++r) {
            picker.reset();
            scene = Scene{};
            SceneAssetCache cache; // a fresh editor
            SceneBuildOptions options;
            options.cache = &cache;
            options.threads = threads;
            auto start = Clock::now();
            scene = buildScene(request, options);
            sceneBuild = std::min(sceneBuild, secondsSince(start));
            if (!scene.problems.empty()) {
                std::fprintf(stderr, "error: %s\n", scene.problems.front().reason.c_str());
                return 1;
            }
            start = Clock::now();
            picker = std::make_unique<SurfacePicker>(scene);
            pickerBuild = std::min(pickerBuild, secondsSince(start));
        }
        std::size_t allTriangles = 0, shownTriangles = 0;
        for (const SceneLayer& layer : scene.layers) {
            for (const auto& frame : layer.frames)
                allTriangles += frame->triangleCount();
            if (!layer.frames.empty())
                shownTriangles += layer.frames[0]->triangleCount();
        }

        // "Frame all" frames the scene's bounds, the moved layers' ends
        // included, which leaves the meshes a small part of the view; framed
        // on the layers at rest, they fill it.
        SceneBox layerBounds;
        for (const SceneLayer& layer : scene.layers)
            layerBounds.addBox(layer.bounds);
        const Matrix4 all = previewFraming(scene.bounds, scene.bounds);
        const Matrix4 layers = previewFraming(layerBounds, scene.bounds);
        const std::vector<Ray> grid = raysThrough(all, gridPixels());
        const std::vector<Ray> path = raysThrough(all, mousePath());
        const std::vector<Ray> near = raysThrough(layers, gridPixels());
        const std::vector<Ray> nearPath = raysThrough(layers, mousePath());
        const Queries onGrid = timeQueries(*picker, grid, 0, false, false, repetitions);
        const Queries onPath = timeQueries(*picker, path, 0, false, false, repetitions);
        const Queries onNearGrid = timeQueries(*picker, near, 0, false, false, repetitions);
        const Queries onNearPath = timeQueries(*picker, nearPath, 0, false, false, repetitions);
        const Queries colliding = timeQueries(*picker, near, 25, true, true, repetitions);
        std::vector<Ray> checked;
        for (std::size_t i = 0; i < near.size(); i += 97)
            checked.push_back(near[i]);
        const int wrong =
            disagreements(scene, *picker, checked, 0, false) + disagreements(scene, *picker, checked, 25, true);
        const std::size_t comparisons = 2 * checked.size();

        std::printf("\n## kesgen view-editing benchmark (%d repetitions, %d threads)\n\n", repetitions, threads);
        std::printf("| measure | result | reference | ratio | target |\n|---|---|---|---|---|\n");
        std::printf("| surface picker of %zu triangles in %zu layers (fastest) | %.1f ms | the scene, built as the"
                    " preview builds it, %.1f ms | %.3fx | <= 0.2x |\n",
                    allTriangles, scene.layers.size(), pickerBuild * 1e3, sceneBuild * 1e3, pickerBuild / sceneBuild);
        auto queryRow = [&](const char* what, const Queries& q) {
            std::printf("| surface point under the mouse, %s: median of %zu queries | %.4f ms | of the %d that meet a"
                        " layer %.4f ms, slowest %.4f ms; %zu triangles in view | | <= 2 ms |\n",
                        what, q.count, q.median * 1e3, q.hits, q.medianHit * 1e3, q.slowest * 1e3, shownTriangles);
        };
        queryRow("whole scene framed, 64 x 36 grid of 1280 x 720", onGrid);
        queryRow("whole scene framed, a mouse path across the view", onPath);
        queryRow("layers framed, 64 x 36 grid", onNearGrid);
        queryRow("layers framed, a mouse path", onNearPath);
        queryRow("layers framed, the grid at frame 25 moving, colliding layers only", colliding);
        std::printf("\nThe picker agrees with the walk over every triangle on %zu of %zu rays checked.\n",
                    comparisons - static_cast<std::size_t>(wrong), comparisons);
        if (wrong > 0)
            return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
