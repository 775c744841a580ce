// The map mode switch: its records, and the "NDMode=" text it exchanges ten bytes at a time
// with the block "NDPassData", also with another process.
#include "gauge_host.h"
#include "shared_blocks.h"

#if !defined(_WIN32)
#include "control.h"
#include "file_mappings.h"
#endif

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<unsigned char>;

constexpr const char *block_name = "NDPassData";
constexpr int one_x = 9, one_y = 22, zero_x = 37, zero_y = 12; // corners of the two click areas

bytes text(const char *characters, std::size_t length) { return bytes(characters, characters + length); }

struct MapModeSwitch : blocks::gauge_and_block {
    void SetUp() override { load("map_mode_switch"); }

    void start() {
        host->install();
        host->initialize();
    }
    bench::shared_block &block(std::size_t size = 20) {
        if (!other_side)
            other_side.emplace(block_name, size);
        EXPECT_TRUE(other_side->is_open());
        return *other_side;
    }
    // An update reads the block back after the elements: the icon shows it from the next on.
    void settle() {
        host->frame();
        host->frame();
    }
    int icon_state() { return host->view(host->elements().at(1)).state; }
};

TEST_F(MapModeSwitch, ItsRecordsAreLaidOutAsThePanelSystemReadsThem) {
    std::vector<element_header *> tree = host->elements();
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0]->element_type, element_static_image);
    EXPECT_EQ(tree[0]->bitmap_id, 4096u);
    EXPECT_EQ(tree[0]->image_flags, 5u);
    EXPECT_EQ(tree[0]->next_elements[1], nullptr);
    const auto &icon = reinterpret_cast<const icon_element &>(*tree[1]);
    EXPECT_EQ(icon.header.element_type, element_icon);
    EXPECT_EQ(icon.header.bitmap_id, 8192u);
    EXPECT_EQ(icon.header.position_x, 24);
    EXPECT_EQ(icon.header.position_y, 34);
    EXPECT_EQ(icon.header.image_flags, 3u);
    EXPECT_EQ(icon.header.next_elements, nullptr);
    EXPECT_EQ(icon.variable.token, 0u);
    EXPECT_EQ(icon.state_count, 2u);
    EXPECT_NE(variable_callback_fn(icon.callback), nullptr);
    for (const element_header *e : tree)
        EXPECT_EQ(e->failure_list, nullptr);
    EXPECT_STREQ(host->gauge().gauge_name, "map_mode_switch");
    EXPECT_EQ(host->gauge().header_version, 610u);
    EXPECT_EQ(host->gauge().size_x, 50u);

    start();
    struct {
        int x, y;
        const char *outcome;
    } cases[] = {{9, 22, "callback returned 0"},  {36, 47, "callback returned 0"}, {37, 12, "callback returned 0"},
                 {64, 32, "callback returned 0"}, {8, 22, "no click area"},       {9, 48, "no click area"},
                 {37, 33, "no click area"},       {65, 12, "no click area"},      {40, 11, "no click area"}};
    for (const auto &c : cases)
        EXPECT_EQ(host->click(c.x, c.y).outcome, c.outcome) << c.x << "," << c.y;
    EXPECT_TRUE(host->key_events().empty());
}

TEST_F(MapModeSwitch, InstallPublishesItsTextOverWhatTheBlockHeld) {
    ASSERT_TRUE(block().write(0, bytes(20, 'X')));
    start();
    bytes expected = text("NDMode=1\0\0", 10);
    expected.resize(20, 'X');
    EXPECT_EQ(block().read(0, 20), expected) << "the first ten bytes are the switch's, the rest untouched";
    host->frame();
    EXPECT_EQ(icon_state(), 0);
    EXPECT_TRUE(host->errors().empty());
}

