// kesgen-bench-level FOLDER: writes the synthetic benchmark level into FOLDER
// and the one-mesh level into FOLDER/one, and prints what they hold.
#include <cstdio>
#include <exception>

#include "model/file_io.h"
#include "synthetic_level.h"

namespace {

void describe(const kes::bench::SyntheticLevel& level)
{
    std::printf("%s: %d layers, %llu triangles, %.1f MB of OBJ, %.1f MB of BMP\n", level.projectPath.c_str(),
                level.layers, static_cast<unsigned long long>(level.triangles), level.objBytes / 1e6,
                level.bmpBytes / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kesgen-bench-level FOLDER\n");
        return 2;
    }
    try {
        describe(kes::bench::makeSyntheticLevel(argv[1]));
        describe(kes::bench::makeOneMeshLevel(kes::pathToUtf8(kes::pathFromUtf8(argv[1]) / "one")));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
