// kesgen-cli watch as a designer uses it beside a 3D tool: each change to the
// project or to a file it reads gives one generation, however the tool writes
// the file, and Ctrl+C leaves nothing behind.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/animated_project.h"
#include "cli/cli_runner.h"
#include "cli/watch_process.h"
#include "support/level_fixtures.h"
#include "model/project_file.h"

namespace kes {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::TempDir;

TEST(CliWatch, OneGenerationPerBurstOfChangesAndNothingLeftAfterCtrlC)
{
    TempDir dir;
    LevelProject project = test::writeAnimatedProject(dir);
    fs::create_directory(dir.file("out"));
    test::CliProcess watch({"watch", "level.kgp", "-o", "out/level.kes"}, dir.path().string(),
                           dir.file("watch-errors.txt"));
    const std::regex generated(R"(\d\d:\d\d:\d\d generated 'out/level\.kes' \(0 warnings\))");

    // One line for the change, then none (the quiet period is far shorter
    // than the second waited for a second line).
    const auto expectOneRun = [&](const char* what, const std::regex& line) {
        SCOPED_TRACE(what);
        const std::optional<std::string> run = watch.nextLine(20s);
        ASSERT_TRUE(run) << "no generation";
        EXPECT_TRUE(std::regex_match(*run, line)) << *run;
        const std::optional<std::string> more = watch.nextLine(1500ms);
        EXPECT_FALSE(more) << "a second generation: " << *more;
    };
    const auto targetsInLevel = [&] {
        const test::CliRun inspect = test::runCli("inspect --json " + test::quote(dir.file("out/level.kes")), dir);
        return nlohmann::json::parse(inspect.out)["targets"].size();
    };

    expectOneRun("the first generation", generated);
    test::writeObj(dir.file("mesh.obj"), test::fixtureTriangles(5));
    expectOneRun("a mesh", generated);
    test::writeBmp(dir.file("tex.bmp"), 2, 2, test::fixturePixels(2, 2));
    expectOneRun("a texture", generated);
    test::writeObj(dir.file("wave_000002.obj"), test::fixtureTriangles(4));
    expectOneRun("a frame", generated);
    project.targets.append(TargetEntry{4, 5, 6, 1});
    ASSERT_TRUE(saveProject(project, dir.file("level.kgp")));
    expectOneRun("the project", generated);
    EXPECT_EQ(targetsInLevel(), 2u);

    // A tool that deletes the file before it writes the new one.
    fs::remove(dir.file("mesh.obj"));
    std::this_thread::sleep_for(100ms);
    test::writeObj(dir.file("mesh.obj"), test::fixtureTriangles(2));
    expectOneRun("a mesh deleted and made again", generated);

    // A tool that writes a file in several steps; the last one adds a face of
    // four corners, which the level gets as two triangles with a warning.
    {
        std::ofstream mesh(dir.file("mesh.obj"), std::ios::binary | std::ios::trunc);
        for (const char* step : {"v 0 0 0\nv 1 0 0\n", "v 1 1 0\nv 0 1 0\nvt 0 0\n", "f 1/1 2/1 3/1 4/1\n"}) {
            mesh << step << std::flush;
            std::this_thread::sleep_for(100ms);
        }
    }
    expectOneRun("a mesh written in three steps",
                 std::regex(R"(\d\d:\d\d:\d\d generated 'out/level\.kes' \(1 warning\))"));

    // A mesh that stays away is an error; once it is back, the level is.
    fs::remove(dir.file("mesh.obj"));
    expectOneRun("a mesh deleted", std::regex(R"(\d\d:\d\d:\d\d error: .*mesh\.obj.* \(0 warnings\))"));
    test::writeObj(dir.file("mesh.obj"), test::fixtureTriangles(3));
    expectOneRun("the mesh back", generated);

    // Ctrl+C just after a change: the generation under way, if any, ends
    // first, and only the level file is left.
    test::writeObj(dir.file("wave_000003.obj"), test::fixtureTriangles(1));
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(watch.stop(SIGINT), 0);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.file("out")))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"level.kes"});
    const test::Bytes errors = test::readFile(dir.file("watch-errors.txt"));
    EXPECT_EQ(std::string(errors.begin(), errors.end()),
              "watching 'level.kgp' and every file it reads; Ctrl+C ends the watch\n");
}

TEST(CliWatch, UsageErrors)
{
    TempDir dir;
    EXPECT_EQ(test::runCli("watch level.kgp", dir).exitCode, 2) << "-o is required";
    EXPECT_EQ(test::runCli("watch -o x.kes", dir).exitCode, 2);
    const test::CliRun run = test::runCli("watch level.kgp -o x.kes -j 0", dir);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--threads '0'"), std::string::npos) << run.err;
}

} // namespace
} // namespace kes
