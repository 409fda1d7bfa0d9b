#include "app/preview/preview_view.h"

#include <cmath>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWheelEvent>

#include "app/preview/edit_overlay.h"
#include "app/preview/surface_finder.h"
#include "app/view_editing/camera_tool.h"
#include "app/view_editing/edit_tools.h"
#include "app/view_editing/view_edits.h"
#include "document/level_document.h"
#include "model/start_placement.h"
#include "scene/scene_motion.h"
#include "scene/scene_picking.h"
#include "scene/scene_vector.h"
#include "scene/snapping.h"

namespace kes::editor {
namespace {

// The side of the axis indicator in the view's lower left corner, in pixels.
constexpr int kAxisIndicatorSide = 56;
// How near the mouse must come to a handle to take it, in pixels on the
// screen at the point looked at (a handle is drawn a little smaller).
constexpr float kHandlePixels = 7;

// "1.25", never "-0.00".
QString coordinate(float value)
{
    const double rounded = std::round(static_cast<double>(value) * 100) / 100 + 0.0;
    return QString::number(rounded, 'f', 2);
}

QString pointText(const ScenePoint& p)
{
    return QStringLiteral("x %1  y %2  z %3").arg(coordinate(p.x), coordinate(p.y), coordinate(p.z));
}

} // namespace

PreviewView::PreviewView(QWidget* parent) : QOpenGLWidget(parent), surfaces_(new SurfaceFinder(this))
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
    setMouseTracking(true);
    setCursor(Qt::OpenHandCursor);
    connect(surfaces_, &SurfaceFinder::ready, this, [this] {
        const QPoint at = mapFromGlobal(QCursor::pos());
        if (!tool_ && rect().contains(at))
            hover(at);
    });
}

