// The click-sound player as a unit, against the software sound device: the wave walk, the
// buffer pool, lost buffers and every failure path.
#if !defined(_WIN32)
#include "click_sound.h"
#include "gauge_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Builds a RIFF/WAVE resource from chunks; `riff_length` overrides the length field.
// The RIFF header with its length still to be filled in.
constexpr std::uint8_t riff_header[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};

struct wave_bytes {
    std::vector<std::uint8_t> bytes{std::begin(riff_header), std::end(riff_header)};

    wave_bytes &chunk(const char *id, std::uint32_t length, std::uint8_t fill = 0x80) {
        bytes.insert(bytes.end(), id, id + 4);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(std::uint8_t(length >> shift));
        bytes.insert(bytes.end(), length, fill);
        if (length & 1)
            bytes.push_back(0);
        return *this;
    }
    wave_bytes &pad(std::size_t zeros) {
        bytes.insert(bytes.end(), zeros, 0);
        return *this;
    }
    std::vector<std::uint8_t> done(std::int64_t riff_length = -1) {
        std::uint32_t length = riff_length < 0 ? std::uint32_t(bytes.size() - 8) : std::uint32_t(riff_length);
        std::memcpy(&bytes[4], &length, 4);
        return bytes;
    }
};

struct parsed {
    HRESULT status;
    std::ptrdiff_t format_at, data_at; // offsets into the resource, -1 for none
    std::uint32_t size;
};

parsed parse(const std::vector<std::uint8_t> &resource) {
    WAVEFORMATEX *format = nullptr;
    const std::uint8_t *data = nullptr;
    std::uint32_t size = 0;
    HRESULT status = wave_parse(resource.data(), std::uint32_t(resource.size()), &format, &data, &size);
    auto at = [&](const void *p) { return p ? static_cast<const std::uint8_t *>(p) - resource.data() : -1; };
    return {status, at(format), at(data), size};
}

TEST(WaveWalk, AcceptsWhatTheFormatAllowsAndRejectsWhatItDoesNot) {
    std::uint32_t whole_length = 12 + 8 + 16 + 8 + 10 - 8;
    struct {
        const char *layout;
        std::vector<std::uint8_t> resource;
        parsed expected;
    } cases[] = {
        {"fmt then data", wave_bytes().chunk("fmt ", 16).chunk("data", 10).done(), {0, 20, 44, 10}},
        {"data then fmt", wave_bytes().chunk("data", 10).chunk("fmt ", 16).done(), {0, 38, 20, 10}},
        {"odd chunk and its pad byte", wave_bytes().chunk("LIST", 5).chunk("fmt ", 16).chunk("data", 3).done(),
         {0, 34, 58, 3}},
        {"zeros after the RIFF body", wave_bytes().chunk("fmt ", 16).chunk("data", 10).pad(400).done(whole_length),
         {0, 20, 44, 10}},
        {"the smallest format", wave_bytes().chunk("fmt ", 14).chunk("data", 2).done(), {0, 20, 42, 2}},
        {"format too short", wave_bytes().chunk("fmt ", 13).chunk("data", 2).done(), {sound_failed, -1, -1, 0}},
        {"no data chunk", wave_bytes().chunk("fmt ", 16).chunk("LIST", 4).done(), {sound_failed, 20, -1, 0}},
        {"not RIFF", [] { auto b = wave_bytes().chunk("fmt ", 16).chunk("data", 2).done(); b[0] = 'X'; return b; }(),
         {sound_failed, -1, -1, 0}},
        {"not WAVE", [] { auto b = wave_bytes().chunk("fmt ", 16).chunk("data", 2).done(); b[11] = 'X'; return b; }(),
         {sound_failed, -1, -1, 0}},
        {"empty RIFF body", wave_bytes().done(4), {sound_failed, -1, -1, 0}},
        // A chunk that claims more than the RIFF body or the resource holds is not read.
        {"data past the RIFF body", wave_bytes().chunk("fmt ", 16).chunk("data", 10).done(40),
         {sound_failed, 20, -1, 0}},
        {"data past the resource", [] {
             auto b = wave_bytes().chunk("fmt ", 16).chunk("data", 10).done(1000);
             b[40] = 0xFF; // the data chunk now claims 255 bytes
             return b;
         }(),
         {sound_failed, 20, -1, 0}},
        {"RIFF length beyond the resource, chunks inside", wave_bytes().chunk("fmt ", 16).chunk("data", 10).done(5000),
         {0, 20, 44, 10}},
        {"a truncated chunk header", [] {
             auto b = wave_bytes().chunk("fmt ", 16).done();
             b.insert(b.end(), {'d', 'a', 't'});
             return wave_bytes{b}.done();
         }(),
         {sound_failed, 20, -1, 0}},
    };
    for (const auto &c : cases) {
        parsed got = parse(c.resource);
        EXPECT_EQ(got.status, c.expected.status) << c.layout;
        EXPECT_EQ(got.format_at, c.expected.format_at) << c.layout;
        EXPECT_EQ(got.data_at, c.expected.data_at) << c.layout;
        EXPECT_EQ(got.size, c.expected.size) << c.layout;
    }
}

