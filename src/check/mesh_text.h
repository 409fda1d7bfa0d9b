// Whether a mesh file is text at all: OBJ files are 8-bit or UTF-8 text, and
// a file saved as UTF-16 or holding NUL bytes reads as nothing useful.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kes {

// The warning for a mesh file that is not text.
inline constexpr char kMeshNotTextWarning[]
    = "it is not a text file (UTF-16 or NUL bytes); save the mesh as 8-bit or UTF-8 text";

// True when `bytes` start with a UTF-16 byte order mark or hold a NUL byte.
bool looksLikeBinaryText(std::span<const std::uint8_t> bytes);

// The same for the file at `path` (UTF-8), read piece by piece; false when it
// cannot be read.
bool meshFileIsNotText(const std::string& path);

} // namespace kes
