// Long runs in one process: every module installed, updated and killed many times over, and
// loaded and unloaded many times over. Nothing may be left behind (the sanitizer's leak check
// at exit, mapping handles and views, sound objects, shared memory objects), and what a
// module keeps across a kill must still be there after the last one.
//
// GAUGE_SOAK_CYCLES sets the number of lives per module (default 200); the full soak runs
// 10,000 as a test of its own.
#if !defined(_WIN32)
#include "deliverables.h"
#include "gauge_checks.h"
#include "gauge_host.h"
#include "shared_blocks.h"

#include "control.h"
#include "sound.h"
#include "user_interface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

unsigned soak_cycles() {
    const char *set = std::getenv("GAUGE_SOAK_CYCLES");
    long cycles = set != nullptr ? std::strtol(set, nullptr, 10) : 0;
    return cycles > 0 ? unsigned(cycles) : 200;
}

// The shared memory objects of this process's mapping namespace.
std::size_t shared_memory_objects() {
    std::string prefix = platform::mapping_namespace() + ".";
    std::size_t count = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/dev/shm"))
        count += entry.path().filename().string().starts_with(prefix) ? 1 : 0;
    return count;
}

// Mapping handles, views and sound objects open now; other tests in this process may have
// left some (a release made to fail keeps its object), so runs compare with what they found.
struct open_objects {
    std::size_t handles = platform::open_mapping_handles();
    std::size_t views = platform::open_mapping_views();
    int sounds = platform::live_sound_objects();
    bool operator==(const open_objects &) const = default;
};

std::ostream &operator<<(std::ostream &out, const open_objects &open) {
    return out << open.handles << " handle(s), " << open.views << " view(s), " << open.sounds << " sound object(s)";
}

// What the gauge shows after one frame, and the values of its named variables.
std::vector<std::string> shown(bench::gauge_host &host) {
    host.frame();
    std::vector<std::string> seen;
    for (element_header *element : host.elements())
        seen.push_back(checks::view_text(host.view(element)));
    for (const auto &[name, value] : host.named_variables())
        seen.push_back(name + " = " + std::to_string(value));
    return seen;
}

// Clicks the middle of every click area, the nth area n times, so that areas that undo each
// other (a knob's two directions) still leave a change.
void click_every_area(bench::gauge_host &host) {
    std::string fault;
    std::vector<bench::placed_rect> areas = bench::read_mouse_list(host.live_mouse_list(), fault);
    int times = 0;
    for (const bench::placed_rect &area : areas)
        if (area.rect->rect_kind == rect_click_area) {
            ++times;
            for (int i = 0; i < times; ++i)
                host.click(area.x + int(area.rect->box_w) / 2, area.y + int(area.rect->box_h) / 2);
        }
}

// The modules whose clicks change what they keep for as long as they stay loaded: knob
// frames, the mode and its text, the decision height.
bool keeps_state(const std::string &module) {
    return module == "speed_knob" || module == "heading_knob" || module == "map_mode_switch" ||
           module == "baro_altimeter";
}

struct Soak : testing::TestWithParam<std::string> {
    void SetUp() override {
        blocks::forget_earlier_blocks();
        platform::clear_faults();
        platform::clear_recorded_calls();
        platform::reset_sound();
        platform::keep_call_log(false);
    }
    void TearDown() override {
        platform::keep_call_log(true);
        platform::clear_recorded_calls();
        blocks::forget_earlier_blocks();
    }
};

TEST_P(Soak, ManyLivesLeaveNothingBehindAndKeepWhatSurvivesAKill) {
    const std::string module = GetParam();
    const unsigned cycles = soak_cycles();
    bench::gauge_host host(bench::find_module(module));
    host.keep_calls(false);
    if (module == "gear_panel") {
        bench::shared_block other_module("QUORVAL_COM_IPC", 0);
        other_module.write(0, {5, 0, 0, 0});
    }

    host.install();
    std::vector<std::string> at_load = shown(host);
    click_every_area(host);
    std::vector<std::string> after_clicks = shown(host);
    host.kill();
    if (keeps_state(module)) {
        ASSERT_NE(after_clicks, at_load) << "the clicks change what the module keeps";
    }

    auto started = std::chrono::steady_clock::now();
    std::size_t objects = shared_memory_objects();
    const open_objects before;
    for (unsigned cycle = 0; cycle < cycles; ++cycle) {
        host.install();
        host.frame();
        host.kill();
        platform::reset_sound();
        if (open_objects() != before || shared_memory_objects() != objects) {
            ADD_FAILURE() << "life " << cycle + 1 << " left " << open_objects() << " where there were " << before
                          << ", and " << shared_memory_objects() << " shared memory object(s) of " << objects;
            break;
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    host.install();
    EXPECT_EQ(shown(host), after_clicks) << "what the module keeps survives every kill";
    if (module == "gear_panel") {
        // The word is still the one last taken: an update acts on no change.
        host.keep_calls(true);
        host.clear_calls();
        host.frame();
        for (const bench::service_call &call : host.calls())
            EXPECT_NE(call.service, "element_refresh");
    }
    host.kill();
    if (module == "map_mode_switch") {
        // With the block gone, the next install publishes the text the switch kept.
        platform::remove_mapping_namespace(platform::mapping_namespace());
        host.install();
        bench::shared_block block("NDPassData", 20);
        EXPECT_EQ(block.read(0, 10), blocks::bytes_of(std::string("NDMode=0\0\0", 10)));
        host.kill();
    }
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
    EXPECT_TRUE(platform::recorded_calls().empty()) << "the call log is off for the long run";
    std::cout << "[ soak     ] " << module << ": " << cycles << " lives in " << seconds << " s, "
              << platform::recorded_call_count() << " platform calls counted, none kept\n";
}

INSTANTIATE_TEST_SUITE_P(Deliverables, Soak, testing::ValuesIn(tests::deliverables()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

// Loading and unloading: each load starts the module afresh, and each unload gives back all
// it took.
TEST(SoakLoading, EveryModuleLoadsAndUnloadsManyTimes) {
    blocks::forget_earlier_blocks();
    platform::keep_call_log(false);
    const unsigned loads = std::max(1u, soak_cycles() / 20);
    auto started = std::chrono::steady_clock::now();
    const open_objects before;
    for (const std::string &module : tests::deliverables()) {
        std::vector<std::string> first;
        for (unsigned load = 0; load < loads; ++load) {
            bench::gauge_host host(bench::find_module(module));
            host.install();
            click_every_area(host);
            std::vector<std::string> seen = shown(host);
            host.kill();
            if (load == 0)
                first = seen;
            else if (seen != first) {
                ADD_FAILURE() << module << ": load " << load + 1 << " does not start afresh";
                break;
            }
            EXPECT_TRUE(host.errors().empty()) << module;
        }
        platform::reset_sound();
        EXPECT_EQ(open_objects(), before) << module;
        // The map mode switch republishes its text at every install: without its block, each
        // load must again start from "NDMode=1".
        blocks::forget_earlier_blocks();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    platform::keep_call_log(true);
    platform::clear_recorded_calls();
    std::cout << "[ soak     ] " << loads << " loads of each of " << tests::deliverables().size() << " modules in "
              << seconds << " s\n";
}

} // namespace
#endif
