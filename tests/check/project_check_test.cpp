#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "check/project_check.h"
#include "support/level_fixtures.h"
#include "model/file_io.h"
#include "model/project_file.h"

namespace kes {
namespace {

using test::TempDir;

// A project without problems: a textured static layer and an animated layer
// of two frames, with its files in `dir`.
LevelProject goodProject(const TempDir& dir)
{
    test::writeObj(dir.file("mesh.obj"), test::fixtureTriangles(2));
    test::writeObj(dir.file("wave_000001.obj"), test::fixtureTriangles(1));
    test::writeObj(dir.file("wave_000002.obj"), test::fixtureTriangles(1, 5));
    test::writeBmp(dir.file("tex.bmp"), 3, 2, test::fixturePixels(3, 2));
    LevelProject project;
    LayerEntry still;
    still.objPath = "mesh.obj";
    still.bmpPath = "tex.bmp";
    still.draw = 1;
    project.layers.append(still);
    LayerEntry wave;
    wave.objPath = "wave.obj";
    wave.kind = 4;
    wave.frames = 2;
    project.layers.append(wave);
    project.targets.append(TargetEntry{1, 2, 3, 0});
    return project;
}

TEST(ProjectCheck, AGoodProjectHasNoProblemsAndReadsEveryInput)
{
    TempDir dir;
    const ProjectCheck check = checkProject(goodProject(dir), dir.path().string());
    EXPECT_TRUE(check.problems.empty()) << problemLine(check.problems.front());
    EXPECT_EQ(check.inputs.size(), 4u);
    EXPECT_FALSE(check.hasErrors());
    EXPECT_FALSE(check.hasWarnings());
}

// One kind of problem per case: its severity, the layer and file it names,
// and what it says.
TEST(ProjectCheck, FindsEachKindOfProblem)
{
    using Change = std::function<void(LevelProject&, const TempDir&)>;
    const ProblemSeverity E = ProblemSeverity::Error, W = ProblemSeverity::Warning;
    const struct {
        const char* name;
        Change change;
        ProblemSeverity severity;
        int layer;
        const char* file; // file name the problem names, or ""
        int line;
        const char* says;
    } cases[] = {
        {"missing mesh", [](auto& p, auto&) { p.layers.at(0).objPath = "gone.obj"; }, E, 0, "gone.obj", 0,
         "cannot read mesh file"},
        {"missing animation frame", [](auto&, auto& d) { std::filesystem::remove(d.file("wave_000002.obj")); }, E,
         1, "wave_000002.obj", 0, "cannot read mesh file"},
        {"missing texture", [](auto& p, auto&) { p.layers.at(0).bmpPath = "gone.bmp"; }, E, 0, "gone.bmp", 0,
         "cannot read texture file"},
        {"texture that is not 24-bit",
         [](auto&, auto& d) { test::writeFile(d.file("tex.bmp"), std::string(60, '\0')); }, E, 0, "tex.bmp", 0,
         "cannot read texture file"},
        {"no mesh path", [](auto& p, auto&) { p.layers.at(0).objPath = ""; }, E, 0, "", 0, "names no mesh file"},
        {"drawn without texture path", [](auto& p, auto&) { p.layers.at(0).bmpPath = ""; }, E, 0, "", 0,
         "names no texture file"},
        {"face of four corners",
         [](auto&, auto& d) { test::writeFile(d.file("mesh.obj"), std::string("v 0 0 0\nf 1 1 1 1\n")); }, W, 0,
         "mesh.obj", 2, "4 corners"},
        {"index out of range",
         [](auto&, auto& d) { test::writeFile(d.file("mesh.obj"), std::string("v 0 0 0\nf 1 1 9\n")); }, W, 0,
         "mesh.obj", 2, "9"},
        {"number that does not read cleanly",
         [](auto&, auto& d) { test::writeFile(d.file("mesh.obj"), std::string("v 1,5 0 0\nf 1 1 1\n")); }, W, 0,
         "mesh.obj", 1, ""},
        {"normal too large for a float",
         [](auto&, auto& d) { test::writeFile(d.file("mesh.obj"), std::string("v 0 0 0\nvn 0 1e39 0\nf 1//1 1//1 1//1\n")); },
         W, 0, "mesh.obj", 2, "'1e39', a number too large"},
        {"UTF-16 mesh",
         [](auto&, auto& d) { test::writeFile(d.file("mesh.obj"), std::string("\xFF\xFEv\0 \0", 6)); }, W, 0,
         "mesh.obj", 0, "not a text file"},
        {"bad start position", [](auto& p, auto&) { p.settings.startPosition = "1,2,x"; }, E, -1, "", 0,
         "does not hold six numbers"},
        {"bad background colour", [](auto& p, auto&) { p.settings.backgroundColor = "1;2;3"; }, E, -1, "", 0,
         "does not hold three numbers"},
        {"version above 65535", [](auto& p, auto&) { p.settings.versionMajor = "70000"; }, W, -1, "", 0,
         "70000 is outside 0 to 65535; the level gets 4464"},
        {"version that is no number", [](auto& p, auto&) { p.settings.versionMinor = "beta"; }, W, -1, "", 0,
         "is not a number"},
        {"frames L/R that are no number", [](auto& p, auto&) { p.settings.framesLR = "x"; }, W, -1, "", 0,
         "not a number"},
        {"title longer than a project holds", [](auto& p, auto&) { p.settings.title = std::string(300, 't'); }, W,
         -1, "", 0, "300 bytes long"},
        {"empty author", [](auto& p, auto&) { p.settings.author = ""; }, W, -1, "", 0, "the author is empty"},
        {"unknown layer kind", [](auto& p, auto&) { p.layers.at(0).kind = 9; }, W, 0, "", 0, "layer kind 9"},
        {"animation without frames", [](auto& p, auto&) { p.layers.at(1).frames = 0; }, W, 1, "", 0, "0 frames"},
        {"animation of more frames than the level holds",
         [](auto& p, auto& d) {
             p.layers.at(1).frames = 65537;
             test::writeObj(d.file("wave.obj"), test::fixtureTriangles(1));
         },
         W, 1, "", 0, "65537 is outside 1 to 65535; the level gets 1 frame"},
        {"unknown target kind", [](auto& p, auto&) { p.targets.at(0).kind = 7; }, W, -1, "", 0, "unknown kind 7"},
        {"start position number that is not finite",
         [](auto& p, auto&) { p.settings.startPosition = "0,0,1e39,0,0,0"; }, W, -1, "", 0,
         "number 3 (1e39) is too large"},
        {"background colour of four numbers", [](auto& p, auto&) { p.settings.backgroundColor = "1,2,3,4"; }, W,
         -1, "", 0, "holds 4 numbers; only the first 3 are used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        LevelProject project = goodProject(dir);
        c.change(project, dir);
        const ProjectCheck check = checkProject(project, dir.path().string());
        ASSERT_EQ(check.problems.size(), 1u);
        const ProjectProblem& problem = check.problems.front();
        EXPECT_EQ(problem.severity, c.severity);
        EXPECT_EQ(problem.layer, c.layer);
        if (std::string(c.file).empty())
            EXPECT_EQ(problem.file, "");
        else
            EXPECT_EQ(pathFromUtf8(problem.file), pathFromUtf8(dir.file(c.file)));
        EXPECT_EQ(problem.line, c.line);
        EXPECT_NE(problem.what.find(c.says), std::string::npos) << problem.what;
        EXPECT_EQ(check.hasErrors(), c.severity == E);
        EXPECT_EQ(check.hasWarnings(), c.severity == W);
    }
}

// Not only the first: every problem, in the order generation meets them, and
// texts quoted from the files come out printable.
TEST(ProjectCheck, GathersEveryProblemAndEscapesQuotedBytes)
{
    TempDir dir;
    LevelProject project = goodProject(dir);
    project.settings.startPosition = "nope";
    project.layers.at(0).bmpPath = "gone.bmp";
    test::writeFile(dir.file("wave_000001.obj"), std::string("v 0 0 0\nf 1/\x1b[2J 1 1\n"));
    std::filesystem::remove(dir.file("wave_000002.obj"));
    const ProjectCheck check = checkProject(project, dir.path().string());
    ASSERT_EQ(check.problems.size(), 4u);
    EXPECT_NE(check.problems[0].what.find("start position"), std::string::npos);
    EXPECT_EQ(pathFromUtf8(check.problems[1].file), pathFromUtf8(dir.file("gone.bmp")));
    EXPECT_EQ(pathFromUtf8(check.problems[2].file), pathFromUtf8(dir.file("wave_000001.obj")));
    EXPECT_EQ(check.problems[2].severity, ProblemSeverity::Warning);
    EXPECT_EQ(check.problems[2].what.find('\x1b'), std::string::npos) << check.problems[2].what;
    EXPECT_NE(check.problems[2].what.find("\\x1B[2J"), std::string::npos) << check.problems[2].what;
    EXPECT_EQ(pathFromUtf8(check.problems[3].file), pathFromUtf8(dir.file("wave_000002.obj")));
    EXPECT_EQ(problemLine(check.problems[2]).rfind(dir.file("wave_000001.obj") + ":2: ", 0), 0u);
    EXPECT_NE(problemLine(check.problems[2]).find("(layer 2)"), std::string::npos);
    EXPECT_EQ(problemLine(check.problems[1]).rfind("layer 1: cannot read texture file", 0), 0u);
}

// The inputs are read on several threads at once; the problems, in their
// order, are those of one thread.
TEST(ProjectCheck, TheSameProblemsOnAnyNumberOfThreads)
{
    TempDir dir;
    LevelProject project = goodProject(dir);
    for (int i = 0; i < 6; ++i) {
        LayerEntry layer = project.layers.at(i % 2);
        if (i % 3 == 0)
            layer.bmpPath = "gone" + std::to_string(i) + ".bmp";
        project.layers.append(layer);
    }
    test::writeFile(dir.file("mesh.obj"), std::string("v 0 0 0\nvt 0 0\nf 1/1 1/1 1/1 1/1\nf 1/1 2/1 1/1\n"));
    std::filesystem::remove(dir.file("wave_000002.obj"));
    const std::vector<ProjectProblem> one = checkProject(project, dir.path().string(), 1).problems;
    ASSERT_GT(one.size(), 10u);
    for (const int threads : {0, 2, 3, 8}) {
        SCOPED_TRACE(threads);
        const std::vector<ProjectProblem> many = checkProject(project, dir.path().string(), threads).problems;
        ASSERT_EQ(many.size(), one.size());
        for (std::size_t i = 0; i < one.size(); ++i)
            EXPECT_EQ(problemMessage(many[i]), problemMessage(one[i])) << i;
    }
}

// Stored paths that name no file are relinked to the files of the same name
// in the project's folder, as generation does it, with the warning
// generation gives; those files are then read and checked.
TEST(ProjectCheck, RelinksMissingPathsWithAWarning)
{
    TempDir dir;
    LevelProject project = goodProject(dir);
    project.layers.at(0).objPath = "C:\\Levels\\mesh.obj";
    project.layers.at(0).bmpPath = "/moved/away/tex.bmp";
    project.layers.at(1).objPath = "D:\\anim\\wave.obj";
    test::writeFile(dir.file("mesh.obj"), std::string("v 0 0 0\nf 1 1 1 1\n"));
    const ProjectCheck check = checkProject(project, dir.path().string());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"C:\\Levels\\mesh.obj", "mesh file not found; using '" + dir.file("mesh.obj") + "'"},
        {"/moved/away/tex.bmp", "texture file not found; using '" + dir.file("tex.bmp") + "'"},
        {dir.file("mesh.obj"), "4 corners"},
        {"D:\\anim\\wave.obj", "mesh file not found; using '" + dir.file("wave.obj") + "'"},
    };
    ASSERT_EQ(check.problems.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(check.problems[i].severity, ProblemSeverity::Warning);
        EXPECT_EQ(check.problems[i].file, expected[i].first);
        EXPECT_NE(check.problems[i].what.find(expected[i].second), std::string::npos) << check.problems[i].what;
    }
    EXPECT_EQ(check.inputs.size(), 4u);
}

// A pipe with no writer would keep a reader waiting for ever: it is refused
// unread, as generation refuses it, and still listed among the inputs.
TEST(ProjectCheck, RefusesAPipeWithoutReadingIt)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps no pipes among the files of a folder";
#else
    TempDir dir;
    LevelProject project = goodProject(dir);
    ASSERT_EQ(mkfifo(dir.file("pipe.obj").c_str(), 0600), 0);
    project.layers.at(0).objPath = "pipe.obj";
    const ProjectCheck check = checkProject(project, dir.path().string());
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_EQ(check.problems[0].severity, ProblemSeverity::Error);
    EXPECT_EQ(check.problems[0].what, "cannot read mesh file '" + dir.file("pipe.obj") + "': is not a regular file");
    EXPECT_EQ(check.inputs.at(1).path, dir.file("pipe.obj"));
#endif
}

