// Every gauge callback fed arbitrary doubles (NaN, infinities, denormals, huge values, -0.0)
// through the simulator's state, with clicks between: every module stays loaded and
// installed for the run, and nothing the host checks may go wrong, nor any sanitizer fire.
#include "fuzz_support.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

struct gauge_under_test {
    fuzz::loaded_gauge gauge;
    std::vector<std::uint32_t> tokens; // the simulator variables its module variables read
};
std::vector<gauge_under_test *> *gauges;

// The tokens of the module variables the gauge initialized or looked up so far.
std::vector<std::uint32_t> tokens_read(const bench::gauge_host &host) {
    std::set<std::uint32_t> tokens;
    for (const bench::service_call &call : host.calls())
        if ((call.service == "module_variable_initialize" || call.service == "module_variable_lookup") &&
            !call.arguments.empty() && call.arguments[0] != 0)
            if (std::uint32_t token = reinterpret_cast<const module_variable *>(call.arguments[0])->token)
                tokens.insert(token);
    return {tokens.begin(), tokens.end()};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::start_process();
    gauges = &fuzz::resident<std::vector<gauge_under_test *>>();
    for (const std::string &module : fuzz::built_modules()) {
        auto *tested = &fuzz::resident<gauge_under_test>(gauge_under_test{fuzz::loaded_gauge(module), {}});
        bench::gauge_host &host = *tested->gauge.host;
        host.install();
        host.initialize();
        host.generate(0);
        host.frame();
        tested->tokens = tokens_read(host);
        host.clear_calls();
        gauges->push_back(tested);
    }
    return 0;
}

// The input is steps of 10 bytes: the gauge, then what to do (set one of its variables to the
// double in the last 8 bytes, or click at the point in the next 2), and a frame of that gauge.
// The gauges touched are drawn at the end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::set<gauge_under_test *> touched;
    for (std::size_t at = 0; at + 10 <= size; at += 10) {
        gauge_under_test &tested = *(*gauges)[data[at] % gauges->size()];
        bench::gauge_host &host = *tested.gauge.host;
        std::uint8_t action = data[at + 1];
        if (action < 0xF0 && !tested.tokens.empty()) {
            double value;
            std::memcpy(&value, data + at + 2, sizeof value);
            host.set_variable(tested.tokens[action % tested.tokens.size()], value);
        } else {
            host.click(data[at + 2], data[at + 3]);
        }
        host.frame();
        host.clear_calls();
        touched.insert(&tested);
    }
    for (gauge_under_test *tested : touched) {
        tested->gauge.host->render();
        tested->gauge.end_input();
    }
    return 0;
}
