// A file parsed in chunks on several threads must give exactly what reading
// it in file order gives: the same triangles, and the same warnings with the
// same line numbers in the same order, wherever the chunks are cut.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/temp_dir.h"
#include "assets/obj_reader.h"
#include "generated_obj.h"

namespace kes {
namespace {

std::vector<std::string> warningTexts(const std::vector<ReaderWarning>& warnings)
{
    std::vector<std::string> texts;
    for (const ReaderWarning& w : warnings)
        texts.push_back(w.file + ":" + std::to_string(w.line) + ": " + w.what);
    return texts;
}

// Keeps the triangles it is handed, in order.
struct KeepingSink : InterleavedSink {
    Status begin(std::uint64_t triangles) override
    {
        counted = triangles;
        return Status::success();
    }
    Status take(std::span<std::uint8_t> triangles) override
    {
        bytes.insert(bytes.end(), triangles.begin(), triangles.end());
        return Status::success();
    }
    std::uint64_t counted = 0;
    std::vector<std::uint8_t> bytes;
};

// The interleaved triangles of `mesh`, as loadObjInterleaved lays them out.
std::vector<std::uint8_t> interleaved(const MeshTriangles& mesh, bool withNormals)
{
    std::vector<float> values;
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        for (int c = 0; c < 3; ++c) {
            const Vec3& p = mesh.faces[i].position[c];
            const Vec2& t = mesh.faces[i].uv[c];
            values.insert(values.end(), {p.x, p.y, p.z, t.u, t.v});
        }
        if (withNormals)
            for (const Vec3& n : mesh.faceNormals[i].normal)
                values.insert(values.end(), {n.x, n.y, n.z});
    }
    std::vector<std::uint8_t> bytes(values.size() * sizeof(float));
    if (!bytes.empty())
        std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

std::string repeated(int count, const std::string& (*make)(int, std::string&))
{
    std::string text, scratch;
    for (int i = 1; i <= count; ++i)
        text += make(i, scratch);
    return text;
}

// A corner of each kind named relative to the lines just above the face,
// so that a face and the vertices it names often fall into different chunks.
const std::string& relativeGroup(int i, std::string& out)
{
    out = "v " + std::to_string(i) + " 0.5 -" + std::to_string(i) + "\nvt 0." + std::to_string(i) + " 1\nv 1 "
        + std::to_string(i) + " 2\nvn 0 " + std::to_string(i) + " 1\nv 3 3 " + std::to_string(i)
        + "\nf -3/-1/-1 -2/-1/-1 -1/-1/-1\n";
    return out;
}

const std::string& crlfGroup(int i, std::string& out)
{
    out = "v " + std::to_string(i) + ".25 -" + std::to_string(i) + " 0.5\r\nvt 0." + std::to_string(i)
        + " 1\r\nvn 0 0 1\r\nf " + std::to_string(i) + "/" + std::to_string(i) + "/1 1/1/1 " + std::to_string(i)
        + "//" + std::to_string(i) + "\r\n";
    return out;
}

// Lines that warn, among ones that do not: a face naming lines below it,
// missing numbers, commas, missing corners.
const std::string& warningGroup(int i, std::string& out)
{
    out = "v 1 2 " + std::to_string(i) + "\nvt 1\nf " + std::to_string(i + 1) + "/1/1 1/1/" + std::to_string(i)
        + " -" + std::to_string(i + 1) + "\nv 1,5 2\nf 1/1\nvn 0 0 1\n";
    return out;
}

TEST(ObjChunkedReading, EveryChunkCountGivesWhatReadingInOrderGives)
{
    const std::string relative = repeated(30, relativeGroup);
    const std::string crlf = repeated(30, crlfGroup);
    const std::string longLine = "# " + std::string(700, 'x') + "\n";
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"CR LF line ends", crlf},
        {"no LF after the last line", crlf + "v 1 2 3\nf 1 2 -1"},
        {"CR without LF at the end", crlf + "v 1 2 3\r"},
        {"negative indices just after their vertices", relative},
        {"a run of warnings", repeated(12, warningGroup) + relative},
        {"more than a hundred warnings", relative + repeated(40, warningGroup) + relative},
        {"byte order mark", "\xEF\xBB\xBF" + relative},
        {"byte order mark only", "\xEF\xBB\xBF"},
        {"a line longer than a chunk", longLine + relative + longLine + "v 9 9 9"},
        {"blank lines", "\n\n\r\n" + relative + "\n\n"},
        {"a face naming more than the file holds", relative + "f 1000/1/1 -1000/1/1 1/1000/-1000\n" + crlf},
        {"numbers too large for a float",
         relative + "v 1e39 -1e39 3.5e38\nvt 1e40 1\nvn 0 1e39 0\nf -1/-1/-1 1/1/1 -2/-1/-1\n" + relative},
        {"a modelling program's export", test::generateObj(3, 40, 7).text},
        {"empty", ""},
        {"one byte", "f"},
    };
    test::TempDir dir;
    const std::string path = dir.file("mesh.obj");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A comment of a growing length at the start moves every cut across
        // the lines behind it.
        for (int shift : {0, 1, 2, 3, 5, 8, 13}) {
            SCOPED_TRACE("shifted by " + std::to_string(shift));
            const std::string text = shift == 0 ? c.text : "#" + std::string(shift - 1, ' ') + "\n" + c.text;
            test::writeFile(path, text);
            std::vector<ReaderWarning> expectedWarnings;
            const MeshTriangles expected = decodeObjMesh(text, path, &expectedWarnings);
            for (std::size_t chunks = 1; chunks <= 8; ++chunks) {
                SCOPED_TRACE(std::to_string(chunks) + " chunks");
                const ObjReadOptions options{3, chunks};
                MeshTriangles mesh;
                std::vector<ReaderWarning> warnings{ReaderWarning{"earlier", 1, "kept"}};
                ASSERT_TRUE(loadObjMesh(path, mesh, &warnings, options));
                EXPECT_EQ(mesh.faces, expected.faces);
                EXPECT_EQ(mesh.faceNormals, expected.faceNormals);
                ASSERT_FALSE(warnings.empty());
                warnings.erase(warnings.begin());
                EXPECT_EQ(warningTexts(warnings), warningTexts(expectedWarnings));

                // Without the normals: the same faces and warnings.
                ObjReadOptions facesOnly = options;
                facesOnly.keepNormals = false;
                MeshTriangles faces;
                std::vector<ReaderWarning> facesWarnings;
                ASSERT_TRUE(loadObjMesh(path, faces, &facesWarnings, facesOnly));
                EXPECT_EQ(faces.faces, expected.faces);
                EXPECT_TRUE(faces.faceNormals.empty());
                EXPECT_EQ(warningTexts(facesWarnings), warningTexts(expectedWarnings));

                for (bool withNormals : {false, true}) {
                    std::vector<std::uint8_t> triangles;
                    std::vector<ReaderWarning> interleavedWarnings;
                    ASSERT_TRUE(loadObjInterleaved(path, withNormals, triangles, &interleavedWarnings, options));
                    EXPECT_EQ(triangles, interleaved(expected, withNormals));
                    EXPECT_EQ(warningTexts(interleavedWarnings), warningTexts(expectedWarnings));

                    // Handed on chunk by chunk as the chunks are parsed.
                    KeepingSink sink;
                    std::vector<ReaderWarning> streamedWarnings;
                    ASSERT_TRUE(streamObjInterleaved(path, withNormals, sink, &streamedWarnings, nullptr, options));
                    EXPECT_EQ(sink.counted * interleavedTriangleSize(withNormals), sink.bytes.size());
                    EXPECT_EQ(sink.bytes, triangles);
                    EXPECT_EQ(warningTexts(streamedWarnings), warningTexts(expectedWarnings));
                }
            }
        }
    }
}

