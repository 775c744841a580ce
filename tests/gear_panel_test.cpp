// The gear panel: its records, the lights' thresholds, and the enable word it polls in the
// mapping "QUORVAL_COM_IPC" that another module publishes, also from another process.
#include "gauge_host.h"
#include "shared_blocks.h"

#if !defined(_WIN32)
#include "control.h"
#include "file_mappings.h"
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char *ipc_name = "QUORVAL_COM_IPC";
constexpr std::uint32_t gear_top = 0x14C, gear_left = 0x14D, gear_right = 0x14E, lever_token = 0x14B;
constexpr double quiet_nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

std::vector<unsigned char> word_bytes(std::uint32_t word) {
    return {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
            static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
}

struct GearPanel : blocks::gauge_and_block {
    void SetUp() override { load("gear_panel"); }

    // The other module publishes `word`, creating the mapping with `size` bytes if need be.
    void publish(std::uint32_t word, std::size_t size = 0) {
        if (!other_side)
            other_side.emplace(ipc_name, size);
        ASSERT_TRUE(other_side->is_open());
        ASSERT_TRUE(other_side->write(0, word_bytes(word)));
    }
    void start() {
        host->install();
        host->initialize();
    }
    element_header &background() { return *host->elements().at(0); }
    element_header &overlay() { return *host->elements().at(1); }
    // The states of the top, left, right and middle lights at the last update.
    std::vector<int> lights() {
        std::vector<int> states;
        for (std::size_t i = 2; i < 6; ++i)
            states.push_back(host->view(host->elements().at(i)).state);
        return states;
    }
    // The elements element_refresh received since the calls were last cleared.
    std::vector<const element_header *> refreshed() {
        std::vector<const element_header *> seen;
        for (const bench::service_call &call : host->calls())
            if (call.service == "element_refresh")
                seen.push_back(reinterpret_cast<const element_header *>(call.arguments[0]));
        return seen;
    }
    // The services the gauge called since the calls were last cleared.
    std::vector<std::string> services() {
        std::vector<std::string> names;
        for (const bench::service_call &call : host->calls())
            names.push_back(call.service);
        return names;
    }
    void all_gear(double value) {
        for (std::uint32_t token : {gear_top, gear_left, gear_right})
            host->set_variable(token, value);
    }
};

TEST_F(GearPanel, ItsRecordsAreLaidOutAsThePanelSystemReadsThem) {
    struct row {
        std::uint32_t kind, bitmap;
        int x, y;
        std::uint32_t flags, token, states;
    } rows[] = {
        {element_static_image, 100, 0, 0, 5, 0, 0}, {element_static_image, 100, 0, 0, 1, 0, 0},
        {element_icon, 200, 20, 1, 7, 0x14C, 2},     {element_icon, 300, 0, 21, 7, 0x14D, 2},
        {element_icon, 400, 39, 21, 7, 0x14E, 2},    {element_icon, 500, 20, 21, 7, 0x14C, 2},
        {element_icon, 600, 6, 40, 3, 0x14B, 2},
    };
    std::vector<element_header *> tree = host->elements();
    ASSERT_EQ(tree.size(), std::size(rows));
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const element_header &e = *tree[i];
        EXPECT_EQ(e.element_type, rows[i].kind) << i;
        EXPECT_EQ(e.bitmap_id, rows[i].bitmap) << i;
        EXPECT_EQ(e.position_x, rows[i].x) << i;
        EXPECT_EQ(e.position_y, rows[i].y) << i;
        EXPECT_EQ(e.image_flags, rows[i].flags) << i;
        EXPECT_EQ(e.failure_list, nullptr) << i;
        EXPECT_EQ(e.next_elements == nullptr, i != 0) << i;
        if (e.element_type == element_icon) {
            const auto &icon = reinterpret_cast<const icon_element &>(e);
            EXPECT_EQ(icon.variable.token, rows[i].token) << i;
            EXPECT_EQ(icon.state_count, rows[i].states) << i;
            EXPECT_NE(variable_callback_fn(icon.callback), nullptr) << i;
        }
    }
    EXPECT_EQ(tree[0]->next_elements[6], nullptr) << "six children, in table order";
    EXPECT_STREQ(host->gauge().gauge_name, "gear_panel.gau");
    EXPECT_EQ(host->gauge().header_version, 610u);
    EXPECT_EQ(host->gauge().size_x, 100u);
    module_routine init = host->linkage().module_init, deinit = host->linkage().module_deinit;
    EXPECT_EQ(init, deinit) << "one empty routine serves as both";
}