PreviewView::~PreviewView()
{
    // A drag still open leaves the level as it is now, as one step.
    if (tool_)
        tool_->finish();
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
    surfaces_->setScene(scene_);
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
    // Another row chosen: the start is no longer what the keys move.
    startSelected_ = false;
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

void PreviewView::setMode(ViewMode mode)
{
    if (mode == camera_.mode())
        return;
    camera_.setMode(mode);
    emit modeChanged(mode);
    update();
}

void PreviewView::setGrid(float step, bool snap, bool shown)
{
    if (step == gridStep_ && snap == snap_ && shown == gridShown_)
        return;
    gridStep_ = step;
    snap_ = snap;
    gridShown_ = shown;
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
    // The marker with some room round it.
    const auto around = [&](const ScenePoint& at) {
        const float room = 3 * markerSize(scene_->bounds);
        part.add({at.x - room, at.y - room, at.z - room});
        part.add({at.x + room, at.y + room, at.z + room});
    };
    if (startSelected_ && scene_->hasStart) {
        around(scene_->start);
    } else if (selection_.layer >= 0 && layer < scene_->layers.size()) {
        const SceneLayer& selected = scene_->layers[layer];
        part = selected.bounds.moved(shownMotion(selected, frame_, moving_));
    } else if (selection_.target >= 0 && target < scene_->targets.size()) {
        around(scene_->targets[target].position);
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
    emit modeChanged(camera_.mode());
    update();
}

float PreviewView::handleSize() const
{
    return kHandlePixels * camera_.unitsPerPixel(size());
}

bool PreviewView::preparingSurfaces() const
{
    return surfaces_->building();
}

std::optional<Ray> PreviewView::rayAt(const QPointF& pixel) const
{
    return camera_.ray(pixel, size());
}

std::vector<EditHandle> PreviewView::selectionHandles() const
{
    std::vector<EditHandle> handles;
    if (!scene_ || !document_)
        return handles;
    const auto add = [&](EditSelection::What what, int index) {
        const std::vector<EditHandle> more = editHandles(*scene_, {what, index});
        handles.insert(handles.end(), more.begin(), more.end());
    };
    if (startSelected_ && renderer_.startShown())
        add(EditSelection::What::Start, -1);
    if (selection_.target >= 0)
        add(EditSelection::What::Target, selection_.target);
    if (selection_.layer >= 0)
        add(EditSelection::What::Layer, selection_.layer);
    // A flat view can't move a face towards or away from the eye: those
    // handles would lie on the others.
    const int across = camera_.mode() == ViewMode::Top ? 1 : camera_.mode() == ViewMode::Front ? 2
                       : camera_.mode() == ViewMode::Side ? 0 : -1;
    std::erase_if(handles, [across](const EditHandle& h) {
        return across >= 0 && (h.kind == HandleKind::TriggerFace || h.kind == HandleKind::VibrationFace)
               && faceAxis(h.face) == across;
    });
    return handles;
}

std::optional<EditHandle> PreviewView::markerUnder(const Ray& ray) const
{
    if (!scene_)
        return std::nullopt;
    const float size = markerSize(scene_->bounds);
    std::optional<EditHandle> best;
    float nearest = std::numeric_limits<float>::max();
    for (std::size_t i = 0; i < scene_->targets.size(); ++i) {
        const SceneTarget& target = scene_->targets[i];
        if (target.draft)
            continue;
        const auto distance = intersectBox(ray, targetMarker(target.position, size));
        if (distance && *distance < nearest) {
            nearest = *distance;
            best = EditHandle{HandleKind::TargetMove, static_cast<int>(i), -1, target.position};
        }
    }
    if (scene_->hasStart && renderer_.startShown()) {
        const auto distance = intersectBox(ray, targetMarker(scene_->start, size));
        if (distance && *distance < nearest) {
            nearest = *distance;
            best = EditHandle{HandleKind::StartMove, -1, -1, scene_->start};
        }
    }
    // A marker behind a wall is not under the mouse.
    if (best) {
        const auto surface = surfaces_->find(ray, frame_, moving_, false);
        if (surface && surface->distance < nearest)
            return std::nullopt;
    }
    return best;
}

std::optional<EditHandle> PreviewView::handleUnder(const QPointF& pixel) const
{
    const auto ray = rayAt(pixel);
    if (!ray || !document_)
        return std::nullopt;
    // The markers are picked as they are drawn, the other handles by their
    // size on the screen.
    std::vector<EditHandle> handles = selectionHandles();
    std::erase_if(handles, [](const EditHandle& h) {
        return h.kind == HandleKind::TargetMove || h.kind == HandleKind::StartMove;
    });
    if (const auto picked = pickHandle(*ray, handles, handleSize()))
        return handles[*picked];
    return markerUnder(*ray);
}

std::optional<ScenePoint> PreviewView::placeAt(const QPointF& pixel) const
{
    const auto ray = rayAt(pixel);
    if (!ray)
        return std::nullopt;
    if (const auto surface = surfaces_->find(*ray, frame_, moving_, true)) {
        if (!snap_)
            return surface->point;
        // On the grid across, and on the surface there (looked for straight
        // down from a step above the point the mouse is over), else at that
        // point's height.
        ScenePoint point = surface->point;
        point.x = snapToGrid(point.x, gridStep_);
        point.z = snapToGrid(point.z, gridStep_);
        const Ray down{{point.x, point.y + gridStep_, point.z}, {0, -1, 0}};
        if (const auto below = surfaces_->find(down, frame_, moving_, true))
            point.y = below->point.y;
        return point;
    }
    const auto distance = intersectPlane(*ray, {0, 0, 0}, gridNormal(camera_.mode()));
    if (!distance)
        return std::nullopt;
    ScenePoint point = pointOnRay(*ray, *distance);
    if (snap_)
        point = snapToGrid(point, gridStep_);
    return point;
}

void PreviewView::hover(const QPointF& pixel)
{
    const auto handle = handleUnder(pixel);
    if (handle != hovered_) {
        hovered_ = handle;
        update();
    }
    Qt::CursorShape shape = Qt::OpenHandCursor;
    if (handle) {
        switch (handle->kind) {
        case HandleKind::StartMove:
        case HandleKind::TargetMove:
        case HandleKind::MotionEnd:
            shape = Qt::SizeAllCursor;
            break;
        case HandleKind::StartRing:
            shape = Qt::PointingHandCursor;
            break;
        case HandleKind::TriggerFace:
        case HandleKind::VibrationFace: {
            // Across or up the screen, as the face's axis runs there.
            ScenePoint step{};
            setAxis(step, faceAxis(handle->face), std::max(handleSize(), 1e-3f));
            const ScenePoint& p = handle->position;
            const QPointF a = camera_.project({p.x, p.y, p.z}, size());
            const QPointF b = camera_.project({p.x + step.x, p.y + step.y, p.z + step.z}, size());
            shape = std::fabs(b.x() - a.x()) >= std::fabs(b.y() - a.y()) ? Qt::SizeHorCursor : Qt::SizeVerCursor;
            break;
        }
        }
    }
    setCursor(shape);
    const std::optional<ScenePoint> point = placeAt(pixel);
    emit pointerText(point ? pointText(*point) : QString());
}

std::function<std::unique_ptr<ViewTool>()> PreviewView::toolFor(const EditHandle& handle, const Ray& grabbed)
{
    LevelDocument& document = *document_;
    const std::shared_ptr<const Scene> scene = scene_;
    switch (handle.kind) {
    case HandleKind::TargetMove:
    case HandleKind::StartMove: {
        const int row = handle.kind == HandleKind::TargetMove ? handle.index : -1;
        return [&document, row, handle, grabbed] {
            return std::make_unique<PointMoveTool>(document, row, handle.position, grabbed);
        };
    }
    case HandleKind::StartRing: {
        const float before = startPlacementOf(document.settings()).rotation[1];
        return [&document, handle, before, grabbed] {
            return std::make_unique<StartTurnTool>(document, handle.position, before, grabbed);
        };
    }
    case HandleKind::TriggerFace:
    case HandleKind::VibrationFace: {
        const auto box = handle.kind == HandleKind::TriggerFace ? BoxFaceTool::Box::Trigger : BoxFaceTool::Box::Vibration;
        const SceneBox bounds = scene->layers[static_cast<std::size_t>(handle.index)].bounds;
        return [&document, box, handle, grabbed, bounds] {
            return std::make_unique<BoxFaceTool>(document, box, handle.index, handle.face, handle.position, grabbed,
                                                 bounds);
        };
    }
    case HandleKind::MotionEnd: {
        const SceneLayer layer = scene->layers[static_cast<std::size_t>(handle.index)];
        return [&document, layer, handle, grabbed] {
            return std::make_unique<MotionEndTool>(document, layer, handle.index, handle.position, grabbed);
        };
    }
    }
    return {};
}

void PreviewView::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    setFocus(Qt::MouseFocusReason);
    event->accept();
    if (event->buttons() != event->button()) {
        if (tool_ || pendingTool_)
            return; // another button during a drag
    } else if (tool_) {
        // The release of the last drag never came (the window lost the
        // mouse): it ends where it was.
        endDrag(false);
    }
    pendingTool_ = nullptr;
    clickPicks_ = false;
    pressedAt_ = at.toPoint();
    dragged_ = false;
    const bool left = event->button() == Qt::LeftButton;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (left && !shift && document_ && scene_) {
        const auto ray = rayAt(at);
        const auto handle = handleUnder(at);
        if (ray && handle) {
            if (handle->kind == HandleKind::TargetMove) {
                // Chosen as a click chooses it; the form may ask first.
                emit targetClicked(handle->index);
                if (document_->selectedRow(LevelTable::Targets) != handle->index)
                    return;
            }
            const bool start = handle->kind == HandleKind::StartMove || handle->kind == HandleKind::StartRing;
            if (start != startSelected_) {
                startSelected_ = start;
                update();
            }
            pendingTool_ = toolFor(*handle, *ray);
            return;
        }
    }
    if (left || event->button() == Qt::MiddleButton) {
        const bool pan = !left || shift || camera_.orthographic();
        pendingTool_ = [this, at, pan] { return std::make_unique<CameraTool>(camera_, at, size(), pan); };
        clickPicks_ = left;
    }
}

void PreviewView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    if (!(event->buttons() & (Qt::LeftButton | Qt::MiddleButton))) {
        hover(at);
        return;
    }
    if (!dragged_ && (at.toPoint() - pressedAt_).manhattanLength() > 3) {
        dragged_ = true;
        if (pendingTool_) {
            tool_ = pendingTool_();
            pendingTool_ = nullptr;
            if (dynamic_cast<CameraTool*>(tool_.get()))
                setCursor(Qt::ClosedHandCursor);
        }
    }
    if (!tool_)
        return;
    const auto ray = rayAt(at);
    if (!ray)
        return;
    const ViewPointer pointer{at, *ray, (event->modifiers() & Qt::AltModifier) != 0};
    const QString status = tool_->drag(pointer, {camera_.mode(), snap_ ? gridStep_ : 0.0f});
    if (!status.isEmpty())
        emit pointerText(status);
    update();
}

