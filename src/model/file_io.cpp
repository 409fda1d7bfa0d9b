#include "model/file_io.h"

#include "model/disk_flusher.h"
#include "model/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <atomic>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif
#ifdef __linux__
#include <fcntl.h>
#endif

namespace kes {
namespace {

std::string errorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT: return "no such file or folder";
    case EACCES: return "permission denied";
    case ENOSPC: return "no space left on the disk";
    case EROFS: return "read-only file system";
    case EISDIR: return "is a folder";
    case EFBIG: return "file too large";
    case EIO: return "input/output error";
    default: return std::generic_category().message(errorNumber);
    }
}

std::FILE* openFile(const std::filesystem::path& path, const char* mode)
{
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// Creates a file for binary writing that must not exist yet.
std::FILE* createNewFile(const std::filesystem::path& path)
{
#ifdef _WIN32
    // The C library that MinGW builds use knows no "x" in fopen's modes.
    const int descriptor = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0)
        return nullptr;
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file)
        _close(descriptor);
    return file;
#else
    // "x": fail rather than reuse a file that happens to exist.
    return std::fopen(path.c_str(), "wbx");
#endif
}

std::string uniqueSuffix()
{
    static std::mt19937_64 generator{std::random_device{}()};
    const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix = ".kesgen-";
    for (int i = 0; i < 8; ++i)
        suffix += digits[generator() % 36];
    return suffix + ".tmp";
}

} // namespace

std::filesystem::path pathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const std::filesystem::path& path)
{
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string lastErrorText()
{
    return errorText(errno);
}

Status loadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string_view kind)
{
    bytes.clear();
    InputFile file;
    if (Status opened = file.open(path, kind); !opened)
        return opened;
    if (file.size() > SIZE_MAX)
        return Status::failure("cannot read '" + path + "': file too large");
    bytes.resize(static_cast<std::size_t>(file.size()));
    bytes.resize(file.read(bytes.data(), bytes.size()));
    if (!file.status()) {
        bytes.clear();
        return file.status();
    }
    return Status::success();
}

Status loadFileStart(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                     std::string_view kind)
{
    bytes.clear();
    auto failure = [&](const std::string& cause) {
        std::string reason = "cannot read ";
        if (!kind.empty())
            reason.append(kind).append(" ");
        return Status::failure(reason.append("'").append(path).append("': ").append(cause));
    };
    std::error_code ec;
    if (std::filesystem::is_directory(pathFromUtf8(path), ec))
        return failure("is a folder");
    std::FILE* file = openFile(pathFromUtf8(path), "rb");
    if (!file)
        return failure(lastErrorText());
    bool failed = false;
    int errorNumber = 0;
    // Read straight into the vector: at the size the file has now, then on in
    // steps for as long as it goes on (a file that grows, or a pipe).
    std::size_t expected = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        long size = std::ftell(file);
        if (size > 0)
            expected = static_cast<std::size_t>(size);
        std::rewind(file);
    }
    std::size_t filled = 0;
    bytes.resize(std::min(expected > 0 ? expected : std::size_t(1) << 16, maxBytes));
    for (;;) {
        std::size_t got = std::fread(bytes.data() + filled, 1, bytes.size() - filled, file);
        filled += got;
        if (filled < bytes.size()) {
            if (std::ferror(file)) {
                failed = true;
                errorNumber = errno;
            }
            break;
        }
        // Full: one more byte tells whether the file goes on.
        if (filled == maxBytes)
            break;
        int next = std::fgetc(file);
        if (next == EOF) {
            if (std::ferror(file)) {
                failed = true;
                errorNumber = errno;
            }
            break;
        }
        const std::size_t room = maxBytes - bytes.size();
        bytes.resize(bytes.size() + std::min(room, std::max<std::size_t>(bytes.size() / 2, std::size_t(1) << 16)));
        bytes[filled++] = static_cast<std::uint8_t>(next);
    }
    bytes.resize(filled);
    std::fclose(file);
    if (failed) {
        bytes.clear();
        return failure(errorText(errorNumber));
    }
    return Status::success();
}

AtomicFile::AtomicFile() = default;

AtomicFile::~AtomicFile()
{
    discard();
}

