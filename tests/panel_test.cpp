// The panel preview: reading panel.cfg window sections and flight states, and a panel whose
// every gauge looks exactly as that gauge does on its own.
#include "gauge_host.h"
#include "panel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

bench::panel_layout layout_of(const std::string &text, std::vector<std::string> &errors) {
    std::istringstream in(text);
    return bench::read_panel_cfg(in, "panel.cfg", errors);
}

bench::flight_state state_of(const std::string &text, std::vector<std::string> &errors) {
    std::istringstream in(text);
    return bench::read_flight_state(in, "climb.txt", errors);
}

struct good_gauge_line {
    const char *line;
    const char *module, *gauge_name;
    int x, y;
    std::optional<int> width, height;
};

TEST(PanelCfg, ReadsEachFormOfGaugeLine) {
    const good_gauge_line cases[] = {
        {"gauge00=baro_altimeter!baro_altimeter, 10, 20", "baro_altimeter", "baro_altimeter", 10, 20, {}, {}},
        {"gauge01=flap_lever!flap_lever,0,0,35", "flap_lever", "flap_lever", 0, 0, 35, {}},
        {"Gauge02 = gear_panel!gear_panel.gau , 7 , 8 , 71 , 100", "gear_panel", "gear_panel.gau", 7, 8, 71, 100},
        {"gauge03=air_temp_readout!;air_temp_readout, 1, 2 // unit follows 0x14F", "air_temp_readout",
         ";air_temp_readout", 1, 2, {}, {}},
        {"GAUGE14=../modules/brake_flag.so!brake_flag, 10000, 3", "../modules/brake_flag.so", "brake_flag", 10000,
         3, {}, {}},
    };
    for (const good_gauge_line &c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> errors;
        bench::panel_layout layout = layout_of(std::string("[Window00]\n") + c.line + "\n", errors);
        EXPECT_TRUE(errors.empty()) << errors.front();
        ASSERT_EQ(layout.gauges.size(), 1u);
        const bench::panel_gauge &gauge = layout.gauges[0];
        EXPECT_EQ(gauge.module, c.module);
        EXPECT_EQ(gauge.gauge_name, c.gauge_name);
        EXPECT_EQ(gauge.x, c.x);
        EXPECT_EQ(gauge.y, c.y);
        EXPECT_EQ(gauge.width, c.width);
        EXPECT_EQ(gauge.height, c.height);
        EXPECT_EQ(gauge.line, 2);
    }
}

TEST(PanelCfg, ReportsEachBadGaugeLineWithItsNumberAndText) {
    const std::pair<const char *, const char *> cases[] = {
        {"gauge00=baro_altimeter!baro_altimeter, 10", "a gauge line is module!gauge, x, y[, w[, h]]"},
        {"gauge00=baro_altimeter!baro_altimeter, 1, 2, 3, 4, 5", "a gauge line is module!gauge, x, y[, w[, h]]"},
        {"gauge00=baro_altimeter, 10, 10", "the gauge is named module!gauge, not \"baro_altimeter\""},
        {"gauge00=!baro_altimeter, 10, 10", "the gauge is named module!gauge"},
        {"gauge00=baro_altimeter!, 10, 10", "the gauge is named module!gauge"},
        {"gauge00=baro_altimeter!baro_altimeter, ten, 10", "x \"ten\" is not a whole number from 0"},
        {"gauge00=baro_altimeter!baro_altimeter, 10, -1", "y \"-1\" is not a whole number from 0"},
        {"gauge00=baro_altimeter!baro_altimeter, 10, 10, 0", "w \"0\" is not a whole number from 1"},
        {"gauge00=baro_altimeter!baro_altimeter, 10, 10, 20, 1.5", "h \"1.5\" is not a whole number from 1"},
        {"gauge00=baro_altimeter!baro_altimeter, 10001, 10", "x \"10001\" is not a whole number from 0 to 10000"},
        {"gauge00=baro_altimeter!baro_altimeter, 10, 10,", "w \"\" is not a whole number"},
    };
    for (const auto &[line, fault] : cases) {
        SCOPED_TRACE(line);
        std::vector<std::string> errors;
        bench::panel_layout layout =
            layout_of(std::string("[Window00]\ngauge09=flap_lever!flap_lever, 0, 0\n\n  ") + line + "\n", errors);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(errors[0].starts_with("panel.cfg:4: ")) << errors[0];
        EXPECT_NE(errors[0].find(fault), std::string::npos) << errors[0];
        EXPECT_TRUE(errors[0].ends_with(std::string("\"") + line + "\"")) << errors[0];
        ASSERT_EQ(layout.gauges.size(), 1u); // the good line is kept
        EXPECT_EQ(layout.gauges[0].module, "flap_lever");
    }
}

