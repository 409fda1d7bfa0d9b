#include "check/mesh_text.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "model/file_io.h"

namespace kes {

bool looksLikeBinaryText(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
        return true;
    return std::find(bytes.begin(), bytes.end(), std::uint8_t(0)) != bytes.end();
}

bool meshFileIsNotText(const std::string& path)
{
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    if (!in)
        return false;
    std::vector<std::uint8_t> piece(1 << 16);
    bool first = true;
    while (in) {
        in.read(reinterpret_cast<char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0)
            break;
        // The byte order mark counts only at the very start.
        std::span<const std::uint8_t> bytes(piece.data(), got);
        if (first ? looksLikeBinaryText(bytes) : std::find(bytes.begin(), bytes.end(), 0) != bytes.end())
            return true;
        first = false;
    }
    return false;
}

} // namespace kes
