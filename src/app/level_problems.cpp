#include "app/level_problems.h"

#include <filesystem>

#include "app/field_checks.h"
#include "assets/bmp_reader.h"
#include "assets/obj_reader.h"
#include "generate/layer_files.h"
#include "levelfile/layer_descriptor.h"
#include "model/file_io.h"
#include "model/number_text.h"

namespace kes::editor {
namespace {

// False for something that exists but is no regular file (a pipe, a
// device): reading it here could wait for data, or take what generation
// needs. Whatever else fails to read is reported.
bool isReadableHere(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path file = pathFromUtf8(path);
    return !std::filesystem::exists(file, error) || std::filesystem::is_regular_file(file, error);
}

void addSettingProblem(std::vector<LevelProblem>& problems, const char* field, const FieldCheck& check, bool error)
{
    if (check.mark == FieldCheck::Mark::Problem)
        problems.push_back({error, -1, {}, 0, std::string(field) + ": " + check.reason});
}

void checkLayer(std::vector<LevelProblem>& problems, int index, const LayerEntry& entry, const std::string& folder)
{
    auto add = [&](bool error, const std::string& file, int line, const std::string& what) {
        problems.push_back({error, index, file, line, what});
    };
    if (entry.kind < 0 || entry.kind >= kLayerKindCount)
        add(false, {}, 0, "unknown layer kind " + std::to_string(entry.kind));
    if (entry.draw != 0) {
        const LocatedFile texture = locateLayerTexture(entry, folder);
        if (texture.relinked)
            add(false, entry.bmpPath, 0, "texture file " + relinkedText(texture.path));
        BitmapImage image;
        if (entry.bmpPath.empty())
            add(true, {}, 0, "the layer is drawn but names no texture file");
        else if (!isReadableHere(texture.path))
            ; // a pipe or a device: only generation reads it
        else if (Status loaded = loadBitmap(texture.path, image); !loaded)
            add(true, texture.path, 0, loaded.reason());
    }
    if (entry.objPath.empty()) {
        add(true, {}, 0, "the layer names no mesh file");
        return;
    }
    const LocatedFile mesh = locateLayerMesh(entry, folder);
    if (mesh.relinked)
        add(false, entry.objPath, 0, "mesh file " + relinkedText(mesh.path));
    const std::uint16_t frames = meshFrameCount(entry);
    if (frames == 0)
        add(true, {}, 0, "an animated layer needs at least one frame");
    for (int frame = 1; frame <= frames; ++frame) {
        MeshTriangles triangles;
        std::vector<ReaderWarning> warnings;
        const std::string path = frameMeshPath(mesh.path, frames, frame);
        if (!isReadableHere(path))
            continue;
        if (Status read = loadObjMesh(path, triangles, &warnings); !read) {
            add(true, path, 0, read.reason());
            continue;
        }
        for (const ReaderWarning& warning : warnings)
            add(false, warning.file, warning.line, warning.what);
    }
}

} // namespace

std::vector<LevelProblem> gatherLevelProblems(const LevelProject& project, const std::string& projectFolder)
{
    std::vector<LevelProblem> problems;
    const LevelSettings& s = project.settings;
    addSettingProblem(problems, "Title", checkTextLength(s.title), false);
    addSettingProblem(problems, "Author", checkTextLength(s.author), false);
    addSettingProblem(problems, "Version", checkVersion(s.versionMajor), false);
    addSettingProblem(problems, "Minor version", checkVersion(s.versionMinor), false);
    addSettingProblem(problems, "Start Position", checkNumberList(s.startPosition, 6), !holdsNumbers(s.startPosition, 6));
    addSettingProblem(problems, "Background Color", checkNumberList(s.backgroundColor, 3),
                      !holdsNumbers(s.backgroundColor, 3));
    for (int i = 0; i < project.layers.count(); ++i)
        checkLayer(problems, i, project.layers.at(i), projectFolder);
    for (int i = 0; i < project.targets.count(); ++i) {
        const TargetEntry& target = project.targets.at(i);
        if (target.kind != 0 && target.kind != 1)
            problems.push_back({false, -1, {}, 0, "target " + std::to_string(i + 1) + ": unknown target kind "
                                                      + std::to_string(target.kind)});
    }
    return problems;
}

std::string problemLine(const LevelProblem& problem)
{
    std::string line = problem.error ? "error: " : "warning: ";
    if (problem.layer >= 0)
        line += "layer " + std::to_string(problem.layer + 1) + ": ";
    if (!problem.file.empty() && problem.line > 0)
        line += problem.file + ":" + std::to_string(problem.line) + ": ";
    else if (!problem.file.empty() && problem.what.find(problem.file) == std::string::npos)
        line += "'" + problem.file + "': ";
    return line + problem.what;
}

} // namespace kes::editor
