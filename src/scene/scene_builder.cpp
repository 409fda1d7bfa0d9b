#include "scene/scene_builder.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

#include "assets/bmp_reader.h"
#include "assets/obj_reader.h"
#include "generate/generate_level.h"
#include "generate/layer_plan.h"
#include "levelfile/layer_descriptor.h"
#include "model/coordinate_limit.h"
#include "model/file_io.h"
#include "model/layer_kinds.h"
#include "model/number_text.h"
#include "model/start_placement.h"
#include "scene/texture_shrink.h"

namespace kes {
namespace {

// One file of the scene, read once however many layers name it.
struct FileJob {
    std::string path;
    bool mesh = true;
    std::optional<FileStamp> stamp;
    // The outcome.
    std::shared_ptr<const SceneMeshFrame> meshFrame;
    std::shared_ptr<const SceneTexture> texture;
    Status status = Status::success();
    bool done = false;
};

std::shared_ptr<const SceneMeshFrame> meshFrameFrom(MeshTriangles&& mesh, std::vector<ReaderWarning>&& warnings)
{
    auto frame = std::make_shared<SceneMeshFrame>();
    // The faces as the reader made them, not copied (the normals are not
    // drawn, so they were not kept).
    frame->faces = std::move(mesh.faces);
    // The bounds of the corners within the coordinate limit; a value beyond
    // it (1e38 in a file) would leave the view nowhere near the rest.
    float lo[3] = {kCoordinateLimit, kCoordinateLimit, kCoordinateLimit};
    float hi[3] = {-kCoordinateLimit, -kCoordinateLimit, -kCoordinateLimit};
    std::size_t beyond = 0;
    for (const MeshFace& face : frame->faces) {
        for (const Vec3& p : face.position) {
            if (!(withinCoordinateLimit(p.x) && withinCoordinateLimit(p.y) && withinCoordinateLimit(p.z))) [[unlikely]] {
                ++beyond;
                continue;
            }
            lo[0] = std::min(lo[0], p.x);
            lo[1] = std::min(lo[1], p.y);
            lo[2] = std::min(lo[2], p.z);
            hi[0] = std::max(hi[0], p.x);
            hi[1] = std::max(hi[1], p.y);
            hi[2] = std::max(hi[2], p.z);
        }
    }
    if (beyond < frame->faces.size() * 3) {
        frame->bounds.add(ScenePoint{lo[0], lo[1], lo[2]});
        frame->bounds.add(ScenePoint{hi[0], hi[1], hi[2]});
    }
    frame->cornersOutOfRange = beyond;
    frame->warnings = std::move(warnings);
    return frame;
}

// Whether `texture` is what reading its file with this largest side gives.
bool shownAtLargest(const SceneTexture& texture, std::int32_t largest)
{
    const int factor = shrinkFactor(texture.fileWidth, texture.fileHeight, largest);
    return shrunkSize(texture.fileWidth, texture.fileHeight, factor)
        == std::pair<std::int32_t, std::int32_t>{texture.width, texture.height};
}

// A large mesh file is parsed on up to `meshThreads` threads; a texture
// larger than `largestTexture` is shrunk.
void readFile(FileJob& job, int meshThreads, std::int32_t largestTexture)
{
    // The readers open only regular files, and never wait for a pipe or a
    // device: such a file is refused as generation refuses it.
    try {
        if (job.mesh) {
            MeshTriangles mesh;
            std::vector<ReaderWarning> warnings;
            ObjReadOptions reading;
            reading.threads = meshThreads;
            reading.keepNormals = false;
            job.status = loadObjMesh(job.path, mesh, &warnings, reading);
            if (job.status)
                job.meshFrame = meshFrameFrom(std::move(mesh), std::move(warnings));
        } else {
            // Shrunk while it is read: a texture of gigabytes never is
            // held whole.
            ShownTexture shown;
            job.status = loadShownTexture(job.path, largestTexture, shown);
            if (job.status) {
                auto texture = std::make_shared<SceneTexture>();
                texture->fileWidth = shown.fileWidth;
                texture->fileHeight = shown.fileHeight;
                texture->width = shown.image.width;
                texture->height = shown.image.height;
                texture->pixels = std::move(shown.image.pixels);
                job.texture = std::move(texture);
            }
        }
    } catch (const std::bad_alloc&) {
        job.status = Status::failure(std::string("not enough memory to read ") + (job.mesh ? "mesh" : "texture")
                                     + " file '" + job.path + "'");
    }
    job.done = true;
}

// Reads the jobs not yet done, on up to `threads` threads.
void readFiles(std::vector<FileJob*>& jobs, const SceneBuildOptions& options)
{
    if (jobs.empty())
        return;
    GenerationOptions generation;
    generation.threads = options.threads;
    const int meshThreads = generationThreadCount(generation);
    const int threads = std::min<int>(meshThreads, static_cast<int>(jobs.size()));
    std::atomic<std::size_t> next{0};
    std::mutex progressMutex;
    int done = 0;
    const int total = static_cast<int>(jobs.size());
    auto work = [&] {
        for (;;) {
            if (options.cancelled && options.cancelled->load())
                return;
            const std::size_t index = next.fetch_add(1);
            if (index >= jobs.size())
                return;
            FileJob& job = *jobs[index];
            readFile(job, meshThreads, options.largestTexture);
            if (job.status && job.stamp && options.cache) {
                options.cache->countRead();
                if (job.mesh)
                    options.cache->keepMesh(job.path, *job.stamp, job.meshFrame);
                else
                    options.cache->keepTexture(job.path, *job.stamp, job.texture);
            }
            if (options.progress) {
                std::lock_guard lock(progressMutex);
                options.progress(++done, total);
            }
        }
    };
    if (threads <= 1) {
        work();
        return;
    }
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
}

bool withinLimit(const SceneBox& box)
{
    for (const ScenePoint& p : {box.min, box.max})
        if (!(withinCoordinateLimit(p.x) && withinCoordinateLimit(p.y) && withinCoordinateLimit(p.z)))
            return false;
    return true;
}

SceneBox boxSpanning(const std::array<float, 6>& typed)
{
    SceneBox box;
    box.add(ScenePoint{typed[0], typed[2], typed[4]});
    box.add(ScenePoint{typed[1], typed[3], typed[5]});
    return box;
}

std::vector<LayerPlan> planLayers(const SceneRequest& request)
{
    std::vector<LayerPlan> plans;
    plans.reserve(request.layers.size());
    for (std::size_t i = 0; i < request.layers.size(); ++i)
        plans.push_back(planLayer(static_cast<int>(i), request.layers[i], request.baseFolder));
    return plans;
}

// What the settings and the targets show: the background, the start and
// the target markers.
void describeSettingsAndTargets(Scene& scene, const SceneRequest& request)
{
    const LevelSettings& settings = request.settings;
    scene.background = {};
    scene.hasStart = false;
    scene.start = {};
    scene.startRotation = {};
    if (holdsNumbers(settings.backgroundColor, 3))
        scene.background = parseNumbers3(settings.backgroundColor);
    if (holdsNumbers(settings.startPosition, 6)) {
        const StartPlacement start = startPlacementOf(settings);
        scene.hasStart = true;
        scene.start = {start.position[0], start.position[1], start.position[2]};
        scene.startRotation = {start.rotation[0], start.rotation[1], start.rotation[2]};
    }
    scene.targets.clear();
    for (const TargetEntry& target : request.targets)
        scene.targets.push_back({{target.x, target.y, target.z}, target.kind, false});
    if (request.draftTarget && !scene.targets.empty())
        scene.targets.back().draft = true;
}

// The motion fields of a layer whose meshes (and so its bounds) are known.
void describeMotion(SceneLayer& layer, const LayerEntry& entry)
{
    // The kind as the layer file stores it, in 16 bits.
    const auto kind = static_cast<std::int32_t>(layerKindOf(static_cast<std::uint16_t>(entry.kind & 0xFFFF)));
    const LayerKindFields used = fieldsUsedBy(kind);
    if (used.speed)
        layer.speed = {entry.speed[0], entry.speed[1], entry.speed[2]};
    if (used.vibration)
        layer.vibrationWidth = {std::fabs(entry.vibration[0]), std::fabs(entry.vibration[1]),
                                std::fabs(entry.vibration[2])};
    if (movesBySpeed(kind)) {
        layer.motionFrames = entry.frames;
        layer.hasDisplacement = true;
        const float frames = static_cast<float>(entry.frames);
        layer.displacement = {layer.speed.x * frames, layer.speed.y * frames, layer.speed.z * frames};
    }
    if (used.vibration && !layer.bounds.empty) {
        layer.hasVibration = true;
        const ScenePoint& width = layer.vibrationWidth;
        layer.vibrationBox = layer.bounds;
        layer.vibrationBox.add(ScenePoint{layer.bounds.min.x - width.x, layer.bounds.min.y - width.y,
                                layer.bounds.min.z - width.z});
        layer.vibrationBox.add(ScenePoint{layer.bounds.max.x + width.x, layer.bounds.max.y + width.y,
                                layer.bounds.max.z + width.z});
    }
    if (used.triggerArea) {
        layer.hasTriggerArea = true;
        layer.triggerArea = boxSpanning(triggerAreaToTypedOrder(entry.triggerArea));
    }
}

// Everything together, the displaced layers at their end positions
// included.
void describeBounds(Scene& scene)
{
    scene.bounds = {};
    scene.outOfRange.clear();
    // What lies beyond the coordinate limit is listed instead of framed.
    auto frameOrList = [&scene](const SceneBox& box, int layer, const std::string& what) {
        if (box.empty)
            return;
        if (withinLimit(box))
            scene.bounds.addBox(box);
        else
            scene.outOfRange.push_back({layer, what + " out of range, not framed"});
    };
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        const SceneLayer& layer = scene.layers[i];
        const int index = static_cast<int>(i);
        scene.bounds.addBox(layer.bounds);
        if (layer.cornersOutOfRange > 0)
            scene.outOfRange.push_back({index, layer.name + ": " + std::to_string(layer.cornersOutOfRange)
                                                   + (layer.cornersOutOfRange == 1 ? " mesh corner" : " mesh corners")
                                                   + " out of range, not framed"});
        if (layer.hasDisplacement)
            frameOrList(layer.bounds.moved(layer.displacement), index, layer.name + ": the end of its motion (speed x frames)");
        if (layer.hasVibration)
            frameOrList(layer.vibrationBox, index, layer.name + ": its vibration width");
        if (layer.hasTriggerArea)
            frameOrList(layer.triggerArea, index, layer.name + ": its trigger area");
    }
    for (std::size_t i = 0; i < scene.targets.size(); ++i) {
        SceneBox at;
        at.add(scene.targets[i].position);
        frameOrList(at, -1, "target " + std::to_string(i + 1) + ":");
    }
    if (scene.hasStart) {
        SceneBox at;
        at.add(scene.start);
        frameOrList(at, -1, "the start position:");
    }
    if (scene.bounds.empty || scene.bounds.diagonal() == 0 || !std::isfinite(scene.bounds.diagonal())) {
        const ScenePoint c = scene.bounds.empty || !std::isfinite(scene.bounds.diagonal())
                                 ? ScenePoint{} : scene.bounds.centre();
        scene.bounds = {};
        scene.bounds.add(ScenePoint{c.x - 1, c.y - 1, c.z - 1});
        scene.bounds.add(ScenePoint{c.x + 1, c.y + 1, c.z + 1});
    }
}

} // namespace

