#include "check/mesh_text.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "model/file_io.h"

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
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    if (!in)
        return false;
    // Read in large pieces: the file may be a mesh of many megabytes.
    std::vector<std::uint8_t> piece(1 << 20);
    bool first = true;
    while (in) {
        in.read(reinterpret_cast<char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
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
