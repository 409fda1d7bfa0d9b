// Reading an input file whole, with a failure reason that says which kind of
// file could not be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/input_file.h"
#include "model/status.h"

namespace kes {

// Reads the whole file at `path` (UTF-8) into `bytes`: only a regular file,
// opened without waiting, and no more than its size at opening (see
// InputFile). `kind` names the kind of file in the reason of a failure, such
// as "mesh file" in "cannot read mesh file 'x.obj': no such file or folder";
// `bytes` is then empty.
Status loadAssetFile(const std::string& path, std::string_view kind, std::vector<std::uint8_t>& bytes);

// An input file read piece by piece, from the start and again from the start,
// with failure reasons worded as loadAssetFile words them.
class AssetFileReader {
public:
    // Opens the file at `path` (UTF-8) as InputFile opens it: without
    // waiting, and only a regular file (a pipe or a device could wait for
    // ever, or never end, and could not be read twice). `kind` names the
    // kind of file in the reason of a failure. Reading never goes past the
    // size the file had when it was opened.
    Status open(const std::string& path, std::string_view kind);

    // Reads up to `size` bytes into `buffer` and returns how many were read:
    // fewer only at the end of the file or after a failure, which status()
    // then reports.
    std::size_t read(char* buffer, std::size_t size);

    // Goes back to the start of the file.
    void rewind();
    // Goes to byte `offset` of the file.
    void seek(std::uint64_t offset);
    // The size of the file in bytes when it was opened, then back at its
    // start.
    std::uint64_t size();

    // Success, or why reading failed.
    const Status& status() const { return status_; }

private:
    InputFile file_;
    Status status_ = Status::success();
};

} // namespace kes
