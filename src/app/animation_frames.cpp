#include "app/animation_frames.h"

#include <cctype>

#include "levelfile/layer_descriptor.h"
#include "model/counted_text.h"
#include "model/stored_path.h"

namespace kes::editor {

std::optional<std::string> frameBasePath(const std::string& path)
{
    // "_" + six digits + ".obj" at the end.
    constexpr std::size_t kSuffix = 1 + 6 + 4;
    if (path.size() <= kSuffix)
        return std::nullopt;
    const std::size_t at = path.size() - kSuffix;
    if (path[at] != '_')
        return std::nullopt;
    for (std::size_t i = at + 1; i < at + 7; ++i)
        if (!std::isdigit(static_cast<unsigned char>(path[i])))
            return std::nullopt;
    std::string extension = path.substr(at + 7);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".obj")
        return std::nullopt;
    return path.substr(0, at) + ".obj";
}

int countFrameFiles(const std::string& basePath, int limit)
{
    int count = 0;
    // frameMeshPath names frames this way for any frame count above 1.
    while (count < limit && fileExists(frameMeshPath(basePath, 2, count + 1)))
        ++count;
    return count;
}

std::string frameFilesFoundText(int count)
{
    return countedText(static_cast<std::uint64_t>(count), "frame file") + " found";
}

} // namespace kes::editor