void PreviewView::mouseReleaseEvent(QMouseEvent* event)
{
    if (tool_) {
        endDrag(false);
    } else if (event->button() == Qt::LeftButton && !dragged_ && clickPicks_) {
        pick(event->position().toPoint());
    }
    pendingTool_ = nullptr;
    clickPicks_ = false;
    hover(event->position());
}

void PreviewView::endDrag(bool cancelled)
{
    if (!tool_)
        return;
    const std::unique_ptr<ViewTool> tool = std::move(tool_);
    if (cancelled)
        tool->cancel();
    else
        tool->finish();
    emit pointerText({});
    update();
}

void PreviewView::wheelEvent(QWheelEvent* event)
{
    camera_.zoomAt(static_cast<float>(event->angleDelta().y()) / 120.0f, event->position(), size());
    update();
    event->accept();
}

void PreviewView::leaveEvent(QEvent* event)
{
    if (!tool_) {
        if (hovered_) {
            hovered_.reset();
            update();
        }
        emit pointerText({});
    }
    QOpenGLWidget::leaveEvent(event);
}

bool PreviewView::nudge(int key)
{
    if (!document_ || !scene_)
        return false;
    const int target = selection_.target;
    const bool start = startSelected_;
    if (!start && (target < 0 || target >= document_->targets().count()))
        return false;
    // Left and right along the level's axis nearest the screen's right;
    // up and down along the one nearest "away from the eye" (up the screen
    // in the top view); Page Up and Page Down along y.
    const QMatrix4x4 view = camera_.view();
    const ScenePoint right{view(0, 0), 0, view(0, 2)};
    ScenePoint away{-view(2, 0), 0, -view(2, 2)};
    if (camera_.mode() == ViewMode::Top)
        away = {view(1, 0), 0, view(1, 2)}; // up the screen
    const auto nearestAxis = [](const ScenePoint& d, int& axis, float& sign) {
        axis = std::fabs(d.x) >= std::fabs(d.z) ? 0 : 2;
        sign = axisOf(d, axis) >= 0 ? 1.0f : -1.0f;
    };
    int axis = 1;
    float sign = 1;
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Left:
        nearestAxis(right, axis, sign);
        sign = key == Qt::Key_Right ? sign : -sign;
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        nearestAxis(away, axis, sign);
        sign = key == Qt::Key_Up ? sign : -sign;
        break;
    case Qt::Key_PageUp:
        break;
    case Qt::Key_PageDown:
        sign = -1;
        break;
    default:
        return false;
    }
    ScenePoint position{};
    if (start) {
        const StartPlacement placement = startPlacementOf(document_->settings());
        position = {placement.position[0], placement.position[1], placement.position[2]};
    } else {
        const TargetEntry& entry = document_->targets().at(target);
        position = {entry.x, entry.y, entry.z};
    }
    float value = axisOf(position, axis) + sign * gridStep_;
    if (snap_)
        value = snapToGrid(value, gridStep_);
    setAxis(position, axis, value);
    if (start)
        placeStart(*document_, position, std::nullopt, view_edit_text::kMoveStart);
    else
        moveTarget(*document_, target, position, view_edit_text::kMoveTarget);
    return true;
}

