// Adding, removing and showing layers and targets in the main dialog: the
// same steps for both tables, each with its own form.
#include <QUndoStack>

#include "app/level_commands.h"
#include "app/main_dialog.h"

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

void MainDialog::addLayer()
{
    addRow(layerRows_, layerEntryFromForm(layerForm()), QStringLiteral("Add layer"));
}

void MainDialog::removeLayer()
{
    removeSelectedRow(layerRows_, QStringLiteral("Remove layer"));
}

void MainDialog::showSelectedLayer()
{
    const int row = layerRows_.selectedRow();
    if (row >= 0)
        showLayerForm(layerFormFromEntry(layers_.at(row)));
}

void MainDialog::addTarget()
{
    addRow(targetRows_, targetEntryFromForm(targetForm()), QStringLiteral("Add target"));
}

void MainDialog::removeTarget()
{
    removeSelectedRow(targetRows_, QStringLiteral("Remove target"));
}

void MainDialog::showSelectedTarget()
{
    const int row = targetRows_.selectedRow();
    if (row >= 0)
        showTargetForm(targetFormFromEntry(targets_.at(row)));
}

} // namespace kes::editor
