// The oil thermometer: its needle follows variable 0x93 through the calibration table, holds
// the scale's ends, rests under failure 2, and is drawn from its turning point along its value.
#include "gauge_host.h"
#include "gauge_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr std::uint32_t oil_token = 0x93;
constexpr double pivot_x = 50, pivot_y = 50; // where the needle turns, on the 101 x 101 dial
constexpr double inf = std::numeric_limits<double>::infinity();

// Degrees clockwise on the screen from +x, from the turning point towards a dial point.
double direction_to(double x, double y) { return std::atan2(y - pivot_y, x - pivot_x) * 180.0 / std::numbers::pi; }

const double scale_start = direction_to(32, 19); // value 0
const double scale_end = direction_to(68, 82);   // value 16384

struct OilThermometer : checks::one_variable_gauge {
    OilThermometer() : one_variable_gauge("oil_thermometer", oil_token) {}
    double angle_for(double value) { return show(value).angle; }
};

TEST_F(OilThermometer, ValuesBeyondTheScaleHoldTheNeedleAtItsEnds) {
    const struct {
        double value, angle;
    } cases[] = {
        {0.0, scale_start},      {16384.0, scale_end}, {-0.5, scale_start},   {16384.5, scale_end},
        {-1092.0, scale_start},  {20000.0, scale_end}, {-99999.0, scale_start}, {99999.0, scale_end},
        {-99999.5, scale_start}, {99999.5, scale_end}, {-1e12, scale_start},  {1e12, scale_end},
        {-inf, scale_start},     {inf, scale_end},
    };
    for (const auto &c : cases) {
        EXPECT_NEAR(angle_for(c.value), c.angle, 1e-9) << c.value;
        EXPECT_EQ(host.view(element).value_x, c.value) << "the callback hands the value on unchanged";
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(OilThermometer, PointsRightAt10923AndTurnsThroughZeroWithoutReversal) {
    EXPECT_NEAR(angle_for(10923), 0.0, 1e-9);
    EXPECT_NEAR(angle_for(10923), direction_to(86, 50), 1e-9);
    double previous = angle_for(9830);
    EXPECT_LT(previous, 0.0);
    for (double value = 9831; value <= 12015; ++value) {
        double angle = angle_for(value);
        ASSERT_GT(angle, previous) << value;
        previous = angle;
    }
    EXPECT_GT(previous, 0.0);
}

TEST_F(OilThermometer, TheScaleTurnsClockwiseWithTheValueFromMinus120ToPlus60) {
    double previous = -inf;
    for (double value = 0; value <= 16384; value += 16) {
        double angle = angle_for(value);
        ASSERT_GT(angle, previous) << value;
        // The table's points lie within about a degree of an even 180-degree scale.
        EXPECT_NEAR(angle, -120.0 + value * 180.0 / 16384.0, 1.5) << value;
        previous = angle;
    }
    EXPECT_NEAR(angle_for(8192), (direction_to(79, 29) + direction_to(83, 35)) / 2, 0.5)
        << "half-way between the rows of 7646 and 8738";
    EXPECT_NEAR(angle_for(8192), -30.0, 1.0);
}

TEST_F(OilThermometer, Failure2RestsTheNeedleAtTheScaleStartAndNoOtherFailureMovesIt) {
    host.set_failure(1);
    host.set_failure(10);
    EXPECT_NEAR(angle_for(10923), 0.0, 1e-9);
    host.set_failure(2);
    EXPECT_NEAR(angle_for(10923), scale_start, 1e-9);
    EXPECT_FALSE(host.view(element).blank);
}

TEST_F(OilThermometer, AClickAnywhereRunsNothingAndTheListCarriesHelpIdA418) {
    for (int y = -1; y <= 101; y += 17)
        for (int x = -1; x <= 101; x += 17)
            EXPECT_EQ(host.click(x, y).outcome, "no click area") << x << "," << y;
    EXPECT_TRUE(host.key_events().empty());
    const mouse_rect *list = host.live_mouse_list();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list[0].rect_kind, std::uint32_t(rect_group_start));
    EXPECT_EQ(list[0].help_id, 0xA418u);
}

// Where the rendered needle lies: the pixels that differ from the bare dial, measured along
// the expected direction from the turning point and across it.
struct needle_extent {
    int pixels = 0;
    double ahead = -inf, behind = inf; // furthest along the direction, forwards and backwards
    double widest = 0;                 // furthest from the axis
    double mean_across = 0;
};

needle_extent extent_along(const bench::image &shown, const bench::image &dial, double degrees) {
    double c = std::cos(degrees * std::numbers::pi / 180.0), s = std::sin(degrees * std::numbers::pi / 180.0);
    needle_extent extent;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            if (shown.at(x, y) == dial.at(x, y))
                continue;
            double dx = x + 0.5 - pivot_x, dy = y + 0.5 - pivot_y;
            double along = dx * c + dy * s, across = -dx * s + dy * c;
            ++extent.pixels;
            extent.ahead = std::max(extent.ahead, along);
            extent.behind = std::min(extent.behind, along);
            extent.widest = std::max(extent.widest, std::fabs(across));
            extent.mean_across += across;
        }
    if (extent.pixels > 0)
        extent.mean_across /= extent.pixels;
    return extent;
}

TEST_F(OilThermometer, TheRenderedNeedleReachesFromItsTurningPointTowardsTheValue) {
    const bench::image *dial_picture = host.bitmap(102);
    ASSERT_NE(dial_picture, nullptr);
    bench::image dial = checks::opaque(*dial_picture);
    const struct {
        double value, direction;
    } cases[] = {
        {0, scale_start},
        {8192, (direction_to(79, 29) + direction_to(83, 35)) / 2},
        {10923, 0.0},
        {13107, direction_to(83, 64)},
        {16384, scale_end},
        {-5000, scale_start},
    };
    for (const auto &c : cases) {
        angle_for(c.value);
        bench::image shown = host.render();
        ASSERT_EQ(shown.width, 101);
        ASSERT_EQ(shown.height, 101);
        needle_extent extent = extent_along(shown, dial, c.direction);
        // The needle picture is 47 x 7 and turns about its pixel (12, 3): 34 pixels ahead,
        // 11 behind, 3 to each side, plus a pixel of filtering.
        EXPECT_GT(extent.pixels, 60) << c.value;
        EXPECT_GE(extent.ahead, 32.0) << c.value;
        EXPECT_LE(extent.ahead, 36.5) << c.value;
        EXPECT_GE(extent.behind, -13.0) << c.value;
        EXPECT_LE(extent.widest, 4.6) << c.value;
        EXPECT_LT(std::fabs(extent.mean_across), 1.0) << c.value;
    }
    EXPECT_TRUE(host.errors().empty());
}

} // namespace
