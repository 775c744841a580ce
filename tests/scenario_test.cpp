// The scenario runner stops at the first bad line or failed expectation and names it.
#include "scenario.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(Scenario, TheFirstFailureStopsTheRunWithItsFileAndLine) {
    struct {
        const char *text;
        const char *failure; // empty when the scenario passes
        int expectations;
    } cases[] = {
        {"load window_toggle\nclick 5,5\nexpect window 50 shown\n", "", 1},
        {"# a comment\n\nload window_toggle\nexpect window 50 shown\nexpect window 50 hidden\n",
         "t.scn:4: expected window 50 shown, found hidden", 0},
        {"click 5,5\n", "t.scn:1: no module loaded yet (load MODULE comes first)", 0},
        {"load window_toggle\nfly 5\n", "t.scn:2: unknown command \"fly\"", 0},
        {"load window_toggle\nset 0x4A=abc\n", "t.scn:2: \"abc\" is not a number", 0},
        {"load window_toggle\nexpect element 9 state 0\n", "t.scn:2: the gauge has no element 9 (it has 1)", 0},
        {"load window_toggle\nexpect key 0x100D8 0\n", "t.scn:2: expected key event 0x100D8 with value 0, found no further key event", 0},
        {"load window_toggle\nexpect named vireo_DH 0\n", "t.scn:2: expected vireo_DH = 0, found none", 0},
        {"load no_such_module\n", "t.scn:1: ", 0},
    };
    for (const auto &c : cases) {
        std::istringstream text(c.text);
        bench::scenario_result result = bench::run_scenario("t.scn", text);
        EXPECT_EQ(result.passed, std::string(c.failure).empty()) << c.text;
        EXPECT_EQ(result.failure.rfind(c.failure, 0), 0u) << result.failure;
        EXPECT_EQ(result.expectations, c.expectations) << c.text;
    }
}

TEST(Scenario, NumbersMatchWithinARoundingAndNanMatchesNan) {
    std::istringstream close("load baro_altimeter\nset 0x4A 250.0000000001\nupdate\nexpect element 16 angle 0\n");
    EXPECT_TRUE(bench::run_scenario("t.scn", close).passed);
    std::istringstream off("load baro_altimeter\nset 0x4A 251\nupdate\nexpect element 16 angle 0\n");
    EXPECT_FALSE(bench::run_scenario("t.scn", off).passed);
    std::istringstream nan("load oil_thermometer\nset 0x93 nan\nupdate\nexpect element 2 value nan\n");
    EXPECT_TRUE(bench::run_scenario("t.scn", nan).passed);
}

} // namespace
