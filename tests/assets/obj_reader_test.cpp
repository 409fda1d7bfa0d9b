#include "assets/obj_reader.h"

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace kes {
namespace {

using ::testing::HasSubstr;

MeshTriangles parse(std::string_view text, std::vector<ReaderWarning>* warnings = nullptr)
{
    return decodeObjMesh(text, "m.obj", warnings);
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


// The first position of the first face of a one-face file whose first vertex
// line is `line`.
Vec3 firstPositionOf(const std::string& line, std::vector<ReaderWarning>* warnings = nullptr)
{
    MeshTriangles mesh = parse(line + "\nf 1 1 1\n", warnings);
    EXPECT_EQ(mesh.faceCount(), 1);
    return mesh.faceCount() == 1 ? mesh.faces[0].position[0] : Vec3{-99, -99, -99};
}

std::vector<std::string> warningTexts(const std::vector<ReaderWarning>& warnings)
{
    std::vector<std::string> texts;
    for (const ReaderWarning& w : warnings)
        texts.push_back(std::to_string(w.line) + ": " + w.what);
    return texts;
}

TEST(ObjReader, KeywordsAreReadWithoutRegardToCase)
{
    std::string upper = kTriangle;
    for (char& c : upper)
        if (c == 'v' || c == 't' || c == 'n' || c == 'f')
            c = static_cast<char>(c - 'a' + 'A');
    std::string mixed = "V 1 2 3\nv 4 5 6\nV 7 8 9\nvT 0.25 0.75\nVt 0.5 0.5\nVT 1 0\n"
                        "Vn 0 0 1\nvN 0 1 0\nVN 1 0 0\nF 1/1/1 2/2/2 3/3/3\n";
    for (const std::string& text : {upper, mixed}) {
        MeshTriangles mesh = parse(text);
        ASSERT_EQ(mesh.faceCount(), 1) << text;
        EXPECT_EQ(mesh.faces[0], triangleFace()) << text;
        EXPECT_EQ(mesh.faceNormals[0], triangleNormals()) << text;
    }
}

TEST(ObjReader, LinesOfOtherKindsChangeNothing)
{
    // Each is put before the triangle's vertex lines: a line counted as a
    // vertex would shift every index.
    const char* const ignored[] = {
        "# v 5 5 5",
        "o v",
        "g vn",
        "s 1",
        "s off",
        "usemtl vt",
        "mtllib f.mtl",
        "l 1 2",
        " v 5 5 5",
        "\tv 5 5 5",
        " f 1/1/1 2/2/2 3/3/3",
        "",
        "\r",
        "curv 0 1",
    };
    for (const char* line : ignored) {
        SCOPED_TRACE(line);
        std::vector<ReaderWarning> warnings;
        MeshTriangles mesh = parse(std::string(line) + "\n" + kTriangle, &warnings);
        ASSERT_EQ(mesh.faceCount(), 1);
        EXPECT_EQ(mesh.faces[0], triangleFace());
        EXPECT_EQ(mesh.faceNormals[0], triangleNormals());
        EXPECT_TRUE(warnings.empty());
    }
}

TEST(ObjReader, ClassifiesByTheFirstOneOrTwoCharacters)
{
    // vp, "v" alone and any other v-word are position lines; any f-word is a face.
    MeshTriangles mesh = parse("vp 1 2 3\nvertex 4 5 6\nv\nfo 1 2 3\nface -1 -2 -3\n");
    ASSERT_EQ(mesh.faceCount(), 2);
    EXPECT_EQ(mesh.faces[0].position, (std::array<Vec3, 3>{Vec3{1, 2, 3}, Vec3{4, 5, 6}, Vec3{0, 0, 0}}));
    EXPECT_EQ(mesh.faces[1].position, (std::array<Vec3, 3>{Vec3{0, 0, 0}, Vec3{4, 5, 6}, Vec3{1, 2, 3}}));
}

TEST(ObjReader, ExtraValuesAreIgnored)
{
    MeshTriangles mesh = parse("v 1 2 3 0.5 0.5 0.5\nvt 0.25 0.75 0.0\nvn 0 0 1 7\nf 1/1/1 1/1/1 1/1/1\n");
    ASSERT_EQ(mesh.faceCount(), 1);
    EXPECT_EQ(mesh.faces[0].position[2], (Vec3{1, 2, 3}));
    EXPECT_EQ(mesh.faces[0].uv[2], (Vec2{0.25f, 0.75f}));
    EXPECT_EQ(mesh.faceNormals[0].normal[2], (Vec3{0, 0, 1}));
}

TEST(ObjReader, ReadsNumbersByTheDecimalRules)
{
    struct Case {
        const char* token;
        float value;
    };
    const Case cases[] = {
        {"1.5", 1.5f},          {"-2", -2.0f},         {"+3", 3.0f},          {"1e3", 1000.0f},
        {"1.5E-2", 0.015f},     {".5", 0.5f},          {"5.", 5.0f},          {"-.25", -0.25f},
        {"0.1", 0.1f},          {"1e", 1.0f},          {"2e+", 2.0f},         {"3.0e+1", 30.0f},
        {"16777217", 16777216.0f}, // rounded to the nearest float
        {"0.30000001192092896", 0.3f},
        {"1e-50", 0.0f},        {"1e-400", 0.0f},      {"3.4028234e38", 3.4028234e38f},
        // Too large for a float: no number, as "inf" is none (see
        // NumbersTooLargeForAFloatReadAsZeroWithAWarning).
        {"1e39", 0.0f},         {"-1e39", 0.0f},       {"1e400", 0.0f},
        // Not a number at the start: 0.
        {"abc", 0.0f},          {"inf", 0.0f},         {"nan", 0.0f},         {"--1", 0.0f},
        {"+-1", 0.0f},          {".", 0.0f},           {"e5", 0.0f},
        // Reading stops at the first character that does not fit.
        {"0x10", 0.0f},         {"1,5", 1.0f},         {"2.5.1", 2.5f},       {"7/8", 7.0f},
        {"\t4", 4.0f}, // white space before the number is skipped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.token);
        Vec3 p = firstPositionOf(std::string("v ") + c.token + " 8 9");
        EXPECT_EQ(p.x, c.value);
        EXPECT_EQ(std::signbit(p.x), std::signbit(c.value));
        EXPECT_EQ(p.y, 8.0f);
        EXPECT_EQ(p.z, 9.0f);
    }
    EXPECT_TRUE(std::signbit(firstPositionOf("v -1e-50 0 0").x));
}

TEST(ObjReader, NumbersAreRoundedToTheNearestFloat)
{
    // Decimal texts of every length and exponent, and texts that lie on or
    // right next to the midpoint between two floats; each must read as the
    // float that the standard library's exact conversion gives.
    std::mt19937_64 random(7);
    std::vector<std::string> texts;
    for (int i = 0; i < 4000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 24);
        std::string text = random() % 2 ? "-" : "";
        for (int d = 0; d < digits; ++d)
            text += static_cast<char>('0' + random() % 10);
        if (random() % 4 != 0)
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(text.size() - random() % (digits + 1)), '.');
        if (random() % 3 == 0)
            text.append("e").append(std::to_string(static_cast<int>(random() % 60) - 30));
        texts.push_back(text);
    }
    for (int i = 0; i < 2000; ++i) {
        const float low = std::bit_cast<float>(static_cast<std::uint32_t>(random() % 0x7F000000u));
        const float high = std::nextafter(low, std::numeric_limits<float>::infinity());
        const double middle = (static_cast<double>(low) + static_cast<double>(high)) / 2;
        char buffer[64];
        for (double value : {middle, std::nextafter(middle, 0.0), std::nextafter(middle, 1e300)}) {
            texts.emplace_back(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
            texts.emplace_back(buffer, std::to_chars(buffer, buffer + sizeof buffer, value,
                                                     std::chars_format::scientific, 30).ptr);
        }
    }
    std::string obj;
    for (const std::string& text : texts)
        obj.append("v ").append(text).append(" 0 0\nf -1 -1 -1\n");
    MeshTriangles mesh = parse(obj);
    ASSERT_EQ(mesh.faces.size(), texts.size());
    int wrong = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& text = texts[i];
        float expected = 0;
        const bool negative = text[0] == '-';
        const char* first = text.data() + (negative ? 1 : 0);
        std::from_chars_result result = std::from_chars(first, text.data() + text.size(), expected);
        if (result.ec == std::errc::result_out_of_range)
            continue; // beyond the float range: see ReadsNumbersByTheDecimalRules
        ASSERT_EQ(result.ec, std::errc()) << text;
        ASSERT_EQ(result.ptr, text.data() + text.size()) << text;
        if (negative)
            expected = -expected;
        const float got = mesh.faces[i].position[0].x;
        if (std::bit_cast<std::uint32_t>(got) != std::bit_cast<std::uint32_t>(expected) && ++wrong <= 10)
            ADD_FAILURE() << text << " reads as " << got << ", not " << expected;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(ObjReader, NumbersIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    bool found = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "German_Germany.1252"}) {
        if (std::setlocale(LC_ALL, name)) {
            found = true;
            break;
        }
    }
    if (!found)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    Vec3 p = firstPositionOf("v 1.5 -2.25e1 0,5");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(p, (Vec3{1.5f, -22.5f, 0.0f}));
}

TEST(ObjReader, OnlySpacesSeparateTokensAndATabIsAnOrdinaryCharacter)
{
    std::vector<ReaderWarning> warnings;
    // "v\t1" is one keyword token: the numbers are 2 and 3, the third is missing.
    EXPECT_EQ(firstPositionOf("v\t1 2 3", &warnings), (Vec3{2, 3, 0}));
    // "1/1/1\t2/2/2" is one corner; its third field "1\t2" reads as 1.
    MeshTriangles mesh = parse("v 1 0 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\nvn 0 0 1\n"
                               "f 1//1\t2//2 3//1 4//1\n");
    ASSERT_EQ(mesh.faceCount(), 1);
    EXPECT_EQ(mesh.faces[0].position, (std::array<Vec3, 3>{Vec3{1, 0, 0}, Vec3{3, 0, 0}, Vec3{4, 0, 0}}));
    EXPECT_EQ(mesh.faceNormals[0].normal[0], (Vec3{0, 0, 1}));
}

TEST(ObjReader, ExtraSpacesAndLineEndsChangeNothing)
{
    std::string spaced = "v   1 2    3   \nv 4 5 6\nv 7 8 9 \nvt 0.25   0.75\nvt 0.5 0.5\nvt 1 0\n"
                         "vn 0 0 1\nvn   0 1 0\nvn 1 0 0\nf    1/1/1   2/2/2  3/3/3   \n";
    std::string crlf;
    for (char c : std::string(kTriangle)) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    std::string noLastLineEnd = std::string(kTriangle, std::strlen(kTriangle) - 1);
    std::string withByteOrderMark = "\xEF\xBB\xBF" + std::string(kTriangle);
    for (const std::string& text : {spaced, crlf, crlf.substr(0, crlf.size() - 2), noLastLineEnd, withByteOrderMark}) {
        std::vector<ReaderWarning> warnings;
        MeshTriangles mesh = parse(text, &warnings);
        ASSERT_EQ(mesh.faceCount(), 1);
        EXPECT_EQ(mesh.faces[0], triangleFace());
        EXPECT_EQ(mesh.faceNormals[0], triangleNormals());
        EXPECT_THAT(warningTexts(warnings), ::testing::IsEmpty());
    }
}

TEST(ObjReader, ShortTextsAndTheLastLinesOfATextReadLikeAnyOther)
{
    // The last lines of a text are read from a copy; they must read as the
    // same lines elsewhere do.
    struct Case {
        std::string text;
        int faces;
        Vec3 lastPosition; // first corner of the last face
    };
    const Case cases[] = {
        {"v", 0, {}},
        {"f", 1, {}},
        {"v 1 2 3", 0, {}},
        {"v 1 2 3\nf 1 1 1", 1, {1, 2, 3}},
        {"v 1 2 3\nf 1 1 1\n", 1, {1, 2, 3}},
        {"v 1 2 3\r\nf 1 1 1\r\n", 1, {1, 2, 3}},
        {"v 1 2 3\nf -1 1 1\r", 1, {1, 2, 3}},
        {"v 1 2 3\nv 4 5 6\nf 2 1 1\nf 1", 2, {1, 2, 3}},
        {"v 1 2 3\nv 4 5 6\nf 1 1 1\nf 2\n\n\n", 2, {4, 5, 6}},
        {"v 1 2 3\nv 4 5 6.5e1\nf 2 1 1", 1, {4, 5, 65}},
        {"v 1 2 3\nv 4 5 12345678901\nf 2 1 1", 1, {4, 5, 12345678901.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        MeshTriangles mesh = parse(c.text);
        ASSERT_EQ(mesh.faceCount(), c.faces);
        if (c.faces > 0) {
            EXPECT_EQ(mesh.faces.back().position[0], c.lastPosition);
        }
    }
}

TEST(ObjReader, LongLinesAreReadWhole)
{
    // A 511-character position line, and one far longer.
    std::string line511 = "v 1 2 " + std::string(511 - 7, ' ') + "3";
    ASSERT_EQ(line511.size(), 511u);
    EXPECT_EQ(firstPositionOf(line511), (Vec3{1, 2, 3}));
    EXPECT_EQ(firstPositionOf("v 1" + std::string(100000, ' ') + "2 3"), (Vec3{1, 2, 3}));

    // A long comment does not spill into a line of its own.
    std::string comment = "# " + std::string(600, 'x') + "v 9 9 9";
    MeshTriangles mesh = parse(comment + "\nv 1 2 3\nf 1 1 1\n");
    ASSERT_EQ(mesh.faceCount(), 1);
    EXPECT_EQ(mesh.faces[0].position[0], (Vec3{1, 2, 3}));
}

TEST(ObjReader, FacesKeepTheirOrderAndCornerOrder)
{
    MeshTriangles mesh = parse("v 1 0 0\nv 2 0 0\nv 3 0 0\nvt 0.1 0\nvt 0.2 0\nvt 0.3 0\n"
                               "vn 1 0 0\nvn 2 0 0\nvn 3 0 0\n"
                               "f 3/1/2 1/2/3 2/3/1\nf 2/2/2 3/3/3 1/1/1\n");
    ASSERT_EQ(mesh.faceCount(), 2);
    EXPECT_EQ(mesh.faces[0].position, (std::array<Vec3, 3>{Vec3{3, 0, 0}, Vec3{1, 0, 0}, Vec3{2, 0, 0}}));
    EXPECT_EQ(mesh.faces[0].uv, (std::array<Vec2, 3>{Vec2{0.1f, 0}, Vec2{0.2f, 0}, Vec2{0.3f, 0}}));
    EXPECT_EQ(mesh.faceNormals[0].normal, (std::array<Vec3, 3>{Vec3{2, 0, 0}, Vec3{3, 0, 0}, Vec3{1, 0, 0}}));
    EXPECT_EQ(mesh.faces[1].position, (std::array<Vec3, 3>{Vec3{2, 0, 0}, Vec3{3, 0, 0}, Vec3{1, 0, 0}}));
    EXPECT_EQ(mesh.faceNormals[1].normal, (std::array<Vec3, 3>{Vec3{2, 0, 0}, Vec3{3, 0, 0}, Vec3{1, 0, 0}}));
}

TEST(ObjReader, CornersFillWhatTheyNameAndZerosForTheRest)
{
    const std::string vertices = "v 1 2 3\nvt 0.25 0.75\nvn 0 0 1\n";
    const Vec3 p{1, 2, 3};
    const Vec2 t{0.25f, 0.75f};
    const Vec3 n{0, 0, 1};
    struct Case {
        const char* corner;
        Vec3 position;
        Vec2 uv;
        Vec3 normal;
    };
    const Case cases[] = {
        {"1/1/1", p, t, n},
        {"1//1", p, {}, n},
        {"1/1", p, t, {}},
        {"1", p, {}, {}},
        {"1/1/", p, t, {}},
        {"1//", p, {}, {}},
        {"1/1/1/1", p, t, n}, // fields after the third are ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corner);
        std::vector<ReaderWarning> warnings;
        MeshTriangles mesh = parse(vertices + "f " + c.corner + " " + c.corner + " " + c.corner + "\n", &warnings);
        ASSERT_EQ(mesh.faceCount(), 1);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(mesh.faces[0].position[k], c.position);
            EXPECT_EQ(mesh.faces[0].uv[k], c.uv);
            EXPECT_EQ(mesh.faceNormals[0].normal[k], c.normal);
        }
        EXPECT_THAT(warningTexts(warnings), ::testing::IsEmpty());
    }
}

TEST(ObjReader, NegativeIndicesCountBackFromTheLinesReadSoFar)
{
    MeshTriangles mesh = parse("v 1 0 0\nv 2 0 0\nvt 0.5 0\nvn 1 0 0\n"
                               "f -1/-1/-1 -2/-1/-1 -2//-1\n"
                               "v 3 0 0\nvt 0.75 0\n"
                               "f -1/-1 -2/-2 -3/-1\n");
    ASSERT_EQ(mesh.faceCount(), 2);
    EXPECT_EQ(mesh.faces[0].position, (std::array<Vec3, 3>{Vec3{2, 0, 0}, Vec3{1, 0, 0}, Vec3{1, 0, 0}}));
    EXPECT_EQ(mesh.faces[0].uv, (std::array<Vec2, 3>{Vec2{0.5f, 0}, Vec2{0.5f, 0}, Vec2{}}));
    EXPECT_EQ(mesh.faces[1].position, (std::array<Vec3, 3>{Vec3{3, 0, 0}, Vec3{2, 0, 0}, Vec3{1, 0, 0}}));
    EXPECT_EQ(mesh.faces[1].uv, (std::array<Vec2, 3>{Vec2{0.75f, 0}, Vec2{0.5f, 0}, Vec2{0.75f, 0}}));
}

TEST(ObjReader, IndicesThatNameNoLineReadSoFarGiveZerosAndAWarning)
{
    // Two of each kind before the face on line 7; one more position after it.
    const std::string before = "v 1 1 1\nv 2 2 2\nvt 0.5 0.5\nvt 1 1\nvn 0 0 1\nvn 0 1 0\n";
    const Vec3 p{1, 1, 1};
    const Vec2 t{0.5f, 0.5f};
    const Vec3 n{0, 0, 1};
    struct Case {
        const char* badCorner; // used as the second corner
        Vec3 position;
        Vec2 uv;
        Vec3 normal;
        const char* warning;
    };
    const Case cases[] = {
        {"0/1/1", {}, t, n, "7: face corner 2 names position 0, but indices start at 1"},
        {"3/1/1", {}, t, n, "7: face corner 2 names position 3, but the file has only 2 positions before this line"},
        {"99999999999999999999/1/1", {}, t, n,
         "7: face corner 2 names position 281474976710656, but the file has only 2 positions before this line"},
        {"-3/1/1", {}, t, n, "7: face corner 2 names position -3, but the file has only 2 positions before this line"},
        {"1/3/1", p, {}, n,
         "7: face corner 2 names texture coordinate 3, but the file has only 2 texture coordinates before this line"},
        {"1/0/1", p, {}, n, "7: face corner 2 names texture coordinate 0, but indices start at 1"},
        {"1/1/-3", p, t, {}, "7: face corner 2 names normal -3, but the file has only 2 normals before this line"},
        {"1/1/x", p, t, {}, "7: face corner 2 has 'x' where a normal index belongs"},
        {"/1/1", {}, t, n, "7: face corner 2 has no position index"},
        {"a/1/1", {}, t, n, "7: face corner 2 has 'a' where a position index belongs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.badCorner);
        std::vector<ReaderWarning> warnings;
        MeshTriangles mesh = parse(before + "f 1/1/1 " + c.badCorner + " 2/2/2\nv 3 3 3\n", &warnings);
        ASSERT_EQ(mesh.faceCount(), 1);
        const MeshFace& face = mesh.faces[0];
        const FaceNormals& normals = mesh.faceNormals[0];
        EXPECT_EQ(face.position[1], c.position);
        EXPECT_EQ(face.uv[1], c.uv);
        EXPECT_EQ(normals.normal[1], c.normal);
        // The other corners are whole.
        EXPECT_EQ(face.position[0], p);
        EXPECT_EQ(face.position[2], (Vec3{2, 2, 2}));
        EXPECT_EQ(face.uv[2], (Vec2{1, 1}));
        EXPECT_EQ(normals.normal[2], (Vec3{0, 1, 0}));
        EXPECT_THAT(warningTexts(warnings), ::testing::ElementsAre(c.warning));
        for (const ReaderWarning& w : warnings)
            EXPECT_EQ(w.file, "m.obj");
    }
}

TEST(ObjReader, AFaceUsesOnlyVertexLinesAboveIt)
{
    std::vector<ReaderWarning> warnings;
    MeshTriangles mesh = parse("v 1 1 1\nf 1 2 1\nv 2 2 2\nf 1 2 -1\n", &warnings);
    ASSERT_EQ(mesh.faceCount(), 2);
    EXPECT_EQ(mesh.faces[0].position, (std::array<Vec3, 3>{Vec3{1, 1, 1}, Vec3{}, Vec3{1, 1, 1}}));
    EXPECT_EQ(mesh.faces[1].position, (std::array<Vec3, 3>{Vec3{1, 1, 1}, Vec3{2, 2, 2}, Vec3{2, 2, 2}}));
    EXPECT_THAT(warningTexts(warnings),
                ::testing::ElementsAre("2: face corner 2 names position 2, but the file has only 1 position before "
                                       "this line"));
}

TEST(ObjReader, FacesWithOtherThanThreeCornersGiveAWarning)
{
    const std::string vertices = "v 1 0 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\nvt 0.1 0\nvt 0.2 0\nvt 0.3 0\nvt 0.4 0\n"
                                 "vn 1 0 0\nvn 2 0 0\nvn 3 0 0\nvn 4 0 0\n";
    struct Case {
        const char* face;
        std::array<Vec3, 3> positions;
        const char* warning;
    };
    const Case cases[] = {
        {"f 1/1/1 2/2/2 3/3/3 4/4/4", {Vec3{1, 0, 0}, Vec3{2, 0, 0}, Vec3{3, 0, 0}},
         "13: face has 4 corners; only the first three are used (export the mesh triangulated)"},
        {"f 4 3 2 1 1 1 ", {Vec3{4, 0, 0}, Vec3{3, 0, 0}, Vec3{2, 0, 0}},
         "13: face has 6 corners; only the first three are used (export the mesh triangulated)"},
        {"f 1/1/1 2/2/2", {Vec3{1, 0, 0}, Vec3{2, 0, 0}, Vec3{}},
         "13: face has 2 corners instead of three; the missing one is zero"},
        {"f 3/3/3", {Vec3{3, 0, 0}, Vec3{}, Vec3{}}, "13: face has 1 corner instead of three; the missing ones are zero"},
        {"f", {Vec3{}, Vec3{}, Vec3{}}, "13: face has 0 corners instead of three; the missing ones are zero"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        std::vector<ReaderWarning> warnings;
        MeshTriangles mesh = parse(vertices + c.face + "\n", &warnings);
        ASSERT_EQ(mesh.faceCount(), 1);
        EXPECT_EQ(mesh.faces[0].position, c.positions);
        EXPECT_THAT(warningTexts(warnings), ::testing::ElementsAre(c.warning));
    }
    // The quad's first three corners are whole.
    MeshTriangles quad = parse(vertices + "f 1/1/1 2/2/2 3/3/3 4/4/4\n");
    EXPECT_EQ(quad.faces[0].uv, (std::array<Vec2, 3>{Vec2{0.1f, 0}, Vec2{0.2f, 0}, Vec2{0.3f, 0}}));
    EXPECT_EQ(quad.faceNormals[0].normal, (std::array<Vec3, 3>{Vec3{1, 0, 0}, Vec3{2, 0, 0}, Vec3{3, 0, 0}}));
}

TEST(ObjReader, VertexLinesWithMissingOrOddNumbers)
{
    struct Case {
        const char* line;
        Vec3 position;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"v 1 2", {1, 2, 0}, {"1: position line has 2 of its 3 numbers; the missing one is 0"}},
        {"v 1", {1, 0, 0}, {"1: position line has 1 of its 3 numbers; the missing ones are 0"}},
        {"v", {0, 0, 0}, {"1: position line has 0 of its 3 numbers; the missing ones are 0"}},
        {"v 1 abc 3", {1, 0, 3}, {"1: position line has 'abc' where a number belongs; it reads as 0"}},
        // The decimal point's hint only where a comma stopped the number.
        {"v 1,5 2 3", {1, 2, 3}, {"1: position line has '1,5', which reads as 1 (the decimal point is \".\")"}},
        {"v 1 -2.5,25 3", {1, -2.5f, 3}, {"1: position line has '-2.5,25', which reads as -2.5 (the decimal point is \".\")"}},
        {"v 3.1+e2 2 3", {3.1f, 2, 3}, {"1: position line has '3.1+e2', which reads as 3.1"}},
        {"v 1 2 3m", {1, 2, 3}, {"1: position line has '3m', which reads as 3"}},
        {"v 1 2e 3", {1, 2, 3}, {"1: position line has '2e', which reads as 2"}},
        {"v 1.5.5 2 3", {1.5f, 2, 3}, {"1: position line has '1.5.5', which reads as 1.5"}},
        {"v 1\t,5 2 3", {1, 2, 3}, {"1: position line has '1\t,5', which reads as 1"}},
        {"v 1 2 3\t", {1, 2, 3}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<ReaderWarning> warnings;
        EXPECT_EQ(firstPositionOf(c.line, &warnings), c.position);
        EXPECT_EQ(warningTexts(warnings), c.warnings);
    }

    std::vector<ReaderWarning> warnings;
    MeshTriangles mesh = parse("v 0 0 0\nvt 0.5\nvt\nvn 1\nf 1/1/1 1/2/1 1/2/1\n", &warnings);
    ASSERT_EQ(mesh.faceCount(), 1);
    EXPECT_EQ(mesh.faces[0].uv[0], (Vec2{0.5f, 0})); // "vt u" is complete: v is 0
    EXPECT_EQ(mesh.faces[0].uv[1], (Vec2{0, 0}));
    EXPECT_EQ(mesh.faceNormals[0].normal[0], (Vec3{1, 0, 0}));
    EXPECT_THAT(warningTexts(warnings),
                ::testing::ElementsAre("3: texture coordinate line has 0 of its 1 number; the missing one is 0",
                                       "4: normal line has 1 of its 3 numbers; the missing ones are 0"));
}

TEST(ObjReader, NumbersTooLargeForAFloatReadAsZeroWithAWarning)
{
    // A number beyond the largest float is read as "inf" is: as 0, with a
    // warning. The line is the first of the file; x, y, z are the position's
    // or the normal's, or u, v of the texture coordinate.
    struct Case {
        std::string line;
        std::array<float, 3> values;
        std::vector<std::string> warnings;
    };
    const float largest = std::numeric_limits<float>::max();
    const Case cases[] = {
        {"v 1e39 2 3", {0, 2, 3}, {"1: position line has '1e39', a number too large for a 32-bit float; it reads as 0"}},
        {"v 1 -1e39 3", {1, 0, 3},
         {"1: position line has '-1e39', a number too large for a 32-bit float; it reads as 0"}},
        {"v 1 2 3.5e38", {1, 2, 0},
         {"1: position line has '3.5e38', a number too large for a 32-bit float; it reads as 0"}},
        {"v 1e99999 1e-99999 -1e999999999999", {0, 0, 0},
         {"1: position line has '1e99999', a number too large for a 32-bit float; it reads as 0",
          "1: position line has '-1e999999999999', a number too large for a 32-bit float; it reads as 0"}},
        {"v 1" + std::string(39, '0') + " 0 0", {0, 0, 0},
         {"1: position line has '1" + std::string(39, '0')
          + "', a number too large for a 32-bit float; it reads as 0"}},
        {"v 1e39,5 +1e39x 0", {0, 0, 0},
         {"1: position line has '1e39,5', a number too large for a 32-bit float; it reads as 0",
          "1: position line has '+1e39x', a number too large for a 32-bit float; it reads as 0"}},
        {"vt 1e39 0.5", {0, 0.5f, 0},
         {"1: texture coordinate line has '1e39', a number too large for a 32-bit float; it reads as 0"}},
        {"vt 0.5 -3.5e38", {0.5f, 0, 0},
         {"1: texture coordinate line has '-3.5e38', a number too large for a 32-bit float; it reads as 0"}},
        {"vn 0 0 1e40", {0, 0, 0}, {"1: normal line has '1e40', a number too large for a 32-bit float; it reads as 0"}},
        {"vn -1e39 1 0", {0, 1, 0},
         {"1: normal line has '-1e39', a number too large for a 32-bit float; it reads as 0"}},
        // The same as the text "inf".
        {"v inf -inf 0", {0, 0, 0},
         {"1: position line has 'inf' where a number belongs; it reads as 0",
          "1: position line has '-inf' where a number belongs; it reads as 0"}},
        // The largest floats themselves are read.
        {"v 3.4028235e38 -3.4028235e38 1e-99999", {largest, -largest, 0}, {}},
    };
    test::TempDir dir;
    const std::string path = dir.file("m.obj");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string text = c.line + "\nv 7 7 7\nvt 7 7\nvn 7 7 7\nf 1/1/1 1/1/1 1/1/1\n";
        test::writeFile(path, text);
        auto check = [&](const MeshTriangles& mesh, const std::vector<ReaderWarning>& warnings) {
            ASSERT_EQ(mesh.faceCount(), 1);
            const std::array<float, 3>& v = c.values;
            switch (c.line[1]) {
            case 't':
                EXPECT_EQ(mesh.faces[0].uv[0], (Vec2{v[0], v[1]}));
                break;
            case 'n':
                EXPECT_EQ(mesh.faceNormals[0].normal[0], (Vec3{v[0], v[1], v[2]}));
                break;
            default:
                EXPECT_EQ(mesh.faces[0].position[0], (Vec3{v[0], v[1], v[2]}));
            }
            std::vector<std::string> texts;
            for (const ReaderWarning& w : warnings)
                texts.push_back(std::to_string(w.line) + ": " + w.what);
            EXPECT_EQ(texts, c.warnings);
        };
        {
            SCOPED_TRACE("text in memory");
            std::vector<ReaderWarning> warnings;
            const MeshTriangles mesh = parse(text, &warnings);
            check(mesh, warnings);
        }
        for (std::size_t chunks : {0, 2, 5}) {
            SCOPED_TRACE(chunks == 0 ? "file in file order" : std::to_string(chunks) + " chunks");
            MeshTriangles mesh;
            std::vector<ReaderWarning> warnings;
            ASSERT_TRUE(loadObjMesh(path, mesh, &warnings, ObjReadOptions{1, chunks}));
            check(mesh, warnings);
        }
    }
}

TEST(ObjReader, WarningsAreBoundedPerFile)
{
    std::string text = "v 0 0 0\n";
    const int badFaces = 5000;
    for (int i = 0; i < badFaces; ++i)
        text += "f 1 2 3\n"; // two bad corners each
    std::vector<ReaderWarning> warnings{ReaderWarning{"other.obj", 1, "from before"}};
    MeshTriangles mesh = parse(text, &warnings);
    EXPECT_EQ(mesh.faceCount(), badFaces);
    ASSERT_EQ(warnings.size(), 1u + kMaxObjWarnings + 1u);
    EXPECT_EQ(warnings.front().what, "from before");
    EXPECT_EQ(warnings[1].line, 2);
    EXPECT_EQ(warnings[kMaxObjWarnings].line, 2 + (kMaxObjWarnings - 1) / 2);
    EXPECT_EQ(warnings.back().line, 0);
    EXPECT_EQ(warnings.back().file, "m.obj");
    EXPECT_EQ(warnings.back().what, "and " + std::to_string(2 * badFaces - kMaxObjWarnings) + " more warnings");

    // Without a list to fill the result is the same.
    MeshTriangles quiet = parse(text);
    EXPECT_EQ(quiet.faces, mesh.faces);

    // One beyond the limit.
    std::string oneMore = "v 0 0 0\n";
    for (int i = 0; i <= kMaxObjWarnings; ++i)
        oneMore += "f 1 1 1 1\n";
    warnings.clear();
    parse(oneMore, &warnings);
    ASSERT_EQ(warnings.size(), kMaxObjWarnings + 1u);
    EXPECT_EQ(warnings.back().what, "and 1 more warning");
}

TEST(ObjReader, AFolderIsNotAMeshFile)
{
    test::TempDir dir;
    MeshTriangles mesh;
    Status status = loadObjMesh(dir.path().string(), mesh);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.reason(), "cannot read mesh file '" + dir.path().string() + "': is a folder");
}

} // namespace
} // namespace kes
