// A file written beside its target must arrive whole, also when it is made
// durable on another thread while it is written, and a flush that fails must
// not be lost.
#include <cerrno>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "../support/temp_dir.h"
#include "model/disk_flusher.h"
#include "model/file_io.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kes {
namespace {

TEST(AtomicFile, ALargeFileArrivesWholeWhileItIsFlushedOnTheWay)
{
    test::TempDir dir;
    const std::string target = dir.file("level.kes");
    test::writeFile(target, std::string("the earlier level"));
    std::vector<std::uint8_t> expected;
    {
        AtomicFile file;
        ASSERT_TRUE(file.open(target));
        // 20 MiB in pieces of odd sizes: several flushes on the way.
        std::vector<std::uint8_t> piece;
        for (int i = 0; expected.size() < (std::size_t(20) << 20); ++i) {
            piece.assign(std::size_t(700000) + std::size_t(i) * 3, static_cast<std::uint8_t>(i * 7));
            ASSERT_TRUE(file.write(piece.data(), piece.size()));
            expected.insert(expected.end(), piece.begin(), piece.end());
        }
        EXPECT_EQ(test::readFile(target).size(), std::string("the earlier level").size()) << "replaced too early";
        ASSERT_TRUE(file.commit());
    }
    EXPECT_TRUE(test::readFile(target) == expected);
    EXPECT_EQ(dir.entries().size(), 1u) << "a temporary file was left";

    // Discarded after several flushes: the earlier file stays.
    {
        AtomicFile file;
        ASSERT_TRUE(file.open(target));
        const std::vector<std::uint8_t> zeros(std::size_t(17) << 20, 0);
        ASSERT_TRUE(file.write(zeros.data(), zeros.size()));
    }
    EXPECT_TRUE(test::readFile(target) == expected);
    EXPECT_EQ(dir.entries().size(), 1u);
}

#ifndef _WIN32
TEST(DiskFlusher, TellsOfAFlushThatFailed)
{
    struct Case {
        const char* name;
        int fd;
        int expected;
    };
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    test::TempDir dir;
    test::writeFile(dir.file("data"), std::string("some bytes"));
    std::FILE* file = std::fopen(dir.file("data").c_str(), "rb+");
    ASSERT_NE(file, nullptr);
    const Case cases[] = {
        {"a file", fileno(file), 0},
        {"a pipe, which has nothing to flush", pipeEnds[1], 0},
        {"a descriptor that is not open", 1000, EBADF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiskFlusher flusher(c.fd);
        for (int i = 0; i < 3; ++i)
            flusher.request();
        EXPECT_EQ(flusher.stop(), c.expected);
        flusher.request(); // ignored once stopped
        EXPECT_EQ(flusher.stop(), c.expected);
    }
    DiskFlusher neverAsked(1000);
    EXPECT_EQ(neverAsked.stop(), 0) << "no flush, no failure";
    std::fclose(file);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}
#endif

} // namespace
} // namespace kes
