// What the host recorded of a gauge, as the gauge tests compare it: the service calls it
// made and the outcomes of clicks.
#pragma once

#include "gauge_host.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

// Each service call the host recorded, named, with the token of the module variable it was
// handed for the two module-variable services ("module_variable_lookup 0x143").
inline std::vector<std::string> calls_seen(const bench::gauge_host &host) {
    std::vector<std::string> seen;
    for (const bench::service_call &call : host.calls()) {
        std::string line = call.service;
        if (call.service.starts_with("module_variable"))
            line += " " + bench::hex_text(reinterpret_cast<const module_variable *>(call.arguments[0])->token);
        seen.push_back(line);
    }
    return seen;
}

// A click at gauge coordinates and what the host made of it ("key event 0x100D8", "no click area").
struct click_case {
    int x, y;
    const char *outcome;
};

inline void expect_click_outcomes(bench::gauge_host &host, std::span<const click_case> cases) {
    for (const click_case &c : cases)
        EXPECT_EQ(host.click(c.x, c.y).outcome, c.outcome) << "click at " << c.x << "," << c.y;
}
