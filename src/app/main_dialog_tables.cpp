// Adding, removing and showing layers and targets in the main dialog: the
// same steps for both tables, each with its own form.
#include "app/main_dialog.h"

namespace kes::editor {

template <typename Entry>
void MainDialog::addRow(TableRows<Entry>& rows, const Entry& entry)
{
    if (rows.isFull()) {
        services_.showMessage(this, rows.limitText(), rows.limitCaption(), MessageIcon::Error);
        return;
    }
    rows.insert(rows.table().count(), entry);
}

template <typename Entry>
void MainDialog::removeSelectedRow(TableRows<Entry>& rows)
{
    const int row = rows.selectedRow();
    if (row >= 0)
        rows.remove(row);
}

void MainDialog::addLayer()
{
    addRow(layerRows_, layerEntryFromForm(layerForm()));
}

void MainDialog::removeLayer()
{
    // Leaves no row selected, and the form as it is.
    removeSelectedRow(layerRows_);
}

void MainDialog::showSelectedLayer()
{
    const int row = layerRows_.selectedRow();
    if (row >= 0)
        showLayerForm(layerFormFromEntry(layers_.at(row)));
}

void MainDialog::addTarget()
{
    addRow(targetRows_, targetEntryFromForm(targetForm()));
}

void MainDialog::removeTarget()
{
    removeSelectedRow(targetRows_);
}

void MainDialog::showSelectedTarget()
{
    const int row = targetRows_.selectedRow();
    if (row >= 0)
        showTargetForm(targetFormFromEntry(targets_.at(row)));
}

} // namespace kes::editor
