// Room for the large arrays a reader fills once it knows their size.
//
// A mesh of a million triangles fills tens of megabytes at once. Made of
// ordinary 4 KiB pages, each first write to a page stops the program in the
// kernel, tens of thousands of times per mesh; on Linux the room is therefore
// asked for in huge pages where the system offers them on request, and the
// rest is provided in one call before the filling starts.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace kes {

// Tells the system that [data, data + bytes) is about to be filled at once:
// asks for huge pages for it and has its pages provided now. Only for room
// that will be filled: the pages count as used from here on. Does nothing
// for ranges under 1 MiB or on systems without these requests, and what the
// system declines comes on first write as usual.
void adviseLargeFill(void* data, std::size_t bytes);

// Reserves room for `count` entries in `list`, given as adviseLargeFill
// advises.
template <typename T, typename Allocator>
void reserveLarge(std::vector<T, Allocator>& list, std::size_t count)
{
    list.reserve(count);
    adviseLargeFill(list.data(), list.capacity() * sizeof(T));
}

// An allocator for lists that are made at their full size and then filled
// entry by entry: resize() leaves the new entries as the memory holds them
// instead of writing zeros first. Each entry must be written before it is
// read. Spares a pass over memory that is about to be overwritten anyway.
// Only for types that any bytes make a value of (plain numbers).
template <typename T>
struct UnfilledAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UnfilledAllocator<U>;
    };
    UnfilledAllocator() = default;
    template <typename U>
    UnfilledAllocator(const UnfilledAllocator<U>&) noexcept
    {
    }
    // A new entry without a value given: left as it is.
    template <typename U>
    void construct(U*) noexcept
    {
        static_assert(std::is_trivially_copyable_v<U> && std::is_trivially_destructible_v<U>);
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args)
    {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

// A list that resize() leaves unfilled (see UnfilledAllocator).
template <typename T>
using UnfilledList = std::vector<T, UnfilledAllocator<T>>;

} // namespace kes
