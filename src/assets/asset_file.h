// Reading an input file whole, with a failure reason that says which kind of
// file could not be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/status.h"

namespace kes {

// Reads the whole file at `path` (UTF-8) into `bytes`. `kind` names the kind of
// file in the reason of a failure, such as "mesh file" in
// "cannot read mesh file 'x.obj': no such file or folder"; `bytes` is then
// empty.
Status loadAssetFile(const std::string& path, std::string_view kind, std::vector<std::uint8_t>& bytes);

// An input file read piece by piece, from the start and again from the start,
// with failure reasons worded as loadAssetFile words them.
class AssetFileReader {
public:
    // Opens the file at `path` (UTF-8). `kind` names the kind of file in the
    // reason of a failure. Fails for a file that cannot be opened, and for
    // anything but a regular file (which could not be read twice).
    Status open(const std::string& path, std::string_view kind);

    // Reads up to `size` bytes into `buffer` and returns how many were read:
    // fewer only at the end of the file or after a failure, which status()
    // then reports.
    std::size_t read(char* buffer, std::size_t size);

    // Goes back to the start of the file.
    void rewind();
    // Goes to byte `offset` of the file.
    void seek(std::uint64_t offset);
    // The size of the file in bytes, then back at its start.
    std::uint64_t size();

    // Success, or why reading failed.
    const Status& status() const { return status_; }

private:
    Status fail(const std::string& cause);

    std::ifstream stream_;
    std::string path_;
    std::string kind_;
    Status status_ = Status::success();
};

} // namespace kes
