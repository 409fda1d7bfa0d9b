#include "scene/scene_picking.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/scene_motion.h"
#include "scene/scene_ray.h"
#include "scene/scene_vector.h"

namespace kes {

ScenePick pickScene(const Scene& scene, const ScenePoint& origin, const ScenePoint& direction, int frame,
                    bool moving)
{
    ScenePick best;
    best.distance = std::numeric_limits<float>::max();
    auto consider = [&](ScenePick::What what, int index, std::optional<float> distance) {
        if (distance && *distance < best.distance)
            best = {what, index, *distance};
    };
    const float half = markerSize(scene.bounds);
    // What the forms hold but the level doesn't is never picked.
    for (std::size_t i = 0; i < scene.targets.size(); ++i) {
        if (scene.targets[i].draft)
            continue;
        consider(ScenePick::What::Target, static_cast<int>(i),
                 intersectBox({origin, direction}, targetMarker(scene.targets[i].position, half)));
    }
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        const SceneLayer& layer = scene.layers[i];
        // A moved layer is met where the ray, moved the other way, meets it
        // at rest.
        const ScenePoint offset = shownMotion(layer, frame, moving);
        const Ray from{origin - offset, direction};
        if (layer.draft || layer.frames.empty() || !intersectBox(from, layer.bounds))
            continue;
        const SceneMeshFrame& mesh = *layer.frames[static_cast<std::size_t>(frame) % layer.frames.size()];
        for (const MeshFace& face : mesh.faces) {
            const auto& v = face.position;
            consider(ScenePick::What::Layer, static_cast<int>(i),
                     intersectTriangle(from, {v[0].x, v[0].y, v[0].z}, {v[1].x, v[1].y, v[1].z},
                                       {v[2].x, v[2].y, v[2].z}));
        }
    }
    if (best.what == ScenePick::What::Nothing)
        best.distance = 0;
    return best;
}

} // namespace kes
