#include "app/view_editing/edit_tools.h"

#include <cmath>

#include "app/view_editing/view_edits.h"
#include "model/start_placement.h"
#include "scene/scene_vector.h"
#include "scene/snapping.h"

namespace kes::editor {
namespace {

QString number(float value)
{
    return QString::number(static_cast<double>(value), 'f', 2);
}

QString signedNumber(float value)
{
    return (value >= 0 ? QStringLiteral("+") : QString()) + number(value);
}

// "x 3.00 (+2.00)  y 0.50  z -1.00": each coordinate, with how far it moved
// when it did.
QString pointChange(const ScenePoint& before, const ScenePoint& after)
{
    static const char* const kNames[] = {"x", "y", "z"};
    QStringList parts;
    for (int axis = 0; axis < 3; ++axis) {
        const float now = axisOf(after, axis);
        const float moved = now - axisOf(before, axis);
        QString part = QStringLiteral("%1 %2").arg(QLatin1String(kNames[axis]), number(now));
        if (moved != 0)
            part += QStringLiteral(" (%1)").arg(signedNumber(moved));
        parts << part;
    }
    return parts.join(QStringLiteral("  "));
}

bool perspective(const ViewSetup& setup)
{
    return setup.mode == ViewMode::Perspective;
}

} // namespace

// The tag of the edits of drags in the view.
constexpr int kViewDragTag = 0x76696577;

EditTool::EditTool(LevelDocument& document, const QString& text) : document_(document)
{
    document_.beginEdit(text, kViewDragTag);
}

bool EditTool::editing() const
{
    return document_.editOpen() && document_.editTag() == kViewDragTag;
}

void EditTool::finish()
{
    if (editing())
        document_.commitEdit();
}

void EditTool::cancel()
{
    if (editing())
        document_.cancelEdit();
}

PointMoveTool::PointMoveTool(LevelDocument& document, int row, const ScenePoint& from, const Ray& grabbed)
    : EditTool(document, row >= 0 ? view_edit_text::kMoveTarget : view_edit_text::kMoveStart)
    , row_(row)
    , from_(from)
    , grabbed_(grabbed)
{
}

QString PointMoveTool::drag(const ViewPointer& pointer, const ViewSetup& setup)
{
    if (!editing())
        return {};
    const bool vertical = pointer.alt && perspective(setup);
    const auto to = dragGrabbedPoint(dragViewOf(setup.mode), from_, grabbed_, pointer.ray, vertical, setup.grid);
    if (!to)
        return {};
    if (row_ >= 0)
        moveTarget(document_, row_, *to, {});
    else
        placeStart(document_, *to, std::nullopt, {});
    const QString what = row_ >= 0 ? QStringLiteral("Target %1").arg(row_ + 1) : QStringLiteral("Start");
    return QStringLiteral("%1: %2").arg(what, pointChange(from_, *to));
}

namespace {

// The angle round `centre` where the ray meets the horizontal plane through
// it, in degrees as the start's turn counts them.
std::optional<float> angleRound(const ScenePoint& centre, const Ray& ray)
{
    const auto distance = intersectPlane(ray, centre, {0, 1, 0});
    if (!distance)
        return std::nullopt;
    return ringAngle(centre, pointOnRay(ray, *distance), false);
}

} // namespace

StartTurnTool::StartTurnTool(LevelDocument& document, const ScenePoint& centre, float turnBefore,
                             const Ray& grabbed)
    : EditTool(document, view_edit_text::kTurnStart)
    , centre_(centre)
    , before_(turnBefore)
    , grabbedAt_(angleRound(centre, grabbed))
{
}

QString StartTurnTool::drag(const ViewPointer& pointer, const ViewSetup& setup)
{
    if (!editing())
        return {};
    const auto now = angleRound(centre_, pointer.ray);
    if (!now || !grabbedAt_)
        return {};
    float angle = before_ + (*now - *grabbedAt_);
    if (setup.grid > 0)
        angle = snapAngle(angle);
    angle = std::fmod(angle, 360.0f);
    if (angle < 0)
        angle += 360;
    placeStart(document_, std::nullopt, angle >= 360 ? 0.0f : angle + 0.0f, {});
    // The text as written, so the status says what the form shows.
    LevelSettings settings;
    settings.startPosition = startTextWith(document_.settings().startPosition, std::nullopt, angle);
    const float written = startPlacementOf(settings).rotation[1];
    return QStringLiteral("Start turn about y: %1\u00B0 (%2\u00B0)")
        .arg(QString::number(static_cast<double>(written), 'f', 1),
             (written >= before_ ? QStringLiteral("+") : QString())
                 + QString::number(static_cast<double>(written - before_), 'f', 1));
}

BoxFaceTool::BoxFaceTool(LevelDocument& document, Box box, int row, int face, const ScenePoint& handle,
                         const Ray& grabbed, const SceneBox& layerBounds)
    : EditTool(document, box == Box::Trigger ? view_edit_text::kResizeTrigger : view_edit_text::kVibrationWidth)
    , box_(box)
    , row_(row)
    , face_(face)
    , handle_(handle)
    , layerBounds_(layerBounds)
{
    grabbedAt_ = axisValueNearRay(grabbed, handle, faceAxis(face)).value_or(axisOf(handle, faceAxis(face)));
    if (row >= 0 && row < document.layers().count())
        before_ = document.layers().at(row);
}

QString BoxFaceTool::drag(const ViewPointer& pointer, const ViewSetup& setup)
{
    if (!editing())
        return {};
    const int axis = faceAxis(face_);
    const auto near = axisValueNearRay(pointer.ray, handle_, axis);
    if (!near)
        return {};
    const float from = axisOf(handle_, axis);
    const float moved = *near - grabbedAt_;
    float value = from + moved;
    if (setup.grid > 0)
        value = std::fabs(moved) >= setup.grid / 2 ? snapToGrid(value, setup.grid) : from;
    static const char* const kAxes[] = {"x", "y", "z"};
    if (box_ == Box::Trigger) {
        const TriggerArea area = dragTriggerFace(before_.triggerArea, face_, value);
        changeLayer(document_, row_, [&](LayerEntry& entry) { entry.triggerArea = area; }, {});
        // Name the typed number that changed: x1, x2, y1, ...
        const auto typedBefore = triggerAreaToTypedOrder(before_.triggerArea);
        const auto typedAfter = triggerAreaToTypedOrder(area);
        const auto first = static_cast<std::size_t>(2 * axis);
        const bool lowIsFirst = typedBefore[first] <= typedBefore[first + 1];
        const std::size_t index = faceIsHigh(face_) == lowIsFirst ? first + 1 : first;
        return QStringLiteral("Trigger area %1%2: %3 (%4)")
            .arg(QLatin1String(kAxes[axis]))
            .arg(index - first + 1)
            .arg(number(typedAfter[index]), signedNumber(typedAfter[index] - typedBefore[index]));
    }
    const float width = vibrationWidthForFace(layerBounds_, face_, value);
    changeLayer(document_, row_, [&](LayerEntry& entry) { entry.vibration[static_cast<std::size_t>(axis)] = width; },
                {});
    const float widthBefore = before_.vibration[static_cast<std::size_t>(axis)];
    return QStringLiteral("Vibration width %1: %2 (%3)")
        .arg(QLatin1String(kAxes[axis]), number(width), signedNumber(width - widthBefore));
}

MotionEndTool::MotionEndTool(LevelDocument& document, const SceneLayer& layer, int row, const ScenePoint& handle,
                             const Ray& grabbed)
    : EditTool(document, view_edit_text::kMotionEnd), layer_(layer), row_(row), handle_(handle), grabbed_(grabbed)
{
}

QString MotionEndTool::drag(const ViewPointer& pointer, const ViewSetup& setup)
{
    if (!editing())
        return {};
    const bool vertical = pointer.alt && perspective(setup);
    auto to = dragGrabbedPoint(dragViewOf(setup.mode), handle_, grabbed_, pointer.ray, vertical, 0);
    if (!to)
        return {};
    if (setup.grid > 0) {
        // The way from the layer to its end on the grid, for each part of it
        // that moved by half a step or more.
        const ScenePoint centre = layer_.bounds.centre();
        for (int axis = 0; axis < 3; ++axis) {
            const float moved = axisOf(*to, axis) - axisOf(handle_, axis);
            const float way = axisOf(*to, axis) - axisOf(centre, axis);
            setAxis(*to, axis,
                    std::fabs(moved) >= setup.grid / 2 ? axisOf(centre, axis) + snapToGrid(way, setup.grid)
                                                       : axisOf(handle_, axis));
        }
    }
    const auto speed = speedForEndHandle(layer_, *to);
    if (!speed)
        return {};
    changeLayer(document_, row_, [&](LayerEntry& entry) { entry.speed = {speed->x, speed->y, speed->z}; }, {});
    return QStringLiteral("Motion end: %1  (speed %2, %3, %4)")
        .arg(pointChange(handle_, *to), QString::number(static_cast<double>(speed->x), 'f', 4),
             QString::number(static_cast<double>(speed->y), 'f', 4),
             QString::number(static_cast<double>(speed->z), 'f', 4));
}

} // namespace kes::editor
