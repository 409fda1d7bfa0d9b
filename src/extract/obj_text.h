// Writing the triangles of one mesh frame of a level file as OBJ text.
#pragma once

#include <string>
#include <vector>

namespace kes {

// OBJ text for triangles stored as a level file stores them: per triangle
// the three corners' x, y, z, u, v, then, with `withNormals`, the three
// corners' nx, ny, nz. Positions, texture coordinates and normals that are
// the same to the bit are written once; faces stand in triangle order, with
// their corners in order. Numbers are the shortest texts that read back to
// the same floats ("." as the point); infinities are written as 1e39 and
// -1e39, which the OBJ reader reads as infinities. NaN has no OBJ text that
// reads back to it and is written as "nan" (read back as 0).
// `comment` becomes a first line starting with "# ".
std::string encodeObjText(const std::vector<float>& triangles, bool withNormals, const std::string& comment);

} // namespace kes
