// The edits a designer makes in the 3D view, written into the level as the
// form would write them. Inside an open continuous edit (a drag) each call is
// a step of that edit; otherwise each is one undo step named `text`.
#pragma once

#include <optional>
#include <string>

#include <QString>

#include "document/level_document.h"
#include "scene/scene.h"

namespace kes::editor {

// The undo steps of the view.
namespace view_edit_text {
inline const QString kMoveTarget = QStringLiteral("Move Target");
inline const QString kMoveStart = QStringLiteral("Move Start Position");
inline const QString kTurnStart = QStringLiteral("Turn Start Position");
inline const QString kSetStart = QStringLiteral("Set Start Position");
inline const QString kResizeTrigger = QStringLiteral("Resize Trigger Area");
inline const QString kMotionEnd = QStringLiteral("Change Motion End");
inline const QString kVibrationWidth = QStringLiteral("Change Vibration Width");
inline const QString kAddGoal = QStringLiteral("Add Goal Target");
inline const QString kAddBrake = QStringLiteral("Add Brake Target");
} // namespace view_edit_text

// The start position text with its place and/or its turn about y replaced.
// Numbers not replaced keep their text as typed when the text holds six
// numbers; a place is written as the form writes positions ("%.4f"), a turn
// with one decimal.
std::string startTextWith(const std::string& text, const std::optional<ScenePoint>& position,
                          const std::optional<float>& turnY);

void moveTarget(LevelDocument& document, int row, const ScenePoint& position, const QString& text);
void placeStart(LevelDocument& document, const std::optional<ScenePoint>& position,
                const std::optional<float>& turnY, const QString& text);
// Changes the layer row with `change` (a function taking LayerEntry&).
template <typename Change>
void changeLayer(LevelDocument& document, int row, Change change, const QString& text)
{
    if (row < 0 || row >= document.layers().count())
        return;
    LayerEntry entry = document.layers().at(row);
    change(entry);
    if (!(entry == document.layers().at(row)))
        document.replaceRow(row, entry, text);
}

} // namespace kes::editor
