// The window toggle: its button toggles panel window 50 through the host.
#include "gauge_host.h"

#include <gtest/gtest.h>

namespace {

struct WindowToggle : testing::Test {
    bench::gauge_host host{bench::find_module("window_toggle")};
    void SetUp() override {
        host.install();
        host.initialize();
    }
};

TEST_F(WindowToggle, TwoClicksToggleWindow50TwiceAndLeaveItAsItWas) {
    EXPECT_FALSE(host.window_shown(50));
    EXPECT_EQ(host.click(0, 0).outcome, "callback returned 1");
    EXPECT_TRUE(host.window_shown(50));
    EXPECT_EQ(host.click(69, 29).outcome, "callback returned 0");
    EXPECT_FALSE(host.window_shown(50));
    EXPECT_EQ(host.window_toggles(), (std::vector<std::uint32_t>{50, 50}));
    EXPECT_TRUE(host.key_events().empty());
}

TEST_F(WindowToggle, TheCallbackReturnsWhatTheServiceReturned) {
    host.clear_calls();
    for (int click = 0; click < 3; ++click) {
        bench::click_record outcome = host.click(35, 15);
        ASSERT_EQ(host.calls().back().service, "panel_window_toggle");
        EXPECT_EQ(outcome.outcome, "callback returned " + std::to_string(host.calls().back().result));
    }
}

TEST_F(WindowToggle, AClickOutsideTheButtonDoesNothing) {
    for (auto [x, y] : {std::pair{70, 0}, {0, 30}, {-1, 10}, {10, -1}, {200, 200}})
        EXPECT_EQ(host.click(x, y).outcome, "no click area") << x << "," << y;
    EXPECT_TRUE(host.window_toggles().empty());
}

TEST_F(WindowToggle, ItsOneElementIsTheButtonPicture) {
    ASSERT_EQ(host.elements().size(), 1u);
    const bench::image *button = host.bitmap(100);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->width, 70);
    EXPECT_EQ(button->height, 30);
    bench::image picture = host.render(2);
    ASSERT_EQ(picture.width, 140);
    ASSERT_EQ(picture.height, 60);
    for (int y = 0; y < 30; y += 7)
        for (int x = 0; x < 70; x += 9) {
            bench::rgba expected = button->at(x, y);
            expected.a = 255;
            EXPECT_EQ(picture.at(2 * x + 1, 2 * y + 1), expected) << x << "," << y;
        }
    EXPECT_TRUE(host.errors().empty());
}

} // namespace
