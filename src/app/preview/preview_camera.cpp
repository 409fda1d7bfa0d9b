#include "app/preview/preview_camera.h"

#include <algorithm>
#include <cmath>

namespace kes::editor {
namespace {

constexpr float kPi = 3.14159265358979f;
float radians(float degrees) { return degrees * kPi / 180.0f; }

} // namespace

void PreviewCamera::frame(const SceneBox& bounds, const QSize& viewport, const SceneBox& scene)
{
    const ScenePoint c = bounds.centre();
    target_ = {c.x, c.y, c.z};
    sceneSize_ = std::max(scene.diagonal(), 0.001f);
    yawDegrees_ = 200;
    pitchDegrees_ = 30;
    // The nearest distance at which every corner of the bounds is in view.
    distance_ = 1;
    const QMatrix4x4 orientation = view(); // at distance 1: only its axes matter here
    const float tanY = std::tan(radians(kFieldOfViewDegrees / 2));
    const float aspect = static_cast<float>(std::max(viewport.width(), 1)) / static_cast<float>(std::max(viewport.height(), 1));
    const float tanX = tanY * aspect;
    float needed = std::max(bounds.diagonal(), 0.001f) * 0.05f;
    for (int i = 0; i < 8; ++i) {
        const QVector3D corner((i & 1) ? bounds.max.x : bounds.min.x, (i & 2) ? bounds.max.y : bounds.min.y,
                               (i & 4) ? bounds.max.z : bounds.min.z);
        const QVector3D d = corner - target_;
        const float x = QVector3D::dotProduct(d, QVector3D(orientation(0, 0), orientation(0, 1), orientation(0, 2)));
        const float y = QVector3D::dotProduct(d, QVector3D(orientation(1, 0), orientation(1, 1), orientation(1, 2)));
        const float towardEye = QVector3D::dotProduct(d, QVector3D(orientation(2, 0), orientation(2, 1), orientation(2, 2)));
        // An orthographic view shows as much at every depth as the
        // perspective view shows at the point looked at.
        const float ahead = orthographic() ? 0 : towardEye;
        needed = std::max({needed, ahead + std::fabs(x) / tanX, ahead + std::fabs(y) / tanY});
    }
    distance_ = needed * 1.1f;
}

void PreviewCamera::lookFrom(const QVector3D& position, const QVector3D& direction, const SceneBox& bounds)
{
    sceneSize_ = std::max(bounds.diagonal(), 0.001f);
    mode_ = ViewMode::Perspective;
    const QVector3D d = direction.lengthSquared() > 0 ? direction.normalized() : QVector3D(0, 0, 1);
    distance_ = std::max(sceneSize_ * 0.05f, 0.01f);
    target_ = position + d * distance_;
    // The eye sits at the target plus the distance along -d.
    yawDegrees_ = std::atan2(-d.x(), -d.z()) * 180.0f / kPi;
    pitchDegrees_ = std::asin(std::clamp(-d.y(), -1.0f, 1.0f)) * 180.0f / kPi;
}

void PreviewCamera::orbit(const QPointF& pixels)
{
    if (orthographic())
        return;
    yawDegrees_ -= static_cast<float>(pixels.x()) * 0.4f;
    pitchDegrees_ = std::clamp(pitchDegrees_ + static_cast<float>(pixels.y()) * 0.4f, -89.0f, 89.0f);
}

float PreviewCamera::unitsPerPixel(const QSize& viewport) const
{
    return 2 * distance_ * std::tan(radians(kFieldOfViewDegrees / 2)) / static_cast<float>(std::max(viewport.height(), 1));
}

void PreviewCamera::pan(const QPointF& pixels, const QSize& viewport)
{
    QVector3D right, up, back;
    axes(right, up, back);
    target_ += (-right * static_cast<float>(pixels.x()) + up * static_cast<float>(pixels.y())) * unitsPerPixel(viewport);
}

void PreviewCamera::axes(QVector3D& right, QVector3D& up, QVector3D& back) const
{
    // As a 3D tool shows a mesh exported with y up and -z forward from its
    // top, front and right views: never mirrored, x to the right in the top
    // and front views, y up in the front and side views.
    switch (mode_) {
    case ViewMode::Top:
        right = {1, 0, 0}, up = {0, 0, -1}, back = {0, 1, 0};
        return;
    case ViewMode::Front:
        right = {1, 0, 0}, up = {0, 1, 0}, back = {0, 0, 1};
        return;
    case ViewMode::Side:
        right = {0, 0, -1}, up = {0, 1, 0}, back = {1, 0, 0};
        return;
    case ViewMode::Perspective:
        break;
    }
    const float yaw = radians(yawDegrees_), pitch = radians(pitchDegrees_);
    back = QVector3D(std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw));
    right = QVector3D::crossProduct(QVector3D(0, 1, 0), back).normalized();
    up = QVector3D::crossProduct(back, right);
}

