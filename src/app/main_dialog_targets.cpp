// Target editing in the main dialog: the form and its rules.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/main_dialog.h"

namespace kes::editor {

TargetForm MainDialog::targetForm() const
{
    TargetForm form;
    form.position = text(ui_.position);
    form.kind = ui_.targetKind->currentIndex();
    return form;
}

void MainDialog::showTargetForm(const TargetForm& form)
{
    setText(ui_.position, form.position);
    ui_.targetKind->setCurrentIndex(form.kind);
}

void MainDialog::updateTargetControls()
{
    ui_.addTarget->setEnabled(targetFormIsValid(targetForm()));
    const int row = targetRows_.selectedRow();
    ui_.removeTarget->setEnabled(row >= 0);
    ui_.updateTarget->setEnabled(row >= 0 && targetFormIsValid(targetForm()));
    ui_.moveTargetUp->setEnabled(row > 0);
    ui_.moveTargetDown->setEnabled(row >= 0 && row + 1 < targets_.count());
}

} // namespace kes::editor
