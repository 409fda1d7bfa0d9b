// Where the designer's guide (docs/guide.md) is found on this machine.
#pragma once

#include <string>
#include <vector>

namespace kes::editor {

// The places where the guide may be, in the order they are tried: installed
// beside the program (PREFIX/share/doc/kesgen/guide.md for PREFIX/bin/kesgen),
// then the source tree the program was built from.
std::vector<std::string> guideCandidates(const std::string& programFolder);

// The first candidate that is an existing file; empty when there is none.
std::string findGuide(const std::string& programFolder);

} // namespace kes::editor
