// The speed and heading knobs: each click on a half steps the knob frame round its cycle and
// sends one key event; the frame is a token-0 value that only the clicks change.
#include "gauge_host.h"
#include "gauge_checks.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct knob_case {
    const char *module;
    int frames;
    std::uint32_t down_event, up_event;
    std::uint32_t help_id;
    std::vector<int> up_cycle, down_cycle; // frames after each of 2N clicks from frame 0
};

const knob_case knobs[] = {
    {"speed_knob", 2, 0x10169, 0x10168, 0xA440, {1, 0, 1, 0}, {1, 0, 1, 0}},
    {"heading_knob", 3, 0x10158, 0x10157, 0xA42F, {1, 2, 0, 1, 2, 0}, {2, 1, 0, 2, 1, 0}},
};

void PrintTo(const knob_case &knob, std::ostream *out) { *out << knob.module; }

constexpr int down_x = 6, up_x = 30, knob_y = 20; // inside the left and the right half

struct SelectorKnob : testing::TestWithParam<knob_case> {
    bench::gauge_host host{bench::find_module(GetParam().module)};
    element_header *knob_frame = nullptr;

    void SetUp() override {
        knob_frame = checks::start_with_one_element(host);
        ASSERT_NE(knob_frame, nullptr);
    }
    int frame() {
        host.frame();
        return host.view(knob_frame).state;
    }
    std::vector<std::uint32_t> events() const {
        for (const bench::key_event &event : host.key_events())
            EXPECT_EQ(event.value, 0u) << "the knobs send their events with the value 0";
        return checks::sent_events(host);
    }
};

TEST_P(SelectorKnob, ClicksStepTheFrameRoundItsCycleInBothDirectionsOneEventEach) {
    const knob_case &knob = GetParam();
    EXPECT_EQ(frame(), 0);
    std::vector<std::uint32_t> expected;
    for (auto [x, cycle, event] : {std::tuple{up_x, knob.up_cycle, knob.up_event},
                                   std::tuple{down_x, knob.down_cycle, knob.down_event}}) {
        ASSERT_EQ(cycle.size(), std::size_t(2 * knob.frames));
        for (std::size_t click = 0; click < cycle.size(); ++click) {
            EXPECT_EQ(host.click(x, knob_y).outcome, "callback returned 0");
            expected.push_back(event);
            EXPECT_EQ(events(), expected) << "click " << click + 1;
            EXPECT_EQ(frame(), cycle[click]) << "click " << click + 1;
        }
        // N clicks in one direction come back to frame 0 (checked by the cycle's entry N - 1).
        EXPECT_EQ(cycle[std::size_t(knob.frames) - 1], 0);
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_P(SelectorKnob, AStepDownFromFrameZeroWrapsToTheLastFrameAndAStepUpWrapsBack) {
    const knob_case &knob = GetParam();
    host.click(down_x, knob_y);
    EXPECT_EQ(frame(), knob.frames - 1);
    EXPECT_EQ(host.view(knob_frame).value_x, knob.frames - 1.0);
    host.click(up_x, knob_y);
    EXPECT_EQ(frame(), 0);
    EXPECT_EQ(host.view(knob_frame).value_x, 0.0);
    EXPECT_EQ(events(), (std::vector<std::uint32_t>{knob.down_event, knob.up_event}));
}

TEST_P(SelectorKnob, TheColumnBetweenTheHalvesAndThePointsOutsideThemDoNothing) {
    const knob_case &knob = GetParam();
    for (auto [x, y] : {std::pair{18, 0}, {19, 20}, {20, 38}, {39, 20}, {10, 39}, {-1, 20}, {30, -1}})
        EXPECT_EQ(host.click(x, y).outcome, "no click area") << x << "," << y;
    EXPECT_TRUE(host.key_events().empty());
    EXPECT_EQ(frame(), 0);

    const struct {
        int x, y, cursor;
        std::uint32_t event;
    } edges[] = {{0, 0, 2, knob.down_event}, {17, 38, 2, knob.down_event}, {21, 0, 1, knob.up_event},
                 {38, 38, 1, knob.up_event}};
    std::vector<std::uint32_t> expected;
    for (const auto &edge : edges) {
        EXPECT_EQ(host.click(edge.x, edge.y).outcome, "callback returned 0") << edge.x << "," << edge.y;
        const mouse_rect *area = checks::rect_at(host, edge.x, edge.y, rect_click_area);
        ASSERT_NE(area, nullptr);
        EXPECT_EQ(area->cursor, edge.cursor) << "1 on the half that turns up, 2 on the half that turns down";
        expected.push_back(edge.event);
    }
    EXPECT_EQ(events(), expected);
    EXPECT_EQ(frame(), 0) << "two steps down and two up";
    EXPECT_EQ(host.live_mouse_list()[0].help_id, knob.help_id);
}

TEST_P(SelectorKnob, ThePositionSurvivesUpdatesAndAKillAndReinstall) {
    host.set_variable(0, 7.0); // a token the host must never write into the knob's variable
    host.click(up_x, knob_y);
    for (int update = 0; update < 5; ++update)
        EXPECT_EQ(frame(), 1) << update;
    host.kill();
    host.install();
    host.initialize();
    EXPECT_EQ(frame(), 1) << "the module keeps the position from load to unload";
    EXPECT_EQ(host.view(knob_frame).value_x, 1.0);
}

TEST_P(SelectorKnob, FrameKShowsBitmap8192Plus3KOverTheBackground) {
    const knob_case &knob = GetParam();
    const bench::image *background = host.bitmap(4096);
    ASSERT_NE(background, nullptr);
    std::vector<bench::image> expected;
    for (int k = 0; k < knob.frames; ++k) {
        const bench::image *picture = host.bitmap(8192 + 3 * std::uint32_t(k));
        ASSERT_NE(picture, nullptr) << k;
        expected.push_back(checks::overlay(checks::opaque(*background), *picture, 0, 0));
        for (int earlier = 0; earlier < k; ++earlier)
            ASSERT_GT(checks::differing_pixels(expected[std::size_t(earlier)], expected.back()), 0)
                << "frames " << earlier << " and " << k << " must look different";
    }
    for (int k = 0; k < knob.frames; ++k) {
        ASSERT_EQ(frame(), k);
        EXPECT_EQ(checks::differing_pixels(host.render(), expected[std::size_t(k)]), 0) << "frame " << k;
        host.click(up_x, knob_y);
    }
    EXPECT_TRUE(host.errors().empty());
}

INSTANTIATE_TEST_SUITE_P(Knobs, SelectorKnob, testing::ValuesIn(knobs),
                         [](const testing::TestParamInfo<knob_case> &info) { return std::string(info.param.module); });

} // namespace
