// The barometric altimeter: its records, drum arithmetic, smoothing, decision-height knob,
// settings file and published "vireo_DH".
#include "gauge_host.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;
using drums = std::array<double, 4>;

constexpr std::uint32_t altitude = 0x4A, millibars = 0x4B, inches = 0x4C;
// Click points on the halves of the DH knob.
constexpr int dh_down_x = 112, dh_up_x = 130, dh_y = 125;

// Each test runs in a directory of its own, where it may write the settings file.
struct Altimeter : testing::Test {
    fs::path previous = fs::current_path();
    fs::path directory = fs::path(testing::TempDir()) /
                         ("altimeter_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::optional<bench::gauge_host> host;

    void SetUp() override {
        fs::remove_all(directory);
        fs::create_directories(directory);
        fs::current_path(directory);
    }
    void TearDown() override {
        host.reset();
        fs::current_path(previous);
        fs::remove_all(directory);
    }
    void write_settings(const std::string &text) { std::ofstream(directory / "vireoaspdbugs.txt") << text; }
    bench::gauge_host &start() {
        host.emplace(bench::find_module("baro_altimeter"));
        host->install();
        host->initialize();
        return *host;
    }
    element_header *element(int index) { return host->elements().at(std::size_t(index - 1)); }
    const bench::element_view &view(int index) { return host->view(element(index)); }
    // Drum positions 1 to 4 of the window whose drum 1 is element `first` (drums run right to left).
    drums window(int first) { return {view(first).value_y, view(first - 1).value_y, view(first - 2).value_y, view(first - 3).value_y}; }
    drums mb() { return window(7); }
    drums inhg() { return window(11); }
    drums alt() { return window(15); }
    double dh() { return host->named_variables().at("vireo_DH"); }
    void click(int x, int times = 1) {
        for (int i = 0; i < times; ++i)
            host->click(x, dh_y);
        host->frame();
    }
};

void expect_drums(const drums &shown, const drums &expected, const std::string &what) {
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(shown[i], expected[i], 1e-9) << what << ", drum " << i + 1;
}

// The altitude the ALT drums show, read back as a pilot reads them (valid while no drum rolls).
double feet_shown(const drums &d) { return (5 - d[0]) * 10000 + (10 - d[1]) * 1000 + (10 - d[2]) * 100 + (10 - d[3]) * 10; }

TEST_F(Altimeter, ItsSeventeenElementsFormOneChainInTableOrder) {
    struct row {
        std::uint32_t kind, bitmap;
        int x, y;
        std::uint32_t flags;
    } rows[] = {
        {element_static_image, 1000, 0, 0, 5}, {element_icon, 4030, 115, 113, 1}, {element_icon, 4000, 5, 113, 1},
        {element_moving_image, 3000, 61, 88, 7}, {element_moving_image, 3000, 53, 88, 7},
        {element_moving_image, 3000, 45, 88, 7}, {element_moving_image, 3000, 37, 88, 7},
        {element_moving_image, 3000, 102, 88, 7}, {element_moving_image, 3000, 94, 88, 7},
        {element_moving_image, 3000, 86, 88, 7}, {element_moving_image, 3000, 78, 88, 7},
        {element_moving_image, 3030, 82, 45, 7}, {element_moving_image, 3020, 69, 45, 7},
        {element_moving_image, 3020, 53, 45, 7}, {element_moving_image, 3040, 39, 45, 7},
        {element_needle, 2000, 72, 72, 7}, {element_needle, 2030, 72, 72, 7},
    };
    start();
    std::vector<element_header *> chain = host->elements();
    ASSERT_EQ(chain.size(), std::size(rows));
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const element_header &e = *chain[i];
        EXPECT_EQ(e.element_type, rows[i].kind) << "element " << i + 1;
        EXPECT_EQ(e.bitmap_id, rows[i].bitmap) << "element " << i + 1;
        EXPECT_EQ(e.position_x, rows[i].x) << "element " << i + 1;
        EXPECT_EQ(e.position_y, rows[i].y) << "element " << i + 1;
        EXPECT_EQ(e.image_flags, rows[i].flags) << "element " << i + 1;
        EXPECT_EQ(e.failure_list, nullptr);
        bool last = i + 1 == chain.size();
        EXPECT_EQ(e.next_elements == nullptr, last) << "element " << i + 1;
        if (!last) {
            EXPECT_EQ(e.next_elements[0], chain[i + 1]);
            EXPECT_EQ(e.next_elements[1], nullptr);
        }
    }
    auto *ten_thousands = reinterpret_cast<moving_image_element *>(chain[14]);
    double top = ten_thousands->y_max;
    EXPECT_EQ(top, 5.0);
}

