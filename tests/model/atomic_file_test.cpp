// A file written beside its target must arrive whole, also when it is made
// durable on another thread while it is written, and a flush that fails must
// not be lost.
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "../support/temp_dir.h"
#include "model/disk_flusher.h"
#include "model/file_io.h"

#ifndef _WIN32
#include <sys/wait.h>
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

// While it is written, the new file has no name beside the target on Linux,
// so a process killed meanwhile leaves nothing; it gets one only when it is
// whole, and replaces the target keeping every byte.
TEST(AtomicFile, NoTemporaryNameWhileWriting)
{
    test::TempDir dir;
    const std::string target = dir.file("level.kes");
    test::writeFile(target, std::string("the earlier level"));
    AtomicFile file;
    ASSERT_TRUE(file.open(target));
    ASSERT_TRUE(file.write("new bytes", 9));
#ifdef __linux__
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"level.kes"});
#endif
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(test::readFile(target), (std::vector<std::uint8_t>{'n', 'e', 'w', ' ', 'b', 'y', 't', 'e', 's'}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"level.kes"});
}

#ifndef _WIN32
// Opening a file removes the temporary files that ended processes of this
// host left beside the same target, and nothing else.
TEST(AtomicFile, OpeningRemovesTheTemporaryFilesOfEndedProcesses)
{
    test::TempDir dir;
    const std::string target = dir.file("level.kes");
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const long ended = child;
    struct Case {
        std::string name;
        bool removed;
    };
    const Case cases[] = {
        {temporaryNameStart(target, ended) + "a1b2c3d4.tmp", true},
        {temporaryNameStart(target, getpid()) + "a1b2c3d4.tmp", false},     // this process
        {temporaryNameStart(target, getppid()) + "a1b2c3d4.tmp", false},    // one that runs
        {target + ".kesgen-another_host-" + std::to_string(ended) + "-a1b2c3d4.tmp", false},
        {temporaryNameStart(dir.file("other.kes"), ended) + "a1b2c3d4.tmp", false}, // another target
        {temporaryNameStart(target, ended) + "a1b2c3d4.txt", false},
    };
    for (const Case& c : cases)
        test::writeFile(c.name, std::string("left behind"));
    AtomicFile file;
    ASSERT_TRUE(file.open(target));
    ASSERT_TRUE(file.commit());
    for (const Case& c : cases)
        EXPECT_EQ(std::filesystem::exists(c.name), !c.removed) << c.name;
}
#endif

} // namespace
} // namespace kes
