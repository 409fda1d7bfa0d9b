// Wakes a waiting thread when something may have changed in a few folders:
// inotify on Linux, ReadDirectoryChangesW on Windows, and elsewhere (or when
// the system refuses) a notifier that wakes every so often, so that the
// caller compares its files then.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kes {

class FolderNotifier {
public:
    virtual ~FolderNotifier() = default;

    // Watches these folders (UTF-8 paths) in place of any watched before. A
    // folder that does not exist, or that the system won't watch, is left
    // out: the caller's periodic comparison covers its files.
    virtual void watchFolders(const std::vector<std::string>& folders) = 0;

    // Waits until something may have changed in a watched folder (true) or
    // `timeout` has passed (false). A signal may end the wait early. A true
    // result is a hint: the caller compares its files to know.
    virtual bool wait(std::chrono::milliseconds timeout) = 0;
};

// The system's notifications, or a PollingNotifier when it has none.
std::unique_ptr<FolderNotifier> makeSystemNotifier();

// Watches nothing: each wait sleeps at most `interval` and says that
// something may have changed, so the caller compares its files that often.
class PollingNotifier final : public FolderNotifier {
public:
    explicit PollingNotifier(std::chrono::milliseconds interval = std::chrono::milliseconds(250))
        : interval_(interval)
    {
    }
    void watchFolders(const std::vector<std::string>&) override {}
    bool wait(std::chrono::milliseconds timeout) override;

private:
    std::chrono::milliseconds interval_;
};

} // namespace kes
