#include "check/mesh_text.h"

#include <cstring>
#include <vector>

#include "model/input_file.h"

namespace kes {

namespace {

bool holdsNul(std::span<const std::uint8_t> bytes)
{
    return !bytes.empty() && std::memchr(bytes.data(), 0, bytes.size()) != nullptr;
}

} // namespace

bool looksLikeBinaryText(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
        return true;
    return holdsNul(bytes);
}

bool meshFileIsNotText(const std::string& path)
{
    InputFile in;
    if (!in.open(path))
        return false;
    // Read in large pieces: the file may be a mesh of many megabytes.
    std::vector<std::uint8_t> piece(1 << 20);
    bool first = true;
    for (;;) {
        const std::size_t got = in.read(piece.data(), piece.size());
        if (got == 0)
            break;
        // The byte order mark counts only at the very start.
        std::span<const std::uint8_t> bytes(piece.data(), got);
        if (first ? looksLikeBinaryText(bytes) : holdsNul(bytes))
            return true;
        first = false;
    }
    return false;
}

} // namespace kes
