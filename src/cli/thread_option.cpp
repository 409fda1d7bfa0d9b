#include "cli/thread_option.h"

#include <charconv>

#include "generate/generate_level.h"

namespace kes::cli {

std::optional<int> parseThreadCount(std::string_view text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 1 || value > kMostThreads)
        return std::nullopt;
    return value;
}

ThreadChoice chooseThreads(const std::optional<std::string>& option, const char* environment)
{
    const auto choose = [](const std::string& name, const std::string& text) {
        ThreadChoice choice;
        if (const std::optional<int> count = parseThreadCount(text))
            choice.threads = *count;
        else
            choice.error = name + " '" + text + "' is not a thread count: give a whole number from 1 to "
                + std::to_string(kMostThreads) + " (1: no worker threads)";
        return choice;
    };
    if (option)
        return choose("--threads", *option);
    if (environment != nullptr && *environment != '\0')
        return choose("KESGEN_THREADS", environment);
    return ThreadChoice{generationThreadCount(GenerationOptions{}), ""};
}

} // namespace kes::cli
