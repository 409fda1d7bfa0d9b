// What each field of the dialog holds, in its units, with an example: the
// texts of the fields' tooltips, all in one table.
#pragma once

#include <map>
#include <span>

class QWidget;

namespace kes::editor {

struct FieldHelp {
    int id;            // control id (dialog_description.h)
    const char* text;  // the tooltip
};

// One entry per field, check box, kind list, list and button that has an id.
std::span<const FieldHelp> fieldHelp();

// Sets the tooltip of every control in `controls` that fieldHelp() describes;
// a field too narrow for its text shows the whole text above it.
void applyFieldHelp(const std::map<int, QWidget*>& controls);

} // namespace kes::editor
