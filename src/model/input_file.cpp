#include "model/input_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <system_error>

#include "model/file_io.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kes {

InputFile::~InputFile()
{
    close();
}

Status InputFile::open(const std::string& path, std::string_view kind)
{
    close();
    path_ = path;
    kind_ = kind;
    size_ = 0;
    position_ = 0;
    status_ = Status::success();
#ifdef _WIN32
    // Windows opens no folder as a file; say what it is.
    std::error_code ec;
    if (std::filesystem::is_directory(pathFromUtf8(path), ec))
        return fail("is a folder");
    errno = 0;
    fd_ = _wopen(pathFromUtf8(path).c_str(), _O_RDONLY | _O_BINARY);
    if (fd_ < 0)
        return fail(lastErrorText());
    struct _stat64 info {};
    if (_fstat64(fd_, &info) != 0)
        return fail(lastErrorText());
    const bool isFolder = (info.st_mode & _S_IFMT) == _S_IFDIR;
    const bool isRegular = (info.st_mode & _S_IFMT) == _S_IFREG;
#else
    // Without waiting: opening a pipe that no one writes to, or some
    // devices, would otherwise wait for ever. What was opened is looked at
    // before anything is read from it.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return fail(lastErrorText());
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return fail(lastErrorText());
    const bool isFolder = S_ISDIR(info.st_mode);
    const bool isRegular = S_ISREG(info.st_mode);
#endif
    if (isFolder)
        return fail("is a folder");
    if (!isRegular)
        return fail("is not a regular file");
#ifndef _WIN32
    // A regular file never waits; reads go back to the ordinary kind.
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
#endif
    size_ = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    return status_;
}

std::size_t InputFile::read(void* buffer, std::size_t count)
{
    if (fd_ < 0 || !status_)
        return 0;
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - std::min(position_, size_)));
    auto* out = static_cast<char*>(buffer);
    std::size_t got = 0;
    while (got < count) {
        // Each call reads at most 1 GiB: the sizes every system takes.
        const std::size_t piece = std::min<std::size_t>(count - got, std::size_t(1) << 30);
#ifdef _WIN32
        const int n = _read(fd_, out + got, static_cast<unsigned>(piece));
#else
        const ssize_t n = ::read(fd_, out + got, piece);
#endif
        if (n < 0) {
            if (errno == EINTR)
                continue;
            static_cast<void>(fail(lastErrorText()));
            break;
        }
        if (n == 0)
            break; // the file shrank
        got += static_cast<std::size_t>(n);
    }
    position_ += got;
    return got;
}

void InputFile::seek(std::uint64_t offset)
{
    if (fd_ < 0 || !status_)
        return;
    offset = std::min(offset, size_);
#ifdef _WIN32
    const bool moved = _lseeki64(fd_, static_cast<__int64>(offset), SEEK_SET) >= 0;
#else
    const bool moved = ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
#endif
    if (!moved) {
        static_cast<void>(fail(lastErrorText()));
        return;
    }
    position_ = offset;
}

void InputFile::close()
{
    if (fd_ < 0)
        return;
#ifdef _WIN32
    _close(fd_);
#else
    ::close(fd_);
#endif
    fd_ = -1;
}

Status InputFile::fail(const std::string& cause)
{
    close();
    std::string reason = "cannot read ";
    if (!kind_.empty())
        reason.append(kind_).append(" ");
    status_ = Status::failure(reason.append("'").append(path_).append("': ").append(cause));
    return status_;
}

} // namespace kes
