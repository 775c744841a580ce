// The flap lever: the handle slides down the slot with variable 0x149, and the top and bottom
// of the slot send key events wherever the handle is.
#include "gauge_host.h"
#include "gauge_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint32_t flap_token = 0x149;
constexpr int slot_height = 222, handle_height = 74, lever_width = 69;

struct FlapLever : checks::one_variable_gauge {
    FlapLever() : one_variable_gauge("flap_lever", flap_token) {}
};

TEST_F(FlapLever, TheHandleMovesDown148PixelsOverTheFlapRange) {
    const struct {
        double value, offset;
    } cases[] = {{0, 0}, {16384, 148}, {8192, 74}, {4096, 37}, {12288, 111}, {1, 148.0 / 16384}};
    for (const auto &c : cases) {
        const bench::element_view &shown = show(c.value);
        EXPECT_EQ(shown.offset_y, c.offset) << c.value;
        EXPECT_EQ(shown.offset_x, 0.0) << "the handle never moves sideways";
        EXPECT_EQ(shown.value_y, c.value);
    }
}

TEST_F(FlapLever, TheRenderedHandleSitsAtItsOffsetAndTheSlotShowsAboveAndBelowIt) {
    const bench::image *slot_picture = host.bitmap(4096), *handle_picture = host.bitmap(8192);
    ASSERT_NE(slot_picture, nullptr);
    ASSERT_NE(handle_picture, nullptr);
    ASSERT_EQ(slot_picture->height, slot_height);
    ASSERT_EQ(handle_picture->height, handle_height);
    bench::image slot = checks::opaque(*slot_picture);
    auto handle_at = [&](int offset) { return checks::overlay(slot, *handle_picture, 0, offset); };
    // The comparison tells a handle one row off, or turned left for right, from the right one.
    ASSERT_GT(checks::differing_pixels(handle_at(74), handle_at(75)), 0);
    ASSERT_GT(checks::differing_pixels(handle_at(74), handle_at(73)), 0);
    bench::image turned = checks::overlay(slot, checks::mirrored(*handle_picture), 0, 74);
    ASSERT_GT(checks::differing_pixels(handle_at(74), turned), 0);

    for (auto [value, offset] : {std::pair{0.0, 0}, {8192.0, 74}, {16384.0, 148}}) {
        show(value);
        bench::image shown = host.render();
        ASSERT_EQ(shown.width, lever_width);
        ASSERT_EQ(shown.height, slot_height);
        bench::image expected = handle_at(offset);
        int below = offset + handle_height;
        EXPECT_EQ(checks::differing_pixels(shown, expected, {0, 0, lever_width, offset}), 0)
            << value << ": the slot above the handle";
        EXPECT_EQ(checks::differing_pixels(shown, expected, {0, offset, lever_width, handle_height}), 0)
            << value << ": the handle's rows " << offset << " to " << below - 1;
        EXPECT_EQ(checks::differing_pixels(shown, expected, {0, below, lever_width, slot_height - below}), 0)
            << value << ": the slot below the handle";
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(FlapLever, TheTopSendsFlapsUpTheBottomFlapsDownAndTheMiddleNothingWhereverTheHandleIs) {
    const struct {
        int x, y;
        const char *outcome;
    } cases[] = {
        {0, 0, "key event 0x100DF"},    {68, 55, "key event 0x100DF"},   {34, 56, "no click area"},
        {34, 110, "no click area"},     {34, 165, "no click area"},      {0, 166, "key event 0x100DE"},
        {68, 221, "key event 0x100DE"}, {69, 10, "no click area"},       {34, 222, "no click area"},
        {-1, 200, "no click area"},
    };
    for (double value : {0.0, 16384.0}) {
        show(value);
        for (const auto &c : cases) {
            EXPECT_EQ(host.click(c.x, c.y).outcome, c.outcome) << c.x << "," << c.y << " at " << value;
            const mouse_rect *area = checks::rect_at(host, c.x, c.y, rect_click_area);
            if (area != nullptr) {
                EXPECT_EQ(area->cursor, 5) << c.x << "," << c.y;
            }
        }
    }
    std::vector<std::uint32_t> once = {0x100DF, 0x100DF, 0x100DE, 0x100DE}, twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(checks::sent_events(host), twice);
}

TEST_F(FlapLever, TheWholeSlotCarriesHelpIdA015ThroughItsInnerGroup) {
    for (auto [x, y] : {std::pair{0, 0}, {34, 110}, {68, 221}}) {
        const mouse_rect *group = checks::rect_at(host, x, y, rect_group_start);
        ASSERT_NE(group, nullptr) << x << "," << y;
        EXPECT_EQ(group->help_id, 0xA015u);
    }
    EXPECT_EQ(checks::rect_at(host, 69, 110, rect_group_start), nullptr);
    EXPECT_EQ(host.live_mouse_list()[0].help_id, 0u) << "the outer group carries no help id";
}

} // namespace
