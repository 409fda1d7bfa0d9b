#include "peak_memory.h"

#include <cstdio>

namespace kes::bench {
namespace {

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

PeakMemory measurePeakMemory(const std::string& tool, const std::string& projectPath, const std::string& outputPath,
                             int threads)
{
    PeakMemory memory;
    const std::string command = shellQuoted(tool) + " " + shellQuoted(projectPath) + " " + shellQuoted(outputPath)
        + " " + std::to_string(threads);
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        memory.error = "cannot run " + tool;
        return memory;
    }
    unsigned long long start = 0, peak = 0;
    double seconds = 0;
    const int got = std::fscanf(pipe, "start_kib=%llu peak_kib=%llu seconds=%lf", &start, &peak, &seconds);
    const int status = pclose(pipe);
    if (got != 3 || status != 0) {
        memory.error = "generation failed";
        return memory;
    }
    memory.ok = true;
    memory.startKib = start;
    memory.peakKib = peak;
    memory.seconds = seconds;
    return memory;
}

} // namespace kes::bench
