// Target editing in the main dialog: the form, its rules, and adding,
// removing and showing targets.
#include <QComboBox>
#include <QListWidget>

#include "app/dialog_description.h"
#include "app/main_dialog.h"

namespace kes::editor {
namespace {

std::string targetLimitText()
{
    return "You can only add up to " + std::to_string(kTableCapacity)
        + " Targets with this tool, although Kestrin supports more. If you have a usage for more targets, "
          "feel free to contact the developer.";
}

constexpr char kTargetLimitCaption[] = "Target Limit";

} // namespace

TargetForm MainDialog::targetForm() const
{
    TargetForm form;
    form.position = text(kPosition);
    form.kind = controlAs<QComboBox>(kTargetKind)->currentIndex();
    return form;
}

void MainDialog::showTargetForm(const TargetForm& form)
{
    setText(kPosition, form.position);
    controlAs<QComboBox>(kTargetKind)->setCurrentIndex(form.kind);
}

void MainDialog::updateTargetControls()
{
    setEnabled(kAddTarget, targetFormIsValid(targetForm()));
    setEnabled(kRemoveTarget, selectedRow(kTargetList) >= 0);
}

void MainDialog::addTarget()
{
    if (targets_.count() >= kTableCapacity) {
        services_.showMessage(this, targetLimitText(), kTargetLimitCaption, MessageIcon::Error);
        return;
    }
    const TargetEntry entry = targetEntryFromForm(targetForm());
    targets_.append(entry);
    QListWidget* rows = list(kTargetList);
    const QSignalBlocker block(rows);
    rows->addItem(QString::fromStdString(targetRowText(entry)));
}

void MainDialog::removeTarget()
{
    const int row = selectedRow(kTargetList);
    if (row < 0)
        return;
    targets_.removeAt(row);
    QListWidget* rows = list(kTargetList);
    // The list would select a neighbour of the removed row; leave none
    // selected.
    const QSignalBlocker block(rows);
    delete rows->takeItem(row);
    rows->setCurrentRow(-1);
    rows->clearSelection();
}

void MainDialog::showSelectedTarget()
{
    const int row = selectedRow(kTargetList);
    if (row < 0)
        return;
    showTargetForm(targetFormFromEntry(targets_.at(row)));
}

} // namespace kes::editor
