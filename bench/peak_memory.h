// Peak memory of one level generation, measured in a fresh process so that
// nothing the benchmarks allocated counts.
#pragma once

#include <cstdint>
#include <string>

namespace kes::bench {

struct PeakMemory {
    bool ok = false;
    std::string error;
    std::uint64_t startKib = 0; // peak resident size before generation started
    std::uint64_t peakKib = 0;  // peak resident size when it had finished
    double seconds = 0;         // how long generation took
};

// Runs `tool` (kesgen-bench-generate) on the project with `threads` worker
// threads, writing to `outputPath`, and reads the figures it prints.
PeakMemory measurePeakMemory(const std::string& tool, const std::string& projectPath, const std::string& outputPath,
                             int threads);

} // namespace kes::bench
