// Runs the kesgen-cli program and checks its exit codes and messages.
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "cli/cli_runner.h"
#include "support/level_fixtures.h"
#include "support/sample_project.h"
#include "model/project_file.h"

namespace kes {
namespace {

using test::CliRun;
using test::quote;
using test::runCli;
using test::TempDir;

// The sample project, in `dir`.
void writeProject(const TempDir& dir, const std::string& obj = "mesh.obj", const std::string& bmp = "tex.bmp")
{
    test::writeSampleProject(dir, obj, bmp);
}

TEST(Cli, GenerateWritesTheLevelBesideTheProject)
{
    TempDir dir;
    writeProject(dir);
    CliRun run = runCli(quote(dir.file("level.kgp")), dir);
    EXPECT_EQ(run.exitCode, 2) << "a missing subcommand is a usage error";

    run = runCli("generate " + quote(dir.file("level.kgp")), dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("level.kes")));
    const auto size = std::filesystem::file_size(dir.file("level.kes"));
    EXPECT_EQ(run.out, "generated '" + dir.file("level.kes") + "': 1 layer, 1 target, 3 triangles, "
                           + std::to_string(size) + " bytes\n");
    EXPECT_EQ(run.err, "") << "no progress when stderr is not a terminal";

    // -o, and a project named relative to the current folder.
    run = runCli("generate level.kgp -o out.kes", dir, dir.path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::readFile(dir.file("out.kes")), test::readFile(dir.file("level.kes")));
}

TEST(Cli, GenerateFailuresExitWithOneAndKeepTheEarlierLevel)
{
    struct Case {
        const char* name;
        std::string obj, bmp;
        std::string output;        // relative to the temp folder
        bool badHeader;
        const char* errorContains;
    };
    const Case cases[] = {
        {"missing mesh", "gone.obj", "tex.bmp", "level.kes", false, "gone.obj"},
        {"missing texture", "mesh.obj", "gone.bmp", "level.kes", false, "gone.bmp"},
        {"bad project header", "mesh.obj", "tex.bmp", "level.kes", true, "Invalid File: Header incorrect."},
        {"output folder missing", "mesh.obj", "tex.bmp", "nowhere/level.kes", false, "nowhere/level.kes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeProject(dir, c.obj, c.bmp);
        if (c.badHeader)
            test::writeFile(dir.file("level.kgp"), std::string("KESGENPRO! and more"));
        test::writeFile(dir.file("level.kes"), std::string("earlier"));
        CliRun run = runCli("generate " + quote(dir.file("level.kgp")) + " -o " + quote(dir.file(c.output)), dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.errorContains), std::string::npos) << run.err;
        EXPECT_EQ(test::readFile(dir.file("level.kes")), (test::Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    }
}

TEST(Cli, WarningsNameTheFileAndLine)
{
    TempDir dir;
    writeProject(dir);
    test::writeFile(dir.file("mesh.obj"), std::string("v 1 2 3\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 5/1/1\n"));
    CliRun run = runCli("generate " + quote(dir.file("level.kgp")), dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.rfind("warning: " + dir.file("mesh.obj") + ":4: ", 0), 0u) << run.err;
}

TEST(Cli, InspectTellsLevelsAndProjectsByTheirFirstBytes)
{
    TempDir dir;
    writeProject(dir);
    ASSERT_EQ(runCli("generate " + quote(dir.file("level.kgp")), dir).exitCode, 0);
    // Names that say the opposite of what the files are.
    std::filesystem::copy_file(dir.file("level.kes"), dir.file("looks-like.kgp"));
    std::filesystem::copy_file(dir.file("level.kgp"), dir.file("looks-like.kes"));

    CliRun level = runCli("inspect --json " + quote(dir.file("looks-like.kgp")), dir);
    ASSERT_EQ(level.exitCode, 0) << level.err;
    nlohmann::json json = nlohmann::json::parse(level.out);
    EXPECT_EQ(json["type"], "level");
    EXPECT_EQ(json["header"]["chunkCounts"]["vectors"], 4);
    EXPECT_EQ(json["layers"][0]["kindName"], "Static");
    EXPECT_EQ(json["layers"][0]["triangles"], 3);
    EXPECT_EQ(json["layers"][0]["textures"][0]["width"], 4);
    EXPECT_EQ(json["targets"][0]["position"], nlohmann::json::parse("[1.0, 2.0, 3.0]"));

    CliRun project = runCli("inspect --json " + quote(dir.file("looks-like.kes")), dir);
    ASSERT_EQ(project.exitCode, 0) << project.err;
    json = nlohmann::json::parse(project.out);
    EXPECT_EQ(json["type"], "project");
    EXPECT_EQ(json["layers"][0]["objPath"], "mesh.obj");

    CliRun text = runCli("inspect " + quote(dir.file("level.kes")), dir);
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("texture: 4 x 2 pixels"), std::string::npos) << text.out;
}

// Texts are 8-bit in the designer's code page, so they need not be UTF-8;
// JSON shows such bytes as U+FFFD instead of failing.
TEST(Cli, InspectJsonOfTextsThatAreNotUtf8)
{
    TempDir dir;
    writeProject(dir, "mesh.obj", "tex\xE9.bmp");
    std::filesystem::copy_file(dir.file("tex.bmp"), dir.file("tex\xE9.bmp"));
    LevelProject project;
    ASSERT_TRUE(loadProject(dir.file("level.kgp"), project));
    project.settings.title = "Caf\xE9";
    ASSERT_TRUE(saveProject(project, dir.file("level.kgp")));
    ASSERT_EQ(runCli("generate " + quote(dir.file("level.kgp")), dir).exitCode, 0);

    for (const char* file : {"level.kgp", "level.kes"}) {
        SCOPED_TRACE(file);
        CliRun run = runCli("inspect --json " + quote(dir.file(file)), dir);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        nlohmann::json json = nlohmann::json::parse(run.out);
        const nlohmann::json& title = json["type"] == "level" ? json["header"]["title"] : json["settings"]["title"];
        EXPECT_EQ(title, "Caf\uFFFD");
    }
}

TEST(Cli, InspectRejectsDamagedFilesWithTheOffset)
{
    TempDir dir;
    writeProject(dir);
    ASSERT_EQ(runCli("generate " + quote(dir.file("level.kgp")), dir).exitCode, 0);
    test::Bytes level = test::readFile(dir.file("level.kes"));
    level.resize(level.size() - 3);
    test::writeFile(dir.file("short.kes"), level);
    test::writeFile(dir.file("neither.bin"), std::string("hello"));

    CliRun run = runCli("inspect " + quote(dir.file("short.kes")), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("byte "), std::string::npos) << run.err;
    run = runCli("inspect " + quote(dir.file("neither.bin")), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("error: ", 0), 0u);
    run = runCli("inspect " + quote(dir.file("missing.kes")), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("missing.kes"), std::string::npos);
}

TEST(Cli, OutputThatCannotBeWrittenIsAFailure)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "needs /dev/full";
    TempDir dir;
    writeProject(dir);
    ASSERT_EQ(runCli("generate " + quote(dir.file("level.kgp")), dir).exitCode, 0);
    for (const std::string& args : {"generate " + quote(dir.file("level.kgp")), "inspect " + quote(dir.file("level.kes")),
                                    "inspect --json " + quote(dir.file("level.kgp"))}) {
        SCOPED_TRACE(args);
        CliRun run = runCli(args + " >/dev/full", dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "error: cannot write to the standard output\n");
    }
}

TEST(Cli, UsageErrorsHelpAndVersion)
{
    TempDir dir;
    EXPECT_EQ(runCli("", dir).exitCode, 2);
    EXPECT_EQ(runCli("frobnicate", dir).exitCode, 2);
    EXPECT_EQ(runCli("generate", dir).exitCode, 2);
    EXPECT_EQ(runCli("inspect a b", dir).exitCode, 2);
    CliRun help = runCli("--help", dir);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("generate"), std::string::npos);
    CliRun version = runCli("--version", dir);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.out.find("kesgen-cli"), std::string::npos);
}

TEST(Cli, TheExampleLevelGenerates)
{
    TempDir dir;
    CliRun run = runCli("generate " + quote(std::string(KESGEN_EXAMPLES_DIR) + "/example.kgp") + " -o "
                         + quote(dir.file("example.kes")),
                     dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    CliRun inspect = runCli("inspect --json " + quote(dir.file("example.kes")), dir);
    ASSERT_EQ(inspect.exitCode, 0) << inspect.err;
    nlohmann::json json = nlohmann::json::parse(inspect.out);
    EXPECT_EQ(json["layers"].size(), 6u);
    EXPECT_EQ(json["targets"].size(), 2u);
}

} // namespace
} // namespace kes