TEST(WaveWalk, AbsentOutputsAreNotWaitedFor) {
    auto resource = wave_bytes().chunk("data", 10).chunk("fmt ", 16).done();
    const std::uint8_t *data = nullptr;
    std::uint32_t size = 0;
    EXPECT_EQ(wave_parse(resource.data(), std::uint32_t(resource.size()), nullptr, &data, &size), sound_ok);
    EXPECT_EQ(data, resource.data() + 20);
    WAVEFORMATEX *format = nullptr;
    EXPECT_EQ(wave_parse(resource.data(), std::uint32_t(resource.size()), &format, nullptr, nullptr), sound_ok);
    EXPECT_EQ(reinterpret_cast<std::uint8_t *>(format), resource.data() + 38);
}

// A device opened on a module that carries the click as WAVE 30000 and as WAV 30001.
struct Player : testing::Test {
    bench::gauge_host host{bench::find_module("probe_sounds")};
    int window = 0;
    std::vector<sound_object *> objects;

    void SetUp() override {
        platform::clear_faults();
        platform::reset_sound();
    }
    void TearDown() override {
        for (sound_object *object : objects)
            sound_object_destroy(object);
        sound_device_close();
        platform::clear_faults();
        EXPECT_EQ(platform::live_sound_objects(), 0) << "every device and buffer is released";
    }
    HRESULT open() { return sound_device_open(&window, static_cast<HMODULE>(host.instance())); }
    sound_object *make(std::uint32_t count, std::uint32_t id = 30000) {
        sound_object *object = sound_object_create(MAKEINTRESOURCEA(id), count);
        if (object)
            objects.push_back(object);
        return object;
    }
    std::vector<int> buffers_played() {
        std::vector<int> numbers;
        for (const platform::played_sound &sound : platform::played_sounds())
            numbers.push_back(sound.buffer);
        return numbers;
    }
    static constexpr double click_ms = 1598 * 1000.0 / 11025;
};

