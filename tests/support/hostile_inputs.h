// Files an unlucky or hostile user may name as a mesh, a texture or an
// animation frame: a pipe nobody writes to (opening it waits for ever), links
// to endless devices (reading them never ends), and a folder. And a guard
// that turns a reading that hangs into a failed test.
#pragma once

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "model/level_model.h"
#include "support/level_fixtures.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kes::test {

// One hostile file standing as one input of a small project: a drawn
// static layer (mesh.obj, tex.bmp) and an animation of two frames
// (wave_000001.obj, wave_000002.obj), the files of each case in a folder of
// its own.
struct HostileCase {
    std::string what;      // for the trace: "a pipe with no writer as the texture"
    std::string folder;    // the project's folder
    std::string file;      // the hostile file's path
    std::string reason;    // the end of the reason every reader gives
    LevelProject project;  // its paths relative to `folder`
};

// Every hostile kind of file as the mesh, the texture and the second frame of
// the animation, in folders under `dir`. Only the folder on Windows.
inline std::vector<HostileCase> hostileCases(const TempDir& dir)
{
    namespace fs = std::filesystem;
    struct Kind {
        const char* what;
        const char* reason;
        const char* device; // the link's target; none for a pipe or a folder
        bool pipe;
    };
    const Kind kinds[] = {
        {"a folder", "is a folder", nullptr, false},
#ifndef _WIN32
        {"a pipe with no writer", "is not a regular file", nullptr, true},
        {"a link to /dev/urandom", "is not a regular file", "/dev/urandom", false},
        {"a link to /dev/zero", "is not a regular file", "/dev/zero", false},
#endif
    };
    const char* const roles[] = {"mesh", "texture", "frame"};
    std::vector<HostileCase> cases;
    for (const Kind& kind : kinds) {
        for (const char* role : roles) {
            HostileCase c;
            c.what = std::string(kind.what) + " as the " + role;
            const fs::path folder = dir.path() / ("case" + std::to_string(cases.size()));
            fs::create_directories(folder);
            c.folder = folder.string();
            writeObj((folder / "mesh.obj").string(), fixtureTriangles(2));
            writeObj((folder / "wave_000001.obj").string(), fixtureTriangles(1));
            writeBmp((folder / "tex.bmp").string(), 3, 2, fixturePixels(3, 2));
            const std::string name = role == std::string("mesh")      ? "hostile.obj"
                                   : role == std::string("texture") ? "hostile.bmp"
                                                                      : "wave_000002.obj";
            if (role != std::string("frame"))
                writeObj((folder / "wave_000002.obj").string(), fixtureTriangles(1, 5));
            c.file = (folder / name).string();
            std::error_code ec;
            if (kind.device)
                fs::create_symlink(kind.device, c.file, ec);
#ifndef _WIN32
            else if (kind.pipe)
                ec = std::error_code(::mkfifo(c.file.c_str(), 0600) == 0 ? 0 : errno, std::generic_category());
#endif
            else
                fs::create_directory(c.file, ec);
            if (ec || !fs::exists(fs::symlink_status(c.file)))
                continue; // the system has no such file
            c.reason = kind.reason;
            LayerEntry still;
            still.objPath = role == std::string("mesh") ? name : "mesh.obj";
            still.bmpPath = role == std::string("texture") ? name : "tex.bmp";
            still.draw = 1;
            still.collision = 1;
            c.project.layers.append(still);
            LayerEntry wave;
            wave.objPath = "wave.obj";
            wave.kind = static_cast<std::int32_t>(LayerKind::Animated);
            wave.frames = 2;
            c.project.layers.append(wave);
            c.project.targets.append(TargetEntry{1, 2, 3, 0});
            cases.push_back(std::move(c));
        }
    }
    return cases;
}

// How long one reading of a hostile input may take before it counts as a
// hang: it takes milliseconds when nothing is wrong.
inline constexpr std::chrono::seconds kHangLimit{20};

// Runs `work` (which must own what it uses: capture by value) on a thread of
// its own and returns its result, or nothing when it has not finished within
// `limit`. A work that hangs is left running, detached, so that the test
// fails instead of the whole run waiting for ever.
template <typename Work>
auto withinTimeLimit(Work work, std::chrono::seconds limit = kHangLimit) -> std::optional<decltype(work())>
{
    using Result = decltype(work());
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> done = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (done.wait_for(limit) != std::future_status::ready)
        return std::nullopt;
    return done.get();
}

} // namespace kes::test
