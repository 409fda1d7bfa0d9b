// kesgen-bench-level FOLDER: writes the synthetic benchmark level into FOLDER
// and prints what it holds.
#include <cstdio>
#include <exception>

#include "synthetic_level.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kesgen-bench-level FOLDER\n");
        return 2;
    }
    try {
        kes::bench::SyntheticLevel level = kes::bench::makeSyntheticLevel(argv[1]);
        std::printf("%s: %d layers, %llu triangles, %.1f MB of OBJ, %.1f MB of BMP\n", level.projectPath.c_str(),
                    level.layers, static_cast<unsigned long long>(level.triangles), level.objBytes / 1e6,
                    level.bmpBytes / 1e6);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