TEST_F(Player, FourQuickPlaysOnThreeBuffersTakeThemInTurn) {
    ASSERT_EQ(open(), sound_ok);
    sound_object *object = make(3);
    ASSERT_NE(object, nullptr);
    for (int play = 0; play < 4; ++play)
        EXPECT_EQ(sound_object_play(object, 0), sound_ok);
    std::vector<int> numbers = buffers_played();
    ASSERT_EQ(numbers.size(), 4u);
    EXPECT_EQ((std::vector<int>{numbers[1] - numbers[0], numbers[2] - numbers[0], numbers[3] - numbers[0]}),
              (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(object->current_buffer, 0u);
    // Duplicates share the first buffer's samples, which are the resource's data chunk.
    EXPECT_EQ(platform::played_sounds()[1].samples.size(), 1598u);
    EXPECT_EQ(platform::played_sounds()[1].samples, platform::played_sounds()[0].samples);
}

TEST_F(Player, APlayAfterTheLastFinishedReusesItsEntry) {
    ASSERT_EQ(open(), sound_ok);
    sound_object *object = make(3);
    ASSERT_NE(object, nullptr);
    sound_object_play(object, 0);
    platform::advance_sound_clock(click_ms + 1);
    sound_object_play(object, 0);
    std::vector<int> numbers = buffers_played();
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_EQ(numbers[0], numbers[1]);
    EXPECT_EQ(object->current_buffer, 0u);
}

TEST_F(Player, OneBufferStillPlayingIsLeftAloneAndACountOfZeroMeansOne) {
    ASSERT_EQ(open(), sound_ok);
    sound_object *object = make(0);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->buffer_count, 1u);
    EXPECT_EQ(sound_object_play(object, 0), sound_ok);
    EXPECT_EQ(sound_object_play(object, 0), sound_failed);
    EXPECT_EQ(buffers_played().size(), 1u);
    platform::advance_sound_clock(click_ms + 1);
    EXPECT_EQ(sound_object_play(object, 0), sound_ok);
}

TEST_F(Player, LoopingIsRefusedOnAPoolAndPlaysOnOneBuffer) {
    ASSERT_EQ(open(), sound_ok);
    sound_object *pool = make(3);
    sound_object *single = make(1);
    ASSERT_TRUE(pool && single);
    EXPECT_EQ(sound_object_play(pool, 0x1), sound_failed);
    EXPECT_TRUE(buffers_played().empty());
    EXPECT_EQ(sound_object_play(single, 0x1), sound_ok);
    ASSERT_EQ(platform::played_sounds().size(), 1u);
    EXPECT_EQ(platform::played_sounds()[0].flags, 0x1u);
    platform::advance_sound_clock(100 * click_ms);
    DWORD status = 0;
    single->buffers[0]->GetStatus(&status);
    EXPECT_TRUE(status & 0x1) << "a looped sound plays until stopped";
    EXPECT_EQ(sound_object_stop(single), sound_ok);
    single->buffers[0]->GetStatus(&status);
    EXPECT_FALSE(status & 0x1);
}

TEST_F(Player, ALostBufferIsRestoredAndRefilledBeforeItPlays) {
    ASSERT_EQ(open(), sound_ok);
    sound_object *object = make(1);
    ASSERT_NE(object, nullptr);
    sound_object_play(object, 0);
    platform::advance_sound_clock(click_ms + 1);
    platform::lose_sound_buffer(buffers_played()[0]);
    EXPECT_EQ(sound_object_play(object, 0), sound_ok);
    ASSERT_EQ(platform::played_sounds().size(), 2u);
    EXPECT_EQ(platform::played_sounds()[1].samples, platform::played_sounds()[0].samples) << "refilled, not silent";

    platform::advance_sound_clock(click_ms + 1);
    platform::lose_sound_buffer(buffers_played()[0]);
    platform::fail_call("IDirectSoundBuffer::Restore");
    EXPECT_EQ(sound_object_play(object, 0), sound_failed) << "this one play does nothing";
    EXPECT_EQ(sound_object_play(object, 0), sound_ok) << "the next one restores it";
}

TEST_F(Player, AResourceStoredAsWavIsFound) {
    ASSERT_EQ(open(), sound_ok);
    EXPECT_NE(make(1, 30001), nullptr);
    EXPECT_EQ(make(1, 30002), nullptr) << "no such resource";
}

TEST_F(Player, WithoutADeviceNothingIsMadeAndNothingPlays) {
    for (const char *failing : {"DirectSoundCreate", "IDirectSound::SetCooperativeLevel"}) {
        platform::fail_call(failing);
        EXPECT_EQ(open(), sound_failed) << failing;
        EXPECT_EQ(make(1), nullptr) << failing;
        EXPECT_EQ(sound_object_play(nullptr, 0), sound_failed);
        EXPECT_EQ(sound_object_stop(nullptr), sound_failed);
        sound_object_destroy(nullptr);
        sound_device_close();
        EXPECT_EQ(platform::live_sound_objects(), 0) << failing;
    }
    EXPECT_EQ(sound_device_open(nullptr, static_cast<HMODULE>(host.instance())), sound_failed)
        << "no window to cooperate with";
}

TEST_F(Player, FailedBufferCallsLeaveNoBufferAndNoLeak) {
    ASSERT_EQ(open(), sound_ok);
    struct {
        const char *failing;
        unsigned nth;
        const char *also_failing;
        bool object_made;
    } cases[] = {
        {"IDirectSound::CreateSoundBuffer", 1, nullptr, true}, // entry 0 stays empty, entry 1 is made
        {"IDirectSoundBuffer::Lock", 1, nullptr, true},
        {"IDirectSound::DuplicateSoundBuffer", 1, nullptr, true}, // entry 1 gets a buffer of its own
        {"IDirectSound::CreateSoundBuffer", 2, "IDirectSound::DuplicateSoundBuffer", false},
    };
    for (const auto &c : cases) {
        platform::clear_faults();
        platform::fail_call(c.failing, c.nth);
        if (c.also_failing)
            platform::fail_call(c.also_failing);
        sound_object *object = make(2);
        EXPECT_EQ(object != nullptr, c.object_made) << c.failing << " " << c.nth;
    }
    platform::clear_faults();
    sound_object *object = make(1);
    platform::fail_call("IDirectSoundBuffer::Play");
    EXPECT_EQ(sound_object_play(object, 0), sound_failed);
    platform::fail_call("IDirectSoundBuffer::GetStatus");
    EXPECT_EQ(sound_object_play(object, 0), sound_ok) << "a failed status reads as not playing";
}

} // namespace
#endif
