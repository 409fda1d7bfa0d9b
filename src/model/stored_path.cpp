#include "model/stored_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/file_io.h"
#include "model/number_text.h"

namespace kes {
namespace {

namespace fs = std::filesystem;

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A path of another system that this one cannot resolve: a drive letter
// where there are no drives.
bool isForeignPath(std::string_view stored)
{
    return isAbsoluteStoredPath(stored) && !pathFromUtf8(std::string(stored)).is_absolute();
}

fs::path absoluteNormal(const fs::path& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error)
        absolute = path;
    absolute = absolute.lexically_normal();
    // "/a/b/" names the same folder as "/a/b"; compare without the empty last part.
    if (!absolute.has_filename() && absolute.has_relative_path())
        absolute = absolute.parent_path();
    return absolute;
}

// `path` relative to `folder` when it lies inside it; empty otherwise.
std::string insideFolder(const fs::path& path, const std::string& folder)
{
    const fs::path relative = absoluteNormal(path).lexically_relative(absoluteNormal(pathFromUtf8(folder)));
    if (relative.empty() || relative == "." || *relative.begin() == "..")
        return {};
    const std::u8string text = relative.generic_u8string();
    return std::string(text.begin(), text.end());
}

// True when paths taken from `folder` are the paths themselves: no folder,
// or the current one.
bool inCurrentFolder(const std::string& folder)
{
    return folder.empty() || folder == ".";
}

} // namespace

std::string projectFolderOf(const std::string& projectPath)
{
    const std::string folder = pathToUtf8(pathFromUtf8(projectPath).parent_path());
    return folder.empty() ? "." : folder;
}

std::string storedFileName(std::string_view stored)
{
    const std::size_t slash = stored.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? stored : stored.substr(slash + 1));
}

bool isAbsoluteStoredPath(std::string_view stored)
{
    if (stored.empty())
        return false;
    if (stored[0] == '/' || stored[0] == '\\')
        return true;
    return stored.size() >= 2 && isDriveLetter(stored[0]) && stored[1] == ':';
}

bool fileExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_regular_file(pathFromUtf8(path), error);
}

std::string resolveStoredPath(const std::string& stored, const std::string& projectFolder, const FileTest& exists)
{
    if (stored.empty() || isAbsoluteStoredPath(stored))
        return stored;
    auto fromFolder = [&](const std::string& relative) {
        return inCurrentFolder(projectFolder) ? relative
                                              : pathToUtf8(pathFromUtf8(projectFolder) / pathFromUtf8(relative));
    };
    const std::string asWritten = fromFolder(stored);
    if (fs::path::preferred_separator == '\\' || stored.find('\\') == std::string::npos || exists(asWritten))
        return asWritten;
    std::string slashed = stored;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const std::string withSlashes = fromFolder(slashed);
    return exists(withSlashes) ? withSlashes : asWritten;
}

LocatedFile locateStoredFile(const std::string& stored, const std::string& projectFolder, const FileTest& exists)
{
    LocatedFile located{resolveStoredPath(stored, projectFolder, exists), false};
    if (stored.empty() || projectFolder.empty() || exists(located.path))
        return located;
    const std::string name = storedFileName(stored);
    if (name.empty() || name == "." || name == "..")
        return located;
    const std::string standIn
        = projectFolder == "." ? name : pathToUtf8(pathFromUtf8(projectFolder) / pathFromUtf8(name));
    if (standIn != located.path && exists(standIn))
        located = {standIn, true};
    return located;
}

std::string relinkedText(const std::string& found)
{
    return "not found; using '" + found + "' (the same name in the project's folder)";
}

std::string portablePath(const std::string& path, const std::string& projectFolder)
{
    if (path.empty() || projectFolder.empty() || isForeignPath(path))
        return path;
    const std::string relative = insideFolder(pathFromUtf8(path), projectFolder);
    return relative.empty() ? path : relative;
}

std::string movedStoredPath(const std::string& stored, const std::string& oldFolder, const std::string& newFolder)
{
    if (stored.empty() || isForeignPath(stored))
        return stored;
    const fs::path file = absoluteNormal(pathFromUtf8(resolveStoredPath(stored, oldFolder)));
    std::string moved = insideFolder(file, newFolder);
    if (moved.empty())
        moved = isAbsoluteStoredPath(stored) ? stored : pathToUtf8(file);
    return moved.size() > kTextCapacity ? stored : moved;
}

void moveStoredPaths(LayerTable& layers, const std::string& oldFolder, const std::string& newFolder)
{
    for (int i = 0; i < layers.count(); ++i) {
        LayerEntry& layer = layers.at(i);
        layer.objPath = movedStoredPath(layer.objPath, oldFolder, newFolder);
        layer.bmpPath = movedStoredPath(layer.bmpPath, oldFolder, newFolder);
    }
}

} // namespace kes
