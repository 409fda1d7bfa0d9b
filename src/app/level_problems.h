// Every problem of the level that "Generate Level..." is about to write,
// gathered in one pass before anything is written: what stops generation
// (errors) and what generation works around (warnings), each with its layer
// and file.
//
// This is the editor's view of the level check that the command-line check
// shares; it reads every mesh and texture the level uses, one at a time.
#pragma once

#include <string>
#include <vector>

#include "model/level_model.h"

namespace kes::editor {

struct LevelProblem {
    bool error = false;
    int layer = -1;   // 0-based; -1 for the level's settings
    std::string file; // empty when it is in no file
    int line = 0;     // 1-based line in `file`; 0 for none
    std::string what;
};

// The problems of `project`, whose relative paths are taken from
// `projectFolder`, in the order generation meets them.
std::vector<LevelProblem> gatherLevelProblems(const LevelProject& project, const std::string& projectFolder);

// One line: "error: layer 2: 'rock.obj': cannot read ...",
// "warning: layer 1: ground.obj:7: face with 4 corners ...".
std::string problemLine(const LevelProblem& problem);

} // namespace kes::editor
