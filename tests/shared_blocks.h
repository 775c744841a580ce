// Shared blocks in the tests: each test process keeps its mappings in a namespace of its own
// and removes it at the end, and the bench's block command runs as a separate process.
#pragma once

#include "block.h"
#include "gauge_host.h"
#include "library.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#else
#include "control.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace blocks {

#if !defined(_WIN32)
// The namespace "gauge-tests-<pid>", set in the environment so that the bench processes a
// test starts share it. A namespace left by a test process that no longer runs goes too.
class process_namespace : public testing::Environment {
public:
    void SetUp() override {
        for (const std::string &name : platform::mapping_namespaces()) {
            if (!name.starts_with(prefix))
                continue;
            long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
            if (pid > 0 && kill(pid_t(pid), 0) != 0 && errno == ESRCH)
                platform::remove_mapping_namespace(name);
        }
        name_ = prefix + std::to_string(getpid());
        setenv("GAUGE_SHM_NAMESPACE", name_.c_str(), 1);
        platform::set_mapping_namespace("");
    }
    void TearDown() override { platform::remove_mapping_namespace(name_); }

private:
    inline static const std::string prefix = "gauge-tests-";
    std::string name_;
};
inline testing::Environment *const registered = testing::AddGlobalTestEnvironment(new process_namespace);
#endif

#if !defined(_WIN32)
// The substituted calls recorded since the log was last cleared, "MapViewOfFile failed" for
// one made to fail.
inline std::vector<std::string> platform_calls() {
    std::vector<std::string> seen;
    for (const platform::call_record &call : platform::recorded_calls())
        seen.push_back(call.call + (call.failed ? " failed" : ""));
    return seen;
}
#endif

// Starts a test with no mapping left by an earlier one. On Windows a mapping ends with its
// last holder, which every test releases.
inline void forget_earlier_blocks() {
#if !defined(_WIN32)
    platform::remove_mapping_namespace(platform::mapping_namespace());
#endif
}

// A gauge under test, and the other module of its exchange in this process.
struct gauge_and_block : testing::Test {
    std::optional<bench::gauge_host> host;
    std::optional<bench::shared_block> other_side;

    // Loads `module` afresh, with no mapping and no planned fault left by what ran before.
    void load(const char *module) {
        host.reset();
        other_side.reset();
        forget_earlier_blocks();
#if !defined(_WIN32)
        platform::clear_faults();
#endif
        host.emplace(bench::find_module(module));
    }
    void TearDown() override {
        host.reset();
        other_side.reset();
#if !defined(_WIN32)
        platform::clear_faults();
#endif
    }
};

struct bench_run {
    int status;
    std::string output; // standard output and error
};

// Runs `gaugebench ARGUMENTS` as a process of its own; the arguments hold no quotes.
inline bench_run run_bench(const std::string &arguments) {
#if defined(_WIN32)
    std::string command = "\"" + bench::program_directory() + "\\gaugebench.exe\" " + arguments + " 2>&1";
#else
    std::string command = std::string(GAUGE_TEST_EMULATOR " '") + bench::program_directory() + "/gaugebench' " +
                          arguments + " 2>&1";
#endif
    bench_run run{-1, ""};
    std::FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char chunk[4096];
    while (std::size_t read = std::fread(chunk, 1, sizeof chunk, pipe))
        run.output.append(chunk, read);
    int status = pclose(pipe);
#if defined(_WIN32)
    run.status = status;
#else
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return run;
}

inline bench_run run_block(const std::string &arguments) { return run_bench("block " + arguments); }

// The bytes of the dump lines in the block command's output ("00000010  4e 44 ...  |ND|").
inline std::vector<unsigned char> dumped_bytes(const std::string &output) {
    std::vector<unsigned char> bytes;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        auto bar = line.find("  |");
        if (line.size() < 10 || line.compare(8, 2, "  ") != 0 || bar == std::string::npos)
            continue;
        std::istringstream hex(line.substr(10, bar - 10));
        for (unsigned value; hex >> std::hex >> value;)
            bytes.push_back(static_cast<unsigned char>(value));
    }
    return bytes;
}

inline std::vector<unsigned char> bytes_of(const std::string &text) { return {text.begin(), text.end()}; }

} // namespace blocks
