// The panel preview: reading a panel.cfg window section and a flight state, and drawing every
// gauge of the section at its place.
#include "panel.h"

#include "gauge_host.h"
#include "numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <ostream>
#include <sstream>

namespace bench {
namespace {

// Coordinates and sizes beyond this are typing mistakes, and would make a huge picture.
constexpr int largest_coordinate = 10000;

std::string trimmed(const std::string &text) {
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The line without its comment, which starts at the first of `markers`.
std::string without_comment(const std::string &line, std::initializer_list<const char *> markers) {
    std::size_t end = line.size();
    for (const char *marker : markers)
        end = std::min(end, line.find(marker));
    return trimmed(line.substr(0, end));
}

std::string in_quotes(const std::string &text) { return "\"" + text + "\""; }

std::string place(const std::string &file, int line) { return file + ":" + std::to_string(line) + ": "; }

bool is_gauge_key(const std::string &key) {
    return key.size() > 5 && key.starts_with("gauge") &&
           std::all_of(key.begin() + 5, key.end(), [](unsigned char c) { return std::isdigit(c); });
}

// `module!gauge, x, y[, w[, h]]`; the text of what is wrong, or nothing.
std::optional<std::string> read_gauge_line(const std::string &value, panel_gauge &gauge) {
    std::vector<std::string> fields;
    std::stringstream split(value);
    for (std::string field; std::getline(split, field, ',');)
        fields.push_back(trimmed(field));
    if (!value.empty() && value.back() == ',')
        fields.push_back("");
    if (fields.size() < 3 || fields.size() > 5)
        return "a gauge line is module!gauge, x, y[, w[, h]]";
    auto bang = fields[0].find('!');
    if (bang == std::string::npos || bang == 0 || bang + 1 == fields[0].size())
        return "the gauge is named module!gauge, not " + in_quotes(fields[0]);
    gauge.module = trimmed(fields[0].substr(0, bang));
    gauge.gauge_name = trimmed(fields[0].substr(bang + 1));
    const char *names[] = {"x", "y", "w", "h"};
    std::optional<int> numbers[4];
    for (std::size_t i = 1; i < fields.size(); ++i) {
        numbers[i - 1] = read_whole_number(fields[i]);
        int lowest = i <= 2 ? 0 : 1;
        if (!numbers[i - 1] || *numbers[i - 1] < lowest || *numbers[i - 1] > largest_coordinate)
            return std::string(names[i - 1]) + " " + in_quotes(fields[i]) + " is not a whole number from " +
                   std::to_string(lowest) + " to " + std::to_string(largest_coordinate);
    }
    gauge.x = *numbers[0];
    gauge.y = *numbers[1];
    gauge.width = numbers[2];
    gauge.height = numbers[3];
    return std::nullopt;
}

// The gauge's picture as loaded, run with the flight state and drawn at its own size.
image run_gauge(gauge_host &host, const flight_state &state) {
    for (const auto &[token, value] : state)
        host.set_variable(token, value);
    host.query();
    host.install();
    host.initialize();
    host.generate(0);
    for (int frame = 0; frame < panel_frames; ++frame)
        host.frame();
    image picture = host.render();
    host.kill();
    return picture;
}

// The picture at the size the line asks for: a width alone keeps the proportions.
image sized(const image &picture, const panel_gauge &gauge) {
    if (!gauge.width || picture.width == 0)
        return picture;
    int height = gauge.height ? *gauge.height
                              : std::max(1, int(std::lround(double(picture.height) * *gauge.width / picture.width)));
    return resize_image(picture, *gauge.width, height);
}

struct usage_error {
    std::string text;
};

struct panel_line {
    std::string layout_file; // empty: the default panel
    std::string state_file;  // empty: the default flight state
    std::string output;
    int scale = 1;
};

panel_line parse_panel_line(const std::vector<std::string> &arguments) {
    panel_line line;
    auto set_scale = [&](const std::string &text) {
        std::optional<int> scale = read_whole_number(text);
        if (!scale || *scale < 1 || *scale > 16)
            throw usage_error{"--scale must be from 1 to 16, not " + in_quotes(text)};
        line.scale = *scale;
    };
    const std::map<std::string, std::function<void(const std::string &)>> options = {
        {"-o", [&](const std::string &text) { line.output = text; }},
        {"--state", [&](const std::string &text) { line.state_file = text; }},
        {"--scale", set_scale},
    };
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        if (auto option = options.find(*argument); option != options.end()) {
            if (std::next(argument) == arguments.end())
                throw usage_error{*argument + " needs a value"};
            option->second(*++argument);
        } else if (argument->starts_with("-")) {
            throw usage_error{"unknown option " + in_quotes(*argument) + " for panel"};
        } else if (line.layout_file.empty()) {
            line.layout_file = *argument;
        } else {
            throw usage_error{"unexpected argument " + in_quotes(*argument)};
        }
    }
    if (line.output.empty())
        throw usage_error{"panel needs -o FILE.png"};
    return line;
}

// Reads `file`, or the built-in text when no file is given.
template <typename Result>
void read_input(const std::string &file, const char *built_in, const char *built_in_name,
                Result (*reader)(std::istream &, const std::string &, std::vector<std::string> &), Result &result,
                std::vector<std::string> &errors) {
    if (file.empty()) {
        std::istringstream in(built_in);
        result = reader(in, built_in_name, errors);
        return;
    }
    std::ifstream in(file);
    if (!in)
        errors.push_back("cannot read " + in_quotes(file));
    else
        result = reader(in, file, errors);
}

} // namespace

panel_layout read_panel_cfg(std::istream &in, const std::string &file, std::vector<std::string> &errors) {
    panel_layout layout{.file = file};
    std::string section;
    bool in_window = false;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        std::string line = without_comment(text, {"//"});
        if (line.starts_with("[")) {
            if (!layout.section.empty())
                break; // the gauges of the first window section are read; the rest is not ours
            section = line.ends_with("]") ? trimmed(line.substr(1, line.size() - 2)) : "";
            in_window = lower_case(section).starts_with("window");
            continue;
        }
        auto equals = line.find('=');
        if (!in_window || equals == std::string::npos || !is_gauge_key(lower_case(trimmed(line.substr(0, equals)))))
            continue;
        layout.section = section;
        panel_gauge gauge{.line = number};
        if (std::optional<std::string> fault = read_gauge_line(trimmed(line.substr(equals + 1)), gauge))
            errors.push_back(place(file, number) + *fault + ": " + in_quotes(trimmed(text)));
        else
            layout.gauges.push_back(gauge);
    }
    if (layout.section.empty())
        errors.push_back(file + ": no [Window..] section with gaugeNN= lines");
    return layout;
}

