#include "scene/scene_warnings.h"

namespace kes {

std::vector<FileWarnings> warningsByFile(const Scene& scene)
{
    std::vector<FileWarnings> files;
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        for (const auto& frame : scene.layers[i].frames) {
            for (const ReaderWarning& warning : frame->warnings) {
                const int layer = static_cast<int>(i);
                if (files.empty() || files.back().layer != layer || files.back().file != warning.file)
                    files.push_back({layer, warning.file, 0, warning});
                ++files.back().count;
            }
        }
    }
    return files;
}

} // namespace kes
