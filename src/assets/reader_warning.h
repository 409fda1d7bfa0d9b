// A problem in an input file that the readers worked around.
#pragma once

#include <string>

namespace kes {

struct ReaderWarning {
    std::string file;   // the file's path as given to the reader
    int line = 0;       // 1-based line (OBJ), or 0 when it has none
    std::string what;   // "face corner 2 names position 17, but only 12 were read"
};

} // namespace kes
