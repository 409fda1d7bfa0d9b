#include <string>

#include <gtest/gtest.h>

#include "model/printable_text.h"

namespace kes {
namespace {

TEST(PrintableText, EscapesControlCharactersAndBytesThatAreNotUtf8)
{
    const struct {
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {"plain text", "f 1/2/3 x.obj", "f 1/2/3 x.obj"},
        {"backslashes stay", "C:\\levels\\a.obj", "C:\\levels\\a.obj"},
        {"UTF-8 stays", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"escape sequence", "\x1b[31mred", "\\x1B[31mred"},
        {"tab, newline, carriage return", "a\tb\nc\r", "a\\x09b\\x0Ac\\x0D"},
        {"NUL and DEL", std::string("a\0b\x7f", 4), "a\\x00b\\x7F"},
        {"C1 control as UTF-8", "\xC2\x9B" "2J", "\\xC2\\x9B2J"},
        {"8-bit text", "Caf\xE9", "Caf\\xE9"},
        {"overlong form", "\xC0\xAF", "\\xC0\\xAF"},
        {"surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {"cut sequence at the end", "a\xE2\x82", "a\\xE2\\x82"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
        {"lone continuation byte", "\x80x", "\\x80x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(printableText(c.in), c.out);
    }
}

} // namespace
} // namespace kes