void PreviewView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Escape && (tool_ || pendingTool_)) {
        pendingTool_ = nullptr;
        clickPicks_ = false;
        endDrag(true);
        return;
    }
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_F:
            frameSelection();
            return;
        case Qt::Key_5:
            setMode(ViewMode::Perspective);
            return;
        case Qt::Key_7:
            setMode(ViewMode::Top);
            return;
        case Qt::Key_1:
            setMode(ViewMode::Front);
            return;
        case Qt::Key_3:
            setMode(ViewMode::Side);
            return;
        case Qt::Key_BracketLeft:
            emit gridStepRequested(-1);
            return;
        case Qt::Key_BracketRight:
            emit gridStepRequested(1);
            return;
        default:
            if (!tool_ && nudge(event->key()))
                return;
        }
    }
    QOpenGLWidget::keyPressEvent(event);
}

QMenu* PreviewView::contextMenuAt(const QPointF& pixel)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::optional<ScenePoint> here = document_ ? placeAt(pixel) : std::nullopt;
    const bool room = document_ && document_->targets().count() < kTableCapacity;
    const auto addTarget = [this, here](std::int32_t kind, const QString& text) {
        if (!document_ || !here)
            return;
        if (document_->addRow(TargetEntry{here->x, here->y, here->z, kind}, text))
            emit targetClicked(document_->targets().count() - 1);
    };
    QAction* goal = menu->addAction(QStringLiteral("Add goal target here"), this,
                                    [addTarget] { addTarget(0, view_edit_text::kAddGoal); });
    QAction* brake = menu->addAction(QStringLiteral("Add brake target here"), this,
                                     [addTarget] { addTarget(1, view_edit_text::kAddBrake); });
    QAction* start = menu->addAction(QStringLiteral("Set start position here"), this, [this, here] {
        if (document_ && here)
            placeStart(*document_, *here, std::nullopt, view_edit_text::kSetStart);
    });
    goal->setEnabled(here && room);
    brake->setEnabled(here && room);
    start->setEnabled(here.has_value());
    menu->addSeparator();
    menu->addAction(QStringLiteral("Frame selection"), this, &PreviewView::frameSelection);
    return menu;
}

