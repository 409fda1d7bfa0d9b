// Recovery copies: while a level has unsaved changes, the editor keeps a copy
// of it in the per-user application data folder, so that a crash, a kill or a
// power cut loses at most the last moments of work. A copy is a project file;
// beside it a small text file names the level's own project file (empty for
// a new level). An editor that keeps a copy holds a lock on it, so that an
// editor started meanwhile doesn't offer a copy that is still in use.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QDateTime>
#include <QLockFile>

#include "model/level_model.h"
#include "model/status.h"

namespace kes::editor {

struct RecoveryCopy {
    std::string path;        // the copy
    std::string projectPath; // the level's own file; empty for a new level
    QDateTime written;
};

// The folder of the copies: "recovery" in the application data folder;
// empty when the system has none, and then no copies are kept.
std::string recoveryFolder();

// Where the copy of the level whose file is `projectPath` goes: named after
// that file (with a short fingerprint of its full path, so that two levels of
// the same name don't meet), or after this process for a new level. Empty
// without a recovery folder.
std::string recoveryCopyPath(const std::string& projectPath);

// Writes the copy and the name of the level's file, each atomically.
Status writeRecoveryCopy(const LevelProject& project, const std::string& projectPath,
                         const std::string& copyPath);

// Removes a copy and the name beside it; a copy that is not there is fine.
void removeRecoveryCopy(const std::string& copyPath);

// Marks the copy as in use by this editor while the lock lives; null when
// another running editor uses it.
std::unique_ptr<QLockFile> lockRecoveryCopy(const std::string& copyPath);

// The copy to offer at start: for a level opened at start, its copy; for a
// new level, the newest copy of any level. Only a copy written after its
// level's file was last changed (or whose file is gone) counts, and none that
// a running editor still uses (one that crashed holds no lock).
std::optional<RecoveryCopy> recoveryCopyToOffer(const std::string& startupProjectPath);

} // namespace kes::editor
