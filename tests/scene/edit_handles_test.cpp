#include <gtest/gtest.h>

#include <cmath>

#include "scene/edit_handles.h"

namespace kes {
namespace {

SceneBox boxOf(ScenePoint lo, ScenePoint hi)
{
    SceneBox box;
    box.add(lo);
    box.add(hi);
    return box;
}

TEST(EditHandles, TriggerFacesWriteTheTypedNumberOfTheirSide)
{
    // Typed x1,x2,y1,y2,z1,z2; the face, where it is dragged, and the typed
    // numbers after.
    using Typed = std::array<float, 6>;
    struct Case {
        Typed typed;
        int face;
        float value;
        Typed after;
    };
    const Case cases[] = {
        {{0, 4, 0, 4, 0, 4}, 0, -2, {-2, 4, 0, 4, 0, 4}},          // low x outwards
        {{0, 4, 0, 4, 0, 4}, 1, 3, {0, 3, 0, 4, 0, 4}},            // high x inwards
        {{4, 0, 0, 4, 0, 4}, 0, 1, {4, 1, 0, 4, 0, 4}},            // x1 above x2: low x is x2
        {{4, 0, 0, 4, 0, 4}, 1, 9, {9, 0, 0, 4, 0, 4}},            // ... and high x is x1
        {{0, 4, -1, -5, 0, 4}, 2, -7, {0, 4, -1, -7, 0, 4}},       // negative y, y2 low
        {{0, 4, -1, -5, 0, 4}, 3, -2.5f, {0, 4, -2.5f, -5, 0, 4}},
        {{0, 4, 0, 4, -3, 3}, 5, -8, {0, 4, 0, 4, -3, -3}},        // high z past the low face stops there
        {{0, 4, 0, 4, -3, 3}, 4, 8, {0, 4, 0, 4, 3, 3}},           // low z past the high face
        {{0, 4, 0, 4, 3, -3}, 4, 8, {0, 4, 0, 4, 3, 3}},           // ... with z1 above z2
        {{2, 2, 0, 4, 0, 4}, 0, 1, {1, 2, 0, 4, 0, 4}},            // equal: x1 is the low face
        {{2, 2, 0, 4, 0, 4}, 1, 3, {2, 3, 0, 4, 0, 4}},            // ... x2 the high one
        {{2, 2, 0, 4, 0, 4}, 1, 1, {2, 2, 0, 4, 0, 4}},            // and cannot pass it
        {{0, 4, 0, 4, 0, 4}, 6, 9, {0, 4, 0, 4, 0, 4}},            // no such face
    };
    for (const Case& c : cases) {
        const TriggerArea after = dragTriggerFace(triggerAreaFromTypedOrder(c.typed), c.face, c.value);
        EXPECT_EQ(triggerAreaToTypedOrder(after), c.after) << "face " << c.face << " to " << c.value << " from "
                                                           << c.typed[0] << "," << c.typed[1] << ",...";
    }
}

TEST(EditHandles, SpeedFromTheEndAndVibrationWidthFromAFace)
{
    struct SpeedCase {
        ScenePoint end;
        int frames;
        std::optional<ScenePoint> speed;
    };
    const SpeedCase speeds[] = {
        {{10, -20, 0.5f}, 10, ScenePoint{1, -2, 0.05f}},
        {{-3, 0, 0}, 1, ScenePoint{-3, 0, 0}},
        {{0, 0, 0}, 4, ScenePoint{0, 0, 0}},
        {{10, 0, 0}, 0, std::nullopt},   // frames 0: no speed reaches it
        {{10, 0, 0}, -5, std::nullopt},
    };
    for (const SpeedCase& c : speeds) {
        const auto speed = speedForEnd(c.end, c.frames);
        ASSERT_EQ(speed.has_value(), c.speed.has_value()) << c.frames;
        if (speed) {
            EXPECT_FLOAT_EQ(speed->x, c.speed->x);
            EXPECT_FLOAT_EQ(speed->y, c.speed->y);
            EXPECT_FLOAT_EQ(speed->z, c.speed->z);
        }
    }

    const SceneBox bounds = boxOf({-4, -2, 1}, {-1, 3, 5});
    struct WidthCase {
        int face;
        float value;
        float width;
    };
    const WidthCase widths[] = {
        {0, -6, 2},     // low x out by 2
        {1, 0.5f, 1.5f}, // high x out by 1.5
        {0, -3, 1},     // dragged inside the bounds: still a width
        {3, 3, 0},      // on the bounds face
        {2, -2.25f, 0.25f},
        {4, 0, 1},
        {5, 9, 4},
    };
    for (const WidthCase& c : widths)
        EXPECT_FLOAT_EQ(vibrationWidthForFace(bounds, c.face, c.value), c.width) << c.face << " " << c.value;
}

TEST(EditHandles, TheRingTurnsTheStartTowardsThePoint)
{
    const ScenePoint centre{-5, 2, -5};
    struct Case {
        ScenePoint point;
        bool snapped;
        float angle;
    };
    const Case cases[] = {
        {{-5, 2, 0}, false, 0},      // +z
        {{0, 7, -5}, false, 90},     // +x, at another height
        {{-5, 2, -9}, false, 180},   // -z
        {{-9, 2, -5}, false, 270},   // -x, not -90
        {{-4, 2, -4}, false, 45},
        {{-4.9f, 2, 0}, true, 0},    // a little off +z snaps back
        {{-5.1f, 2, 0}, true, 0},    // ... from either side, not to 360
        {{-4, 2, -3}, true, 30},     // atan(1/2) = 26.6
        {{-6, 2, -3}, true, 330},
    };
    for (const Case& c : cases) {
        const float angle = ringAngle(centre, c.point, c.snapped);
        EXPECT_NEAR(angle, c.angle, 1e-3f) << c.point.x << "," << c.point.z;
        if (!c.snapped) {
            // startDirection of the angle points from the centre to the point.
            const ScenePoint d = startDirection({0, angle, 0});
            const float dx = c.point.x - centre.x, dz = c.point.z - centre.z;
            const float length = std::sqrt(dx * dx + dz * dz);
            EXPECT_NEAR(d.x, dx / length, 1e-5f);
            EXPECT_NEAR(d.z, dz / length, 1e-5f);
        }
    }
}

TEST(EditHandles, DragsMoveTheCoordinatesOfTheirView)
{
    const ScenePoint from{-2, -3, 4};
    struct Case {
        const char* what;
        DragView view;
        bool vertical;
        Ray ray;
        float grid;
        std::optional<ScenePoint> to;
    };
    const Case cases[] = {
        {"perspective: on the horizontal plane", DragView::Perspective, false, {{5, 7, -1}, {0, -1, 0}}, 0,
         ScenePoint{5, -3, -1}},
        {"perspective, slanted, snapped", DragView::Perspective, false, {{0, 0, 0}, {1.3f, -3, 0.8f}}, 0.5f,
         ScenePoint{1.5f, -3, 1}},
        {"perspective: vertical with alt", DragView::Perspective, true, {{-2, 6, -6}, {0, 0, 1}}, 0,
         ScenePoint{-2, 6, 4}},
        {"perspective, vertical, from aside", DragView::Perspective, true, {{10, -7.3f, 9}, {-1, 0, 0}}, 0.25f,
         ScenePoint{-2, -7.25f, 4}},
        {"perspective: parallel to the plane", DragView::Perspective, false, {{0, 5, 0}, {1, 0, 0}}, 0, std::nullopt},
        {"perspective: looking away", DragView::Perspective, false, {{0, 5, 0}, {0, 1, 0}}, 0, std::nullopt},
        {"vertical, looking straight down", DragView::Perspective, true, {{0, 5, 0}, {0, -1, 0}}, 0, std::nullopt},
        {"top: x and z", DragView::Top, false, {{-7.4f, 100, -0.6f}, {0, -1, 0}}, 1, ScenePoint{-7, -3, -1}},
        {"front: x and y", DragView::Front, false, {{-7.4f, -0.6f, -100}, {0, 0, 1}}, 1, ScenePoint{-7, -1, 4}},
        {"side: z and y", DragView::Side, false, {{100, -0.6f, -7.4f}, {-1, 0, 0}}, 0,
         ScenePoint{-2, -0.6f, -7.4f}},
        {"side: parallel to its plane", DragView::Side, false, {{100, 0, 0}, {0, 0, 1}}, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto to = dragPoint(c.view, from, c.ray, c.vertical, c.grid);
        ASSERT_EQ(to.has_value(), c.to.has_value()) << c.what;
        if (to) {
            EXPECT_NEAR(to->x, c.to->x, 1e-5f) << c.what;
            EXPECT_NEAR(to->y, c.to->y, 1e-5f) << c.what;
            EXPECT_NEAR(to->z, c.to->z, 1e-5f) << c.what;
        }
    }
}

TEST(EditHandles, AGrabbedPointKeepsItsGrabAndSnapsWhatMoved)
{
    // Grabbed 0.4 to the right of its centre in Top view, looking straight down.
    const ScenePoint from{0.3f, 2, -1};
    const auto down = [](float x, float z) { return Ray{{x, 50, z}, {0, -1, 0}}; };
    const Ray grab = down(0.7f, -1);
    struct Case {
        const char* what;
        Ray ray;
        float grid;
        std::optional<ScenePoint> to;
    };
    const Case cases[] = {
        {"no grid: moves by the mouse's move", down(3.2f, -1.5f), 0, ScenePoint{2.8f, 2, -1.5f}},
        {"a whole step in x: x on the grid, z untouched", down(1.9f, -1.2f), 1, ScenePoint{2, 2, -1}},
        {"less than half a step: stays", down(1.1f, -1), 1, ScenePoint{0.3f, 2, -1}},
        {"grid 0.25, both axes", down(-0.8f, 0.4f), 0.25f, ScenePoint{-1.25f, 2, 0.5f}},
        {"the ray misses the plane", Ray{{0, 50, 0}, {1, 0, 0}}, 1, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto to = dragGrabbedPoint(DragView::Top, from, grab, c.ray, false, c.grid);
        ASSERT_EQ(to.has_value(), c.to.has_value()) << c.what;
        if (to) {
            EXPECT_NEAR(to->x, c.to->x, 1e-5f) << c.what;
            EXPECT_FLOAT_EQ(to->y, c.to->y) << c.what;
            EXPECT_NEAR(to->z, c.to->z, 1e-5f) << c.what;
        }
    }
}

TEST(EditHandles, AVerticalDragFollowsTheUprightLineEvenLookingDown)
{
    const ScenePoint from{0, 0, 0};
    struct Case {
        const char* what;
        Ray grabbed, ray;
        float grid;
        float y;
    };
    const Case cases[] = {
        {"from aside", {{5, 1, 0}, {-1, 0, 0}}, {{5, 3, 0}, {-1, 0, 0}}, 0, 2},
        // Nearly straight down: the mouse moved towards where y = 1 shows.
        {"looking down steeply", {{0.1f, 10, 0}, {-0.1f, -10, 0}}, {{0.1f, 10, 0}, {-0.1f, -9, 0}}, 0, 1},
        {"the other way, snapped", {{0.1f, 10, 0}, {-0.1f, -10, 0}}, {{0.1f, 10, 0}, {-0.1f, -11.6f, 0}}, 0.5f, -1.5f},
    };
    for (const Case& c : cases) {
        const auto to = dragGrabbedPoint(DragView::Perspective, from, c.grabbed, c.ray, true, c.grid);
        ASSERT_TRUE(to) << c.what;
        EXPECT_NEAR(to->y, c.y, 1e-4f) << c.what;
        EXPECT_EQ(to->x, 0.0f) << c.what;
        EXPECT_EQ(to->z, 0.0f) << c.what;
    }
}

TEST(EditHandles, AFaceFollowsTheRayAlongItsAxis)
{
    struct Case {
        const char* what;
        Ray ray;
        ScenePoint point;
        int axis;
        std::optional<float> value;
    };
    const Case cases[] = {
        {"x, seen from above", {{4.5f, 10, 3}, {0, -1, 0}}, {1, 0, 0}, 0, 4.5f},
        {"y, seen from the front, negative", {{7, -2.5f, -20}, {0, 0, 1}}, {0, 1, 0}, 1, -2.5f},
        {"z, slanted ray", {{0, 4, 0}, {0, -1, 1}}, {0, 0, -3}, 2, 4.0f},
        {"a ray along the axis", {{0, 0, -10}, {0, 0, 2}}, {0, 0, 0}, 2, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto value = axisValueNearRay(c.ray, c.point, c.axis);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << c.what;
        if (value)
            EXPECT_NEAR(*value, *c.value, 1e-4f) << c.what;
    }
}

Scene sceneWithLayers()
{
    Scene scene;
    scene.hasStart = true;
    scene.start = {1, 2, 3};
    scene.targets.push_back({{-1, -1, -1}, 0});
    scene.targets.push_back({{5, 5, 5}, 0, true});
    const SceneBox bounds = boxOf({0, 0, 0}, {2, 2, 2});
    auto add = [&](LayerKind kind) {
        SceneLayer layer;
        layer.kind = static_cast<std::int32_t>(kind);
        layer.bounds = bounds;
        scene.layers.push_back(layer);
        return &scene.layers.back();
    };
    SceneLayer* moving = add(LayerKind::Moving); // 0
    moving->motionFrames = 5;
    moving->hasDisplacement = true;
    moving->displacement = {10, 0, -5};
    SceneLayer* stopped = add(LayerKind::Moving); // 1: frames 0
    stopped->hasDisplacement = true;
    SceneLayer* trigger = add(LayerKind::Trigger); // 2
    trigger->motionFrames = 2;
    trigger->hasDisplacement = true;
    trigger->displacement = {0, 4, 0};
    trigger->hasTriggerArea = true;
    trigger->triggerArea = boxOf({-4, -4, -4}, {4, 4, 4});
    SceneLayer* animated = add(LayerKind::AnimatedTrigger); // 3
    animated->hasTriggerArea = true;
    animated->triggerArea = boxOf({0, 0, 0}, {1, 1, 1});
    SceneLayer* vibrating = add(LayerKind::Vibrating); // 4
    vibrating->hasVibration = true;
    vibrating->vibrationBox = boxOf({-1, 0, 0}, {3, 2, 2});
    add(LayerKind::Static); // 5
    SceneLayer* draft = add(LayerKind::Moving); // 6
    draft->draft = true;
    draft->motionFrames = 5;
    return scene;
}

TEST(EditHandles, TheHandlesOfEachSelection)
{
    const Scene scene = sceneWithLayers();
    using K = HandleKind;
    using W = EditSelection::What;
    struct Case {
        EditSelection selection;
        std::vector<K> kinds;
    };
    const std::vector<K> six(6, K::TriggerFace);
    std::vector<K> triggerAndEnd = six;
    triggerAndEnd.push_back(K::MotionEnd);
    const Case cases[] = {
        {{W::Nothing, -1}, {}},
        {{W::Start, -1}, {K::StartMove, K::StartRing}},
        {{W::Target, 0}, {K::TargetMove}},
        {{W::Target, 1}, {}},  // a draft
        {{W::Target, 7}, {}},  // no such target
        {{W::Layer, 0}, {K::MotionEnd}},
        {{W::Layer, 1}, {}},   // frames 0: no end handle
        {{W::Layer, 2}, triggerAndEnd},
        {{W::Layer, 3}, six},
        {{W::Layer, 4}, std::vector<K>(6, K::VibrationFace)},
        {{W::Layer, 5}, {}},
        {{W::Layer, 6}, {}},   // a draft
        {{W::Layer, -1}, {}},
    };
    for (const Case& c : cases) {
        const auto handles = editHandles(scene, c.selection);
        std::vector<K> kinds;
        for (const EditHandle& h : handles)
            kinds.push_back(h.kind);
        EXPECT_EQ(kinds, c.kinds) << static_cast<int>(c.selection.what) << " " << c.selection.index;
    }
    // Where they are; the end handle, dragged nowhere, gives the speed back.
    const EditHandle end = editHandles(scene, {W::Layer, 0})[0];
    EXPECT_EQ(end.position, (ScenePoint{11, 1, -4}));
    EXPECT_EQ(speedForEndHandle(scene.layers[0], end.position), (ScenePoint{2, 0, -1}));
    EXPECT_EQ(speedForEndHandle(scene.layers[0], {-9, 1, 1}), (ScenePoint{-2, 0, 0}));
    EXPECT_FALSE(speedForEndHandle(scene.layers[1], end.position)); // frames 0
    const auto faces = editHandles(scene, {W::Layer, 4});
    EXPECT_EQ(faces[0].position, (ScenePoint{-1, 1, 1}));
    EXPECT_EQ(faces[1].position, (ScenePoint{3, 1, 1}));
    EXPECT_EQ(faces[5].position, (ScenePoint{1, 1, 2}));
    EXPECT_EQ(faces[3].face, 3);
    EXPECT_EQ(faces[3].index, 4);
}

TEST(EditHandles, TheNearestHandleOnTheRayIsPicked)
{
    const Scene scene = sceneWithLayers();
    std::vector<EditHandle> handles = editHandles(scene, {EditSelection::What::Start, -1});
    const auto trigger = editHandles(scene, {EditSelection::What::Layer, 2});
    handles.insert(handles.end(), trigger.begin(), trigger.end());
    // 0 start (1,2,3), 1 ring round it (radius 2 at size 0.5), 2.. trigger
    // faces at x -4 and 4 ..., 8 the end at (1, 5, 1).
    const float size = 0.5f;
    ASSERT_EQ(ringRadius(size), 2.0f);
    struct Case {
        Ray ray;
        std::optional<std::size_t> picked;
    };
    const Case cases[] = {
        {{{1, 2, 20}, {0, 0, -1}}, 0},             // the start
        {{{1, 20, 3}, {0, -1, 0}}, 0},             // from above: the marker's top before the ring's plane
        {{{3, 20, 3}, {0, -1, 0}}, 1},             // on the ring
        {{{1, 20, 5.4f}, {0, -1, 0}}, 1},          // within its width
        {{{2, 20, 3}, {0, -1, 0}}, std::nullopt},  // inside the ring
        {{{4, 20, 3}, {0, -1, 0}}, std::nullopt},  // outside it
        {{{1, 2, 20}, {0, 0.0f, 1}}, std::nullopt}, // looking away
        {{{-20, 0, 0}, {1, 0, 0}}, 2},             // low x face, before the high one
        {{{20, 0, 0}, {-1, 0, 0}}, 3},             // high x face from the other side
        {{{1, 5, -20}, {0, 0, 1}}, 8},             // the motion end
    };
    for (const Case& c : cases) {
        const auto picked = pickHandle(c.ray, handles, size);
        EXPECT_EQ(picked, c.picked) << c.ray.origin.x << "," << c.ray.origin.y << "," << c.ray.origin.z;
    }
    EXPECT_FALSE(pickHandle({{0, 0, 0}, {1, 0, 0}}, {}, size));
}

} // namespace
} // namespace kes