void PreviewView::contextMenuEvent(QContextMenuEvent* event)
{
    if (tool_)
        return;
    contextMenuAt(event->pos())->popup(event->globalPos());
    event->accept();
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
    if (renderer_.texturesPending())
        // A moment later, so that the window answers in between.
        QTimer::singleShot(10, this, qOverload<>(&PreviewView::update));
    drawEditing();
    // What is drawn see-through leaves the picture's alpha below 1, and the
    // window would show through it: the picture is opaque everywhere.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void PreviewView::drawEditing()
{
    const QMatrix4x4 viewProjection = camera_.viewProjection(size());
    // The grid round the point looked at, as far as the view reaches.
    const ViewMode mode = camera_.mode();
    const QVector3D looked = camera_.target();
    ScenePoint centre{looked.x(), looked.y(), looked.z()};
    const ScenePoint normal = gridNormal(mode);
    centre = centre - normal * dot(centre, normal);
    const float reach = camera_.orthographic()
                            ? camera_.unitsPerPixel(size()) * static_cast<float>(std::max(width(), height())) * 0.6f
                            : camera_.distance() * 1.5f;
    if (gridShown_)
        renderer_.drawTransient({}, gridLines(mode, centre, reach, gridStep_), viewProjection,
                                PreviewRenderer::Depth::Level);
    if (document_ && scene_) {
        const OverlayGeometry handles =
            handleGeometry(selectionHandles(), hovered_, handleSize(), scene_ ? markerSize(scene_->bounds) : 0);
        renderer_.drawTransient(handles.solids, handles.lines, viewProjection, PreviewRenderer::Depth::OnTop);
    }
    // The axes as the camera turns them, in the lower left corner.
    const qreal ratio = devicePixelRatioF();
    const int side = static_cast<int>(kAxisIndicatorSide * ratio);
    glViewport(0, 0, side, side);
    QMatrix4x4 turn = camera_.view();
    turn.setColumn(3, QVector4D(0, 0, 0, 1));
    QMatrix4x4 fit;
    fit.ortho(-1.3f, 1.3f, -1.3f, 1.3f, -2, 2);
    renderer_.drawTransient({}, axisIndicator(), fit * turn, PreviewRenderer::Depth::OnTop);
    glViewport(0, 0, static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
}

void PreviewView::pick(const QPoint& position)
{
    if (!scene_)
        return;
    const auto ray = rayAt(position);
    if (!ray)
        return;
    const ScenePick hit = pickScene(*scene_, ray->origin, ray->direction, frame_, moving_);
    if (startSelected_) {
        startSelected_ = false;
        update();
    }
    if (hit.what == ScenePick::What::Layer)
        emit layerClicked(hit.index);
    else if (hit.what == ScenePick::What::Target)
        emit targetClicked(hit.index);
}

} // namespace kes::editor
