// Unsaved changes in the main dialog: the window title, the question before
// a modified level is discarded, the keyboard shortcuts, the offer of a
// recovery copy and the recent projects.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSessionManager>
#include <QShortcut>
#include <QTimer>
#include <QUndoStack>

#include "app/dialog_description.h"
#include "app/main_dialog.h"
#include "document/recent_projects.h"
#include "document/recovery_copy.h"
#include "document/recovery_keeper.h"
#include "model/project_file.h"

namespace kes::editor {
namespace {

constexpr char kUnsavedCaption[] = "Unsaved Changes";
constexpr char kSaveBeforeClosingText[] = "Save changes to the level before closing?";
constexpr char kSaveBeforeOpeningText[] = "Save changes to the level before opening another project?";
constexpr char kRestoreCaption[] = "Restore Unsaved Changes";
constexpr char kRecentCaption[] = "Recent projects";
constexpr char kOpenFailedCaption[] = "Could not open";

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
    if (destroying_ || generating_)
        return;
    updateControlStates();
    handler();
    updateControlStates();
}

bool MainDialog::openProjectFile(const std::string& path)
{
    if (destroying_ || generating_)
        return false;
    return mayDiscardChanges(Discarding::OpeningAnother) && loadProject(path);
}

void MainDialog::setRecoveryDelay(int milliseconds)
{
    recovery_->setDelay(milliseconds);
}

const std::string& MainDialog::recoveryCopy() const
{
    return recovery_->copyPath();
}

bool MainDialog::mayDiscardChanges(Discarding what)
{
    if (!isModified())
        return true;
    const char* text = what == Discarding::Closing ? kSaveBeforeClosingText : kSaveBeforeOpeningText;
    switch (services_.ask(this, text, kUnsavedCaption, {Answer::Save, Answer::Discard, Answer::Cancel},
                          Answer::Save)) {
    case Answer::Save:
        return saveToProjectFile();
    case Answer::Discard:
        recovery_->discard();
        return true;
    default:
        return false;
    }
}

void MainDialog::updateWindowTitle()
{
    const bool modified = isModified();
    const QString caption = QString::fromUtf8(kDialogCaption);
    const QString mark = modified ? QStringLiteral("*") : QString();
    if (projectPath().empty())
        setWindowTitle(modified ? mark + " - " + caption : caption);
    else
        setWindowTitle(fileNameOf(projectPath()) + mark + " - " + caption);
    // The asterisk is part of the title text itself, which is what the tests
    // and every platform show; Qt's own modified flag would want a "[*]"
    // placeholder in it and warns on every change without one.
}

void MainDialog::endSession(QSessionManager& manager)
{
    if (destroying_ || quitting_ || !isModified())
        return;
    if (!manager.allowsInteraction()) {
        // No question can be asked: keep the work for the next start.
        recovery_->writeNow();
        return;
    }
    const bool goOn = mayDiscardChanges(Discarding::Closing);
    manager.release();
    if (!goOn)
        manager.cancel();
}

void MainDialog::addShortcuts()
{
    auto add = [this](QKeySequence keys, auto handler) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, handler] { runCommand(handler); });
    };
    add(QKeySequence(Qt::ControlModifier | Qt::Key_S), [this] { saveToProjectFile(); });
    add(QKeySequence(Qt::ControlModifier | Qt::Key_O), [this] { openProject(); });
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

void MainDialog::offerRecoveryCopy(const std::string& startupProjectPath)
{
    const std::optional<RecoveryCopy> copy = recoveryCopyToOffer(startupProjectPath);
    if (!copy)
        return;
    const QString name = copy->projectPath.empty() ? QStringLiteral("the new level") : fileNameOf(copy->projectPath);
    const QString text = "Restore unsaved changes to " + name + " from "
        + copy->written.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + "?";
    if (services_.ask(this, text.toStdString(), kRestoreCaption, {Answer::Restore, Answer::Discard},
                      Answer::Restore)
        != Answer::Restore) {
        editor::removeRecoveryCopy(copy->path);
        return;
    }
    LevelProject recovered;
    const Status status = kes::loadProject(copy->path, recovered);
    if (!status) {
        // Left where it is: the only copy of that work.
        services_.showMessage(this, status.reason(), kOpenFailedCaption, MessageIcon::Error);
        return;
    }
    // Modified until saved, and the copy stays the level's copy until then.
    document_->reset(recovered, copy->projectPath, true);
    recovery_->adopt(copy->path);
    updateControlStates();
}

void MainDialog::showRecentProjects()
{
    recentMenu_->clear();
    const std::vector<std::string> paths = recentProjects();
    if (paths.empty())
        recentMenu_->addAction(QStringLiteral("No recent projects"))->setEnabled(false);
    for (const std::string& path : paths) {
        QAction* entry = recentMenu_->addAction(QDir::toNativeSeparators(QString::fromStdString(path)));
        connect(entry, &QAction::triggered, this, [this, path] { runCommand([this, path] { openRecentProject(path); }); });
    }
    // Above the button, which sits at the bottom of the dialog.
    const QPoint corner = ui_.recentProjects->mapToGlobal(QPoint(0, 0));
    recentMenu_->popup(corner - QPoint(0, recentMenu_->sizeHint().height()));
}

void MainDialog::openRecentProject(const std::string& path)
{
    if (!QFileInfo(QString::fromStdString(path)).isFile()) {
        removeRecentProject(path);
        services_.showMessage(this,
                              "The project '" + path + "' no longer exists; it was removed from the recent projects.",
                              kRecentCaption, MessageIcon::Information);
        return;
    }
    openProjectFile(path);
}

} // namespace kes::editor
