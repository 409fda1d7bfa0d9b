// kesgen-cli with pipes, endless devices and folders as inputs, and a
// generation killed midway: nothing hangs, nothing is left beside the level.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli_runner.h"
#include "levelfile/level_reader.h"
#include "model/project_file.h"
#include "support/hostile_inputs.h"

extern char** environ;

namespace kes {
namespace {

using test::CliRun;
using test::quote;
using test::TempDir;

// Runs kesgen-cli killed after the time a hang is allowed: a hang exits
// with 137 instead of stopping the run.
CliRun runGuarded(const std::string& args, const TempDir& dir)
{
    return test::runCli(args, dir, "", static_cast<int>(test::kHangLimit.count()));
}

std::vector<std::string> temporaryFilesIn(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().find(".kesgen-") != std::string::npos)
            found.push_back(entry.path().filename().string());
    return found;
}

TEST(CliHostileInputs, GenerateRefusesWhatCheckFailsAndInputsListsThem)
{
    TempDir dir;
    for (const test::HostileCase& c : test::hostileCases(dir)) {
        SCOPED_TRACE(c.what);
        const std::string project = c.folder + "/level.kgp";
        ASSERT_TRUE(saveProject(c.project, project));
        const std::string level = c.folder + "/level.kes";
        test::writeFile(level, std::string("the earlier level"));
        const std::string expected = "'" + c.file + "': " + c.reason;

        CliRun run = runGuarded("generate " + quote(project), dir);
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find("error: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        EXPECT_EQ(test::readFile(level).size(), std::string("the earlier level").size());
        EXPECT_EQ(temporaryFilesIn(c.folder), std::vector<std::string>{});

        run = runGuarded("check " + quote(project), dir);
        EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(expected), std::string::npos) << run.out << run.err;

        run = runGuarded("inputs " + quote(project), dir);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find(c.file + "\n"), std::string::npos) << run.out;
    }
}

// A generation ended by a signal in the middle of writing a large level, at
// several moments: the earlier level stays and no temporary file is left.
TEST(CliKilledGeneration, LeavesNothingBehind)
{
    TempDir dir;
    test::writeObj(dir.file("big.obj"), test::fixtureTriangles(60000));
    LevelProject project;
    for (int i = 0; i < 12; ++i) {
        LayerEntry entry;
        entry.objPath = "big.obj";
        entry.collision = 1;
        project.layers.append(entry);
    }
    ASSERT_TRUE(saveProject(project, dir.file("level.kgp")));
    const std::string level = dir.file("level.kes");
    test::writeFile(level, std::string("the earlier level"));

    const std::string cli = KESGEN_CLI;
    const std::string projectPath = dir.file("level.kgp");
    int endedMidway = 0;
    for (int signalNumber : {SIGKILL, SIGTERM, SIGINT}) {
        for (int delayMs : {30, 120, 300}) {
            SCOPED_TRACE("signal " + std::to_string(signalNumber) + " after " + std::to_string(delayMs) + " ms");
            char* const argv[] = {const_cast<char*>(cli.c_str()), const_cast<char*>("generate"),
                                  const_cast<char*>(projectPath.c_str()), nullptr};
            pid_t child = 0;
            ASSERT_EQ(posix_spawn(&child, cli.c_str(), nullptr, nullptr, argv, environ), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            kill(child, signalNumber);
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            if (WIFEXITED(status)) {
                // Done before the signal came: the new level is whole.
                EXPECT_EQ(WEXITSTATUS(status), 0);
                test::writeFile(level, std::string("the earlier level"));
            } else {
                EXPECT_EQ(WTERMSIG(status), signalNumber) << "ended as the signal ends a program";
                if (test::readFile(level).size() == std::string("the earlier level").size()) {
                    ++endedMidway;
                } else {
                    // The signal came after the new level was in place: it
                    // is whole.
                    LevelFile written;
                    EXPECT_TRUE(loadLevelFile(level, written).ok());
                    test::writeFile(level, std::string("the earlier level"));
                }
            }
            EXPECT_EQ(temporaryFilesIn(dir.path().string()), std::vector<std::string>{});
        }
    }
    EXPECT_GT(endedMidway, 3) << "the generations ended before the signals came";
}

} // namespace
} // namespace kes
