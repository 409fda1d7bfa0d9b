#include "assets/asset_file.h"

#include <cerrno>
#include <filesystem>

#include "model/file_io.h"

namespace kes {

Status loadAssetFile(const std::string& path, std::string_view kind, std::vector<std::uint8_t>& bytes)
{
    return loadWholeFile(path, bytes, kind);
}

Status AssetFileReader::open(const std::string& path, std::string_view kind)
{
    path_ = path;
    kind_ = kind;
    status_ = Status::success();
    const std::filesystem::path file = pathFromUtf8(path);
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return fail("is a folder");
    errno = 0;
    stream_.open(file, std::ios::binary);
    if (!stream_.is_open())
        return fail(errno != 0 ? lastErrorText() : "cannot be opened");
    if (!std::filesystem::is_regular_file(file, ec))
        return fail("is not a regular file");
    return status_;
}

std::size_t AssetFileReader::read(char* buffer, std::size_t size)
{
    if (!status_ || size == 0)
        return 0;
    errno = 0;
    stream_.read(buffer, static_cast<std::streamsize>(size));
    const auto got = static_cast<std::size_t>(stream_.gcount());
    if (stream_.bad())
        status_ = fail(errno != 0 ? lastErrorText() : "input/output error");
    return got;
}

void AssetFileReader::rewind()
{
    stream_.clear();
    stream_.seekg(0);
    if (!stream_)
        status_ = fail(errno != 0 ? lastErrorText() : "cannot be read from its start again");
}

void AssetFileReader::seek(std::uint64_t offset)
{
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    if (!stream_)
        status_ = fail(errno != 0 ? lastErrorText() : "cannot be read at byte " + std::to_string(offset));
}

std::uint64_t AssetFileReader::size()
{
    stream_.clear();
    stream_.seekg(0, std::ios::end);
    const std::streamoff end = stream_.tellg();
    rewind();
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

Status AssetFileReader::fail(const std::string& cause)
{
    status_ = Status::failure("cannot read " + kind_ + " '" + path_ + "': " + cause);
    return status_;
}

} // namespace kes
