#include <gtest/gtest.h>

#include "check/level_inputs.h"
#include "model/file_io.h"
#include "support/temp_dir.h"

namespace kes {
namespace {

LayerEntry layer(const std::string& obj, const std::string& bmp, int kind, int frames, bool draw)
{
    LayerEntry entry;
    entry.objPath = obj;
    entry.bmpPath = bmp;
    entry.kind = kind;
    entry.frames = frames;
    entry.draw = draw ? 1 : 0;
    return entry;
}

// Generation reads a drawn layer's texture before its meshes, numbered frame
// files for animations of more than one frame, and nothing for a texture of a
// layer that is not drawn.
TEST(LevelInputs, ListsWhatGenerationReadsInItsOrder)
{
    LevelProject project;
    project.layers.append(layer("ground.obj", "grass.bmp", 0, 40, true));
    project.layers.append(layer("/abs/wave.obj", "unused.bmp", 4, 3, false));
    project.layers.append(layer("one.obj", "", 5, 1, false));
    project.layers.append(layer("none.obj", "", 4, 0, false));
    project.layers.append(layer("", "t.bmp", 1, 5, true));
    const std::vector<LevelInput> inputs = levelInputs(project, "base");
    const std::vector<std::tuple<int, InputKind, std::string>> expected = {
        {0, InputKind::Texture, "base/grass.bmp"},
        {0, InputKind::Mesh, "base/ground.obj"},
        {1, InputKind::Mesh, "/abs/wave_000001.obj"},
        {1, InputKind::Mesh, "/abs/wave_000002.obj"},
        {1, InputKind::Mesh, "/abs/wave_000003.obj"},
        {2, InputKind::Mesh, "base/one.obj"},
        {4, InputKind::Texture, "base/t.bmp"},
    };
    ASSERT_EQ(inputs.size(), expected.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(inputs[i].layer, std::get<0>(expected[i]));
        EXPECT_EQ(inputs[i].kind, std::get<1>(expected[i]));
        // Compared as paths: on Windows the folder is joined with a backslash.
        EXPECT_EQ(pathFromUtf8(inputs[i].path), pathFromUtf8(std::get<2>(expected[i])));
    }
    project.layers.append(layer("ground.obj", "grass.bmp", 0, 0, true));
    EXPECT_EQ(uniqueInputPaths(levelInputs(project, "base")).size(), expected.size());
    // The same file named another way is listed once too, as first named;
    // a path through ".." is not taken for the same (its folder may be a
    // link elsewhere).
    project.layers.append(layer("./ground.obj", "./grass.bmp", 0, 0, true));
    EXPECT_EQ(uniqueInputPaths(levelInputs(project, "base")).size(), expected.size());
    project.layers.append(layer("ground.obj", "sub/../grass.bmp", 0, 0, true));
    EXPECT_EQ(uniqueInputPaths(levelInputs(project, "base")).size(), expected.size() + 1);
}

// A project moved away from its files, or made on another computer: a
// stored path that names no file is read, as generation reads it, from the
// file of the same name in the project's folder; animation frames relink as
// one. A path whose name isn't there either stays as stored.
TEST(LevelInputs, ListsRelinkedFilesOfAMovedProject)
{
    const struct {
        const char* name;
        LayerEntry entry;
        std::vector<std::string> expected; // file names in the folder, or a path as stored
    } cases[] = {
        {"Windows path", layer("C:\\Levels\\Valley\\ground.obj", "", 0, 1, false), {"ground.obj"}},
        {"old folder", layer("/old/place/ground.obj", "", 0, 1, false), {"ground.obj"}},
        {"texture", layer("ground.obj", "D:\\art\\grass.bmp", 0, 1, true), {"grass.bmp", "ground.obj"}},
        {"animation frames", layer("C:\\Levels\\wave.obj", "", 4, 2, false),
         {"wave_000001.obj", "wave_000002.obj"}},
        {"nowhere", layer("/old/place/gone.obj", "", 0, 1, false), {"/old/place/gone.obj"}},
    };
    test::TempDir dir;
    for (const char* name : {"ground.obj", "grass.bmp", "wave_000001.obj", "wave_000002.obj"})
        test::writeFile(dir.file(name), std::string("v 0 0 0\n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LevelProject project;
        project.layers.append(c.entry);
        const std::vector<LevelInput> inputs = levelInputs(project, dir.path().string());
        ASSERT_EQ(inputs.size(), c.expected.size());
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::string expected = c.expected[i].front() == '/' ? c.expected[i] : dir.file(c.expected[i]);
            EXPECT_EQ(pathFromUtf8(inputs[i].path), pathFromUtf8(expected));
        }
    }
}

} // namespace
} // namespace kes
