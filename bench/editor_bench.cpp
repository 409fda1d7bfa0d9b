// kesgen-bench-editor: how soon the editor's window answers while its
// preview shows a heavy level, measured on the real window (MainDialog, with
// whatever OpenGL the display offers; under xvfb-run Mesa's software
// renderer), in one run:
//   1. opening a level of one 16384 x 16384 texture (made in a temporary
//      folder): the longest time the event loop does not turn (a 5 ms timer
//      notes the longest gap between its ticks) from opening until the view
//      has drawn it, that time, and the peak memory meanwhile;
//   2. on the level given: a key typed into the Title field until the field
//      has shown it (the key handled and the repaint it caused done), and
//      how many times the view was drawn for it;
//   3. a target of the level moved (an edit of its row) until the view has
//      drawn it, and beside it the camera turned until the view has drawn
//      it, which draws every mesh.
// The times are the median and the slowest of the repetitions.
//
// xvfb-run -a -s "-screen 0 1600x1000x24" kesgen-bench-editor --level=PROJECT.kgp [--repetitions=N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTest>
#include <QTimer>

#include "app/actions/project_actions.h"
#include "app/dialog_description.h"
#include "app/preview/preview_pane.h"
#include "app/preview/preview_view.h"
#include "command_line.h"
#include "dialog_under_test.h"
#include "model/byte_order.h"
#include "model/project_file.h"

namespace kes::bench {
namespace {

using Clock = std::chrono::steady_clock;
using editor::MainDialog;
using editor::PreviewPane;
using editor::PreviewView;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Turns the event loop until `done` (false after `seconds`). Sleeps while
// no event comes, so that the drawing threads have the processors.
bool turnUntil(const std::function<bool()>& done, double seconds = 120)
{
    QTimer tick; // wakes the wait at least every millisecond
    tick.start(1);
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Waits until the view's drawing is done on the graphics side too.
void finishDrawing(PreviewView& view)
{
    view.makeCurrent();
    QOpenGLContext::currentContext()->functions()->glFinish();
    view.doneCurrent();
}

struct Times {
    std::vector<double> ms;
    double median() const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    double slowest() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// The longest time between two ticks of a 5 ms timer: how long the event
// loop, and so the window, did not answer.
class GapWatch : public QObject {
public:
    GapWatch()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const auto now = Clock::now();
            longest_ = std::max(longest_, std::chrono::duration<double, std::milli>(now - last_).count());
            last_ = now;
        });
    }
    void start()
    {
        last_ = Clock::now();
        longest_ = 0;
        timer_.start();
    }
    // The longest gap, the one still open included.
    double stop()
    {
        timer_.stop();
        return std::max(longest_, millisecondsSince(last_));
    }

private:
    QTimer timer_;
    Clock::time_point last_;
    double longest_ = 0;
};

// Counts the paints of a widget.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// The peak resident size since the last resetPeakMemory(), in MB (Linux; 0
// elsewhere).
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

// A level of one square layer drawn with a side x side texture, written row
// by row into `folder`; returns its project file.
std::string writeBigTextureLevel(const std::filesystem::path& folder, int side)
{
    std::filesystem::create_directories(folder);
    {
        std::ofstream obj(folder / "square.obj");
        obj << "v -10 -10 0\nv 10 -10 0\nv 10 10 0\nv -10 10 0\n"
               "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nf 1/1 2/2 3/3\nf 1/1 3/3 4/4\n";
    }
    const std::uint32_t stride = (static_cast<std::uint32_t>(side) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> head(54, 0);
    head[0] = 'B';
    head[1] = 'M';
    putU32(head.data() + 2, 54 + stride * static_cast<std::uint32_t>(side));
    putU32(head.data() + 10, 54);
    putU32(head.data() + 14, 40);
    putU32(head.data() + 18, static_cast<std::uint32_t>(side));
    putU32(head.data() + 22, static_cast<std::uint32_t>(side));
    putU16(head.data() + 26, 1);
    putU16(head.data() + 28, 24);
    std::ofstream bmp(folder / "big.bmp", std::ios::binary);
    bmp.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    std::vector<std::uint8_t> row(stride, 0);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            row[x * 3 + 0] = static_cast<std::uint8_t>(x);
            row[x * 3 + 1] = static_cast<std::uint8_t>(y);
            row[x * 3 + 2] = static_cast<std::uint8_t>((x ^ y) >> 6);
        }
        bmp.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
    }
    LevelProject project;
    LayerEntry layer;
    layer.objPath = "square.obj";
    layer.bmpPath = "big.bmp";
    layer.draw = 1;
    layer.collision = 1;
    project.layers.append(layer);
    const std::string path = (folder / "big.kgp").string();
    if (!saveProject(project, path))
        throw std::runtime_error("cannot write " + path);
    return path;
}

