#include "app/view_editing/view_edits.h"

#include <vector>

#include "model/number_text.h"
#include "model/start_placement.h"

namespace kes::editor {
namespace {

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

} // namespace

std::string startTextWith(const std::string& text, const std::optional<ScenePoint>& position,
                          const std::optional<float>& turnY)
{
    std::vector<std::string> numbers = split(text);
    if (numbers.size() != 6 || !holdsNumbers(text, 6)) {
        // Not six numbers: the numbers the level takes from it, written out.
        LevelSettings settings;
        settings.startPosition = text;
        const StartPlacement start = startPlacementOf(settings);
        numbers.clear();
        for (float value : start.position)
            numbers.push_back(formatFixed4(value));
        for (float value : start.rotation)
            numbers.push_back(formatShortest(value));
    }
    if (position) {
        numbers[0] = formatFixed4(position->x);
        numbers[1] = formatFixed4(position->y);
        numbers[2] = formatFixed4(position->z);
    }
    if (turnY)
        numbers[4] = formatFixed1(*turnY);
    std::string joined;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        joined += (i > 0 ? "," : "") + numbers[i];
    return joined;
}

void moveTarget(LevelDocument& document, int row, const ScenePoint& position, const QString& text)
{
    if (row < 0 || row >= document.targets().count())
        return;
    TargetEntry entry = document.targets().at(row);
    entry.x = position.x;
    entry.y = position.y;
    entry.z = position.z;
    if (!(entry == document.targets().at(row)))
        document.replaceRow(row, entry, text);
}

void placeStart(LevelDocument& document, const std::optional<ScenePoint>& position,
                const std::optional<float>& turnY, const QString& text)
{
    const std::string after = startTextWith(document.settings().startPosition, position, turnY);
    if (after == document.settings().startPosition)
        return;
    if (document.editOpen()) {
        document.setSetting(Setting::StartPosition, after);
        return;
    }
    // One step with its own name rather than "Edit setting".
    document.beginEdit(text);
    document.setSetting(Setting::StartPosition, after);
    document.commitEdit();
}

} // namespace kes::editor
