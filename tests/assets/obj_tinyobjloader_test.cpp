// A generated OBJ in the layout that modelling programs export must read to
// the triangles it was made of, and to the same triangles as tinyobjloader
// makes of it.
#include "assets/obj_reader.h"

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include "support/temp_dir.h"
#include "generated_obj.h"

namespace kes {
namespace {

// The triangles tinyobjloader reads from `path`: the first three corners of
// every face, in file order, zeros for what a corner does not name.
struct TinyObjTriangles {
    std::vector<MeshFace> faces;
    std::vector<FaceNormals> faceNormals;
    std::vector<int> cornerCounts;
};

TinyObjTriangles readWithTinyObjLoader(const test::TempDir& dir, const std::string& path)
{
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    std::string error;
    const std::string folder = dir.path().string() + "/";
    const bool triangulate = false;
    EXPECT_TRUE(tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, path.c_str(), folder.c_str(),
                                 triangulate))
        << error;
    TinyObjTriangles out;
    for (const tinyobj::shape_t& shape : shapes) {
        std::size_t first = 0;
        for (unsigned char cornerCount : shape.mesh.num_face_vertices) {
            MeshFace face;
            FaceNormals normals;
            for (int k = 0; k < 3 && k < cornerCount; ++k) {
                const tinyobj::index_t& index = shape.mesh.indices[first + static_cast<std::size_t>(k)];
                if (index.vertex_index >= 0) {
                    const float* p = &attrib.vertices[3 * static_cast<std::size_t>(index.vertex_index)];
                    face.position[k] = Vec3{p[0], p[1], p[2]};
                }
                if (index.texcoord_index >= 0) {
                    const float* t = &attrib.texcoords[2 * static_cast<std::size_t>(index.texcoord_index)];
                    face.uv[k] = Vec2{t[0], t[1]};
                }
                if (index.normal_index >= 0) {
                    const float* n = &attrib.normals[3 * static_cast<std::size_t>(index.normal_index)];
                    normals.normal[k] = Vec3{n[0], n[1], n[2]};
                }
            }
            out.faces.push_back(face);
            out.faceNormals.push_back(normals);
            out.cornerCounts.push_back(cornerCount);
            first += cornerCount;
        }
    }
    return out;
}

TEST(ObjReaderAgainstTinyObjLoader, ExportedLayoutReadsToTheSameTriangles)
{
    test::TempDir dir;
    const test::GeneratedObj generated = test::generateObj(8, 700, 20240611);
    const std::string path = dir.file("scene.obj");
    test::writeFile(path, generated.text);

    MeshTriangles mesh;
    std::vector<ReaderWarning> warnings;
    Status status = loadObjMesh(path, mesh, &warnings);
    ASSERT_TRUE(status) << status.reason();
    ASSERT_EQ(mesh.faceCount(), 8 * 700);

    // The triangles the file was made of, exactly.
    ASSERT_EQ(mesh.faces.size(), generated.faces.size());
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        ASSERT_EQ(mesh.faces[i], generated.faces[i]) << "face " << i;
        ASSERT_EQ(mesh.faceNormals[i], generated.faceNormals[i]) << "face " << i;
    }

    const TinyObjTriangles tiny = readWithTinyObjLoader(dir, path);
    ASSERT_EQ(tiny.faces.size(), mesh.faces.size());
    int quads = 0;
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        ASSERT_EQ(mesh.faces[i], tiny.faces[i]) << "face " << i;
        ASSERT_EQ(mesh.faceNormals[i], tiny.faceNormals[i]) << "face " << i;
        quads += tiny.cornerCounts[i] == 4;
    }
    // Each quad gave a warning (up to the limit); nothing else did.
    ASSERT_GT(quads, kMaxObjWarnings);
    ASSERT_EQ(warnings.size(), static_cast<std::size_t>(kMaxObjWarnings) + 1);
    for (std::size_t i = 0; i + 1 < warnings.size(); ++i)
        EXPECT_EQ(warnings[i].what, "face has 4 corners; only the first three are used (export the mesh triangulated)");
    EXPECT_EQ(warnings.back().what, "and " + std::to_string(quads - kMaxObjWarnings) + " more warnings");
}

} // namespace
} // namespace kes
