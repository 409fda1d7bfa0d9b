// The preview's camera: it orbits a point at a distance, as in common 3D
// tools, and can stand at the level's start position. Besides the
// perspective view it looks straight along an axis, orthographically, never
// mirrored (as 3D tools show a mesh exported with y up and -z forward from
// their top, front and right views):
//   Top    looks down y from above, x to the right and -z up the screen;
//   Front  looks along -z (from the +z side), x to the right and y up;
//   Side   looks along -x (from the +x side), -z to the right and y up.
#pragma once

#include <QMatrix4x4>
#include <QPointF>
#include <QSize>
#include <QVector3D>

#include <optional>

#include "scene/scene.h"
#include "scene/scene_ray.h"

namespace kes::editor {

enum class ViewMode { Perspective, Top, Front, Side };

class PreviewCamera {
public:
    ViewMode mode() const { return mode_; }
    // Looks the way of `mode`, at the same point from the same distance (the
    // scale of an orthographic view is that of the perspective view's plane
    // through the point looked at).
    void setMode(ViewMode mode) { mode_ = mode; }
    bool orthographic() const { return mode_ != ViewMode::Perspective; }

    // Looks at the whole of `bounds` from above and behind (the -z side), as
    // near as a viewport of this shape allows.
    void frame(const SceneBox& bounds, const QSize& viewport) { frame(bounds, viewport, bounds); }
    // The same for a part of the scene: `scene`, all of it, keeps its size
    // for the clipping planes and the zoom.
    void frame(const SceneBox& part, const QSize& viewport, const SceneBox& scene);
    // Stands at `position` looking along `direction`, keeping the scene's
    // size for the clipping planes; in perspective.
    void lookFrom(const QVector3D& position, const QVector3D& direction, const SceneBox& bounds);

    // Left drag: turns round the point looked at by the pixels moved (the
    // perspective view only).
    void orbit(const QPointF& pixels);
    // Middle or Shift+left drag: moves the point looked at with the mouse.
    void pan(const QPointF& pixels, const QSize& viewport);
    // Wheel: steps of 1 per notch; positive comes closer.
    void zoom(float steps);
    // The same towards `pixel`: the point there on the plane of the point
    // looked at stays under it.
    void zoomAt(float steps, const QPointF& pixel, const QSize& viewport);

    QVector3D eye() const;
    // The point looked at and how far the eye stands from it.
    QVector3D target() const { return target_; }
    float distance() const { return distance_; }
    // The world's length of one pixel at the point looked at.
    float unitsPerPixel(const QSize& viewport) const;
    QMatrix4x4 view() const;
    QMatrix4x4 projection(const QSize& viewport) const;
    QMatrix4x4 viewProjection(const QSize& viewport) const { return projection(viewport) * view(); }

    // The ray from the eye through pixel `pixel` (from the top left); none
    // for an empty viewport.
    std::optional<Ray> ray(const QPointF& pixel, const QSize& viewport) const;
    // Where `point` shows in the viewport, in pixels from the top left.
    QPointF project(const QVector3D& point, const QSize& viewport) const;

private:
    // The eye's right, up and backward (towards the eye) directions.
    void axes(QVector3D& right, QVector3D& up, QVector3D& back) const;

    ViewMode mode_ = ViewMode::Perspective;
    QVector3D target_{0, 0, 0};
    float distance_ = 10;
    float yawDegrees_ = 200;
    float pitchDegrees_ = 30;
    float sceneSize_ = 10;
    static constexpr float kFieldOfViewDegrees = 45;
};

} // namespace kes::editor
