// kesgen-bench-preview: measures the editor's preview, side by side in one
// run:
//   1. building the scene of a level (its meshes and textures through our
//      readers, on worker threads as generation reads them) against the
//      floor: reading the same files with our readers on as many threads;
//      against reading them and keeping the results; and against reading
//      them plus writing as much fresh memory as the scene keeps, once,
//      which is what keeping costs on this machine;
//   2. the time to draw one frame of each level given at 1280 x 720, with
//      whatever OpenGL the display offers (under xvfb-run: Mesa's software
//      renderer).
// Every figure is the fastest of the repetitions.
//
// xvfb-run -a -s "-screen 0 1600x1000x24" kesgen-bench-preview
//     --level=PROJECT.kgp [--draw=OTHER.kgp ...] [--threads=N] [--repetitions=N]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include "app/preview/preview_camera.h"
#include "app/preview/preview_renderer.h"
#include "assets/bmp_reader.h"
#include "assets/obj_reader.h"
#include "generate/generate_level.h"
#include "command_line.h"
#include "level_inputs.h"
#include "offscreen_gl.h"
#include "scene/scene_builder.h"

namespace kes::bench {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Every file read with our readers, the files shared out to `threads`
// threads one at a time as the scene builder shares them. With `keep` the
// results are kept until all are read, as a scene keeps them; without, each
// is dropped at once (and its memory reused for the next file).
bool readAll(const LevelInputs& level, int threads, bool keep)
{
    std::vector<std::pair<std::string, bool>> files;
    for (const std::string& path : level.meshPaths)
        files.push_back({path, true});
    for (const std::string& path : level.texturePaths)
        files.push_back({path, false});
    std::atomic<std::size_t> next{0};
    std::atomic<bool> ok{true};
    std::vector<MeshTriangles> meshes(keep ? files.size() : 0);
    std::vector<BitmapImage> images(keep ? files.size() : 0);
    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
            if (files[i].second) {
                // Read as the scene reads them: the faces without normals.
                ObjReadOptions facesOnly;
                facesOnly.keepNormals = false;
                MeshTriangles mesh;
                ok = ok && static_cast<bool>(loadObjMesh(files[i].first, mesh, nullptr, facesOnly));
                if (keep)
                    meshes[i].faces = std::move(mesh.faces);
            } else {
                BitmapImage image;
                ok = ok && static_cast<bool>(loadBitmap(files[i].first, image));
                if (keep)
                    images[i] = std::move(image);
            }
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
    return ok;
}

// The bytes of meshes and textures a scene keeps.
std::size_t keptBytes(const Scene& scene)
{
    std::size_t bytes = 0;
    for (const SceneLayer& layer : scene.layers) {
        for (const auto& frame : layer.frames)
            bytes += frame->faces.size() * sizeof(MeshFace);
        if (layer.texture)
            bytes += layer.texture->pixels.size();
    }
    return bytes;
}

// Writes `bytes` of memory that the process has not used before once, shared
// out to `threads` threads in pieces of about a mesh's size: what keeping the
// results costs beyond reading them, on this machine.
void writeFreshMemory(std::size_t bytes, int threads)
{
    constexpr std::size_t kPiece = std::size_t(3) << 20;
    std::atomic<std::size_t> next{0};
    std::vector<std::vector<std::vector<std::uint8_t>>> kept(static_cast<std::size_t>(threads));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (std::size_t at; (at = next.fetch_add(kPiece)) < bytes;)
                kept[static_cast<std::size_t>(t)].emplace_back(std::min(kPiece, bytes - at), std::uint8_t(1));
        });
    for (std::thread& worker : workers)
        worker.join();
}

struct Drawing {
    double seconds = 0;
    std::size_t triangles = 0;
};

// The fastest of `repetitions` frames of the level at 1280 x 720, the whole
// level in view, after one frame that uploads it.
Drawing drawFrames(const std::string& projectPath, int repetitions)
{
    const LevelInputs level = listLevelInputs(projectPath);
    auto scene = std::make_shared<const Scene>(buildScene(sceneRequestFor(level.project, level.baseFolder)));
    Drawing drawing;
    for (const SceneLayer& layer : scene->layers)
        if (!layer.frames.empty())
            drawing.triangles += layer.frames[0]->triangleCount();

    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::Depth);
    const QSize size(1280, 720);
    QOpenGLFramebufferObject target(size, format);
    target.bind();
    editor::PreviewRenderer renderer;
    QString reason;
    if (!renderer.initialize(reason)) {
        std::fprintf(stderr, "error: %s\n", qPrintable(reason));
        return {};
    }
    editor::PreviewCamera camera;
    camera.frame(scene->bounds, size);
    auto* gl = QOpenGLContext::currentContext()->functions();
    gl->glViewport(0, 0, size.width(), size.height());
    renderer.setScene(scene, {});
    renderer.render(camera.viewProjection(size), 0, false);
    gl->glFinish();
    drawing.seconds = 1e9;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        renderer.render(camera.viewProjection(size), r, false);
        gl->glFinish();
        drawing.seconds = std::min(drawing.seconds, secondsSince(start));
    }
    renderer.release();
    target.release();
    return drawing;
}

} // namespace
} // namespace kes::bench

