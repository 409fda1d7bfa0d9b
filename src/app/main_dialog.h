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
#pragma once

#include <map>
#include <string>

#include <QDialog>

#include "app/layer_form.h"
#include "app/main_dialog_controls.h"
#include "app/platform_services.h"
#include "app/table_rows.h"
#include "app/target_form.h"
#include "model/level_model.h"

class QLineEdit;

namespace kes::editor {

class GenerationProgressDialog;
class PreviewPane;

class MainDialog : public QDialog {
    Q_OBJECT

public:
    // Builds the dialog with a new project and, when `startupProjectPath` is
    // not empty, loads that project (reporting a file that is not a project
    // through `services`). Keyboard focus starts on "Quit".
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

protected:
    // Escape and the close box end the program like "Quit" (but not while
    // a level is being generated).
    void reject() override;
    // Enter presses the push button that has the focus, and nothing else.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void command(int id);

    // Enable rules.
    void updateControlStates();
    bool basicsValid() const;
    bool metadataValid() const;
    void updateLayerControls();
    void updateTargetControls();

    // Shell commands.
    void quit();
    void browseForFile(QLineEdit* field, const FileFilter& filter);

    // Project commands.
    void resetToDefaults();
    void showSettings(const LevelSettings& settings);
    void saveProject();
    void openProject();
    void loadProject(const std::string& path);
    void generateLevel();

    // Layer editing.
    LayerForm layerForm() const;
    void showLayerForm(const LayerForm& form);
    void addLayer();
    void removeLayer();
    void showSelectedLayer();

    // Target editing.
    TargetForm targetForm() const;
    void showTargetForm(const TargetForm& form);
    void addTarget();
    void removeTarget();
    void showSelectedTarget();

    // What adding, removing and selecting do alike for both tables.
    template <typename Entry>
    void addRow(TableRows<Entry>& rows, const Entry& entry);
    template <typename Entry>
    void removeSelectedRow(TableRows<Entry>& rows);

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
    GenerationProgressDialog* progress_;
    PreviewPane* preview_ = nullptr;
    bool destroying_ = false;
    bool generating_ = false; // no command runs meanwhile
};

} // namespace kes::editor
