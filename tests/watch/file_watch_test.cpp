// Bursts of changes to real files, timed by a fake clock: the notifier of
// these tests moves the clock and changes the files at the times of a script.
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "watch/file_watch.h"

namespace kes {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using test::TempDir;

class FakeClock final : public WatchClock {
public:
    WatchTime now() const override { return now_; }
    void set(WatchTime time) { now_ = time; }
    milliseconds elapsed() const { return std::chrono::duration_cast<milliseconds>(now_ - WatchTime{}); }

private:
    WatchTime now_{};
};

struct Step {
    milliseconds at;           // from the start of the clock
    std::function<void()> act; // what is done to the files then
    bool notified = true;      // false: as in a folder the system does not watch
};

// Moves the clock through each wait, doing the steps that fall in it; once
// the script is over and a few seconds have passed, sets `stop`.
class ScriptedNotifier final : public FolderNotifier {
public:
    ScriptedNotifier(FakeClock& clock, std::vector<Step> steps, std::atomic<bool>& stop)
        : clock_(clock), steps_(std::move(steps)), stop_(stop)
    {
    }
    void watchFolders(const std::vector<std::string>& folders) override { folders_ = folders; }
    bool wait(milliseconds timeout) override
    {
        const WatchTime end = clock_.now() + timeout;
        if (next_ < steps_.size() && WatchTime{} + steps_[next_].at <= end) {
            const Step& step = steps_[next_++];
            clock_.set(WatchTime{} + step.at);
            step.act();
            return step.notified;
        }
        clock_.set(end);
        if (next_ == steps_.size() && clock_.elapsed() > (steps_.empty() ? 0ms : steps_.back().at) + 5s)
            stop_ = true;
        return false;
    }
    std::vector<std::string> folders_;

private:
    FakeClock& clock_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::atomic<bool>& stop_;
};

// When each burst ended, from the start of the clock.
std::vector<milliseconds> burstEnds(FileWatch& watch, FakeClock& clock, std::atomic<bool>& stop)
{
    std::vector<milliseconds> ends;
    while (watch.waitForBurst(stop))
        ends.push_back(clock.elapsed());
    return ends;
}

TEST(FileWatch, OneBurstPerRunOfChanges)
{
    struct Case {
        const char* name;
        std::function<std::vector<Step>(const TempDir&)> script;
        // Each burst's end must lie between these, the quiet period after the
        // last change of the burst and a slice later.
        std::vector<std::pair<milliseconds, milliseconds>> bursts;
    };
    const auto write = [](const TempDir& dir, const char* name, std::size_t size) {
        return [&dir, name, size] { test::writeFile(dir.file(name), std::string(size, 'x')); };
    };
    const Case cases[] = {
        {"one write", [&](const TempDir& d) { return std::vector<Step>{{1000ms, write(d, "mesh.obj", 5)}}; },
         {{1300ms, 1400ms}}},
        {"a file written in three steps",
         [&](const TempDir& d) {
             return std::vector<Step>{{1000ms, write(d, "mesh.obj", 5)},
                                      {1150ms, write(d, "mesh.obj", 10)},
                                      {1400ms, write(d, "mesh.obj", 15)}};
         },
         {{1700ms, 1800ms}}},
        {"two writes a second apart",
         [&](const TempDir& d) {
             return std::vector<Step>{{1000ms, write(d, "mesh.obj", 5)}, {2000ms, write(d, "tex.bmp", 5)}};
         },
         {{1300ms, 1400ms}, {2300ms, 2400ms}}},
        {"deleted, then written again",
         [&](const TempDir& d) {
             return std::vector<Step>{{1000ms, [&d] { std::filesystem::remove(d.file("mesh.obj")); }},
                                      {1200ms, write(d, "mesh.obj", 3)}};
         },
         {{1500ms, 1600ms}}},
        {"only touched",
         [&](const TempDir& d) {
             return std::vector<Step>{{1000ms, [&d] {
                                           const auto path = d.file("tex.bmp");
                                           std::filesystem::last_write_time(
                                               path, std::filesystem::last_write_time(path) + 2s);
                                       }}};
         },
         {{1300ms, 1400ms}}},
        {"a file that did not exist yet",
         [&](const TempDir& d) { return std::vector<Step>{{1000ms, write(d, "wave_000002.obj", 1)}}; },
         {{1300ms, 1400ms}}},
        {"replaced by a rename",
         [&](const TempDir& d) {
             return std::vector<Step>{{1000ms, [&d] {
                                           test::writeFile(d.file("new.tmp"), std::string("abcdefg"));
                                           std::filesystem::rename(d.file("new.tmp"), d.file("mesh.obj"));
                                       }}};
         },
         {{1300ms, 1400ms}}},
        {"another file of the folder",
         [&](const TempDir& d) { return std::vector<Step>{{1000ms, write(d, "other.obj", 4)}}; },
         {}},
        {"a folder made later, whose files no notification names",
         [&](const TempDir& d) {
             return std::vector<Step>{{1000ms,
                                       [&d] {
                                           std::filesystem::create_directory(d.file("later"));
                                           test::writeFile(d.file("later/frame.obj"), std::string("v 0 0 0\n"));
                                       },
                                       false}};
         },
         {{1300ms, 2400ms}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        test::writeFile(dir.file("mesh.obj"), std::string("v"));
        test::writeFile(dir.file("tex.bmp"), std::string("BM"));
        test::writeFile(dir.file("other.obj"), std::string("o"));
        std::atomic<bool> stop{false};
        FakeClock clock;
        ScriptedNotifier notifier(clock, c.script(dir), stop);
        FileWatch watch(notifier, clock);
        watch.watch({dir.file("mesh.obj"), dir.file("tex.bmp"), dir.file("wave_000002.obj"),
                     dir.file("later/frame.obj")});
        EXPECT_EQ(notifier.folders_, (std::vector<std::string>{dir.path().string(), dir.file("later")}));
        const std::vector<milliseconds> ends = burstEnds(watch, clock, stop);
        ASSERT_EQ(ends.size(), c.bursts.size());
        for (std::size_t i = 0; i < ends.size(); ++i) {
            EXPECT_GE(ends[i], c.bursts[i].first) << i;
            EXPECT_LE(ends[i], c.bursts[i].second) << i;
        }
    }
}

// A change made while no one waits (while the level is generated) is a burst
// of the next wait; so is one to a file that a new list of paths keeps, and a
// file new to the list starts from its state then.
TEST(FileWatch, ChangesBetweenWaitsAndNewPathsCount)
{
    TempDir dir;
    test::writeFile(dir.file("a.obj"), std::string("1"));
    test::writeFile(dir.file("b.obj"), std::string("1"));
    std::atomic<bool> stop{false};
    FakeClock clock;
    ScriptedNotifier notifier(clock, {}, stop);
    FileWatch watch(notifier, clock);
    watch.watch({dir.file("a.obj")});

    test::writeFile(dir.file("a.obj"), std::string("22"));
    EXPECT_TRUE(watch.waitForBurst(stop));
    EXPECT_EQ(clock.elapsed(), 300ms) << "the quiet period, from the change seen at once";

    test::writeFile(dir.file("a.obj"), std::string("333"));
    test::writeFile(dir.file("b.obj"), std::string("22"));
    watch.watch({dir.file("a.obj"), dir.file("b.obj")});
    EXPECT_TRUE(watch.waitForBurst(stop)) << "a.obj changed before the new list";
    EXPECT_FALSE(watch.waitForBurst(stop)) << "b.obj was new to the list: its state then is where it starts";
}

} // namespace
} // namespace kes
