// Every substituted Windows call that a gauge makes, made to fail in turn: the calls are
// taken from the log of a life of the gauge without faults, and each one (the first, second,
// ... time it is made, and from its first time on) fails in a life of its own. Whatever
// fails, the gauge must not crash or leak, must report nothing but what it documents, must
// keep its clicks and key events, and must show what it shows without the fault, or what it
// shows without the other module's data when the failed call is the way to that data. The
// next life, without the fault, must be exactly as without it.
#if !defined(_WIN32)
#include "deliverables.h"
#include "gauge_checks.h"
#include "gauge_host.h"
#include "shared_blocks.h"

#include "control.h"
#include "sound.h"
#include "user_interface.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// What one life of a gauge, install to kill, showed and left behind.
struct life {
    std::vector<std::string> shown; // every element's view after the clicks
    std::vector<std::string> clicks;
    std::vector<std::uint32_t> events;
    std::vector<std::string> boxes;
    std::vector<std::string> errors;
    std::size_t handles_left = 0, views_left = 0;
    int sound_objects_left = 0;
};

// The gear panel's word, as the panel module that publishes it would write it.
constexpr const char *gear_block = "QUORVAL_COM_IPC";

// One life: install, a frame with every variable of the tree at 1.0, the other module's data
// (with `fed`), two clicks in the middle of every click area with a lost sound buffer between
// them, a frame, kill.
life live_once(bench::gauge_host &host, bool fed) {
    life seen;
    std::size_t handles_before = platform::open_mapping_handles(), views_before = platform::open_mapping_views();
    int sounds_before = platform::live_sound_objects();
    std::size_t events_before = host.key_events().size();
    platform::clear_message_boxes();
    host.install();
    host.initialize();
    std::vector<element_header *> elements = host.elements();
    for (element_header *element : elements)
        if (element->element_type == element_icon)
            host.set_variable(reinterpret_cast<icon_element *>(element)->variable.token, 1.0);
        else if (element->element_type == element_needle)
            host.set_variable(reinterpret_cast<needle_element *>(element)->variable.token, 1.0);
    host.frame();
    if (fed && host.path().find("gear_panel") != std::string::npos) {
        bench::shared_block other_module(gear_block, 0);
        other_module.write(0, {5, 0, 0, 0});
    }
    std::vector<std::pair<int, int>> targets;
    if (const mouse_rect *list = host.live_mouse_list()) {
        std::string fault;
        for (const bench::placed_rect &placed : bench::read_mouse_list(list, fault))
            if (placed.rect->rect_kind == rect_click_area)
                targets.push_back({placed.x + int(placed.rect->box_w) / 2, placed.y + int(placed.rect->box_h) / 2});
    }
    for (auto [x, y] : targets)
        for (int time = 0; time < 2; ++time) {
            std::size_t played = platform::played_sounds().size();
            seen.clicks.push_back(host.click(x, y).outcome);
            if (platform::played_sounds().size() > played) {
                // The click sound ends, and the sound system takes its buffer away.
                platform::advance_sound_clock(1000);
                platform::lose_sound_buffer(platform::played_sounds().back().buffer);
            }
        }
    host.frame();
    for (element_header *element : elements)
        seen.shown.push_back(checks::view_text(host.view(element)));
    host.kill();
    for (std::size_t i = events_before; i < host.key_events().size(); ++i)
        seen.events.push_back(host.key_events()[i].event);
    for (const platform::message_box &box : platform::message_boxes())
        seen.boxes.push_back(box.text);
    seen.errors = host.errors();
    seen.handles_left = platform::open_mapping_handles() - handles_before;
    seen.views_left = platform::open_mapping_views() - views_before;
    seen.sound_objects_left = platform::live_sound_objects() - sounds_before;
    return seen;
}

struct fault {
    std::string call;
    unsigned nth = 0; // 0: no fault
    bool from_then_on = false;
};

struct run {
    life faulted, after; // the life with the fault, then one without
    std::vector<platform::call_record> calls; // of the first life
};

// A fresh process state, the module loaded, one life with `planned` and one without.
run run_module(const std::string &module, const fault &planned, bool fed) {
    blocks::forget_earlier_blocks();
    platform::clear_faults();
    platform::reset_sound();
    bench::gauge_host host(bench::find_module(module));
    run result;
    platform::clear_recorded_calls();
    if (planned.nth > 0)
        platform::fail_call(planned.call, planned.nth, planned.from_then_on);
    result.faulted = live_once(host, fed);
    result.calls = platform::recorded_calls();
    platform::clear_faults();
    result.after = live_once(host, fed);
    return result;
}

