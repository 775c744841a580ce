// The live bench: response tables, and the requests of the page that `gaugebench serve` serves.
#include "gauge_host.h"
#include "panel.h"
#include "responses.h"
#if defined(GAUGE_SERVE)
#include "serve.h"

#include <nlohmann/json.hpp>
#endif

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<bench::response> table_of(const std::string &text, std::vector<std::string> &errors) {
    std::istringstream in(text);
    return bench::read_responses(in, "responses.txt", errors);
}

TEST(Responses, ReadsEachFormOfLine) {
    std::vector<std::string> errors;
    std::vector<bench::response> table = table_of("# flaps\n"
                                                  "0x100DE step 0x149 4096 0 16384\n"
                                                  "\n"
                                                  "  65752\tset 323 0   // the brakes\n"
                                                  "0x100D8 toggle 0x143\n"
                                                  "0x10022 toggle 0x14C 0 16384\n"
                                                  "0x10022 toggle 0x14B # the lever too\n"
                                                  "0x10022 follow 0x14D 0x14B 16384\n",
                                                  errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    const std::vector<bench::response> expected = {
        {0x100DE, bench::response::step, 0x149, 4096, 0, 16384},
        {65752, bench::response::set, 323, 0},
        {0x100D8, bench::response::toggle, 0x143, 0, 0, 1},
        {0x10022, bench::response::toggle, 0x14C, 0, 0, 16384},
        {0x10022, bench::response::toggle, 0x14B, 0, 0, 1},
        {0x10022, bench::response::follow, 0x14D, 16384, 0, 1, 0x14B},
    };
    EXPECT_EQ(table, expected);
}

TEST(Responses, NamesEachBadLineWithItsPlace) {
    struct bad_line {
        const char *line;
        const char *error;
    };
    const bad_line cases[] = {
        {"0x100DE step", "a line is EVENT step|set|toggle|follow TOKEN ..."},
        {"flaps step 0x149 1 0 2", "the event \"flaps\" is not decimal, or hex with 0x"},
        {"0x100DE add 0x149 1", "the action \"add\" is not step, set, toggle or follow"},
        {"0x100DE set 0x14Z 1", "the token \"0x14Z\" is not decimal, or hex with 0x"},
        {"0x100DE set 0x149 up", "the value \"up\" is not a finite number"},
        {"0x100DE set 0x149 inf", "the value \"inf\" is not a finite number"},
        {"0x100DE step 0x149 4096 0", "step needs AMOUNT MIN MAX"},
        {"0x100DE step 0x149 4096 16384 0", "the step's MIN is above its MAX"},
        {"0x100DE set 0x149", "set needs one VALUE"},
        {"0x100DE set 0x149 1 2", "set needs one VALUE"},
        {"0x100DE toggle 0x149 1", "toggle needs no values, or the two values A B"},
        {"0x10022 follow 0x14C", "follow needs SOURCE FACTOR"},
        {"0x10022 follow 0x14C 0x14B", "follow needs SOURCE FACTOR"},
        {"0x10022 follow 0x14C lever 16384", "the token \"lever\" is not decimal, or hex with 0x"},
    };
    for (const bad_line &bad : cases) {
        std::vector<std::string> errors;
        std::vector<bench::response> table = table_of(std::string("# first\n0x1 set 0x2 3\n") + bad.line + "\n", errors);
        ASSERT_EQ(errors.size(), 1u) << bad.line;
        EXPECT_EQ(errors[0], std::string("responses.txt:3: ") + bad.error + ": \"" + bad.line + "\"");
        EXPECT_EQ(table.size(), 1u) << "the good line stays: " << bad.line;
    }
}

TEST(Responses, EachActionMovesTheValue) {
    const bench::response flaps_down{0x100DE, bench::response::step, 0x149, 4096, 0, 16384};
    const bench::response flaps_up{0x100DF, bench::response::step, 0x149, -4096, 0, 16384};
    const bench::response brake{0x100D8, bench::response::toggle, 0x143, 0, 0, 1};
    const bench::response gear_light{0x10022, bench::response::toggle, 0x14C, 0, 0, 16384};
    const bench::response release{0x10034, bench::response::set, 0x143, 0};
    const bench::response gear{0x10022, bench::response::follow, 0x14D, 16384, 0, 1, 0x14B};
    struct move {
        const bench::response &line;
        double before, lever, after; // `lever`: the value of 0x14B, which a follower reads
    };
    const move cases[] = {
        {flaps_down, 0, 0, 4096},  {flaps_down, 14000, 0, 16384}, {flaps_down, 16384, 0, 16384},
        {flaps_up, 4096, 0, 0},    {flaps_up, 1000, 0, 0},        {brake, 0, 0, 1},
        {brake, 1, 0, 0},          {brake, -2.5, 0, 0},           {gear_light, 0, 0, 16384},
        {gear_light, 16384, 0, 0}, {gear_light, 8000, 0, 0},      {release, 1, 0, 0},
        {gear, 8192, 1, 16384},    {gear, 8192, 0, 0},
    };
    for (const move &next : cases) {
        auto value = [&](std::uint32_t token) { return token == 0x14B ? next.lever : next.before; };
        EXPECT_EQ(bench::respond(next.line, value), next.after)
            << bench::response_text(next.line) << " from " << next.before;
    }
}

// Every key event that a click area of the bench's own panel carries has a response.
TEST(Responses, TheBuiltInTableAnswersThePanelsClickAreas) {
    std::vector<std::string> errors;
    std::istringstream in(bench::default_responses);
    std::vector<bench::response> table = bench::read_responses(in, "(built-in)", errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    std::set<std::uint32_t> answered;
    for (const bench::response &line : table)
        answered.insert(line.event);

    std::istringstream cfg(bench::default_panel_cfg), state_text(bench::default_flight_state);
    bench::panel_layout layout = bench::read_panel_cfg(cfg, "(built-in)", errors);
    bench::flight_state state = bench::read_flight_state(state_text, "(built-in)", errors);
    bench::live_panel panel(layout, state);
    int areas = 0;
    for (bench::live_panel::gauge_in_panel &gauge : panel.gauges()) {
        std::string fault;
        for (const bench::placed_rect &placed : bench::read_mouse_list(gauge.host->live_mouse_list(), fault))
            if (placed.rect->event_id != 0) {
                ++areas;
                EXPECT_TRUE(answered.contains(placed.rect->event_id))
                    << gauge.line.gauge_name << " sends " << bench::hex_text(placed.rect->event_id);
            }
    }
    EXPECT_GT(areas, 10);
}

#if defined(GAUGE_SERVE)
using json = nlohmann::json;

class LiveBench : public testing::Test {
protected:
    static bench::live_bench make(const std::string &responses = bench::default_responses) {
        std::vector<std::string> errors;
        std::istringstream cfg(bench::default_panel_cfg), state_text(bench::default_flight_state), table(responses);
        bench::panel_layout layout = bench::read_panel_cfg(cfg, "(built-in)", errors);
        bench::flight_state state = bench::read_flight_state(state_text, "(built-in)", errors);
        return bench::live_bench(layout, state, bench::read_responses(table, "(built-in)", errors));
    }
    static json state_of(bench::live_bench &live, std::uint64_t since = 0) {
        bench::reply answer = live.state(since);
        EXPECT_EQ(answer.status, 200);
        return json::parse(answer.body);
    }
    static double variable(const json &state, const std::string &token) {
        for (const json &entry : state["variables"])
            if (entry["token"] == token)
                return entry["value"];
        ADD_FAILURE() << "no variable " << token;
        return 0;
    }
    static json gauge(const json &state, const std::string &name) {
        for (const json &entry : state["gauges"])
            if (entry["gauge"] == name)
                return entry;
        ADD_FAILURE() << "no gauge " << name;
        return {};
    }
    static std::string click_at(const json &state, const std::string &name, int x, int y) {
        json at = gauge(state, name);
        return json({{"x", int(at["x"]) + x}, {"y", int(at["y"]) + y}}).dump();
    }
};

// The tokens that gauges read through their elements and through their module variables.
TEST_F(LiveBench, ListsEveryVariableTheGaugesReadWithItsReaders) {
    bench::live_bench live = make();
    live.frame();
    json state = state_of(live);
    std::map<std::string, std::set<std::string>> readers;
    for (const json &entry : state["variables"])
        readers[entry["token"]] = entry["readers"].get<std::set<std::string>>();
    const std::pair<const char *, const char *> cases[] = {
        {"0x93", "oil_thermometer"},      // a needle's variable
        {"0x149", "flap_lever"},          // a slider's
        {"0x15E", ";air_temp_readout"},   // a string's
        {"0x4B", "baro_altimeter"},       // looked up by the update routine only
        {"0x143", "brake_flag"},          // initialized at install, looked up at update
        {"0x266", "autobrake_selector"},  // initialized by the initialize routine
        {"0x14C", "gear_panel.gau"},
        {"0x318", "director_switch"},     // a version 700 icon's
    };
    for (const auto &[token, reader] : cases)
        EXPECT_TRUE(readers[token].contains(reader)) << token << " read by " << reader;
    EXPECT_FALSE(readers.contains("0x0")) << "token 0 names no simulator variable";
    EXPECT_EQ(variable(state, "0x93"), 8192) << "the flight state's value";
}

TEST_F(LiveBench, ClicksSendKeyEventsAndTheResponsesFollow) {
    bench::live_bench live = make();
    live.frame();
    json state = state_of(live);
    std::uint64_t seen = state["events"].empty() ? 0 : std::uint64_t(state["events"].back()["number"]);

    bench::reply answer = live.click(click_at(state, "flap_lever", 30, 200));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(json::parse(answer.body)["outcome"], "key event 0x100DE");
    answer = live.click(click_at(state, "flap_lever", 30, 200));
    state = state_of(live, seen);
    EXPECT_EQ(variable(state, "0x149"), 8192) << "two notches down";
    ASSERT_EQ(state["events"].size(), 2u);
    EXPECT_EQ(state["events"][1]["gauge"], "flap_lever");
    EXPECT_EQ(state["events"][1]["text"], "key event 0x100DE value 0");
    EXPECT_EQ(state["events"][1]["responses"], json::array({"0x149: 4096 -> 8192"}));

    // A key event sent by gauge code, and one with no response.
    seen = state["events"].back()["number"];
    live.click(click_at(state, "director_switch", 9, 20));
    live.click(click_at(state, "speed_knob", 30, 20));
    state = state_of(live, seen);
    ASSERT_EQ(state["events"].size(), 2u);
    EXPECT_EQ(state["events"][0]["text"], "key event 0x102F0 value 1");
    EXPECT_EQ(state["events"][0]["responses"], json::array({"0x318: 1 -> 0"}));
    EXPECT_EQ(state["events"][1]["text"], "key event 0x10168 value 0");
    EXPECT_TRUE(state["events"][1]["responses"].empty());
    EXPECT_EQ(variable(state, "0x318"), 0);

    EXPECT_EQ(json::parse(live.click(R"({"x":3,"y":3})").body)["outcome"], "no gauge there");
}

TEST_F(LiveBench, RefusesBodiesItCannotActOn) {
    bench::live_bench live = make();
    json state = state_of(live);
    const std::string too_far = std::to_string(int(state["width"]));
    struct refused {
        bench::reply (bench::live_bench::*action)(const std::string &);
        std::string body;
        int status;
        std::string error;
    };
    const refused cases[] = {
        {&bench::live_bench::click, "x=1&y=2", 400, "the body is not a JSON object"},
        {&bench::live_bench::click, "[1,2]", 400, "the body is not a JSON object"},
        {&bench::live_bench::click, R"({"x":1})", 400, "\"y\" must be a whole number from 0 to "},
        {&bench::live_bench::click, R"({"x":1.5,"y":2})", 400, "\"x\" must be a whole number from 0 to "},
        {&bench::live_bench::click, R"({"x":-1,"y":2})", 400, "\"x\" must be a whole number from 0 to "},
        {&bench::live_bench::click, R"({"x":)" + too_far + R"(,"y":2})", 400, "\"x\" must be a whole number"},
        {&bench::live_bench::set_variable, R"({"token":"oil","value":1})", 400, "\"token\" must be a token"},
        {&bench::live_bench::set_variable, R"({"token":-3,"value":1})", 400, "\"token\" must be a token"},
        {&bench::live_bench::set_variable, R"({"token":4294967296,"value":1})", 400, "\"token\" must be a token"},
        {&bench::live_bench::set_variable, R"({"token":"0x93","value":"hot"})", 400, "\"value\" must be a finite number"},
        {&bench::live_bench::set_named_variable, R"({"name":"vireo_XX","value":1})", 404,
         "no gauge registered the named variable \"vireo_XX\""},
        {&bench::live_bench::set_named_variable, R"({"name":7,"value":1})", 400, "\"name\" must be a text"},
        {&bench::live_bench::write_block, R"({"block":"NDPassData","offset":0,"bytes":[256]})", 400,
         "\"bytes\" must be a list of numbers from 0 to 255"},
        {&bench::live_bench::write_block, R"({"block":"NDPassData","offset":0,"bytes":"NDMode=0"})", 400,
         "\"bytes\" must be a list of numbers from 0 to 255"},
        {&bench::live_bench::write_block, R"({"block":"NDPassData","offset":-1,"bytes":[1]})", 400,
         "\"offset\" must be a whole number from 0 to "},
        {&bench::live_bench::write_block, R"({"block":"NDPassData","offset":100000,"bytes":[1]})", 400,
         "the bytes do not fit in \"NDPassData\" at offset 100000"},
        {&bench::live_bench::write_block, R"({"block":"Other","offset":0,"bytes":[1]})", 404,
         "no shared block \"Other\""},
    };
    for (const refused &next : cases) {
        bench::reply answer = (live.*next.action)(next.body);
        EXPECT_EQ(answer.status, next.status) << next.body;
        EXPECT_TRUE(json::parse(answer.body)["error"].get<std::string>().starts_with(next.error))
            << next.body << ": " << answer.body;
    }
    EXPECT_EQ(variable(state_of(live), "0x93"), 8192) << "nothing refused changed anything";
}

TEST_F(LiveBench, WritesVariablesNamedVariablesAndBlocks) {
    bench::live_bench live = make();
    live.frame();
    EXPECT_EQ(live.set_variable(R"({"token":"0x93","value":16384})").status, 200);
    EXPECT_EQ(live.set_variable(R"({"token":329,"value":-2})").status, 200);
    // The map mode switch reads its block back at every update.
    EXPECT_EQ(live.write_block(R"({"block":"NDPassData","offset":7,"bytes":[49]})").status, 200);
    EXPECT_EQ(live.set_named_variable(R"({"name":"vireo_DH","value":555})").status, 200);
    json state = state_of(live);
    EXPECT_EQ(variable(state, "0x93"), 16384);
    EXPECT_EQ(variable(state, "0x149"), -2);
    ASSERT_EQ(state["named_variables"].size(), 1u);
    EXPECT_EQ(state["named_variables"][0]["value"], 555);
    for (const json &block : state["blocks"]) {
        if (block["block"] == "NDPassData") {
            EXPECT_EQ(block["text"], "NDMode=1............") << "the built-in state leaves mode 0 there";
        }
    }
    // The altimeter publishes its own setting again at its next update.
    live.frame();
    EXPECT_NE(state_of(live)["named_variables"][0]["value"], 555);
}

TEST_F(LiveBench, EachFrameIsOnePictureOfThePanel) {
    bench::live_bench live = make();
    live.frame();
    bench::reply first = live.picture();
    EXPECT_EQ(first.type, "image/png");
    EXPECT_EQ(first.body.substr(1, 3), "PNG");
    EXPECT_EQ(live.picture().body, first.body) << "the same frame, the same picture";
    live.set_variable(R"({"token":"0x93","value":16384})");
    live.frame();
    EXPECT_NE(live.picture().body, first.body) << "the oil needle moved";
}

TEST(PageFiles, ServesThePageAndNothingElse) {
    struct request {
        const char *path;
        int status;
        const char *type;
    };
    const request cases[] = {
        {"/", 200, "text/html; charset=utf-8"},
        {"/index.html", 200, "text/html; charset=utf-8"},
        {"/page.js", 200, "text/javascript; charset=utf-8"},
        {"/page.css", 200, "text/css; charset=utf-8"},
        {"/page.js/", 404, "application/json"},
        {"/web/page.js", 404, "application/json"},
        {"page.js", 404, "application/json"},
        {"/serve.cpp", 404, "application/json"},
    };
    for (const request &next : cases) {
        bench::reply answer = bench::page_file(next.path);
        EXPECT_EQ(answer.status, next.status) << next.path;
        EXPECT_EQ(answer.type, next.type) << next.path;
    }
    EXPECT_NE(bench::page_file("/").body.find("<script src=\"page.js\">"), std::string::npos);
}
#endif

} // namespace
