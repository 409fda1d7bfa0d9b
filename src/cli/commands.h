// The subcommands of kesgen-cli. Each returns the process's exit code:
// 0 on success, 1 on failure (after printing "error: <reason>" to stderr).
#pragma once

#include <string>

namespace kes::cli {

// Generates the level of the project at `projectPath` into `outputPath` (the
// project's path with the extension .kes when empty).
int runGenerate(const std::string& projectPath, const std::string& outputPath);

// Prints a summary of the level or project file at `path`, as text or JSON.
int runInspect(const std::string& path, bool asJson);

} // namespace kes::cli
