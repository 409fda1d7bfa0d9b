#include "app/guide_location.h"

#include <filesystem>

#include "model/file_io.h"

namespace kes::editor {

std::vector<std::string> guideCandidates(const std::string& programFolder)
{
    const std::filesystem::path program = pathFromUtf8(programFolder);
    std::vector<std::string> candidates;
    candidates.push_back(pathToUtf8((program.parent_path() / "share" / "doc" / "kesgen" / "guide.md").lexically_normal()));
#ifdef KESGEN_SOURCE_DIR
    candidates.push_back(pathToUtf8((pathFromUtf8(KESGEN_SOURCE_DIR) / "docs" / "guide.md").lexically_normal()));
#endif
    return candidates;
}

std::string findGuide(const std::string& programFolder)
{
    for (const std::string& candidate : guideCandidates(programFolder)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(pathFromUtf8(candidate), error))
            return candidate;
    }
    return {};
}

} // namespace kes::editor
