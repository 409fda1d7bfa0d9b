// The layer and target buttons of the main dialog: each reads its form and
// makes one edit on the document; the lists and forms follow the document.
#include <QListWidget>
#include <QUndoStack>

#include "app/main_dialog.h"
#include "app/panels/layer_panel.h"
#include "app/panels/target_panel.h"

namespace kes::editor {

void MainDialog::addLayer()
{
    if (!document_->addRow(layerEntryFromForm(layerPanel_->form()), QStringLiteral("Add layer"))) {
        services_.showMessage(this, layerLimitText(), kLayerLimitCaption, MessageIcon::Error);
        return;
    }
    // What the form holds is in the table now.
    layerPanel_->applied();
}

void MainDialog::addTarget()
{
    if (!document_->addRow(targetEntryFromForm(targetPanel_->form()), QStringLiteral("Add target"))) {
        services_.showMessage(this, targetLimitText(), kTargetLimitCaption, MessageIcon::Error);
        return;
    }
    targetPanel_->applied();
}

void MainDialog::removeRow(LevelTable table)
{
    // Leaves no row selected, and the form as it is.
    const QString text = table == LevelTable::Layers ? QStringLiteral("Remove layer") : QStringLiteral("Remove target");
    document_->removeRow(table, document_->selectedRow(table), text);
}

void MainDialog::updateRow(LevelTable table)
{
    const int row = document_->selectedRow(table);
    if (row < 0)
        return;
    if (table == LevelTable::Layers) {
        const LayerForm form = layerPanel_->form();
        if (!layerFormIsValid(form))
            return;
        document_->replaceRow(row, layerEntryFromForm(form), QStringLiteral("Update layer"));
        layerPanel_->applied();
    } else {
        const TargetForm form = targetPanel_->form();
        if (!targetFormIsValid(form))
            return;
        document_->replaceRow(row, targetEntryFromForm(form), QStringLiteral("Update target"));
        targetPanel_->applied();
    }
}

void MainDialog::moveRow(LevelTable table, int step)
{
    const int row = document_->selectedRow(table);
    const bool layers = table == LevelTable::Layers;
    const QString text = step < 0 ? (layers ? QStringLiteral("Move layer up") : QStringLiteral("Move target up"))
                                  : (layers ? QStringLiteral("Move layer down") : QStringLiteral("Move target down"));
    if (row >= 0)
        document_->moveRow(table, row, row + step, text);
}

void MainDialog::rowChosen(LevelTable table)
{
    // The list notifies also when it gains or loses the focus and when the
    // shown row is clicked again: only another row replaces what the form
    // holds, and unapplied edits only when the designer agrees.
    const bool layers = table == LevelTable::Layers;
    const int row = layers ? layerPanel_->list().selectedRow() : targetPanel_->list().selectedRow();
    const int shown = document_->selectedRow(table);
    if (row < 0 || row == shown || askingAboutEdits_)
        return;
    if (!mayDiscardFormEdits(table)) {
        if (layers)
            layerPanel_->list().select(shown);
        else
            targetPanel_->list().select(shown);
        return;
    }
    if (layers)
        layerPanel_->showRow(row);
    else
        targetPanel_->showRow(row);
    document_->select(table, row);
}

} // namespace kes::editor
