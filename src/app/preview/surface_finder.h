// Finds the point under the mouse on the level's colliding surfaces. The
// picking structures of a new scene are built on a worker thread, taking
// over those of the frames the scene before it shares (a scene restated
// after a change of a target or a setting shares them all); until they are
// ready the previous ones answer.
#pragma once

#include <memory>
#include <optional>

#include <QObject>
#include <QThreadPool>

#include "scene/surface_picker.h"

namespace kes::editor {

class SurfaceFinder : public QObject {
    Q_OBJECT

public:
    explicit SurfaceFinder(QObject* parent = nullptr);
    ~SurfaceFinder() override;

    void setScene(std::shared_ptr<const Scene> scene);
    // The first point of a layer (with `collidingOnly`, of a layer with
    // Collision) the ray meets, as the view shows the layers; none when it
    // meets none or nothing is built yet.
    std::optional<SurfacePoint> find(const Ray& ray, int frame, bool moving, bool collidingOnly) const;
    // True while the structures of the last scene are being built.
    bool building() const { return building_ != nullptr; }

signals:
    void ready();

private:
    QThreadPool pool_;
    std::shared_ptr<const Scene> scene_;
    std::shared_ptr<const SurfacePicker> picker_;
    std::shared_ptr<const Scene> building_;
};

} // namespace kes::editor
