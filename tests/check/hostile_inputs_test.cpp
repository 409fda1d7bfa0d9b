// Pipes, endless devices and folders named as inputs: generation refuses
// them without waiting or reading, and the check fails on exactly what
// generation refuses.
#include <algorithm>

#include <gtest/gtest.h>

#include "check/level_inputs.h"
#include "check/project_check.h"
#include "generate/generate_level.h"
#include "support/hostile_inputs.h"

namespace kes {
namespace {

struct Outcome {
    Status generated = Status::success();
    ProjectCheck check;
    std::vector<LevelInput> inputs;
    std::vector<std::string> folderEntries;
};

// Generates the case's level over an earlier one, checks it and lists its
// inputs, within the time a hang is allowed.
std::optional<Outcome> runEveryPath(const test::HostileCase& c, int threads)
{
    return test::withinTimeLimit([c, threads] {
        Outcome outcome;
        const std::string level = c.folder + "/level.kes";
        test::writeFile(level, std::string("the earlier level"));
        GenerationOptions options;
        options.baseFolder = c.folder;
        options.threads = threads;
        outcome.generated = generateLevel(c.project, level, options).status;
        outcome.check = checkProject(c.project, c.folder);
        outcome.inputs = levelInputs(c.project, c.folder);
        for (const auto& entry : std::filesystem::directory_iterator(c.folder))
            outcome.folderEntries.push_back(entry.path().filename().string());
        std::sort(outcome.folderEntries.begin(), outcome.folderEntries.end());
        return outcome;
    });
}

TEST(HostileInputs, GenerationRefusesThemWithoutWaitingAndTheCheckFailsOnTheSame)
{
    test::TempDir dir;
    const std::vector<test::HostileCase> cases = test::hostileCases(dir);
    ASSERT_FALSE(cases.empty());
    for (const test::HostileCase& c : cases) {
        for (int threads : {1, 3}) {
            SCOPED_TRACE(c.what + ", threads " + std::to_string(threads));
            const std::optional<Outcome> outcome = runEveryPath(c, threads);
            ASSERT_TRUE(outcome) << "still reading after " << test::kHangLimit.count() << " s";
            const std::string expected = "'" + c.file + "': " + c.reason;
            EXPECT_FALSE(outcome->generated);
            EXPECT_NE(outcome->generated.reason().find(expected), std::string::npos) << outcome->generated.reason();
            EXPECT_EQ(test::readFile(c.folder + "/level.kes").size(), std::string("the earlier level").size());
            for (const std::string& entry : outcome->folderEntries)
                EXPECT_EQ(entry.find(".tmp"), std::string::npos) << "left behind: " << entry;

            EXPECT_TRUE(outcome->check.hasErrors());
            const auto named = std::find_if(outcome->check.problems.begin(), outcome->check.problems.end(),
                                            [&](const ProjectProblem& p) { return p.what.find(expected) != std::string::npos; });
            EXPECT_NE(named, outcome->check.problems.end())
                << (outcome->check.problems.empty() ? "no problem" : problemLine(outcome->check.problems.front()));

            // The list of inputs names it as generation would open it.
            EXPECT_TRUE(std::any_of(outcome->inputs.begin(), outcome->inputs.end(),
                                    [&](const LevelInput& input) { return input.path == c.file; }));
        }
    }
}

// What generation accepts, the check passes: the same project with a
// regular file where the hostile one was.
TEST(HostileInputs, TheSameProjectWithRegularFilesPassesBoth)
{
    test::TempDir dir;
    for (const test::HostileCase& c : test::hostileCases(dir)) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(c.file);
        if (c.file.ends_with(".bmp"))
            test::writeBmp(c.file, 3, 2, test::fixturePixels(3, 2));
        else
            test::writeObj(c.file, test::fixtureTriangles(1, 5));
        const std::optional<Outcome> outcome = runEveryPath(c, 1);
        ASSERT_TRUE(outcome);
        EXPECT_TRUE(outcome->generated) << outcome->generated.reason();
        EXPECT_TRUE(outcome->check.problems.empty()) << problemLine(outcome->check.problems.front());
    }
}

} // namespace
} // namespace kes
