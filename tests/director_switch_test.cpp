// The director switch: its icon, its click (sound first, then the key event) and the sound
// set-up and tear-down it does through the version 700 gauge callback.
#if !defined(_WIN32)
#include "gauge_host.h"
#include "report.h"
#include "sound.h"
#include "user_interface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

namespace {

struct DirectorSwitch : testing::Test {
    std::optional<bench::gauge_host> host;

    void SetUp() override {
        platform::clear_faults();
        platform::reset_sound();
        platform::clear_message_boxes();
        platform::clear_recorded_calls();
        host.emplace(bench::find_module("director_switch"));
    }
    void TearDown() override {
        host.reset();
        platform::clear_faults();
        EXPECT_EQ(platform::live_sound_objects(), 0) << "tear-down releases every sound object";
    }
    std::size_t plays() const { return platform::played_sounds().size(); }
};

TEST_F(DirectorSwitch, TheIconShowsTheVariableAsOnOrOff) {
    host->install();
    struct {
        double value;
        int state;
    } cases[] = {{0.0, 0}, {-0.0, 0}, {1.0, 1}, {0.5, 1}, {-1.0, 1}, {std::numeric_limits<double>::quiet_NaN(), 0},
                 {std::numeric_limits<double>::infinity(), 1}};
    for (const auto &c : cases) {
        host->set_variable(0x318, c.value);
        host->frame();
        EXPECT_EQ(host->view(host->elements()[1]).state, c.state) << c.value;
        // Version 700 icons draw state k from bitmap_id + k: 1010 off, 1011 on.
        bench::image picture = host->render();
        const bench::image *expected = host->bitmap(1010 + c.state);
        int matching = 0, opaque = 0;
        for (int y = 0; y < 55; ++y)
            for (int x = 0; x < 18; ++x)
                if (expected->at(x, y).a != 0) {
                    ++opaque;
                    bench::rgba pixel = expected->at(x, y);
                    matching += picture.at(x, y) == bench::rgba{pixel.r, pixel.g, pixel.b, 255};
                }
        EXPECT_EQ(matching, opaque) << "the picture of state " << c.state;
    }
}

TEST_F(DirectorSwitch, AClickPlaysTheSoundThenSendsItsKeyEvent) {
    host->install();
    host->frame();
    host->clear_calls();
    std::size_t platform_calls = platform::recorded_calls().size();
    EXPECT_EQ(host->click(9, 30).outcome, "callback returned 0");
    ASSERT_EQ(plays(), 1u);
    ASSERT_EQ(host->key_events().size(), 1u);
    EXPECT_EQ(host->key_events()[0].event, 0x102F0u);
    EXPECT_EQ(host->key_events()[0].value, 1u);
    std::vector<platform::call_record> calls = platform::recorded_calls();
    std::size_t play_at = platform_calls;
    while (play_at < calls.size() && calls[play_at].call != "IDirectSoundBuffer::Play")
        ++play_at;
    ASSERT_LT(play_at, calls.size());
    ASSERT_EQ(host->calls().size(), 1u);
    EXPECT_GT(host->calls()[0].platform_calls_before, play_at) << "the sound is asked for before the key event";

    nlohmann::ordered_json state = bench::state_json(*host);
    ASSERT_EQ(state["sounds"].size(), 1u);
    EXPECT_EQ(state["sounds"][0]["resource"], 30000);
    EXPECT_EQ(state["sounds"][0]["bytes"], 1598);
    EXPECT_EQ(state["sounds"][0]["flags"], "0x0");
}

TEST_F(DirectorSwitch, AClickWhileTheClickStillSoundsSendsOnlyTheKeyEvent) {
    host->install();
    host->click(9, 30);
    host->click(9, 30);
    EXPECT_EQ(plays(), 1u) << "one buffer, still playing";
    host->frame();
    host->frame();
    host->frame(); // three frames outlast the 145 ms click
    host->click(9, 30);
    EXPECT_EQ(plays(), 2u);
    EXPECT_EQ(host->key_events().size(), 3u);
}

TEST_F(DirectorSwitch, WithoutDirectSoundItWarnsOncePerSetUpAndStillSendsItsEvent) {
    platform::fail_call("DirectSoundCreate", 1, true);
    host->install();
    std::vector<platform::message_box> boxes = platform::message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't initialize DirectSound");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].style, 0x30u);
    EXPECT_NE(boxes[0].owner, nullptr) << "owned by the host's main window";
    host->click(9, 30);
    EXPECT_EQ(plays(), 0u);
    EXPECT_EQ(host->key_events().size(), 1u);
    host->gauge_callback(12, 0);
    host->gauge_callback(3, reinterpret_cast<std::uintptr_t>(host->instance()));
    EXPECT_EQ(platform::message_boxes().size(), 2u) << "a new set-up warns again";
    EXPECT_EQ(bench::state_json(*host)["message_boxes"].size(), 2u);
}

TEST_F(DirectorSwitch, WithoutTheHostWindowTheWarningHasNoOwner) {
    platform::set_main_window(nullptr);
    host->install();
    ASSERT_EQ(platform::message_boxes().size(), 1u) << "no window to cooperate with";
    EXPECT_EQ(platform::message_boxes()[0].owner, nullptr);
}

TEST_F(DirectorSwitch, OtherServiceIdsAndAnEarlyTearDownDoNothingHarmful) {
    host->gauge_callback(12, 0); // before any set-up
    host->gauge_callback(5, 0);
    host->gauge_callback(0, 0);
    EXPECT_TRUE(platform::recorded_calls().empty());
    host->install();
    std::size_t calls = platform::recorded_calls().size();
    host->gauge_callback(5, 0);
    EXPECT_EQ(platform::recorded_calls().size(), calls);
    host->click(9, 30);
    EXPECT_EQ(plays(), 1u);
    EXPECT_TRUE(host->errors().empty());
}

TEST_F(DirectorSwitch, TheCapturedClickIsAWaveFileOfTheSamplesPlayed) {
    host->install();
    host->click(9, 30);
    std::string path = testing::TempDir() + "director_click.wav";
    std::string error;
    ASSERT_TRUE(bench::write_captured_sound(path, error)) << error;
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(bytes.size(), 44u + 1598u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(bytes[24] | bytes[25] << 8, 11025) << "the sample rate of the click";
    std::span<const std::uint8_t> resource = host->resource(30000, "WAVE");
    EXPECT_TRUE(std::search(resource.begin(), resource.end(), bytes.begin() + 44, bytes.end()) != resource.end());
    std::remove(path.c_str());
}

} // namespace
#endif
