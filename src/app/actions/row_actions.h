// The layer and target buttons of the editor ("< Add <", "Remove", "Update",
// the move buttons, a click in a list, "Relink", meshes dropped on the list):
// each reads its form and makes one edit on the level document. The question
// before a form's unapplied entry is dropped lives here too.
#pragma once

#include <string>
#include <vector>

#include "app/platform_services.h"
#include "document/level_document.h"

class QWidget;

namespace kes::editor {

class LayerPanel;
class TargetPanel;

class RowActions {
public:
    RowActions(PlatformServices& services, QWidget& window, LevelDocument& document, LayerPanel& layerPanel,
               TargetPanel& targetPanel);

    void addLayer();
    void addTarget();
    void removeRow(LevelTable table);
    void updateRow(LevelTable table);
    void moveRow(LevelTable table, int step); // -1 up, +1 down
    // A click in a list: another row replaces what the form holds, and
    // unapplied edits only when the designer agrees.
    void rowChosen(LevelTable table);
    void relinkMissingFiles();
    // Meshes dropped on the layer list: one layer each, one undo step.
    void addMeshLayers(const std::vector<std::string>& meshPaths);
    // True when the form of `table` holds no unapplied edits, or the
    // designer chose to discard them.
    bool mayDiscardFormEdits(LevelTable table);

private:
    PlatformServices& services_;
    QWidget& window_;
    LevelDocument& document_;
    LayerPanel& layerPanel_;
    TargetPanel& targetPanel_;
    bool askingAboutEdits_ = false;
};

} // namespace kes::editor
