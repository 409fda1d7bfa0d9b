#include "document/project_change_command.h"

#include <utility>

namespace kes::editor {

ProjectChangeCommand::ProjectChangeCommand(LevelDocument& document, State before, State after, const QString& text,
                                           int editSerial)
    : QUndoCommand(text), document_(document), before_(std::move(before)), after_(std::move(after)),
      editSerial_(editSerial)
{
}

bool ProjectChangeCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const ProjectChangeCommand*>(other);
    if (next->editSerial_ != editSerial_)
        return false;
    after_ = next->after_;
    setObsolete(after_.project == before_.project);
    return true;
}

void ProjectChangeCommand::redo()
{
    document_.applyState(after_.project, after_.selection);
}

void ProjectChangeCommand::undo()
{
    document_.applyState(before_.project, before_.selection);
}

} // namespace kes::editor
