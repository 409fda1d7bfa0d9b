// Files dragged onto the editor: an OBJ onto the OBJ File field, a BMP onto
// the BMP File field, OBJ files onto the layer list, a project anywhere on
// the window. Whatever else is dragged is refused with the drag cursor; a
// dropped file arrives as a local path, never as a URL.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QMimeData;
class QWidget;

namespace kes::editor {

struct DropTargets {
    QWidget* objField = nullptr;
    QWidget* bmpField = nullptr;
    QListWidget* layerList = nullptr;
};

struct DropActions {
    // One file for a field (objField or bmpField).
    std::function<void(QWidget* field, const std::string& path)> fillField;
    // One or more OBJ files for the layer list, in the order dragged.
    std::function<void(const std::vector<std::string>& meshPaths)> addMeshes;
    // A project file dropped anywhere.
    std::function<void(const std::string& projectPath)> openProject;
};

// The local paths (UTF-8) of the files dragged; empty when nothing is, or
// when anything dragged is not a local file.
std::vector<std::string> draggedLocalFiles(const QMimeData& data);

// Makes `dialog`, its edits and the layer list take the drops above.
void installDropHandling(QWidget& dialog, const DropTargets& targets, DropActions actions);

} // namespace kes::editor
