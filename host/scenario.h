// Scenarios: small line-based scripts that load a gauge, drive it as the panel system would
// and state what must follow. The language is described in docs/scenarios.md.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace bench {

struct scenario_result {
    bool passed = false;
    int expectations = 0; // checked and met
    std::string failure;  // "file:line: expected ..., found ..." when not passed
};

class gauge_host;
// Called after every frame the scenario runs, with the host it ran on.
using frame_observer = std::function<void(gauge_host &)>;

// Runs the scenario in `text`, named `file` in its messages; stops at the first failed
// expectation or bad line.
scenario_result run_scenario(const std::string &file, std::istream &text, const frame_observer &observe = {});

// `gaugebench run SCENARIO...`: runs each file, reports each, exits 1 at the first failure
// and 2 for bad usage.
int run_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors);

} // namespace bench
