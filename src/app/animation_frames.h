// The numbered frame files of an animated layer ("wave_000001.obj",
// "wave_000002.obj", ... for the base path "wave.obj"). Free of any
// user-interface code.
#pragma once

#include <optional>
#include <string>

namespace kes::editor {

// The base path of a numbered frame file: "meshes/wave.obj" for
// "meshes/wave_000001.obj" (any frame number, six digits, ".obj" in any
// case); none for a path that is not a numbered frame file.
std::optional<std::string> frameBasePath(const std::string& path);

// How many frame files 1, 2, 3, ... exist one after the other for the base
// path (as generation names them), counting at most `limit`.
int countFrameFiles(const std::string& basePath, int limit = 65535);

// "3 frame files found".
std::string frameFilesFoundText(int count);

} // namespace kes::editor
