#include <gtest/gtest.h>

#include <cmath>

#include "scene/snapping.h"

namespace kes {
namespace {

TEST(Snapping, EveryGridSizeRoundsToTheNearestMultipleTiesAwayFromZero)
{
    // Values as multiples of the grid, and the multiple they snap to.
    struct Case {
        double multiple;
        double snapped;
    };
    const Case cases[] = {{0, 0},     {0.4, 0},    {0.5, 1},   {0.6, 1},     {-0.4, 0},  {-0.5, -1},
                          {-0.6, -1}, {1.5, 2},    {-1.5, -2}, {2.49, 2},    {-3.7, -4}, {1000, 1000},
                          {-2.5, -3}, {2.5, 3},    {-1, -1},   {7.51, 8}};
    ASSERT_EQ(kGridSizes.size(), 8u);
    EXPECT_EQ(kDefaultGridSize, 1.0f);
    for (const float grid : kGridSizes) {
        for (const Case& c : cases) {
            const float value = static_cast<float>(c.multiple * grid);
            const float snapped = snapToGrid(value, grid);
            EXPECT_EQ(snapped, static_cast<float>(c.snapped * grid)) << value << " on grid " << grid;
            EXPECT_FALSE(std::signbit(snapped) && snapped == 0) << value << " snapped to -0 on grid " << grid;
        }
    }
}

TEST(Snapping, PointsAnglesAndNoGrid)
{
    EXPECT_EQ(snapToGrid(ScenePoint{-0.3f, 0.74f, -5.126f}, 0.25f), (ScenePoint{-0.25f, 0.75f, -5.25f}));
    EXPECT_EQ(snapToGrid(1.2345f, 0), 1.2345f);
    EXPECT_EQ(snapToGrid(-1.2345f, -1), -1.2345f);
    struct Case {
        float degrees, snapped;
    };
    const Case angles[] = {{0, 0}, {7.4f, 0}, {7.5f, 15}, {-7.5f, -15}, {352, 345}, {353, 360}, {-100, -105}, {44, 45}};
    for (const Case& c : angles)
        EXPECT_EQ(snapAngle(c.degrees), c.snapped) << c.degrees;
    EXPECT_EQ(snapAngle(44, 90), 0);
}

} // namespace
} // namespace kes
