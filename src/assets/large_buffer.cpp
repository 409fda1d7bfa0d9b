#include "assets/large_buffer.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kes {

void adviseLargeFill([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes)
{
#if defined(__linux__)
    // Huge pages are 2 MiB on the machines this runs on.
    constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
    if (bytes < kHugePage / 2)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const auto end = begin + bytes;
#if defined(MADV_HUGEPAGE)
    // Every huge page the range touches, its first and last ones included:
    // a list of a few megabytes in the middle of the heap shares them with
    // its neighbours, and rounding inwards would leave it none at all. The
    // system only uses a huge page where all of it lies in one mapping, so
    // a neighbouring mapping keeps its ordinary pages.
    const std::uintptr_t first = begin & ~(kHugePage - 1);
    const std::uintptr_t last = (end + kHugePage - 1) & ~(kHugePage - 1);
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
#if defined(MADV_POPULATE_WRITE)
    // Provides the range's own pages now, in one call, instead of stopping
    // in the kernel at the first write to each. Older systems refuse the
    // request, and the pages come on first write as before.
    static const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = (begin + page - 1) & ~(page - 1);
    const std::uintptr_t to = end & ~(page - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#endif
#endif
}

} // namespace kes
