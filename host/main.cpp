// gaugebench: drives a gauge module as the panel system would, and shows what it does.
#include "block.h"
#include "numbers.h"
#include "panel.h"
#include "report.h"
#include "scenario.h"
#if defined(GAUGE_ANIMATION)
#include "animation.h"
#endif
#if defined(GAUGE_SERVE)
#include "serve.h"
#endif
#include "sheet.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

const char usage[] =
    "usage: gaugebench info MODULE\n"
    "       gaugebench state MODULE [STEP...]\n"
    "       gaugebench render MODULE [STEP...] -o FILE.png [--scale N]\n"
    "       gaugebench sheet [MODULE...] -o FILE.png\n"
    "       gaugebench run SCENARIO...\n"
    "       gaugebench animate SCENARIO -o FILE.gif [--scale N]\n"
    "       gaugebench block NAME [--size N] [--read] [--write OFFSET=TEXT] [--write-hex OFFSET=HEX]\n"
    "       gaugebench panel [PANEL_CFG] [--state FILE] -o FILE.png [--scale N]\n"
    "       gaugebench serve [PANEL_CFG] [--state FILE] [--responses FILE] [--port N] [--bind ADDR]\n"
    "\n"
    "MODULE is a path, or a deliverable name looked up in the build's modules directory.\n"
    "sheet draws every picture and sound of the modules given, or of every module built.\n"
    "The bench installs and initializes the gauge and runs one frame (update, draw); each\n"
    "step is followed by one more frame; then it reports, and kills the gauge.\n"
    "Steps:\n"
    "  --click X,Y          click at gauge coordinates X,Y\n"
    "  --set TOKEN=VALUE    set a simulator variable (TOKEN hex with 0x, or decimal)\n"
    "  --failure KEY        make a host failure active: an element whose failure list\n"
    "                       names it freezes (action 1), rests at 0 (2) or blanks (3)\n"
    "  --updates N          run N frames instead of one\n"
    "  --gauge-callback ID[,PARAM]  call a version 700 gauge's callback with a service id\n"
    "Options of state and render:\n"
    "  --capture-sound FILE.wav     write every sound played to a WAVE file\n";

struct step {
    enum { click, set, failure, updates, gauge_callback } kind;
    int x = 0, y = 0;          // click
    std::uint32_t token = 0;   // set, failure; the service id of gauge_callback
    double value = 0;          // set
    std::uint32_t parameter = 0; // gauge_callback
    int frames = 1;
};

struct command_line {
    std::string command;
    std::string module;
    std::vector<std::string> sheet_modules;
    std::vector<step> steps;
    std::string output;
    std::string sound_capture;
    int scale = 1;
};

struct usage_error {
    std::string text;
};

std::uint32_t parse_token(const std::string &text) {
    std::optional<std::uint32_t> token = bench::read_token(text);
    if (!token)
        throw usage_error{"\"" + text + "\" is not a token (decimal, or hex with 0x)"};
    return *token;
}

double parse_value(const std::string &text) {
    std::optional<double> value = bench::read_value(text);
    if (!value)
        throw usage_error{"\"" + text + "\" is not a number"};
    return *value;
}

int parse_int(const std::string &text, const char *what) {
    std::optional<int> value = bench::read_whole_number(text);
    if (!value)
        throw usage_error{std::string(what) + " \"" + text + "\" is not a whole number"};
    return *value;
}

