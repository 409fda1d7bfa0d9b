// The one way an input file (a mesh, a texture, a level) is opened for
// reading: without ever waiting, and only when it is a regular file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/status.h"

namespace kes {

// An input file open for reading. Opening never blocks: the file is opened
// without waiting (a pipe with no writer, a device), then what was opened is
// looked at, and anything but a regular file is refused before a byte of it
// is read ("is not a regular file", or "is a folder"). A link is judged by
// the file it names.
//
// Reading is bounded by the size the file had when it was opened: a file
// that grows meanwhile gives no more than that, so no input can make a
// reader's memory grow without bound.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens the file at `path` (UTF-8). `kind` names the kind of file in the
    // reason of a failure: "cannot read texture file 'x.bmp': is not a
    // regular file"; without it "cannot read 'x.bmp': ...".
    Status open(const std::string& path, std::string_view kind = {});
    bool isOpen() const { return fd_ >= 0; }

    // The size of the file when it was opened.
    std::uint64_t size() const { return size_; }
    // Where the next read starts.
    std::uint64_t position() const { return position_; }

    // Reads up to `count` bytes, never past size(), and returns how many were
    // read: fewer only at the end (the size at opening, or the file's end if
    // it shrank) or after a failure, which status() then reports.
    std::size_t read(void* buffer, std::size_t count);
    // Goes to byte `offset` (at most size()).
    void seek(std::uint64_t offset);
    void close();

    // Success, or why opening or reading failed, naming the file.
    const Status& status() const { return status_; }

private:
    Status fail(const std::string& cause);

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    std::string path_;
    std::string kind_;
    Status status_ = Status::success();
};

} // namespace kes
