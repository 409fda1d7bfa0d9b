#include "model/disk_flusher.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kes {
namespace {

// 0, or the error number of a flush that failed.
int flushToDisk(int fd)
{
#if defined(_WIN32)
    const int result = _commit(fd);
#elif defined(__APPLE__)
    const int result = fsync(fd);
#else
    const int result = fdatasync(fd);
#endif
    if (result == 0 || errno == EINVAL || errno == EROFS)
        return 0;
    return errno;
}

} // namespace

void DiskFlusher::request()
{
    std::lock_guard lock(mutex_);
    if (stopping_)
        return;
    requested_ = true;
    if (thread_.joinable())
        wake_.notify_one();
    else
        thread_ = std::thread([this] { run(); });
}

int DiskFlusher::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    return errorNumber_;
}

void DiskFlusher::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return requested_ || stopping_; });
        if (!requested_)
            return; // stopping, with nothing left to flush
        requested_ = false;
        lock.unlock();
        const int failed = flushToDisk(fd_);
        lock.lock();
        if (failed != 0 && errorNumber_ == 0)
            errorNumber_ = failed;
    }
}

} // namespace kes
