// One generation of a project's level as generate and watch run it, with
// what it has to say gathered instead of printed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace kes::cli {

struct ProjectGeneration {
    // The lines for the standard error, in order: each problem of --strict
    // ("error: ..." or "warning: ...") and each warning of the generation.
    std::vector<std::string> messages;
    std::size_t warnings = 0;  // warnings among them
    std::string error;         // why nothing was written; empty on success
    std::string target;        // the level file
    std::string summary;       // on success: "generated 'LEVEL': 1 layer, ..."
    // The project and every file generating it reads, each once; only the
    // project when it could not be read.
    std::vector<std::string> inputs;
};

// The project and every file generating it reads, each once; only the
// project when it cannot be read.
std::vector<std::string> projectFiles(const std::string& projectPath);

// Generates the level of `request`'s project (see runGenerate). With
// `showProgress`, shows the layer being written on the standard error.
ProjectGeneration generateProject(const GenerateRequest& request, bool showProgress);

} // namespace kes::cli
