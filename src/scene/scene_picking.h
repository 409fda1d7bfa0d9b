// Which object of a scene a ray from the eye meets first: for clicks in the
// preview.
#pragma once

#include "scene/scene.h"

namespace kes {

struct ScenePick {
    enum class What { Nothing, Layer, Target };
    What what = What::Nothing;
    int index = -1;       // of the layer or target
    float distance = 0;   // along the ray, in units of its direction's length
    bool operator==(const ScenePick&) const = default;
};

// The first layer triangle or target marker that the ray from `origin` in
// `direction` meets. Layers are taken at animation frame `frame` (counted
// from 0, wrapping round each one's own frame count), at rest or, `moving`,
// where the motion playback has them at that frame (scene_motion.h);
// targets as cubes of markerSize(scene.bounds) round their positions.
ScenePick pickScene(const Scene& scene, const ScenePoint& origin, const ScenePoint& direction, int frame,
                    bool moving);

} // namespace kes
