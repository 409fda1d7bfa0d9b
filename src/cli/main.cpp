// kesgen-cli: generates, checks, inspects and extracts Kestrin level files
// without the editor.
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/utf8_arguments.h"
#include "model/file_io.h"

namespace {

constexpr const char* kSubcommands[] = {"generate", "check", "inputs", "extract", "inspect"};

bool isSubcommand(std::string_view word)
{
    for (const char* name : kSubcommands)
        if (word == name)
            return true;
    return false;
}

std::string subcommandList()
{
    std::string list;
    for (const char* name : kSubcommands)
        list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

// Interrupted (Ctrl+C) or told to end: the file being written goes with the
// program, which then ends as the signal would have ended it.
extern "C" void endOnSignal(int signalNumber)
{
    kes::removeTemporaryFilesNow();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

} // namespace

int main(int argc, char** argv)
{
    for (int signalNumber : {SIGINT, SIGTERM})
        std::signal(signalNumber, endOnSignal);

    // The program's own name, not the path it was started by.
    CLI::App app{"kesgen-cli - generate, check, inspect and extract Kestrin level files", "kesgen-cli"};
    app.set_version_flag("--version", std::string("kesgen-cli ") + KESGEN_VERSION);
    app.require_subcommand(1);

    bool asJson = false;
    for (int i = 1; i < argc; ++i)
        asJson = asJson || std::strcmp(argv[i], "--json") == 0;
    if (argc > 1 && argv[1][0] != '-' && !isSubcommand(argv[1])) {
        const std::string reason = "unknown subcommand '" + std::string(argv[1])
            + "'; the subcommands are " + subcommandList() + " (see kesgen-cli --help)";
        kes::cli::fail(reason, asJson);
        return 2;
    }

    kes::cli::GenerateRequest request;
    std::string outputPath;
    CLI::App* generate = app.add_subcommand("generate", "Generate the level file of a project");
    generate->add_option("PROJECT", request.projectPath, "Project file (.kgp)")->required();
    CLI::Option* output = generate->add_option(
        "-o,--output", outputPath, "Level file to write (default: the project's path with the extension .kes)");
    generate->add_flag("--strict", request.strict,
                       "Check the project and every input first; write nothing if there is any error or warning");
    generate->add_option("--depfile", request.depfilePath,
                         "Also write a Make dependency file: the level depends on the project and every file read");

    std::string checkPath;
    CLI::App* check = app.add_subcommand("check", "Read a project and every input, and print every problem");
    check->add_option("PROJECT", checkPath, "Project file (.kgp)")->required();
    check->add_flag("--json", asJson, "Print the problems as JSON");

    std::string inputsPath;
    CLI::App* inputs = app.add_subcommand("inputs", "List the files that generating a project reads");
    inputs->add_option("PROJECT", inputsPath, "Project file (.kgp)")->required();
    inputs->add_flag("--json", asJson, "Print the list as JSON, with each file's kind and layer");

    std::string levelPath;
    std::string folder;
    bool force = false;
    CLI::App* extract = app.add_subcommand("extract", "Turn a level file back into a project with its meshes and textures");
    extract->add_option("LEVEL", levelPath, "Level file (.kes)")->required();
    extract->add_option("-o,--output", folder, "Folder to write the project into (created if missing)")->required();
    extract->add_flag("--force", force, "Replace files of the same names in the folder");

    std::string inspectPath;
    bool noPath = false;
    CLI::App* inspect = app.add_subcommand("inspect", "Check a level file (.kes) or project file (.kgp) and summarise it");
    inspect->add_option("FILE", inspectPath, "Level or project file")->required();
    inspect->add_flag("--json", asJson, "Print the summary as JSON");
    inspect->add_flag("--no-path", noPath, "Leave the file's path out (for use as a diff driver)");

    try {
        kes::cli::Utf8Arguments arguments(argc, argv);
        app.parse(arguments.count(), arguments.values());
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        if (asJson) {
            kes::cli::fail(e.what(), true);
            return 2;
        }
        app.exit(e);
        return 2;
    }

    int exitCode = 1;
    if (generate->parsed()) {
        if (output->count() > 0)
            request.outputPath = outputPath;
        exitCode = kes::cli::runGenerate(request);
    } else if (check->parsed()) {
        exitCode = kes::cli::runCheck(checkPath, asJson);
    } else if (inputs->parsed()) {
        exitCode = kes::cli::runInputs(inputsPath, asJson);
    } else if (extract->parsed()) {
        exitCode = kes::cli::runExtract(levelPath, folder, force);
    } else {
        exitCode = kes::cli::runInspect(inspectPath, asJson, !noPath);
    }
    // Output that never reached its reader (a full disk, say) is not a success.
    std::cout.flush();
    if (exitCode == 0 && !std::cout) {
        std::cerr << "error: cannot write to the standard output\n";
        return 1;
    }
    return exitCode;
}
