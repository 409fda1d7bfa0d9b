// Room for the large arrays a reader fills once it knows their size.
//
// A mesh of a million triangles fills tens of megabytes at once. Made of
// ordinary 4 KiB pages, each first write to a page stops the program in the
// kernel, tens of thousands of times per mesh; on Linux the room is therefore
// asked for in huge pages where the system offers them on request.
#pragma once

#include <cstddef>
#include <vector>

namespace kes {

// Tells the system that [data, data + bytes) is about to be filled at once
// and is best backed by huge pages. Only a hint: it does nothing for small
// ranges, on systems without huge pages, or when the system declines.
void adviseLargeFill(void* data, std::size_t bytes);

// Reserves room for `count` entries in `list`, given as adviseLargeFill
// advises.
template <typename T>
void reserveLarge(std::vector<T>& list, std::size_t count)
{
    list.reserve(count);
    adviseLargeFill(list.data(), list.capacity() * sizeof(T));
}

} // namespace kes