command_line parse(int argc, char **argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        throw usage_error{"no command given"};
    command_line line;
    line.command = arguments[0];
    if (line.command != "info" && line.command != "state" && line.command != "render" && line.command != "sheet")
        throw usage_error{"unknown command \"" + line.command + "\""};
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        auto value = [&]() -> const std::string & {
            if (i + 1 >= arguments.size())
                throw usage_error{argument + " needs a value"};
            return arguments[++i];
        };
        if (argument == "--click") {
            if (line.command == "info")
                throw usage_error{"info takes no steps"};
            const std::string &position = value();
            auto comma = position.find(',');
            if (comma == std::string::npos)
                throw usage_error{"--click needs X,Y, not \"" + position + "\""};
            line.steps.push_back({.kind = step::click,
                                  .x = parse_int(position.substr(0, comma), "X"),
                                  .y = parse_int(position.substr(comma + 1), "Y")});
        } else if (argument == "--set" || argument == "--failure" || argument == "--updates") {
            if (line.command == "info")
                throw usage_error{"info takes no steps"};
            const std::string &text = value();
            if (argument == "--updates") {
                int frames = parse_int(text, "N");
                if (frames < 0 || frames > 1000000)
                    throw usage_error{"--updates must be from 0 to 1000000"};
                line.steps.push_back({.kind = step::updates, .frames = frames});
            } else if (argument == "--failure") {
                line.steps.push_back({.kind = step::failure, .token = parse_token(text)});
            } else {
                auto equals = text.find('=');
                if (equals == std::string::npos)
                    throw usage_error{"--set needs TOKEN=VALUE, not \"" + text + "\""};
                line.steps.push_back({.kind = step::set,
                                      .token = parse_token(text.substr(0, equals)),
                                      .value = parse_value(text.substr(equals + 1))});
            }
        } else if (argument == "--gauge-callback" && line.command != "info" && line.command != "sheet") {
            const std::string &text = value();
            auto comma = text.find(',');
            line.steps.push_back({.kind = step::gauge_callback,
                                  .token = parse_token(text.substr(0, comma)),
                                  .parameter = comma == std::string::npos ? 0 : parse_token(text.substr(comma + 1))});
        } else if (argument == "--capture-sound" && (line.command == "state" || line.command == "render")) {
            line.sound_capture = value();
        } else if (argument == "-o" && (line.command == "render" || line.command == "sheet")) {
            line.output = value();
        } else if (argument == "--scale" && line.command == "render") {
            line.scale = parse_int(value(), "scale");
            if (line.scale < 1 || line.scale > 16)
                throw usage_error{"--scale must be from 1 to 16"};
        } else if (argument.starts_with("-")) {
            throw usage_error{"unknown option \"" + argument + "\" for " + line.command};
        } else if (line.command == "sheet") {
            line.sheet_modules.push_back(argument);
        } else if (line.module.empty()) {
            line.module = argument;
        } else {
            throw usage_error{"unexpected argument \"" + argument + "\""};
        }
    }
    if (line.module.empty() && line.command != "sheet")
        throw usage_error{"no module given"};
    if ((line.command == "render" || line.command == "sheet") && line.output.empty())
        throw usage_error{line.command + " needs -o FILE.png"};
    return line;
}

int run_sheet(const command_line &line) {
    std::vector<std::string> paths;
    for (const std::string &module : line.sheet_modules)
        paths.push_back(module);
    if (paths.empty())
        paths = bench::built_modules();
    std::vector<std::string> errors;
    bench::image sheet = bench::contact_sheet(paths, errors);
    int status = 0;
    for (const std::string &error : errors) {
        std::cerr << "gaugebench: " << error << "\n";
        status = 1;
    }
    if (!bench::write_png(sheet, line.output)) {
        std::cerr << "gaugebench: cannot write \"" << line.output << "\"\n";
        status = 1;
    }
    return status;
}