// Opens `path` and waits until every file is read and the view has drawn the
// result.
bool openAndShow(MainDialog& dialog, const std::string& path)
{
    PreviewPane& pane = *dialog.preview();
    if (!dialog.projectActions().openFile(path))
        return false;
    auto read = [&] {
        return pane.scene() && pane.scene()->loadingLayers() == 0 && !pane.scene()->layers.empty()
            && dialog.document().layers().count() == static_cast<int>(pane.scene()->layers.size());
    };
    if (!turnUntil(read))
        return false;
    // Drawn once more, in case it was drawn in the turn that brought it.
    PreviewView& view = *pane.view();
    const int frames = view.renderer().frames();
    view.update();
    // A large texture is made over a few frames: until the last of them.
    const bool drawn =
        turnUntil([&] { return view.renderer().frames() > frames && !view.renderer().texturesPending(); });
    finishDrawing(view);
    return drawn;
}

} // namespace
} // namespace kes::bench

int main(int argc, char** argv)
{
    using namespace kes;
    using namespace kes::bench;
    QApplication application(argc, argv);
    std::string projectPath;
    int repetitions = 15;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (takeFlag(argv[i], "--level", projectPath))
            continue;
        if (takeFlag(argv[i], "--repetitions", value))
            repetitions = std::max(1, std::stoi(value));
    }
    if (projectPath.empty()) {
        std::fprintf(stderr, "usage: kesgen-bench-editor --level=PROJECT.kgp [--repetitions=N]\n");
        return 2;
    }
    try {
        editor_test::TestUserFolders userFolders; // no recovery copy or recent list of the user's
        editor_test::FakePlatformServices services;
        MainDialog dialog(services);
        dialog.resize(1400, 900);
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog) || !dialog.preview()->view()) {
            std::fprintf(stderr, "error: the editor's window shows no 3D view here\n");
            return 1;
        }
        PreviewView& view = *dialog.preview()->view();
        const editor::PreviewRenderer& renderer = view.renderer();

        // 1. The big texture, first, while nothing else is held.
        const test::TempDir temp;
        const int side = 16384;
        const std::string bigLevel = writeBigTextureLevel(temp.path() / "big", side);
        turnUntil([] { return true; });
        GapWatch gaps;
        resetPeakMemory();
        const double before = peakMemoryMb();
        gaps.start();
        auto start = Clock::now();
        if (!openAndShow(dialog, bigLevel)) {
            std::fprintf(stderr, "error: the level of the big texture was not shown\n");
            return 1;
        }
        const double bigShown = millisecondsSince(start);
        const double bigGap = gaps.stop();
        const double bigPeak = peakMemoryMb();
        // The same level with a texture of 64 x 64: what opening any level
        // costs the window (every field of the form drawn again).
        const std::string smallLevel = writeBigTextureLevel(temp.path() / "small", 64);
        turnUntil([] { return true; });
        gaps.start();
        if (!openAndShow(dialog, smallLevel)) {
            std::fprintf(stderr, "error: the level of the small texture was not shown\n");
            return 1;
        }
        const double smallGap = gaps.stop();

        // 2. and 3. on the level given.
        if (!openAndShow(dialog, projectPath)) {
            std::fprintf(stderr, "error: %s was not shown\n", projectPath.c_str());
            return 1;
        }
        editor::LevelDocument& document = dialog.document();
        if (document.targets().count() == 0) {
            document.addRow(TargetEntry{0, 0, 0, 0}, QStringLiteral("Add target"));
            turnUntil([&] { return dialog.preview()->scene()->targets.size() == 1; });
        }
        QTest::qWait(200); // settled

        auto* title = dialog.controlAs<QLineEdit>(editor::kTitle);
        dialog.activateWindow();
        title->setFocus();
        title->end(false);
        PaintCount titlePaints(title);
        Times typing;
        const int framesBeforeTyping = renderer.frames();
        for (int r = 0; r < repetitions; ++r) {
            const int painted = titlePaints.count;
            const QChar key('a' + r % 26);
            start = Clock::now();
            QTest::keyClick(title, key.toLatin1());
            turnUntil([&] { return titlePaints.count > painted; });
            QCoreApplication::processEvents(); // what the key started in the same turn
            typing.ms.push_back(millisecondsSince(start));
            if (!title->text().endsWith(key))
                throw std::runtime_error("the title did not take the key: " + title->text().toStdString());
        }
        const int framesForTyping = renderer.frames() - framesBeforeTyping;

        Times moving, turning;
        const int passesBeforeMoving = renderer.meshPasses();
        const ScenePoint centre = dialog.preview()->scene()->bounds.centre();
        for (int r = 0; r < repetitions; ++r) {
            const TargetEntry moved{centre.x + static_cast<float>(r % 5), centre.y, centre.z, 0};
            const int frames = renderer.frames();
            start = Clock::now();
            document.replaceRow(0, moved, QStringLiteral("Move target"));
            turnUntil([&] {
                return renderer.frames() > frames
                    && dialog.preview()->scene()->targets[0].position.x == moved.x;
            });
            finishDrawing(view);
            moving.ms.push_back(millisecondsSince(start));
        }
        const int passesForMoving = renderer.meshPasses() - passesBeforeMoving;
        for (int r = 0; r < std::min(repetitions, 5); ++r) {
            const int frames = renderer.frames();
            start = Clock::now();
            view.camera().orbit({r % 2 ? -8.0 : 8.0, 0});
            view.update();
            turnUntil([&] { return renderer.frames() > frames; });
            finishDrawing(view);
            turning.ms.push_back(millisecondsSince(start));
        }

        std::printf("\n## kesgen editor benchmark (the real window, %d repetitions)\n\n", repetitions);
        view.makeCurrent();
        std::printf("Renderer: %s\n\n", reinterpret_cast<const char*>(
                                             QOpenGLContext::currentContext()->functions()->glGetString(GL_RENDERER)));
        view.doneCurrent();
        std::printf("| measure | result | target |\n|---|---|---|\n");
        std::printf("| a key typed into Title until the field shows it, %s | %.1f ms median, %.1f ms slowest |"
                    " <= 50 ms |\n",
                    projectPath.c_str(), typing.median(), typing.slowest());
        std::printf("| frames the view drew for %d keys typed into Title | %d | 0 |\n", repetitions,
                    framesForTyping);
        std::printf("| a target moved until the view has drawn it | %.1f ms median, %.1f ms slowest | <= 100 ms |\n",
                    moving.median(), moving.slowest());
        std::printf("| mesh passes for %d target moves | %d | 0 |\n", repetitions, passesForMoving);
        std::printf("| (for reference) the camera turned until the view has drawn it, every mesh drawn |"
                    " %.1f ms median, %.1f ms slowest | |\n",
                    turning.median(), turning.slowest());
        std::printf("| opening a level of one %d x %d texture: the longest the window does not answer |"
                    " %.1f ms | <= 100 ms |\n",
                    side, side, bigGap);
        std::printf("| the same: until the view has drawn it | %.0f ms | |\n", bigShown);
        std::printf("| (for reference) the same level with a 64 x 64 texture: the longest the window does not"
                    " answer | %.1f ms | |\n",
                    smallGap);
        std::printf("| the same: peak memory of the editor (%.0f MB before opening) | %.0f MB | |\n", before,
                    bigPeak);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
