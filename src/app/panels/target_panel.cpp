#include "app/panels/target_panel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/list_rows.h"
#include "app/panels/field_marks.h"
#include "app/panels/line_edit_text.h"

namespace kes::editor {

TargetPanel::TargetPanel(LevelDocument& document, const MainDialogControls& controls, QObject* parent)
    : QObject(parent), RowForm(document, LevelTable::Targets, *controls.targetList, showTargetRow), ui_(controls)
{
    setUpTargetRows(*ui_.targetList);
}

TargetForm TargetPanel::form() const
{
    TargetForm form;
    form.position = fieldText(ui_.position);
    form.kind = ui_.targetKind->currentIndex();
    return form;
}

void TargetPanel::showForm(const TargetForm& form)
{
    setFieldText(ui_.position, form.position);
    ui_.targetKind->setCurrentIndex(form.kind);
}

std::optional<TargetEntry> TargetPanel::entryFrom(const TargetForm& form) const
{
    if (!targetFormIsValid(form))
        return std::nullopt;
    return targetEntryFromForm(form);
}

TargetForm TargetPanel::formFrom(const TargetEntry& entry) const
{
    return targetFormFromEntry(entry);
}

void TargetPanel::updateControls()
{
    const bool valid = targetFormIsValid(form());
    ui_.addTarget->setEnabled(valid);
    const int row = document().selectedRow(LevelTable::Targets);
    ui_.removeTarget->setEnabled(row >= 0);
    ui_.updateTarget->setEnabled(row >= 0 && valid);
    ui_.moveTargetUp->setEnabled(row > 0);
    ui_.moveTargetDown->setEnabled(row >= 0 && row + 1 < document().targets().count());
}

void TargetPanel::updateMarks()
{
    markField(ui_.position, checkNumberList(fieldText(ui_.position), 3));
}

} // namespace kes::editor