TEST_F(Altimeter, ClickAreasSendTheBaroEventsAndTurnTheDhKnob) {
    start();
    struct {
        int x, y;
        const char *outcome;
    } cases[] = {{3, 115, "key event 0x1015C"},     {17, 139, "key event 0x1015C"}, {18, 115, "key event 0x1015B"},
                 {32, 139, "key event 0x1015B"},    {33, 120, "no click area"},     {10, 140, "no click area"},
                 {110, 115, "callback returned 0"}, {139, 139, "callback returned 0"}, {109, 120, "no click area"}};
    for (const auto &c : cases)
        EXPECT_EQ(host->click(c.x, c.y).outcome, c.outcome) << c.x << "," << c.y;
}

TEST_F(Altimeter, DrumsShowTheirValuesAsTheCounterArithmeticGives) {
    struct {
        std::uint32_t token;
        double value;
        drums expected;
        drums (Altimeter::*window)();
    } cases[] = {
        {millibars, 1013.0, {9, 10, 9, 7}, &Altimeter::mb},
        {millibars, 999.95, {9.05, 0.05, 0.05, 0.05}, &Altimeter::mb},
        {inches, 29.92, {8, 1, 1, 8}, &Altimeter::inhg},
        {altitude, 12345, {4, 8, 7, 5.5}, &Altimeter::alt},
        {altitude, 12390, {4, 8, 6.5, 1}, &Altimeter::alt},
        {altitude, 50000, {0, 10, 10, 10}, &Altimeter::alt},
    };
    for (const auto &c : cases) {
        start();
        host->set_variable(c.token, c.value);
        host->frame();
        expect_drums((this->*c.window)(), c.expected, std::to_string(c.value));
        host.reset();
    }
}

TEST_F(Altimeter, SmallChangesAreApproachedAndJumpsShownAtOnce) {
    start();
    host->set_variable(altitude, 1000);
    host->frame();
    EXPECT_NEAR(feet_shown(alt()), 1000, 1e-6) << "the first update takes the altitude directly";
    host->set_variable(altitude, 1010);
    host->frame();
    EXPECT_NEAR(feet_shown(alt()), 1001, 1e-6) << "a tenth of a 10-foot climb";
    host->frame();
    EXPECT_NEAR(feet_shown(alt()), 1001.9, 1e-6);
    host->set_variable(altitude, 6010);
    host->frame();
    EXPECT_NEAR(feet_shown(alt()), 6010, 1e-6) << "5000 feet are shown at once";
    host->set_variable(altitude, 6030);
    host->frame();
    EXPECT_NEAR(feet_shown(alt()), 6030, 1e-6) << "20 feet count as a jump";
}

TEST_F(Altimeter, ANegativeAltitudeShowsZeroOnTheDrumsWhileThePointerTurnsBack) {
    start();
    host->set_variable(altitude, -500);
    host->frame();
    expect_drums(alt(), {5, 10, 10, 10}, "-500 feet");
    EXPECT_DOUBLE_EQ(view(16).angle, -500 * 360.0 / 1000 - 90);
    host->set_variable(altitude, 250);
    host->frame();
    EXPECT_DOUBLE_EQ(view(16).angle, 0.0) << "250 feet point right";
}

