// Stored paths that name no file are relinked to the file of the same name in
// the project's folder, so that a project from another computer generates.
#include <gtest/gtest.h>

#include "generate/generate_level.h"
#include "generate/layer_files.h"
#include "support/layer_entries.h"
#include "support/level_fixtures.h"

namespace kes {
namespace {

using test::layerEntry;
using test::TempDir;

// A project folder with a static mesh and texture and a three-frame animation.
void writeInputs(const TempDir& dir)
{
    test::writeObj(dir.file("ground.obj"), test::fixtureTriangles(2));
    test::writeBmp(dir.file("ground.bmp"), 3, 2, test::fixturePixels(3, 2));
    for (int frame = 1; frame <= 3; ++frame)
        test::writeObj(dir.file("wave_00000" + std::to_string(frame) + ".obj"), test::fixtureTriangles(frame));
}

LevelProject projectWith(const std::string& ground, const std::string& texture, const std::string& wave)
{
    LevelProject project;
    project.layers.append(layerEntry(ground, LayerKind::Static, texture));
    project.layers.append(layerEntry(wave, LayerKind::Animated, {}, 3));
    return project;
}

TEST(Relink, WindowsPathsGenerateTheSameBytesAsRelativeOnes)
{
    TempDir dir;
    writeInputs(dir);
    GenerationOptions options;
    options.baseFolder = dir.path().string();

    const GenerationResult relative =
        generateLevel(projectWith("ground.obj", "ground.bmp", "wave.obj"), dir.file("relative.kes"), options);
    ASSERT_TRUE(relative.status) << relative.status.reason();
    EXPECT_TRUE(relative.warnings.empty());

    const GenerationResult windows =
        generateLevel(projectWith("C:\\Levels\\Valley\\ground.obj", "c:/Levels/Valley/ground.bmp",
                                  "D:\\Shared\\anim\\wave.obj"),
                      dir.file("windows.kes"), options);
    ASSERT_TRUE(windows.status) << windows.status.reason();
    EXPECT_EQ(test::readFile(dir.file("windows.kes")), test::readFile(dir.file("relative.kes")));

    // One warning per relinked path, naming the stored path and the file used.
    ASSERT_EQ(windows.warnings.size(), 3u);
    EXPECT_EQ(windows.warnings[0].file, "C:\\Levels\\Valley\\ground.obj");
    EXPECT_NE(windows.warnings[0].what.find("mesh file not found; using '" + dir.file("ground.obj") + "'"),
              std::string::npos)
        << windows.warnings[0].what;
    EXPECT_EQ(windows.warnings[1].file, "c:/Levels/Valley/ground.bmp");
    EXPECT_NE(windows.warnings[1].what.find("texture file"), std::string::npos);
    EXPECT_EQ(windows.warnings[2].file, "D:\\Shared\\anim\\wave.obj");
}

TEST(Relink, AnAnimationRelinksOnlyWhenItsFramesAreThere)
{
    TempDir dir;
    writeInputs(dir);
    const std::string folder = dir.path().string();

    // The base of an animation is never a file itself; its first frame is.
    const LocatedFile wave = locateLayerMesh(layerEntry("/gone/wave.obj", LayerKind::AnimatedTrigger, {}, 3), folder);
    EXPECT_TRUE(wave.relinked);
    EXPECT_EQ(wave.path, dir.file("wave.obj"));

    // A static layer of the same name needs wave.obj itself, which is missing.
    EXPECT_FALSE(locateLayerMesh(layerEntry("/gone/wave.obj", LayerKind::Static), folder).relinked);

    // Frames found as stored are used as stored.
    EXPECT_FALSE(locateLayerMesh(layerEntry("wave.obj", LayerKind::Animated, {}, 3), folder).relinked);
}

TEST(Relink, RelinkRewritesOnlyMissingPathsThatAreFound)
{
    TempDir dir;
    writeInputs(dir);
    LayerTable layers;
    layers.append(layerEntry("C:\\Levels\\ground.obj", LayerKind::Static, "C:\\Levels\\ground.bmp"));
    layers.append(layerEntry("ground.obj", LayerKind::Static, "/gone/missing.bmp"));
    layers.append(layerEntry("/gone/wave.obj", LayerKind::Animated, {}, 2));

    const std::vector<RelinkedPath> relinked = relinkLayerPaths(layers, dir.path().string());
    ASSERT_EQ(relinked.size(), 3u);
    EXPECT_EQ(relinked[0].layer, 0);
    EXPECT_FALSE(relinked[0].texture);
    EXPECT_EQ(relinked[0].stored, "C:\\Levels\\ground.obj");
    EXPECT_EQ(relinked[0].relinked, "ground.obj");
    EXPECT_TRUE(relinked[1].texture);
    EXPECT_EQ(relinked[2].layer, 2);
    EXPECT_EQ(layers.at(0).objPath, "ground.obj");
    EXPECT_EQ(layers.at(0).bmpPath, "ground.bmp");
    EXPECT_EQ(layers.at(1).bmpPath, "/gone/missing.bmp"); // nothing of that name: unchanged
    EXPECT_EQ(layers.at(2).objPath, "wave.obj");

    // Without a project folder nothing is looked for.
    LayerTable untouched;
    untouched.append(layerEntry("C:\\Levels\\ground.obj", LayerKind::Static));
    EXPECT_TRUE(relinkLayerPaths(untouched, "").empty());
}

TEST(Relink, AFileMissingEverywhereFailsNamingTheStoredPath)
{
    TempDir dir;
    GenerationOptions options;
    options.baseFolder = dir.path().string();
    LevelProject project;
    project.layers.append(layerEntry("C:\\Levels\\rock.obj", LayerKind::Static));
    const GenerationResult result = generateLevel(project, dir.file("level.kes"), options);
    ASSERT_FALSE(result.status);
    EXPECT_NE(result.status.reason().find("C:\\Levels\\rock.obj"), std::string::npos) << result.status.reason();
}

} // namespace
} // namespace kes
