// The command line as UTF-8 texts, on every system.
#pragma once

#include <string>
#include <vector>

namespace kes::cli {

// The program's arguments in UTF-8. On Windows `argv` holds them in the
// system's code page, which can't name every file: they are taken again from
// the wide command line, and the console is told to show UTF-8 output.
// Elsewhere they are `argv` as it is (file names are bytes, normally UTF-8).
class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);

    int count() const { return static_cast<int>(pointers_.size()) - 1; }
    char** values() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

} // namespace kes::cli
