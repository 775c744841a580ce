// What every fuzz target shares: a process of its own for shared blocks and files, the
// modules it drives loaded once, and a finding stopped as a crash that libFuzzer saves.
#pragma once

#include "control.h"
#include "gauge_host.h"

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

namespace fuzz {

inline const std::string process_prefix = "gauge-fuzz-";

// Gives this process a mapping namespace and a scratch working directory of its own, both
// removed at exit; those of fuzzing processes that no longer run go too.
inline void start_process() {
    namespace fs = std::filesystem;
    auto gone = [](const std::string &name) {
        long pid = std::strtol(name.c_str() + process_prefix.size(), nullptr, 10);
        return pid > 0 && kill(pid_t(pid), 0) != 0 && errno == ESRCH;
    };
    for (const std::string &name : platform::mapping_namespaces())
        if (name.starts_with(process_prefix) && gone(name))
            platform::remove_mapping_namespace(name);
    std::error_code ignored;
    for (const fs::directory_entry &entry : fs::directory_iterator(fs::temp_directory_path(), ignored))
        if (entry.path().filename().string().starts_with(process_prefix) && gone(entry.path().filename().string()))
            fs::remove_all(entry.path(), ignored);

    static const std::string name = process_prefix + std::to_string(getpid());
    static const fs::path scratch = fs::temp_directory_path() / name;
    platform::set_mapping_namespace(name);
    fs::create_directories(scratch);
    fs::current_path(scratch);
    std::atexit([] {
        std::error_code ignored;
        platform::remove_mapping_namespace(name);
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(scratch, ignored);
    });
}

// An object that lives to the end of the process and is never destroyed. The platform's
// state is built as the run first needs it and destroyed at exit before objects built
// earlier; a gauge killed at exit after that would use it.
template <typename Object, typename... Arguments> Object &resident(Arguments &&...arguments) {
    return *new Object(std::forward<Arguments>(arguments)...);
}

// The modules of the build's modules directory, sorted.
inline std::vector<std::string> built_modules() {
    std::vector<std::string> modules;
    for (const auto &entry : std::filesystem::directory_iterator(bench::program_directory() + "/../modules"))
        modules.push_back(entry.path().string());
    std::sort(modules.begin(), modules.end());
    if (modules.empty())
        std::abort();
    return modules;
}

// Keeps every built module mapped for the whole run, though the bench unloads it: libFuzzer
// reads the coverage counters of every module it has seen, at the address where it saw them.
// A module's own state therefore also lasts from one load to the next.
inline void keep_modules_mapped() {
    for (const std::string &module : built_modules())
        if (dlopen(module.c_str(), RTLD_NOW | RTLD_NODELETE) == nullptr)
            std::abort();
}

// Stops the run as a crash: libFuzzer saves the input that led here.
[[noreturn]] inline void finding(const std::string &what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// A gauge module loaded once for the whole run, with the count of host errors already seen.
struct loaded_gauge {
    std::unique_ptr<bench::gauge_host> host;
    std::size_t errors_seen = 0;

    explicit loaded_gauge(const std::string &module) : host(std::make_unique<bench::gauge_host>(bench::find_module(module))) {}
    // Ends one input: every fault the host records is a finding. The call logs are emptied,
    // so that an input allocates no more than it frees (else libFuzzer looks for leaks each time).
    void end_input() {
        const std::vector<std::string> &errors = host->errors();
        if (errors.size() > errors_seen)
            finding(host->path() + ": the host reports: " + errors[errors_seen]);
        host->clear_calls();
        platform::clear_recorded_calls();
    }
};

} // namespace fuzz
