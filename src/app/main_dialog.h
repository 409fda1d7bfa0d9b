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
class RecoveryKeeper;
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

    // The level as the editor holds it.
    LevelDocument& document() const { return *document_; }
    const LayerTable& layers() const { return document_->layers(); }
    const TargetTable& targets() const { return document_->targets(); }

    // The level as it stands: the settings texts (each cut to 249 bytes) and
    // both tables.
    const LevelProject& currentProject() const { return document_->project(); }

    // The folder against which relative OBJ and BMP paths are resolved: that
    // of the project as last loaded or saved; empty for the current folder.
    const std::string& projectFolder() const { return document_->folder(); }

    // The dialog that "Generate Level..." shows while a long generation
    // runs; hidden otherwise.
    GenerationProgressDialog* generationProgress() const { return progress_; }

    // The 3D preview of the level beside the form.
    PreviewPane* preview() const { return preview_; }

    // The level's project file, the one it was last loaded from or saved to;
    // empty for a new level.
    const std::string& projectPath() const { return document_->path(); }

    // True while the level differs from what was last loaded, saved or reset
    // (the settings texts and both tables; the layer and target forms don't
    // count). A restored recovery copy is modified until it is saved.
    bool isModified() const { return document_->isModified(); }

    // Opens the project at `path` as "Open..." does once a file is chosen:
    // while the level is modified, first asks whether to save it ("Save
    // changes to the level before opening another project?"). For a project
    // dropped on the window and the recent projects. True when the project
    // was loaded.
    bool openProjectFile(const std::string& path);

    // The changes that Ctrl+Z undoes.
    QUndoStack& undoStack() const;

    // The recovery copy is written this long after the first change that it
    // doesn't hold yet: 30 seconds unless a test sets otherwise.
    void setRecoveryDelay(int milliseconds);
    // The recovery copy this dialog has written; empty when there is none.
    const std::string& recoveryCopy() const;

    // The menu of the "Recent projects" button (built when it is shown).
    QMenu* recentProjectsMenu() const { return recentMenu_; }

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
    void connectDocument();

    // Enable rules, marks, and what the preview shows of the forms.
    void updateControlStates();

    // Shell commands.
    void quit();
    void browseForFile(QLineEdit* field, const FileFilter& filter);
    void showGuide(); // F1 and "?": opens the designer's guide

    // Project commands.
    void resetToDefaults();
    bool saveProject();        // "Save...": asks for a name
    bool saveToProjectFile();  // Ctrl+S: the level's file, or "Save..." for a new level
    bool writeProject(const std::string& path);
    void openProject();
    void importLevel(); // "Import level file": a level file as a new project, opened
    bool loadProject(const std::string& path);
    void generateLevel();

    // Unsaved changes.
    enum class Discarding { Closing, OpeningAnother };
    // True when the command may go on: the level is unmodified, or the user
    // saved it or chose to discard it.
    bool mayDiscardChanges(Discarding what);
    void updateWindowTitle();
    void endSession(QSessionManager& manager);
    void addShortcuts();
    void offerRecoveryCopy(const std::string& startupProjectPath);

    // Recent projects.
    void showRecentProjects();
    void openRecentProject(const std::string& path);

    // The layer and target buttons.
    void addLayer();
    void addTarget();
    void removeRow(LevelTable table);
    void updateRow(LevelTable table);
    void moveRow(LevelTable table, int step); // -1 up, +1 down
    void rowChosen(LevelTable table);          // a click in a list
    void relinkMissingFiles();
    void addMeshLayers(const std::vector<std::string>& meshPaths);

    // Editing helpers (main_dialog_editing.cpp).
    void setUpEditing(); // keys, drops, window growth, tab order
    // True when the form of `table` holds no unapplied edits, or the
    // designer chose to discard them.
    bool mayDiscardFormEdits(LevelTable table);
    // Where a file dialog starts; with an extension, the project's name (or
    // the title) with it is suggested.
    FileDialogStart fileDialogStart(const char* extension) const;
    // Gathers every problem of the level; true when there is none or the
    // designer chose to generate all the same.
    bool mayGenerateDespiteProblems();
    // Starts long work on a worker thread: a wait cursor, the progress
    // dialog, and no command runs. The call it returns ends it.
    [[nodiscard]] std::function<void()> beginLongWork();

    PlatformServices& services_;
    std::map<int, QWidget*> controls_;
    MainDialogControls ui_;
    LevelDocument* document_;
    RecoveryKeeper* recovery_;
    QLabel* frameFilesNote_; // "N frame files found" under the OBJ file
    SettingsPanel* settingsPanel_ = nullptr;
    LayerPanel* layerPanel_ = nullptr;
    TargetPanel* targetPanel_ = nullptr;
    GenerationProgressDialog* progress_;
    PreviewPane* preview_ = nullptr;
    QMenu* recentMenu_;
    bool askingAboutEdits_ = false;
    bool destroying_ = false;
    bool generating_ = false; // no command runs meanwhile
    bool quitting_ = false;   // the dialog was closed: no more recovery copies
};

} // namespace kes::editor