TEST_F(Altimeter, BaroKnobPictureFollowsTheMillibarValue) {
    struct {
        double mb;
        int state;
    } cases[] = {{1013.25, 7}, {-1.0, 5}, {0.0, 0}, {2.0, 6},
                 {std::numeric_limits<double>::quiet_NaN(), 0}, {std::numeric_limits<double>::infinity(), 0},
                 {-std::numeric_limits<double>::infinity(), 0}, {1e300, 0}};
    start();
    for (const auto &c : cases) {
        host->set_variable(millibars, c.mb);
        host->frame();
        EXPECT_EQ(view(3).state, c.state) << c.mb;
    }
    EXPECT_TRUE(host->errors().empty());
}

TEST_F(Altimeter, DhKnobStepsByTenWrapsAt990AndStopsAtZero) {
    start();
    host->frame();
    EXPECT_EQ(view(17).angle, -90) << "no settings file: the marker stands at 0";
    EXPECT_EQ(dh(), 0.0);
    click(dh_down_x);
    EXPECT_EQ(dh(), 0.0) << "down at 0 does nothing";
    EXPECT_EQ(view(2).state, 0);
    click(dh_up_x, 50);
    EXPECT_EQ(dh(), 500.0);
    EXPECT_DOUBLE_EQ(view(17).angle, 90.0);
    EXPECT_EQ(view(2).state, 50 % 8);
    click(dh_up_x, 49);
    EXPECT_EQ(dh(), 990.0);
    click(dh_up_x);
    EXPECT_EQ(dh(), 0.0) << "990 up wraps to 0";
    EXPECT_EQ(view(2).state, 100 % 8);
    EXPECT_EQ(view(17).angle, -90);
}

TEST_F(Altimeter, SettingsFileGivesTheStartValue) {
    struct {
        const char *text;
        double expected; // after a first install with a file giving 350
    } cases[] = {
        {"0 0 0 0 0 1.5 2.5 0 0 200", 200},
        {"1\t2\n3   4 5\n\n6.25e1 -7 8 9\n 120 trailing words", 120},
        {"0 0 0 0 0 0.0 0.0 0 0", 350},               // nine numbers
        {"0 0 0 0 0 abc 0.0 0 0 200", 350},           // field 6 is no number
        {"0 0 0 0 0 0.0 0.0 0 0 99999999999", 350},   // field 10 does not fit 32 bits
        {"99999999999 0 0 0 0 0.0 0.0 0 0 230", 230}, // an earlier field that does not fit is skipped
        {"0 0 0 0 0 0.0 0.0 0 0 -10", 4294967286.0},
        {"0 0 0 0 0 0.0 0.0 0 0 1005", 1005},
        {"+1 -2 3 4 5 .5 -7.E+2 +0 -0 -2147483648", 2147483648.0}, // every form a field takes
        {"0 0 0 0 0 0.0 0.0 0 0 2147483648", 350},
        {"0 0 0 0 0 1e 5 0 0 200", 350},     // "1" is field 6; field 7 starts at "e"
        {"0 0 0 0 0 . 0.0 0 0 200", 350},    // a point alone is no real
        {"0 0 0 0 0 inf 0.0 0 0 200", 350},  // reals are decimal, as the Windows host reads them
        {"0 0 0 0 0 0x1p3 0.0 0 0 200", 350},
        {"0 0 0 0 0 0.0 0.0 0 0 +", 350},
    };
    for (const auto &c : cases) {
        write_settings("0 0 0 0 0 0.0 0.0 0 0 350");
        start();
        EXPECT_EQ(dh(), 350.0);
        host->kill();
        write_settings(c.text);
        host->install();
        EXPECT_EQ(dh(), c.expected) << c.text;
        host.reset();
    }
}

