// The window's title with its mark, the keyboard shortcuts and the level's
// undo keys in every edit.
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QShortcut>

#include "app/actions/project_actions.h"
#include "app/dialog_description.h"
#include "app/main_dialog.h"
#include "document/recovery_keeper.h"

namespace kes::editor {
namespace {

QString fileNameOf(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName();
}

bool isUndoOrRedoKey(const QKeyEvent* key)
{
    const QKeyCombination pressed = key->keyCombination();
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
        || pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)
        || pressed == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

} // namespace

template <typename Handler>
void MainDialog::runCommand(Handler handler)
{
    if (commandsBlocked())
        return;
    updateControlStates();
    handler();
    updateControlStates();
}

void MainDialog::updateWindowTitle()
{
    const bool modified = document_->isModified();
    const QString caption = QString::fromUtf8(kDialogCaption);
    const QString mark = modified ? QStringLiteral("*") : QString();
    if (document_->path().empty())
        setWindowTitle(modified ? mark + " - " + caption : caption);
    else
        setWindowTitle(fileNameOf(document_->path()) + mark + " - " + caption);
    // The asterisk is part of the title text itself, which is what the tests
    // and every platform show; Qt's own modified flag would want a "[*]"
    // placeholder in it and warns on every change without one.
}

void MainDialog::addShortcuts()
{
    auto add = [this](QKeySequence keys, auto handler) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, handler] { runCommand(handler); });
    };
    add(QKeySequence(Qt::ControlModifier | Qt::Key_S), [this] { projectActions_->save(); });
    add(QKeySequence(Qt::ControlModifier | Qt::Key_O), [this] { projectActions_->open(); });
    add(QKeySequence(Qt::ControlModifier | Qt::Key_Q), [this] { quit(); });
    add(QKeySequence(Qt::ControlModifier | Qt::Key_Z), [this] { document_->undo(); });
    add(QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z), [this] { document_->redo(); });
    add(QKeySequence(Qt::ControlModifier | Qt::Key_Y), [this] { document_->redo(); });
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A line edit claims its undo keys before shortcuts see them; leave
    // them to the level's undo.
    if (event->type() == QEvent::ShortcutOverride && isUndoOrRedoKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

} // namespace kes::editor
