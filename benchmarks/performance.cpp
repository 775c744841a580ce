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

#include <algorithm>
#include <cctype>
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

bench::panel_layout default_layout() {
    std::vector<std::string> errors;
    std::istringstream in(bench::default_panel_cfg);
    return bench::read_panel_cfg(in, "(built-in panel.cfg)", errors);
}

// The default panel's line of one deliverable alone, at the panel's corner.
bench::panel_layout single_gauge(const std::string &module) {
    bench::panel_layout layout = default_layout();
    std::erase_if(layout.gauges, [&](const bench::panel_gauge &gauge) { return gauge.module != module; });
    for (bench::panel_gauge &gauge : layout.gauges)
        gauge.x = gauge.y = bench::panel_margin;
    return layout;
}

// `copies` default panels side by side, two to a row, each gauge loaded from a copy of its
// module of its own: loading one file again gives the same library and so the same gauge
// state, where each of these is a gauge of its own, as many instances of the panel would be.
bench::panel_layout copied_panels(int copies, const std::string &directory) {
    bench::panel_layout one = default_layout(), layout = one;
    layout.gauges.clear();
    bench::live_panel measured(one, {}); // for the panel's size
    for (int copy = 0; copy < copies; ++copy) {
        std::string copy_directory = directory + "/" + std::to_string(copy);
        std::filesystem::create_directories(copy_directory);
        for (bench::panel_gauge gauge : one.gauges) {
            std::string original = bench::find_module(gauge.module);
            std::string path = copy_directory + "/" + std::filesystem::path(original).filename().string();
            std::filesystem::copy_file(original, path, std::filesystem::copy_options::overwrite_existing);
            gauge.module = path;
            gauge.x += copy % 2 * measured.width();
            gauge.y += copy / 2 * measured.height();
            layout.gauges.push_back(gauge);
        }
    }
    return layout;
}

// The default flight state, climbing at 2,500 feet a minute, 18 frames a second, so that the
// altimeter's drums keep turning; after ten minutes it starts the climb again.
double climbing_altitude(std::uint64_t frame) { return 12000 + double(frame % 10800) * 2500 / 60 / 18; }

// A layout's gauges loaded, given the default flight state, installed and initialized, as the
// simulator holds them.
struct running_panel {
    bench::live_panel panel;
    std::uint64_t frames = 0;

    explicit running_panel(const bench::panel_layout &layout) : panel(layout, default_state()) {
        if (!panel.layout_errors().empty())
            throw std::runtime_error(panel.layout_errors().front());
    }

    // One frame of every gauge. The bench logs every service and Windows call; emptied at
    // each frame, the logs keep their size however long a benchmark runs.
    void frame() {
        panel.set_variable(altitude_token, climbing_altitude(frames++));
        panel.frame();
        for (bench::live_panel::gauge_in_panel &gauge : panel.gauges())
            gauge.host->clear_calls();
        platform::clear_recorded_calls();
    }
};

} // namespace

// The frames callgrind counts (--toggle-collect=measured_frames): nothing of the set-up.
extern "C" __attribute__((noinline)) void measured_frames(running_panel &gauge, int frames) {
    for (int i = 0; i < frames; ++i)
        gauge.frame();
}

namespace {

// The first frames bind symbols, decode the pictures and load the fonts: a second of frames,
// and the panel drawn, before any is measured.
void warm_up(running_panel &gauges, int scale = 1) {
    for (int i = 0; i < 18; ++i)
        gauges.frame();
    gauges.panel.render(scale);
}

int count_frames(const std::string &module, int frames) {
    running_panel gauge(single_gauge(module));
    warm_up(gauge);
    measured_frames(gauge, frames);
    return gauge.panel.gauge_errors().empty() ? 0 : 1;
}

void update_cycle(benchmark::State &state, const std::string &module) {
    running_panel gauge(single_gauge(module));
    warm_up(gauge);
    for (auto _ : state)
        gauge.frame();
}

// One frame of every gauge of the layout, and the whole panel drawn.
void panel_frame(benchmark::State &state, const bench::panel_layout &layout, int scale) {
    running_panel gauges(layout);
    warm_up(gauges, scale);
    for (auto _ : state) {
        gauges.frame();
        const bench::image &picture = gauges.panel.render(scale);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
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

struct panel_size {
    int gauges;
    std::string what;
    bench::panel_layout layout;
};

std::string panel_benchmark_name(int gauges, int scale) {
    return "panel/" + std::to_string(gauges) + "/scale:" + std::to_string(scale);
}

// KERNEL32, USER32 and msvcrt, and DSOUND for the director switch's click.
bool imports_allowed(const std::string &module, const std::vector<std::string> &imports) {
    for (std::string import : imports) {
        std::transform(import.begin(), import.end(), import.begin(), [](unsigned char c) { return char(std::toupper(c)); });
        if (import != "KERNEL32.DLL" && import != "USER32.DLL" && import != "MSVCRT.DLL" &&
            !(import == "DSOUND.DLL" && module == "director_switch"))
            return false;
    }
    return true;
}

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
    const std::vector<panel_size> panels = {
        {1, "the altimeter alone", single_gauge("baro_altimeter")},
        {14, "the default panel", default_layout()},
        {140, "ten default panels, every gauge from a module file of its own",
         copied_panels(10, program_dir + "/../panel_copies")},
    };
    for (const panel_size &panel : panels)
        for (int scale : {1, 2})
            benchmark::RegisterBenchmark(panel_benchmark_name(panel.gauges, scale).c_str(),
                                         [&panel, scale](benchmark::State &state) {
                                             panel_frame(state, panel.layout, scale);
                                         });
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
                      << met(module.file_size <= module.resources + code_budget) << " | " << imports << ": "
                      << met(imports_allowed(name, module.imports)) << " | "
                      << with_commas(module.exception_tables) << " |\n";
        } else {
            std::cout << "— | — | — | — | — | — |\n";
            faults.push_back(name + ": " + (file.empty() ? "no Windows module in " + win32 : error));
        }
    }
    for (const panel_size &panel : panels)
        for (int scale : {1, 2}) {
            auto timing = timings.nanoseconds.find(panel_benchmark_name(panel.gauges, scale));
            std::cout << "| panel of " << panel.gauges << (panel.gauges == 1 ? " gauge" : " gauges") << " ("
                      << panel.what << "), scale " << scale << ", frame and render | ";
            if (timing == timings.nanoseconds.end()) {
                std::cout << "— | — | — |";
            } else {
                double per_second = 1e9 / timing->second;
                std::cout << fixed(timing->second, 0) << " | " << with_commas(std::uint64_t(per_second))
                          << " frames/s | ";
                if (panel.gauges == 14 && scale == 1)
                    std::cout << "≥ 2,000 frames/s: " << met(per_second >= frames_per_second_budget);
                std::cout << " |";
            }
            std::cout << " | | | | | | | |\n";
        }
    std::cout << "\nLoad average (1 min) " << fixed(load_before[0], 2) << " before, " << fixed(load_after[0], 2)
              << " after; Google Benchmark CPU time per frame; instructions counted by callgrind over " << frames
              << " frames.\n";
    for (const std::string &fault : faults)
        std::cout << "not measured: " << fault << "\n";
    return faults.empty() ? 0 : 1;
}