// A file large enough to be parsed in chunks without being told to.
TEST(ObjChunkedReading, ALargeFileOnSeveralThreadsGivesWhatReadingInOrderGives)
{
    std::string block;
    for (int i = 1; i <= 200; ++i) {
        std::string group;
        block += relativeGroup(i, group);
    }
    // Now and then a face that warns: more than a hundred warnings in all.
    std::string text;
    for (int n = 0; text.size() < (std::size_t(17) << 20); ++n)
        text += block + (n % 8 == 0 ? "f 1/1/1 2 999999999\n" : "");
    test::TempDir dir;
    const std::string path = dir.file("large.obj");
    test::writeFile(path, text);
    std::vector<ReaderWarning> expectedWarnings;
    const MeshTriangles expected = decodeObjMesh(text, path, &expectedWarnings);
    ASSERT_GT(expectedWarnings.size(), 0u);
    for (int threads : {2, 3}) {
        MeshTriangles mesh;
        std::vector<ReaderWarning> warnings;
        ObjReadOptions options;
        options.threads = threads;
        ASSERT_TRUE(loadObjMesh(path, mesh, &warnings, options));
        EXPECT_TRUE(mesh.faces == expected.faces);
        EXPECT_TRUE(mesh.faceNormals == expected.faceNormals);
        EXPECT_EQ(warningTexts(warnings), warningTexts(expectedWarnings));
    }
}

TEST(ObjChunkedReading, ReadingInPiecesLaysTrianglesOutAlike)
{
    const test::GeneratedObj obj = test::generateObj(2, 30, 3);
    test::TempDir dir;
    const std::string path = dir.file("mesh.obj");
    test::writeFile(path, obj.text);
    const MeshTriangles expected = decodeObjMesh(obj.text, path);
    for (bool withNormals : {false, true}) {
        std::vector<std::uint8_t> triangles{1, 2, 3};
        ASSERT_TRUE(loadObjInterleaved(path, withNormals, triangles));
        EXPECT_EQ(triangles, interleaved(expected, withNormals));
    }
}

TEST(ObjChunkedReading, AFileThatCannotBeReadFailsAsInPieces)
{
    test::TempDir dir;
    const std::string missing = dir.file("missing.obj");
    std::vector<std::uint8_t> triangles{1, 2, 3};
    std::vector<ReaderWarning> warnings;
    Status status = loadObjInterleaved(missing, false, triangles, &warnings, ObjReadOptions{2, 4});
    ASSERT_FALSE(status);
    EXPECT_EQ(status.reason(), "cannot read mesh file '" + missing + "': no such file or folder");
    EXPECT_TRUE(triangles.empty());
    EXPECT_TRUE(warnings.empty());
}

} // namespace
} // namespace kes
