// The target form of the editor: the position and kind of one target before
// it is added, and the conversions between the form and a TargetEntry. Free
// of any user-interface code.
#pragma once

#include <string>

#include "model/level_model.h"

namespace kes::editor {

struct TargetForm {
    std::string position; // "x,y,z"
    int kind = 0;         // row of the kind list; -1 when none is selected

    bool operator==(const TargetForm&) const = default;
};

// True when a kind is selected and the position holds three numbers.
bool targetFormIsValid(const TargetForm& form);

// The entry for the form; numbers that don't parse are 0.
TargetEntry targetEntryFromForm(const TargetForm& form);

// The form showing `entry`: the position with four decimals per value; a kind
// other than 0 or 1 selects no row (-1).
TargetForm targetFormFromEntry(const TargetEntry& entry);

// The text of the entry's row in the target list: its position as
// "%.4f,%.4f,%.4f". The kind is not shown.
std::string targetRowText(const TargetEntry& entry);

// The message shown when a target is added to a full table, and its caption.
std::string targetLimitText();
inline constexpr char kTargetLimitCaption[] = "Target Limit";

} // namespace kes::editor
