// Makes what has been written to an open file durable on a thread of its own,
// while more is written.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kes {

// Flushes the data written to one file descriptor to the disk (fdatasync)
// whenever asked, on a thread of its own, so that a writer that asks after
// every few megabytes finds little left to wait for when it makes the whole
// file durable at the end. The thread starts at the first request; a file
// that is never asked about costs no thread.
//
// A flush that fails is remembered: stop() returns its error number. This
// matters because the system reports a failed write-back only once per file,
// to whoever asks first. Files that cannot be flushed (EINVAL, EROFS: pipes,
// devices, read-only mounts) are not an error, as for fsync.
class DiskFlusher {
public:
    // `fd` must stay open until stop() has returned.
    explicit DiskFlusher(int fd) : fd_(fd) {}
    ~DiskFlusher() { stop(); }
    DiskFlusher(const DiskFlusher&) = delete;
    DiskFlusher& operator=(const DiskFlusher&) = delete;

    // Asks for a flush of everything written so far and returns at once. While
    // a flush is under way, one more is made after it.
    void request();

    // Waits for the flushes asked for, ends the thread and returns the error
    // number of the first flush that failed, 0 when none did. Requests that
    // follow are ignored.
    int stop();

private:
    void run();

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool stopping_ = false;
    int errorNumber_ = 0;
    std::thread thread_;
};

} // namespace kes
