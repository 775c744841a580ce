// The scenario runner, on arbitrary scenario files. A scenario may load only the build's
// modules and write only into the scratch directory (no path separators), and runs at most
// a bounded number of frames.
#include "fuzz_support.h"
#include "scenario.h"

#include <filesystem>
#include <sstream>

namespace {
constexpr int most_frames = 200;
struct frame_budget_spent {};
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::start_process();
    fuzz::keep_modules_mapped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    if (text.find_first_of("/\\") != std::string::npos)
        return 0;
    std::istringstream in(text);
    int frames = 0;
    try {
        bench::run_scenario("fuzz.scn", in, [&](bench::gauge_host &) {
            if (++frames > most_frames)
                throw frame_budget_spent{};
        });
    } catch (const frame_budget_spent &) {
    }
    // What the scenario left goes: pictures, blocks, the platform's call log.
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(std::filesystem::current_path()))
        std::filesystem::remove_all(entry.path(), ignored);
    platform::remove_mapping_namespace(platform::mapping_namespace());
    platform::clear_recorded_calls();
    return 0;
}
