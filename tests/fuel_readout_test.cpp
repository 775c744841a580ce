// The fuel readout: the three quantities summed in order, times 6.6015, shown with "%4d" as
// a whole number truncated toward zero, within the five characters the text may hold.
#include "gauge_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

namespace {

constexpr double quiet_nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct FuelReadout : testing::Test {
    bench::gauge_host host{bench::find_module("fuel_readout")};
    void SetUp() override {
        host.install();
        host.initialize();
    }
    // What the text element shows once the three quantities read q0, q1 and q2.
    const bench::element_view &shown(double q0, double q1, double q2) {
        host.set_variable(0x12F, q0);
        host.set_variable(0x130, q1);
        host.set_variable(0x131, q2);
        host.frame();
        return host.view(host.elements().at(1));
    }
};

struct fuel_case {
    double q0, q1, q2;
    const char *text;
    double total;
};

void expect_shown(const bench::element_view &view, const fuel_case &c) {
    std::ostringstream quantities;
    quantities << c.q0 << ", " << c.q1 << ", " << c.q2;
    std::string inputs = quantities.str();
    EXPECT_EQ(view.text, c.text) << inputs;
    if (std::isnan(c.total)) {
        EXPECT_TRUE(std::isnan(view.value_x)) << inputs;
    } else {
        EXPECT_EQ(view.value_x, c.total) << inputs;
    }
    EXPECT_EQ(view.colour, 0x0080F5u) << "the callback leaves the colour alone";
}

TEST_F(FuelReadout, ShowsTheTruncatedTotalAndReturnsTheTotalItself) {
    const fuel_case cases[] = {
        {0, 0, 0, "   0", 0.0},
        {100, 50, 1.5, "1000", 1000.12725},
        {1, 0, 0, "   6", 6.6015},
        {0, 0, 1, "   6", 6.6015},
        {-1, 0, 0, "  -6", -6.6015}, // toward zero, not down
        {0.1, 0, 0, "   0", 0.66015},
        {-0.1, 0, 0, "   0", -0.66015},
        {-0.0, -0.0, -0.0, "   0", 0.0},
        {5000, 5000, 5148, "99999", 99999.522},
        {-1514, 0, 0, "-9994", -9994.671},
    };
    for (const fuel_case &c : cases)
        expect_shown(shown(c.q0, c.q1, c.q2), c);
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(FuelReadout, AddsTheQuantitiesInTheirOrderInDoublePrecision) {
    // 1e16 + 1 is not a double: the 1 survives only where the two large values cancel first.
    const fuel_case cases[] = {
        {1e16, -1e16, 1, "   6", 6.6015},
        {1e16, 1, -1e16, "   0", 0.0},
        {1, 1e16, -1e16, "   0", 0.0},
    };
    for (const fuel_case &c : cases)
        expect_shown(shown(c.q0, c.q1, c.q2), c);
}

TEST_F(FuelReadout, TotalsBeyondFiveCharactersShowTheReadoutsLimits) {
    const fuel_case cases[] = {
        {15148.1, 0, 0, "99999", 100000.18215},
        {1e6, 0, 0, "99999", 6.6015e6},
        {1e300, 0, 0, "99999", 6.6015e300},
        {std::numeric_limits<double>::max(), 0, 0, "99999", inf},
        {inf, 0, 0, "99999", inf},
        {-1514.8, 0, 0, "-9999", -9999.9522}, // still in range: truncated
        {-1515, 0, 0, "-9999", -10001.2725},
        {-1e300, 0, 0, "-9999", -6.6015e300},
        {0, -inf, 0, "-9999", -inf},
        {3e9, 3e9, 0, "99999", 3.9609e10}, // a total beyond any 32-bit integer
    };
    for (const fuel_case &c : cases) {
        const bench::element_view &view = shown(c.q0, c.q1, c.q2);
        expect_shown(view, c);
        EXPECT_LE(view.text.size(), 5u);
    }
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(FuelReadout, ATotalThatIsNoNumberShowsDashes) {
    const fuel_case cases[] = {
        {quiet_nan, 0, 0, "----", quiet_nan},
        {0, 0, quiet_nan, "----", quiet_nan},
        {inf, -inf, 0, "----", quiet_nan},
    };
    for (const fuel_case &c : cases)
        expect_shown(shown(c.q0, c.q1, c.q2), c);
    EXPECT_EQ(shown(1, 0, 0).text, "   6") << "and a number again once there is one";
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(FuelReadout, FailuresActOnTheBackgroundAloneAndTheTextKeepsFollowing) {
    host.set_failure(1);
    host.set_failure(10);
    const bench::element_view &view = shown(100, 50, 1.5);
    EXPECT_EQ(view.text, "1000");
    EXPECT_FALSE(view.blank);
}

TEST_F(FuelReadout, ModuleInitAndDeinitAreTwoSeparateRoutines) {
    EXPECT_STREQ(host.gauge().gauge_name, "fuel_readout");
    module_routine init = host.linkage().module_init, deinit = host.linkage().module_deinit;
    EXPECT_NE(init, deinit);
}

} // namespace
