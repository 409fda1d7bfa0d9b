// The paths a project stores for its meshes and textures, and the files they
// name.
//
// A path to a file inside the project's folder is stored relative to that
// folder, with '/' between its parts, so that the folder can be moved or
// shared. A stored path may come from another computer ("C:\Levels\ground.obj"):
// '\' counts as a separator in the file name of every stored path, and when a
// stored path names no file, the file of the same name in the project's folder
// stands in for it (relinking).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/level_model.h"

namespace kes {

// The part of a stored path after its last '/' or '\' ("ground.obj" for
// "C:\Levels\ground.obj").
std::string storedFileName(std::string_view stored);

// True when the stored path starts from a root of its own and not from the
// project's folder: "/x", "\x", "C:\x", "C:/x", "\\server\share\x". A drive
// letter counts on every system, so that a path from another computer is
// never taken as relative to the project's folder.
bool isAbsoluteStoredPath(std::string_view stored);

// True when a regular file (or a link to one) exists at `path`.
bool fileExists(const std::string& path);

// Whether a file is there; the default is fileExists. Callers that need more
// than one file to be there (an animation's frames) pass their own test.
using FileTest = std::function<bool(const std::string& path)>;

// The path of the file a stored path names: a relative one is taken from
// `projectFolder` (from the current folder when that is empty). Where '\' is
// no separator of the system, a relative path whose text names no file is
// read with '\' as '/'. The text is never checked further.
std::string resolveStoredPath(const std::string& stored, const std::string& projectFolder,
                              const FileTest& exists = fileExists);

// The folder of the project file at `projectPath`, against which its stored
// paths are taken: "." for a file named without a folder (the current one),
// so that a project opened by its bare name relinks as any other. Paths taken
// from "." keep their own text ("mesh.obj", not "./mesh.obj").
std::string projectFolderOf(const std::string& projectPath);

struct LocatedFile {
    // The file to read. When the stored path names no file and no stand-in
    // was found, the resolved stored path, so that the failure names it.
    std::string path;
    // True when the stored path names no file and `path` is the file of the
    // same name in the project's folder.
    bool relinked = false;
};

// The file to read for a stored path: the one it names, or, when `exists`
// says that one is missing, the file of the same name in `projectFolder` if
// `exists` accepts it there. An empty path or an empty folder never relinks.
LocatedFile locateStoredFile(const std::string& stored, const std::string& projectFolder,
                             const FileTest& exists = fileExists);

// What a warning says about a relinked path: "not found; using '<found>'
// (the same name in the project's folder)".
std::string relinkedText(const std::string& found);

// The text to store for the file at `path` (absolute, or relative to the
// current folder): relative to `projectFolder` with '/' separators when the
// file lies inside it, otherwise `path` as given. An empty folder changes
// nothing.
std::string portablePath(const std::string& path, const std::string& projectFolder);

// The stored text that names the same file as `stored` once the project
// moves from `oldFolder` (empty: the current folder) to `newFolder`: paths
// inside the new folder become relative to it, relative paths that lead
// outside become absolute. Absolute paths outside the new folder, foreign
// paths (a drive letter on a system without drives) and empty texts stay as
// they are; so does a path whose new text would not fit in 249 bytes.
std::string movedStoredPath(const std::string& stored, const std::string& oldFolder, const std::string& newFolder);

// movedStoredPath for the mesh and texture path of every layer.
void moveStoredPaths(LayerTable& layers, const std::string& oldFolder, const std::string& newFolder);

} // namespace kes
