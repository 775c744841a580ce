// gauge_performance: what each gauge costs the simulator per frame, how small the Windows
// modules are, and how fast the bench draws the panel, against their budgets, as one table.
//
//   gauge_performance [--win32 DIR] [--frames N] [Google Benchmark options]
//   gauge_performance --count MODULE N     (run N frames; the program runs itself so under callgrind)
#include "measures.h"

#include "control.h"
#include "gauge_host.h"
#include "panel.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t instruction_budget = 1000;   // per update, each gauge's own code
constexpr double frames_per_second_budget = 2000;    // the whole default panel, evaluated and rendered
constexpr std::uint64_t code_budget = 16 * 1024;     // a Windows module beyond its resources
constexpr std::uint32_t altitude_token = 0x4A;

std::vector<std::string> deliverables() {
    std::vector<std::string> names;
    std::stringstream list(GAUGE_DELIVERABLE_LIST);
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    return names;
}

bench::flight_state default_state() {
    std::vector<std::string> errors;
    std::istringstream in(bench::default_flight_state);
    return bench::read_flight_state(in, "(built-in flight state)", errors);
}

// The default flight state, climbing at 2,500 feet a minute, 18 frames a second, so that the
// altimeter's drums keep turning; after ten minutes it starts the climb again.
double climbing_altitude(std::uint64_t frame) { return 12000 + double(frame % 10800) * 2500 / 60 / 18; }

// A gauge loaded, given the default flight state, installed and initialized, as the panel holds it.
struct running_gauge {
    bench::gauge_host host;
    std::uint64_t frames = 0;

    explicit running_gauge(const std::string &module) : host(bench::find_module(module)) {
        for (const auto &[token, value] : default_state())
            host.set_variable(token, value);
        host.query();
        host.install();
        host.initialize();
        host.generate(0);
    }
    ~running_gauge() { host.kill(); }

    // The bench logs every service and Windows call; emptied at each frame, the logs keep
    // their size however long a benchmark runs.
    void frame() {
        host.set_variable(altitude_token, climbing_altitude(frames++));
        host.frame();
        host.clear_calls();
        platform::clear_recorded_calls();
    }
};

} // namespace

// The frames callgrind counts (--toggle-collect=measured_frames): nothing of the set-up.
extern "C" __attribute__((noinline)) void measured_frames(running_gauge &gauge, int frames) {
    for (int i = 0; i < frames; ++i)
        gauge.frame();
}

namespace {

int count_frames(const std::string &module, int frames) {
    running_gauge gauge(module);
    for (int i = 0; i < 18; ++i) // the first frames bind symbols and fill the bench's caches
        gauge.frame();
    measured_frames(gauge, frames);
    return gauge.host.errors().empty() ? 0 : 1;
}

void update_cycle(benchmark::State &state, const std::string &module) {
    running_gauge gauge(module);
    for (auto _ : state)
        gauge.frame();
}

// Keeps each benchmark's CPU time per iteration, in nanoseconds, and prints nothing.
struct collector : benchmark::BenchmarkReporter {
    std::map<std::string, double> nanoseconds;
    bool ReportContext(const Context &) override { return true; }
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs)
            if (!run.error_occurred && run.iterations > 0) {
                nanoseconds[run.benchmark_name()] = run.cpu_accumulated_time / double(run.iterations) * 1e9;
                std::cerr << "  " << run.benchmark_name() << ": " << nanoseconds[run.benchmark_name()] << " ns\n";
            }
    }
};

std::string shell_word(const std::string &text) { return "'" + text + "'"; }

// Runs `frames` frames of the module under callgrind and splits the instructions counted.
bool count_instructions(const std::string &module, int frames, const std::string &work,
                        performance::instruction_split &split, std::string &error) {
    std::string program = std::filesystem::canonical("/proc/self/exe").string();
    std::string profile = work + "/" + module + ".callgrind", log = work + "/" + module + ".log";
    std::string command = "LD_BIND_NOW=1 valgrind --tool=callgrind --toggle-collect=measured_frames "
                          "--compress-strings=no --compress-pos=no --callgrind-out-file=" +
                          shell_word(profile) + " " + shell_word(program) + " --count " + module + " " +
                          std::to_string(frames) + " >" + shell_word(log) + " 2>&1";
    if (std::system(command.c_str()) != 0) {
        error = "callgrind run failed, see " + log;
        return false;
    }
    return performance::read_callgrind(profile, bench::find_module(module), "libgauge_platform", split, error);
}