SceneRequest sceneRequestFor(const LevelProject& project, const std::string& baseFolder)
{
    SceneRequest request;
    request.settings = project.settings;
    for (int i = 0; i < project.layers.count(); ++i)
        request.layers.push_back(project.layers.at(i));
    for (int i = 0; i < project.targets.count(); ++i)
        request.targets.push_back(project.targets.at(i));
    request.baseFolder = baseFolder;
    return request;
}

std::vector<std::string> sceneFiles(const SceneRequest& request)
{
    std::vector<std::string> files;
    for (const LayerPlan& plan : planLayers(request)) {
        for (int f = 1; f <= plan.descriptor.frameCount; ++f)
            files.push_back(frameMeshPath(plan.objPath, plan.descriptor.frameCount, f));
        if (plan.texturePath)
            files.push_back(*plan.texturePath);
    }
    return files;
}

bool sameSceneFiles(const SceneRequest& a, const SceneRequest& b)
{
    if (a.baseFolder != b.baseFolder || a.layers.size() != b.layers.size() || a.draftLayer != b.draftLayer)
        return false;
    for (std::size_t i = 0; i < a.layers.size(); ++i) {
        const LayerEntry& x = a.layers[i];
        const LayerEntry& y = b.layers[i];
        // The kind decides the files only by whether it is an animation.
        const bool animated = isAnimatedLayerKind(x.kind);
        if (x.objPath != y.objPath || x.bmpPath != y.bmpPath || x.draw != y.draw
            || animated != isAnimatedLayerKind(y.kind) || (animated && x.frames != y.frames))
            return false;
    }
    return true;
}

