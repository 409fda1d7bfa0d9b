// The editor's one window: the level's settings, the layer and target tables
// with their forms, and the commands Open, Save, Generate Level, Browse and
// Quit.
//
// Every notification of a control reaches command() with the control's id,
// which applies the enable rules (updateControlStates) and then runs the
// handler of that id. Setting an edit's text from a handler notifies again,
// so the rules always follow the texts. The settings live only as the texts
// of their edits; the tables live here and each is mirrored row for row by
// its list.
//
// The dialog never loses work without asking: it knows whether the level
// differs from what was last loaded, saved or reset (its title shows it),
// asks before a command would discard a modified level, keeps every change
// on an undo stack, and writes a recovery copy of a modified level that the
// next start offers to restore after a crash.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "app/field_checks.h"
#include "app/form_baseline.h"
#include "app/layer_form.h"
#include "app/main_dialog_controls.h"
#include "app/platform_services.h"
#include "app/table_rows.h"
#include "app/target_form.h"
#include "model/level_model.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QLockFile;
class QMenu;
class QSessionManager;
class QTimer;
class QUndoStack;

namespace kes::editor {

class GenerationProgressDialog;
class PreviewPane;

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

    const LayerTable& layers() const { return layers_; }
    const TargetTable& targets() const { return targets_; }

    // The level as it stands: the settings texts (each cut to 249 bytes) and
    // both tables.
    LevelProject currentProject() const;

    // The folder against which relative OBJ and BMP paths are resolved: that
    // of the project as last loaded or saved; empty for the current folder.
    const std::string& projectFolder() const { return projectFolder_; }

    // The dialog that "Generate Level..." shows while a long generation
    // runs; hidden otherwise.
    GenerationProgressDialog* generationProgress() const { return progress_; }

    // The 3D preview of the level beside the form.
    PreviewPane* preview() const { return preview_; }

    // The level's project file, the one it was last loaded from or saved to;
    // empty for a new level.
    const std::string& projectPath() const { return projectPath_; }

    // True while the level differs from what was last loaded, saved or reset
    // (the settings texts and both tables; the layer and target forms don't
    // count). A restored recovery copy is modified until it is saved.
    bool isModified() const;

    // Opens the project at `path` as "Open..." does once a file is chosen:
    // while the level is modified, first asks whether to save it ("Save
    // changes to the level before opening another project?"). For a project
    // dropped on the window and the recent projects. True when the project
    // was loaded.
    bool openProjectFile(const std::string& path);

    // The changes that Ctrl+Z undoes.
    QUndoStack& undoStack() const { return *undoStack_; }

    // The recovery copy is written this long after the first change that it
    // doesn't hold yet: 30 seconds unless a test sets otherwise.
    void setRecoveryDelay(int milliseconds);
    // The recovery copy this dialog has written; empty when there is none.
    const std::string& recoveryCopy() const { return recoveryCopyPath_; }

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

    // Enable rules.
    void updateControlStates();
    bool basicsValid() const;
    bool metadataValid() const;
    void updateLayerControls();
    void updateTargetControls();

    // Shell commands.
    void quit();
    void browseForFile(QLineEdit* field, const FileFilter& filter);
    void showGuide(); // F1 and "?": opens the designer's guide

    // Project commands.
    void resetToDefaults();
    void showSettings(const LevelSettings& settings);
    bool saveProject();        // "Save...": asks for a name
    bool saveToProjectFile();  // Ctrl+S: the level's file, or "Save..." for a new level
    bool writeProject(const std::string& path);
    void openProject();
    void importLevel(); // "Import level file": a level file as a new project, opened
    bool loadProject(const std::string& path);
    void generateLevel();
    void showProject(const LevelProject& project); // replaces the level; empties the undo stack
    void setProjectPath(const std::string& path);
    void markUnmodified();

    // Unsaved changes.
    enum class Discarding { Closing, OpeningAnother };
    // True when the command may go on: the level is unmodified, or the user
    // saved it or chose to discard it.
    bool mayDiscardChanges(Discarding what);
    void updateModifiedState(const LevelProject& current);
    void updateWindowTitle(bool modified);
    void endSession(QSessionManager& manager);

    // Undo.
    void settingChanged(QLineEdit* field);
    void showSettingText(QLineEdit* field, const QString& text);
    void closeSettingEdit();
    void undo();
    void redo();
    void addShortcuts();

