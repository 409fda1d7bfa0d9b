// The 3D view of the preview: draws the scene with PreviewRenderer, moves the
// camera with the mouse and picks objects by clicks.
#pragma once

#include <memory>

#include <QOpenGLWidget>
#include <QPoint>

#include "app/preview/overlay_geometry.h"
#include "app/preview/preview_camera.h"
#include "app/preview/preview_renderer.h"
#include "scene/scene.h"

namespace kes::editor {

class PreviewView : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit PreviewView(QWidget* parent = nullptr);
    ~PreviewView() override;

    // The scene to show; the camera frames it the first time one arrives
    // with something in it and all its files read.
    void setScene(std::shared_ptr<const Scene> scene);
    void setSelection(const PreviewSelection& selection);
    // Shows animation frame `frame`; `moving`, the layers where the motion
    // playback has them at that frame.
    void setFrame(int frame, bool moving);

    // "Frame all": the whole level in view.
    void frameAll();
    // "Frame selection": the selected layer (where it is shown at this
    // frame) or target in view; the whole level when nothing is selected.
    // The key F.
    void frameSelection();
    // The view from the start position along its direction. The start
    // marker is not drawn while the eye stands at it, whichever way it came
    // there; orbiting or framing away shows it again.
    void viewFromStart();

    const PreviewCamera& camera() const { return camera_; }
    PreviewCamera& camera() { return camera_; }
    // Why nothing is drawn, once OpenGL failed to start; empty otherwise.
    const QString& failure() const { return failure_; }
    const PreviewRenderer& renderer() const { return renderer_; }

signals:
    // A click on a layer or target (index into the scene's lists).
    void layerClicked(int index);
    void targetClicked(int index);
    // Drawing can't start (the reason); emitted once.
    void failed(const QString& reason);
    // The largest texture side this display's OpenGL takes, once it is known.
    void largestTextureFound(int side);

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void releaseGraphics();
    void pick(const QPoint& position);

    PreviewRenderer renderer_;
    PreviewCamera camera_;
    std::shared_ptr<const Scene> scene_;
    PreviewSelection selection_;
    int frame_ = 0;
    bool moving_ = false;
    bool framed_ = false;
    bool ready_ = false;
    bool sceneChanged_ = false;
    QString failure_;
    QPoint pressedAt_;
    QPoint lastMouse_;
    bool dragged_ = false;
};

} // namespace kes::editor
