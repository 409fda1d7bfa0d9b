// The lines under the preview that say where the mesh readers worked around
// problems: one for each layer and file, the first few only, then how many
// more files there are.
#pragma once

#include <vector>

#include <QString>

#include "scene/scene_warnings.h"

namespace kes::editor {

struct WarningLine {
    QString text;    // "layer 2, ground.obj: 3 reader warnings"
    QString toolTip; // the file's whole path and its first warning
};

// At most `shown` lines of files, then "and N more files with reader
// warnings" for the others, whose lines its tooltip holds.
std::vector<WarningLine> warningLines(const std::vector<FileWarnings>& files, int shown = 3);

} // namespace kes::editor
