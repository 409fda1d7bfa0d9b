// Lets the editor's form grow with the height of its window: the lists take
// the extra room, the rest keeps its size and moves along. (The preview
// beside the form takes the extra width.)
#pragma once

#include <QSize>

#include "app/dialog_units.h"

class QWidget;

namespace kes::editor {

// Remembers where every child of `dialog` inside the form's area (its top
// left `formSize`) is now and, whenever the dialog is resized, places them
// for the new height: two thirds of the height beyond the form's go to the
// layer list and one third to the target list; the buttons under each list
// and the buttons at the bottom move down with them. Call once all controls
// exist.
void stretchWithWindow(QWidget& dialog, const DialogUnits& units, const QSize& formSize);

} // namespace kes::editor
