// The autobrake selector: its routines' service calls in order, the lit labels, the step it
// sends by itself out of position 0, and the knob picture from the integer form of 0x2E7.
#include "gauge_checks.h"
#include "gauge_host.h"
#include "host_records.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t light_a = 0x2E4, light_b = 0x0A, selector = 0x2E7, threshold = 0x266;
constexpr double quiet_nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct AutobrakeSelector : testing::Test {
    bench::gauge_host host{bench::find_module("autobrake_selector")};
    element_header &lit_labels() { return *host.elements().at(1); }
    element_header &knob() { return *host.elements().at(2); }
    void start() {
        host.install();
        host.initialize();
    }
    // The automatic steps that `updates` updates send.
    std::size_t steps_over(int updates) {
        std::size_t before = host.key_events().size();
        for (int i = 0; i < updates; ++i)
            host.frame();
        for (std::size_t i = before; i < host.key_events().size(); ++i) {
            EXPECT_EQ(host.key_events()[i].event, 0x102FAu);
            EXPECT_EQ(host.key_events()[i].value, 1u);
        }
        return host.key_events().size() - before;
    }
};

TEST_F(AutobrakeSelector, InitializeAndUpdateCallTheServicesInTheirOrder) {
    host.install();
    EXPECT_EQ(calls_seen(host),
              (std::vector<std::string>{"element_list_install", "mouse_list_install", "mouse_list_register"}))
        << "install prepares no variable";

    host.clear_calls();
    host.initialize();
    EXPECT_EQ(calls_seen(host), (std::vector<std::string>{
                                    "module_variable_initialize 0x2E4", "module_variable_initialize 0xA",
                                    "module_variable_initialize 0x2E7", "module_variable_initialize 0x266",
                                    "element_list_initialize"}));
    std::vector<std::uintptr_t> records;
    for (std::size_t i = 0; i < 4; ++i)
        records.push_back(host.calls()[i].arguments[0]);
    EXPECT_EQ(host.calls()[4].arguments[0], reinterpret_cast<std::uintptr_t>(host.top()));

    host.set_variable(threshold, 31.0);
    for (bool stepping : {true, false}) {
        host.set_variable(selector, stepping ? 0 : 2);
        host.clear_calls();
        host.update();
        std::vector<std::string> expected = {"module_variable_lookup 0x2E4", "module_variable_lookup 0xA",
                                             "module_variable_lookup 0x2E7", "module_variable_lookup 0x266"};
        if (stepping)
            expected.push_back("key_event_trigger");
        expected.push_back("element_list_update");
        EXPECT_EQ(calls_seen(host), expected);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(host.calls()[i].arguments[0], records[i]) << "looks up the records it prepared";
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(AutobrakeSelector, StandaloneRecordsHoldTheirLoadTimeZeroUntilTheFirstLookUp) {
    host.set_variable(light_a, 1.0);
    host.set_variable(light_b, 1.0);
    host.set_variable(selector, 3);
    host.set_variable(threshold, 50.0);
    start();
    std::vector<const module_variable *> records;
    for (std::size_t i = 0; i < 4; ++i)
        records.push_back(reinterpret_cast<const module_variable *>(host.calls()[3 + i].arguments[0]));
    for (const module_variable *record : records)
        EXPECT_EQ(double(record->value), 0.0) << bench::hex_text(record->token);
    host.update();
    EXPECT_EQ(double(records[0]->value), 1.0);
    EXPECT_EQ(double(records[3]->value), 50.0);
}

TEST_F(AutobrakeSelector, TheLitLabelsFollowTheTwoVariablesOrKeepTheirState) {
    start();
    EXPECT_EQ(lit_labels().image_flags, 0x7u) << "shown at load, until the first update decides";
    struct {
        double a, b;
        bool hidden;
    } steps[] = {
        {1.0, 0.5, false}, // neither rule applies: stays as loaded
        {0.0, 1.0, true},  {1.0, 0.5, true}, {1.0, 1.0, false}, {2.0, 1.0, false}, {-0.0, 1.0, true},
        {1.0, 1.0, false}, {1.0, -0.0, true}, {1.0, -0.0, true}, {quiet_nan, 1.0, true}, {1.0, 1.0, false},
        {quiet_nan, quiet_nan, false}, {0.5, 0.0, true}, {1.0, 1.0000000000000002, true},
        {0.9999999999999999, 1.0, true}, {-1.0, -1.0, true}, {inf, 1.0, true}, {1.0, 1.0, false},
        {1.0, 1.0, false},
    };
    for (const auto &step : steps) {
        host.set_variable(light_a, step.a);
        host.set_variable(light_b, step.b);
        host.frame();
        EXPECT_EQ(lit_labels().image_flags, step.hidden ? 0x40000007u : 0x7u) << step.a << ", " << step.b;
    }
}

TEST_F(AutobrakeSelector, AtPositionZeroItStepsOnEveryUpdateWhileTheThresholdExceeds30) {
    start();
    struct {
        double position, threshold;
        std::size_t steps; // over three updates
    } cases[] = {
        {0, 30.0, 0},  {0, 30.5, 3},    {0, 30.000000000000004, 3}, {0, 29.0, 0}, {0, inf, 3},
        {0, quiet_nan, 0}, {0, -inf, 0}, {1, 100.0, 0}, {5, 100.0, 0}, {-1, 100.0, 0}, {7, 31.0, 0},
    };
    for (const auto &c : cases) {
        host.set_variable(selector, c.position);
        host.set_variable(threshold, c.threshold);
        EXPECT_EQ(steps_over(3), c.steps) << "position " << c.position << ", threshold " << c.threshold;
    }
    // Not latched: it steps until the simulator moves the selector, and again once it is back.
    host.set_variable(selector, 0);
    host.set_variable(threshold, 45.0);
    EXPECT_EQ(steps_over(2), 2u);
    host.set_variable(selector, 1);
    EXPECT_EQ(steps_over(2), 0u);
    host.set_variable(selector, 0);
    EXPECT_EQ(steps_over(1), 1u);
}

TEST_F(AutobrakeSelector, TheKnobShowsThePositionReadAsAnInteger) {
    start();
    const bench::image *labels = host.bitmap(12288), *lit = host.bitmap(8192);
    ASSERT_TRUE(labels && lit);
    for (int position = 0; position <= 5; ++position) {
        bool lit_up = position % 2 == 0;
        host.set_variable(light_a, lit_up ? 1.0 : 0.0);
        host.set_variable(light_b, 1.0);
        host.set_variable(selector, position);
        host.frame();
        const bench::element_view &shown = host.view(&knob());
        EXPECT_EQ(shown.value_x, double(position));
        EXPECT_EQ(shown.state, position);
        const bench::image *knob_picture = host.bitmap(4096 + 3 * std::uint32_t(position));
        ASSERT_NE(knob_picture, nullptr);
        bench::image expected = checks::opaque(*labels);
        if (lit_up)
            expected = checks::overlay(expected, *lit, 0, 0);
        expected = checks::overlay(expected, *knob_picture, 0, 0);
        EXPECT_EQ(checks::differing_pixels(host.render(), expected), 0) << "position " << position;
    }
    host.set_variable(selector, -1);
    host.frame();
    EXPECT_EQ(host.view(&knob()).value_x, -1.0) << "a negative integer stays negative";
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(AutobrakeSelector, TheKnobHalvesSendTheTwoTurningEvents) {
    start();
    const click_case cases[] = {
        {9, 12, "key event 0x102FB"},  {42, 71, "key event 0x102FB"}, {44, 12, "key event 0x102FA"},
        {77, 71, "key event 0x102FA"}, {43, 40, "no click area"},     {8, 40, "no click area"},
        {78, 40, "no click area"},     {20, 11, "no click area"},     {60, 72, "no click area"},
    };
    expect_click_outcomes(host, cases);
}

TEST_F(AutobrakeSelector, ModuleInitAndDeinitAreTwoSeparateRoutines) {
    EXPECT_STREQ(host.gauge().gauge_name, "autobrake_selector");
    module_routine init = host.linkage().module_init, deinit = host.linkage().module_deinit;
    EXPECT_NE(init, deinit);
}

} // namespace
