// The brake flag: exactly one of its two flags is drawn, chosen from token 0x143 by an exact
// comparison with 0.0, and the column over the flags sends two key events.
#include "gauge_checks.h"
#include "gauge_host.h"
#include "host_records.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t brake = 0x143;
constexpr double quiet_nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct BrakeFlag : testing::Test {
    bench::gauge_host host{bench::find_module("brake_flag")};
    element_header &upper() { return *host.elements().at(1); }
    element_header &lower() { return *host.elements().at(2); }
    void start() {
        host.install();
        host.initialize();
    }
};

TEST_F(BrakeFlag, InstallPreparesTheVariableFirstAndUpdateReadsItBeforeTheElements) {
    host.set_variable(brake, 1.0);
    start();
    EXPECT_EQ(calls_seen(host), (std::vector<std::string>{"module_variable_initialize 0x143", "element_list_install",
                                                          "mouse_list_install", "mouse_list_register",
                                                          "element_list_initialize"}));
    // The record is packed: its value is copied out before it is compared.
    auto *record = reinterpret_cast<const module_variable *>(host.calls()[0].arguments[0]);
    EXPECT_EQ(double(record->value), 0.0) << "a standalone record holds its load-time zero until its first look-up";

    host.clear_calls();
    host.update();
    EXPECT_EQ(calls_seen(host), (std::vector<std::string>{"module_variable_lookup 0x143", "element_list_update"}));
    EXPECT_EQ(host.calls()[0].arguments[0], reinterpret_cast<std::uintptr_t>(record));
    EXPECT_EQ(double(record->value), 1.0);

    host.clear_calls();
    host.kill();
    EXPECT_EQ(calls_seen(host), (std::vector<std::string>{"mouse_list_unregister", "element_list_kill"}));
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(BrakeFlag, ExactlyOneFlagIsDrawnFromTheFirstUpdateOnAndNoOtherFlagBitChanges) {
    start();
    EXPECT_EQ(upper().image_flags, 0x4003u) << "at load the upper flag shows";
    EXPECT_EQ(lower().image_flags, 0x40000007u);
    struct {
        double value;
        bool upper_drawn;
    } cases[] = {
        {0.0, false}, {0.0, false},    {1.0, true},      {1.0, true},  {-0.0, false}, {-1.0, true}, {-1.0, true},
        {5e-324, true}, {-5e-324, true}, {0.0, false}, {quiet_nan, true},  {inf, true},   {-inf, true}, {1e300, true},
    };
    for (const auto &c : cases) {
        host.set_variable(brake, c.value);
        host.frame();
        EXPECT_EQ(upper().image_flags, c.upper_drawn ? 0x4003u : 0x40004003u) << c.value;
        EXPECT_EQ(lower().image_flags, c.upper_drawn ? 0x40000007u : 0x7u) << c.value;
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(BrakeFlag, ThePictureShowsTheChosenFlagOverThePanel) {
    start();
    const bench::image *panel = host.bitmap(100), *set = host.bitmap(200), *released = host.bitmap(300);
    ASSERT_TRUE(panel && set && released);
    EXPECT_EQ(panel->width, 88);
    EXPECT_EQ(panel->height, 242);
    struct {
        double value;
        const bench::image *flag;
        int flag_y;
    } cases[] = {{1.0, set, 0}, {0.0, released, 121}, {-1.0, set, 0}};
    for (const auto &c : cases) {
        host.set_variable(brake, c.value);
        host.frame();
        bench::image expected = checks::overlay(checks::opaque(*panel), *c.flag, 46, c.flag_y);
        EXPECT_EQ(checks::differing_pixels(host.render(), expected), 0) << c.value;
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(BrakeFlag, TheColumnOverTheFlagsSendsOneKeyEventPerHalf) {
    start();
    const click_case cases[] = {
        {42, 0, "key event 0x100D8"},  {85, 120, "key event 0x100D8"}, {42, 121, "key event 0x10034"},
        {85, 241, "key event 0x10034"}, {41, 0, "no click area"},       {41, 200, "no click area"},
        {0, 121, "no click area"},      {86, 60, "no click area"},      {60, 242, "no click area"},
    };
    expect_click_outcomes(host, cases);
    ASSERT_EQ(host.key_events().size(), 4u);
    for (const bench::key_event &event : host.key_events())
        EXPECT_EQ(event.value, 0u);
    host.frame();
    EXPECT_EQ(upper().image_flags, 0x40004003u) << "a click changes no picture: the variable still reads 0.0";
}

TEST_F(BrakeFlag, OneEmptyRoutineServesAsModuleInitAndDeinit) {
    EXPECT_STREQ(host.gauge().gauge_name, "brake_flag");
    module_routine init = host.linkage().module_init, deinit = host.linkage().module_deinit;
    EXPECT_EQ(init, deinit);
}

} // namespace