std::string windows_file(const std::string &directory, const std::string &module) {
    for (const char *suffix : {".gau", ".dll"})
        if (std::filesystem::exists(directory + "/" + module + suffix))
            return directory + "/" + module + suffix;
    return "";
}

std::string with_commas(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits;
}

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char *met(bool ok) { return ok ? "met" : "**missed**"; }

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string(argv[1]) == "--count")
        return count_frames(argv[2], std::atoi(argv[3]));

    std::string program_dir = bench::program_directory();
    std::string win32 = program_dir + "/../../win32/modules";
    int frames = 1000;
    std::vector<char *> passed = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--win32" && i + 1 < argc)
            win32 = argv[++i];
        else if (argument == "--frames" && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
        else
            passed.push_back(argv[i]);
    }
    int passed_count = int(passed.size());
    benchmark::Initialize(&passed_count, passed.data());

    double load_before[3] = {};
    getloadavg(load_before, 3);
    std::vector<std::string> names = deliverables();
    for (const std::string &name : names)
        benchmark::RegisterBenchmark(("update/" + name).c_str(), update_cycle, name);
    collector timings;
    std::cerr << "Google Benchmark, CPU time per iteration:\n";
    benchmark::RunSpecifiedBenchmarks(&timings);

    std::string work = program_dir + "/../callgrind";
    std::filesystem::create_directories(work);
    std::cerr << "callgrind, " << frames << " frames each:\n";
    std::map<std::string, performance::instruction_split> counts;
    std::vector<std::string> faults;
    for (const std::string &name : names) {
        std::string error;
        performance::instruction_split split;
        if (count_instructions(name, frames, work, split, error)) {
            counts[name] = split;
            std::cerr << "  " << name << ": " << (split.gauge + split.runtime) / frames << " instructions\n";
        } else {
            faults.push_back(name + ": " + error);
        }
    }
    double load_after[3] = {};
    getloadavg(load_after, 3);

    std::cout << "| Gauge | Update cycle (ns) | Own instructions / update (C library in it) | < 1,000 | "
                 "Windows calls / update | Bench host / update | Windows module (bytes) | Resources | "
                 "Code and headers | ≤ resources + 16 KiB | Imports | Unwind tables |\n"
              << "|---|--:|--:|---|--:|--:|--:|--:|--:|---|---|--:|\n";
    for (const std::string &name : names) {
        std::cout << "| " << name << " | ";
        auto timing = timings.nanoseconds.find("update/" + name);
        std::cout << (timing != timings.nanoseconds.end() ? fixed(timing->second, 0) : "—") << " | ";
        if (auto count = counts.find(name); count != counts.end()) {
            std::uint64_t own = (count->second.gauge + count->second.runtime) / std::uint64_t(frames);
            const performance::instruction_split &split = count->second;
            auto per_frame = [&](std::uint64_t instructions) { return with_commas(instructions / std::uint64_t(frames)); };
            std::cout << with_commas(own) << " (" << per_frame(split.runtime) << ") | " << met(own < instruction_budget)
                      << " | " << per_frame(split.windows) << " | "
                      << per_frame(split.total - split.gauge - split.runtime - split.windows) << " | ";
        } else {
            std::cout << "— | — | — | — | ";
        }
        performance::windows_module module;
        std::string error, file = windows_file(win32, name);
        if (!file.empty() && performance::read_windows_module(file, module, error)) {
            std::string imports;
            for (const std::string &import : module.imports)
                imports += (imports.empty() ? "" : ", ") + import;
            std::cout << with_commas(module.file_size) << " | " << with_commas(module.resources) << " | "
                      << with_commas(module.file_size - module.resources) << " | "
                      << met(module.file_size <= module.resources + code_budget) << " | " << imports << " | "
                      << with_commas(module.exception_tables) << " |\n";
        } else {
            std::cout << "— | — | — | — | — | — |\n";
            faults.push_back(name + ": " + (file.empty() ? "no Windows module in " + win32 : error));
        }
    }
    std::cout << "\nLoad average (1 min) " << fixed(load_before[0], 2) << " before, " << fixed(load_after[0], 2)
              << " after; Google Benchmark CPU time per frame; instructions counted by callgrind over " << frames
              << " frames.\n";
    for (const std::string &fault : faults)
        std::cout << "not measured: " << fault << "\n";
    (void)frames_per_second_budget;
    return faults.empty() ? 0 : 1;
}
