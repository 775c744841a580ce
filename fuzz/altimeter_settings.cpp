// The altimeter's settings file, read at every install, on arbitrary file contents: the
// decision height it publishes is always a 32-bit unsigned whole number.
#include "fuzz_support.h"

#include <cmath>
#include <fstream>

namespace {
fuzz::loaded_gauge *altimeter;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::start_process();
    altimeter = &fuzz::resident<fuzz::loaded_gauge>("baro_altimeter");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::ofstream("vireoaspdbugs.txt", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
    bench::gauge_host &host = *altimeter->host;
    host.install();
    host.initialize();
    host.frame();
    auto named = host.named_variables();
    auto dh = named.find("vireo_DH");
    if (dh == named.end())
        fuzz::finding("no vireo_DH after install");
    if (!(dh->second >= 0 && dh->second < 4294967296.0 && dh->second == std::trunc(dh->second)))
        fuzz::finding("vireo_DH is " + std::to_string(dh->second));
    host.kill();
    altimeter->end_input();
    return 0;
}
