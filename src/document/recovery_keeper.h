// Keeps the recovery copy of a level document: while the level has unsaved
// changes, a copy is written a while after the first change it doesn't hold
// yet (so that steady work is kept too), and it goes once the level is saved
// or its changes are discarded. See recovery_copy.h for where copies live.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QObject>

#include "model/level_model.h"

class QLockFile;
class QTimer;

namespace kes::editor {

class LevelDocument;

class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    explicit RecoveryKeeper(LevelDocument& document, QObject* parent = nullptr);
    ~RecoveryKeeper() override;

    // How long after the first change a copy is written: 30 seconds unless a
    // test sets otherwise.
    void setDelay(int milliseconds);
    // The copy written; empty when there is none.
    const std::string& copyPath() const { return copyPath_; }

    // Writes the copy now (the session ends and no question can be asked).
    void writeNow();
    // Removes the copy: the changes were discarded.
    void discard();
    // The editor ends cleanly: the copy goes and no other is written.
    void finish();
    // The level was restored from the copy at `path`, which stays its copy
    // until the level is saved.
    void adopt(const std::string& path);

private:
    void levelChanged();

    LevelDocument& document_;
    QTimer* timer_;
    std::string copyPath_;                   // the copy written; empty for none
    std::unique_ptr<QLockFile> lock_;        // held while that copy is ours
    std::optional<LevelProject> copied_;     // what that copy holds
    bool finished_ = false;
};

} // namespace kes::editor
