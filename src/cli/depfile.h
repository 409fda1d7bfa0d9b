// Make dependency files, as compilers write them for Make and Ninja.
#pragma once

#include <string>
#include <vector>

namespace kes::cli {

// "target: dep1 \\\n  dep2\n", with every path escaped for Make: a space or
// "#" gets a backslash in front (and backslashes just before them are
// doubled), "$" becomes "$$". Every dependency also gets an empty rule of its
// own, so that Make does not stop when an input is deleted or renamed.
std::string depfileText(const std::string& target, const std::vector<std::string>& dependencies);

} // namespace kes::cli
