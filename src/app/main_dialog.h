// The editor's one window: the shell around the level document. It builds
// the dialog from its description, owns the document, the panels that show
// it (settings, layers, targets) and the preview, and runs the commands: the
// project actions (open, save, import, generate, relink) with their
// questions, the routing of the layer and target buttons to the document,
// Enter, Escape, closing and the end of the session.
//
// Every notification of a control reaches command() with the control's id,
// which applies the enable rules (updateControlStates) and then runs the
// handler of that id.
//
// The dialog never loses work without asking: the document knows whether
// the level differs from what was last loaded, saved or reset (the title
// shows it), the dialog asks before a command would discard a modified level
// or an entry typed into a form, every change is on the document's undo
// stack, and a recovery copy of a modified level is offered at the next
// start after a crash.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "app/main_dialog_controls.h"
#include "app/platform_services.h"
#include "document/level_document.h"
#include "model/level_model.h"

class QLabel;
class QLineEdit;
class QMenu;
class QSessionManager;
class QUndoStack;

namespace kes::editor {

class GenerationProgressDialog;
class LayerPanel;
class PreviewPane;
class ProjectActions;
class RecoveryKeeper;
class RowActions;
class SettingsPanel;
class TargetPanel;

class MainDialog : public QDialog {
    Q_OBJECT

public:
    // Builds the dialog with a new project and, when `startupProjectPath` is
    // not empty, loads that project (reporting a file that is not a project
    // through `services`). Then, when a recovery copy of that project (or,
    // without one, of any level) holds unsaved work, offers to restore it.
    // Keyboard focus starts on "Quit".
    explicit MainDialog(PlatformServices& services, const std::string& startupProjectPath = {},
                        QWidget* parent = nullptr);
    ~MainDialog() override;

    // The control with the id (see dialog_description.h); null for none.
    QWidget* control(int id) const;
    template <typename Widget>
    Widget* controlAs(int id) const { return qobject_cast<Widget*>(control(id)); }

    // The level as the editor holds it: settings, tables, its file, the undo
    // stack and whether it is modified.
    LevelDocument& document() const { return *document_; }
    // Its recovery copy (how soon it is written, where it is).
    RecoveryKeeper& recovery() const { return *recovery_; }
    // The project actions: open, save, generate, the recent projects.
    ProjectActions& projectActions() const { return *projectActions_; }
    // The dialog that "Generate Level..." shows while a long generation
    // runs; hidden otherwise.
    GenerationProgressDialog* generationProgress() const { return progress_; }
    // The 3D preview of the level beside the form.
    PreviewPane* preview() const { return preview_; }

protected:
    // Escape and the close box end the program like "Quit" (but not while
    // a level is being generated).
    void reject() override;
    // Enter presses the push button that has the focus, and nothing else.
    void keyPressEvent(QKeyEvent* event) override;
    // Ctrl+Z and the redo keys undo and redo the level's changes also while
    // an edit has the focus (instead of that edit's own undo of its typing).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void command(int id);
    // Runs a command that no control sends (a shortcut, a menu entry) like
    // command() runs a control's handler.
    template <typename Handler>
    void runCommand(Handler handler);
    bool commandsBlocked() const;
    void connectDocument();
    void setUpEditing(); // keys, drops, window growth, tab order
    void addShortcuts();
    // Enable rules, marks, and what the preview shows of the forms.
    void updateControlStates();
    void updateWindowTitle();
    void quit();
    void browseForFile(QLineEdit* field, const FileFilter& filter);

    PlatformServices& services_;
    std::map<int, QWidget*> controls_;
    MainDialogControls ui_;
    LevelDocument* document_;
    RecoveryKeeper* recovery_;
    QLabel* frameFilesNote_; // "N frame files found" under the OBJ file
    GenerationProgressDialog* progress_;
    SettingsPanel* settingsPanel_ = nullptr;
    LayerPanel* layerPanel_ = nullptr;
    TargetPanel* targetPanel_ = nullptr;
    PreviewPane* preview_ = nullptr;
    ProjectActions* projectActions_ = nullptr;
    std::unique_ptr<RowActions> rowActions_;
    bool destroying_ = false;
    bool quitting_ = false; // the dialog was closed: no more recovery copies
};

} // namespace kes::editor
