// The handles the 3D view shows for editing the level, which one a ray from
// the eye picks, and what dragging one writes into the level.
//
// Faces are numbered by axis and side: 0 the low x face, 1 the high x face,
// 2 and 3 the y faces, 4 and 5 the z faces (kFaceCount of them).
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/level_model.h"
#include "scene/scene.h"
#include "scene/scene_ray.h"

namespace kes {

inline constexpr int kFaceCount = 6;
inline int faceAxis(int face) { return face / 2; }
inline bool faceIsHigh(int face) { return face % 2 == 1; }

enum class HandleKind {
    StartMove,     // the start marker, moved
    StartRing,     // a ring round the start in the horizontal plane, turns it about y
    TargetMove,    // a target, moved
    TriggerFace,   // a face of a Trigger or Animated-Trigger layer's trigger area
    MotionEnd,     // where a Moving or Trigger layer's motion ends
    VibrationFace, // a face of a Vibrating layer's vibration box
};

struct EditHandle {
    HandleKind kind = HandleKind::StartMove;
    int index = -1;      // the target or layer; -1 for the start's handles
    int face = -1;       // for the face handles
    ScenePoint position; // the handle's point; the ring's centre
    bool operator==(const EditHandle&) const = default;
};

// What is selected in the level.
struct EditSelection {
    enum class What { Nothing, Start, Target, Layer };
    What what = What::Nothing;
    int index = -1;
};

// The handles for a selection: the start's move handle and ring when the
// start is selected, a selected target's move handle, and a selected layer's
// face and end handles. Drafts have none. A Moving or Trigger layer's end
// handle sits at the centre of its bounds moved by its displacement, and
// there is none while its frames are not above 0.
std::vector<EditHandle> editHandles(const Scene& scene, const EditSelection& selection);

// The radius of the start's ring for handles of half size `size`.
inline float ringRadius(float size) { return 4 * size; }

// The handle the ray picks: the nearest one along the ray. A point handle is
// a cube of half size `size` round its position; the ring is picked where the
// ray meets its horizontal plane within `size` of the circle of ringRadius.
// None when the ray misses them all.
std::optional<std::size_t> pickHandle(const Ray& ray, const std::vector<EditHandle>& handles, float size);

// The trigger area (stored order, as LayerEntry holds it) with one face
// moved to `value` along its axis. Each axis's face is whichever of its two
// typed numbers is lower (the low face) or higher (the high face); equal
// numbers give the first to the low face. Only that number changes, and it
// stops at the other one: a face dragged past its opposite lies on it.
TriggerArea dragTriggerFace(const TriggerArea& stored, int face, float value);

// The speed per frame that takes a layer `end` (from its place) in `frames`
// frames; none when frames are not above 0.
std::optional<ScenePoint> speedForEnd(const ScenePoint& end, int frames);

// The speed that takes `layer` to its end handle dragged to `handle` (the
// centre of its bounds moved by the displacement, as editHandles places it),
// its frames unchanged; none while they are not above 0.
std::optional<ScenePoint> speedForEndHandle(const SceneLayer& layer, const ScenePoint& handle);

// The vibration width of a face's axis when the vibration box's face is
// dragged to `value`: how far it lies from the layer's bounds face on that
// side, made positive.
float vibrationWidthForFace(const SceneBox& layerBounds, int face, float value);

// The angle about y, in degrees, that turns the start to face from `centre`
// towards `point` (across the horizontal plane; startDirection of it points
// there), in [0, 360), snapped to kRotationStepDegrees when `snapped`.
float ringAngle(const ScenePoint& centre, const ScenePoint& point, bool snapped);

// How a point is dragged in a view.
enum class DragView {
    Perspective, // on the horizontal plane through it; vertically with Alt
    Top,         // looking down y: moves x and z
    Front,       // looking along z: moves x and y
    Side,        // looking along x: moves z and y
};

// Where a point at `from` goes when dragged along the ray in `view`: only
// the coordinates the view moves change, snapped to `grid` when it is above 0.
// Vertically (Perspective with `vertical`), on the upright plane through the
// point that faces the eye, only y changes. None when the ray does not meet
// the drag's plane (parallel to it, or pointing away).
std::optional<ScenePoint> dragPoint(DragView view, const ScenePoint& from, const Ray& ray, bool vertical,
                                    float grid);

// A point grabbed where `grabbed` met its drag plane and dragged to `ray`:
// it moves by as much as the mouse's point on the plane moved, so it does
// not jump to the mouse wherever it was grabbed. With `grid` above 0, a
// coordinate that moved by at least half a step lands on the grid; one that
// moved less stays where it was (a point off the grid is not pulled across
// by a drag along another axis). Vertically (Perspective with `vertical`)
// only y changes, by how far the point of the upright line through the
// point nearest the ray moved, which stays steady however steeply the eye
// looks down. None when either ray misses the plane (or runs along the
// upright line).
std::optional<ScenePoint> dragGrabbedPoint(DragView view, const ScenePoint& from, const Ray& grabbed, const Ray& ray,
                                           bool vertical, float grid);

// The coordinate along `axis` of the point of the line through `point` along
// that axis that comes nearest to the ray: where a face handle dragged along
// its axis follows the mouse. None when the ray runs along the axis.
std::optional<float> axisValueNearRay(const Ray& ray, const ScenePoint& point, int axis);

} // namespace kes
