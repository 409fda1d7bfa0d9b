// Checks inside the fuzz targets: a broken promise of the code under test is
// reported like a crash, so that libFuzzer keeps the input that caused it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <sanitizer/allocator_interface.h>

#define KESGEN_FUZZ_CHECK(condition)                                                              \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);   \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace kesgen_fuzz {

// What a reader may allocate at once for an input of `size` bytes: a small
// fixed amount and a modest multiple of the input, never what the input
// claims to hold.
inline std::size_t allocationAllowance(std::size_t size)
{
    return 64 * 1024 + 64 * size;
}

inline std::size_t largestSeen = 0;

inline void noteAllocation(const volatile void*, std::size_t size)
{
    if (size > largestSeen)
        largestSeen = size;
}
inline void noteRelease(const volatile void*) {}

// While alive, remembers the largest single allocation (malloc or new) of
// the process, through the sanitizer's allocation hooks.
class LargestAllocation {
public:
    LargestAllocation()
    {
        static const bool installed = __sanitizer_install_malloc_and_free_hooks(noteAllocation, noteRelease) != 0;
        KESGEN_FUZZ_CHECK(installed);
        largestSeen = 0;
    }
    std::size_t bytes() const { return largestSeen; }
};

} // namespace kesgen_fuzz
