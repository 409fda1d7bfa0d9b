// The system's notifier with real files and the real clock: each change is seen
// as one burst, soon after the quiet period.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "watch/file_watch.h"

namespace kes {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

#if defined(__linux__) || defined(_WIN32)
// The notifications themselves, not the periodic comparison: a write in a
// watched folder ends a wait, and nothing else does.
TEST(SystemNotifier, AWriteInAWatchedFolderEndsTheWait)
{
    TempDir dir;
    TempDir elsewhere;
    const std::unique_ptr<FolderNotifier> notifier = makeSystemNotifier();
    notifier->watchFolders({dir.path().string()});
    test::writeFile(elsewhere.file("mesh.obj"), std::string("v 0 0 0\n"));
    EXPECT_FALSE(notifier->wait(300ms)) << "a change in another folder";
    std::thread writer([&] {
        std::this_thread::sleep_for(100ms);
        test::writeFile(dir.file("mesh.obj"), std::string("v 0 0 0\n"));
    });
    EXPECT_TRUE(notifier->wait(60s));
    writer.join();
}
#endif

TEST(SystemNotifier, SeesWritesDeletionsAndNewFilesSoon)
{
    TempDir dir;
    test::writeFile(dir.file("mesh.obj"), std::string("v 0 0 0\n"));
    const std::unique_ptr<FolderNotifier> notifier = makeSystemNotifier();
    SteadyWatchClock clock;
    FileWatch watch(*notifier, clock);
    watch.watch({dir.file("mesh.obj"), dir.file("frame_000001.obj")});
    std::atomic<bool> stop{false};

    const std::function<void()> changes[] = {
        [&] { test::writeFile(dir.file("mesh.obj"), std::string("v 1 1 1\nv 2 2 2\n")); },
        [&] {
            std::filesystem::remove(dir.file("mesh.obj"));
            std::this_thread::sleep_for(50ms);
            test::writeFile(dir.file("mesh.obj"), std::string("v 3 3 3\n"));
        },
        [&] { test::writeFile(dir.file("frame_000001.obj"), std::string("v 0 0 0\n")); },
    };
    for (const auto& change : changes) {
        std::thread changer([&] {
            std::this_thread::sleep_for(100ms);
            change();
        });
        const auto start = std::chrono::steady_clock::now();
        const bool burst = watch.waitForBurst(stop);
        changer.join();
        EXPECT_TRUE(burst);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "long after the quiet period";
    }

    // Nothing else changed: the wait goes on until it is stopped.
    std::thread stopper([&] {
        std::this_thread::sleep_for(300ms);
        stop = true;
    });
    EXPECT_FALSE(watch.waitForBurst(stop));
    stopper.join();
}

} // namespace
} // namespace kes
