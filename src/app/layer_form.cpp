#include "app/layer_form.h"

#include "model/number_text.h"

namespace kes::editor {

bool layerFormIsValid(const LayerForm& form)
{
    if (form.objPath.empty())
        return false;
    if (form.draw && form.bmpPath.empty())
        return false;
    if (form.kind < 0 || form.kind >= kLayerKindCount)
        return false;
    const LayerKindFields used = fieldsUsedBy(form.kind);
    if (used.speed && !holdsNumbers(form.speed, 3))
        return false;
    if (used.framesTillReset && !holdsNonZeroInteger(form.framesTillReset))
        return false;
    if (used.vibration && !holdsNumbers(form.vibration, 3))
        return false;
    if (used.triggerArea && !holdsNumbers(form.triggerArea, 6))
        return false;
    return true;
}

LayerEntry layerEntryFromForm(const LayerForm& form)
{
    LayerEntry entry;
    entry.objPath = capText(form.objPath);
    entry.bmpPath = capText(form.bmpPath);
    entry.draw = form.draw ? 1 : 0;
    entry.collision = form.collision ? 1 : 0;
    entry.kind = form.kind;
    entry.speed = parseNumbers3(form.speed);
    entry.frames = leadingInteger(form.framesTillReset);
    entry.vibration = parseNumbers3(form.vibration);
    entry.triggerArea = triggerAreaFromTypedOrder(parseNumbers6(form.triggerArea));
    return entry;
}

LayerForm layerFormFromEntry(const LayerEntry& entry)
{
    LayerForm form;
    form.objPath = entry.objPath;
    form.bmpPath = entry.bmpPath;
    form.draw = entry.draw != 0;
    form.collision = entry.collision != 0;
    form.kind = entry.kind >= 0 && entry.kind < kLayerKindCount ? entry.kind : -1;
    form.speed = formatFixed4List(entry.speed.data(), 3);
    form.framesTillReset = formatInteger(entry.frames);
    form.vibration = formatFixed4List(entry.vibration.data(), 3);
    const std::array<float, 6> typed = triggerAreaToTypedOrder(entry.triggerArea);
    form.triggerArea = formatFixed4List(typed.data(), 6);
    return form;
}

std::string layerRowText(const LayerEntry& entry)
{
    return entry.objPath;
}

std::string layerLimitText()
{
    return "You can only create up to " + std::to_string(kTableCapacity)
        + " Layers with this tool, although Kestrin supports more. If you have a usage for more layers, "
          "feel free to contact the developer.";
}

} // namespace kes::editor
