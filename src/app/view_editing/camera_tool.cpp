#include "app/view_editing/camera_tool.h"

namespace kes::editor {

DragView dragViewOf(ViewMode mode)
{
    switch (mode) {
    case ViewMode::Top:
        return DragView::Top;
    case ViewMode::Front:
        return DragView::Front;
    case ViewMode::Side:
        return DragView::Side;
    case ViewMode::Perspective:
        break;
    }
    return DragView::Perspective;
}

CameraTool::CameraTool(PreviewCamera& camera, const QPointF& pressed, const QSize& viewport, bool pan)
    : camera_(camera), before_(camera), last_(pressed), viewport_(viewport), pan_(pan)
{
}

QString CameraTool::drag(const ViewPointer& pointer, const ViewSetup&)
{
    const QPointF delta = pointer.pixel - last_;
    last_ = pointer.pixel;
    if (pan_)
        camera_.pan(delta, viewport_);
    else
        camera_.orbit(delta);
    return {};
}

void CameraTool::cancel()
{
    camera_ = before_;
}

} // namespace kes::editor
