#include "check/output_target.h"

#include <filesystem>

#include "model/file_io.h"

namespace kes {
namespace {

bool sameFile(const std::filesystem::path& a, const std::string& b)
{
    if (b.empty())
        return false;
    std::error_code ec;
    return std::filesystem::equivalent(a, pathFromUtf8(b), ec) && !ec;
}

} // namespace

Status checkOutputTarget(const std::string& outputPath, const std::string& projectPath,
                         const std::vector<LevelInput>& inputs)
{
    if (outputPath.empty())
        return Status::failure("cannot write the level: the output path is empty");
    const std::filesystem::path output = pathFromUtf8(outputPath);
    const std::string cannot = "cannot write '" + outputPath + "': ";
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(output, ec);
    if (!std::filesystem::exists(status))
        return Status::success();
    if (sameFile(output, projectPath))
        return Status::failure(cannot + "it is the project file being read");
    for (const LevelInput& input : inputs)
        if (sameFile(output, input.path))
            return Status::failure(cannot + "it is the " + inputKindName(input.kind) + " '" + input.path
                                   + "' of layer " + std::to_string(input.layer + 1));
    using std::filesystem::perms;
    if (std::filesystem::is_regular_file(status) && (status.permissions() & perms::owner_write) == perms::none)
        return Status::failure(cannot + "the file is read-only");
    return Status::success();
}

} // namespace kes
