// The gear panel's poll of the first word of "QUORVAL_COM_IPC", on arbitrary words written
// by the module that publishes it: after each frame the plain background is hidden exactly
// while the word is non-zero.
#include "block.h"
#include "fuzz_support.h"

#include <cstring>

namespace {
fuzz::loaded_gauge *gear;
bench::shared_block *block;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::start_process();
    // The publishing module comes first; the gauge opens its mapping.
    block = &fuzz::resident<bench::shared_block>("QUORVAL_COM_IPC", 0);
    gear = &fuzz::resident<fuzz::loaded_gauge>("gear_panel");
    gear->host->install();
    gear->host->initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    bench::gauge_host &host = *gear->host;
    for (std::size_t at = 0; at + 4 <= size; at += 4) {
        std::uint32_t word;
        std::memcpy(&word, data + at, 4);
        block->write(0, std::vector<unsigned char>(data + at, data + at + 4));
        host.frame();
        bool hidden = (host.elements().at(1)->image_flags & image_hidden) != 0;
        if (hidden != (word != 0))
            fuzz::finding("word " + bench::hex_text(word) + ": overlay hidden " + std::to_string(hidden));
    }
    gear->end_input();
    return 0;
}
