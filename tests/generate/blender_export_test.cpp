// The crate in examples/ was exported by Blender with the settings that
// docs/guide.md gives (scripts/blender-export.py). It must read without a
// single warning, with the level's axes, and generate as it reads.
#include <cmath>

#include <gtest/gtest.h>

#include "assets/obj_reader.h"
#include "generate/generate_level.h"
#include "levelfile/level_reader.h"
#include "model/project_file.h"
#include "../support/temp_dir.h"

namespace kes {
namespace {

const std::string kExamples = KESGEN_EXAMPLES_DIR;

Vec3 minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(BlenderExport, ReadsAsTexturedTrianglesWithNormalsStandingOnY)
{
    MeshTriangles mesh;
    std::vector<ReaderWarning> warnings;
    Status read = loadObjMesh(kExamples + "/crate.obj", mesh, &warnings);
    ASSERT_TRUE(read) << read.reason();
    for (const ReaderWarning& warning : warnings)
        ADD_FAILURE() << warning.file << ":" << warning.line << ": " << warning.what;
    // Six bevelled crate sides and an eight-sided lid, all as triangles: a
    // face of more corners would have warned above.
    ASSERT_EQ(mesh.faceCount(), 136);

    float lowest = INFINITY;
    float highest = -INFINITY;
    bool anyTextureCoordinate = false;
    for (int i = 0; i < mesh.faceCount(); ++i) {
        SCOPED_TRACE("triangle " + std::to_string(i + 1));
        const MeshFace& face = mesh.faces[i];
        for (int corner = 0; corner < 3; ++corner) {
            const Vec3& p = face.position[corner];
            lowest = std::min(lowest, p.y);
            highest = std::max(highest, p.y);
            const Vec2& uv = face.uv[corner];
            EXPECT_TRUE(uv.u >= 0 && uv.u <= 1 && uv.v >= 0 && uv.v <= 1);
            anyTextureCoordinate = anyTextureCoordinate || uv.u != 0 || uv.v != 0;
            const Vec3& n = mesh.faceNormals[i].normal[corner];
            EXPECT_NEAR(std::sqrt(dot(n, n)), 1.0f, 1e-3f);
        }
        // Corners run counter-clockwise seen from the side the normal points
        // to: the axis conversion did not mirror the mesh.
        const Vec3 across = cross(minus(face.position[1], face.position[0]), minus(face.position[2], face.position[0]));
        EXPECT_GT(dot(across, mesh.faceNormals[i].normal[0]), 0.0f);
    }
    EXPECT_TRUE(anyTextureCoordinate);
    // Blender's up (Z) became the level's up (Y): the crate stands on y = 0
    // and its lid reaches 2.4 up.
    EXPECT_FLOAT_EQ(lowest, 0.0f);
    EXPECT_FLOAT_EQ(highest, 2.4f);
}

TEST(BlenderExport, GeneratesWithTheConvertedTextureAndNoWarnings)
{
    LevelProject project;
    resetToDefaults(project);
    LayerEntry crate;
    crate.objPath = "crate.obj";
    crate.bmpPath = "crate.bmp"; // made by the guide's ImageMagick command from crate.png
    crate.kind = static_cast<std::int32_t>(LayerKind::Static);
    crate.draw = 1;
    crate.collision = 1;
    ASSERT_TRUE(project.layers.append(crate));

    test::TempDir dir;
    GenerationOptions options;
    options.baseFolder = kExamples;
    const GenerationResult result = generateLevel(project, dir.file("crate.kes"), options);
    ASSERT_TRUE(result.status) << result.status.reason();
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.triangles, 136u);

    LevelFile level;
    Status read = loadLevelFile(dir.file("crate.kes"), level);
    ASSERT_TRUE(read) << read.reason();
    ASSERT_EQ(level.layers.size(), 1u);
    ASSERT_EQ(level.layers[0].textures.size(), 1u);
    EXPECT_EQ(level.layers[0].textures[0].width, 32);
    EXPECT_EQ(level.layers[0].textures[0].height, 32);
}

} // namespace
} // namespace kes