TEST_F(MapModeSwitch, WithNoOtherModuleTheFirstInstallCreatesTheBlockWithNDMode1) {
    start();
    std::vector<std::string> services;
    for (const bench::service_call &call : host->calls())
        services.push_back(call.service);
    EXPECT_EQ(services, (std::vector<std::string>{"element_list_install", "mouse_list_install", "mouse_list_register",
                                                  "element_list_initialize"}));
    ASSERT_FALSE(block().created()) << "install created it";
    bytes expected = text("NDMode=1", 8);
    expected.resize(20, 0);
    EXPECT_EQ(block().read(0, 20), expected);
    host->frame();
    EXPECT_EQ(icon_state(), 0);
}

TEST_F(MapModeSwitch, ClicksWriteTheDigitAndAZeroByteAndPushTenBytesAtOnce) {
    start();
    ASSERT_TRUE(block().write(9, text("QR", 2)));
    host->frame();
    EXPECT_EQ(host->click(zero_x, zero_y).outcome, "callback returned 0");
    EXPECT_EQ(block().read(0, 11), text("NDMode=0\0QR", 11)) << "byte 9 carried along, byte 10 not written";
    EXPECT_EQ(icon_state(), 0) << "the icon follows at the next update";
    host->frame();
    EXPECT_EQ(icon_state(), 1);
    host->click(one_x, one_y);
    EXPECT_EQ(block().read(0, 11), text("NDMode=1\0QR", 11));
    host->frame();
    EXPECT_EQ(icon_state(), 0);
}

// Bytes 7 to 9 as the other side leaves them, with digits after byte 9 that must never count.
TEST_F(MapModeSwitch, TheReadBackParsesFromByte7AsAtoiDoesAndNeverPastByte9) {
    struct {
        const char *digits; // bytes 7 to 9
        int state;          // 1 exactly when the number read is 0
    } cases[] = {
        {"2\0\0", 0}, {"-1\0", 0}, {"123", 0}, {"0\0\0", 1}, {"1\0\0", 0}, {"+5\0", 0}, {" 7\0", 0},
        {"\t\n4", 0}, {"-0\0", 1}, {"+0\0", 1}, {"00\0", 1}, {"abc", 1}, {"x1\0", 1}, {"\0\0""9", 1},
        {"   ", 1},  {"  -", 1},  {"--1", 1}, {"0 1", 1}, {"12x", 0}, {"999", 0},
    };
    start();
    block().write(10, bytes(10, '9'));
    for (const auto &c : cases) {
        ASSERT_TRUE(block().write(7, text(c.digits, 3)));
        settle();
        EXPECT_EQ(icon_state(), c.state) << "bytes 7 to 9: \"" << std::string(c.digits, 3) << "\"";
    }
}

TEST_F(MapModeSwitch, AChangedPrefixIsCarriedAlongAndTheNextClickWritesItBack) {
    start();
    ASSERT_TRUE(block().write(0, text("ABCDEF:2\0Z", 10)));
    settle();
    EXPECT_EQ(icon_state(), 0) << "mode 2";
    host->click(zero_x, zero_y);
    EXPECT_EQ(block().read(0, 10), text("ABCDEF:0\0Z", 10));
    host->frame();
    EXPECT_EQ(icon_state(), 1);
}

TEST_F(MapModeSwitch, AfterKillTheTextStaysAndTheNextInstallPublishesIt) {
    start();
    host->click(zero_x, zero_y);
    host->kill();
    ASSERT_TRUE(block().write(0, text("NDMode=1\0\0", 10)));
    host->install();
    EXPECT_EQ(block().read(0, 10), text("NDMode=0\0\0", 10));
    host->frame();
    EXPECT_EQ(icon_state(), 1);
}

