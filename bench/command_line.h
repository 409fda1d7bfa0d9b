// Reading the benchmarks' own "--name=value" arguments.
#pragma once

#include <cstring>
#include <string>

namespace kes::bench {

// True when `arg` is "--name=value" for `name` (given with its dashes); the
// value is then stored in `value`.
inline bool takeFlag(const char* arg, const char* name, std::string& value)
{
    const std::size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0 || arg[length] != '=')
        return false;
    value = arg + length + 1;
    return true;
}

} // namespace kes::bench
