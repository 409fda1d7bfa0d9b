// kesgen-bench-drag: one step of a drag in the editor's 3D view on a large
// level, as the user-interface thread does it, without drawing:
//   the mouse's ray, the move tool's edit of the level document (merged into
//   the drag's undo step), the view's request made again and the scene
//   restated from the last one (no file is looked at), the handles picked
//   under the mouse, and the overlay rebuilt (markers, boxes, handles, grid)
//   and uploaded. Also the picking structures taken over for the restated
//   scene, which the view makes on a worker thread.
// Median of the steps of a drag across the level.
//
// xvfb-run -a -s "-screen 0 1600x1000x24" kesgen-bench-drag --level=PROJECT.kgp [--steps=N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QUndoStack>

#include "app/preview/edit_overlay.h"
#include "app/preview/preview_camera.h"
#include "app/preview/preview_pane.h"
#include "app/preview/preview_renderer.h"
#include "app/view_editing/edit_tools.h"
#include "command_line.h"
#include "document/level_document.h"
#include "level_inputs.h"
#include "offscreen_gl.h"
#include "scene/scene_builder.h"
#include "scene/surface_picker.h"

namespace kes::bench {
namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace
} // namespace kes::bench

int main(int argc, char** argv)
{
    using namespace kes;
    using namespace kes::bench;
    using namespace kes::editor;
    QGuiApplication application(argc, argv);
    std::string projectPath;
    int steps = 200;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (takeFlag(argv[i], "--level", value))
            projectPath = value;
        else if (takeFlag(argv[i], "--steps", value))
            steps = std::max(1, std::stoi(value));
    }
    if (projectPath.empty()) {
        std::fprintf(stderr, "usage: kesgen-bench-drag --level=PROJECT.kgp [--steps=N]\n");
        return 2;
    }
    const LevelInputs level = listLevelInputs(projectPath);
    LevelProject project = level.project;
    if (project.targets.count() == 0)
        project.targets.append(TargetEntry{});
    LevelDocument document;
    document.reset(project, projectPath);
    document.select(LevelTable::Targets, 0);

    SceneRequest shown = previewRequestFor(document.project(), document.folder(), std::nullopt, std::nullopt);
    auto scene = std::make_shared<const Scene>(buildScene(shown));
    auto picker = std::make_shared<const SurfacePicker>(*scene);

    OffscreenGl offscreen;
    QOpenGLContext& context = offscreen.context;
    if (!offscreen.start()) {
        std::fprintf(stderr, "error: no OpenGL 3.3 here\n");
        return 1;
    }
    PreviewRenderer renderer;
    QString reason;
    if (!renderer.initialize(reason)) {
        std::fprintf(stderr, "error: %s\n", qPrintable(reason));
        return 1;
    }
    const PreviewSelection selection{-1, 0};
    renderer.setScene(scene, selection);
    auto* gl = context.functions();
    gl->glFinish();

    const QSize size(1280, 720);
    PreviewCamera camera;
    camera.setMode(ViewMode::Top);
    camera.frame(scene->bounds, size);
    const TargetEntry& first = document.targets().at(0);
    const QPointF from = camera.project({first.x, first.y, first.z}, size);
    const Ray grabbed = *camera.ray(from, size);
    const float handleSize = markerSize(scene->bounds);

    std::vector<double> total, edit, restate, pick, overlay, takeOver;
    int restatedSteps = 0;
    {
        PointMoveTool tool(document, 0, {first.x, first.y, first.z}, grabbed);
        for (int i = 1; i <= steps; ++i) {
            const QPointF pixel = from + QPointF(400.0 * i / steps, 150.0 * i / steps);
            const auto start = Clock::now();
            // The mouse's ray and the tool's edit of the level.
            const Ray ray = *camera.ray(pixel, size);
            // Without snapping, so that every step changes the level.
            tool.drag({pixel, ray, false}, {ViewMode::Top, 0.0f});
            const double edited = millisecondsSince(start);
            // The view's request, and the scene restated from the last one.
            SceneRequest request = previewRequestFor(document.project(), document.folder(), std::nullopt, std::nullopt);
            if (!(request == shown) && sameSceneFiles(request, shown)) {
                scene = std::make_shared<const Scene>(restateScene(*scene, request));
                ++restatedSteps;
            }
            shown = std::move(request);
            const double restated = millisecondsSince(start);
            // The handles under the mouse.
            const std::vector<EditHandle> handles = editHandles(*scene, {EditSelection::What::Target, 0});
            volatile bool hit = pickHandle(ray, handles, handleSize).has_value();
            (void)hit;
            const double picked = millisecondsSince(start);
            // The overlay rebuilt and uploaded: markers and boxes, handles, grid.
            renderer.setScene(scene, selection);
            const OverlayGeometry handleLines = handleGeometry(handles, std::nullopt, handleSize, handleSize);
            const auto grid = gridLines(ViewMode::Top, {0, 0, 0}, camera.unitsPerPixel(size) * 1280 * 0.6f, 1.0f);
            gl->glFinish();
            const double all = millisecondsSince(start);
            total.push_back(all);
            edit.push_back(edited);
            restate.push_back(restated - edited);
            pick.push_back(picked - restated);
            overlay.push_back(all - picked);
            (void)handleLines;
            (void)grid;
            // Off the user-interface thread: the picking structures taken over.
            const auto taking = Clock::now();
            picker = std::make_shared<const SurfacePicker>(*scene, picker.get());
            takeOver.push_back(millisecondsSince(taking));
        }
        tool.finish();
    }
    renderer.release();
    std::printf("\n## kesgen drag step (median of %d steps, %s)\n\n", steps,
                reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER)));
    std::printf("| measure | median | target |\n|---|---|---|\n");
    std::printf("| one drag step without drawing | %.3f ms | <= 1 ms |\n", median(total));
    std::printf("| of which: the document's edit | %.3f ms | |\n", median(edit));
    std::printf("| of which: the request and the restated scene | %.3f ms | |\n", median(restate));
    std::printf("| of which: the handle under the mouse | %.3f ms | |\n", median(pick));
    std::printf("| of which: the overlay rebuilt and uploaded | %.3f ms | |\n", median(overlay));
    std::printf("| picking structures taken over (worker thread) | %.3f ms | |\n", median(takeOver));
    std::printf("\n%d of %d steps changed the level; undo steps after the drag: %d (one for the whole drag)\n",
                restatedSteps, steps, document.undoStack().count());
    return 0;
}