// The calls by whose failure a gauge loses the other module's data, and shows what it shows
// without it.
bool reaches_other_module(const std::string &module, const std::string &call) {
    static const std::set<std::string> mapping_calls = {"OpenFileMappingA", "CreateFileMappingA", "MapViewOfFile",
                                                        "GetSystemInfo"};
    return module == "gear_panel" && mapping_calls.count(call) != 0;
}

// The calls whose failure the director switch answers with its warning, once per set-up.
bool warns(const std::string &module, const std::string &call) {
    return module == "director_switch" &&
           (call == "DirectSoundCreate" || call == "IDirectSound::SetCooperativeLevel" || call == "FindWindowA");
}

struct FaultMatrix : testing::TestWithParam<std::string> {
    void TearDown() override {
        platform::clear_faults();
        blocks::forget_earlier_blocks();
    }
};

TEST_P(FaultMatrix, NoFailedCallCrashesLeaksReportsOrStopsTheRestOfTheGauge) {
    const std::string module = GetParam();
    run clean = run_module(module, {}, true);
    run unfed = run_module(module, {}, false);
    ASSERT_TRUE(clean.faulted.errors.empty()) << clean.faulted.errors.front();
    ASSERT_TRUE(clean.faulted.boxes.empty());
    for (const life &clean_life : {clean.faulted, clean.after, unfed.faulted})
        ASSERT_EQ(clean_life.handles_left + clean_life.views_left + std::size_t(clean_life.sound_objects_left), 0u)
            << "without faults nothing is left";

    std::map<std::string, unsigned> made; // call name: times made in one life
    for (const platform::call_record &call : clean.calls)
        ++made[call.call];
    std::vector<fault> faults;
    for (const auto &[call, times] : made) {
        for (unsigned nth = 1; nth <= times; ++nth)
            faults.push_back({call, nth, false});
        faults.push_back({call, 1, true});
    }

    for (const fault &planned : faults) {
        SCOPED_TRACE(planned.call + " failing at call " + std::to_string(planned.nth) +
                     (planned.from_then_on ? " and from then on" : ""));
        run faulted = run_module(module, planned, true);
        const life &got = faulted.faulted;
        bool failed = std::any_of(faulted.calls.begin(), faulted.calls.end(),
                                  [](const platform::call_record &call) { return call.failed; });
        EXPECT_TRUE(failed) << "the planned fault was met";
        EXPECT_TRUE(got.errors.empty()) << got.errors.front();
        // A release that is made to fail keeps its object: that one, and nothing else, stays.
        auto failures_of = [&](const char *call) {
            return std::size_t(std::count_if(faulted.calls.begin(), faulted.calls.end(),
                                             [&](const platform::call_record &c) { return c.failed && c.call == call; }));
        };
        EXPECT_EQ(got.handles_left, failures_of("CloseHandle")) << "mapping handles left after kill";
        EXPECT_EQ(got.views_left, failures_of("UnmapViewOfFile")) << "mapped views left after kill";
        EXPECT_EQ(got.sound_objects_left, 0) << "sound objects left after kill";
        EXPECT_EQ(got.boxes, warns(module, planned.call) ? std::vector<std::string>{"Can't initialize DirectSound"}
                                                         : std::vector<std::string>{});
        EXPECT_EQ(got.clicks, clean.faulted.clicks);
        EXPECT_EQ(got.events, clean.faulted.events);
        // A failed wsprintfA leaves the text it formats empty: that text is what such a gauge shows.
        if (planned.call != "wsprintfA") {
            if (reaches_other_module(module, planned.call) && got.shown != clean.faulted.shown)
                EXPECT_EQ(got.shown, unfed.faulted.shown) << "as without the other module's data";
            else
                EXPECT_EQ(got.shown, clean.faulted.shown);
        }
        const life &after = faulted.after;
        EXPECT_EQ(after.shown, clean.after.shown) << "the next life";
        EXPECT_EQ(after.clicks, clean.after.clicks) << "the next life";
        EXPECT_EQ(after.events, clean.after.events) << "the next life";
        EXPECT_TRUE(after.boxes.empty()) << "the next life";
        EXPECT_TRUE(after.errors.empty()) << "the next life";
        EXPECT_EQ(after.handles_left + after.views_left + std::size_t(after.sound_objects_left), 0u) << "the next life";
    }
    std::cout << "[ matrix   ] " << module << ": " << made.size() << " calls, " << faults.size()
              << " faults injected:";
    for (const auto &[call, times] : made)
        std::cout << " " << call << " x" << times;
    std::cout << "\n";
}

INSTANTIATE_TEST_SUITE_P(Deliverables, FaultMatrix, testing::ValuesIn(tests::deliverables()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

} // namespace
#endif
