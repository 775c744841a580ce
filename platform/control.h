// The bench's control over the substituted Windows calls: every call is recorded, and any
// call can be made to fail on demand.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#define PLATFORM_CONTROL __attribute__((visibility("default")))

namespace platform {

struct call_record {
    std::string call;      // "FindResourceA"
    std::string arguments; // as the call saw them, for reading
    bool failed;           // made to fail by fail_call
};

// Starts a substituted call: records it and says whether it is to fail.
PLATFORM_CONTROL bool begin_call(std::string_view call, std::string arguments);

PLATFORM_CONTROL std::vector<call_record> recorded_calls();
// How many calls were made since the log was last cleared, kept or not, without copying them.
PLATFORM_CONTROL std::size_t recorded_call_count();
PLATFORM_CONTROL void clear_recorded_calls();
// Whether calls are kept in the log (they are from the start). A long run switches it off so
// that the log does not grow without bound; calls are still counted and can still be made to fail.
PLATFORM_CONTROL void keep_call_log(bool keep);

// Makes the nth next call of `call` fail (1 is the very next); with from_then_on, every one after it too.
PLATFORM_CONTROL void fail_call(std::string_view call, unsigned nth = 1, bool from_then_on = false);
PLATFORM_CONTROL void clear_faults();

// While one of these lives, calls the bench makes for itself are neither recorded nor failed.
struct PLATFORM_CONTROL bench_own_calls {
    bench_own_calls();
    ~bench_own_calls();
    bench_own_calls(const bench_own_calls &) = delete;
    bench_own_calls &operator=(const bench_own_calls &) = delete;
};

// Named file mappings live in a namespace: the one set here, else the environment variable
// GAUGE_SHM_NAMESPACE, else "gaugebench". Processes in the same namespace share their
// mappings by name; a mapping stays until its namespace is removed (see file_mappings.cpp).
PLATFORM_CONTROL void set_mapping_namespace(std::string name); // "" returns to the default
PLATFORM_CONTROL std::string mapping_namespace();
// The namespaces that hold mappings now.
PLATFORM_CONTROL std::vector<std::string> mapping_namespaces();
// Removes every mapping name of the namespace; views and handles still open keep working.
// Returns how many names were removed.
PLATFORM_CONTROL unsigned remove_mapping_namespace(const std::string &name);

// Mapping handles and views of them open now, in this process, to find leaks.
PLATFORM_CONTROL std::size_t open_mapping_handles();
PLATFORM_CONTROL std::size_t open_mapping_views();

// A pointer as the call log shows it.
PLATFORM_CONTROL std::string pointer_text(const void *pointer);

} // namespace platform