int run(const command_line &line) {
    if (line.command == "sheet")
        return run_sheet(line);
    bench::gauge_host host(line.module);
    host.query();
    host.install();
    host.initialize();
    host.generate(0);
    host.frame();
    for (const step &next : line.steps) {
        if (next.kind == step::click)
            host.click(next.x, next.y);
        else if (next.kind == step::set)
            host.set_variable(next.token, next.value);
        else if (next.kind == step::failure)
            host.set_failure(next.token);
        else if (next.kind == step::gauge_callback)
            host.gauge_callback(next.token, next.parameter);
        for (int frame = 0; frame < next.frames; ++frame)
            host.frame();
    }

    int status = 0;
    if (line.command == "info") {
        std::cout << bench::describe_module(host);
    } else if (line.command == "state") {
        std::cout << bench::state_json(host).dump(2) << "\n";
    } else {
        bench::image picture = host.render(line.scale);
        if (picture.width == 0) {
            status = 1;
        } else if (!bench::write_png(picture, line.output)) {
            std::cerr << "gaugebench: cannot write \"" << line.output << "\"\n";
            status = 1;
        }
    }
    host.kill();
    std::string capture_error;
    if (!line.sound_capture.empty() && !bench::write_captured_sound(line.sound_capture, capture_error)) {
        std::cerr << "gaugebench: " << capture_error << "\n";
        status = 1;
    }
    for (const std::string &error : host.errors()) {
        std::cerr << "gaugebench: \"" << host.name() << "\": " << error << "\n";
        status = 1;
    }
    return status;
}

} // namespace

// `gaugebench VERB --help` for the verbs this file reads: the verb's form and an example.
const std::map<std::string, std::string> verb_help = {
    {"info", "usage: gaugebench info MODULE\n"
             "Prints the module's linkage, gauge header, element tree and mouse list. Example:\n"
             "  gaugebench info baro_altimeter\n"},
    {"state", "usage: gaugebench state MODULE [STEP...] [--capture-sound FILE.wav]\n"
              "Prints the gauge's state as JSON after the steps. Example:\n"
              "  gaugebench state flap_lever --set 0x149=8192 --click 30,10\n"},
    {"render", "usage: gaugebench render MODULE [STEP...] -o FILE.png [--scale N] [--capture-sound FILE.wav]\n"
               "Draws the gauge after the steps. Example:\n"
               "  gaugebench render baro_altimeter --set 0x4A=12000 --updates 5 -o alt.png --scale 3\n"},
    {"sheet", "usage: gaugebench sheet [MODULE...] -o FILE.png\n"
              "Draws every picture and sound of the modules, or of every module built. Example:\n"
              "  gaugebench sheet -o resources.png\n"},
};

int main(int argc, char **argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        (argc < 2 ? std::cerr : std::cout) << usage;
        return argc < 2 ? 2 : 0;
    }
    if (auto help = verb_help.find(argv[1]); help != verb_help.end())
        for (int i = 2; i < argc; ++i)
            if (std::string(argv[i]) == "--help") {
                std::cout << help->second << (std::string(argv[1]) == "state" || std::string(argv[1]) == "render"
                                                  ? std::string(usage).substr(std::string(usage).find("Steps:"))
                                                  : "");
                return 0;
            }
    if (argc > 1 && std::string(argv[1]) == "block")
        return bench::block_command(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (argc > 1 && std::string(argv[1]) == "animate") {
#if defined(GAUGE_ANIMATION)
        return bench::animate_command(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
#else
        std::cerr << "gaugebench: this build has no GIF library; animate is in the native build\n";
        return 2;
#endif
    }
    if (argc > 1 && std::string(argv[1]) == "serve") {
#if defined(GAUGE_SERVE)
        return bench::serve_command(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
#else
        std::cerr << "gaugebench: this build has no HTTP server library; serve is in the native build\n";
        return 2;
#endif
    }
    if (argc > 1 && std::string(argv[1]) == "run")
        return bench::run_command(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (argc > 1 && std::string(argv[1]) == "panel")
        return bench::panel_command(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    try {
        return run(parse(argc, argv));
    } catch (const usage_error &error) {
        std::cerr << "gaugebench: " << error.text << " (gaugebench --help shows the usage)\n";
        return 2;
    } catch (const bench::load_error &error) {
        std::cerr << "gaugebench: " << error.what() << "\n";
        return 1;
    }
}