TEST(PanelCfg, UsesTheFirstWindowSectionWithGaugeLines) {
    std::vector<std::string> errors;
    bench::panel_layout layout = layout_of("gauge00=outside!any_section, 1, 1\n"
                                           "[Window Titles]\n"
                                           "window00=Main Panel\n"
                                           "[Views]\n"
                                           "gauge00=not!a_window, 1, 1\n"
                                           "[Window00]\n"
                                           "size_mm=600,400\n"
                                           "ident=MAIN_PANEL\n"
                                           "// gauge00=commented!out, 1, 1\n"
                                           "[window01]\n"
                                           "Background_color=0,0,0\n"
                                           "gauge00=speed_knob!speed_knob, 5, 6 // left\n"
                                           "gauge_not_numbered=ignored!key, 1, 1\n"
                                           "gauge01=heading_knob!heading_knob, 50, 6\n"
                                           "[Window02]\n"
                                           "gauge00=later!window, 1, 1\n"
                                           "gauge01=bad line\n",
                                           errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(layout.section, "window01");
    ASSERT_EQ(layout.gauges.size(), 2u);
    EXPECT_EQ(layout.gauges[0].module, "speed_knob");
    EXPECT_EQ(layout.gauges[0].line, 12);
    EXPECT_EQ(layout.gauges[1].module, "heading_knob");
    EXPECT_EQ(layout.gauges[1].line, 14);
}

TEST(PanelCfg, AFileWithoutGaugeLinesInAWindowIsAnError) {
    for (const char *text : {"", "[Window00]\nsize_mm=600,400\n", "[Vcockpit01]\ngauge00=a!b, 1, 1\n"}) {
        std::vector<std::string> errors;
        bench::panel_layout layout = layout_of(text, errors);
        EXPECT_TRUE(layout.gauges.empty());
        ASSERT_EQ(errors.size(), 1u) << text;
        EXPECT_EQ(errors[0], "panel.cfg: no [Window..] section with gaugeNN= lines");
    }
}

TEST(FlightState, ReadsTokensInHexAndDecimalWithComments) {
    std::vector<std::string> errors;
    bench::flight_state state = state_of("# climbing\n"
                                         "\n"
                                         "0x4A=12000\n"
                                         "  0X4b = 1013.25   # millibars\n"
                                         "76=29.92 // inches\n"
                                         "// flaps\n"
                                         "0x149=-0.5e2\n",
                                         errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(state.variables,
              (std::map<std::uint32_t, double>{{0x4A, 12000.0}, {0x4B, 1013.25}, {0x4C, 29.92}, {0x149, -50.0}}));
    EXPECT_TRUE(state.blocks.empty());
}

TEST(FlightState, ReadsBlockWritesInFileOrder) {
    std::vector<std::string> errors;
    bench::flight_state state = state_of("write-hex QUORVAL_COM_IPC 0 01000000  # lights on\n"
                                         "0x4A=100\n"
                                         "write NDPassData 0x7 0 // mode 0\n"
                                         "write NDPassData 0 \"NDMode=2 \"\n"
                                         "write-hex QUORVAL_COM_IPC 0 00000000\n",
                                         errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    std::vector<bench::block_write> expected = {
        {"QUORVAL_COM_IPC", 0, {1, 0, 0, 0}},
        {"NDPassData", 7, {'0'}},
        {"NDPassData", 0, {'N', 'D', 'M', 'o', 'd', 'e', '=', '2', ' '}},
        {"QUORVAL_COM_IPC", 0, {0, 0, 0, 0}},
    };
    EXPECT_EQ(state.blocks, expected);
    EXPECT_EQ(state.variables.at(0x4A), 100.0);
}

TEST(FlightState, ReportsEachKindOfBadLineWithItsNumber) {
    const std::pair<const char *, const char *> cases[] = {
        {"0x4A 12000", "a line is TOKEN=VALUE, or a block write"},
        {"\v", "a line is TOKEN=VALUE, or a block write"}, // white space that is not blank
        {"write NDPassData 7", "a block write is write NAME OFFSET TEXT"},
        {"write-hex QUORVAL_COM_IPC", "a block write is write-hex NAME OFFSET HEX"},
        {"write NDPassData seven 0", "the offset \"seven\" is not decimal, or hex with 0x"},
        {"write-hex QUORVAL_COM_IPC 0 010", "\"010\" is not pairs of hex digits"},
        {"write-hex QUORVAL_COM_IPC 0 0x01", "\"0x01\" is not pairs of hex digits"},
        {"altitude=12000", "the token \"altitude\" is not decimal, or hex with 0x"},
        {"0x=1", "the token \"0x\" is not decimal, or hex with 0x"},
        {"=1", "the token \"\" is not decimal, or hex with 0x"},
        {"0x4A=", "the value \"\" is not a number"},
        {"0x4A=12,000", "the value \"12,000\" is not a number"},
        {"0x149=1.0.0", "the value \"1.0.0\" is not a number"},
        {"0x4C=30", "the token \"0x4C\" is already set on line 2"},
    };
    for (const auto &[line, fault] : cases) {
        SCOPED_TRACE(line);
        std::vector<std::string> errors;
        bench::flight_state state = state_of(std::string("# state\n0x4C=29.92\n") + line + "\n0x4B=1013\n", errors);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], std::string("climb.txt:3: ") + fault + ": \"" + line + "\"");
        EXPECT_EQ(state.variables.at(0x4C), 29.92);
        EXPECT_EQ(state.variables.at(0x4B), 1013.0);
        EXPECT_TRUE(state.blocks.empty());
    }
}

// A gauge on its own, run with the state as the panel runs it, at its own size.
bench::image alone(const std::string &module, const bench::flight_state &state) {
    bench::gauge_host host(bench::find_module(module));
    for (const auto &[token, value] : state.variables)
        host.set_variable(token, value);
    host.install();
    host.initialize();
    for (const bench::block_write &write : state.blocks)
        EXPECT_TRUE(bench::write_block(write));
    for (int frame = 0; frame < bench::panel_frames; ++frame)
        host.frame();
    return host.render();
}

// Where the gauge is transparent the panel paint shows; elsewhere, the gauge's own pixel.
void expect_region_shows(const bench::image &panel, const bench::image &gauge, int left, int top, int scale,
                         const std::string &what) {
    ASSERT_LE((left + gauge.width) * scale, panel.width) << what;
    ASSERT_LE((top + gauge.height) * scale, panel.height) << what;
    int wrong = 0;
    for (int y = 0; y < gauge.height * scale; ++y)
        for (int x = 0; x < gauge.width * scale; ++x) {
            bench::rgba own = gauge.at(x / scale, y / scale);
            if (panel.at(left * scale + x, top * scale + y) != (own.a == 0 ? bench::panel_paint : own))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0) << what << " differs from the gauge drawn alone";
}

bench::panel_layout default_layout() {
    std::vector<std::string> errors;
    bench::panel_layout layout = layout_of(bench::default_panel_cfg, errors);
    EXPECT_TRUE(errors.empty());
    return layout;
}

bench::flight_state default_state() {
    std::vector<std::string> errors;
    bench::flight_state state = state_of(bench::default_flight_state, errors);
    EXPECT_TRUE(errors.empty());
    return state;
}

TEST(Panel, TheDefaultPanelShowsEachGaugeAsItLooksAlone) {
    bench::panel_layout layout = default_layout();
    bench::flight_state state = default_state();
    ASSERT_EQ(layout.gauges.size(), 14u);
    for (int scale : {1, 2}) {
        bench::panel_picture panel = bench::render_panel(layout, state, scale);
        EXPECT_TRUE(panel.layout_errors.empty()) << panel.layout_errors.front();
        EXPECT_TRUE(panel.gauge_errors.empty()) << panel.gauge_errors.front();
        int right = 0, bottom = 0;
        for (const bench::panel_gauge &gauge : layout.gauges) {
            bench::image own = alone(gauge.module, state);
            right = std::max(right, gauge.x + own.width);
            bottom = std::max(bottom, gauge.y + own.height);
            expect_region_shows(panel.picture, own, gauge.x, gauge.y, scale, gauge.module);
        }
        EXPECT_EQ(panel.picture.width, (right + bench::panel_margin) * scale);
        EXPECT_EQ(panel.picture.height, (bottom + bench::panel_margin) * scale);
    }
}

TEST(Panel, TheFlightStateReachesTheGauges) {
    bench::panel_layout layout = default_layout();
    bench::flight_state climbing = default_state(), landing = climbing;
    landing.variables[0x149] = 16384; // flaps fully down
    landing.variables[0x4A] = 200;
    const bench::panel_gauge *gauge_of[] = {nullptr, nullptr};
    for (const bench::panel_gauge &gauge : layout.gauges)
        if (gauge.module == "flap_lever" || gauge.module == "baro_altimeter")
            gauge_of[gauge.module == "flap_lever"] = &gauge;
    ASSERT_TRUE(gauge_of[0] && gauge_of[1]);
    bench::image before = bench::render_panel(layout, climbing).picture;
    bench::image after = bench::render_panel(layout, landing).picture;
    for (const bench::panel_gauge *gauge : gauge_of) {
        expect_region_shows(after, alone(gauge->module, landing), gauge->x, gauge->y, 1, gauge->module);
        bench::image own = alone(gauge->module, climbing);
        bool changed = false;
        for (int y = 0; y < own.height && !changed; ++y)
            for (int x = 0; x < own.width && !changed; ++x)
                changed = before.at(gauge->x + x, gauge->y + y) != after.at(gauge->x + x, gauge->y + y);
        EXPECT_TRUE(changed) << gauge->module;
    }
}

// The partner modules' blocks of the default state light the gear panel and set the map mode.
TEST(LivePanel, TheDefaultStateShowsTheLightsAndTheSharedBlocks) {
    bench::live_panel panel(default_layout(), default_state());
    ASSERT_TRUE(panel.layout_errors().empty()) << panel.layout_errors().front();
    for (int frame = 0; frame < bench::panel_frames; ++frame)
        panel.frame();
    std::map<std::string, std::vector<int>> states;
    for (bench::live_panel::gauge_in_panel &gauge : panel.gauges())
        for (element_header *element : gauge.host->elements())
            if (element->element_type == element_icon)
                states[gauge.line.module].push_back(gauge.host->view(element).state);
    EXPECT_EQ(states["gear_panel"], (std::vector<int>{0, 1, 0, 1, 0})); // lights green, red, green, red; lever up
    EXPECT_EQ(states["map_mode_switch"], (std::vector<int>{1}));        // mode 0
    EXPECT_TRUE(panel.gauge_errors().empty()) << panel.gauge_errors().front();
}

// A click lands on the gauge under it, in the gauge's own coordinates.
TEST(LivePanel, AClickGoesToTheGaugeUnderItThroughItsDrawnSize) {
    std::vector<std::string> errors;
    bench::panel_layout layout = layout_of("[Window00]\n"
                                           "gauge00=flap_lever!flap_lever, 0, 0\n"
                                           "gauge01=window_toggle!window_toggle, 100, 60, 35\n",
                                           errors);
    bench::live_panel panel(layout, {});
    ASSERT_EQ(panel.gauges().size(), 2u);
    bench::gauge_host &toggle = *panel.gauges()[1].host;
    std::optional<bench::click_record> click = panel.click(100 + 17, 60 + 7); // drawn 35 x 15 of 70 x 30
    ASSERT_TRUE(click.has_value());
    EXPECT_EQ(click->x, 34);
    EXPECT_EQ(click->y, 14);
    EXPECT_EQ(toggle.window_toggles(), (std::vector<std::uint32_t>{50}));
    EXPECT_FALSE(panel.click(100 + 35, 60 + 15).has_value()); // just past its corner
    EXPECT_FALSE(panel.click(-1, 0).has_value());
}

TEST(Panel, AWidthAndHeightResizeTheGauge) {
    std::vector<std::string> errors;
    bench::panel_layout layout = layout_of("[Window00]\n"
                                           "gauge00=oil_thermometer!oil_thermometer, 3, 4, 202, 50\n"
                                           "gauge01=window_toggle!window_toggle, 3, 60, 35\n",
                                           errors);
    ASSERT_TRUE(errors.empty());
    bench::panel_picture panel = bench::render_panel(layout, {});
    ASSERT_TRUE(panel.layout_errors.empty());
    bench::image oil = alone("oil_thermometer", {}), toggle = alone("window_toggle", {});
    ASSERT_EQ(toggle.width, 70); // 70 x 30 drawn 35 wide keeps its proportions: 35 x 15
    expect_region_shows(panel.picture, bench::resize_image(oil, 202, 50), 3, 4, 1, "oil thermometer");
    expect_region_shows(panel.picture, bench::resize_image(toggle, 35, 15), 3, 60, 1, "window toggle");
    EXPECT_EQ(panel.picture.width, 3 + 202 + bench::panel_margin);
    EXPECT_EQ(panel.picture.height, 60 + 15 + bench::panel_margin);
}

TEST(Panel, AMissingModuleOrAnotherGaugeNameIsReportedByLine) {
    std::vector<std::string> errors;
    bench::panel_layout layout = layout_of("[Window00]\n"
                                           "gauge00=no_such_gauge!no_such_gauge, 0, 0\n"
                                           "gauge01=gear_panel!gear_panel, 0, 0\n"
                                           "gauge02=air_temp_readout!air_temp_readout, 0, 0\n"
                                           "gauge03=flap_lever!flap_lever, 5, 5\n",
                                           errors);
    ASSERT_TRUE(errors.empty());
    bench::panel_picture panel = bench::render_panel(layout, {});
    ASSERT_EQ(panel.layout_errors.size(), 3u);
    EXPECT_TRUE(panel.layout_errors[0].starts_with(
        "panel.cfg:2: \"no_such_gauge\": no module of that name (no file \""))
        << panel.layout_errors[0];
    EXPECT_EQ(panel.layout_errors[1],
              "panel.cfg:3: module \"gear_panel\" has the gauge \"gear_panel.gau\", not \"gear_panel\"");
    EXPECT_EQ(panel.layout_errors[2],
              "panel.cfg:4: module \"air_temp_readout\" has the gauge \";air_temp_readout\", not "
              "\"air_temp_readout\"");
    expect_region_shows(panel.picture, alone("flap_lever", {}), 5, 5, 1, "flap lever");
}

// The command reads both files before it draws: a bad line anywhere leaves no picture.
TEST(PanelCommand, BadInputDrawsNothingAndExitsWithTwo) {
    namespace fs = std::filesystem;
    fs::path directory = fs::temp_directory_path() / "gaugebench_panel_command_test";
    fs::create_directories(directory);
    std::string cfg = (directory / "panel.cfg").string(), state = (directory / "state.txt").string(),
                picture = (directory / "panel.png").string();
    std::ofstream(cfg) << "[Window00]\ngauge00=flap_lever!flap_lever, 0, 0\n";
    std::ofstream(state) << "0x149=8192\n0x4A=high\n";
    std::ostringstream out, errors;
    EXPECT_EQ(bench::panel_command({cfg, "--state", state, "-o", picture}, out, errors), 2);
    EXPECT_NE(errors.str().find(state + ":2: the value \"high\" is not a number: \"0x4A=high\""), std::string::npos)
        << errors.str();
    EXPECT_FALSE(fs::exists(picture));

    std::ofstream(state) << "0x149=8192\n";
    errors.str("");
    EXPECT_EQ(bench::panel_command({cfg, "--state", state, "-o", picture}, out, errors), 0) << errors.str();
    EXPECT_TRUE(fs::exists(picture));
    fs::remove_all(directory);
}

} // namespace
