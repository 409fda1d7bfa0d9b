#include <gtest/gtest.h>

#include <cmath>

#include "scene/scene_ray.h"

namespace kes {
namespace {

// Column-major multiply of a 4x4 matrix and (x, y, z, 1), divided by w.
ScenePoint project(const Matrix4& m, const ScenePoint& p)
{
    const float w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
    return {(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12]) / w, (m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13]) / w,
            (m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]) / w};
}

TEST(SceneRay, ARayFromTheScreenRunsThroughThePixelAtEveryDepth)
{
    // A perspective camera at the origin looking down -z (as OpenGL's),
    // 90 degrees high, twice as wide as high, near 1, far 100; and its
    // inverse, written out.
    const float f = 1, aspect = 2, n = 1, fa = 100;
    const float a = (fa + n) / (n - fa), b = 2 * fa * n / (n - fa);
    const Matrix4 projection{f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, a, -1, 0, 0, b, 0};
    const Matrix4 inverse{aspect / f, 0, 0, 0, 0, 1 / f, 0, 0, 0, 0, 0, 1 / b, 0, 0, -1, a / b};
    struct Case {
        float x, y;     // pixels from the top left of 200 x 100
        float ndcX, ndcY;
    };
    const Case cases[] = {{100, 50, 0, 0}, {0, 0, -1, 1}, {200, 100, 1, -1}, {150, 25, 0.5f, 0.5f}, {20, 90, -0.8f, -0.8f}};
    for (const Case& c : cases) {
        const auto ray = rayFromScreen(inverse, c.x, c.y, 200, 100);
        ASSERT_TRUE(ray) << c.x << "," << c.y;
        EXPECT_NEAR(std::sqrt(ray->direction.x * ray->direction.x + ray->direction.y * ray->direction.y +
                              ray->direction.z * ray->direction.z),
                    1, 1e-5f);
        EXPECT_NEAR(ray->origin.z, -n, 1e-4f); // starts on the near plane
        EXPECT_LT(ray->direction.z, 0);         // into the screen
        for (const float distance : {0.0f, 5.0f, 50.0f}) {
            const ScenePoint seen = project(projection, pointOnRay(*ray, distance));
            EXPECT_NEAR(seen.x, c.ndcX, 1e-4f) << c.x << "," << c.y << " at " << distance;
            EXPECT_NEAR(seen.y, c.ndcY, 1e-4f) << c.x << "," << c.y << " at " << distance;
        }
    }
}

TEST(SceneRay, NoRayFromAnEmptyViewportOrASingularMatrix)
{
    const Matrix4 identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_TRUE(rayFromScreen(identity, 5, 5, 10, 10));
    EXPECT_FALSE(rayFromScreen(identity, 0, 0, 0, 10));
    EXPECT_FALSE(rayFromScreen(identity, 0, 0, 10, -1));
    EXPECT_FALSE(rayFromScreen(Matrix4{}, 5, 5, 10, 10));
}

TEST(SceneRay, RayAgainstAPlane)
{
    struct Case {
        Ray ray;
        ScenePoint point, normal;
        std::optional<float> distance;
    };
    const Case cases[] = {
        {{{0, 5, 0}, {0, -1, 0}}, {0, 0, 0}, {0, 1, 0}, 5.0f},                 // straight down
        {{{0, -5, 0}, {0, -1, 0}}, {0, -7, 0}, {0, 1, 0}, 2.0f},               // below the origin
        {{{-3, -3, -3}, {1, 1, 1}}, {0, -1, 0}, {0, -1, 0}, 2.0f},             // slanted, normal flipped
        {{{0, 5, 0}, {0, 2, 0}}, {0, 0, 0}, {0, 1, 0}, std::nullopt},          // pointing away
        {{{0, 5, 0}, {1, 0, 0}}, {0, 0, 0}, {0, 1, 0}, std::nullopt},          // parallel above it
        {{{0, 0, 0}, {1, 0, 0}}, {0, 0, 0}, {0, 1, 0}, std::nullopt},          // parallel, lying in it
        {{{0, 0, -4}, {0, 0, 0.5f}}, {0, 0, -2}, {0, 0, 1}, 4.0f},             // a short direction
    };
    for (const Case& c : cases) {
        const auto distance = intersectPlane(c.ray, c.point, c.normal);
        ASSERT_EQ(distance.has_value(), c.distance.has_value()) << c.ray.origin.y;
        if (distance) {
            EXPECT_NEAR(*distance, *c.distance, 1e-5f);
        }
    }
}

TEST(SceneRay, RayAgainstABoxAndATriangle)
{
    SceneBox box;
    box.add(ScenePoint{-3, -2, -1});
    box.add(ScenePoint{-1, 2, 1});
    struct BoxCase {
        Ray ray;
        std::optional<float> distance;
    };
    const BoxCase boxCases[] = {
        {{{-2, 0, -5}, {0, 0, 1}}, 4.0f},          // through the middle
        {{{-2, 0, 0}, {0, 0, 1}}, 0.0f},           // from inside
        {{{-2, 0, 5}, {0, 0, 1}}, std::nullopt},   // behind
        {{{0, 0, -5}, {0, 0, 1}}, std::nullopt},   // beside, parallel to x's faces
        {{{-5, 4, 0}, {1, -1, 0}}, 2.0f},          // through the edge's corner (-3, 2)
        {{{-5, 0, 0}, {1, 0, 0}}, 2.0f},
    };
    for (const BoxCase& c : boxCases) {
        const auto distance = intersectBox(c.ray, box);
        ASSERT_EQ(distance.has_value(), c.distance.has_value()) << c.ray.origin.x << "," << c.ray.origin.z;
        if (distance) {
            EXPECT_NEAR(*distance, *c.distance, 1e-5f);
        }
    }
    EXPECT_FALSE(intersectBox({{0, 0, 0}, {1, 0, 0}}, SceneBox{}));

    const ScenePoint a{-1, -1, -4}, b{1, -1, -4}, c{-1, 1, -4};
    struct TriangleCase {
        Ray ray;
        std::optional<float> distance;
    };
    const TriangleCase triangleCases[] = {
        {{{-0.5f, -0.5f, 0}, {0, 0, -1}}, 4.0f},        // its front
        {{{-0.5f, -0.5f, -8}, {0, 0, 1}}, 4.0f},        // its back
        {{{0.5f, 0.5f, 0}, {0, 0, -1}}, std::nullopt},  // beyond the long edge
        {{{-0.5f, -0.5f, 0}, {0, 0, 1}}, std::nullopt}, // away from it
        {{{-0.5f, -0.5f, -4}, {1, 0, 0}}, std::nullopt}, // in its plane
    };
    for (const TriangleCase& t : triangleCases) {
        const auto distance = intersectTriangle(t.ray, a, b, c);
        ASSERT_EQ(distance.has_value(), t.distance.has_value()) << t.ray.origin.x << "," << t.ray.origin.z;
        if (distance) {
            EXPECT_NEAR(*distance, *t.distance, 1e-5f);
        }
    }
}

} // namespace
} // namespace kes
