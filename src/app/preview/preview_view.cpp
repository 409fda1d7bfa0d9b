#include "app/preview/preview_view.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include "scene/scene_motion.h"
#include "scene/scene_picking.h"

namespace kes::editor {

PreviewView::PreviewView(QWidget* parent) : QOpenGLWidget(parent)
{
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setSamples(0);
    setFormat(format);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Level view"));
    setMinimumSize(160, 120);
}

PreviewView::~PreviewView()
{
    releaseGraphics();
    // The context outlives this part of the object: QOpenGLWidget destroys
    // it later, and its last signal must not reach a view that is gone.
    if (QOpenGLContext* current = context())
        disconnect(current, nullptr, this, nullptr);
}

void PreviewView::releaseGraphics()
{
    if (!ready_ || !context())
        return;
    makeCurrent();
    renderer_.release();
    doneCurrent();
    ready_ = false;
}

void PreviewView::initializeGL()
{
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &PreviewView::releaseGraphics,
            Qt::UniqueConnection);
    const QSurfaceFormat actual = context()->format();
    QString reason;
    if (context()->isOpenGLES() || actual.version() < qMakePair(3, 3)) {
        reason = QStringLiteral("the preview needs OpenGL 3.3, and this display offers %1.%2")
                     .arg(actual.majorVersion())
                     .arg(actual.minorVersion());
    } else if (renderer_.initialize(reason)) {
        ready_ = true;
        sceneChanged_ = true;
        GLint largest = 0;
        context()->functions()->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        if (largest > 0)
            emit largestTextureFound(largest);
        return;
    }
    failure_ = reason;
    emit failed(reason);
}

void PreviewView::setScene(std::shared_ptr<const Scene> scene)
{
    scene_ = std::move(scene);
    if (!framed_ && scene_ && (!scene_->layers.empty() || !scene_->targets.empty())
        && scene_->loadingLayers() == 0) {
        camera_.frame(scene_->bounds, size());
        framed_ = true;
    }
    sceneChanged_ = true;
    update();
}

void PreviewView::setSelection(const PreviewSelection& selection)
{
    if (selection == selection_)
        return;
    selection_ = selection;
    if (ready_ && !sceneChanged_) {
        makeCurrent();
        renderer_.setSelection(selection_);
        doneCurrent();
    }
    update();
}

void PreviewView::setFrame(int frame, bool moving)
{
    frame_ = frame;
    moving_ = moving;
    update();
}

void PreviewView::frameAll()
{
    if (scene_)
        camera_.frame(scene_->bounds, size());
    framed_ = true;
    update();
}

void PreviewView::frameSelection()
{
    if (!scene_)
        return;
    SceneBox part;
    const auto layer = static_cast<std::size_t>(selection_.layer);
    const auto target = static_cast<std::size_t>(selection_.target);
    if (selection_.layer >= 0 && layer < scene_->layers.size()) {
        const SceneLayer& selected = scene_->layers[layer];
        part = selected.bounds.moved(shownMotion(selected, frame_, moving_));
    } else if (selection_.target >= 0 && target < scene_->targets.size()) {
        // The marker with some room round it.
        const ScenePoint at = scene_->targets[target].position;
        const float room = 3 * markerSize(scene_->bounds);
        part.add({at.x - room, at.y - room, at.z - room});
        part.add({at.x + room, at.y + room, at.z + room});
    }
    if (part.empty) {
        frameAll();
        return;
    }
    camera_.frame(part, size(), scene_->bounds);
    framed_ = true;
    update();
}

void PreviewView::viewFromStart()
{
    if (!scene_ || !scene_->hasStart)
        return;
    const ScenePoint d = startDirection(scene_->startRotation);
    camera_.lookFrom({scene_->start.x, scene_->start.y, scene_->start.z}, {d.x, d.y, d.z}, scene_->bounds);
    update();
}

void PreviewView::paintGL()
{
    if (!ready_) {
        glClearColor(0.3f, 0.3f, 0.3f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    if (sceneChanged_) {
        renderer_.setScene(scene_, selection_);
        sceneChanged_ = false;
    }
    if (scene_) {
        const QVector3D eye = camera_.eye();
        renderer_.setStartShown(!eyeAtStartMarker(*scene_, {eye.x(), eye.y(), eye.z()}));
    }
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
    renderer_.render(camera_.viewProjection(size()), frame_, moving_);
}

void PreviewView::mousePressEvent(QMouseEvent* event)
{
    pressedAt_ = lastMouse_ = event->position().toPoint();
    dragged_ = false;
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void PreviewView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const QPointF delta = at - lastMouse_;
    lastMouse_ = at;
    if ((at - pressedAt_).manhattanLength() > 3)
        dragged_ = true;
    const bool panning = (event->buttons() & Qt::MiddleButton)
                         || ((event->buttons() & Qt::LeftButton) && (event->modifiers() & Qt::ShiftModifier));
    if (panning)
        camera_.pan(delta, size());
    else if (event->buttons() & Qt::LeftButton)
        camera_.orbit(delta);
    else
        return;
    update();
}

void PreviewView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !dragged_)
        pick(event->position().toPoint());
}

void PreviewView::wheelEvent(QWheelEvent* event)
{
    camera_.zoom(static_cast<float>(event->angleDelta().y()) / 120.0f);
    update();
    event->accept();
}

void PreviewView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F && event->modifiers() == Qt::NoModifier) {
        frameSelection();
        return;
    }
    QOpenGLWidget::keyPressEvent(event);
}

void PreviewView::pick(const QPoint& position)
{
    if (!scene_)
        return;
    QVector3D origin, direction;
    camera_.ray(position, size(), origin, direction);
    const ScenePick hit = pickScene(*scene_, {origin.x(), origin.y(), origin.z()},
                                    {direction.x(), direction.y(), direction.z()}, frame_, moving_);
    if (hit.what == ScenePick::What::Layer)
        emit layerClicked(hit.index);
    else if (hit.what == ScenePick::What::Target)
        emit targetClicked(hit.index);
}

} // namespace kes::editor
