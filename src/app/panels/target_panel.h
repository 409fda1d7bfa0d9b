// The target half of the dialog: the target list and the target form, a view
// of the document's target table.
#pragma once

#include <QObject>

#include "app/main_dialog_controls.h"
#include "app/panels/row_form.h"
#include "app/target_form.h"

namespace kes::editor {

class TargetPanel : public QObject, public RowForm<TargetForm, TargetEntry> {
    Q_OBJECT

public:
    TargetPanel(LevelDocument& document, const MainDialogControls& controls, QObject* parent = nullptr);

    TargetForm form() const override;
    void showForm(const TargetForm& form) override;

    void updateControls();
    void updateMarks();

protected:
    std::optional<TargetEntry> entryFrom(const TargetForm& form) const override;
    TargetForm formFrom(const TargetEntry& entry) const override;

private:
    const MainDialogControls& ui_;
};

} // namespace kes::editor