TEST_F(GearPanel, TheLeverShowsItsVariableAndItsAreaSendsTheGearEvent) {
    start();
    for (double value : {0.0, 1.0, 0.0}) {
        host->set_variable(lever_token, value);
        host->frame();
        EXPECT_EQ(host->view(host->elements().at(6)).state, int(value));
    }
    struct {
        int x, y;
        const char *outcome;
    } cases[] = {{4, 40, "key event 0x10022"}, {39, 176, "key event 0x10022"}, {20, 100, "key event 0x10022"},
                 {3, 40, "no click area"},     {40, 100, "no click area"},      {20, 39, "no click area"},
                 {20, 177, "no click area"}};
    for (const auto &c : cases)
        EXPECT_EQ(host->click(c.x, c.y).outcome, c.outcome) << c.x << "," << c.y;
    EXPECT_EQ(host->key_events().size(), 3u);
    EXPECT_TRUE(host->errors().empty());
}

TEST_F(GearPanel, LightsStayDarkWhileTheWordIsZeroAndFollowTheirThresholdsOtherwise) {
    struct {
        std::uint32_t word;
        double top_and_middle, left, right;
        std::vector<int> states; // top, left, right, middle
    } cases[] = {
        {0, 16384, 16384, 16384, {-1, -1, -1, -1}},
        {0, 8000, 8000, 8000, {-1, -1, -1, -1}},
        {1, 16384, 16384, 16384, {0, 0, 0, 0}},
        {1, 15892, 8000, 8000, {0, 1, 1, 1}}, // p about 96.997: above 96, not above 97
        {5, 0, 0, 0, {-1, -1, -1, -1}},
        {5, -0.0, 1, 16000, {-1, 1, 1, -1}},
        {7, -100, quiet_nan, -quiet_nan, {1, -1, -1, 1}},
        {3, 5e-324, -5e-324, 1e-300, {-1, -1, 1, -1}}, // percentages of 0 and -0 as 64-bit floats
        {0xFFFFFFFF, inf, -inf, 16057, {0, 1, 0, 0}}, // 16057: p about 98.004, above the right light's 98
    };
    start();
    for (const auto &c : cases) {
        publish(c.word);
        host->set_variable(gear_top, c.top_and_middle);
        host->set_variable(gear_left, c.left);
        host->set_variable(gear_right, c.right);
        host->frame();
        EXPECT_EQ(lights(), c.states) << "word " << c.word << ", " << c.top_and_middle << " " << c.left << " "
                                      << c.right;
    }
    EXPECT_TRUE(host->errors().empty());
}

// The largest gear value whose percentage, as a 64-bit float, is not above a light's
// threshold has a percentage equal to it and gives state 1; the next value up gives state 0.
TEST_F(GearPanel, EachThresholdIsTheLastPercentageThatGivesStateOne) {
    struct {
        std::uint32_t token;
        int threshold;
        std::size_t light; // index into lights()
    } cases[] = {{gear_top, 96, 0}, {gear_left, 99, 1}, {gear_right, 98, 2}, {gear_top, 97, 3}};
    auto percent = [](double value) {
        volatile double p = value * 0.006103515625;
        return double(p);
    };
    publish(1);
    start();
    for (const auto &c : cases) {
        double value = c.threshold * 163.84;
        while (percent(value) > c.threshold)
            value = std::nextafter(value, 0.0);
        while (!(percent(std::nextafter(value, inf)) > c.threshold))
            value = std::nextafter(value, inf);
        ASSERT_EQ(percent(value), double(c.threshold));
        all_gear(value);
        host->frame();
        EXPECT_EQ(lights()[c.light], 1) << c.threshold << " at " << percent(value);
        all_gear(std::nextafter(value, inf));
        host->frame();
        EXPECT_EQ(lights()[c.light], 0) << c.threshold << " at " << percent(std::nextafter(value, inf));
    }
}

