// Level files in the editor: telling a designer who opened one as a project
// what it is, and importing one as a new project.
#pragma once

#include <string>

#include "app/platform_services.h"

class QWidget;

namespace kes::editor {

// The detail for a file that "Open..." could not read as a project: when it
// is a level file, that it is one and how to turn it into a project; empty
// otherwise.
std::string levelFileOpenedAsProjectDetail(const std::string& path);

// The "Import level file" command: asks for a level file (the dialog starts
// in `startFolder`), then for the project file to create (suggested beside
// the level, by its name; the meshes and textures are written beside it), and
// extracts the level there. Returns the path of the new project, to be
// opened, or an empty text when the designer cancelled or the import failed
// (the reason is then shown in an error box). It never replaces a file other
// than the project file the designer chose. What generating the project
// would write differently from the level file is shown as the detail of a
// message before it returns.
std::string importLevelFile(PlatformServices& services, QWidget* owner, const std::string& startFolder = {});

} // namespace kes::editor
