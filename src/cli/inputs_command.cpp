#include <iostream>

#include "check/level_inputs.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "model/file_io.h"
#include "model/printable_text.h"
#include "model/project_file.h"
#include "model/stored_path.h"

namespace kes::cli {

int runInputs(const std::string& projectPath, bool asJson)
{
    LevelProject project;
    if (Status loaded = loadProject(projectPath, project); !loaded) {
        const std::string& reason = loaded.reason();
        return fail(reason.find(projectPath) == std::string::npos ? "'" + projectPath + "': " + reason : reason,
                    asJson);
    }
    const std::vector<LevelInput> inputs
        = levelInputs(project, projectFolderOf(projectPath));
    if (asJson) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const LevelInput& input : inputs)
            list.push_back({{"path", input.path},
                            {"kind", input.kind == InputKind::Mesh ? "mesh" : "texture"},
                            {"layer", input.layer + 1}});
        printJson({{"project", projectPath}, {"inputs", list}});
        return 0;
    }
    // One path a line: the project, then every other file once.
    std::cout << printableText(projectPath) << '\n';
    for (const std::string& path : uniqueInputPaths(inputs))
        if (path != projectPath)
            std::cout << printableText(path) << '\n';
    return 0;
}

} // namespace kes::cli
