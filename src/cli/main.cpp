// kesgen-cli: generates and inspects Kestrin level files without the editor.
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/utf8_arguments.h"

int main(int argc, char** argv)
{
    CLI::App app{"kesgen-cli - generate and inspect Kestrin level files"};
    app.set_version_flag("--version", std::string("kesgen-cli ") + KESGEN_VERSION);
    app.require_subcommand(1);

    std::string projectPath;
    std::string outputPath;
    CLI::App* generate = app.add_subcommand("generate", "Generate the level file of a project");
    generate->add_option("PROJECT", projectPath, "Project file (.kgp)")->required();
    generate->add_option("-o,--output", outputPath,
                         "Level file to write (default: the project's path with the extension .kes)");

    std::string inspectPath;
    bool asJson = false;
    CLI::App* inspect = app.add_subcommand("inspect", "Check a level file (.kes) or project file (.kgp) and summarise it");
    inspect->add_option("FILE", inspectPath, "Level or project file")->required();
    inspect->add_flag("--json", asJson, "Print the summary as JSON");

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
        app.exit(e);
        return 2;
    }

    const int exitCode = generate->parsed() ? kes::cli::runGenerate(projectPath, outputPath)
                                            : kes::cli::runInspect(inspectPath, asJson);
    // A summary that never reached its reader (a full disk, say) is not a success.
    std::cout.flush();
    if (exitCode == 0 && !std::cout) {
        std::cerr << "error: cannot write to the standard output\n";
        return 1;
    }
    return exitCode;
}
