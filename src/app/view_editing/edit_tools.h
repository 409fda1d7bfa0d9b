// The tools that edit the level by dragging in the 3D view: a target or the
// start moved, the start turned by its ring, a face of a trigger area or a
// vibration box moved, the end of a layer's motion moved. Each opens its
// continuous edit on the document when made.
#pragma once

#include <array>

#include "app/view_editing/view_tool.h"
#include "document/level_document.h"
#include "scene/scene.h"

namespace kes::editor {

// Opens the document's edit, and closes or cancels it. Once something else
// closed the edit (an undo, rows added or removed), the drag changes nothing
// more.
class EditTool : public ViewTool {
public:
    EditTool(LevelDocument& document, const QString& text);
    void finish() override;
    void cancel() override;

protected:
    // Whether the drag's edit is still the open one.
    bool editing() const;

    LevelDocument& document_;
};

// Moves target `row`, or the start when `row` is -1, from `from`; grabbed
// where `grabbed` met it.
class PointMoveTool : public EditTool {
public:
    PointMoveTool(LevelDocument& document, int row, const ScenePoint& from, const Ray& grabbed);
    QString drag(const ViewPointer& pointer, const ViewSetup& setup) override;

private:
    int row_;
    ScenePoint from_;
    Ray grabbed_;
};

// Turns the start about y by as much as the mouse turned round it on the
// horizontal plane through it since the press (grabbed by `grabbed`); to
// whole steps of 15 degrees when snapping.
class StartTurnTool : public EditTool {
public:
    StartTurnTool(LevelDocument& document, const ScenePoint& centre, float turnBefore, const Ray& grabbed);
    QString drag(const ViewPointer& pointer, const ViewSetup& setup) override;

private:
    ScenePoint centre_;
    float before_;
    std::optional<float> grabbedAt_; // the mouse's angle round the start at the press
};

// Moves face `face` of layer `row`'s trigger area or vibration box along its
// axis.
class BoxFaceTool : public EditTool {
public:
    enum class Box { Trigger, Vibration };
    BoxFaceTool(LevelDocument& document, Box box, int row, int face, const ScenePoint& handle, const Ray& grabbed,
                const SceneBox& layerBounds);
    QString drag(const ViewPointer& pointer, const ViewSetup& setup) override;

private:
    Box box_;
    int row_;
    int face_;
    ScenePoint handle_;
    float grabbedAt_ = 0;
    SceneBox layerBounds_;
    LayerEntry before_;
};

// Moves the end of layer `row`'s motion: its speed changes so that its
// frames take it there. With snapping, the way from the layer to its end
// (Speed x Frames) is what lands on the grid.
class MotionEndTool : public EditTool {
public:
    MotionEndTool(LevelDocument& document, const SceneLayer& layer, int row, const ScenePoint& handle,
                  const Ray& grabbed);
    QString drag(const ViewPointer& pointer, const ViewSetup& setup) override;

private:
    SceneLayer layer_;
    int row_;
    ScenePoint handle_;
    Ray grabbed_;
};

} // namespace kes::editor
