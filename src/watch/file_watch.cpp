#include "watch/file_watch.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "model/file_io.h"

namespace kes {

namespace fs = std::filesystem;

FileState fileStateOf(const std::string& path)
{
    const fs::path file = pathFromUtf8(path);
    std::error_code error;
    FileState state;
    const fs::file_status status = fs::status(file, error);
    if (error || !fs::exists(status))
        return state;
    state.exists = true;
    if (fs::is_regular_file(status)) {
        state.size = fs::file_size(file, error);
        if (error)
            state.size = 0;
    }
    const fs::file_time_type modified = fs::last_write_time(file, error);
    if (!error)
        state.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
    return state;
}

FileWatch::FileWatch(FolderNotifier& notifier, const WatchClock& clock, FileWatchTiming timing)
    : notifier_(notifier), clock_(clock), timing_(timing)
{
}

void FileWatch::watch(const std::vector<std::string>& paths)
{
    std::map<std::string, FileState> states;
    std::set<std::string> folders;
    for (const std::string& path : paths) {
        const auto known = states_.find(path);
        states[path] = known != states_.end() ? known->second : fileStateOf(path);
        const fs::path folder = pathFromUtf8(path).parent_path();
        folders.insert(folder.empty() ? std::string(".") : pathToUtf8(folder));
    }
    states_ = std::move(states);
    notifier_.watchFolders(std::vector<std::string>(folders.begin(), folders.end()));
    lastCompare_ = clock_.now();
}

bool FileWatch::compare()
{
    bool changed = false;
    for (auto& [path, state] : states_) {
        const FileState now = fileStateOf(path);
        changed = changed || now != state;
        state = now;
    }
    lastCompare_ = clock_.now();
    return changed;
}

bool FileWatch::waitSlice(WatchTime until, bool compareAtUntil)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - clock_.now());
    const bool notified = notifier_.wait(std::clamp(left, std::chrono::milliseconds(0), timing_.slice));
    const WatchTime now = clock_.now();
    if (notified || now - lastCompare_ >= timing_.recheck || (compareAtUntil && now >= until))
        return compare();
    return false;
}

bool FileWatch::waitForBurst(const std::atomic<bool>& stop)
{
    // A change made while nobody waited (during a generation) counts.
    bool changed = compare();
    while (!changed) {
        if (stop)
            return false;
        changed = waitSlice(clock_.now() + timing_.slice, false);
    }
    WatchTime quietUntil = clock_.now() + timing_.quiet;
    while (!stop) {
        if (waitSlice(quietUntil, true))
            quietUntil = clock_.now() + timing_.quiet;
        else if (clock_.now() >= quietUntil)
            return true;
    }
    return false;
}

} // namespace kes
