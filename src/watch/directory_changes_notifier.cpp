// Windows: one ReadDirectoryChangesW request per folder, all waited for at
// once. Past the most handles one wait takes, the rest of the folders are
// left to the caller's periodic comparison.
#include <algorithm>
#include <array>
#include <filesystem>

#include <windows.h>

#include "model/file_io.h"
#include "watch/folder_notifier.h"

namespace kes {
namespace {

constexpr DWORD kFolderChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME
    | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;

class WatchedFolder {
public:
    WatchedFolder(HANDLE folder, HANDLE event) : folder_(folder), event_(event) {}
    ~WatchedFolder()
    {
        // The request writes into buffer_ until it is cancelled and done.
        if (pending_) {
            CancelIoEx(folder_, &overlapped_);
            DWORD ignored = 0;
            GetOverlappedResult(folder_, &overlapped_, &ignored, TRUE);
        }
        CloseHandle(event_);
        CloseHandle(folder_);
    }
    WatchedFolder(const WatchedFolder&) = delete;
    WatchedFolder& operator=(const WatchedFolder&) = delete;

    HANDLE event() const { return event_; }

    // Asks for the next changes; false when the system refuses.
    bool request()
    {
        ResetEvent(event_);
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_;
        pending_ = ReadDirectoryChangesW(folder_, buffer_.data(), static_cast<DWORD>(buffer_.size() * sizeof(DWORD)),
                                         FALSE, kFolderChanges, nullptr, &overlapped_, nullptr)
            != 0;
        return pending_;
    }

    // Takes the finished request's result (which names the files does not
    // matter: the caller compares its files) and asks again.
    void renew()
    {
        DWORD ignored = 0;
        GetOverlappedResult(folder_, &overlapped_, &ignored, FALSE);
        pending_ = false;
        request();
    }

private:
    HANDLE folder_;
    HANDLE event_;
    OVERLAPPED overlapped_{};
    bool pending_ = false;
    std::array<DWORD, 4096> buffer_{};
};

class DirectoryChangesNotifier final : public FolderNotifier {
public:
    void watchFolders(const std::vector<std::string>& folders) override
    {
        watched_.clear();
        for (const std::string& folder : folders) {
            if (watched_.size() == MAXIMUM_WAIT_OBJECTS)
                break;
            const std::filesystem::path path = pathFromUtf8(folder);
            HANDLE handle = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                continue;
            HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (event == nullptr) {
                CloseHandle(handle);
                continue;
            }
            auto watched = std::make_unique<WatchedFolder>(handle, event);
            if (watched->request())
                watched_.push_back(std::move(watched));
        }
    }

    bool wait(std::chrono::milliseconds timeout) override
    {
        const DWORD milliseconds = static_cast<DWORD>(std::max<long long>(timeout.count(), 0));
        if (watched_.empty()) {
            Sleep(milliseconds);
            return false;
        }
        std::vector<HANDLE> events;
        for (const auto& folder : watched_)
            events.push_back(folder->event());
        const DWORD result
            = WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, milliseconds);
        if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + events.size()) {
            watched_[result - WAIT_OBJECT_0]->renew();
            return true;
        }
        return false;
    }

private:
    std::vector<std::unique_ptr<WatchedFolder>> watched_;
};

} // namespace

std::unique_ptr<FolderNotifier> makeSystemNotifier()
{
    return std::make_unique<DirectoryChangesNotifier>();
}

} // namespace kes