int main(int argc, char** argv)
{
    using namespace kes;
    using namespace kes::bench;
    QGuiApplication application(argc, argv);
    std::string projectPath;
    std::vector<std::string> drawn;
    int threads = 0, repetitions = 3;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (takeFlag(argv[i], "--level", projectPath))
            continue;
        if (takeFlag(argv[i], "--draw", value))
            drawn.push_back(value);
        else if (takeFlag(argv[i], "--threads", value))
            threads = std::stoi(value);
        else if (takeFlag(argv[i], "--repetitions", value))
            repetitions = std::max(1, std::stoi(value));
    }
    if (projectPath.empty()) {
        std::fprintf(stderr, "usage: kesgen-bench-preview --level=PROJECT.kgp [--draw=OTHER.kgp ...]"
                             " [--threads=N] [--repetitions=N]\n");
        return 2;
    }
    GenerationOptions generation;
    generation.threads = threads;
    threads = generationThreadCount(generation);

    try {
        const LevelInputs level = listLevelInputs(projectPath);
        const SceneRequest request = sceneRequestFor(level.project, level.baseFolder);
        double floor = 1e9, kept = 1e9, build = 1e9, fresh = 1e9;
        std::size_t sceneBytes = 0;
        // Side by side, in turns, so that all see the same machine.
        for (int r = 0; r < repetitions; ++r) {
            auto start = Clock::now();
            if (!readAll(level, threads, false)) {
                std::fprintf(stderr, "error: a file of the level can't be read\n");
                return 1;
            }
            floor = std::min(floor, secondsSince(start));
            start = Clock::now();
            readAll(level, threads, true);
            kept = std::min(kept, secondsSince(start));
            SceneAssetCache cache; // a fresh editor
            SceneBuildOptions options;
            options.cache = &cache;
            options.threads = threads;
            start = Clock::now();
            const Scene scene = buildScene(request, options);
            build = std::min(build, secondsSince(start));
            if (!scene.problems.empty()) {
                std::fprintf(stderr, "error: %s\n", scene.problems.front().reason.c_str());
                return 1;
            }
            sceneBytes = keptBytes(scene);
            start = Clock::now();
            writeFreshMemory(sceneBytes, threads);
            fresh = std::min(fresh, secondsSince(start));
        }

        OffscreenGl offscreen;
        const bool canDraw = offscreen.start();
        QOpenGLContext& context = offscreen.context;

        std::printf("\n## kesgen preview benchmark (fastest of %d repetitions, %d threads)\n\n", repetitions, threads);
        std::printf("| measure | result | reference | ratio | target |\n|---|---|---|---|---|\n");
        std::printf("| scene of %s | %.1f ms | reading its %zu meshes and %zu textures %.1f ms | %.3fx | <= 1.2x |\n",
                    projectPath.c_str(), build * 1e3, level.meshPaths.size(), level.texturePaths.size(), floor * 1e3,
                    build / floor);
        std::printf("| scene of %s | %.1f ms | the same, the results kept as a scene keeps them, %.1f ms | %.3fx | |\n",
                    projectPath.c_str(), build * 1e3, kept * 1e3, build / kept);
        std::printf("| scene of %s | %.1f ms | reading its files %.1f ms + writing the %.0f MB it keeps into fresh"
                    " memory once %.1f ms | %.3fx | |\n",
                    projectPath.c_str(), build * 1e3, floor * 1e3, sceneBytes / 1e6, fresh * 1e3,
                    build / (floor + fresh));
        if (!canDraw) {
            std::printf("| frame time | (no OpenGL 3.3 here) | | | |\n");
            return 0;
        }
        std::printf("\nRenderer: %s\n\n", reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER)));
        drawn.insert(drawn.begin(), projectPath);
        std::printf("| frame at 1280 x 720 | triangles | milliseconds |\n|---|---|---|\n");
        for (const std::string& path : drawn) {
            const Drawing drawing = drawFrames(path, repetitions);
            std::printf("| %s | %zu | %.1f |\n", path.c_str(), drawing.triangles, drawing.seconds * 1e3);
        }
        context.doneCurrent();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
