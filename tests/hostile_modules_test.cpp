// The bench against modules that break the rules: each fault is reported in words, and the
// bench carries on through every routine, click, report and picture without crashing or hanging.
#include "gauge_host.h"
#include "report.h"
#include "shared_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using bench::gauge_host;

// A whole life of the gauge as the bench's commands drive it: install, frames, clicks on the
// area and beside it, the report, a picture, kill.
void drive(gauge_host &host, int frames) {
    host.install();
    host.initialize();
    for (int i = 0; i < frames; ++i)
        host.frame();
    host.click(5, 5);
    host.click(70, 70);
    bench::state_json(host);
    bench::describe_module(host);
    bench::image picture = host.render();
    EXPECT_EQ(picture.width, 101) << "the background is drawn";
    host.kill();
}

bool reported(const gauge_host &host, const std::string &text) {
    return std::find(host.errors().begin(), host.errors().end(), text) != host.errors().end();
}

TEST(HostileModules, AStringCallbackWritingPastItsBufferIsReported) {
    gauge_host host(bench::find_module("probe_hostile_overrun"));
    drive(host, 3);
    EXPECT_TRUE(reported(host, "string callback wrote past its 6-character buffer"));
    EXPECT_TRUE(reported(host, "string callback left its text without a terminating NUL"));
    EXPECT_EQ(host.errors().size(), 2u) << "each fault once, however many frames meet it";
}

TEST(HostileModules, AnElementTreeThatLeadsBackToItsTopIsWalkedOnceAndReported) {
    gauge_host host(bench::find_module("probe_hostile_cycle"));
    EXPECT_EQ(host.elements().size(), 2u) << "background and icon, each once";
    drive(host, 3);
    ASSERT_EQ(host.errors().size(), 1u);
    EXPECT_EQ(host.errors()[0], "element tree reaches its static image element at " +
                                    bench::hex_text(reinterpret_cast<std::uintptr_t>(host.top())) +
                                    " twice, through a cycle or a second parent; the bench skips it");
}

TEST(HostileModules, AMouseListWithoutItsListEndIsReadToTheBenchsLimitAndReported) {
    gauge_host host(bench::find_module("probe_hostile_no_list_end"));
    host.install();
    EXPECT_EQ(host.click(5, 5).outcome, "key event 0x10001") << "the areas read before the limit still work";
    EXPECT_EQ(host.click(50, 50).outcome, "no click area");
    host.kill();
    ASSERT_EQ(host.errors().size(), 1u);
    EXPECT_EQ(host.errors()[0], "mouse list has no list end within 1024 records");
}

TEST(HostileModules, AHeaderOfAnUnknownVersionIsRefusedAtLoad) {
    std::string path = bench::find_module("probe_hostile_version");
    try {
        gauge_host host(path);
        FAIL() << "loaded a version 650 header";
    } catch (const bench::load_error &error) {
        EXPECT_EQ(std::string(error.what()), "\"" + path + "\": its gauge header version is 650, not 610 or 700");
    }
}

// Values that no element can show are the host's to handle, as real gauges give them too
// (a variable that is not a number passes through many a callback): the element shows
// nothing or parks, and nothing is reported.
TEST(HostileModules, CallbacksReturningValuesNoElementCanShowAreDrawnAsNothing) {
    gauge_host host(bench::find_module("probe_hostile_values"));
    host.install();
    host.initialize();
    std::vector<element_header *> elements = host.elements();
    ASSERT_EQ(elements.size(), 5u);
    const element_header *icon = elements[3];
    // Eleven values come round in turn and the tree asks for five each frame: in eleven frames
    // every element meets each of them.
    for (int frame = 0; frame < 22; ++frame) {
        host.frame();
        const bench::element_view &shown = host.view(icon);
        if (!std::isfinite(shown.value_x) || std::fabs(shown.value_x) >= 2147483648.0) {
            EXPECT_EQ(shown.state, -1) << shown.value_x;
        }
        bench::image picture = host.render();
        EXPECT_EQ(picture.width, 101);
        bench::state_json(host).dump();
    }
    host.kill();
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

#if !defined(_WIN32)
// The command line: one line per fault, a failing status, and no crash.
TEST(HostileModules, TheCommandLineReportsEachFaultAndFails) {
    struct {
        const char *module;
        const char *report;
    } cases[] = {
        {"probe_hostile_overrun", "string callback wrote past its 6-character buffer"},
        {"probe_hostile_cycle", "twice, through a cycle or a second parent"},
        {"probe_hostile_no_list_end", "mouse list has no list end within 1024 records"},
        {"probe_hostile_version", "its gauge header version is 650, not 610 or 700"},
    };
    for (const auto &c : cases) {
        blocks::bench_run run = blocks::run_bench(std::string("state ") + c.module + " --click 5,5 --updates 3");
        EXPECT_EQ(run.status, 1) << c.module << ":\n" << run.output;
        EXPECT_NE(run.output.find(c.report), std::string::npos) << c.module << ":\n" << run.output;
    }
}
#endif

} // namespace
