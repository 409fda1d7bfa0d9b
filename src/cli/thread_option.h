// How many threads generate, check and extract use: the --threads (-j)
// option, or the KESGEN_THREADS environment variable when the option is not
// given, or one per core (at most 8).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kes::cli {

// The most threads --threads and KESGEN_THREADS accept.
inline constexpr int kMostThreads = 64;

// A thread count written as decimal digits, from 1 to kMostThreads; nothing
// for any other text (0, a sign, blanks, letters, too large a number).
std::optional<int> parseThreadCount(std::string_view text);

struct ThreadChoice {
    int threads = 1;   // at least 1; 1 runs everything on the calling thread
    std::string error; // a usage error naming the option or variable; empty when none
};

// The thread count from the option's text when it was given, else from the
// environment variable's value when it is set and not empty, else the
// default: one per core, at most 8.
ThreadChoice chooseThreads(const std::optional<std::string>& option, const char* environment);

} // namespace kes::cli
