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
    ui_.removeTarget->setEnabled(targetRows_.selectedRow() >= 0);
}

} // namespace kes::editor
