// Paths in projects as users write them: folders with spaces and letters
// beyond ASCII (UTF-8 in the program, wide names on Windows), and on Windows
// the path texts of Windows (drive letters, backslashes).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "generate/generate_level.h"
#include "support/layer_entries.h"
#include "support/level_fixtures.h"
#include "model/file_io.h"
#include "model/project_file.h"

namespace kes {
namespace {

using test::drawnLayer;
using test::TempDir;

// Writes a mesh and a texture into `folder` (which may have any name).
void writeAssets(const TempDir& scratch, const std::filesystem::path& folder)
{
    test::writeObj(scratch.file("mesh.obj"), test::fixtureTriangles(3));
    test::writeBmp(scratch.file("texture.bmp"), 4, 2, test::fixturePixels(4, 2));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(scratch.path() / "mesh.obj", folder / "mesh.obj");
    std::filesystem::copy_file(scratch.path() / "texture.bmp", folder / "texture.bmp");
}

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    Status read = loadWholeFile(pathToUtf8(path), bytes);
    EXPECT_TRUE(read) << read.reason();
    return bytes;
}

TEST(ProjectPaths, AProjectInAFolderWithSpacesAndNonAsciiLettersGenerates)
{
    TempDir dir;
    const std::filesystem::path plain = dir.path() / "plain";
    const std::filesystem::path folder = dir.path() / pathFromUtf8("Ebene \xC3\xA4") / pathFromUtf8("\xC3\x9C" "bung");
    writeAssets(dir, plain);
    writeAssets(dir, folder);

    LevelProject project;
    project.layers.append(drawnLayer("mesh.obj", "texture.bmp"));
    // The same layer by its absolute path, as the editor's file dialog gives it.
    project.layers.append(drawnLayer(pathToUtf8(folder / "mesh.obj"), pathToUtf8(folder / "texture.bmp")));
    const std::string projectPath = pathToUtf8(folder / pathFromUtf8("Level \xC3\xA4.kgp"));
    ASSERT_TRUE(saveProject(project, projectPath));
    LevelProject loaded;
    ASSERT_TRUE(loadProject(projectPath, loaded));

    GenerationOptions options;
    options.baseFolder = pathToUtf8(folder);
    const std::filesystem::path level = folder / pathFromUtf8("\xC3\x9C" "bung 1.kes");
    GenerationResult result = generateLevel(loaded, pathToUtf8(level), options);
    ASSERT_TRUE(result.status) << result.status.reason();
    ASSERT_TRUE(std::filesystem::is_regular_file(level));

    // The same level as from a folder with a plain name.
    LevelProject plainProject;
    plainProject.layers.append(drawnLayer("mesh.obj", "texture.bmp"));
    plainProject.layers.append(drawnLayer(pathToUtf8(plain / "mesh.obj"), pathToUtf8(plain / "texture.bmp")));
    options.baseFolder = pathToUtf8(plain);
    GenerationResult plainResult = generateLevel(plainProject, pathToUtf8(plain / "level.kes"), options);
    ASSERT_TRUE(plainResult.status) << plainResult.status.reason();
    EXPECT_EQ(bytesOf(level), bytesOf(plain / "level.kes"));

    // A missing file in that folder is named in UTF-8.
    project.layers.append(drawnLayer("missing \xC3\xA4.obj", "texture.bmp"));
    options.baseFolder = pathToUtf8(folder);
    GenerationResult missing = generateLevel(project, pathToUtf8(level), options);
    ASSERT_FALSE(missing.status);
    EXPECT_NE(missing.status.reason().find("missing \xC3\xA4.obj"), std::string::npos) << missing.status.reason();
}

#ifdef _WIN32
// On Windows, path texts are Windows paths: a backslash separates folders, a
// drive letter makes a path absolute, and a leading backslash means the root
// of the project folder's drive.
TEST(ProjectPaths, WindowsPathTextsAreResolvedAsOnWindows)
{
    TempDir dir;
    const std::filesystem::path folder = dir.path() / pathFromUtf8("Ebene \xC3\xA4") / "meshes";
    writeAssets(dir, folder);
    std::filesystem::path absolute = folder / "mesh.obj";
    absolute.make_preferred();
    const std::string withDrive = pathToUtf8(absolute);
    ASSERT_TRUE(withDrive.size() > 3 && withDrive[1] == ':' && withDrive[2] == '\\') << withDrive;
    const std::string fromDriveRoot = withDrive.substr(2);

    struct Case {
        const char* what;
        std::string objPath;
    };
    const Case cases[] = {
        {"relative, backslashes", "Ebene \xC3\xA4\\meshes\\mesh.obj"},
        {"relative, slashes and backslashes", "Ebene \xC3\xA4/meshes\\mesh.obj"},
        {"relative, with dot-dot", "Ebene \xC3\xA4\\meshes\\..\\meshes\\mesh.obj"},
        {"drive letter and backslashes", withDrive},
        {"drive letter in lower case", std::string(1, char(std::tolower(withDrive[0]))) + withDrive.substr(1)},
        {"root of the project's drive", fromDriveRoot},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ": " + c.objPath);
        LevelProject project;
        project.layers.append(drawnLayer(c.objPath, "Ebene \xC3\xA4\\meshes\\texture.bmp"));
        GenerationOptions options;
        options.baseFolder = pathToUtf8(dir.path());
        GenerationResult result = generateLevel(project, pathToUtf8(dir.path() / "level.kes"), options);
        EXPECT_TRUE(result.status) << result.status.reason();
        EXPECT_EQ(result.triangles, 3u);
    }
}
#endif

} // namespace
} // namespace kes
