// Layer editing in the main dialog: the form and its rules.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/main_dialog.h"

namespace kes::editor {

LayerForm MainDialog::layerForm() const
{
    LayerForm form;
    form.objPath = text(ui_.objFile);
    form.bmpPath = text(ui_.bmpFile);
    form.draw = ui_.draw->isChecked();
    form.collision = ui_.collision->isChecked();
    form.kind = ui_.layerKind->currentIndex();
    form.speed = text(ui_.speed);
    form.framesTillReset = text(ui_.framesTillReset);
    form.vibration = text(ui_.vibration);
    form.triggerArea = text(ui_.triggerArea);
    return form;
}

void MainDialog::showLayerForm(const LayerForm& form)
{
    setText(ui_.bmpFile, form.bmpPath);
    ui_.collision->setChecked(form.collision);
    ui_.draw->setChecked(form.draw);
    setText(ui_.framesTillReset, form.framesTillReset);
    setText(ui_.objFile, form.objPath);
    setText(ui_.speed, form.speed);
    setText(ui_.triggerArea, form.triggerArea);
    ui_.layerKind->setCurrentIndex(form.kind);
    setText(ui_.vibration, form.vibration);
}

void MainDialog::updateLayerControls()
{
    const LayerForm form = layerForm();
    const LayerKindFields used = fieldsUsedBy(form.kind);
    ui_.addLayer->setEnabled(layerFormIsValid(form));
    ui_.speed->setEnabled(used.speed);
    ui_.framesTillReset->setEnabled(used.framesTillReset);
    ui_.vibration->setEnabled(used.vibration);
    ui_.triggerArea->setEnabled(used.triggerArea);
    ui_.bmpFile->setEnabled(form.draw);
    const int row = layerRows_.selectedRow();
    ui_.removeLayer->setEnabled(row >= 0);
    ui_.updateLayer->setEnabled(row >= 0 && layerFormIsValid(form));
    ui_.moveLayerUp->setEnabled(row > 0);
    ui_.moveLayerDown->setEnabled(row >= 0 && row + 1 < layers_.count());
    ui_.relink->setEnabled(!projectFolder_.empty() && layers_.count() > 0);
}

} // namespace kes::editor
