#include "model/printable_text.h"

#include <cstdint>

namespace kes {
namespace {

void appendEscaped(std::string& out, unsigned char byte)
{
    const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

// The length of the valid UTF-8 sequence at `at` (shortest form, no
// surrogates, at most U+10FFFF), or 0 when there is none.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at, std::uint32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char first = byte(at);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (first < 0x80) {
        codePoint = first;
        return 1;
    } else if ((first & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = first & 0x1F;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = first & 0x0F;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = first & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string printableText(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = utf8SequenceLength(bytes, at, codePoint);
        if (length == 0) {
            appendEscaped(out, static_cast<unsigned char>(bytes[at]));
            ++at;
            continue;
        }
        const bool control = codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint <= 0x9F);
        if (control) {
            for (std::size_t i = 0; i < length; ++i)
                appendEscaped(out, static_cast<unsigned char>(bytes[at + i]));
        } else {
            out.append(bytes.substr(at, length));
        }
        at += length;
    }
    return out;
}

} // namespace kes
