// The project file (.kgp): the level's settings and both tables, so that work
// can continue later.
//
// Layout (little-endian): "KESGENPROJ"; title and author as 250-byte text
// fields; versionMajor and versionMinor as int32; framesLR as float32;
// startPosition and backgroundColor as 250-byte text fields; the layer count
// (int32) and that many 560-byte layer records; the target count (int32) and
// that many 16-byte target records. 1030 + 560 L + 16 T bytes in all.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/level_model.h"
#include "model/status.h"

namespace kes {

inline constexpr char kProjectHeader[] = "KESGENPROJ"; // 10 characters, stored without NUL
inline constexpr std::size_t kProjectHeaderSize = 10;

// The largest project file: 32 layers and 32 targets. Reading a project
// stops there, so that an endless stream cannot fill the memory.
inline constexpr std::size_t kMaxProjectSize = 1030 + 560 * 32 + 16 * 32;

// The message for a file that does not start with the header.
inline constexpr char kBadProjectHeaderMessage[] = "Invalid File: Header incorrect.";

// A new project: default settings, both tables empty.
void resetToDefaults(LevelProject& project);

// The bytes of the project file for `project`. The version numbers and the
// frames to use L/R are stored as the numbers their texts lead with.
std::vector<std::uint8_t> encodeProject(const LevelProject& project);

// True when `bytes` start with the project file header.
bool hasProjectHeader(std::span<const std::uint8_t> bytes);

// Reads a project from the bytes of a project file. On failure `project` is
// unchanged and the reason is kBadProjectHeaderMessage for a wrong header, or
// says what else is wrong ("Invalid File: layer count 40 is not between 0 and
// 32."). The loaded version texts are the stored integers ("%d"), framesLR the
// stored number without decimals ("%.0f").
Status decodeProject(std::span<const std::uint8_t> bytes, LevelProject& project);

// Writes the project to `path`. The file at `path` is replaced only once the
// whole new file has been written; on failure it is left as it was.
Status saveProject(const LevelProject& project, const std::string& path);

// Reads the project at `path` into `project`; on any failure `project` is
// unchanged. Reads no more than kMaxProjectSize bytes of the file.
Status loadProject(const std::string& path, LevelProject& project);

} // namespace kes
