// Every problem of a project and of the files its level is made from,
// gathered without writing anything: what stops generation (errors) and what
// generation would work around or change (warnings).
#pragma once

#include <string>
#include <vector>

#include "check/level_inputs.h"
#include "model/level_model.h"

namespace kes {

enum class ProblemSeverity { Error, Warning };

struct ProjectProblem {
    ProblemSeverity severity = ProblemSeverity::Error;
    int layer = -1;     // 0-based layer the problem belongs to; -1 for none
    std::string file;   // the file it is in, as generation opens it; empty for the project's own values
    int line = 0;       // 1-based line in `file`; 0 when it has none
    // What is wrong, as printable UTF-8: bytes quoted from the files are
    // escaped (see printableText).
    std::string what;
};

struct ProjectCheck {
    std::vector<ProjectProblem> problems; // in the order generation meets them
    std::vector<LevelInput> inputs;       // every file generation reads (see levelInputs)

    bool hasErrors() const;
    bool hasWarnings() const;
};

// Checks the settings and tables of `project` and reads every mesh and
// texture that generating it reads (relative paths from `baseFolder`, the
// project's folder), on up to `threads` threads at once: 1 reads them one at
// a time on the calling thread, 0 uses as many threads as generation does by
// default. The problems are the same, in the same order, for any number of
// threads. An input that is a pipe or a device is not read here (it could
// wait for data without end, or take what generation needs).
//
// Errors: a mesh or texture file that cannot be read or used, a layer
// without a mesh path, a drawn layer without a texture path, and a start
// position or background colour that does not hold its six or three numbers.
// Warnings: a stored path that names no file and is relinked to the file of
// the same name in the project's folder (as generation does), a start
// position or background colour whose numbers read other than they look (not
// finite, too many, stray characters), what the OBJ reader works around
// (faces with more or fewer than three corners, indices that name no line,
// numbers that do not read cleanly), a mesh file that is not text (UTF-16,
// NUL bytes), an empty title, author, version or frames to use L/R, a version
// or frames to use L/R that is not a number, a version outside 0 to 65535, a
// title or author longer than the 249 bytes a project holds, unknown layer
// and target kinds, and an animated layer whose frame count is 0 or above
// 65535.
ProjectCheck checkProject(const LevelProject& project, const std::string& baseFolder, int threads = 1);

// Reads the project file at `projectPath` and checks it as checkProject does,
// with its folder as the base folder. A project file that cannot be read is
// one error naming it.
ProjectCheck checkProjectFile(const std::string& projectPath);

// One line for a problem, without the "error: " or "warning: " in front:
// "mesh.obj:4: what (layer 2)", "layer 3: what", or "what".
std::string problemLine(const ProjectProblem& problem);

// The line `kesgen-cli check` prints and the editor lists for a problem:
// problemLine with "error: " or "warning: " in front.
std::string problemMessage(const ProjectProblem& problem);

} // namespace kes
