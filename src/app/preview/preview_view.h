// The 3D view of the preview: draws the scene with PreviewRenderer, moves the
// camera with the mouse, picks objects by clicks and, given the level
// document, edits the level by dragging: targets and the start moved, the
// start turned, trigger areas and vibration boxes resized, motion ends
// moved, each drag one undo step. A right click places things on the
// surface under the mouse.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QOpenGLWidget>
#include <QPoint>

#include "app/preview/overlay_geometry.h"
#include "app/preview/preview_camera.h"
#include "app/preview/preview_renderer.h"
#include "scene/edit_handles.h"
#include "scene/scene.h"

class QMenu;

namespace kes::editor {

class LevelDocument;
class SurfaceFinder;
class ViewTool;

class PreviewView : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit PreviewView(QWidget* parent = nullptr);
    ~PreviewView() override;

    // The level the view edits; none: the view only shows.
    void setDocument(LevelDocument* document) { document_ = document; }

    // The scene to show; the camera frames it the first time one arrives
    // with something in it and all its files read.
    void setScene(std::shared_ptr<const Scene> scene);
    void setSelection(const PreviewSelection& selection);
    // Shows animation frame `frame`; `moving`, the layers where the motion
    // playback has them at that frame.
    void setFrame(int frame, bool moving);

    // Perspective, Top, Front or Side (keys 5, 7, 1 and 3).
    void setMode(ViewMode mode);
    ViewMode mode() const { return camera_.mode(); }
    // The grid's step, whether drags land on it and whether it is drawn.
    void setGrid(float step, bool snap, bool shown);
    float gridStep() const { return gridStep_; }
    bool snaps() const { return snap_; }

    // "Frame all": the whole level in view.
    void frameAll();
    // "Frame selection": the selected layer (where it is shown at this
    // frame) or target in view; the whole level when nothing is selected.
    // The key F.
    void frameSelection();
    // The view from the start position along its direction, in perspective.
    // The start marker is not drawn while the eye stands at it, whichever
    // way it came there; orbiting or framing away shows it again.
    void viewFromStart();

    // Whether the start is selected in the view (a click on its marker): its
    // handles show and the arrow keys move it.
    bool startSelected() const { return startSelected_; }
    // The handles of what is selected.
    std::vector<EditHandle> selectionHandles() const;
    // The handle or marker under the mouse, as last seen.
    const std::optional<EditHandle>& hovered() const { return hovered_; }
    // The ray from the eye through a point of the view.
    std::optional<Ray> rayAt(const QPointF& pixel) const;
    // Where a right click at `pixel` places things: the first point of a
    // layer with Collision under it, else the grid's plane (on the grid when
    // snapping); none when the ray meets neither.
    std::optional<ScenePoint> placeAt(const QPointF& pixel) const;
    // The half size at which handles are picked: a few pixels on the screen
    // at the point looked at.
    float handleSize() const;
    // True while the surfaces of the last scene are being prepared for the
    // point under the mouse.
    bool preparingSurfaces() const;

    const PreviewCamera& camera() const { return camera_; }
    PreviewCamera& camera() { return camera_; }
    // Why nothing is drawn, once OpenGL failed to start; empty otherwise.
    const QString& failure() const { return failure_; }
    const PreviewRenderer& renderer() const { return renderer_; }

signals:
    // A click on a layer or target (index into the scene's lists); a press
    // on a target too, before it is dragged.
    void layerClicked(int index);
    void targetClicked(int index);
    // Drawing can't start (the reason); emitted once.
    void failed(const QString& reason);
    // The largest texture side this display's OpenGL takes, once it is known.
    void largestTextureFound(int side);
    void modeChanged(kes::editor::ViewMode mode);
    // The keys [ and ]: one grid size down or up.
    void gridStepRequested(int steps);
    // What the mouse is over (`x 1.25  y 0.00  z -3.50`), or what a drag is
    // changing and by how much; empty when neither.
    void pointerText(const QString& text);

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void releaseGraphics();
    void pick(const QPoint& position);
    // The target or start marker the ray meets before any layer.
    std::optional<EditHandle> markerUnder(const Ray& ray) const;
    // The handle of the selection, else the marker, under the pixel.
    std::optional<EditHandle> handleUnder(const QPointF& pixel) const;
    void hover(const QPointF& pixel);
    // The tool a press on `handle` starts once the mouse moves.
    std::function<std::unique_ptr<ViewTool>()> toolFor(const EditHandle& handle, const Ray& grabbed);
    void endDrag(bool cancelled);
    bool nudge(int key);
    void drawEditing();
    QMenu* contextMenuAt(const QPointF& pixel);

    PreviewRenderer renderer_;
    PreviewCamera camera_;
    std::shared_ptr<const Scene> scene_;
    PreviewSelection selection_;
    LevelDocument* document_ = nullptr;
    SurfaceFinder* surfaces_;
    int frame_ = 0;
    bool moving_ = false;
    bool framed_ = false;
    bool ready_ = false;
    bool sceneChanged_ = false;
    QString failure_;
    QPoint pressedAt_;
    bool dragged_ = false;
    bool clickPicks_ = false; // a click without a drag picks what it is on
    bool startSelected_ = false;
    float gridStep_ = 1;
    bool snap_ = true;
    bool gridShown_ = true;
    std::optional<EditHandle> hovered_;
    // A press that becomes a drag once the mouse moves, and the drag.
    std::function<std::unique_ptr<ViewTool>()> pendingTool_;
    std::unique_ptr<ViewTool> tool_;
};

} // namespace kes::editor
