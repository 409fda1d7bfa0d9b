// Layer editing in the main dialog: the form, its rules, and adding,
// removing and showing layers.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

#include "app/dialog_description.h"
#include "app/main_dialog.h"

namespace kes::editor {
namespace {

std::string layerLimitText()
{
    return "You can only create up to " + std::to_string(kTableCapacity)
        + " Layers with this tool, although Kestrin supports more. If you have a usage for more layers, "
          "feel free to contact the developer.";
}

constexpr char kLayerLimitCaption[] = "Layer Limit";

} // namespace

LayerForm MainDialog::layerForm() const
{
    LayerForm form;
    form.objPath = text(kObjFile);
    form.bmpPath = text(kBmpFile);
    form.draw = isChecked(kDraw);
    form.collision = isChecked(kCollision);
    form.kind = controlAs<QComboBox>(kLayerKind)->currentIndex();
    form.speed = text(kSpeed);
    form.framesTillReset = text(kFramesTillReset);
    form.vibration = text(kVibration);
    form.triggerArea = text(kTriggerArea);
    return form;
}

void MainDialog::showLayerForm(const LayerForm& form)
{
    setText(kBmpFile, form.bmpPath);
    setChecked(kCollision, form.collision);
    setChecked(kDraw, form.draw);
    setText(kFramesTillReset, form.framesTillReset);
    setText(kObjFile, form.objPath);
    setText(kSpeed, form.speed);
    setText(kTriggerArea, form.triggerArea);
    controlAs<QComboBox>(kLayerKind)->setCurrentIndex(form.kind);
    setText(kVibration, form.vibration);
}

void MainDialog::updateLayerControls()
{
    const LayerForm form = layerForm();
    const LayerKindFields used = fieldsUsedBy(form.kind);
    setEnabled(kAddLayer, layerFormIsValid(form));
    setEnabled(kSpeed, used.speed);
    setEnabled(kFramesTillReset, used.framesTillReset);
    setEnabled(kVibration, used.vibration);
    setEnabled(kTriggerArea, used.triggerArea);
    setEnabled(kBmpFile, form.draw);
    setEnabled(kRemoveLayer, selectedRow(kLayerList) >= 0);
}

void MainDialog::addLayer()
{
    if (layers_.count() >= kTableCapacity) {
        services_.showMessage(this, layerLimitText(), kLayerLimitCaption, MessageIcon::Error);
        return;
    }
    const LayerEntry entry = layerEntryFromForm(layerForm());
    layers_.append(entry);
    QListWidget* rows = list(kLayerList);
    const QSignalBlocker block(rows);
    rows->addItem(QString::fromStdString(layerRowText(entry)));
}

void MainDialog::removeLayer()
{
    const int row = selectedRow(kLayerList);
    if (row < 0)
        return;
    layers_.removeAt(row);
    QListWidget* rows = list(kLayerList);
    // The list would select a neighbour of the removed row; leave none
    // selected, and show nothing in the form.
    const QSignalBlocker block(rows);
    delete rows->takeItem(row);
    rows->setCurrentRow(-1);
    rows->clearSelection();
}

void MainDialog::showSelectedLayer()
{
    const int row = selectedRow(kLayerList);
    if (row < 0)
        return;
    showLayerForm(layerFormFromEntry(layers_.at(row)));
}

} // namespace kes::editor
