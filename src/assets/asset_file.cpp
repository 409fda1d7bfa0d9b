#include "assets/asset_file.h"

#include "model/file_io.h"

namespace kes {

Status loadAssetFile(const std::string& path, std::string_view kind, std::vector<std::uint8_t>& bytes)
{
    return loadWholeFile(path, bytes, kind);
}

Status AssetFileReader::open(const std::string& path, std::string_view kind)
{
    status_ = file_.open(path, kind);
    return status_;
}

std::size_t AssetFileReader::read(char* buffer, std::size_t size)
{
    if (!status_ || size == 0)
        return 0;
    const std::size_t got = file_.read(buffer, size);
    status_ = file_.status();
    return got;
}

void AssetFileReader::rewind()
{
    seek(0);
}

void AssetFileReader::seek(std::uint64_t offset)
{
    if (!status_)
        return;
    file_.seek(offset);
    status_ = file_.status();
}

std::uint64_t AssetFileReader::size()
{
    rewind();
    return file_.size();
}

} // namespace kes
