// Reading an input file whole, with a failure reason that says which kind of
// file could not be read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/status.h"

namespace kes {

// Reads the whole file at `path` (UTF-8) into `bytes`. `kind` names the kind of
// file in the reason of a failure, such as "mesh file" in
// "cannot read mesh file 'x.obj': no such file or folder"; `bytes` is then
// empty.
Status readAssetFile(const std::string& path, std::string_view kind, std::vector<std::uint8_t>& bytes);

} // namespace kes
