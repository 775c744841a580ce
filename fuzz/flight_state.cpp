// The bench's flight-state reader, on arbitrary file contents.
#include "panel.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::vector<std::string> errors;
    [[maybe_unused]] bench::flight_state state = bench::read_flight_state(in, "fuzz.state", errors);
    return 0;
}
