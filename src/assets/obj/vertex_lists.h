// The vertex lists of an OBJ file, and what a face corner gets when it names
// no entry of them. Private to the OBJ reader.
#pragma once

#include <cstdint>

#include "assets/large_buffer.h"
#include "assets/obj/lines.h"
#include "assets/obj_reader.h"

namespace kes::obj {

// The vertex lists of a file.
struct VertexLists {
    UnfilledList<Vec3> positions;
    UnfilledList<Vec2> texCoords;
    UnfilledList<Vec3> normals;
};

// Room in `lists` for the entries that `counts` found.
inline void reserveLists(VertexLists& lists, const LineCounts& counts)
{
    reserveLarge(lists.positions, counts.positions);
    reserveLarge(lists.texCoords, counts.texCoords);
    reserveLarge(lists.normals, counts.normals);
}

// What a corner receives for a field that names no entry.
inline constexpr Vec3 kZeroVec3{};
inline constexpr Vec2 kZeroVec2{};

template <typename T>
const T& zeroEntry();
template <>
inline const Vec3& zeroEntry<Vec3>()
{
    return kZeroVec3;
}
template <>
inline const Vec2& zeroEntry<Vec2>()
{
    return kZeroVec2;
}

// What names no entry in a list of face references.
inline constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

} // namespace kes::obj
