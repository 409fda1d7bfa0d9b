// Watches the sizes that operator new is asked for, to show that a reader does
// not allocate what an untrusted header claims before checking it.
#pragma once

#include <cstddef>

namespace kes::test {

// While alive, remembers the largest single request to operator new.
class LargestAllocation {
public:
    LargestAllocation();
    ~LargestAllocation();
    LargestAllocation(const LargestAllocation&) = delete;
    LargestAllocation& operator=(const LargestAllocation&) = delete;

    std::size_t bytes() const;
};

} // namespace kes::test
