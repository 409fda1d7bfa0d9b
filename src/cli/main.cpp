// kesgen-cli: generates (also again on every change), checks, inspects and
// extracts Kestrin level files without the editor.
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/thread_option.h"
#include "cli/utf8_arguments.h"
#include "model/file_io.h"

namespace {

constexpr const char* kSubcommands[] = {"generate", "watch", "check", "inputs", "extract", "inspect"};

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

// Adds -j/--threads to a subcommand; the texts of all of them go to `text`.
CLI::Option* addThreadsOption(CLI::App* command, std::string& text)
{
    return command->add_option("-j,--threads", text,
                               "Threads to use, 1 to " + std::to_string(kes::cli::kMostThreads)
                                   + "; 1: no worker threads (default: KESGEN_THREADS, else one per core, at most 8)")
        ->type_name("N");
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
    app.footer("Environment:\n"
               "  KESGEN_THREADS  threads for generate, watch, check and extract when -j/--threads is not given:\n"
               "                  1 to 64, 1 for no worker threads (default: one per core, at most 8)\n\n"
               "See 'kesgen-cli SUBCOMMAND --help' for the options of each subcommand.");

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

    std::string threadsText;
    CLI::Option* generateThreads = addThreadsOption(generate, threadsText);

    kes::cli::GenerateRequest watchRequest;
    std::string watchOutput;
    CLI::App* watch = app.add_subcommand(
        "watch", "Generate a project's level, then again whenever the project or a file it reads changes");
    watch->add_option("PROJECT", watchRequest.projectPath, "Project file (.kgp)")->required();
    watch->add_option("-o,--output", watchOutput, "Level file to write (replaced whole each time)")->required();
    watch->add_flag("--strict", watchRequest.strict,
                    "Check the project and every input first; write nothing if there is any error or warning");
    CLI::Option* watchThreads = addThreadsOption(watch, threadsText);

    std::string checkPath;
    CLI::App* check = app.add_subcommand("check", "Read a project and every input, and print every problem");
    check->add_option("PROJECT", checkPath, "Project file (.kgp)")->required();
    check->add_flag("--json", asJson, "Print the problems as JSON");
    CLI::Option* checkThreads = addThreadsOption(check, threadsText);

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
    CLI::Option* extractThreads = addThreadsOption(extract, threadsText);

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

    // KESGEN_THREADS stands in for --threads, so that a build that runs many
    // generations at once can give each one thread.
    const bool threadsGiven
        = generateThreads->count() + watchThreads->count() + checkThreads->count() + extractThreads->count() > 0;
    const kes::cli::ThreadChoice threads = kes::cli::chooseThreads(
        threadsGiven ? std::optional<std::string>(threadsText) : std::nullopt, std::getenv("KESGEN_THREADS"));
    if (!threads.error.empty() && (generate->parsed() || watch->parsed() || check->parsed() || extract->parsed())) {
        kes::cli::fail(threads.error, asJson);
        return 2;
    }

    int exitCode = 1;
    if (generate->parsed()) {
        request.threads = threads.threads;
        if (output->count() > 0)
            request.outputPath = outputPath;
        exitCode = kes::cli::runGenerate(request);
    } else if (watch->parsed()) {
        watchRequest.outputPath = watchOutput;
        watchRequest.threads = threads.threads;
        exitCode = kes::cli::runWatch(watchRequest);
    } else if (check->parsed()) {
        exitCode = kes::cli::runCheck(checkPath, asJson, threads.threads);
    } else if (inputs->parsed()) {
        exitCode = kes::cli::runInputs(inputsPath, asJson);
    } else if (extract->parsed()) {
        exitCode = kes::cli::runExtract(levelPath, folder, force, threads.threads);
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
