#include "document/level_document.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include <QUndoStack>

#include "document/project_change_command.h"
#include "model/project_file.h"
#include "model/stored_path.h"

namespace kes::editor {
namespace {

template <typename Settings>
auto& textOf(Settings& settings, Setting setting)
{
    switch (setting) {
    case Setting::Title: return settings.title;
    case Setting::Author: return settings.author;
    case Setting::VersionMajor: return settings.versionMajor;
    case Setting::VersionMinor: return settings.versionMinor;
    case Setting::FramesLR: return settings.framesLR;
    case Setting::StartPosition: return settings.startPosition;
    case Setting::BackgroundColor: break;
    }
    return settings.backgroundColor;
}

// The rows in which two tables differ, as first and last; first > last when
// they are the same.
template <typename Entry>
std::pair<int, int> changedRows(const FixedTable<Entry>& before, const FixedTable<Entry>& after)
{
    const int common = std::min(before.count(), after.count());
    const int end = std::max(before.count(), after.count());
    int first = 0;
    while (first < common && before.at(first) == after.at(first))
        ++first;
    if (first == end)
        return {0, -1};
    int last = end - 1;
    if (before.count() == after.count())
        while (last > first && before.at(last) == after.at(last))
            --last;
    return {first, last};
}

template <typename Entry, typename Project>
auto& tableIn(Project& project)
{
    if constexpr (std::is_same_v<Entry, LayerEntry>)
        return project.layers;
    else
        return project.targets;
}

int& rowOf(TableSelection& selection, LevelTable table)
{
    return table == LevelTable::Layers ? selection.layer : selection.target;
}

} // namespace

const std::string& settingText(const LevelSettings& settings, Setting setting)
{
    return textOf(settings, setting);
}

std::string& settingText(LevelSettings& settings, Setting setting)
{
    return textOf(settings, setting);
}

struct LevelDocument::OpenEdit {
    QString text;
    int tag = 0;
    int serial = 0;
};

LevelDocument::LevelDocument(QObject* parent) : QObject(parent), undoStack_(new QUndoStack(this))
{
    kes::resetToDefaults(project_);
    savedProject_ = project_;
}

LevelDocument::~LevelDocument() = default;

int LevelDocument::rowCount(LevelTable table) const
{
    return table == LevelTable::Layers ? project_.layers.count() : project_.targets.count();
}

bool LevelDocument::isModified() const
{
    return !savedProject_ || project_ != *savedProject_;
}

int LevelDocument::selectedRow(LevelTable table) const
{
    return table == LevelTable::Layers ? selection_.layer : selection_.target;
}

void LevelDocument::select(LevelTable table, int row)
{
    TableSelection selection = selection_;
    rowOf(selection, table) = row >= 0 && row < rowCount(table) ? row : -1;
    setSelection(selection);
}

void LevelDocument::setSelection(const TableSelection& selection)
{
    const TableSelection before = std::exchange(selection_, selection);
    if (before.layer != selection_.layer)
        emit selectionChanged(LevelTable::Layers);
    if (before.target != selection_.target)
        emit selectionChanged(LevelTable::Targets);
}

void LevelDocument::reset(const LevelProject& project, const std::string& path, bool modified)
{
    edit_.reset();
    undoStack_->clear();
    savedProject_ = modified ? std::nullopt : std::optional(project);
    path_ = path;
    folder_ = path.empty() ? std::string() : projectFolderOf(path);
    applyState(project, TableSelection{});
    undoStack_->setClean();
    emit pathChanged();
    emit levelReset();
}

void LevelDocument::saved(const LevelProject& project, const std::string& path)
{
    commitEdit();
    if (project != project_) {
        applyState(project, std::nullopt);
        undoStack_->clear();
    }
    savedProject_ = project;
    path_ = path;
    folder_ = projectFolderOf(path);
    undoStack_->setClean();
    updateModified();
    emit pathChanged();
}

void LevelDocument::setSetting(Setting setting, const std::string& text)
{
    if (settingText(project_.settings, setting) == text)
        return;
    LevelProject after = project_;
    settingText(after.settings, setting) = text;
    change(after, QStringLiteral("Edit setting"));
}

template <typename Entry>
bool LevelDocument::addEntry(const Entry& entry, const QString& text)
{
    LevelProject after = project_;
    if (!tableIn<Entry>(after).append(entry))
        return false;
    change(after, text, selection_);
    return true;
}

template <typename Entry>
void LevelDocument::replaceEntry(int row, const Entry& entry, const QString& text)
{
    const FixedTable<Entry>& table = tableIn<Entry>(project_);
    if (row < 0 || row >= table.count() || table.at(row) == entry)
        return;
    LevelProject after = project_;
    tableIn<Entry>(after).at(row) = entry;
    change(after, text);
}

bool LevelDocument::addRow(const LayerEntry& entry, const QString& text)
{
    return addEntry(entry, text);
}

bool LevelDocument::addRow(const TargetEntry& entry, const QString& text)
{
    return addEntry(entry, text);
}

void LevelDocument::replaceRow(int row, const LayerEntry& entry, const QString& text)
{
    replaceEntry(row, entry, text);
}

void LevelDocument::replaceRow(int row, const TargetEntry& entry, const QString& text)
{
    replaceEntry(row, entry, text);
}

void LevelDocument::removeRow(LevelTable table, int row, const QString& text)
{
    if (row < 0 || row >= rowCount(table))
        return;
    LevelProject after = project_;
    if (table == LevelTable::Layers)
        after.layers.removeAt(row);
    else
        after.targets.removeAt(row);
    TableSelection selection = selection_;
    rowOf(selection, table) = -1;
    change(after, text, selection);
}

void LevelDocument::moveRow(LevelTable table, int row, int to, const QString& text)
{
    const int count = rowCount(table);
    if (row < 0 || to < 0 || row >= count || to >= count || row == to)
        return;
    LevelProject after = project_;
    if (table == LevelTable::Layers)
        std::swap(after.layers.at(row), after.layers.at(to));
    else
        std::swap(after.targets.at(row), after.targets.at(to));
    TableSelection selection = selection_;
    int& selected = rowOf(selection, table);
    if (selected == row || selected == to)
        selected = selected == row ? to : row;
    change(after, text, selection);
}

void LevelDocument::replaceLayers(const LayerTable& layers, const QString& text)
{
    commitEdit();
    if (layers == project_.layers)
        return;
    LevelProject after = project_;
    after.layers = layers;
    change(after, text);
}

void LevelDocument::beginEdit(const QString& text, int tag)
{
    commitEdit();
    edit_ = std::make_unique<OpenEdit>(OpenEdit{text, tag, ++lastEditSerial_});
}

int LevelDocument::editTag() const
{
    return edit_ ? edit_->tag : 0;
}

void LevelDocument::commitEdit()
{
    // Its changes are on the stack already, merged into one step; later
    // changes make steps of their own.
    edit_.reset();
}

void LevelDocument::cancelEdit()
{
    if (!edit_)
        return;
    const std::unique_ptr<OpenEdit> edit = std::move(edit_);
    const int top = undoStack_->index() - 1;
    auto* step = top >= 0 ? dynamic_cast<const ProjectChangeCommand*>(undoStack_->command(top)) : nullptr;
    if (!step || step->editSerial() != edit->serial)
        return; // it changed nothing
    // Undone, then dropped from the stack as obsolete (the stack undoes
    // no obsolete step itself): no redo brings it back.
    auto* open = const_cast<ProjectChangeCommand*>(step);
    open->undo();
    open->setObsolete(true);
    undoStack_->undo();
}

void LevelDocument::undo()
{
    commitEdit();
    undoStack_->undo();
}

void LevelDocument::redo()
{
    commitEdit();
    undoStack_->redo();
}

void LevelDocument::change(const LevelProject& after, const QString& text,
                           const std::optional<TableSelection>& selectionAfter)
{
    // Rows added, removed or moved end a continuous edit: it changes values.
    if (selectionAfter)
        commitEdit();
    std::optional<TableSelection> selectionBefore;
    if (selectionAfter)
        selectionBefore = selection_;
    undoStack_->push(new ProjectChangeCommand(*this, {project_, selectionBefore}, {after, selectionAfter},
                                              edit_ ? edit_->text : text, edit_ ? edit_->serial : 0));
}

void LevelDocument::applyState(const LevelProject& project, const std::optional<TableSelection>& selection)
{
    const LevelProject before = std::exchange(project_, project);
    // A selection that names no row any more is dropped.
    TableSelection selected = selection.value_or(selection_);
    if (selected.layer >= project_.layers.count())
        selected.layer = -1;
    if (selected.target >= project_.targets.count())
        selected.target = -1;
    const TableSelection selectedBefore = std::exchange(selection_, selected);

    if (!(before.settings == project_.settings))
        emit settingsChanged();
    if (const auto [first, last] = changedRows(before.layers, project_.layers); first <= last)
        emit rowsChanged(LevelTable::Layers, first, last);
    if (const auto [first, last] = changedRows(before.targets, project_.targets); first <= last)
        emit rowsChanged(LevelTable::Targets, first, last);
    if (selectedBefore.layer != selection_.layer)
        emit selectionChanged(LevelTable::Layers);
    if (selectedBefore.target != selection_.target)
        emit selectionChanged(LevelTable::Targets);
    updateModified();
    if (before != project_)
        emit changed();
}

void LevelDocument::updateModified()
{
    const bool modified = isModified();
    if (modified == modified_)
        return;
    modified_ = modified;
    emit modifiedChanged(modified);
}

} // namespace kes::editor
