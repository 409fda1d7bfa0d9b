#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "check/level_inputs.h"
#include "check/mesh_text.h"
#include "check/output_target.h"
#include "check/project_check.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/depfile.h"
#include "cli/project_generation.h"
#include "generate/generate_level.h"
#include "model/counted_text.h"
#include "model/file_io.h"
#include "model/printable_text.h"
#include "model/project_file.h"
#include "model/stored_path.h"

namespace kes::cli {
namespace {

std::string defaultOutputPath(const std::string& projectPath)
{
    std::filesystem::path path = pathFromUtf8(projectPath);
    path.replace_extension(".kes");
    return pathToUtf8(path);
}

Status writeDepfile(const std::string& depfilePath, const std::string& target, const std::string& projectPath,
                    const std::vector<LevelInput>& inputs)
{
    std::vector<std::string> dependencies{projectPath};
    for (const std::string& path : uniqueInputPaths(inputs))
        if (path != projectPath)
            dependencies.push_back(path);
    const std::string text = depfileText(target, dependencies);
    AtomicFile file;
    if (Status opened = file.open(depfilePath); !opened)
        return opened;
    file.write(text.data(), text.size());
    return file.commit();
}

} // namespace

std::vector<std::string> projectFiles(const std::string& projectPath)
{
    std::vector<std::string> files{projectPath};
    LevelProject project;
    if (!loadProject(projectPath, project))
        return files;
    for (const std::string& path : uniqueInputPaths(levelInputs(project, projectFolderOf(projectPath))))
        if (path != projectPath)
            files.push_back(path);
    return files;
}

ProjectGeneration generateProject(const GenerateRequest& request, bool showProgress)
{
    ProjectGeneration run;
    const std::string& projectPath = request.projectPath;
    run.inputs = {projectPath};
    run.target = request.outputPath ? *request.outputPath : defaultOutputPath(projectPath);
    LevelProject project;
    if (Status loaded = loadProject(projectPath, project); !loaded) {
        const std::string& reason = loaded.reason();
        run.error = reason.find(projectPath) == std::string::npos ? "'" + projectPath + "': " + reason : reason;
        return run;
    }
    const std::string& target = run.target;
    const std::string baseFolder = projectFolderOf(projectPath);

    // Nothing is written over the files the level is made from.
    const std::vector<LevelInput> inputs = levelInputs(project, baseFolder);
    for (const std::string& path : uniqueInputPaths(inputs))
        if (path != projectPath)
            run.inputs.push_back(path);
    if (Status safe = checkOutputTarget(target, projectPath, inputs); !safe) {
        run.error = safe.reason();
        return run;
    }
    if (!request.depfilePath.empty()) {
        if (Status safe = checkOutputTarget(request.depfilePath, projectPath, inputs); !safe) {
            run.error = safe.reason();
            return run;
        }
        std::error_code ec;
        if (request.depfilePath == target
            || std::filesystem::equivalent(pathFromUtf8(request.depfilePath), pathFromUtf8(target), ec)) {
            run.error = "cannot write '" + request.depfilePath + "': it is also the level file to write";
            return run;
        }
    }

    if (request.strict) {
        const ProjectCheck check = checkProject(project, baseFolder, request.threads);
        for (const ProjectProblem& problem : check.problems) {
            run.messages.push_back(problemMessage(problem));
            run.warnings += problem.severity == ProblemSeverity::Warning;
        }
        if (!check.problems.empty()) {
            run.error = "--strict: the project has " + countedText(check.problems.size(), "problem")
                + "; nothing was written";
            return run;
        }
    }

    GenerationOptions options;
    options.baseFolder = baseFolder;
    options.threads = request.threads;
    if (showProgress) {
        options.progress = [](int layer, int layerCount) {
            std::fprintf(stderr, "\rwriting layer %d of %d", layer + 1, layerCount);
            std::fflush(stderr);
        };
    }

    GenerationResult result = generateLevel(project, target, options);
    if (showProgress && project.layers.count() > 0)
        std::fprintf(stderr, "\r\033[K");
    const auto warn = [&run](const std::string& what) {
        run.messages.push_back("warning: " + printableText(what));
        ++run.warnings;
    };
    for (const ReaderWarning& warning : result.warnings)
        warn(formatWarning(warning));
    // The OBJ reader reads such files as lines it skips; say why the mesh
    // came out empty or odd.
    std::set<std::string> meshes;
    for (const LevelInput& input : inputs)
        if (input.kind == InputKind::Mesh && result.status && meshes.insert(input.path).second
            && meshFileIsNotText(input.path))
            warn(input.path + ": " + kMeshNotTextWarning);
    if (!result.status) {
        run.error = result.status.reason();
        return run;
    }
    if (!request.depfilePath.empty())
        if (Status written = writeDepfile(request.depfilePath, target, projectPath, inputs); !written) {
            run.error = written.reason();
            return run;
        }
    run.summary = "generated '" + printableText(target) + "': " + countedText(project.layers.count(), "layer") + ", "
        + countedText(project.targets.count(), "target") + ", " + countedText(result.triangles, "triangle") + ", "
        + countedText(result.bytes, "byte");
    return run;
}

int runGenerate(const GenerateRequest& request)
{
    const ProjectGeneration run = generateProject(request, isatty(fileno(stderr)) != 0);
    for (const std::string& message : run.messages)
        std::cerr << message << '\n';
    if (!run.error.empty())
        return fail(run.error);
    std::cout << run.summary << '\n';
    return 0;
}

} // namespace kes::cli
