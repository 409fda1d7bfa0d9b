#include <filesystem>

#include <gtest/gtest.h>

#include "check/output_target.h"
#include "support/temp_dir.h"

namespace kes {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// The files of a project in a fresh folder, and the inputs its level is made
// from.
class OutputTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir.path() / "sub");
        for (const char* name : {"level.kgp", "mesh.obj", "wave_000002.obj", "tex.bmp", "old.kes"})
            test::writeFile(dir.file(name), std::string("bytes"));
        inputs = {
            {0, InputKind::Texture, dir.file("tex.bmp")},
            {0, InputKind::Mesh, dir.file("mesh.obj")},
            {2, InputKind::Mesh, dir.file("wave_000001.obj")}, // missing: never the same as anything
            {2, InputKind::Mesh, dir.file("wave_000002.obj")},
        };
    }
    void TearDown() override
    {
        // Windows deletes no read-only file: make the folder removable again.
        std::error_code ignored;
        fs::permissions(dir.file("locked.kes"), fs::perms::owner_write, fs::perm_options::add, ignored);
    }

    TempDir dir;
    std::vector<LevelInput> inputs;
};

// Every path by which the level would be written over a file it is made
// from is refused, whatever the name; other paths are fine.
TEST_F(OutputTarget, RefusesEveryNameOfAnInputAndReadOnlyFiles)
{
    test::writeFile(dir.file("locked.kes"), std::string("bytes"));
    fs::create_hard_link(dir.file("tex.bmp"), dir.file("hard.kes"));
    fs::permissions(dir.file("locked.kes"), fs::perms::owner_read | fs::perms::group_read);
    const struct {
        std::string output;
        std::string reason; // empty: accepted
    } cases[] = {
        {"", "cannot write the level: the output path is empty"},
        {dir.file("level.kgp"), "it is the project file being read"},
        {dir.file("mesh.obj"), "it is the mesh file '" + dir.file("mesh.obj") + "' of layer 1"},
        {dir.file("wave_000002.obj"), "it is the mesh file '" + dir.file("wave_000002.obj") + "' of layer 3"},
        {dir.file("tex.bmp"), "it is the texture file '" + dir.file("tex.bmp") + "' of layer 1"},
        {dir.file("sub/../mesh.obj"), "it is the mesh file"},
        {dir.file("hard.kes"), "it is the texture file"},
#ifdef _WIN32
        // Windows' other spellings of the same file: letter case, backslashes.
        {dir.file("MESH.OBJ"), "it is the mesh file"},
        {dir.file("sub\\..\\Tex.Bmp"), "it is the texture file"},
#endif
        {dir.file("locked.kes"), "the file is read-only"},
        {dir.file("old.kes"), ""},
        {dir.file("new.kes"), ""},
        {dir.file("wave_000001.obj"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        Status status = checkOutputTarget(c.output, dir.file("level.kgp"), inputs);
        if (c.reason.empty()) {
            EXPECT_TRUE(status) << status.reason();
            continue;
        }
        ASSERT_FALSE(status);
        EXPECT_NE(status.reason().find(c.reason), std::string::npos) << status.reason();
        if (!c.output.empty()) {
            EXPECT_EQ(status.reason().rfind("cannot write '" + c.output + "': ", 0), 0u) << status.reason();
        }
    }
}

// A symbolic link to an input is that input.
TEST_F(OutputTarget, RefusesASymbolicLinkToAnInput)
{
    std::error_code error;
    fs::create_symlink(dir.file("mesh.obj"), dir.file("link.kes"), error);
    if (error) {
        // Windows makes symbolic links only with a privilege or in developer
        // mode, and Wine not at all.
        GTEST_SKIP() << "this system made no symbolic link here: " << error.message();
    }
    Status status = checkOutputTarget(dir.file("link.kes"), dir.file("level.kgp"), inputs);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.reason(), "cannot write '" + dir.file("link.kes") + "': it is the mesh file '"
                                   + dir.file("mesh.obj") + "' of layer 1");
}

} // namespace
} // namespace kes
