// A problem in an input file that the readers worked around.
#pragma once

#include <string>

namespace kes {

struct ReaderWarning {
    std::string file;   // the file's path as given to the reader
    int line = 0;       // 1-based line (OBJ), or 0 when it has none
    std::string what;   // "face corner 2 names position 17, but only 12 were read"
};

// "mesh.obj:4: what", or "mesh.obj: what" without a line: how every part of
// kesgen shows a warning (after "warning: ").
inline std::string formatWarning(const ReaderWarning& warning)
{
    std::string text = warning.file;
    if (warning.line > 0)
        text.append(":").append(std::to_string(warning.line));
    return text.append(": ").append(warning.what);
}

} // namespace kes
