// A drag in the 3D view, from the press to the release: the camera's own, or
// one that edits the level. One runs at a time. An editing tool opens a
// continuous edit on the document when it starts; each step of the drag
// changes the level inside it, so the form, the lists and the view follow at
// once; finish() makes it one undo step and cancel() (Escape) puts
// everything back without one.
#pragma once

#include <QPointF>
#include <QString>

#include "app/preview/preview_camera.h"
#include "scene/edit_handles.h"
#include "scene/scene_ray.h"

namespace kes::editor {

// The mouse at one step of a drag.
struct ViewPointer {
    QPointF pixel;  // from the view's top left
    Ray ray;        // from the eye through that pixel
    bool alt = false;
};

// How the view is set up for the drag.
struct ViewSetup {
    ViewMode mode = ViewMode::Perspective;
    float grid = 0; // the grid step when snapping, else 0
};

class ViewTool {
public:
    virtual ~ViewTool() = default;
    // Follows the mouse; says what is being changed and by how much.
    virtual QString drag(const ViewPointer& pointer, const ViewSetup& setup) = 0;
    virtual void finish() = 0;
    virtual void cancel() = 0;
};

DragView dragViewOf(ViewMode mode);

} // namespace kes::editor