TEST_F(Altimeter, SettingsOutsideTheDialParkTheMarkerAndWrapBelowZero) {
    write_settings("0 0 0 0 0 0.0 0.0 0 0 -10");
    start();
    host->frame();
    EXPECT_EQ(view(17).angle, -90);
    click(dh_down_x);
    EXPECT_EQ(dh(), 4294967276.0);
    EXPECT_EQ(view(2).state, 7) << "the turn count wraps from 0 to 4294967295";
    host.reset();

    write_settings("0 0 0 0 0 0.0 0.0 0 0 5");
    start();
    click(dh_down_x);
    EXPECT_EQ(dh(), 4294967291.0);
    EXPECT_EQ(view(17).angle, -90);
    host.reset();

    write_settings("0 0 0 0 0 0.0 0.0 0 0 995");
    start();
    click(dh_up_x);
    EXPECT_EQ(dh(), 1005.0) << "a setting off the tens never lands on 1000";
    EXPECT_EQ(view(17).angle, -90);
}

TEST_F(Altimeter, KillAndInstallReadTheFileAgainAndPublishFromInstallToKill) {
    write_settings("0 0 0 0 0 0.0 0.0 0 0 350");
    start();
    EXPECT_EQ(dh(), 350.0);
    host->click(dh_up_x, dh_y);
    EXPECT_EQ(dh(), 350.0) << "the named value follows at the next update";
    host->frame();
    EXPECT_EQ(dh(), 360.0);
    host->kill();
    EXPECT_EQ(host->named_variables().count("vireo_DH"), 0u);
    host->install();
    EXPECT_EQ(dh(), 350.0);
}

TEST_F(Altimeter, RoutinesCallTheHostInOrder) {
    auto names = [&] {
        std::vector<std::string> called;
        for (const bench::service_call &call : host->calls())
            called.push_back(call.service);
        host->clear_calls();
        return called;
    };
    host.emplace(bench::find_module("baro_altimeter"));
    host->install();
    EXPECT_EQ(names(), (std::vector<std::string>{"module_variable_initialize", "module_variable_initialize",
                                                 "module_variable_initialize", "element_list_install",
                                                 "mouse_list_install", "mouse_list_register",
                                                 "named_variable_register"}));
    host->update();
    EXPECT_EQ(names(), (std::vector<std::string>{"module_variable_lookup", "module_variable_lookup",
                                                 "module_variable_lookup", "element_list_update"}));
    host->kill();
    EXPECT_EQ(names(), (std::vector<std::string>{"named_variables_unregister", "mouse_list_unregister",
                                                 "element_list_kill"}));
    EXPECT_TRUE(host->errors().empty());
}

// The MB window shows, behind each window picture, the strip cell its drum position names.
TEST_F(Altimeter, RenderedDrumsShowTheStripCellsOfTheirDigits) {
    start();
    host->set_variable(millibars, 1013.0);
    host->set_variable(inches, 29.92);
    host->frame();
    bench::image picture = host->render();
    const bench::image *strip = host->bitmap(3000);
    const bench::image *window_picture = host->bitmap(3003);
    ASSERT_NE(strip, nullptr);
    ASSERT_NE(window_picture, nullptr);
    struct {
        int x, cell;
    } windows[] = {{37, 9}, {45, 10}, {53, 9}, {61, 7}, {78, 8}, {86, 1}, {94, 1}, {102, 8}};
    int compared = 0;
    for (const auto &w : windows)
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 8; ++x) {
                if (window_picture->at(x, y).a != 0)
                    continue; // the window picture covers this pixel
                bench::rgba cell = strip->at(x, w.cell * 12 + y);
                if (cell.a == 0)
                    continue;
                EXPECT_EQ(picture.at(w.x + x, 88 + y), (bench::rgba{cell.r, cell.g, cell.b, 255}))
                    << "window at x " << w.x << ", pixel " << x << "," << y;
                ++compared;
            }
    EXPECT_GT(compared, 8 * 20) << "the windows must let the strips show through";
}

} // namespace
