// One undo step of the level document: the level before and after it, and,
// for a change that adds, removes or moves rows, the selection before and
// after it too (an edit of values leaves the selection as the designer left
// it).
#pragma once

#include <optional>

#include <QUndoCommand>

#include "document/level_document.h"

namespace kes::editor {

class ProjectChangeCommand : public QUndoCommand {
public:
    struct State {
        LevelProject project;
        std::optional<TableSelection> selection;
    };

    // `editSerial` is that of the continuous edit the change belongs to, 0
    // for none: changes of one edit merge into one step, and an edit that
    // ends where it began leaves none.
    ProjectChangeCommand(LevelDocument& document, State before, State after, const QString& text, int editSerial);

    static constexpr int kId = 1;
    int id() const override { return editSerial_ != 0 ? kId : -1; }
    bool mergeWith(const QUndoCommand* other) override;
    void redo() override;
    void undo() override;

    int editSerial() const { return editSerial_; }

private:
    LevelDocument& document_;
    State before_;
    State after_;
    int editSerial_;
};

} // namespace kes::editor
