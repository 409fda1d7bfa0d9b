// Adding, removing, showing, updating and moving layers and targets in the
// main dialog: the same steps for both tables, each with its own form.
#include <QUndoStack>

#include "app/level_commands.h"
#include "app/main_dialog.h"
#include "app/row_commands.h"

namespace kes::editor {

template <typename Entry>
void MainDialog::addRow(TableRows<Entry>& rows, const Entry& entry, const QString& undoText)
{
    if (rows.isFull()) {
        services_.showMessage(this, rows.limitText(), rows.limitCaption(), MessageIcon::Error);
        return;
    }
    undoStack_->push(new AddRowCommand<Entry>(rows, rows.table().count(), entry, undoText));
}

template <typename Entry>
void MainDialog::removeSelectedRow(TableRows<Entry>& rows, const QString& undoText)
{
    // Leaves no row selected, and the form as it is.
    const int row = rows.selectedRow();
    if (row >= 0)
        undoStack_->push(new RemoveRowCommand<Entry>(rows, row, undoText));
}

template <typename Entry>
void MainDialog::updateSelectedRow(TableRows<Entry>& rows, const Entry& entry, const QString& undoText)
{
    const int row = rows.selectedRow();
    if (row >= 0)
        undoStack_->push(new ReplaceRowCommand<Entry>(rows, row, entry, undoText));
}

template <typename Entry>
void MainDialog::moveSelectedRow(TableRows<Entry>& rows, int step, const QString& undoText)
{
    const int row = rows.selectedRow();
    const int to = row + step;
    if (row >= 0 && to >= 0 && to < rows.table().count())
        undoStack_->push(new MoveRowCommand<Entry>(rows, row, to, undoText));
}

void MainDialog::addLayer()
{
    addRow(layerRows_, layerEntryFromForm(layerForm()), QStringLiteral("Add layer"));
    // What the form holds is in the table now.
    layerBaseline_.set(layerRows_.selectedRow(), layerForm());
}

void MainDialog::removeLayer()
{
    removeSelectedRow(layerRows_, QStringLiteral("Remove layer"));
    layerBaseline_.set(-1, layerForm());
}

void MainDialog::showSelectedLayer()
{
    // The list notifies also when it gains or loses the focus and when the
    // shown row is clicked again: only another row replaces what the form
    // holds, and unapplied edits only when the designer agrees.
    const int row = layerRows_.selectedRow();
    if (row < 0 || row == layerBaseline_.row() || askingAboutEdits_)
        return;
    if (!mayDiscardFormEdits("layer")) {
        selectRowQuietly(*ui_.layerList, layerBaseline_.row());
        return;
    }
    showLayerForm(layerFormFromEntry(layers_.at(row)));
    layerBaseline_.set(row, layerForm());
}

void MainDialog::updateLayer()
{
    const LayerForm form = layerForm();
    if (!layerFormIsValid(form))
        return;
    updateSelectedRow(layerRows_, layerEntryFromForm(form), QStringLiteral("Update layer"));
    layerBaseline_.set(layerRows_.selectedRow(), form);
}

void MainDialog::moveLayer(int step)
{
    moveSelectedRow(layerRows_, step, step < 0 ? QStringLiteral("Move layer up") : QStringLiteral("Move layer down"));
}

void MainDialog::addTarget()
{
    addRow(targetRows_, targetEntryFromForm(targetForm()), QStringLiteral("Add target"));
    targetBaseline_.set(targetRows_.selectedRow(), targetForm());
}

void MainDialog::removeTarget()
{
    removeSelectedRow(targetRows_, QStringLiteral("Remove target"));
    targetBaseline_.set(-1, targetForm());
}

void MainDialog::showSelectedTarget()
{
    // As for layers: only another row replaces the form, and unapplied
    // edits only when the designer agrees.
    const int row = targetRows_.selectedRow();
    if (row < 0 || row == targetBaseline_.row() || askingAboutEdits_)
        return;
    if (!mayDiscardFormEdits("target")) {
        selectRowQuietly(*ui_.targetList, targetBaseline_.row());
        return;
    }
    showTargetForm(targetFormFromEntry(targets_.at(row)));
    targetBaseline_.set(row, targetForm());
}

void MainDialog::updateTarget()
{
    const TargetForm form = targetForm();
    if (!targetFormIsValid(form))
        return;
    updateSelectedRow(targetRows_, targetEntryFromForm(form), QStringLiteral("Update target"));
    targetBaseline_.set(targetRows_.selectedRow(), form);
}

void MainDialog::moveTarget(int step)
{
    moveSelectedRow(targetRows_, step, step < 0 ? QStringLiteral("Move target up") : QStringLiteral("Move target down"));
}

} // namespace kes::editor