// The other module is a separate process: the bench's block command reads and writes the
// block while the switch, installed here, holds it.
TEST_F(MapModeSwitch, AnotherProcessReadsTheModeAndSetsItWhileTheSwitchRuns) {
    start();
    host->frame();
    blocks::bench_run read = blocks::run_block(std::string(block_name) + " --read --size 20");
    ASSERT_EQ(read.status, 0) << read.output;
    EXPECT_NE(read.output.find("NDPassData: opened"), std::string::npos) << read.output;
    bytes expected = text("NDMode=1", 8);
    expected.resize(20, 0);
    EXPECT_EQ(blocks::dumped_bytes(read.output), expected);

    struct {
        const char *write;
        int state;
    } steps[] = {{"--write-hex 7=3000", 1}, {"--write 7=2", 0}, {"--write-hex 7=2d3100", 0},
                 {"--write-hex 7=300041", 1}};
    for (const auto &step : steps) {
        blocks::bench_run run = blocks::run_block(std::string(block_name) + " " + step.write);
        ASSERT_EQ(run.status, 0) << run.output;
        settle();
        EXPECT_EQ(icon_state(), step.state) << step.write;
    }

    host->click(one_x, one_y);
    blocks::bench_run after = blocks::run_block(std::string(block_name) + " --read --size 10");
    EXPECT_EQ(blocks::dumped_bytes(after.output), text("NDMode=1\0A", 10))
        << "the click pushed its digit and zero byte; byte 9 is what the other side left";
}

// The other side created the block with fewer than ten bytes: the ten-byte copies stay
// within the view's page and the exchange works on.
TEST_F(MapModeSwitch, ABlockTheOtherSideMadeSmallerThanTenBytesIsExchangedWithoutFault) {
    block(4);
    ASSERT_TRUE(block().created());
    start();
    EXPECT_EQ(block().read(0, 4), text("NDMo", 4));
    host->click(zero_x, zero_y);
    host->frame();
    EXPECT_EQ(icon_state(), 1);
    EXPECT_TRUE(host->errors().empty());
}

#if !defined(_WIN32)

TEST_F(MapModeSwitch, InstallCreatesTwentyBytesWithFullAccessAndKillReleasesThem) {
    platform::clear_recorded_calls();
    start();
    std::vector<platform::call_record> calls = platform::recorded_calls();
    ASSERT_EQ(blocks::platform_calls(), (std::vector<std::string>{"CreateFileMappingA", "MapViewOfFile"}));
    EXPECT_EQ(calls[0].arguments, platform::pointer_text(INVALID_HANDLE_VALUE) + ", " + platform::pointer_text(nullptr) +
                                      ", 0x4, 0, 20, \"NDPassData\"");
    std::string handle = calls[1].arguments.substr(0, calls[1].arguments.find(','));
    EXPECT_EQ(calls[1].arguments, handle + ", 0xF001F, 0, 0, 0");
    platform::clear_recorded_calls();
    host->kill();
    calls = platform::recorded_calls();
    ASSERT_EQ(blocks::platform_calls(), (std::vector<std::string>{"UnmapViewOfFile", "CloseHandle"}));
    EXPECT_EQ(calls[1].arguments, handle);
}

// Without a block the switch works locally: clicks turn the icon, nothing is shared or read
// back, nothing is reported, and kill releases only what install obtained.
TEST_F(MapModeSwitch, WithoutABlockTheSwitchKeepsWorkingLocallyAndReportsNothing) {
    struct {
        const char *fail;
        std::vector<std::string> kill_calls;
    } cases[] = {{"CreateFileMappingA", {}}, {"MapViewOfFile", {"CloseHandle"}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fail);
        load("map_mode_switch");
        platform::clear_recorded_calls();
        platform::fail_call(c.fail);
        start();
        ASSERT_TRUE(block().write(0, text("NDMode=0\0\0", 10)));
        settle();
        EXPECT_EQ(icon_state(), 0) << "no read-back";
        host->click(zero_x, zero_y);
        host->frame();
        EXPECT_EQ(icon_state(), 1);
        ASSERT_TRUE(block().write(7, text("0", 1)));
        host->click(one_x, one_y);
        host->frame();
        EXPECT_EQ(icon_state(), 0);
        EXPECT_EQ(block().read(0, 10), text("NDMode=0\0\0", 10)) << "clicks push nothing";

        platform::clear_recorded_calls();
        host->kill();
        EXPECT_EQ(blocks::platform_calls(), c.kill_calls);
        EXPECT_TRUE(host->errors().empty());
    }
}
#endif

} // namespace