void PreviewCamera::zoom(float steps)
{
    distance_ = std::clamp(distance_ * std::pow(0.85f, steps), sceneSize_ * 1e-4f, sceneSize_ * 100.0f);
}

void PreviewCamera::zoomAt(float steps, const QPointF& pixel, const QSize& viewport)
{
    QVector3D right, up, back;
    axes(right, up, back);
    const QPointF fromCentre = pixel - QPointF(viewport.width() / 2.0, viewport.height() / 2.0);
    const QVector3D across = right * static_cast<float>(fromCentre.x()) - up * static_cast<float>(fromCentre.y());
    const float before = unitsPerPixel(viewport);
    zoom(steps);
    target_ += across * (before - unitsPerPixel(viewport));
}

QVector3D PreviewCamera::eye() const
{
    QVector3D right, up, back;
    axes(right, up, back);
    return target_ + distance_ * back;
}

QMatrix4x4 PreviewCamera::view() const
{
    QMatrix4x4 m;
    if (!orthographic()) {
        m.lookAt(eye(), target_, QVector3D(0, 1, 0));
        return m;
    }
    // The axes as the rows.
    QVector3D right, up, back;
    axes(right, up, back);
    const QVector3D e = eye();
    m = QMatrix4x4(right.x(), right.y(), right.z(), -QVector3D::dotProduct(right, e), //
                   up.x(), up.y(), up.z(), -QVector3D::dotProduct(up, e),             //
                   back.x(), back.y(), back.z(), -QVector3D::dotProduct(back, e),     //
                   0, 0, 0, 1);
    return m;
}

QMatrix4x4 PreviewCamera::projection(const QSize& viewport) const
{
    const float aspect = static_cast<float>(std::max(viewport.width(), 1)) / static_cast<float>(std::max(viewport.height(), 1));
    const float nearPlane = std::max(distance_ * 0.01f, sceneSize_ * 1e-4f);
    const float farPlane = distance_ + sceneSize_ * 4;
    QMatrix4x4 m;
    if (orthographic()) {
        // Everything of the level in front of or behind the point looked at.
        const float halfHeight = distance_ * std::tan(radians(kFieldOfViewDegrees / 2));
        const float depth = sceneSize_ * 4 + distance_;
        m.ortho(-halfHeight * aspect, halfHeight * aspect, -halfHeight, halfHeight, distance_ - depth,
                distance_ + depth);
        return m;
    }
    m.perspective(kFieldOfViewDegrees, aspect, nearPlane, farPlane);
    return m;
}

std::optional<Ray> PreviewCamera::ray(const QPointF& pixel, const QSize& viewport) const
{
    const QMatrix4x4 inverse = viewProjection(viewport).inverted();
    Matrix4 m;
    std::copy(inverse.constData(), inverse.constData() + 16, m.begin());
    return rayFromScreen(m, static_cast<float>(pixel.x()), static_cast<float>(pixel.y()),
                         static_cast<float>(viewport.width()), static_cast<float>(viewport.height()));
}

QPointF PreviewCamera::project(const QVector3D& point, const QSize& viewport) const
{
    const QVector3D ndc = viewProjection(viewport).map(point);
    return {(ndc.x() + 1) / 2 * viewport.width(), (1 - ndc.y()) / 2 * viewport.height()};
}

} // namespace kes::editor
