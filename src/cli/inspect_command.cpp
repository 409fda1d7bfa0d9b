#include <cstdio>
#include <cstring>
#include <iostream>
#include <span>
#include <vector>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/level_summary.h"
#include "levelfile/level_format.h"
#include "levelfile/level_reader.h"
#include "model/file_io.h"
#include "model/printable_text.h"
#include "model/project_file.h"

namespace kes::cli {
namespace {

// The format id is the same in every level file; the reader takes it as it
// is, inspect insists on it.
Status checkFormatId(const LevelFileHeader& header)
{
    if (header.formatId == kFormatId)
        return Status::success();
    auto hex = [](const std::array<std::uint8_t, 16>& bytes) {
        std::string text;
        for (std::uint8_t byte : bytes) {
            char digits[4];
            std::snprintf(digits, sizeof digits, "%02X", byte);
            if (!text.empty())
                text += ' ';
            text += digits;
        }
        return text;
    };
    const std::size_t formatIdOffset = kLevelMagic.size() + 2;
    return Status::failure("byte " + std::to_string(formatIdOffset) + ": the format id is " + hex(header.formatId)
                           + ", not " + hex(kFormatId));
}

} // namespace

int runInspect(const std::string& path, bool asJson, bool withPath)
{
    // Without the path, messages name the file only as "the file".
    const std::string named = withPath ? "'" + path + "': " : std::string();
    std::vector<std::uint8_t> bytes;
    if (Status read = loadWholeFile(path, bytes); !read)
        return fail(read.reason(), asJson);

    nlohmann::ordered_json summary;
    std::string text;
    if (startsLikeLevelFile(bytes)) {
        LevelFile level;
        LevelReadOptions options;
        options.keepGeometry = false;
        options.keepPixels = false;
        if (Status decoded = decodeLevelFile(bytes, level, options); !decoded)
            return fail(named + decoded.reason(), asJson);
        if (Status formatId = checkFormatId(level.header); !formatId)
            return fail(named + formatId.reason(), asJson);
        summary = levelSummary(level);
        if (!asJson)
            text = levelSummaryText(summary);
    } else if (hasProjectHeader(bytes)) {
        LevelProject project;
        if (bytes.size() > kMaxProjectSize)
            bytes.resize(kMaxProjectSize);
        if (Status decoded = decodeProject(bytes, project); !decoded)
            return fail(named + decoded.reason(), asJson);
        summary = projectSummary(project);
        if (!asJson)
            text = projectSummaryText(summary);
    } else {
        return fail((withPath ? "'" + path + "'" : std::string("the file"))
                        + " is neither a level file (it would start with \"tk3d\") nor a project file "
                          "(\"KESGENPROJ\")",
                    asJson);
    }
    if (asJson) {
        nlohmann::ordered_json out;
        if (withPath)
            out["file"] = path;
        for (auto& [key, value] : summary.items())
            out[key] = value;
        // Titles, authors and paths are 8-bit texts in whatever code page the
        // designer used; bytes that are not UTF-8 are shown as U+FFFD.
        printJson(out);
    } else {
        // Titles and paths come from the file: no byte of them reaches the
        // terminal as a control character.
        std::string lines = (withPath ? "file: " + path + "\n" : std::string()) + text;
        for (std::size_t start = 0; start < lines.size();) {
            std::size_t end = lines.find('\n', start);
            if (end == std::string::npos)
                end = lines.size();
            std::cout << printableText(std::string_view(lines).substr(start, end - start)) << '\n';
            start = end + 1;
        }
    }
    return 0;
}

} // namespace kes::cli
