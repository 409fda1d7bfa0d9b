#include "app/panels/layer_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/animation_frames.h"
#include "app/list_rows.h"
#include "app/panels/field_marks.h"
#include "app/panels/line_edit_text.h"
#include "generate/layer_files.h"
#include "model/layer_kinds.h"
#include "model/number_text.h"
#include "model/stored_path.h"

namespace kes::editor {

LayerPanel::LayerPanel(LevelDocument& document, const MainDialogControls& controls, QLabel& frameFilesNote,
                       QObject* parent)
    : QObject(parent), RowForm(document, LevelTable::Layers, *controls.layerList, showLayerRow), ui_(controls),
      frameFilesNote_(frameFilesNote)
{
    setUpLayerRows(*ui_.layerList);
}

LayerForm LayerPanel::form() const
{
    LayerForm form;
    form.objPath = fieldText(ui_.objFile);
    form.bmpPath = fieldText(ui_.bmpFile);
    form.draw = ui_.draw->isChecked();
    form.collision = ui_.collision->isChecked();
    form.kind = ui_.layerKind->currentIndex();
    form.speed = fieldText(ui_.speed);
    form.framesTillReset = fieldText(ui_.framesTillReset);
    form.vibration = fieldText(ui_.vibration);
    form.triggerArea = fieldText(ui_.triggerArea);
    return form;
}

void LayerPanel::showForm(const LayerForm& form)
{
    setFieldText(ui_.bmpFile, form.bmpPath);
    ui_.collision->setChecked(form.collision);
    ui_.draw->setChecked(form.draw);
    setFieldText(ui_.framesTillReset, form.framesTillReset);
    setFieldText(ui_.objFile, form.objPath);
    setFieldText(ui_.speed, form.speed);
    setFieldText(ui_.triggerArea, form.triggerArea);
    ui_.layerKind->setCurrentIndex(form.kind);
    setFieldText(ui_.vibration, form.vibration);
}

std::optional<LayerEntry> LayerPanel::entryFrom(const LayerForm& form) const
{
    if (!layerFormIsValid(form))
        return std::nullopt;
    return layerEntryFromForm(form);
}

LayerForm LayerPanel::formFrom(const LayerEntry& entry) const
{
    return layerFormFromEntry(entry);
}

void LayerPanel::updateControls()
{
    const LayerForm form = this->form();
    const LayerKindFields used = fieldsUsedBy(form.kind);
    ui_.addLayer->setEnabled(layerFormIsValid(form));
    ui_.speed->setEnabled(used.speed);
    ui_.framesTillReset->setEnabled(used.framesTillReset);
    ui_.vibration->setEnabled(used.vibration);
    ui_.triggerArea->setEnabled(used.triggerArea);
    ui_.bmpFile->setEnabled(form.draw);
    const int row = document().selectedRow(LevelTable::Layers);
    const int count = document().layers().count();
    ui_.removeLayer->setEnabled(row >= 0);
    ui_.updateLayer->setEnabled(row >= 0 && layerFormIsValid(form));
    ui_.moveLayerUp->setEnabled(row > 0);
    ui_.moveLayerDown->setEnabled(row >= 0 && row + 1 < count);
    ui_.relink->setEnabled(!document().folder().empty() && count > 0);
}

void LayerPanel::updateMarks()
{
    const LayerForm form = this->form();
    const LayerKindFields used = fieldsUsedBy(form.kind);
    markField(ui_.speed, used.speed ? checkNumberList(form.speed, 3) : FieldCheck{});
    markField(ui_.vibration, used.vibration ? checkNumberList(form.vibration, 3) : FieldCheck{});
    markField(ui_.triggerArea, used.triggerArea ? checkNumberList(form.triggerArea, 6) : FieldCheck{});
    const bool animated = isAnimatedLayerKind(form.kind);
    markField(ui_.framesTillReset,
              used.framesTillReset ? checkFrameCount(form.framesTillReset, animated) : FieldCheck{});

    // The files are looked at only when what names them changed.
    const std::string& folder = document().folder();
    const int frames = leadingInteger(form.framesTillReset);
    const std::string meshKey = form.objPath + '\n' + folder + '\n' + std::to_string(form.kind) + '\n'
        + std::to_string(frames);
    if (meshKey != meshCheckKey_) {
        meshCheckKey_ = meshKey;
        meshCheck_ = checkMeshFile(form.objPath, folder, form.kind, frames);
        frameFilesFound_ = animated && !form.objPath.empty()
            ? countFrameFiles(locateLayerMesh(layerEntryFromForm(form), folder).path)
            : -1;
    }
    const std::string textureKey = form.draw ? form.bmpPath + '\n' + folder : std::string();
    if (textureKey != textureCheckKey_) {
        textureCheckKey_ = textureKey;
        textureCheck_ = form.draw ? checkTextureFile(form.bmpPath, folder) : FieldCheck{};
    }
    markField(ui_.objFile, meshCheck_);
    markField(ui_.bmpFile, textureCheck_);
    const QString note = frameFilesFound_ >= 0 ? QString::fromStdString(frameFilesFoundText(frameFilesFound_)) : QString();
    if (frameFilesNote_.text() != note)
        frameFilesNote_.setText(note);
}

void LayerPanel::takeFilePath(QLineEdit* field, const std::string& path)
{
    const std::string& folder = document().folder();
    std::string stored = portablePath(path, folder);
    if (field == ui_.objFile && isAnimatedLayerKind(ui_.layerKind->currentIndex())) {
        // A numbered frame file stands for its animation: store the base
        // and offer the frames found as the frame count.
        if (const std::optional<std::string> base = frameBasePath(stored)) {
            stored = *base;
            const int frames = countFrameFiles(resolveStoredPath(stored, folder));
            if (frames > 0)
                setFieldText(ui_.framesTillReset, std::to_string(frames));
        }
    }
    setFieldText(field, stored);
}

void LayerPanel::movePaths(const std::string& fromFolder, const std::string& toFolder)
{
    const bool applied = !holdsEdits();
    for (QLineEdit* field : {ui_.objFile, ui_.bmpFile})
        setFieldText(field, movedStoredPath(fieldText(field), fromFolder, toFolder));
    if (applied)
        this->applied();
}

} // namespace kes::editor
