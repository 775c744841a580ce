// Every module built carries exactly the pictures its elements name, at their sizes, as
// uncompressed 8-bit bitmaps, and the director switch its click sound.
#include "gauge_host.h"
#include "sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

struct picture {
    std::uint32_t id;
    int width, height;
};

struct module_pictures {
    const char *module;
    std::vector<picture> bitmaps;
    std::set<std::uint32_t> states_without_picture = {}; // icon states the module shows as nothing
};

// The bitmaps of each deliverable, by id, with their sizes.
const module_pictures deliverables[] = {
    {"window_toggle", {{100, 70, 30}}},
    {"fuel_cutoff_switch", {{4096, 35, 63}, {4112, 35, 63}}},
    {"baro_altimeter",
     {{1000, 147, 149}, {2000, 59, 11}, {2030, 11, 12}, {3000, 8, 132}, {3003, 8, 12}, {3020, 14, 242},
      {3023, 14, 22}, {3030, 28, 132}, {3033, 28, 22}, {3040, 14, 132}, {3043, 14, 22}, {4000, 26, 26},
      {4003, 26, 26}, {4006, 26, 26}, {4009, 26, 26}, {4012, 26, 26}, {4015, 26, 26}, {4018, 26, 26},
      {4021, 26, 26}, {4030, 26, 26}, {4033, 26, 26}, {4036, 26, 26}, {4039, 26, 26}, {4042, 26, 26},
      {4045, 26, 26}, {4048, 26, 26}, {4051, 26, 26}}},
    {"oil_thermometer", {{101, 47, 7}, {102, 101, 101}}},
    {"autobrake_selector",
     {{4096, 135, 77}, {4099, 135, 77}, {4102, 135, 77}, {4105, 135, 77}, {4108, 135, 77}, {4111, 135, 77},
      {8192, 135, 77}, {12288, 135, 77}},
     {4114, 4117}}, // the selector's states 6 and 7
    {"director_switch", {{1000, 18, 55}, {1010, 18, 55}, {1011, 18, 55}}},
    {"gear_panel",
     {{100, 71, 200}, {200, 18, 18}, {203, 18, 18}, {300, 18, 18}, {303, 18, 18}, {400, 18, 18}, {403, 18, 18},
      {500, 18, 18}, {503, 18, 18}, {600, 36, 137}, {603, 36, 137}}},
    {"map_mode_switch", {{4096, 100, 90}, {8192, 52, 56}, {8195, 52, 56}}},
    {"brake_flag", {{100, 88, 242}, {200, 42, 121}, {300, 42, 121}}},
    {"speed_knob", {{4096, 39, 39}, {8192, 39, 39}, {8195, 39, 39}}},
    {"heading_knob", {{4096, 39, 39}, {8192, 39, 39}, {8195, 39, 39}, {8198, 39, 39}}},
    {"flap_lever", {{4096, 69, 222}, {8192, 69, 74}}},
    {"fuel_readout", {{100, 32, 11}}},
    {"air_temp_readout", {{4096, 44, 12}, {8192, 10, 9}, {8195, 10, 9}}},
};

bool built(const std::string &module) { return std::ifstream(bench::find_module(module)).good(); }

// The bitmaps the host draws from an element: icon states at steps of 3 (version 700: 1),
// a moving image's strip and its window at +3; a string has none.
std::set<std::uint32_t> bitmaps_named(bench::gauge_host &host) {
    std::set<std::uint32_t> named;
    for (element_header *element : host.elements()) {
        std::uint32_t id = element->bitmap_id;
        switch (element->element_type) {
        case element_icon: {
            std::uint32_t states = reinterpret_cast<icon_element *>(element)->state_count;
            std::uint32_t step = host.gauge().header_version == header_version_700 ? 1 : 3;
            for (std::uint32_t state = 0; state < states; ++state)
                named.insert(id + step * state);
            break;
        }
        case element_moving_image:
            named.insert(id);
            named.insert(id + 3);
            break;
        case element_string:
            EXPECT_EQ(id, no_bitmap);
            break;
        default:
            named.insert(id);
        }
    }
    return named;
}

TEST(ModuleResources, EveryModuleCarriesThePicturesItsElementsName) {
    int checked = 0;
    for (const module_pictures &expected : deliverables) {
        if (!built(expected.module))
            continue;
        ++checked;
        SCOPED_TRACE(expected.module);
        bench::gauge_host host(bench::find_module(expected.module));
        std::set<std::uint32_t> listed;
        for (const picture &p : expected.bitmaps) {
            listed.insert(p.id);
            const bench::image *decoded = host.bitmap(p.id); // fails for anything but 8-bit uncompressed
            ASSERT_NE(decoded, nullptr) << "bitmap " << p.id;
            EXPECT_EQ(decoded->width, p.width) << "bitmap " << p.id;
            EXPECT_EQ(decoded->height, p.height) << "bitmap " << p.id;
        }
        std::vector<std::uint32_t> carried = host.resource_ids();
        EXPECT_EQ(std::set<std::uint32_t>(carried.begin(), carried.end()), listed) << "no picture more or less";
        std::set<std::uint32_t> named = bitmaps_named(host);
        for (std::uint32_t id : named)
            EXPECT_TRUE(listed.count(id) || expected.states_without_picture.count(id)) << "an element names bitmap " << id;
        for (std::uint32_t id : listed)
            EXPECT_TRUE(named.count(id)) << "bitmap " << id << " is drawn by no element";
        EXPECT_TRUE(host.errors().empty()) << host.errors().front();
    }
    EXPECT_GT(checked, 0) << "no module built";
}

TEST(ModuleResources, TheDirectorSwitchCarriesItsClickAsA2048ByteWave) {
    if (!built("director_switch"))
        GTEST_SKIP() << "director_switch is not built yet";
    bench::gauge_host host(bench::find_module("director_switch"));
    std::span<const std::uint8_t> wave = host.resource(30000, "WAVE");
    ASSERT_EQ(wave.size(), 2048u);
    EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 12), "WAVE");
}

TEST(ModuleResources, TheContactSheetShowsEveryBuiltModule) {
    std::vector<std::string> errors;
    std::vector<std::string> modules = bench::built_modules();
    ASSERT_FALSE(modules.empty());
    bench::image sheet = bench::contact_sheet(modules, errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(sheet.width, 1400);
    EXPECT_GT(sheet.height, 60 * int(modules.size())) << "a band per module";
    std::vector<std::string> broken = {modules.front(), "no_such_module.so"};
    errors.clear();
    bench::contact_sheet(broken, errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("no_such_module.so"), std::string::npos);
}

} // namespace
