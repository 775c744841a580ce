// A real other module: a second process writes the map mode switch's "NDPassData" and the
// gear panel's "QUORVAL_COM_IPC" as fast as it can, for a bounded time, while both gauges
// update in this one. Neither side locks. The ten-byte mode text is copied byte by byte, so
// a read may mix the bytes of writes that overlap it, each byte from one of them; the gear
// word is one aligned 32-bit store and one aligned 32-bit load, which cannot mix at all.
//
// GAUGE_PEER_SECONDS sets the time the peer writes (default 2).
#if !defined(_WIN32)
#include "gauge_host.h"
#include "shared_blocks.h"

#include "platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <set>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the peer writes in turn. Every byte 7 is a digit 1 to 9, so that any mix of them
// still reads as a mode other than 0.
constexpr char mode_texts[][11] = {"NDMode=1\0\0", "NDMode=23\0", "NDMode=456", "NDMode=7\0\0"};
constexpr std::size_t mode_count = std::size(mode_texts);
// Neither word is 0, but a word mixed of their bytes could be.
constexpr std::uint32_t gear_words[] = {0x000000FFu, 0xFF000000u};

struct peer_report {
    unsigned long long writes;
    std::size_t last; // index of the last write
};

double peer_seconds() {
    const char *set = std::getenv("GAUGE_PEER_SECONDS");
    double seconds = set != nullptr ? std::strtod(set, nullptr) : 0;
    return seconds > 0 ? seconds : 2.0;
}

// The second process: opens both blocks as a panel module would and writes until the
// deadline, then reports through `report` and ends without running this process's exit code.
[[noreturn]] void be_the_peer(double seconds, int report) {
    HANDLE mode_mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, "NDPassData");
    HANDLE gear_mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, "QUORVAL_COM_IPC");
    auto *mode_view = static_cast<char *>(MapViewOfFile(mode_mapping, FILE_MAP_WRITE, 0, 0, 0));
    auto *gear_word = static_cast<volatile std::uint32_t *>(MapViewOfFile(gear_mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (mode_view == nullptr || gear_word == nullptr)
        _exit(2);
    peer_report done{0, 0};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (std::size_t i = 0; std::chrono::steady_clock::now() < deadline; ++i) {
        std::memcpy(mode_view, mode_texts[i % mode_count], 10);
        *gear_word = gear_words[i % 2];
        done = {done.writes + 1, i};
    }
    bool sent = write(report, &done, sizeof done) == sizeof done;
    _exit(sent ? 0 : 3);
}

TEST(RealPeer, GaugesShowOnlyWhatTheOtherProcessWroteWhileItWritesWithoutALock) {
    blocks::forget_earlier_blocks();
    bench::gauge_host gear(bench::find_module("gear_panel"));
    bench::gauge_host mode(bench::find_module("map_mode_switch"));
    gear.install();
    mode.install();
    for (std::uint32_t token : {0x14Cu, 0x14Du, 0x14Eu})
        gear.set_variable(token, 16384);
    const element_header *overlay = gear.elements().at(1);
    const element_header *mode_icon = mode.elements().at(1);
    ASSERT_EQ(overlay->image_flags & image_hidden, 0u) << "nothing published yet";

    int report[2];
    ASSERT_EQ(pipe(report), 0);
    double seconds = peer_seconds();
    pid_t peer = fork();
    ASSERT_GE(peer, 0);
    if (peer == 0) {
        close(report[0]);
        be_the_peer(seconds, report[1]);
    }
    close(report[1]);

    auto started = std::chrono::steady_clock::now();
    auto give_up = started + std::chrono::duration<double>(seconds + 30);
    unsigned long long frames = 0, frames_fed = 0;
    std::set<int> lights_seen;
    int status = 0;
    bool fed = false;
    while (waitpid(peer, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < give_up) {
        gear.frame();
        mode.frame();
        ++frames;
        bool hidden = (overlay->image_flags & image_hidden) != 0;
        if (fed) {
            ++frames_fed;
            ASSERT_TRUE(hidden) << "frame " << frames << ": the gear word read as 0, mixed of two writes";
            lights_seen.insert(gear.view(gear.elements().at(2)).state);
        }
        fed = fed || hidden;
        ASSERT_EQ(mode.view(mode_icon).state, 0) << "frame " << frames << ": the mode read as 0";
    }
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (std::chrono::steady_clock::now() >= give_up) {
        kill(peer, SIGKILL);
        waitpid(peer, &status, 0);
        FAIL() << "the peer did not end";
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "peer status " << status;
    peer_report done{};
    ASSERT_EQ(read(report[0], &done, sizeof done), ssize_t(sizeof done));
    close(report[0]);
    EXPECT_TRUE(fed) << "the gauges saw the peer's writes";
    EXPECT_GT(done.writes, 0u);

    // Once the peer has stopped, one update takes its last write whole, and the switch's next
    // install publishes exactly that text.
    mode.frame();
    gear.frame();
    mode.kill();
    mode.install();
    bench::shared_block block("NDPassData", 20);
    std::vector<unsigned char> published = block.read(0, 10);
    EXPECT_EQ(published, blocks::bytes_of(std::string(mode_texts[done.last % mode_count], 10)));
    bench::shared_block word("QUORVAL_COM_IPC", 0);
    std::vector<unsigned char> bytes = word.read(0, 4);
    std::uint32_t last_word = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    EXPECT_EQ(last_word, gear_words[done.last % 2]);
    EXPECT_EQ(lights_seen, std::set<int>{0}) << "the lights show whenever the word is not 0";
    EXPECT_TRUE(gear.errors().empty());
    EXPECT_TRUE(mode.errors().empty());
    std::cout << "[ peer     ] " << elapsed << " s: the peer wrote both blocks " << done.writes
              << " times; each gauge updated " << frames << " times, " << frames_fed << " of them after the first write\n";
    mode.kill();
    gear.kill();
    blocks::forget_earlier_blocks();
}

} // namespace
#endif
