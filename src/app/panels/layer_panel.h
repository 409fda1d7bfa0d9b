// The layer half of the dialog: the layer list and the layer form, a view of
// the document's layer table. It reads and shows the form's fields, enables
// the layer buttons and the fields the kind uses, and marks fields whose text
// won't give what was typed (looking at the files only when what names them
// changed).
#pragma once

#include <string>

#include <QObject>

#include "check/field_checks.h"
#include "app/layer_form.h"
#include "app/main_dialog_controls.h"
#include "app/panels/row_form.h"

class QLabel;
class QLineEdit;
class QWidget;

namespace kes::editor {

class LayerPanel : public QObject, public RowForm<LayerForm, LayerEntry> {
    Q_OBJECT

public:
    // `frameFilesNote` shows "N frame files found" under the OBJ file.
    LayerPanel(LevelDocument& document, const MainDialogControls& controls, QLabel& frameFilesNote,
               QObject* parent = nullptr);

    LayerForm form() const override;
    void showForm(const LayerForm& form) override;

    void updateControls();
    void updateMarks();

    // The file the designer picked or dropped for the OBJ or BMP field,
    // stored relative to the project's folder when it lies inside; a numbered
    // frame file of an animation stands for the animation.
    void takeFilePath(QLineEdit* field, const std::string& path);
    // After a save to another folder: the form's paths name the same files
    // from there.
    void movePaths(const std::string& fromFolder, const std::string& toFolder);

protected:
    std::optional<LayerEntry> entryFrom(const LayerForm& form) const override;
    LayerForm formFrom(const LayerEntry& entry) const override;

private:
    const MainDialogControls& ui_;
    QLabel& frameFilesNote_;
    // The last checks of the form's files and what they were made for.
    std::string meshCheckKey_;
    FieldCheck meshCheck_;
    int frameFilesFound_ = -1;
    std::string textureCheckKey_;
    FieldCheck textureCheck_;
};

} // namespace kes::editor
