// kesgen-cli as a build pipeline uses it: outputs that never destroy inputs,
// check and --strict, dependency lists, extraction, and the conventions of
// its messages.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/animated_project.h"
#include "cli/cli_runner.h"
#include "extract/test_levels.h"
#include "support/level_fixtures.h"
#include "model/project_file.h"

namespace kes {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::quote;
using test::runCli;
using test::TempDir;

// Every file in the folder with its bytes.
std::map<std::string, test::Bytes> folderContents(const fs::path& folder)
{
    std::map<std::string, test::Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != "stderr.txt")
            files[fs::relative(entry.path(), folder).string()] = test::readFile(entry.path().string());
    return files;
}

TEST(CliPipeline, GenerateRefusesOutputsThatWouldDestroyInputs)
{
    const struct {
        const char* name;
        std::string args; // after "generate level.kgp", run in the project's folder
        const char* says;
    } cases[] = {
        {"the project", "-o level.kgp", "it is the project file being read"},
        {"the mesh", "-o mesh.obj", "it is the mesh file"},
        {"a frame of the animation", "-o wave_000002.obj", "it is the mesh file"},
        {"the texture", "-o tex.bmp", "it is the texture file"},
        {"a link to the mesh", "-o link.kes", "it is the mesh file"},
        {"the mesh by another way", "-o sub/../mesh.obj", "it is the mesh file"},
        {"a read-only level", "-o locked.kes", "the file is read-only"},
        {"an empty output", "-o ''", "the output path is empty"},
        {"the depfile as the project", "-o out.kes --depfile level.kgp", "it is the project file"},
        {"the depfile as the level", "-o out.kes --depfile out.kes", "it is also the level file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        test::writeAnimatedProject(dir);
        fs::create_directory(dir.path() / "sub");
        fs::create_symlink("mesh.obj", dir.file("link.kes"));
        test::writeFile(dir.file("locked.kes"), std::string("earlier"));
        test::writeFile(dir.file("out.kes"), std::string("earlier"));
        fs::permissions(dir.file("locked.kes"), fs::perms::owner_read);
        const auto before = folderContents(dir.path());
        CliRun run = runCli("generate level.kgp " + c.args, dir, dir.path().string());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(folderContents(dir.path()), before) << "nothing written, nothing left behind";
    }
}

TEST(CliPipeline, CheckPrintsEveryProblemAndStrictFailsOnAnyWarning)
{
    TempDir dir;
    test::writeAnimatedProject(dir);
    CliRun run = runCli("check " + quote(dir.file("level.kgp")), dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "checked '" + dir.file("level.kgp") + "': 0 errors, 0 warnings, 5 input files\n");

    // A warning: a face of four corners. check passes, --strict does not.
    test::writeFile(dir.file("wave_000002.obj"), std::string("v 0 0 0\nvt 0 0\nf 1/1 1/1 1/1 1/1\n"));
    run = runCli("check " + quote(dir.file("level.kgp")), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err.rfind("warning: " + dir.file("wave_000002.obj") + ":3: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("(layer 2)"), std::string::npos) << run.err;
    test::writeFile(dir.file("level.kes"), std::string("earlier"));
    run = runCli("generate --strict " + quote(dir.file("level.kgp")), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("error: --strict: "), std::string::npos) << run.err;
    EXPECT_EQ(test::readFile(dir.file("level.kes")), (test::Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    run = runCli("generate " + quote(dir.file("level.kgp")), dir);
    EXPECT_EQ(run.exitCode, 0) << "without --strict a warning does not stop generation";

    // Errors too, all of them: a missing texture and a missing frame.
    fs::remove(dir.file("tex.bmp"));
    fs::remove(dir.file("wave_000003.obj"));
    run = runCli("check --json " + quote(dir.file("level.kgp")), dir);
    EXPECT_EQ(run.exitCode, 1);
    nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["errors"], 2);
    EXPECT_EQ(json["warnings"], 1);
    ASSERT_EQ(json["problems"].size(), 3u);
    EXPECT_EQ(json["problems"][0]["layer"], 1);
    EXPECT_EQ(json["problems"][0]["file"], dir.file("tex.bmp"));
    EXPECT_EQ(json["problems"][2]["file"], dir.file("wave_000003.obj"));
    run = runCli("check " + quote(dir.file("level.kgp")), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("error: layer 1: cannot read texture file '" + dir.file("tex.bmp")), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("error: layer 2: cannot read mesh file '" + dir.file("wave_000003.obj")),
              std::string::npos)
        << run.err;
}

// The files generation reads, also those of a project made elsewhere whose
// paths generation relinks to the files of the same name in its folder.
TEST(CliPipeline, DepfileAndInputsListEveryFileRead)
{
    const struct {
        const char* name;
        const char* mesh;
        const char* texture;
        const char* wave;
    } cases[] = {
        {"paths in the project's folder", "mesh.obj", "tex.bmp", "wave.obj"},
        {"paths of another computer", "C:\\Levels\\mesh.obj", "/home/someone/tex.bmp", "D:\\anim\\wave.obj"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        LevelProject project = test::writeAnimatedProject(dir);
        project.layers.at(0).objPath = c.mesh;
        project.layers.at(0).bmpPath = c.texture;
        project.layers.at(1).objPath = c.wave;
        ASSERT_TRUE(saveProject(project, dir.file("level.kgp")));
        CliRun run = runCli("generate level.kgp -o 'my level.kes' --depfile level.d", dir, dir.path().string());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const test::Bytes depfile = test::readFile(dir.file("level.d"));
        EXPECT_EQ(std::string(depfile.begin(), depfile.end()),
                  "my\\ level.kes: \\\n  level.kgp \\\n  tex.bmp \\\n  mesh.obj \\\n  wave_000001.obj \\\n"
                  "  wave_000002.obj \\\n  wave_000003.obj\n\nlevel.kgp:\n\ntex.bmp:\n\nmesh.obj:\n\n"
                  "wave_000001.obj:\n\nwave_000002.obj:\n\nwave_000003.obj:\n");

        run = runCli("inputs level.kgp", dir, dir.path().string());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "level.kgp\ntex.bmp\nmesh.obj\nwave_000001.obj\nwave_000002.obj\nwave_000003.obj\n");
        run = runCli("inputs --json " + quote(dir.file("level.kgp")), dir);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        nlohmann::json json = nlohmann::json::parse(run.out);
        ASSERT_EQ(json["inputs"].size(), 5u);
        EXPECT_EQ(json["inputs"][0], nlohmann::json::parse(R"({"path": ")" + dir.file("tex.bmp")
                                                            + R"(", "kind": "texture", "layer": 1})"));
        EXPECT_EQ(json["inputs"][4]["path"], dir.file("wave_000003.obj"));
    }
}

// The README's Makefile rule, run with make: a changed frame file makes the
// level again, an unchanged one does not.
TEST(CliPipeline, TheMakefileRuleRebuildsWhenAFrameChanges)
{
    if (std::system("make --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "make is not installed";
    TempDir dir;
    test::writeAnimatedProject(dir);
    test::writeFile(dir.file("Makefile"), "KESGEN_CLI = " + std::string(KESGEN_CLI)
                                              + "\n\n%.kes: %.kgp\n\t$(KESGEN_CLI) generate $< -o $@ --depfile $*.d\n\n"
                                                "-include $(wildcard *.d)\n");
    auto make = [&] {
        return std::system(("cd " + quote(dir.path().string()) + " && make -s level.kes >make.out 2>&1").c_str());
    };
    auto made = [&] {
        const test::Bytes out = test::readFile(dir.file("make.out"));
        return std::string(out.begin(), out.end()).find("generated 'level.kes'") != std::string::npos;
    };
    ASSERT_EQ(make(), 0);
    EXPECT_TRUE(made());
    ASSERT_EQ(make(), 0);
    EXPECT_FALSE(made()) << "nothing changed";
    const auto later = fs::last_write_time(dir.file("level.kes")) + std::chrono::seconds(2);
    fs::last_write_time(dir.file("wave_000002.obj"), later);
    ASSERT_EQ(make(), 0);
    EXPECT_TRUE(made()) << "a frame file changed";
}

// Sets an environment variable of this process (and so of the programs it
// runs) for one scope; nullptr unsets it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() { unsetenv(name_); }

private:
    const char* name_;
};

// The thread count comes from -j/--threads, else KESGEN_THREADS, else the
// cores; any count gives the same level file, problems and extraction, and a
// value that is no count is a usage error naming where it came from.
TEST(CliPipeline, ThreadCountsGiveTheSameBytesAndBadOnesAreUsageErrors)
{
    TempDir dir;
    test::writeAnimatedProject(dir);
    // Something for check and extract to report: a face of four corners, and
    // a level whose second layer is drawn without a texture.
    test::writeFile(dir.file("wave_000002.obj"), std::string("v 0 0 0\nvt 0 0\nf 1/1 1/1 1/1 1/1\n"));
    const std::string project = quote(dir.file("level.kgp"));
    const auto outputs = [&](const std::string& threads) {
        std::string text;
        for (const std::string& command :
             {"generate " + project + " -o " + quote(dir.file("level.kes")), "check " + project,
              "extract " + quote(dir.file("level.kes")) + " -o " + quote(dir.file("out")) + " --force"}) {
            const CliRun run = runCli(command + " " + threads, dir);
            text += std::to_string(run.exitCode) + "\n" + run.out + run.err;
        }
        return text;
    };
    ScopedEnvironment unset("KESGEN_THREADS", nullptr);
    const std::string expected = outputs("-j 1");
    const test::Bytes level = test::readFile(dir.file("level.kes"));
    const auto extracted = folderContents(dir.file("out"));
    ASSERT_NE(expected.find("warning: "), std::string::npos) << expected;

    const struct {
        const char* name;
        std::string option;
        const char* environment; // KESGEN_THREADS; nullptr: unset
        std::string error;       // empty: none
    } cases[] = {
        {"one thread", "-j 1", nullptr, ""},
        {"two threads", "--threads 2", nullptr, ""},
        {"three, written together", "-j3", nullptr, ""},
        {"eight, with =", "--threads=8", nullptr, ""},
        {"the most", "-j 64", nullptr, ""},
        {"the default", "", nullptr, ""},
        {"from the environment", "", "2", ""},
        {"the option before the environment", "-j 1", "many", ""},
        {"an empty variable is no variable", "", "", ""},
        {"zero", "-j 0", nullptr, "--threads '0' is not a thread count"},
        {"negative", "--threads=-2", nullptr, "--threads '-2' is not a thread count"},
        {"not a number", "-j many", nullptr, "--threads 'many' is not a thread count"},
        {"a number and more", "-j 2x", nullptr, "--threads '2x' is not a thread count"},
        {"above the most", "-j 65", nullptr, "--threads '65' is not a thread count"},
        {"too large for any integer", "-j 99999999999999999999", nullptr, "--threads '99999999999999999999'"},
        {"no value", "-j", nullptr, "--threads"},
        {"zero from the environment", "", "0", "KESGEN_THREADS '0' is not a thread count"},
        {"a word from the environment", "", "all", "KESGEN_THREADS 'all' is not a thread count"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnvironment environment("KESGEN_THREADS", c.environment);
        fs::remove(dir.file("level.kes"));
        if (c.error.empty()) {
            EXPECT_EQ(outputs(c.option), expected);
            EXPECT_TRUE(test::readFile(dir.file("level.kes")) == level);
            EXPECT_TRUE(folderContents(dir.file("out")) == extracted);
            continue;
        }
        for (const std::string command : {"generate " + project, "check " + project,
                                          "extract " + quote(dir.file("missing.kes")) + " -o x"}) {
            SCOPED_TRACE(command);
            const CliRun run = runCli(command + " " + c.option, dir);
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
        }
        EXPECT_FALSE(fs::exists(dir.file("level.kes")));
        const CliRun json = runCli("check --json " + project + " " + c.option, dir);
        EXPECT_EQ(json.exitCode, 2);
        EXPECT_TRUE(nlohmann::json::parse(json.out).contains("error")) << json.out;
    }
}

// Extracting a level and generating the extracted project gives the level
// file back, byte for byte.
TEST(CliPipeline, ExtractThenGenerateGivesTheSameLevelFile)
{
    for (const auto& [name, level] : test::levelsThatComeBack()) {
        SCOPED_TRACE(name);
        TempDir dir;
        test::writeFile(dir.file("castle.kes"), test::encodeTestLevel(level));
        CliRun run = runCli("extract castle.kes -o out", dir, dir.path().string());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("generates the same level file"), std::string::npos) << run.out;
        run = runCli("generate out/castle.kgp -o again.kes", dir, dir.path().string());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(test::readFile(dir.file("again.kes")) == test::readFile(dir.file("castle.kes")));
        run = runCli("check out/castle.kgp", dir, dir.path().string());
        EXPECT_EQ(run.exitCode, 0) << run.err;
    }
    // The example level too.
    TempDir dir;
    ASSERT_EQ(runCli("generate " + quote(std::string(KESGEN_EXAMPLES_DIR) + "/example.kgp") + " -o "
                         + quote(dir.file("example.kes")),
                     dir)
                  .exitCode,
              0);
    ASSERT_EQ(runCli("extract example.kes -o ex", dir, dir.path().string()).exitCode, 0);
    ASSERT_EQ(runCli("generate ex/example.kgp -o again.kes", dir, dir.path().string()).exitCode, 0);
    EXPECT_TRUE(test::readFile(dir.file("again.kes")) == test::readFile(dir.file("example.kes")));
}

TEST(CliPipeline, ExtractWarnsAndRefuses)
{
    TempDir dir;
    test::TestLevel level;
    level.framesLR = 2.5f;
    level.layers.push_back(test::texturedLayer(3, 3));
    level.layers.back().flags |= kLayerFlagNormals;
    level.layers.back().meshFrames = {test::testTriangles(1, 2, true)};
    test::writeFile(dir.file("odd.kes"), test::encodeTestLevel(level));
    CliRun run = runCli("extract odd.kes -o out", dir, dir.path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("warning: frames to use L/R 2.5"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("warning: layer 1: its triangles carry normals"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("generates a different level file"), std::string::npos) << run.out;

    // A second extraction into the same folder is refused; --force replaces.
    const auto before = folderContents(dir.path());
    run = runCli("extract odd.kes -o out", dir, dir.path().string());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("already holds 'odd.kgp'"), std::string::npos) << run.err;
    EXPECT_EQ(folderContents(dir.path()), before);
    EXPECT_EQ(runCli("extract odd.kes -o out --force", dir, dir.path().string()).exitCode, 0);

    // A damaged level creates nothing.
    test::Bytes damaged = test::readFile(dir.file("odd.kes"));
    damaged.resize(damaged.size() - 1);
    test::writeFile(dir.file("damaged.kes"), damaged);
    run = runCli("extract damaged.kes -o new", dir, dir.path().string());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("error: 'damaged.kes': byte "), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir.file("new")));
}

// Bytes quoted from input files never reach the terminal as control
// characters or invalid UTF-8.
TEST(CliPipeline, MessagesEscapeQuotedBytes)
{
    TempDir dir;
    LevelProject project = test::writeAnimatedProject(dir);
    test::writeFile(dir.file("mesh.obj"), std::string("v 0 0 0\nvt 0 0\nf 1/1 1/1 1/\x1b]0;pwned\x07\n"));
    project.layers.at(1).objPath = "gone\x1b[2J\xE9.obj";
    ASSERT_TRUE(saveProject(project, dir.file("level.kgp")));
    for (const char* command : {"generate", "check"}) {
        SCOPED_TRACE(command);
        CliRun run = runCli(std::string(command) + " level.kgp -o x.kes", dir, dir.path().string());
        if (std::string(command) == "check")
            run = runCli("check level.kgp", dir, dir.path().string());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\x07'), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\xE9'), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("gone\\x1B[2J\\xE9_000001.obj"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("\\x1B]0;pwned\\x07"), std::string::npos) << run.err;
    }
}

// A mesh saved as UTF-16 or holding NUL bytes gets one warning that says so,
// from generate as from check.
TEST(CliPipeline, AMeshThatIsNotTextGetsOneWarning)
{
    for (const std::string& bytes : {std::string("\xFF\xFEv\0 \0001\0\n\0", 10), std::string("v 0 0 0\n\0\0\0", 11)}) {
        TempDir dir;
        test::writeAnimatedProject(dir);
        test::writeFile(dir.file("mesh.obj"), bytes);
        for (const char* command : {"generate level.kgp", "check level.kgp"}) {
            SCOPED_TRACE(command);
            CliRun run = runCli(command, dir, dir.path().string());
            EXPECT_EQ(run.exitCode, 0) << run.err;
            const std::string warning = "it is not a text file (UTF-16 or NUL bytes)";
            const std::size_t at = run.err.find(warning);
            EXPECT_NE(at, std::string::npos) << run.err;
            EXPECT_EQ(run.err.find(warning, at + 1), std::string::npos) << run.err;
        }
    }
}

TEST(CliPipeline, CommandLineConventions)
{
    TempDir dir;
    CliRun run = runCli("frobnicate", dir);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "error: unknown subcommand 'frobnicate'; the subcommands are generate, watch, check, inputs, "
                       "extract, inspect (see kesgen-cli --help)\n");
    run = runCli("frobnicate --json", dir);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(nlohmann::json::parse(run.out).contains("error"));

    EXPECT_EQ(runCli("generate", dir).exitCode, 2);
    // The usage names the program, not the path it was started by.
    run = runCli("generate --help", dir);
    EXPECT_NE(run.out.find("Usage: kesgen-cli generate [OPTIONS] PROJECT"), std::string::npos) << run.out;
    run = runCli("--help", dir);
    EXPECT_NE(run.out.find("Usage: kesgen-cli [OPTIONS] SUBCOMMAND"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(KESGEN_CLI), std::string::npos);
    for (const char* name : {"generate", "watch", "check", "inputs", "extract", "inspect"})
        EXPECT_NE(run.out.find(name), std::string::npos) << name;

    // With --json, errors are JSON on the standard output; the exit code is
    // the same.
    for (const std::string args : {"inspect --json missing.kes", "check --json missing.kgp",
                                   "inputs --json missing.kgp"}) {
        SCOPED_TRACE(args);
        run = runCli(args, dir, dir.path().string());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "");
        nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_NE(json["error"].get<std::string>().find("missing.k"), std::string::npos) << run.out;
    }
}

TEST(CliPipeline, InspectShowsInfinitiesChecksTheFormatIdAndCanLeaveThePathOut)
{
    TempDir dir;
    test::TestLevel level;
    level.start = {test::kInf, -test::kInf, 1, 0, 0, 0};
    test::writeFile(dir.file("inf.kes"), test::encodeTestLevel(level));
    CliRun run = runCli("inspect inf.kes", dir, dir.path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("startPosition: inf, -inf, 1.0\n"), std::string::npos) << run.out;
    run = runCli("inspect --json inf.kes", dir, dir.path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["settings"]["startPosition"],
              nlohmann::json::parse(R"(["inf", "-inf", 1.0])"));

    // --no-path: the same output whatever the file is called, as a git
    // textconv driver needs.
    fs::copy_file(dir.file("inf.kes"), dir.file("other name.kes"));
    for (const char* flags : {"--no-path", "--no-path --json"}) {
        SCOPED_TRACE(flags);
        CliRun a = runCli(std::string("inspect ") + flags + " inf.kes", dir, dir.path().string());
        CliRun b = runCli(std::string("inspect ") + flags + " 'other name.kes'", dir, dir.path().string());
        EXPECT_EQ(a.exitCode, 0);
        EXPECT_EQ(a.out, b.out);
        EXPECT_EQ(a.out.find("inf.kes"), std::string::npos);
    }

    level.formatId[1] = 0;
    test::writeFile(dir.file("other.kes"), test::encodeTestLevel(level));
    run = runCli("inspect other.kes", dir, dir.path().string());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "error: 'other.kes': byte 6: the format id is 37 00 10 DE B4 EB 4E DD BC CF 47 B5 C0 3D ED CE, "
                       "not 37 9B 10 DE B4 EB 4E DD BC CF 47 B5 C0 3D ED CE\n");
}

} // namespace
} // namespace kes
