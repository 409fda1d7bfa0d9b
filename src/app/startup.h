// What the editor takes from its command line.
#pragma once

#include <string>

#include <QStringList>

namespace kes::editor {

// The project to open at start: the first argument after the program's name
// (UTF-8) when it names a file that can be opened for reading; empty when
// there is no argument or the file can't be read (a missing file is not an
// error: the editor then starts with a new project). Further arguments are
// ignored.
std::string startupProjectPath(const QStringList& arguments);

} // namespace kes::editor
