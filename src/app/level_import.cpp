#include "app/level_import.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/file_filters.h"
#include "extract/extraction_folder.h"
#include "extract/level_extraction.h"
#include "levelfile/level_reader.h"
#include "model/file_io.h"

namespace kes::editor {
namespace {

constexpr char kImportFailedText[] = "The level file could not be imported.";
constexpr char kImportFailedCaption[] = "Could not import";
constexpr char kImportedText[] = "Level file imported. Generating it again gives a different level file:";
constexpr char kImportedCaption[] = "Imported";

std::string quotedPath(const std::filesystem::path& path)
{
    std::string text(1, '\'');
    text.append(pathToUtf8(path)).push_back('\'');
    return text;
}

// Refuses when the project's folder holds a file by the name of one of the
// extracted files other than the project file the designer chose.
Status checkNamesAreFree(const LevelExtraction& extraction, const std::filesystem::path& project)
{
    const std::filesystem::path folder = project.parent_path();
    for (const ExtractedFile& file : extraction.files) {
        std::error_code error;
        const std::string& name = file.name;
        if (folder / pathFromUtf8(name) == project)
            continue;
        if (std::filesystem::exists(std::filesystem::symlink_status(folder / pathFromUtf8(name), error)))
            return Status::failure(quotedPath(folder) + " already holds a file named '" + name
                                   + "'; import into an empty folder");
    }
    return Status::success();
}

} // namespace

std::string levelFileOpenedAsProjectDetail(const std::string& path)
{
    if (!isLevelFile(path))
        return {};
    return "This is a level file (.kes), which the game reads, not a project. To edit it, import it as a "
           "project with \"Import level file\", or extract it with: kesgen-cli extract LEVEL.kes -o FOLDER";
}

std::string importLevelFile(PlatformServices& services, QWidget* owner, const std::string& startFolder)
{
    const std::string levelPath = services.chooseFileToOpen(owner, kLevelFilter, {startFolder, {}});
    if (levelPath.empty())
        return {};
    const std::filesystem::path level = pathFromUtf8(levelPath);
    const std::string projectPath = services.chooseFileToSave(
        owner, kProjectFilter, {pathToUtf8(level.parent_path()), pathToUtf8(level.stem()) + ".kgp"});
    if (projectPath.empty())
        return {};
    auto failed = [&](const Status& status) {
        services.showMessage(owner, kImportFailedText, kImportFailedCaption, MessageIcon::Error, status.reason());
        return std::string();
    };
    std::vector<std::uint8_t> bytes;
    if (Status read = loadWholeFile(levelPath, bytes); !read)
        return failed(read);
    const std::filesystem::path project = pathFromUtf8(projectPath);
    LevelExtraction extraction;
    if (Status extracted = extractLevel(bytes, pathToUtf8(project.stem()), extraction); !extracted)
        return failed(Status::failure("'" + levelPath + "': " + extracted.reason()));
    // The designer has agreed to replace the project file, but not other
    // files that happen to have the names of its meshes and textures.
    if (Status free = checkNamesAreFree(extraction, project); !free)
        return failed(free);
    if (Status written = writeExtraction(extraction, pathToUtf8(project.parent_path()), true); !written)
        return failed(written);
    if (!extraction.warnings.empty()) {
        std::string detail;
        for (const std::string& warning : extraction.warnings)
            detail += warning + "\n";
        detail.pop_back();
        services.showMessage(owner, kImportedText, kImportedCaption, MessageIcon::Information, detail);
    }
    // The project file has the name the extraction gave it (NAME.kgp).
    return pathToUtf8(project.parent_path() / pathFromUtf8(extraction.files.front().name));
}

} // namespace kes::editor
