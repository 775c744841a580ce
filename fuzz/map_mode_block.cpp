// The map mode switch's read-back of "NDPassData", on arbitrary block bytes written as the
// navigation display would, 20 bytes at a time, with clicks between: after two frames the
// icon shows mode 0 exactly when the number at byte 7 of the block reads 0.
#include "block.h"
#include "fuzz_support.h"

#include <cstdlib>

namespace {
fuzz::loaded_gauge *mode_switch;
bench::shared_block *block;
constexpr int click_one[] = {9, 22}, click_zero[] = {37, 12};
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::start_process();
    mode_switch = &fuzz::resident<fuzz::loaded_gauge>("map_mode_switch");
    mode_switch->host->install();
    mode_switch->host->initialize();
    block = &fuzz::resident<bench::shared_block>("NDPassData", 20);
    if (!block->is_open() || block->created())
        fuzz::finding("the switch made no block NDPassData");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    bench::gauge_host &host = *mode_switch->host;
    for (std::size_t at = 0; at < size; at += 20) {
        std::size_t length = std::min<std::size_t>(20, size - at);
        block->write(0, std::vector<unsigned char>(data + at, data + at + length));
        // A piece that ends with 1 byte left over clicks an area before the gauge reads it.
        if (length % 4 == 1)
            host.click(data[at] & 1 ? click_one[0] : click_zero[0], data[at] & 1 ? click_one[1] : click_zero[1]);
        host.frame();
        host.frame();
        std::vector<unsigned char> text = block->read(7, 3);
        text.push_back(0);
        int expected = std::atoi(reinterpret_cast<const char *>(text.data())) == 0 ? 1 : 0;
        int state = host.view(host.elements().at(1)).state;
        if (state != expected)
            fuzz::finding("icon state " + std::to_string(state) + ", " + std::to_string(expected) + " expected");
    }
    mode_switch->end_input();
    return 0;
}