// Absurd but finite values get a warning each, naming what holds them.
TEST(ProjectCheck, WarnsAboutValuesOutOfRange)
{
    TempDir dir;
    test::writeFile(dir.file("far.obj"), std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1e38 0 0\nf 1 2 3\nf 1 2 4\n"));
    using Change = std::function<void(LevelProject&)>;
    struct Case {
        const char* name;
        Change change;
        int layer;
        std::string file;
        std::string what;
    };
    const Case cases[] = {
        {"a vertex at 1e38", [](LevelProject& p) { p.layers.at(0).objPath = "far.obj"; }, 0, dir.file("far.obj"),
         "1 corner of a face is out of range (beyond \u00b11000000); the preview does not frame them"},
        {"a speed of 1e30",
         [](LevelProject& p) {
             p.layers.at(0).kind = static_cast<std::int32_t>(LayerKind::Moving);
             p.layers.at(0).speed = {0, 1e30f, 0};
         },
         0, "", "the speed '0,1e+30,0' is out of range"},
        {"a speed that goes too far in its frames",
         [](LevelProject& p) {
             p.layers.at(0).kind = static_cast<std::int32_t>(LayerKind::Trigger);
             p.layers.at(0).speed = {0, 0, 2e5f};
             p.layers.at(0).frames = 10;
         },
         0, "", "the motion's end (speed x frames) '0,0,2e+06' is out of range"},
        {"a vibration width of 1e38",
         [](LevelProject& p) {
             p.layers.at(0).kind = static_cast<std::int32_t>(LayerKind::Vibrating);
             p.layers.at(0).vibration = {1e38f, 0, 0};
         },
         0, "", "the vibration width '1e+38,0,0' is out of range"},
        {"a trigger area of 1e38",
         [](LevelProject& p) {
             p.layers.at(0).kind = static_cast<std::int32_t>(LayerKind::Trigger);
             p.layers.at(0).triggerArea[3] = 1e38f;
         },
         0, "", "the trigger area"},
        {"a target at -1e38", [](LevelProject& p) { p.targets.at(0).y = -1e38f; }, -1, "",
         "target 1's position '1,-1e+38,3' is out of range"},
        {"the start at 2e6", [](LevelProject& p) { p.settings.startPosition = "2e6,0,0,0,0,0"; }, -1, "",
         "the start position '2e+06,0,0' is out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelProject project = goodProject(dir);
        c.change(project);
        const ProjectCheck check = checkProject(project, dir.path().string());
        ASSERT_EQ(check.problems.size(), 1u) << problemLine(check.problems.front());
        const ProjectProblem& problem = check.problems[0];
        EXPECT_EQ(problem.severity, ProblemSeverity::Warning);
        EXPECT_EQ(problem.layer, c.layer);
        EXPECT_EQ(problem.file, c.file);
        EXPECT_NE(problem.what.find(c.what), std::string::npos) << problem.what;
    }
    // At the limit: no warning.
    LevelProject project = goodProject(dir);
    project.targets.at(0).x = 1e6f;
    project.settings.startPosition = "-1e6,0,0,0,0,0";
    EXPECT_TRUE(checkProject(project, dir.path().string()).problems.empty());
}

TEST(ProjectCheck, AProjectFileThatCannotBeReadIsOneError)
{
    TempDir dir;
    test::writeFile(dir.file("bad.kgp"), std::string("KESGENPRO!"));
    for (const char* name : {"bad.kgp", "missing.kgp"}) {
        SCOPED_TRACE(name);
        const ProjectCheck check = checkProjectFile(dir.file(name));
        ASSERT_EQ(check.problems.size(), 1u);
        EXPECT_EQ(check.problems[0].severity, ProblemSeverity::Error);
        EXPECT_NE(check.problems[0].what.find(dir.file(name)), std::string::npos);
    }
    ASSERT_TRUE(saveProject(goodProject(dir), dir.file("good.kgp")));
    EXPECT_TRUE(checkProjectFile(dir.file("good.kgp")).problems.empty());
}

} // namespace
} // namespace kes
