// Reading an OBJ file piece by piece must give what reading its whole text
// gives, wherever the pieces end.
#include <gtest/gtest.h>

#include "assets/obj_reader.h"
#include "support/temp_dir.h"

namespace kes {
namespace {

std::vector<std::string> warningTexts(const std::vector<ReaderWarning>& warnings)
{
    std::vector<std::string> texts;
    for (const ReaderWarning& w : warnings)
        texts.push_back(formatWarning(w));
    return texts;
}

// Texts whose lines, CR LF pairs, byte order mark, missing last LF, long
// lines and warnings fall on every side of the piece boundaries.
TEST(ObjFileReading, PiecesGiveWhatTheWholeTextGives)
{
    std::string many;
    for (int i = 1; i <= 40; ++i)
        many += "v " + std::to_string(i) + ".25 -" + std::to_string(i) + " 0.5\r\nvt 0." + std::to_string(i)
            + " 1\nvn 0 0 1\n";
    for (int i = 1; i + 2 <= 40; ++i)
        many += "f " + std::to_string(i) + "/" + std::to_string(i) + "/1 " + std::to_string(i + 1) + "/1/1 "
            + std::to_string(i + 2) + "//1\r\n";
    const std::string longComment = "# " + std::string(3000, 'x') + "\n";
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"many lines with CR LF", many},
        {"byte order mark", "\xEF\xBB\xBF" + many},
        {"byte order mark only", "\xEF\xBB\xBF"},
        {"two byte order marks", "\xEF\xBB\xBF\xEF\xBB\xBFv\nv\nv\nf\n"},
        {"byte order mark on the second line", "\n\xEF\xBB\xBFv\nv\nv\nf\n"},
        {"byte order mark after a short line", "a\n\xEF\xBB\xBFv\nv\nv\nf\n"},
        {"no LF at the end", many + "f 1 2 3"},
        {"CR at the very end", many + "v 1 2 3\r"},
        {"a line longer than the pieces", longComment + many + longComment + "v 9 9 9"},
        {"warnings", "v 1 2\nvt x y\nf 1 2 99\nf 1/1/1 -1 -2 -3 4\nv 1,5 2 3\n" + many},
        {"blank lines", "\n\n\r\n" + many + "\n\n"},
        {"empty", ""},
        {"one byte", "v"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("mesh.obj");
        test::writeFile(path, c.text);
        std::vector<ReaderWarning> expectedWarnings;
        const MeshTriangles expected = decodeObjMesh(c.text, path, &expectedWarnings);
        for (std::size_t piece : {1u, 2u, 3u, 4u, 7u, 64u, 1000u, 1u << 20}) {
            SCOPED_TRACE("pieces of " + std::to_string(piece));
            MeshTriangles mesh;
            std::vector<ReaderWarning> warnings{ReaderWarning{"earlier", 1, "kept"}};
            ASSERT_TRUE(loadObjMeshInPieces(path, piece, mesh, &warnings));
            EXPECT_EQ(mesh.faces, expected.faces);
            EXPECT_EQ(mesh.faceNormals, expected.faceNormals);
            ASSERT_FALSE(warnings.empty());
            warnings.erase(warnings.begin());
            EXPECT_EQ(warningTexts(warnings), warningTexts(expectedWarnings));
        }
        MeshTriangles mesh;
        ASSERT_TRUE(loadObjMesh(path, mesh));
        EXPECT_EQ(mesh.faces, expected.faces);
    }
}

TEST(ObjFileReading, WhatCannotBeReadFailsWithItsReason)
{
    test::TempDir dir;
    struct Case {
        const char* name;
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"missing", dir.file("missing.obj"), "no such file or folder"},
        {"a folder", dir.path().string(), "is a folder"},
#ifndef _WIN32
        {"no regular file", "/dev/null", "is not a regular file"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshTriangles mesh;
        mesh.faces.resize(2);
        std::vector<ReaderWarning> warnings;
        Status status = loadObjMesh(c.path, mesh, &warnings);
        ASSERT_FALSE(status);
        EXPECT_EQ(status.reason(), "cannot read mesh file '" + c.path + "': " + c.reason);
        EXPECT_TRUE(mesh.faces.empty());
        EXPECT_TRUE(warnings.empty());
    }
}

} // namespace
} // namespace kes
