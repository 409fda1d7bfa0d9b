#include <cstring>
#include <iostream>
#include <span>
#include <vector>

#include "cli/commands.h"
#include "cli/level_summary.h"
#include "levelfile/level_format.h"
#include "levelfile/level_reader.h"
#include "model/file_io.h"
#include "model/project_file.h"

namespace kes::cli {
namespace {

bool startsWith(const std::vector<std::uint8_t>& bytes, const void* prefix, std::size_t size)
{
    return bytes.size() >= size && std::memcmp(bytes.data(), prefix, size) == 0;
}

int fail(const std::string& reason)
{
    std::cerr << "error: " << reason << '\n';
    return 1;
}

} // namespace

int runInspect(const std::string& path, bool asJson)
{
    std::vector<std::uint8_t> bytes;
    if (Status read = loadWholeFile(path, bytes); !read)
        return fail(read.reason());

    nlohmann::ordered_json summary;
    std::string text;
    if (startsWith(bytes, kLevelMagic.data(), kLevelMagic.size())) {
        LevelFile level;
        LevelReadOptions options;
        options.keepGeometry = false;
        options.keepPixels = false;
        if (Status decoded = decodeLevelFile(bytes, level, options); !decoded)
            return fail("'" + path + "': " + decoded.reason());
        summary = levelSummary(level);
        if (!asJson)
            text = levelSummaryText(summary);
    } else if (hasProjectHeader(bytes)) {
        LevelProject project;
        if (Status decoded = decodeProject(bytes, project); !decoded)
            return fail("'" + path + "': " + decoded.reason());
        summary = projectSummary(project);
        if (!asJson)
            text = projectSummaryText(summary);
    } else {
        return fail("'" + path + "' is neither a level file (it would start with \"tk3d\") nor a project file "
                    "(\"KESGENPROJ\")");
    }
    if (asJson) {
        nlohmann::ordered_json out{{"file", path}};
        for (auto& [key, value] : summary.items())
            out[key] = value;
        // Titles, authors and paths are 8-bit texts in whatever code page the
        // designer used; bytes that are not UTF-8 are shown as U+FFFD.
        std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    }
    else
        std::cout << "file: " << path << '\n' << text;
    return 0;
}

} // namespace kes::cli