TEST_F(GearPanel, TheOverlayIsSwitchedAndRefreshedOnlyOnTheUpdateThatSeesAChange) {
    start();
    struct {
        std::uint32_t word;
        bool hidden, refreshed;
    } steps[] = {
        {0, false, false}, {5, true, true},  {5, true, false}, {7, true, true},
        {7, true, false},  {0, false, true}, {0, false, false}, {1, true, true},
    };
    for (const auto &step : steps) {
        publish(step.word);
        host->clear_calls();
        host->update();
        EXPECT_EQ(overlay().image_flags, step.hidden ? 0x40000001u : 0x1u) << "word " << step.word;
        EXPECT_EQ(background().image_flags, 5u);
        if (step.refreshed) {
            EXPECT_EQ(services(),
                      (std::vector<std::string>{"element_refresh", "element_refresh", "element_list_update"}));
            EXPECT_EQ(refreshed(), (std::vector<const element_header *>{&overlay(), &background()}));
        } else {
            EXPECT_EQ(services(), std::vector<std::string>{"element_list_update"}) << "word " << step.word;
        }
    }
    EXPECT_TRUE(host->errors().empty());
}

TEST_F(GearPanel, AfterKillTheWordAndTheOverlayKeepTheirStateForTheNextInstall) {
    publish(5);
    start();
    host->frame();
    ASSERT_EQ(overlay().image_flags, 0x40000001u);
    host->clear_calls();
    host->kill();
    EXPECT_EQ(services(), (std::vector<std::string>{"mouse_list_unregister", "element_list_kill"}));
    EXPECT_EQ(overlay().image_flags, 0x40000001u) << "kill keeps the overlay hidden";

    host->install();
    host->clear_calls();
    host->update();
    EXPECT_TRUE(refreshed().empty()) << "the word is still the 5 last taken";
    publish(7);
    host->update();
    EXPECT_EQ(refreshed().size(), 2u);
    EXPECT_TRUE(host->errors().empty());
}

