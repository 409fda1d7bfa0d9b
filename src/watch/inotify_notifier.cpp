// Linux: one inotify descriptor, one watch per folder.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "watch/folder_notifier.h"

namespace kes {
namespace {

// Everything that changes a file's contents, its times or which file a name
// names.
constexpr std::uint32_t kFolderEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE
    | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

class InotifyNotifier final : public FolderNotifier {
public:
    explicit InotifyNotifier(int descriptor) : descriptor_(descriptor) {}
    ~InotifyNotifier() override { close(descriptor_); }

    void watchFolders(const std::vector<std::string>& folders) override
    {
        for (const auto& [folder, watch] : watches_)
            inotify_rm_watch(descriptor_, watch);
        watches_.clear();
        for (const std::string& folder : folders) {
            const int watch = inotify_add_watch(descriptor_, folder.c_str(), kFolderEvents | IN_ONLYDIR);
            if (watch >= 0)
                watches_[folder] = watch;
        }
        drain();
    }

    bool wait(std::chrono::milliseconds timeout) override
    {
        pollfd ready{descriptor_, POLLIN, 0};
        const int count = poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(timeout.count(), 0)));
        if (count <= 0)
            return false; // timed out, or a signal
        drain();
        return true;
    }

private:
    // Reads the events waiting; which file they name does not matter, the
    // caller compares its files.
    void drain()
    {
        alignas(inotify_event) char buffer[16384];
        while (read(descriptor_, buffer, sizeof buffer) > 0) {
        }
    }

    int descriptor_;
    std::map<std::string, int> watches_;
};

} // namespace

std::unique_ptr<FolderNotifier> makeSystemNotifier()
{
    const int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0)
        return std::make_unique<PollingNotifier>();
    return std::make_unique<InotifyNotifier>(descriptor);
}

} // namespace kes
