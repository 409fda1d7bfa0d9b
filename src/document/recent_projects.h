// The projects most recently opened or saved, newest first, kept in the
// user's settings (QSettings) from one run to the next.
#pragma once

#include <string>
#include <vector>

namespace kes::editor {

inline constexpr int kRecentProjectsKept = 8;

std::vector<std::string> recentProjects();

// Puts the project first; a project already in the list moves up, and the
// oldest beyond kRecentProjectsKept falls off.
void addRecentProject(const std::string& path);

void removeRecentProject(const std::string& path);

} // namespace kes::editor
