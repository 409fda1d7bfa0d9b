#include <iostream>

#include "check/project_check.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "model/counted_text.h"
#include "model/file_io.h"
#include "model/printable_text.h"
#include "model/project_file.h"
#include "model/stored_path.h"

namespace kes::cli {
namespace {

using Json = nlohmann::ordered_json;

Json problemJson(const ProjectProblem& problem)
{
    Json json = {{"severity", problem.severity == ProblemSeverity::Error ? "error" : "warning"}};
    if (problem.layer >= 0)
        json["layer"] = problem.layer + 1;
    if (!problem.file.empty())
        json["file"] = problem.file;
    if (problem.line > 0)
        json["line"] = problem.line;
    json["what"] = problem.what;
    json["message"] = problemLine(problem);
    return json;
}

} // namespace

int runCheck(const std::string& projectPath, bool asJson, int threads)
{
    LevelProject project;
    if (Status loaded = loadProject(projectPath, project); !loaded) {
        const std::string& reason = loaded.reason();
        return fail(reason.find(projectPath) == std::string::npos ? "'" + projectPath + "': " + reason : reason,
                    asJson);
    }
    const ProjectCheck check = checkProject(project, projectFolderOf(projectPath), threads);
    std::size_t errors = 0;
    for (const ProjectProblem& problem : check.problems)
        errors += problem.severity == ProblemSeverity::Error;
    const std::size_t warnings = check.problems.size() - errors;
    if (asJson) {
        Json problems = Json::array();
        for (const ProjectProblem& problem : check.problems)
            problems.push_back(problemJson(problem));
        printJson(Json{{"project", projectPath},
                       {"errors", errors},
                       {"warnings", warnings},
                       {"filesRead", check.inputs.size()},
                       {"problems", problems}});
        return errors > 0 ? 1 : 0;
    }
    for (const ProjectProblem& problem : check.problems)
        std::cerr << problemMessage(problem) << '\n';
    std::cout << "checked '" << printableText(projectPath) << "': " << countedText(errors, "error") << ", "
              << countedText(warnings, "warning") << ", " << countedText(check.inputs.size(), "input file") << '\n';
    return errors > 0 ? 1 : 0;
}

} // namespace kes::cli
