// The subcommands of kesgen-cli. Each returns the process's exit code:
// 0 on success, 1 on failure (after printing "error: <reason>" to stderr, or
// {"error": ...} to stdout for the commands that print JSON).
#pragma once

#include <optional>
#include <string>

namespace kes::cli {

struct GenerateRequest {
    std::string projectPath;
    // The level file to write; none: the project's path with the extension .kes.
    std::optional<std::string> outputPath;
    // Fail, writing nothing, when checking the project finds any problem.
    bool strict = false;
    // Where to write a Make dependency file; empty: none.
    std::string depfilePath;
    // Worker threads of the generation (and of the check of --strict); 1:
    // none, everything on the calling thread.
    int threads = 1;
};

// Generates the level of a project.
int runGenerate(const GenerateRequest& request);

// Generates the level of a project, then again after every burst of changes
// to the project or any file it reads, until Ctrl+C. Prints one line per
// generation: the time, "generated 'LEVEL'" or the error, and the number of
// warnings.
int runWatch(const GenerateRequest& request);

// Reads a project and every input, `threads` files at a time, and prints
// every problem.
int runCheck(const std::string& projectPath, bool asJson, int threads);

// Lists the files that generating a project reads.
int runInputs(const std::string& projectPath, bool asJson);

// Turns a level file back into a project, meshes and textures in `folder`.
// The layers are turned into files on `threads` threads.
int runExtract(const std::string& levelPath, const std::string& folder, bool force, int threads);

// Prints a summary of the level or project file at `path`, as text or JSON,
// with or without the path.
int runInspect(const std::string& path, bool asJson, bool withPath);

} // namespace kes::cli