    // Recovery copies.
    void writeRecoveryCopy();
    void removeRecoveryCopy();
    void offerRecoveryCopy(const std::string& startupProjectPath);

    // Recent projects.
    void showRecentProjects();
    void openRecentProject(const std::string& path);

    // Layer editing.
    LayerForm layerForm() const;
    void showLayerForm(const LayerForm& form);
    void addLayer();
    void removeLayer();
    void showSelectedLayer();
    void updateLayer();
    void moveLayer(int step); // -1 up, +1 down
    void relinkMissingFiles();
    // What updating and moving do alike for both tables.
    template <typename Entry>
    void updateSelectedRow(TableRows<Entry>& rows, const Entry& entry, const QString& undoText);
    template <typename Entry>
    void moveSelectedRow(TableRows<Entry>& rows, int step, const QString& undoText);

    // Target editing.
    TargetForm targetForm() const;
    void showTargetForm(const TargetForm& form);
    void addTarget();
    void removeTarget();
    void showSelectedTarget();
    void updateTarget();
    void moveTarget(int step);

    // Editing helpers (main_dialog_editing.cpp).
    void setUpEditing(); // row looks, keys, drops, window growth, tab order
    // True when the form of `what` ("layer", "target") holds no unapplied
    // edits, or the designer chose to discard them.
    bool mayDiscardFormEdits(const char* what);
    // The file the designer picked or dropped for the OBJ or BMP field,
    // stored relative to the project's folder when it lies inside.
    void takeFilePath(QLineEdit* field, const std::string& path);
    static void selectRowQuietly(QListWidget& list, int row);
    void addMeshLayers(const std::vector<std::string>& meshPaths);
    void updateFieldMarks();
    // Where a file dialog starts; with an extension, the project's name (or
    // the title) with it is suggested.
    FileDialogStart fileDialogStart(const char* extension) const;
    // After a save to `folder`: the table takes `layers` (whose paths were
    // rewritten for the folder), the form's paths follow.
    void projectPathsMoved(const LayerTable& layers, const std::string& folder);
    // Gathers every problem of the level; true when there is none or the
    // designer chose to generate all the same.
    bool mayGenerateDespiteProblems();
    // Starts long work on a worker thread: a wait cursor, the progress
    // dialog, and no command runs. The call it returns ends it.
    [[nodiscard]] std::function<void()> beginLongWork();

    // What adding, removing and selecting do alike for both tables.
    template <typename Entry>
    void addRow(TableRows<Entry>& rows, const Entry& entry, const QString& undoText);
    template <typename Entry>
    void removeSelectedRow(TableRows<Entry>& rows, const QString& undoText);

    // Control access.
    static std::string text(const QLineEdit* edit); // cut to 249 bytes
    static void setText(QLineEdit* edit, const std::string& text);
    void refillLists();

    PlatformServices& services_;
    std::map<int, QWidget*> controls_;
    MainDialogControls ui_;
    LayerTable layers_;
    TargetTable targets_;
    TableRows<LayerEntry> layerRows_;
    TableRows<TargetEntry> targetRows_;
    std::string projectFolder_;
    std::string projectPath_;
    FormBaseline<LayerForm> layerBaseline_;
    FormBaseline<TargetForm> targetBaseline_;
    bool askingAboutEdits_ = false;
    QLabel* frameFilesNote_ = nullptr; // "N frame files found" under the OBJ file
    // The last checks of the form's files and what they were made for.
    std::string meshCheckKey_;
    FieldCheck meshCheck_;
    int frameFilesFound_ = -1;
    std::string textureCheckKey_;
    FieldCheck textureCheck_;
    GenerationProgressDialog* progress_;
    PreviewPane* preview_ = nullptr;
    QUndoStack* undoStack_;
    // The level as last loaded, saved or reset; none after a restore.
    std::optional<LevelProject> unmodifiedProject_;
    // Each setting's text as last seen, the start of its next undo step.
    std::map<const QLineEdit*, QString> settingTexts_;
    bool showingSettings_ = false; // texts set now are not edits
    QTimer* recoveryTimer_;
    std::string recoveryCopyPath_;              // the copy written; empty for none
    std::unique_ptr<QLockFile> recoveryLock_;    // held while that copy is ours
    std::optional<LevelProject> recoveredProject_; // what that copy holds
    QMenu* recentMenu_;
    bool destroying_ = false;
    bool generating_ = false; // no command runs meanwhile
    bool quitting_ = false;   // the dialog was closed: no more recovery copies
};

} // namespace kes::editor