// The other module is a separate process: the bench's block command writes the word while
// the gauge, installed here, keeps the mapping it created.
TEST_F(GearPanel, AnotherProcessSwitchesTheLightsWhileTheGaugeRuns) {
    start();
    all_gear(16384);
    host->frame();
    EXPECT_EQ(lights(), (std::vector<int>{-1, -1, -1, -1}));

    blocks::bench_run on = blocks::run_block(std::string(ipc_name) + " --write-hex 0=05000000 --read --size 8");
    ASSERT_EQ(on.status, 0) << on.output;
    EXPECT_NE(on.output.find("opened; the view reaches 65536 bytes"), std::string::npos)
        << "install created the mapping one granule large\n" << on.output;
    host->clear_calls();
    host->frame();
    EXPECT_EQ(refreshed().size(), 2u);
    EXPECT_EQ(overlay().image_flags, 0x40000001u);
    EXPECT_EQ(lights(), (std::vector<int>{0, 0, 0, 0}));

    blocks::bench_run off = blocks::run_block(std::string(ipc_name) + " --write-hex 0=00000000");
    ASSERT_EQ(off.status, 0) << off.output;
    host->frame();
    EXPECT_EQ(overlay().image_flags, 0x1u);
    EXPECT_EQ(lights(), (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_TRUE(host->errors().empty());
}

// A mapping the other module made smaller than the word: the view still ends on a page
// boundary, and the word's missing bytes read as zeros.
TEST_F(GearPanel, AMappingPublishedSmallerThanTheWordIsReadWithoutFault) {
    other_side.emplace(ipc_name, 2);
    ASSERT_TRUE(other_side->write(0, {0x05, 0x01}));
    start();
    host->frame();
    EXPECT_EQ(overlay().image_flags, 0x40000001u);
    EXPECT_TRUE(host->errors().empty());
}

#if !defined(_WIN32)

TEST_F(GearPanel, InstallOpensThePublishedMappingOrElseCreatesOneGranuleAndKillReleasesIt) {
    platform::clear_recorded_calls();
    start();
    std::vector<platform::call_record> calls = platform::recorded_calls();
    ASSERT_EQ(blocks::platform_calls(), (std::vector<std::string>{"OpenFileMappingA", "GetSystemInfo", "CreateFileMappingA",
                                                          "MapViewOfFile"}));
    EXPECT_EQ(calls[0].arguments, "0x2, 0, \"QUORVAL_COM_IPC\"");
    EXPECT_EQ(calls[2].arguments, platform::pointer_text(INVALID_HANDLE_VALUE) + ", " + platform::pointer_text(nullptr) +
                                      ", 0x4, 0, 65536, \"QUORVAL_COM_IPC\"");
    std::string handle = calls[3].arguments.substr(0, calls[3].arguments.find(','));
    EXPECT_EQ(calls[3].arguments, handle + ", 0x2, 0, 0, 0");
    bench::shared_block created(ipc_name, 1);
    EXPECT_FALSE(created.created());
    EXPECT_EQ(created.reach(), 65536u);

    platform::clear_recorded_calls();
    host->kill();
    calls = platform::recorded_calls();
    ASSERT_EQ(blocks::platform_calls(), (std::vector<std::string>{"UnmapViewOfFile", "CloseHandle"}));
    EXPECT_NE(calls[0].arguments, platform::pointer_text(nullptr));
    EXPECT_EQ(calls[1].arguments, handle);

    publish(5);
    platform::clear_recorded_calls();
    host->install();
    EXPECT_EQ(blocks::platform_calls(), (std::vector<std::string>{"OpenFileMappingA", "MapViewOfFile"}))
        << "a published mapping is opened, not created";
}

// A call that fails leaves the gauge without the mapping or lets it open the published one
// another way; nothing is reported, the lever works, and kill releases only what was taken.
TEST_F(GearPanel, AMappingCallThatFailsLeavesTheGaugeWorkingAndReportsNothing) {
    struct {
        const char *fail;
        bool published;
        std::vector<std::string> install_calls, kill_calls;
        bool mapped;
    } cases[] = {
        {"CreateFileMappingA", false, {"OpenFileMappingA", "GetSystemInfo", "CreateFileMappingA failed"}, {}, false},
        {"GetSystemInfo", false, {"OpenFileMappingA", "GetSystemInfo failed", "CreateFileMappingA"}, {}, false},
        {"MapViewOfFile", false,
         {"OpenFileMappingA", "GetSystemInfo", "CreateFileMappingA", "MapViewOfFile failed", "CloseHandle"}, {}, false},
        {"MapViewOfFile", true, {"OpenFileMappingA", "MapViewOfFile failed", "CloseHandle"}, {}, false},
        {"OpenFileMappingA", true,
         {"OpenFileMappingA failed", "GetSystemInfo", "CreateFileMappingA", "MapViewOfFile"},
         {"UnmapViewOfFile", "CloseHandle"}, true},
        {"UnmapViewOfFile", true, {"OpenFileMappingA", "MapViewOfFile"}, {"UnmapViewOfFile failed", "CloseHandle"},
         true},
        {"CloseHandle", true, {"OpenFileMappingA", "MapViewOfFile"}, {"UnmapViewOfFile", "CloseHandle failed"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.fail) + (c.published ? ", published" : ", not published"));
        load("gear_panel");
        if (c.published)
            publish(5);
        platform::clear_recorded_calls();
        platform::fail_call(c.fail);
        start();
        EXPECT_EQ(blocks::platform_calls(), c.install_calls);
        publish(5);
        all_gear(16384);
        host->set_variable(lever_token, 1);
        host->frame();
        EXPECT_EQ(overlay().image_flags, c.mapped ? 0x40000001u : 0x1u);
        EXPECT_EQ(lights(), (c.mapped ? std::vector<int>{0, 0, 0, 0} : std::vector<int>{-1, -1, -1, -1}));
        EXPECT_EQ(host->view(host->elements().at(6)).state, 1);
        EXPECT_EQ(host->click(20, 100).outcome, "key event 0x10022");

        platform::clear_recorded_calls();
        host->kill();
        EXPECT_EQ(blocks::platform_calls(), c.kill_calls);
        EXPECT_TRUE(host->errors().empty());

        platform::clear_faults();
        platform::clear_recorded_calls();
        host->install();
        EXPECT_EQ(blocks::platform_calls(), (std::vector<std::string>{"OpenFileMappingA", "MapViewOfFile"}))
            << "the next install starts afresh";
        host->kill();
    }
}
#endif

} // namespace
