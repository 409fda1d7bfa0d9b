#include <string>

#include <gtest/gtest.h>

#include "check/mesh_text.h"
#include "support/level_fixtures.h"

namespace kes {
namespace {

// The file is read in pieces of 1 MiB: a NUL byte counts wherever it is, a
// byte order mark only at the very start, also where a piece begins.
TEST(MeshText, ANulByteAnywhereOrAByteOrderMarkAtTheStart)
{
    const std::size_t piece = std::size_t(1) << 20;
    const std::string text = "v 0 0 0\n";
    std::string large;
    while (large.size() < 3 * piece)
        large += text;
    auto withByte = [](std::string bytes, std::size_t at, char byte) {
        bytes.replace(at, 1, 1, byte);
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
        bool notText;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"a line of text", text, false},
        {"several pieces of text", large, false},
        {"UTF-16, little end first", std::string("\xFF\xFEv\0 \0", 6), true},
        {"UTF-16, big end first", std::string("\xFE\xFF\0v\0 ", 6), true},
        {"NUL in the first line", withByte(text, 3, '\0'), true},
        {"NUL as the last byte of the first piece", withByte(large, piece - 1, '\0'), true},
        {"NUL as the first byte of the second piece", withByte(large, piece, '\0'), true},
        {"NUL as the file's last byte", withByte(large, large.size() - 1, '\0'), true},
        {"a byte order mark where the second piece starts", withByte(withByte(large, piece, '\xFF'), piece + 1, '\xFE'),
         false},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir.file("mesh.obj"), c.bytes);
        EXPECT_EQ(meshFileIsNotText(dir.file("mesh.obj")), c.notText);
    }
    EXPECT_FALSE(meshFileIsNotText(dir.file("missing.obj")));
}

} // namespace
} // namespace kes
