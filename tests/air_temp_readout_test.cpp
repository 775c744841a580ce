// The air temperature readout: Celsius or Fahrenheit, the colour change at 1 degree Celsius
// (33 Fahrenheit), the clamp to -99..999, "%3d" of the truncated value, and the unit picture.
#include "gauge_checks.h"
#include "gauge_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

namespace {

constexpr std::uint32_t temperature = 0x15E, unit = 0x14F;
constexpr std::uint32_t yellow = 0x00FFFF, cyan = 0xFFFF00;
constexpr double celsius = 1.0, fahrenheit = 0.0; // values of the unit selector
constexpr double quiet_nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct AirTempReadout : testing::Test {
    bench::gauge_host host{bench::find_module("air_temp_readout")};
    element_header &text() { return *host.elements().at(1); }
    element_header &unit_picture() { return *host.elements().at(2); }
    void SetUp() override {
        host.install();
        host.initialize();
    }
    // Shows a temperature given in degrees Celsius, as the simulator holds it (1/256 of a degree).
    const bench::element_view &shown(double degrees, double unit_selector) {
        host.set_variable(temperature, degrees / 256.0);
        host.set_variable(unit, unit_selector);
        host.frame();
        return host.view(&text());
    }
};

struct temperature_case {
    double degrees, unit_selector;
    const char *text;
    std::uint32_t colour;
    double result;
};

void expect_shown(AirTempReadout &readout, const temperature_case &c) {
    const bench::element_view &view = readout.shown(c.degrees, c.unit_selector);
    std::ostringstream inputs;
    inputs << c.degrees << " degrees, unit selector " << c.unit_selector;
    EXPECT_EQ(view.text, c.text) << inputs.str();
    EXPECT_EQ(view.colour, c.colour) << inputs.str();
    if (std::isnan(c.result)) {
        EXPECT_TRUE(std::isnan(view.value_x)) << inputs.str();
    } else {
        EXPECT_EQ(view.value_x, c.result) << inputs.str();
    }
    bool shows_celsius = !(c.unit_selector == 0.0);
    EXPECT_EQ(readout.host.view(&readout.unit_picture()).state, shows_celsius ? 1 : 0)
        << "the unit picture follows on the same update: " << inputs.str();
}

TEST_F(AirTempReadout, ShowsCelsiusOrFahrenheitInItsColour) {
    EXPECT_EQ(reinterpret_cast<string_element &>(text()).text_colour, yellow) << "yellow at load";
    const temperature_case cases[] = {
        {15, celsius, " 15", yellow, 15.0},
        {0.5, celsius, "  0", cyan, 0.5},
        {1, celsius, "  1", yellow, 1.0},
        {0.99609375, celsius, "  0", cyan, 0.99609375},
        {-0.5, celsius, "  0", cyan, -0.5}, // toward zero: no "-0"
        {-98.7, celsius, "-98", cyan, -98.7},
        {998.9, celsius, "998", yellow, 998.9},
        {0, fahrenheit, " 32", cyan, 32.0},
        {1, fahrenheit, " 33", yellow, 33.8},
        {0.5555555555555536, fahrenheit, " 33", yellow, 33.0}, // exactly 33 after the conversion
        {0.5555555555555535, fahrenheit, " 32", cyan, 32.99999999999999},
        {-72.22222222222221, fahrenheit, "-97", cyan, -97.99999999999997}, // times 9, then by 5
        {0.5, fahrenheit, " 32", cyan, 32.9},
        {-40, fahrenheit, "-40", cyan, -40.0},
        {-17.5, fahrenheit, "  0", cyan, 0.5},
        {15, 2.0, " 15", yellow, 15.0}, // any nonzero selector means Celsius
        {15, -1.0, " 15", yellow, 15.0},
    };
    for (const temperature_case &c : cases)
        expect_shown(*this, c);
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(AirTempReadout, ValuesBeyondThreeCharactersAreClampedAfterTheColourIsChosen) {
    const temperature_case cases[] = {
        {600, fahrenheit, "999", yellow, 999.0},
        {999.9, celsius, "999", yellow, 999.0},
        {1000, celsius, "999", yellow, 999.0},
        {-120, celsius, "-99", cyan, -99.0},
        {-99.5, celsius, "-99", cyan, -99.0},
        {-99, celsius, "-99", cyan, -99.0},
        {-80, fahrenheit, "-99", cyan, -99.0},
        {1e300, celsius, "999", yellow, 999.0},
        {inf, fahrenheit, "999", yellow, 999.0},
        {-inf, celsius, "-99", cyan, -99.0},
    };
    for (const temperature_case &c : cases)
        expect_shown(*this, c);
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(AirTempReadout, BadInputsShowADefinedText) {
    const temperature_case cases[] = {
        {-0.0, celsius, "  0", cyan, 0.0},
        {-0.0, fahrenheit, " 32", cyan, 32.0},
        {15, -0.0, " 59", yellow, 59.0}, // -0.0 selects Fahrenheit like 0.0
        {15, quiet_nan, " 15", yellow, 15.0}, // a NaN selector is not 0.0: Celsius
        {quiet_nan, celsius, "---", cyan, quiet_nan},
        {quiet_nan, fahrenheit, "---", cyan, quiet_nan},
        {21, celsius, " 21", yellow, 21.0},
    };
    for (const temperature_case &c : cases)
        expect_shown(*this, c);
    host.set_variable(temperature, std::numeric_limits<double>::max());
    host.frame();
    EXPECT_EQ(host.view(&text()).text, "999") << "256 times the largest double is infinite";
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(AirTempReadout, ThePictureShowsTheTextInItsColourInsideTheBoxAndTheUnit) {
    const bench::image *display = host.bitmap(4096), *unit_f = host.bitmap(8192), *unit_c = host.bitmap(8195);
    ASSERT_TRUE(display && unit_f && unit_c);
    struct {
        double degrees, unit_selector;
        bench::rgba colour, other;
        const bench::image *unit_shown;
    } cases[] = {
        {15, celsius, {255, 255, 0, 255}, {0, 255, 255, 255}, unit_c},
        {-40, fahrenheit, {0, 255, 255, 255}, {255, 255, 0, 255}, unit_f},
    };
    const checks::region box = {16, 0, 17, 12};
    for (const auto &c : cases) {
        shown(c.degrees, c.unit_selector);
        bench::image picture = host.render();
        // Outside the text box the picture is the display with the unit picture over it.
        bench::image expected = checks::overlay(checks::opaque(*display), *c.unit_shown, 33, 1);
        EXPECT_EQ(checks::differing_pixels(picture, expected, {0, 0, box.x, display->height}), 0) << c.degrees;
        int right = box.x + box.w;
        EXPECT_EQ(checks::differing_pixels(picture, expected, {right, 0, display->width - right, display->height}), 0)
            << c.degrees;
        int in_colour = 0, other_colour = 0;
        for (int y = box.y; y < box.y + box.h; ++y)
            for (int x = box.x; x < right; ++x) {
                in_colour += picture.at(x, y) == c.colour;
                other_colour += picture.at(x, y) == c.other;
            }
        EXPECT_GT(in_colour, 0) << c.degrees;
        EXPECT_EQ(other_colour, 0) << c.degrees;
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(AirTempReadout, FailureOneBlanksTheTextAndTheUnitButNotTheBackground) {
    host.set_failure(1);
    shown(15, celsius);
    EXPECT_TRUE(host.view(&text()).blank);
    EXPECT_TRUE(host.view(&unit_picture()).blank);
    EXPECT_FALSE(host.view(host.top()).blank);
}

TEST_F(AirTempReadout, ItsGaugeNameBeginsWithASemicolon) {
    EXPECT_STREQ(host.gauge().gauge_name, ";air_temp_readout");
    module_routine init = host.linkage().module_init, deinit = host.linkage().module_deinit;
    EXPECT_NE(init, deinit) << "two separate empty routines";
}

} // namespace
