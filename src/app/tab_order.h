// The keyboard tab order of the editor: as the dialog reads, group by group
// from the top left (Metadata, Basics, Layers, Targets, then the buttons at
// the bottom), and within a group each list with its buttons before the form
// beside it, whose fields go top to bottom and left to right.
#pragma once

#include <map>
#include <span>

class QWidget;

namespace kes::editor {

// The control ids in tab order.
std::span<const int> tabOrder();

// Chains the tab order of `controls` (by id) in that order.
void applyTabOrder(const std::map<int, QWidget*>& controls);

} // namespace kes::editor
