#include "app/target_form.h"

#include <array>

#include "model/number_text.h"

namespace kes::editor {

bool targetFormIsValid(const TargetForm& form)
{
    return form.kind >= 0 && form.kind < kTargetKindCount && holdsNumbers(form.position, 3);
}

TargetEntry targetEntryFromForm(const TargetForm& form)
{
    const std::array<float, 3> position = parseNumbers3(form.position);
    TargetEntry entry;
    entry.x = position[0];
    entry.y = position[1];
    entry.z = position[2];
    entry.kind = form.kind;
    return entry;
}

TargetForm targetFormFromEntry(const TargetEntry& entry)
{
    TargetForm form;
    form.position = targetRowText(entry);
    form.kind = entry.kind >= 0 && entry.kind < kTargetKindCount ? entry.kind : -1;
    return form;
}

std::string targetRowText(const TargetEntry& entry)
{
    const float position[3] = {entry.x, entry.y, entry.z};
    return formatFixed4List(position, 3);
}

std::string targetLimitText()
{
    return "You can only add up to " + std::to_string(kTableCapacity)
        + " Targets with this tool, although Kestrin supports more. If you have a usage for more targets, "
          "feel free to contact the developer.";
}

} // namespace kes::editor