flight_state read_flight_state(std::istream &in, const std::string &file, std::vector<std::string> &errors) {
    flight_state state;
    std::map<std::uint32_t, int> first_line;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        std::string line = without_comment(text, {"#", "//"});
        if (line.empty())
            continue;
        auto fault = [&](const std::string &what) {
            errors.push_back(place(file, number) + what + ": " + in_quotes(trimmed(text)));
        };
        auto equals = line.find('=');
        if (equals == std::string::npos) {
            fault("a line is TOKEN=VALUE");
            continue;
        }
        std::string token_text = trimmed(line.substr(0, equals)), value_text = trimmed(line.substr(equals + 1));
        std::optional<std::uint32_t> token = read_token(token_text);
        std::optional<double> value = read_value(value_text);
        if (!token)
            fault("the token " + in_quotes(token_text) + " is not decimal, or hex with 0x");
        else if (!value)
            fault("the value " + in_quotes(value_text) + " is not a number");
        else if (auto [earlier, first] = first_line.emplace(*token, number); !first)
            fault("the token " + in_quotes(token_text) + " is already set on line " + std::to_string(earlier->second));
        else
            state[*token] = *value;
    }
    return state;
}

panel_picture render_panel(const panel_layout &layout, const flight_state &state, int scale) {
    struct placed {
        image picture;
        int x, y;
    };
    std::vector<placed> pictures;
    panel_picture result;
    int width = 0, height = 0;
    for (const panel_gauge &gauge : layout.gauges) {
        std::string where = place(layout.file, gauge.line);
        std::string path = find_module(gauge.module);
        if (!std::filesystem::exists(path)) {
            result.layout_errors.push_back(where + "no module " + in_quotes(gauge.module) + " (no file " +
                                           in_quotes(path) + ")");
            continue;
        }
        try {
            gauge_host host(path);
            std::string name = host.gauge().gauge_name ? host.gauge().gauge_name : "";
            if (name != gauge.gauge_name) {
                result.layout_errors.push_back(where + "module " + in_quotes(gauge.module) + " has the gauge " +
                                               in_quotes(name) + ", not " + in_quotes(gauge.gauge_name));
                continue;
            }
            image picture = sized(run_gauge(host, state), gauge);
            for (const std::string &error : host.errors())
                result.gauge_errors.push_back(path + ": " + error);
            width = std::max(width, gauge.x + picture.width);
            height = std::max(height, gauge.y + picture.height);
            pictures.push_back({std::move(picture), gauge.x, gauge.y});
        } catch (const load_error &error) {
            result.layout_errors.push_back(where + "module " + in_quotes(gauge.module) + ": " + error.what());
        }
    }
    image panel(width + panel_margin, height + panel_margin, panel_paint);
    for (const placed &gauge : pictures)
        draw_image(panel, gauge.picture, gauge.x, gauge.y, false);
    result.picture = scale_image(panel, scale);
    return result;
}

