#include "app/actions/row_actions.h"

#include <QUndoStack>

#include "app/panels/layer_panel.h"
#include "app/panels/target_panel.h"
#include "generate/layer_files.h"
#include "model/file_io.h"
#include "model/number_text.h"
#include "model/stored_path.h"

namespace kes::editor {
namespace {

constexpr char kUnappliedCaption[] = "Unapplied Changes";
constexpr char kRelinkCaption[] = "Relink";

} // namespace

RowActions::RowActions(PlatformServices& services, QWidget& window, LevelDocument& document, LayerPanel& layerPanel,
                       TargetPanel& targetPanel)
    : services_(services), window_(window), document_(document), layerPanel_(layerPanel), targetPanel_(targetPanel)
{
}

void RowActions::addLayer()
{
    if (!document_.addRow(layerEntryFromForm(layerPanel_.form()), QStringLiteral("Add layer"))) {
        services_.showMessage(&window_, layerLimitText(), kLayerLimitCaption, MessageIcon::Error);
        return;
    }
    // What the form holds is in the table now.
    layerPanel_.applied();
}

void RowActions::addTarget()
{
    if (!document_.addRow(targetEntryFromForm(targetPanel_.form()), QStringLiteral("Add target"))) {
        services_.showMessage(&window_, targetLimitText(), kTargetLimitCaption, MessageIcon::Error);
        return;
    }
    targetPanel_.applied();
}

void RowActions::removeRow(LevelTable table)
{
    // Leaves no row selected, and the form as it is.
    const QString text = table == LevelTable::Layers ? QStringLiteral("Remove layer") : QStringLiteral("Remove target");
    document_.removeRow(table, document_.selectedRow(table), text);
}

void RowActions::updateRow(LevelTable table)
{
    const int row = document_.selectedRow(table);
    if (row < 0)
        return;
    if (table == LevelTable::Layers) {
        const LayerForm form = layerPanel_.form();
        if (!layerFormIsValid(form))
            return;
        document_.replaceRow(row, layerEntryFromForm(form), QStringLiteral("Update layer"));
        layerPanel_.applied();
    } else {
        const TargetForm form = targetPanel_.form();
        if (!targetFormIsValid(form))
            return;
        document_.replaceRow(row, targetEntryFromForm(form), QStringLiteral("Update target"));
        targetPanel_.applied();
    }
}

void RowActions::moveRow(LevelTable table, int step)
{
    const int row = document_.selectedRow(table);
    const bool layers = table == LevelTable::Layers;
    const QString text = step < 0 ? (layers ? QStringLiteral("Move layer up") : QStringLiteral("Move target up"))
                                  : (layers ? QStringLiteral("Move layer down") : QStringLiteral("Move target down"));
    if (row >= 0)
        document_.moveRow(table, row, row + step, text);
}

void RowActions::rowChosen(LevelTable table)
{
    // The list notifies also when it gains or loses the focus and when the
    // shown row is clicked again: only another row replaces what the form
    // holds, and unapplied edits only when the designer agrees.
    const bool layers = table == LevelTable::Layers;
    const int row = layers ? layerPanel_.list().selectedRow() : targetPanel_.list().selectedRow();
    const int shown = document_.selectedRow(table);
    if (row < 0 || row == shown || askingAboutEdits_)
        return;
    if (!mayDiscardFormEdits(table)) {
        if (layers)
            layerPanel_.list().select(shown);
        else
            targetPanel_.list().select(shown);
        return;
    }
    if (layers)
        layerPanel_.showRow(row);
    else
        targetPanel_.showRow(row);
    document_.select(table, row);
}

bool RowActions::mayDiscardFormEdits(LevelTable table)
{
    const bool layer = table == LevelTable::Layers;
    if (layer ? !layerPanel_.holdsEdits() : !targetPanel_.holdsEdits())
        return true;
    const std::string what = layer ? "layer" : "target";
    const int row = layer ? layerPanel_.shownRow() : targetPanel_.shownRow();
    const std::string text = row >= 0
        ? "The form holds changes to " + what + " " + std::to_string(row + 1) + " that are not applied. Discard them?"
        : "The form holds a " + what + " that is not added. Discard it?";
    const std::string detail
        = "\"Update\" applies the form to the selected row; \"< Add <\" adds it as a new row.";
    askingAboutEdits_ = true;
    const bool discard = services_.ask(&window_, text, kUnappliedCaption, {Answer::Discard, Answer::Cancel},
                                       Answer::Cancel, detail)
        == Answer::Discard;
    askingAboutEdits_ = false;
    return discard;
}

void RowActions::addMeshLayers(const std::vector<std::string>& meshPaths)
{
    QUndoStack& undo = document_.undoStack();
    undo.beginMacro(meshPaths.size() == 1 ? "Add layer" : "Add layers");
    for (const std::string& path : meshPaths) {
        LayerEntry entry;
        entry.objPath = capText(portablePath(path, document_.folder()));
        entry.kind = static_cast<std::int32_t>(LayerKind::Static);
        entry.collision = 1;
        const std::filesystem::path texture = pathFromUtf8(path).replace_extension(".bmp");
        if (fileExists(pathToUtf8(texture))) {
            entry.draw = 1;
            entry.bmpPath = capText(portablePath(pathToUtf8(texture), document_.folder()));
        }
        if (!document_.addRow(entry, QStringLiteral("Add layer"))) {
            services_.showMessage(&window_, layerLimitText(), kLayerLimitCaption, MessageIcon::Error);
            break;
        }
    }
    undo.endMacro();
    }

void RowActions::relinkMissingFiles()
{
    LayerTable relinkedLayers = document_.layers();
    const std::vector<RelinkedPath> relinked = relinkLayerPaths(relinkedLayers, document_.folder());
    if (relinked.empty()) {
        services_.showMessage(&window_, "No missing mesh or texture file was found in the project's folder.",
                              kRelinkCaption, MessageIcon::Information);
        return;
    }
    std::string detail;
    for (const RelinkedPath& path : relinked)
        detail += "layer " + std::to_string(path.layer + 1) + ": '" + path.stored + "' -> '" + path.relinked + "'\n";
    detail.pop_back();
    // One undo step for all the layers it changed; the form follows a
    // relinked layer it shows, unless it holds edits.
    document_.replaceLayers(relinkedLayers, QStringLiteral("Relink"));
    services_.showMessage(&window_, std::to_string(relinked.size()) + " missing file paths now name files in the project's folder.",
                          kRelinkCaption, MessageIcon::Information, detail);
}

} // namespace kes::editor
