// Watching the files a level is made from, which may not exist yet, and
// telling one burst of changes from the next: a tool that writes a file in
// several steps, or deletes it and writes it again, makes one burst.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "watch/folder_notifier.h"
#include "watch/watch_clock.h"

namespace kes {

struct FileWatchTiming {
    // A burst ends once the files have stayed unchanged this long.
    std::chrono::milliseconds quiet{300};
    // The longest wait between two looks at the stop flag.
    std::chrono::milliseconds slice{100};
    // The files are compared at least this often, notified or not (a folder
    // that did not exist when the watch began is not notified).
    std::chrono::milliseconds recheck{1000};
};

// What a file is as far as a change goes.
struct FileState {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t modified = 0; // the file's modification time, in the system's ticks

    bool operator==(const FileState&) const = default;
};

// The state of the file at `path` (UTF-8) now.
FileState fileStateOf(const std::string& path);

class FileWatch {
public:
    FileWatch(FolderNotifier& notifier, const WatchClock& clock, FileWatchTiming timing = {});

    // Watches `paths` (UTF-8) from now on, in place of the paths before. A
    // path that was watched before keeps the state it had when last
    // compared, so that a change made since (while a level was generated,
    // say) still makes a burst; a new path starts from its state now.
    void watch(const std::vector<std::string>& paths);

    // Waits for a burst: one of the files changes (is written, touched,
    // created, deleted or replaced) and then all of them stay unchanged for
    // the quiet period. True at the end of a burst; false once `stop` is set
    // (it is looked at every timing.slice at least).
    bool waitForBurst(const std::atomic<bool>& stop);

private:
    // Compares every file with its last state and keeps the new ones: true
    // when one differs.
    bool compare();
    // Waits one slice, at most until `until`, and compares the files when the
    // notifier woke, when the recheck is due or, with `compareAtUntil`, when
    // `until` has come: true when they changed.
    bool waitSlice(WatchTime until, bool compareAtUntil);

    FolderNotifier& notifier_;
    const WatchClock& clock_;
    FileWatchTiming timing_;
    std::map<std::string, FileState> states_;
    WatchTime lastCompare_{};
};

} // namespace kes
