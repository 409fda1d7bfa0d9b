#include "assets/obj_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../support/temp_dir.h"

namespace kes {
namespace {

using ::testing::HasSubstr;

MeshTriangles parse(std::string_view text, std::vector<ReaderWarning>* warnings = nullptr)
{
    return parseObjMesh(text, "m.obj", warnings);
}

// A triangle with positions 1, 2, 3, texture coordinates 1, 2, 3, normals 1, 2, 3.
const char* const kTriangle =
    "v 1 2 3\n"
    "v 4 5 6\n"
    "v 7 8 9\n"
    "vt 0.25 0.75\n"
    "vt 0.5 0.5\n"
    "vt 1 0\n"
    "vn 0 0 1\n"
    "vn 0 1 0\n"
    "vn 1 0 0\n"
    "f 1/1/1 2/2/2 3/3/3\n";

MeshFace triangleFace()
{
    return MeshFace{{Vec3{1, 2, 3}, Vec3{4, 5, 6}, Vec3{7, 8, 9}}, {Vec2{0.25f, 0.75f}, Vec2{0.5f, 0.5f}, Vec2{1, 0}}};
}

FaceNormals triangleNormals()
{
    return FaceNormals{{Vec3{0, 0, 1}, Vec3{0, 1, 0}, Vec3{1, 0, 0}}};
}

TEST(ObjReader, ReadsATriangleWithoutChangingAnything)
{
    std::vector<ReaderWarning> warnings;
    MeshTriangles mesh = parse(kTriangle, &warnings);
    ASSERT_EQ(mesh.faceCount(), 1);
    ASSERT_EQ(mesh.faceNormals.size(), 1u);
    EXPECT_EQ(mesh.faces[0], triangleFace());
    EXPECT_EQ(mesh.faceNormals[0], triangleNormals());
    EXPECT_TRUE(warnings.empty());
}

TEST(ObjReader, EmptyFilesAndFilesWithoutFacesGiveNoFaces)
{
    for (const char* text : {"", "\n", "v 1 2 3\nvt 0 0\nvn 0 0 1\n", "# nothing\r\n"}) {
        MeshTriangles mesh = parse(text);
        EXPECT_EQ(mesh.faceCount(), 0);
        EXPECT_TRUE(mesh.faces.empty());
        EXPECT_TRUE(mesh.faceNormals.empty());
    }
}

TEST(ObjReader, LoadsFromFileAndNamesAMissingOne)
{
    test::TempDir dir;
    test::writeFile(dir.file("m.obj"), std::string(kTriangle));
    MeshTriangles mesh;
    ASSERT_TRUE(loadObjMesh(dir.file("m.obj"), mesh));
    ASSERT_EQ(mesh.faceCount(), 1);
    EXPECT_EQ(mesh.faces[0], triangleFace());

    Status missing = loadObjMesh(dir.file("none.obj"), mesh);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.reason(), "cannot read mesh file '" + dir.file("none.obj") + "': no such file or folder");
    EXPECT_EQ(mesh.faceCount(), 0);
}

} // namespace
} // namespace kes
