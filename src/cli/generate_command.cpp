#include <cstdio>
#include <filesystem>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "cli/commands.h"
#include "generate/generate_level.h"
#include "model/file_io.h"
#include "model/project_file.h"

namespace kes::cli {
namespace {

std::string defaultOutputPath(const std::string& projectPath)
{
    std::filesystem::path path = pathFromUtf8(projectPath);
    path.replace_extension(".kes");
    return pathToUtf8(path);
}

void printWarning(const ReaderWarning& warning)
{
    std::cerr << "warning: " << formatWarning(warning) << '\n';
}

} // namespace

int runGenerate(const std::string& projectPath, const std::string& outputPath)
{
    LevelProject project;
    std::vector<std::uint8_t> bytes;
    if (Status read = loadWholeFile(projectPath, bytes); !read) {
        std::cerr << "error: " << read.reason() << '\n';
        return 1;
    }
    if (Status decoded = decodeProject(bytes, project); !decoded) {
        std::cerr << "error: '" << projectPath << "': " << decoded.reason() << '\n';
        return 1;
    }
    const std::string target = outputPath.empty() ? defaultOutputPath(projectPath) : outputPath;

    GenerationOptions options;
    options.baseFolder = pathToUtf8(pathFromUtf8(projectPath).parent_path());
    const bool showProgress = isatty(fileno(stderr)) != 0;
    if (showProgress) {
        options.progress = [](int layer, int layerCount) {
            std::fprintf(stderr, "\rwriting layer %d of %d", layer + 1, layerCount);
            std::fflush(stderr);
        };
    }

    GenerationResult result = generateLevel(project, target, options);
    if (showProgress && project.layers.count() > 0)
        std::fprintf(stderr, "\r\033[K");
    for (const ReaderWarning& warning : result.warnings)
        printWarning(warning);
    if (!result.status) {
        std::cerr << "error: " << result.status.reason() << '\n';
        return 1;
    }
    std::cout << "generated '" << target << "': " << project.layers.count() << " layers, "
              << project.targets.count() << " targets, " << result.triangles << " triangles, "
              << result.bytes << " bytes\n";
    return 0;
}

} // namespace kes::cli
