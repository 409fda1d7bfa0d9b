// Reading whole files, and writing files so that a failure never destroys the
// file that was there before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/status.h"

namespace kes {

class DiskFlusher;

// The path of a UTF-8 file name, on every platform.
std::filesystem::path pathFromUtf8(const std::string& utf8);
// The UTF-8 text of a path.
std::string pathToUtf8(const std::filesystem::path& path);

// A short description of the C library's last error ("no such file",
// "permission denied", ...).
std::string lastErrorText();

// Reads the whole file into `bytes`, as InputFile (model/input_file.h) opens
// and reads it: only a regular file, and no more than its size when it was
// opened. On failure returns a reason naming the file, such as
// "cannot read 'x.bmp': no such file", and leaves `bytes` empty.
// `kind`, when given, names the kind of file in that reason:
// "cannot read texture file 'x.bmp': no such file".
Status loadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string_view kind = {});

// As loadWholeFile, but reads at most `maxBytes` bytes: a longer file (or an
// endless pipe) gives its first `maxBytes` bytes.
Status loadFileStart(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                     std::string_view kind = {});

// A file written beside its target under a temporary name and renamed over the
// target only when commit() succeeds. On Linux the file is written unnamed
// (O_TMPFILE) and gets its temporary name only in commit(), so a process that
// dies meanwhile leaves nothing; elsewhere, and on file systems without
// unnamed files, the temporary name holds the host and the process id, and
// opening a file removes what processes of this host that no longer run left
// beside the same target. Until then the target is untouched; a
// file that is destroyed or discarded without a commit removes its temporary
// file. Write errors are remembered: after the first one every write fails and
// commit() reports it.
class AtomicFile {
public:
    AtomicFile();
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file beside `targetPath`. A link is followed, so
    // that the file it names is replaced and the link stays; a target that
    // exists but is not a regular file (a folder, a device, a pipe) is
    // refused.
    Status open(const std::string& targetPath);
    bool isOpen() const { return file_ != nullptr; }

    // Appends bytes; false once any write has failed. On Linux the system is
    // asked to start writing each further 8 MiB to the disk at once and to
    // make it durable on a thread of its own (see DiskFlusher), so that
    // commit() has little left to wait for.
    bool write(const void* data, std::size_t size);
    bool failed() const { return failed_; }
    // Why writing failed, naming the target: "cannot write 'level.kes': no
    // space left on the disk". A success while no write has failed.
    Status writeError() const;
    // Bytes written so far.
    std::uint64_t size() const { return size_; }

    // Flushes the data to the disk, closes the file and renames it over the
    // target. On failure the temporary file is removed and the target is as it
    // was.
    Status commit();
    // Closes and removes the temporary file; the target is as it was.
    void discard();

private:
    // Ends the background flushing; the error number of a flush that failed.
    int stopFlusher();
    // Lists the named temporary file for removeTemporaryFilesNow.
    void nameTemporaryFile();
    // Gives the unnamed file its temporary name beside the target.
    void nameUnnamedFile();
    // Removes the temporary file, or forgets the unnamed one.
    void removeTemporaryFile();

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::unique_ptr<DiskFlusher> flusher_; // from the first 8 MiB on
    std::string targetPath_;
    std::filesystem::path target_;   // the file replaced: links followed
    std::filesystem::path tempPath_;
    std::uint64_t size_ = 0;
    std::uint64_t writebackStart_ = 0; // bytes handed to the system's writeback so far
    bool failed_ = false;
    bool unnamed_ = false; // written into an unnamed file, named at commit()
    int tempSlot_ = -1;    // where removeTemporaryFilesNow finds tempPath_
    int errorNumber_ = 0;
};

// How the temporary files that process `processId` of this host writes
// beside `target` are named: "<target>.kesgen-<host>-<process id>-", then a
// few random letters and ".tmp".
std::string temporaryNameStart(const std::string& target, long processId);

// Removes the temporary files of every AtomicFile of this process that is
// not committed yet. Safe in a signal handler: the CLI calls it when it is
// interrupted or told to end, so that no temporary file outlives it.
void removeTemporaryFilesNow();

} // namespace kes
