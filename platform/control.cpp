// Call log and fault plan shared by every substituted interface family.
#include "control.h"

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {

struct fault {
    std::string call;
    unsigned calls_left; // calls still to pass before the failing one
    bool from_then_on;
};

std::vector<call_record> &call_log() {
    static std::vector<call_record> log;
    return log;
}

std::vector<fault> &fault_plan() {
    static std::vector<fault> plan;
    return plan;
}

bool take_fault(std::string_view call) {
    auto &plan = fault_plan();
    auto found = std::find_if(plan.begin(), plan.end(), [&](const fault &f) { return f.call == call; });
    if (found == plan.end())
        return false;
    if (found->calls_left > 0) {
        --found->calls_left;
        return false;
    }
    if (!found->from_then_on)
        plan.erase(found);
    return true;
}

int bench_depth = 0;
bool keeping_log = true;
std::size_t calls_made = 0; // since the log was last cleared

} // namespace

bench_own_calls::bench_own_calls() { ++bench_depth; }
bench_own_calls::~bench_own_calls() { --bench_depth; }

bool begin_call(std::string_view call, std::string arguments) {
    if (bench_depth > 0)
        return false;
    bool failed = take_fault(call);
    ++calls_made;
    if (keeping_log)
        call_log().push_back({std::string(call), std::move(arguments), failed});
    return failed;
}

std::vector<call_record> recorded_calls() { return call_log(); }
std::size_t recorded_call_count() { return calls_made; }
void clear_recorded_calls() {
    call_log().clear();
    calls_made = 0;
}
void keep_call_log(bool keep) { keeping_log = keep; }

void fail_call(std::string_view call, unsigned nth, bool from_then_on) {
    auto &plan = fault_plan();
    std::erase_if(plan, [&](const fault &f) { return f.call == call; });
    plan.push_back({std::string(call), nth > 0 ? nth - 1 : 0, from_then_on});
}

void clear_faults() { fault_plan().clear(); }

std::string pointer_text(const void *pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

} // namespace platform
