// The scenario runner: one command a line, run in order on one gauge host.
#include "scenario.h"

#include "block.h"
#include "gauge_host.h"
#include "numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

namespace bench {
namespace {

// A line that cannot be carried out, or an expectation that is not met.
struct stop {
    std::string text;
};

double number(const std::string &text) {
    if (text == "nan")
        return std::nan("");
    if (auto value = read_value(text))
        return *value;
    throw stop{"\"" + text + "\" is not a number"};
}

std::uint32_t token(const std::string &text) {
    if (auto value = read_token(text))
        return *value;
    throw stop{"\"" + text + "\" is not a number (decimal, or hex with 0x)"};
}

bool same_number(double found, double expected) {
    if (std::isnan(expected))
        return std::isnan(found);
    return std::fabs(found - expected) <= 1e-6 * std::max(1.0, std::fabs(expected));
}

std::string shown(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

struct runner {
    const frame_observer &observe;
    std::optional<gauge_host> host;
    std::size_t keys_expected = 0;
    int expectations = 0;

    void frame() {
        loaded().frame();
        if (observe)
            observe(*host);
    }
    gauge_host &loaded() {
        if (!host)
            throw stop{"no module loaded yet (load MODULE comes first)"};
        return *host;
    }
    void need(const std::vector<std::string> &words, std::size_t count, const char *form) {
        if (words.size() != count)
            throw stop{std::string("expected \"") + form + "\""};
    }
    void expect(bool met, const std::string &expected, const std::string &found) {
        if (!met)
            throw stop{"expected " + expected + ", found " + found};
        ++expectations;
    }

    void run(const std::string &line) {
        std::vector<std::string> words = words_of(line);
        const std::string &command = words[0];
        if (command == "load") {
            need(words, 2, "load MODULE");
            host.reset();
            host.emplace(words[1]);
            keys_expected = 0;
            host->install();
            host->initialize();
            host->generate(0);
            frame();
        } else if (command == "set") {
            std::vector<std::string> parts = words;
            if (parts.size() == 2 && parts[1].find('=') != std::string::npos)
                parts = {"set", parts[1].substr(0, parts[1].find('=')), parts[1].substr(parts[1].find('=') + 1)};
            need(parts, 3, "set TOKEN VALUE");
            loaded().set_variable(token(parts[1]), number(parts[2]));
        } else if (command == "click") {
            std::string at = rest_of(line, 1);
            int x = 0, y = 0;
            char separator = 0;
            std::istringstream input(at);
            if (!(input >> x >> separator >> y) || (separator != ',' && separator != ' '))
                throw stop{"expected \"click X,Y\""};
            loaded().click(x, y);
            frame();
        } else if (command == "update") {
            int frames = 1;
            if (words.size() == 2) {
                auto count = read_whole_number(words[1]);
                if (!count || *count < 0)
                    throw stop{"expected \"update [N]\""};
                frames = *count;
            } else {
                need(words, 1, "update [N]");
            }
            for (int i = 0; i < frames; ++i)
                frame();
        } else if (command == "ramp") {
            need(words, 5, "ramp TOKEN FROM TO FRAMES");
            std::uint32_t variable = token(words[1]);
            double from = number(words[2]), to = number(words[3]);
            auto frames = read_whole_number(words[4]);
            if (!frames || *frames < 1)
                throw stop{"expected a number of frames, not \"" + words[4] + "\""};
            for (int i = 1; i <= *frames; ++i) {
                loaded().set_variable(variable, from + (to - from) * i / *frames);
                frame();
            }
        } else if (command == "callback") {
            if (words.size() != 2 && words.size() != 3)
                throw stop{"expected \"callback ID [PARAM]\""};
            loaded().gauge_callback(token(words[1]), words.size() == 3 ? token(words[2]) : 0);
            frame();
        } else if (command == "failure") {
            need(words, 2, "failure KEY");
            loaded().set_failure(token(words[1]));
        } else if (command == "kill") {
            loaded().kill();
        } else if (command == "install") {
            loaded().install();
            host->initialize();
            frame();
        } else if (command == "write" || command == "write-hex") {
            std::variant<block_write, std::string> write = read_block_write(line);
            if (auto *what = std::get_if<std::string>(&write))
                throw stop{*what};
            if (!write_block(std::get<block_write>(write)))
                throw stop{"cannot write block \"" + words[1] + "\" at " + words[2] + ": it cannot be opened, or the "
                           "write does not fit"};
        } else if (command == "render") {
            if (words.size() != 2 && words.size() != 3)
                throw stop{"expected \"render FILE.png [SCALE]\""};
            auto scale = words.size() == 3 ? read_whole_number(words[2]) : std::optional<int>(1);
            if (!scale || *scale < 1 || *scale > 16)
                throw stop{"the scale must be from 1 to 16"};
            image picture = loaded().render(*scale);
            if (picture.width == 0 || !write_png(picture, words[1]))
                throw stop{"cannot render to \"" + words[1] + "\""};
        } else if (command == "expect") {
            run_expectation(line, words);
        } else {
            throw stop{"unknown command \"" + command + "\""};
        }
    }

    void run_expectation(const std::string &line, const std::vector<std::string> &words) {
        if (words.size() < 2)
            throw stop{"expected \"expect WHAT ...\""};
        gauge_host &h = loaded();
        const std::string &what = words[1];
        if (what == "element") {
            if (words.size() < 5)
                throw stop{"expected \"expect element N FIELD VALUE\""};
            auto index = read_whole_number(words[2]);
            std::vector<element_header *> elements = h.elements();
            if (!index || *index < 1 || std::size_t(*index) > elements.size())
                throw stop{"the gauge has no element " + words[2] + " (it has " + std::to_string(elements.size()) + ")"};
            element_header *element = elements[std::size_t(*index - 1)];
            const element_view &view = h.view(element);
            const std::string &field = words[3];
            std::string subject = "element " + words[2] + " " + field + " ";
            if (field == "text") {
                std::string text = rest_of(line, 4);
                expect(view.text == text, subject + "\"" + text + "\"", "\"" + view.text + "\"");
                return;
            }
            if (field == "hidden") {
                bool hidden = (element->image_flags & image_hidden) != 0;
                expect((words[4] == "true") == hidden, subject + words[4], hidden ? "true" : "false");
                return;
            }
            if (field == "colour") {
                expect(view.colour == token(words[4]), subject + words[4], hex_text(view.colour));
                return;
            }
            double found = field == "state"      ? view.state
                           : field == "angle"    ? view.angle
                           : field == "value"    ? view.value_x
                           : field == "x"        ? view.value_x
                           : field == "y"        ? view.value_y
                           : field == "offset_x" ? view.offset_x
                           : field == "offset_y" ? view.offset_y
                                                 : throw stop{"unknown element field \"" + field + "\""};
            double expected = number(words[4]);
            expect(same_number(found, expected), subject + shown(expected), shown(found));
        } else if (what == "key") {
            need(words, 4, "expect key EVENT VALUE");
            const std::vector<key_event> &keys = h.key_events();
            std::string expected = "key event " + words[2] + " with value " + words[3];
            if (keys_expected >= keys.size())
                expect(false, expected, "no further key event");
            const key_event &next = keys[keys_expected++];
            expect(next.event == token(words[2]) && next.value == token(words[3]), expected,
                   "key event " + hex_text(next.event) + " with value " + std::to_string(next.value));
        } else if (what == "no-more-keys") {
            const std::vector<key_event> &keys = h.key_events();
            expect(keys_expected == keys.size(), "no further key event",
                   keys_expected < keys.size() ? "key event " + hex_text(keys[keys_expected].event) : "");
        } else if (what == "named") {
            need(words, 4, "expect named NAME VALUE|none");
            std::map<std::string, double> named = h.named_variables();
            auto found = named.find(words[2]);
            if (words[3] == "none")
                expect(found == named.end(), "no named variable " + words[2], "one");
            else
                expect(found != named.end() && same_number(found->second, number(words[3])),
                       words[2] + " = " + words[3], found == named.end() ? "none" : shown(found->second));
        } else if (what == "window") {
            need(words, 4, "expect window ID shown|hidden");
            bool shown_now = h.window_shown(token(words[2]));
            expect((words[3] == "shown") == shown_now, "window " + words[2] + " " + words[3],
                   shown_now ? "shown" : "hidden");
        } else if (what == "block") {
            if (words.size() < 5)
                throw stop{"expected \"expect block NAME OFFSET TEXT\""};
            std::string text = rest_of(line, 4);
            shared_block block(words[2], 0);
            auto offset = read_whole_number(words[3]);
            if (!block.is_open() || !offset || *offset < 0)
                throw stop{"cannot read block \"" + words[2] + "\" at " + words[3]};
            std::vector<unsigned char> bytes = block.read(std::size_t(*offset), text.size());
            std::string found(bytes.begin(), bytes.end());
            expect(found == text, "\"" + text + "\" in " + words[2], "\"" + found + "\"");
        } else {
            throw stop{"unknown expectation \"" + what + "\""};
        }
    }
};

} // namespace

scenario_result run_scenario(const std::string &file, std::istream &text, const frame_observer &observe) {
    runner scenario{observe};
    scenario_result result;
    int number = 0;
    try {
        for (std::string line; std::getline(text, line);) {
            ++number;
            auto start = line.find_first_not_of(" \t\r");
            if (start == std::string::npos || line[start] == '#')
                continue;
            scenario.run(line.substr(start));
            if (scenario.host && !scenario.host->errors().empty())
                throw stop{"the host reports: " + scenario.host->errors().front()};
        }
    } catch (const stop &failed) {
        result.failure = file + ":" + std::to_string(number) + ": " + failed.text;
        result.expectations = scenario.expectations;
        return result;
    } catch (const load_error &failed) {
        result.failure = file + ":" + std::to_string(number) + ": " + failed.what();
        return result;
    }
    result.passed = true;
    result.expectations = scenario.expectations;
    return result;
}

int run_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors) {
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        out << "usage: gaugebench run SCENARIO...\n"
               "Runs each scenario file (the language: docs/scenarios.md); the first failed\n"
               "expectation stops the run. Example, a file toggle.scn run as gaugebench run toggle.scn:\n"
               "  load window_toggle\n  click 10,10\n  expect window 50 shown\n";
        return 0;
    }
    auto option = std::find_if(arguments.begin(), arguments.end(), [](const std::string &argument) {
        return argument.starts_with("-");
    });
    if (arguments.empty() || option != arguments.end()) {
        errors << "gaugebench: "
               << (arguments.empty() ? std::string("run needs a SCENARIO file")
                                     : "unknown option \"" + *option + "\" for run")
               << " (gaugebench run --help shows the usage)\n";
        return 2;
    }
    run_block_namespace blocks("scenario");
    int status = 0;
    for (const std::string &file : arguments) {
        std::ifstream text(file);
        if (!text) {
            errors << "gaugebench: cannot read \"" << file << "\"\n";
            status = 2;
            break;
        }
        scenario_result result = run_scenario(file, text);
        if (!result.passed) {
            errors << "gaugebench: " << result.failure << "\n";
            status = 1;
            break;
        }
        out << file << ": " << result.expectations << " expectations met\n";
    }
    return status;
}

} // namespace bench
