// kesgen-bench-generate PROJECT OUTPUT THREADS: generates the level once and
// prints "start_kib=... peak_kib=... seconds=...": the peak resident size of
// the process before and after generation, and the time it took.
#include <chrono>
#include <cstdio>
#include <string>

#include <sys/resource.h>

#include "generate/generate_level.h"
#include "model/file_io.h"
#include "model/project_file.h"

namespace {

long long peakResidentKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kesgen-bench-generate PROJECT OUTPUT THREADS\n");
        return 2;
    }
    kes::LevelProject project;
    if (kes::Status loaded = kes::loadProject(argv[1], project); !loaded) {
        std::fprintf(stderr, "error: %s\n", loaded.reason().c_str());
        return 1;
    }
    kes::GenerationOptions options;
    options.baseFolder = kes::pathToUtf8(kes::pathFromUtf8(argv[1]).parent_path());
    options.threads = std::stoi(argv[3]);

    const long long start = peakResidentKib();
    const auto began = std::chrono::steady_clock::now();
    kes::GenerationResult result = kes::generateLevel(project, argv[2], options);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
    if (!result.status) {
        std::fprintf(stderr, "error: %s\n", result.status.reason().c_str());
        return 1;
    }
    std::printf("start_kib=%lld peak_kib=%lld seconds=%.3f\n", start, peakResidentKib(), took.count());
    return 0;
}