Status AtomicFile::open(const std::string& targetPath)
{
    discard();
    targetPath_ = targetPath;
    failed_ = false;
    size_ = 0;
    writebackStart_ = 0;
    std::filesystem::path target = pathFromUtf8(targetPath);
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const std::filesystem::file_status existing = std::filesystem::status(target, ec);
    if (std::filesystem::is_directory(existing))
        return Status::failure("cannot write '" + targetPath + "': is a folder");
    if (std::filesystem::exists(existing) && !std::filesystem::is_regular_file(existing))
        return Status::failure("cannot write '" + targetPath + "': is not a regular file");
    target_ = target;
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath_ = target;
        tempPath_ += pathFromUtf8(uniqueSuffix());
        file_ = createNewFile(tempPath_);
        if (file_)
            break;
        if (errno != EEXIST)
            break;
    }
    if (!file_)
        return Status::failure("cannot write '" + targetPath + "': " + lastErrorText());
    // A large buffer: level files run to hundreds of megabytes. (glibc ignores
    // the size when it is asked to allocate the buffer itself.)
    constexpr std::size_t kBufferSize = 1 << 20;
    if (!buffer_)
        buffer_ = std::make_unique<char[]>(kBufferSize);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
    return Status::success();
}

bool AtomicFile::write(const void* data, std::size_t size)
{
    if (!file_ || failed_)
        return false;
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
        failed_ = true;
        errorNumber_ = errno;
        return false;
    }
    size_ += size;
#ifdef __linux__
    // Level files run to hundreds of megabytes: writing them out while they
    // are being made spares commit() a long wait in fsync.
    constexpr std::uint64_t kWritebackStep = 8u << 20;
    if (size_ - writebackStart_ >= kWritebackStep) {
        if (std::fflush(file_) != 0) {
            failed_ = true;
            errorNumber_ = errno;
            return false;
        }
        // Only a hint: errors surface in fsync at the latest.
        sync_file_range(fileno(file_), static_cast<off64_t>(writebackStart_),
                        static_cast<off64_t>(size_ - writebackStart_), SYNC_FILE_RANGE_WRITE);
        writebackStart_ = size_;
        // Most of the wait in fsync is the disk making the data durable, not
        // the writing: that is done on another thread while more is written.
        if (!flusher_)
            flusher_ = std::make_unique<DiskFlusher>(fileno(file_));
        flusher_->request();
    }
#endif
    return true;
}

Status AtomicFile::writeError() const
{
    if (!failed_)
        return Status::success();
    return Status::failure("cannot write '" + targetPath_ + "': " + errorText(errorNumber_));
}

Status AtomicFile::commit()
{
    if (!file_)
        return Status::failure("cannot write '" + targetPath_ + "': the file is not open");
    if (!failed_ && std::fflush(file_) != 0) {
        failed_ = true;
        errorNumber_ = errno;
    }
    if (const int flushFailed = stopFlusher(); flushFailed != 0 && !failed_) {
        failed_ = true;
        errorNumber_ = flushFailed;
    }
#ifdef _WIN32
    if (!failed_ && _commit(_fileno(file_)) != 0) {
#else
    if (!failed_ && fsync(fileno(file_)) != 0 && errno != EINVAL && errno != EROFS) {
#endif
        failed_ = true;
        errorNumber_ = errno;
    }
    if (std::fclose(file_) != 0 && !failed_) {
        failed_ = true;
        errorNumber_ = errno;
    }
    file_ = nullptr;
    std::error_code ec;
    if (failed_) {
        std::filesystem::remove(tempPath_, ec);
        return writeError();
    }
    // The new file keeps the permissions of the one it replaces.
    const std::filesystem::file_status replaced = std::filesystem::status(target_, ec);
    if (!ec && std::filesystem::is_regular_file(replaced))
        std::filesystem::permissions(tempPath_, replaced.permissions(), ec);
    std::filesystem::rename(tempPath_, target_, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(tempPath_, ignored);
        return Status::failure("cannot write '" + targetPath_ + "': " + errorText(ec.value()));
    }
    return Status::success();
}

int AtomicFile::stopFlusher()
{
    if (!flusher_)
        return 0;
    const int errorNumber = flusher_->stop();
    flusher_.reset();
    return errorNumber;
}

void AtomicFile::discard()
{
    if (!file_)
        return;
    stopFlusher(); // before the descriptor it flushes is closed
    std::fclose(file_);
    file_ = nullptr;
    std::error_code ec;
    std::filesystem::remove(tempPath_, ec);
}

} // namespace kes
