// Turns the camera round the point looked at (the perspective view) or
// moves it across the view (middle or Shift drag, and every left drag in the
// top, front and side views). Escape puts the camera back.
#pragma once

#include <QSize>

#include "app/view_editing/view_tool.h"

namespace kes::editor {

class CameraTool : public ViewTool {
public:
    CameraTool(PreviewCamera& camera, const QPointF& pressed, const QSize& viewport, bool pan);
    QString drag(const ViewPointer& pointer, const ViewSetup& setup) override;
    void finish() override {}
    void cancel() override;
    bool pans() const { return pan_; }

private:
    PreviewCamera& camera_;
    PreviewCamera before_;
    QPointF last_;
    QSize viewport_;
    bool pan_;
};

} // namespace kes::editor
