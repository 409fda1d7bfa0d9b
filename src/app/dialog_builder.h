// Turns the dialog description into Qt widgets.
#pragma once

#include <functional>
#include <map>
#include <span>

#include "app/dialog_description.h"
#include "app/dialog_units.h"

class QWidget;

namespace kes::editor {

// Creates the described controls as children of `dialog`, in the given order,
// placed by `units`, and chains the keyboard tab order in the same order.
// Push buttons are never default buttons (Enter in an edit presses nothing),
// drop-down lists can't be typed into and digits-only edits refuse any other
// typed character. Every notification of a control with an id calls
// `onCommand` with that id: a click, a changed text, check mark or selection,
// and for lists also a double click and the list gaining or losing the
// keyboard focus. Returns the controls that have an id, by id.
std::map<int, QWidget*> buildDialogControls(QWidget& dialog,
                                            std::span<const ControlDescription> controls,
                                            const DialogUnits& units,
                                            std::function<void(int id)> onCommand);

} // namespace kes::editor