Scene restateScene(const Scene& previous, const SceneRequest& request)
{
    Scene scene = previous;
    describeSettingsAndTargets(scene, request);
    for (std::size_t i = 0; i < scene.layers.size() && i < request.layers.size(); ++i) {
        SceneLayer& layer = scene.layers[i];
        const LayerEntry& entry = request.layers[i];
        layer.kind = entry.kind;
        layer.collision = entry.collision != 0;
        layer.speed = {};
        layer.vibrationWidth = {};
        layer.motionFrames = 0;
        layer.hasDisplacement = false;
        layer.displacement = {};
        layer.hasVibration = false;
        layer.vibrationBox = {};
        layer.hasTriggerArea = false;
        layer.triggerArea = {};
        describeMotion(layer, entry);
    }
    describeBounds(scene);
    return scene;
}

Scene buildScene(const SceneRequest& request, const SceneBuildOptions& options)
{
    Scene scene;
    describeSettingsAndTargets(scene, request);

    // Every file once, from the cache when it holds the file as it is now.
    const std::vector<LayerPlan> plans = planLayers(request);
    std::map<std::pair<std::string, bool>, FileJob> files;
    for (const LayerPlan& plan : plans) {
        for (int f = 1; f <= plan.descriptor.frameCount; ++f)
            files[{frameMeshPath(plan.objPath, plan.descriptor.frameCount, f), true}];
        if (plan.texturePath)
            files[{*plan.texturePath, false}];
    }
    std::vector<FileJob*> toRead;
    std::set<std::string> paths;
    for (auto& [key, job] : files) {
        job.path = key.first;
        job.mesh = key.second;
        paths.insert(job.path);
        if (options.cache) {
            job.stamp = stampFile(job.path);
            if (job.stamp) {
                if (job.mesh)
                    job.meshFrame = options.cache->mesh(job.path, *job.stamp);
                else if (auto kept = options.cache->texture(job.path, *job.stamp);
                         kept && shownAtLargest(*kept, options.largestTexture))
                    job.texture = std::move(kept);
                job.done = job.meshFrame || job.texture;
            }
        }
        if (!job.done)
            toRead.push_back(&job);
    }
    if (!options.cachedOnly)
        readFiles(toRead, options);
    if (options.cache && !options.cachedOnly && !(options.cancelled && options.cancelled->load()))
        options.cache->keepOnly(paths);

    for (std::size_t i = 0; i < plans.size(); ++i) {
        const LayerPlan& plan = plans[i];
        const LayerEntry& entry = request.layers[i];
        SceneLayer layer;
        layer.draft = request.draftLayer && i + 1 == plans.size();
        layer.name = layer.draft ? "the layer in the form ('" + entry.objPath + "'), not added" : plan.name;
        layer.kind = entry.kind;
        layer.draw = entry.draw != 0;
        layer.collision = entry.collision != 0;
        auto problem = [&](const Status& status) {
            scene.problems.push_back({static_cast<int>(i), layer.name + ": " + status.reason()});
        };
        // Like generation, a layer reports its texture before its meshes.
        if (plan.texturePath) {
            const FileJob& job = files.at({*plan.texturePath, false});
            if (!job.done)
                layer.loading = true;
            else if (!job.status)
                problem(job.status);
            else
                layer.texture = job.texture;
            if (layer.texture && layer.texture->shrunk())
                scene.shrunkTextures.push_back(
                    {static_cast<int>(i), layer.name + ": texture '" + entry.bmpPath + "' is "
                                              + std::to_string(layer.texture->fileWidth) + " x "
                                              + std::to_string(layer.texture->fileHeight) + "; the preview shows it at "
                                              + std::to_string(layer.texture->width) + " x "
                                              + std::to_string(layer.texture->height)});
        }
        for (int f = 1; f <= plan.descriptor.frameCount; ++f) {
            const FileJob& job = files.at({frameMeshPath(plan.objPath, plan.descriptor.frameCount, f), true});
            if (!job.done) {
                layer.loading = true;
            } else if (!job.status) {
                problem(job.status);
                layer.frames.clear();
                break;
            } else {
                layer.frames.push_back(job.meshFrame);
                layer.bounds.addBox(job.meshFrame->bounds);
                layer.cornersOutOfRange += job.meshFrame->cornersOutOfRange;
            }
        }
        if (layer.loading)
            layer.frames.clear();

        describeMotion(layer, entry);
        scene.layers.push_back(std::move(layer));
    }

    describeBounds(scene);
    return scene;
}

} // namespace kes
