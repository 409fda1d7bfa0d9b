// Runs the kesgen-cli program in a shell and collects its exit code and
// output.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/wait.h>

#include "support/temp_dir.h"

namespace kes::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs kesgen-cli with `args` (already quoted) in `folder`. With
// `killAfterSeconds`, a run that takes longer is killed (exit code 137).
inline CliRun runCli(const std::string& args, const TempDir& dir, const std::string& folder = "",
                     int killAfterSeconds = 0)
{
    const std::string errPath = dir.file("stderr.txt");
    const std::string guard = killAfterSeconds > 0 ? "timeout -s KILL " + std::to_string(killAfterSeconds) + " " : "";
    std::string command = (folder.empty() ? "" : "cd " + quote(folder) + " && ") + guard + quote(KESGEN_CLI) + " "
        + args + " 2>" + quote(errPath);
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer;
    std::size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), got);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::vector<std::uint8_t> err = readFile(errPath);
    run.err.assign(err.begin(), err.end());
    std::filesystem::remove(errPath);
    return run;
}

} // namespace kes::test
