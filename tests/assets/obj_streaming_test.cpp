// Streaming a mesh file's triangles must hand on exactly what reading them
// into memory gives, in order, after their number and in whole triangles,
// and must stop handing on at the first failure of the receiver.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/temp_dir.h"
#include "assets/obj_reader.h"
#include "generated_obj.h"

namespace kes {
namespace {

// Keeps what it is handed; fails the take numbered `failingTake` (1-based).
class CollectingSink : public InterleavedSink {
public:
    explicit CollectingSink(bool withNormals, int failingTake = 0)
        : triangleSize_(interleavedTriangleSize(withNormals)), failingTake_(failingTake)
    {
    }
    Status begin(std::uint64_t triangles) override
    {
        ++begins;
        EXPECT_TRUE(bytes.empty()) << "begin() after triangles";
        counted = triangles;
        return Status::success();
    }
    Status take(std::span<std::uint8_t> triangles) override
    {
        ++takes;
        EXPECT_EQ(begins, 1);
        EXPECT_FALSE(triangles.empty());
        EXPECT_EQ(triangles.size() % triangleSize_, 0u) << "a piece of a triangle";
        if (takes == failingTake_)
            return Status::failure("the disk is full");
        bytes.insert(bytes.end(), triangles.begin(), triangles.end());
        return Status::success();
    }

    int begins = 0;
    int takes = 0;
    std::uint64_t counted = 0;
    std::vector<std::uint8_t> bytes;

private:
    std::size_t triangleSize_;
    int failingTake_;
};

// Refuses the triangles' number.
struct RefusingSink : InterleavedSink {
    Status begin(std::uint64_t) override { return Status::failure("too many triangles"); }
    Status take(std::span<std::uint8_t>) override
    {
        ++takes;
        return Status::success();
    }
    int takes = 0;
};

std::vector<std::string> warningTexts(const std::vector<ReaderWarning>& warnings)
{
    std::vector<std::string> texts;
    for (const ReaderWarning& w : warnings)
        texts.push_back(w.file + ":" + std::to_string(w.line) + ": " + w.what);
    return texts;
}

TEST(ObjStreaming, HandsOnWhatReadingIntoMemoryGives)
{
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"a modelling program's export, in many pieces", test::generateObj(4, 3000, 11).text},
        {"warnings: a quad, an index that names nothing, a bad number",
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1,5 1 0\nf 1 2 3 4\nf 1 2 99\nf -1 -2 -3\n"},
        {"no face", "v 0 0 0\n# nothing else\n"},
        {"empty", ""},
        {"a last line without its end", "v 0 0 0\nv 1 0 0\nv 0 1 0\r\nf 1 2 3"},
    };
    test::TempDir dir;
    const std::string path = dir.file("mesh.obj");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(path, c.text);
        for (bool withNormals : {false, true}) {
            SCOPED_TRACE(withNormals ? "with normals" : "without normals");
            std::vector<std::uint8_t> expected;
            std::vector<ReaderWarning> expectedWarnings;
            ASSERT_TRUE(loadObjInterleaved(path, withNormals, expected, &expectedWarnings));

            CollectingSink sink(withNormals);
            std::vector<ReaderWarning> warnings{ReaderWarning{"earlier", 1, "kept"}};
            bool sinkFailed = true;
            ASSERT_TRUE(streamObjInterleaved(path, withNormals, sink, &warnings, &sinkFailed));
            EXPECT_FALSE(sinkFailed);
            EXPECT_EQ(sink.begins, 1);
            EXPECT_EQ(sink.counted, expected.size() / interleavedTriangleSize(withNormals));
            EXPECT_TRUE(sink.bytes == expected);
            ASSERT_FALSE(warnings.empty());
            warnings.erase(warnings.begin());
            EXPECT_EQ(warningTexts(warnings), warningTexts(expectedWarnings));
        }
    }
}

TEST(ObjStreaming, ALargeMeshGoesInSeveralPieces)
{
    const test::GeneratedObj obj = test::generateObj(4, 3000, 5);
    test::TempDir dir;
    const std::string path = dir.file("mesh.obj");
    test::writeFile(path, obj.text);
    CollectingSink sink(false);
    ASSERT_TRUE(streamObjInterleaved(path, false, sink));
    EXPECT_GT(sink.takes, 1);
}

TEST(ObjStreaming, StopsAtTheReceiversFailure)
{
    const test::GeneratedObj obj = test::generateObj(4, 3000, 7);
    test::TempDir dir;
    const std::string path = dir.file("mesh.obj");
    test::writeFile(path, obj.text + "f 1 2\n");
    CollectingSink sink(true, 2);
    std::vector<ReaderWarning> warnings;
    bool sinkFailed = false;
    Status status = streamObjInterleaved(path, true, sink, &warnings, &sinkFailed);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.reason(), "the disk is full");
    EXPECT_TRUE(sinkFailed);
    EXPECT_EQ(sink.takes, 2) << "handed on after the failure";
    EXPECT_FALSE(warnings.empty()) << "the file is still read to its end";
}

// Parsed in chunks, the triangles are handed on from the parsing threads, a
// few thousand at a time; a failing receiver gets nothing more, and a
// refused count stops everything before the first triangle.
TEST(ObjStreaming, InChunksStopsAtTheReceiversFailureToo)
{
    const test::GeneratedObj obj = test::generateObj(4, 3000, 7);
    test::TempDir dir;
    const std::string path = dir.file("mesh.obj");
    test::writeFile(path, obj.text + "f 1 2\n");
    ObjReadOptions options;
    options.threads = 2;
    options.chunks = 6;

    CollectingSink whole(true);
    ASSERT_TRUE(streamObjInterleaved(path, true, whole, nullptr, nullptr, options));
    ASSERT_GT(whole.takes, 3);

    for (int failingTake : {1, 2, whole.takes}) {
        SCOPED_TRACE("failing take " + std::to_string(failingTake));
        CollectingSink sink(true, failingTake);
        std::vector<ReaderWarning> warnings;
        bool sinkFailed = false;
        Status status = streamObjInterleaved(path, true, sink, &warnings, &sinkFailed, options);
        ASSERT_FALSE(status);
        EXPECT_EQ(status.reason(), "the disk is full");
        EXPECT_TRUE(sinkFailed);
        EXPECT_EQ(sink.takes, failingTake) << "handed on after the failure";
        EXPECT_FALSE(warnings.empty()) << "the file is still read to its end";
    }

    RefusingSink refusing;
    bool sinkFailed = false;
    Status status = streamObjInterleaved(path, false, refusing, nullptr, &sinkFailed, options);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.reason(), "too many triangles");
    EXPECT_TRUE(sinkFailed);
    EXPECT_EQ(refusing.takes, 0);
}

TEST(ObjStreaming, AFileThatCannotBeOpenedFailsBeforeAnything)
{
    test::TempDir dir;
    const std::string missing = dir.file("missing.obj");
    CollectingSink sink(false);
    bool sinkFailed = true;
    Status status = streamObjInterleaved(missing, false, sink, nullptr, &sinkFailed);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.reason(), "cannot read mesh file '" + missing + "': no such file or folder");
    EXPECT_FALSE(sinkFailed);
    EXPECT_EQ(sink.begins, 0);
}

} // namespace
} // namespace kes
