#include "assets/asset_file.h"

#include "model/file_io.h"

namespace kes {

Status readAssetFile(const std::string& path, std::string_view kind, std::vector<std::uint8_t>& bytes)
{
    Status read = readWholeFile(path, bytes);
    if (read)
        return read;
    // Keep the cause that readWholeFile found, and say which file it was.
    const std::string plainPrefix = "cannot read '" + path + "': ";
    std::string cause = read.reason();
    if (cause.starts_with(plainPrefix))
        cause.erase(0, plainPrefix.size());
    return Status::failure("cannot read " + std::string(kind) + " '" + path + "': " + cause);
}

} // namespace kes
