// Reads triangulated Wavefront OBJ meshes into flat lists of textured triangles.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assets/reader_warning.h"
#include "model/status.h"

namespace kes {

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};
struct Vec2 {
    float u = 0, v = 0;
    bool operator==(const Vec2&) const = default;
};

// One triangle: its three corners' positions, then their texture coordinates,
// in the order the face line lists the corners.
struct MeshFace {
    std::array<Vec3, 3> position;
    std::array<Vec2, 3> uv;
    bool operator==(const MeshFace&) const = default;
};

// The per-corner normals that a face line names, in corner order.
struct FaceNormals {
    std::array<Vec3, 3> normal;
    bool operator==(const FaceNormals&) const = default;
};

// A mesh: faces[i] and faceNormals[i] come from the i-th face line.
struct MeshTriangles {
    std::vector<MeshFace> faces;
    std::vector<FaceNormals> faceNormals;
    std::int32_t faceCount() const { return static_cast<std::int32_t>(faces.size()); }
};

// Reads OBJ text held in memory. `fileName` only names the file in warnings,
// which are appended to `warnings` when it is not null.
MeshTriangles parseObjMesh(std::string_view text, const std::string& fileName,
                           std::vector<ReaderWarning>* warnings = nullptr);

// Reads the OBJ file at `path` (UTF-8). Fails only when the file cannot be
// read; what the file holds beyond the subset read here gives warnings.
Status loadObjMesh(const std::string& path, MeshTriangles& mesh,
                   std::vector<ReaderWarning>* warnings = nullptr);

} // namespace kes
