// OBJ text in the layout that modelling programs export, generated together
// with the triangles a reader must make of it.
#pragma once

#include <string>
#include <vector>

#include "assets/obj_reader.h"

namespace kes::test {

struct GeneratedObj {
    std::string text;
    // Triangle i is made of the first three corners of the i-th face line.
    std::vector<MeshFace> faces;
    std::vector<FaceNormals> faceNormals;
};

// `objects` objects of `facesPerObject` faces each: comments, mtllib, o and g
// lines, usemtl, s lines, vertex lines (some with colours or a third texture
// value), and faces in every corner form (p/t/n, p//n, p/t, p, negative
// indices), some of them quads. Faces name only vertex lines above them.
// The same seed gives the same text.
GeneratedObj generateObj(int objects, int facesPerObject, unsigned seed);

} // namespace kes::test
