#include "app/preview/surface_finder.h"

#include <QMetaObject>
#include <QPointer>

namespace kes::editor {

SurfaceFinder::SurfaceFinder(QObject* parent) : QObject(parent)
{
    pool_.setMaxThreadCount(1);
}

SurfaceFinder::~SurfaceFinder()
{
    pool_.waitForDone();
}

void SurfaceFinder::setScene(std::shared_ptr<const Scene> scene)
{
    scene_ = std::move(scene);
    building_ = scene_;
    if (!scene_) {
        picker_.reset();
        building_.reset();
        return;
    }
    QPointer<SurfaceFinder> self(this);
    std::shared_ptr<const Scene> wanted = scene_;
    std::shared_ptr<const SurfacePicker> previous = picker_;
    pool_.start([self, wanted, previous] {
        auto built = std::make_shared<const SurfacePicker>(*wanted, previous.get());
        // The finder waits for this task before it goes, so it is here; the
        // call back is dropped if it is gone by the time it would run.
        QMetaObject::invokeMethod(
            self.data(),
            [self, wanted, built] {
                // Builds run one at a time in order: the last one to end is
                // the newest.
                self->picker_ = built;
                if (self->building_ == wanted) {
                    self->building_.reset();
                    emit self->ready();
                }
            },
            Qt::QueuedConnection);
    });
}

std::optional<SurfacePoint> SurfaceFinder::find(const Ray& ray, int frame, bool moving, bool collidingOnly) const
{
    if (!picker_)
        return std::nullopt;
    return picker_->firstHit(ray, frame, moving, collidingOnly);
}

} // namespace kes::editor

