// The bench's panel.cfg reader, on arbitrary file contents.
#include "panel.h"

#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::vector<std::string> errors;
    bench::panel_layout layout = bench::read_panel_cfg(in, "fuzz.cfg", errors);
    // A file without a window section of gauge lines is always reported.
    if (layout.section.empty() && errors.empty())
        std::abort();
    return 0;
}
