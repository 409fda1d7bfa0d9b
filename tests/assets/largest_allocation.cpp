#include "largest_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> watching{false};
std::atomic<std::size_t> largest{0};

} // namespace

namespace {

void* allocate(std::size_t size) noexcept
{
    if (watching.load(std::memory_order_relaxed)) {
        std::size_t seen = largest.load(std::memory_order_relaxed);
        while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

// Every plain form of new and delete goes through malloc and free, so that
// memory from any of them (a sort's nothrow buffer, an array) is given back
// by the matching delete.
void* operator new(std::size_t size)
{
    if (void* memory = allocate(size))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace kes::test {

LargestAllocation::LargestAllocation()
{
    largest = 0;
    watching = true;
}

LargestAllocation::~LargestAllocation()
{
    watching = false;
}

std::size_t LargestAllocation::bytes() const
{
    return largest.load();
}

} // namespace kes::test
