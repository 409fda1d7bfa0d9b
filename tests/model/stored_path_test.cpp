#include <gtest/gtest.h>

#include <filesystem>

#include "model/file_io.h"
#include "model/stored_path.h"
#include "support/temp_dir.h"

namespace kes {
namespace {

using test::TempDir;

TEST(StoredPath, FileNamesAndRootsOfEverySystem)
{
    struct Case {
        const char* stored;
        const char* name;
        bool absolute;
    };
    const Case cases[] = {
        {"ground.obj", "ground.obj", false},
        {"meshes/ground.obj", "ground.obj", false},
        {"meshes\\ground.obj", "ground.obj", false},
        {"C:\\Levels\\Valley\\ground.obj", "ground.obj", true},
        {"c:/Levels/ground.obj", "ground.obj", true},
        {"D:ground.obj", "D:ground.obj", true},
        {"\\\\server\\share\\ground.obj", "ground.obj", true},
        {"/home/me/ground.obj", "ground.obj", true},
        {"meshes/", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(storedFileName(c.stored), c.name);
        EXPECT_EQ(isAbsoluteStoredPath(c.stored), c.absolute);
    }
}

TEST(StoredPath, RelativePathsResolveAgainstTheProjectFolder)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "meshes");
    test::writeFile(dir.file("meshes/one.obj"), "v 0 0 0\n");
    const std::string folder = dir.path().string();

    EXPECT_EQ(resolveStoredPath("meshes/one.obj", folder), dir.file("meshes/one.obj"));
    EXPECT_EQ(resolveStoredPath("meshes/one.obj", ""), "meshes/one.obj");
    EXPECT_EQ(resolveStoredPath("meshes/one.obj", "."), "meshes/one.obj");
    // A project named without a folder is in the current one.
    EXPECT_EQ(projectFolderOf("level.kgp"), ".");
    EXPECT_EQ(projectFolderOf(dir.file("level.kgp")), folder);
    EXPECT_EQ(resolveStoredPath("/elsewhere/one.obj", folder), "/elsewhere/one.obj");
    // A relative path written on Windows names the same file here (compared
    // as paths: on Windows the backslash stays and is a separator).
    EXPECT_EQ(pathFromUtf8(resolveStoredPath("meshes\\one.obj", folder)), pathFromUtf8(dir.file("meshes/one.obj")));
}

TEST(StoredPath, AMissingFileIsRelinkedToTheSameNameInTheProjectFolder)
{
    TempDir dir;
    test::writeFile(dir.file("ground.obj"), "v 0 0 0\n");
    const std::string folder = dir.path().string();
    struct Case {
        std::string stored;
        std::string path;
        bool relinked;
    };
    const Case cases[] = {
        {"ground.obj", dir.file("ground.obj"), false},
        {"C:\\Levels\\Valley\\ground.obj", dir.file("ground.obj"), true},
        {"/no/such/folder/ground.obj", dir.file("ground.obj"), true},
        {"old/ground.obj", dir.file("ground.obj"), true},
        {"/no/such/folder/rock.obj", "/no/such/folder/rock.obj", false}, // not found anywhere: named as stored
        {"C:\\Levels\\", "C:\\Levels\\", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const LocatedFile located = locateStoredFile(c.stored, folder);
        EXPECT_EQ(located.path, c.path);
        EXPECT_EQ(located.relinked, c.relinked);
    }
    // Without a project folder there is nowhere to look.
    EXPECT_FALSE(locateStoredFile("C:\\Levels\\ground.obj", "").relinked);
}

TEST(StoredPath, FilesInsideTheProjectFolderAreStoredRelative)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    EXPECT_EQ(portablePath(dir.file("meshes/one.obj"), folder), "meshes/one.obj");
    EXPECT_EQ(portablePath(dir.file("one.obj"), folder + "/"), "one.obj");
    EXPECT_EQ(portablePath(dir.file("a/../one.obj"), folder), "one.obj");
    const std::string outside = (dir.path().parent_path() / "other.obj").string();
    EXPECT_EQ(portablePath(outside, folder), outside);
    EXPECT_EQ(portablePath(dir.file("one.obj"), ""), dir.file("one.obj"));
    EXPECT_EQ(portablePath("", folder), "");
}

TEST(StoredPath, SavingToAnotherFolderKeepsNamingTheSameFiles)
{
    TempDir dir;
    const std::string root = dir.path().string();
    const std::string oldFolder = dir.file("old");
    const std::string newFolder = dir.file("new");
    struct Case {
        std::string stored;
        std::string oldFolder;
        std::string moved;
    };
    const Case cases[] = {
        {"meshes/a.obj", oldFolder, dir.file("old/meshes/a.obj")},   // leaves the new folder: absolute
        {"../new/a.obj", oldFolder, "a.obj"},                        // comes inside: relative
        {dir.file("new/tex/b.bmp"), oldFolder, "tex/b.bmp"},         // absolute inside: relative
        {dir.file("else/c.obj"), oldFolder, dir.file("else/c.obj")}, // absolute outside: as it was
        {"new/d.obj", root, "d.obj"},
        {"C:\\Levels\\e.obj", oldFolder, "C:\\Levels\\e.obj"},       // another computer's path: untouched
        {"", oldFolder, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const std::string moved = movedStoredPath(c.stored, c.oldFolder, newFolder);
        // Compared as paths: on Windows the folder part uses backslashes.
        EXPECT_EQ(pathFromUtf8(moved).lexically_normal(), pathFromUtf8(c.moved).lexically_normal());
        // Whatever the text, it names the file the old one named.
        if (!c.stored.empty() && !isAbsoluteStoredPath(c.stored)) {
            EXPECT_EQ(pathFromUtf8(resolveStoredPath(moved, newFolder)).lexically_normal(),
                      pathFromUtf8(resolveStoredPath(c.stored, c.oldFolder)).lexically_normal());
        }
    }

    // A path that would no longer fit in the field keeps its text.
    const std::string deep = "../" + std::string(240, 'x') + "/f.obj";
    EXPECT_EQ(movedStoredPath(deep, oldFolder, newFolder), deep);
}

TEST(StoredPath, MovingATableRewritesMeshAndTexturePaths)
{
    LayerTable layers;
    LayerEntry entry;
    entry.objPath = "a.obj";
    entry.bmpPath = "tex/a.bmp";
    layers.append(entry);
    moveStoredPaths(layers, "/p/q", "/p");
    EXPECT_EQ(layers.at(0).objPath, "q/a.obj");
    EXPECT_EQ(layers.at(0).bmpPath, "q/tex/a.bmp");
}

} // namespace
} // namespace kes