const char panel_usage[] =
    "usage: gaugebench panel [PANEL_CFG] [--state FILE] -o FILE.png [--scale N]\n"
    "\n"
    "Draws the gauges of the first [Window..] section of PANEL_CFG that has gauge lines\n"
    "(gaugeNN=module!gauge, x, y[, w[, h]]), each run with the flight state of FILE: one\n"
    "TOKEN=VALUE a line, TOKEN decimal or hex with 0x, # or // starting a comment. Without\n"
    "PANEL_CFG the bench draws its own panel of all fourteen gauges; without --state, an\n"
    "airliner climbing through 12,000 feet on a standard day.\n"
    "Example:\n"
    "  gaugebench panel aircraft/panel/panel.cfg --state climb.txt -o out/panel.png --scale 2\n";

int panel_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors) {
    panel_line line;
    try {
        if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
            out << panel_usage;
            return 0;
        }
        line = parse_panel_line(arguments);
    } catch (const usage_error &error) {
        errors << "gaugebench: " << error.text << "\n\n" << panel_usage;
        return 2;
    }
    std::vector<std::string> input_errors;
    panel_layout layout;
    flight_state state;
    read_input(line.layout_file, default_panel_cfg, "(built-in panel.cfg)", read_panel_cfg, layout, input_errors);
    read_input(line.state_file, default_flight_state, "(built-in flight state)", read_flight_state, state,
               input_errors);
    panel_picture panel;
    if (input_errors.empty()) {
        panel = render_panel(layout, state, line.scale);
        input_errors = panel.layout_errors;
    }
    for (const std::string &error : input_errors)
        errors << "gaugebench: " << error << "\n";
    if (!input_errors.empty()) {
        errors << "gaugebench: nothing drawn\n";
        return 2;
    }
    for (const std::string &error : panel.gauge_errors)
        errors << "gaugebench: " << error << "\n";
    if (!write_png(panel.picture, line.output)) {
        errors << "gaugebench: cannot write " << in_quotes(line.output) << "\n";
        return 1;
    }
    return panel.gauge_errors.empty() ? 0 : 1;
}

} // namespace bench
