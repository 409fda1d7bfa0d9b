#include "app/level_commands.h"

#include <utility>

namespace kes::editor {

SettingTextCommand::SettingTextCommand(QLineEdit* field, QString before, QString after, ShowText show)
    : QUndoCommand(QStringLiteral("Edit setting")), field_(field), before_(std::move(before)),
      after_(std::move(after)), show_(std::move(show))
{
}

bool SettingTextCommand::mergeWith(const QUndoCommand* other)
{
    const auto* edit = static_cast<const SettingTextCommand*>(other);
    if (closed_ || edit->field_ != field_)
        return false;
    after_ = edit->after_;
    setObsolete(after_ == before_);
    return true;
}

void SettingTextCommand::redo()
{
    if (alreadyShown_) {
        alreadyShown_ = false;
        return;
    }
    show_(field_, after_);
}

void SettingTextCommand::undo()
{
    show_(field_, before_);
}

} // namespace kes::editor
