// The level as the editor holds it: the project (settings as values, both
// tables), the file it belongs to, the undo stack, the selected row of each
// table and whether it differs from what was last loaded or saved.
//
// Every change of the level is an edit on the document, and every edit is one
// undo step. The form, the lists and the preview are views: they show what the
// document says and follow its signals, whoever made the change (typing,
// a button, a drag in the view, undo, redo).
//
// A continuous edit (typing into a setting, a drag in the view) is opened with
// beginEdit(): the changes of values made while it is open show at once and
// merge into one undo step (none when they end where they began);
// commitEdit() closes it, cancelEdit() puts the level back as it was when the
// edit began and leaves no step. Adding, removing or moving rows closes it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QString>

#include "model/level_model.h"

class QUndoStack;

namespace kes::editor {

enum class LevelTable { Layers, Targets };

// The seven settings, in the order of the level's settings record.
enum class Setting { Title, Author, VersionMajor, VersionMinor, FramesLR, StartPosition, BackgroundColor };
inline constexpr int kSettingCount = 7;
const std::string& settingText(const LevelSettings& settings, Setting setting);
std::string& settingText(LevelSettings& settings, Setting setting);

// The selected row of each table; -1 for none.
struct TableSelection {
    int layer = -1;
    int target = -1;
    bool operator==(const TableSelection&) const = default;
};

class LevelDocument : public QObject {
    Q_OBJECT

public:
    explicit LevelDocument(QObject* parent = nullptr);
    ~LevelDocument() override;

    const LevelProject& project() const { return project_; }
    const LevelSettings& settings() const { return project_.settings; }
    const LayerTable& layers() const { return project_.layers; }
    const TargetTable& targets() const { return project_.targets; }
    int rowCount(LevelTable table) const;

    // The project file the level was last loaded from or saved to; empty for
    // a new level. Relative OBJ and BMP paths are taken from its folder
    // (empty: the current folder).
    const std::string& path() const { return path_; }
    const std::string& folder() const { return folder_; }

    QUndoStack& undoStack() const { return *undoStack_; }

    // True while the level differs from what was last loaded, saved or reset.
    // A level restored from a recovery copy is modified until it is saved.
    bool isModified() const;

    const TableSelection& selection() const { return selection_; }
    int selectedRow(LevelTable table) const;
    // Selects `row` (-1: none). Not an edit: no undo step.
    void select(LevelTable table, int row);

    // Replaces the whole level (new, open, import, restore): the undo stack
    // empties, nothing is selected. `path` is the level's project file.
    // Unmodified unless `modified`.
    void reset(const LevelProject& project, const std::string& path, bool modified = false);
    // The level was saved to `path`: unmodified from now on, and its relative
    // paths are taken from that file's folder. `project` is what was written
    // (whose paths may have been rewritten for the new folder): when it
    // differs from the level, the level takes it and the undo stack empties,
    // since its steps name files from the old folder.
    void saved(const LevelProject& project, const std::string& path);

    // Edits; each is one undo step named `text` unless a continuous edit is
    // open. Rows outside the table are ignored.
    void setSetting(Setting setting, const std::string& text);
    // Appends `entry`; false (and nothing changes) when the table is full.
    bool addRow(const LayerEntry& entry, const QString& text);
    bool addRow(const TargetEntry& entry, const QString& text);
    void replaceRow(int row, const LayerEntry& entry, const QString& text);
    void replaceRow(int row, const TargetEntry& entry, const QString& text);
    // Removes a row; nothing is selected afterwards.
    void removeRow(LevelTable table, int row, const QString& text);
    // Swaps the rows `row` and `to`; a selected one moves with its entry.
    void moveRow(LevelTable table, int row, int to, const QString& text);
    // Replaces the layer table in one step (relinking).
    void replaceLayers(const LayerTable& layers, const QString& text);

    // A continuous edit; see above. Beginning one commits an edit still open.
    void beginEdit(const QString& text, int tag = 0);
    // Whether an edit is open, and the tag it was begun with.
    bool editOpen() const { return edit_ != nullptr; }
    int editTag() const;
    void commitEdit();
    void cancelEdit();

    // Ctrl+Z and its redo: an open edit is committed first.
    void undo();
    void redo();

    // Applies a state of the level; for the undo commands.
    void applyState(const LevelProject& project, const std::optional<TableSelection>& selection);

signals:
    void settingsChanged();
    // Rows first to last of a table changed (its count may have changed too).
    void rowsChanged(kes::editor::LevelTable table, int first, int last);
    void selectionChanged(kes::editor::LevelTable table);
    void modifiedChanged(bool modified);
    // Anything of the level changed: one signal after the others.
    void changed();
    // The whole level was replaced (new, open, restore), or saved elsewhere.
    void pathChanged();
    void levelReset();

private:
    struct OpenEdit;
    void change(const LevelProject& after, const QString& text,
                const std::optional<TableSelection>& selectionAfter = std::nullopt);
    void setSelection(const TableSelection& selection);
    template <typename Entry>
    bool addEntry(const Entry& entry, const QString& text);
    template <typename Entry>
    void replaceEntry(int row, const Entry& entry, const QString& text);
    void updateModified();

    LevelProject project_;
    std::optional<LevelProject> savedProject_; // none after a restore
    std::string path_;
    std::string folder_;
    TableSelection selection_;
    QUndoStack* undoStack_;
    std::unique_ptr<OpenEdit> edit_;
    int lastEditSerial_ = 0;
    bool modified_ = false;
};

} // namespace kes::editor
