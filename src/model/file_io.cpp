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

constexpr char kTempMark[] = ".kesgen-";
constexpr char kTempEnd[] = ".tmp";

long processId()
{
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

std::string hostName()
{
#ifdef _WIN32
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size))
        return "host";
    return std::string(name, size);
#else
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "host";
    std::string text(name);
    // Only what a file name can hold on every system.
    for (char& c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_'))
            c = '_';
    return text;
#endif
}

// ".kesgen-<host>-<process id>-<8 random letters>.tmp": the host and the
// process tell a later save whether the process that made it still runs.
std::string uniqueSuffix()
{
    static std::mt19937_64 generator{std::random_device{}()};
    const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix = std::string(kTempMark) + hostName() + "-" + std::to_string(processId()) + "-";
    for (int i = 0; i < 8; ++i)
        suffix += digits[generator() % 36];
    return suffix + kTempEnd;
}

// True when no process with the id `pid` runs on this host.
bool processIsGone(long pid)
{
    if (pid <= 0 || pid == processId())
        return false;
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process) {
        DWORD code = 0;
        const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
        CloseHandle(process);
        return !running;
    }
    return GetLastError() == ERROR_INVALID_PARAMETER;
#else
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#endif
}

// Removes the temporary files beside `target` that a process of this host
// left when it was ended before it could (killed, or the power went).
void removeStaleTemporaryFiles(const std::filesystem::path& target)
{
    const std::string prefix = pathToUtf8(target.filename()) + kTempMark + hostName() + "-";
    // "<target>.kesgen-<host>-<process id>-<random>.tmp"
    std::error_code ec;
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = pathToUtf8(it->path().filename());
        if (name.size() <= prefix.size() + std::strlen(kTempEnd) || name.compare(0, prefix.size(), prefix) != 0
            || !name.ends_with(kTempEnd))
            continue;
        const std::size_t dash = name.find('-', prefix.size());
        if (dash == std::string::npos || dash == prefix.size())
            continue;
        long pid = 0;
        bool digits = true;
        for (std::size_t i = prefix.size(); i < dash; ++i) {
            if (name[i] < '0' || name[i] > '9' || pid > 1000000000L) {
                digits = false;
                break;
            }
            pid = pid * 10 + (name[i] - '0');
        }
        std::error_code ignored;
        if (digits && processIsGone(pid) && std::filesystem::is_regular_file(it->symlink_status(ignored)))
            std::filesystem::remove(it->path(), ignored);
    }
}

// The temporary files of this process that have a name, for a signal
// handler to remove (see removeTemporaryFilesNow). Plain slots that a
// handler can read at any moment.
constexpr int kTempSlots = 16;
using PathChar = std::filesystem::path::value_type;
std::atomic<const PathChar*> liveTempFiles[kTempSlots];

int claimTempSlot(const PathChar* path)
{
    for (int i = 0; i < kTempSlots; ++i) {
        const PathChar* none = nullptr;
        if (liveTempFiles[i].compare_exchange_strong(none, path))
            return i;
    }
    return -1;
}

void releaseTempSlot(int& slot)
{
    if (slot >= 0)
        liveTempFiles[slot].store(nullptr);
    slot = -1;
}

#ifdef __linux__
// Opens an unnamed file in `folder` for writing (O_TMPFILE); -1 where the
// file system or the system can't, or where a file descriptor can't be given
// a name afterwards (/proc is not there).
int openUnnamedFile(const std::filesystem::path& folder)
{
#ifdef O_TMPFILE
    if (access("/proc/self/fd", X_OK) != 0)
        return -1;
    return ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    (void)folder;
    return -1;
#endif
}
#endif

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

std::string temporaryNameStart(const std::string& target, long processId)
{
    return target + kTempMark + hostName() + "-" + std::to_string(processId) + "-";
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
    removeStaleTemporaryFiles(target);
#ifdef __linux__
    // An unnamed file in the target's folder, named only once it is whole: a
    // process that dies before leaves nothing behind.
    if (const int fd = openUnnamedFile(target.parent_path()); fd >= 0) {
        file_ = fdopen(fd, "wb");
        if (!file_)
            ::close(fd);
    }
    unnamed_ = file_ != nullptr;
#endif
    for (int attempt = 0; !file_ && attempt < 16; ++attempt) {
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
    if (!unnamed_)
        nameTemporaryFile();
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
#ifdef __linux__
    if (!failed_ && unnamed_)
        nameUnnamedFile();
#endif
    if (std::fclose(file_) != 0 && !failed_) {
        failed_ = true;
        errorNumber_ = errno;
    }
    file_ = nullptr;
    std::error_code ec;
    if (failed_) {
        removeTemporaryFile();
        return writeError();
    }
    // The new file keeps the permissions of the one it replaces.
    const std::filesystem::file_status replaced = std::filesystem::status(target_, ec);
    if (!ec && std::filesystem::is_regular_file(replaced))
        std::filesystem::permissions(tempPath_, replaced.permissions(), ec);
    std::filesystem::rename(tempPath_, target_, ec);
    releaseTempSlot(tempSlot_);
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
    removeTemporaryFile();
}

#ifdef __linux__
void AtomicFile::nameUnnamedFile()
{
    // A link can't replace a name: the file gets a temporary name beside the
    // target first and is renamed over it as a named one is.
    const std::string descriptor = "/proc/self/fd/" + std::to_string(fileno(file_));
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath_ = target_;
        tempPath_ += pathFromUtf8(uniqueSuffix());
        if (linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, tempPath_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            unnamed_ = false;
            nameTemporaryFile();
            return;
        }
        if (errno != EEXIST)
            break;
    }
    failed_ = true;
    errorNumber_ = errno;
}
#endif

void AtomicFile::nameTemporaryFile()
{
    tempSlot_ = claimTempSlot(tempPath_.c_str());
}

void AtomicFile::removeTemporaryFile()
{
    releaseTempSlot(tempSlot_);
    if (unnamed_) {
        unnamed_ = false; // the system drops an unnamed file with its last descriptor
        return;
    }
    std::error_code ec;
    std::filesystem::remove(tempPath_, ec);
}

void removeTemporaryFilesNow()
{
    for (std::atomic<const PathChar*>& slot : liveTempFiles) {
        if (const PathChar* path = slot.load()) {
#ifdef _WIN32
            _wunlink(path);
#else
            unlink(path);
#endif
        }
    }
}

} // namespace kes
