// The panel preview: reading a panel.cfg window section and a flight state, and drawing every
// gauge of the section at its place.
#include "panel.h"

#include "gauge_host.h"
#include "lines.h"
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
#include <variant>

namespace bench {
namespace {

// Coordinates and sizes beyond this are typing mistakes, and would make a huge picture.
constexpr int largest_coordinate = 10000;

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

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
    const verb_options options = {
        {"-o", [&](const std::string &text) { line.output = text; }},
        {"--state", [&](const std::string &text) { line.state_file = text; }},
        {"--scale", set_scale},
    };
    if (std::optional<std::string> fault = read_arguments(arguments, options, "panel", line.layout_file))
        throw usage_error{*fault};
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

namespace {

// The size the layout line draws a gauge at: its own size, or the line's; a width alone
// keeps the proportions.
std::pair<int, int> drawn_size(const panel_gauge &gauge, int own_width, int own_height) {
    if (!gauge.width || own_width == 0)
        return {own_width, own_height};
    int height = gauge.height ? *gauge.height
                              : std::max(1, int(std::lround(double(own_height) * *gauge.width / own_width)));
    return {*gauge.width, height};
}

} // namespace

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
        std::vector<std::string> words = words_of(line);
        if (!words.empty() && (words[0] == "write" || words[0] == "write-hex")) {
            std::variant<block_write, std::string> write = read_block_write(line);
            if (auto *what = std::get_if<std::string>(&write))
                fault(*what);
            else
                state.blocks.push_back(std::get<block_write>(write));
            continue;
        }
        auto equals = line.find('=');
        if (equals == std::string::npos) {
            fault("a line is TOKEN=VALUE, or a block write");
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
            state.variables[*token] = *value;
    }
    return state;
}

live_panel::live_panel(const panel_layout &layout, const flight_state &state) {
    for (const panel_gauge &gauge : layout.gauges) {
        std::string where = place(layout.file, gauge.line);
        try {
            auto host = std::make_unique<gauge_host>(gauge.module);
            std::string name = host->gauge().gauge_name ? host->gauge().gauge_name : "";
            if (name != gauge.gauge_name) {
                layout_errors_.push_back(where + "module " + in_quotes(gauge.module) + " has the gauge " +
                                         in_quotes(name) + ", not " + in_quotes(gauge.gauge_name));
                continue;
            }
            for (const auto &[token, value] : state.variables)
                host->set_variable(token, value);
            host->query();
            host->install();
            host->initialize();
            host->generate(0);
            const image *background = host->bitmap(host->top()->bitmap_id);
            auto [width, height] = drawn_size(gauge, background ? background->width : 0,
                                              background ? background->height : 0);
            width_ = std::max(width_, gauge.x + width);
            height_ = std::max(height_, gauge.y + height);
            gauges_.push_back({gauge, std::move(host), gauge.x, gauge.y, width, height});
        } catch (const load_error &error) {
            layout_errors_.push_back(where + error.what());
        }
    }
    width_ += panel_margin;
    height_ += panel_margin;
    for (const block_write &write : state.blocks)
        if (!write_block(write))
            layout_errors_.push_back("cannot write " + std::to_string(write.bytes.size()) + " bytes at offset " +
                                     std::to_string(write.offset) + " of the block " + in_quotes(write.block));
}

std::vector<std::string> live_panel::gauge_errors() const {
    std::vector<std::string> errors;
    for (const gauge_in_panel &gauge : gauges_)
        for (const std::string &error : gauge.host->errors())
            errors.push_back(in_quotes(gauge.host->name()) + ": " + error);
    return errors;
}

void live_panel::frame() {
    for (gauge_in_panel &gauge : gauges_)
        gauge.host->frame();
}

void live_panel::set_variable(std::uint32_t token, double value) {
    for (gauge_in_panel &gauge : gauges_)
        gauge.host->set_variable(token, value);
}

std::optional<click_record> live_panel::click(int x, int y) {
    for (auto gauge = gauges_.rbegin(); gauge != gauges_.rend(); ++gauge) {
        if (x < gauge->x || y < gauge->y || x >= gauge->x + gauge->width || y >= gauge->y + gauge->height)
            continue;
        const image *background = gauge->host->bitmap(gauge->host->top()->bitmap_id);
        if (background == nullptr)
            return std::nullopt;
        return gauge->host->click((x - gauge->x) * background->width / gauge->width,
                                  (y - gauge->y) * background->height / gauge->height);
    }
    return std::nullopt;
}

const image &live_panel::render(int scale) {
    // The panel's pictures are kept from frame to frame: a picture of the panel's size made
    // anew each frame would go back to the system and be faulted in again at every frame.
    image &panel = canvas_;
    panel.width = width_;
    panel.height = height_;
    panel.pixels.assign(std::size_t(width_) * height_, panel_paint);
    for (gauge_in_panel &gauge : gauges_) {
        image picture = gauge.host->render();
        if (picture.width == 0)
            continue; // no background: the bench has reported it
        if (picture.width != gauge.width || picture.height != gauge.height)
            picture = resize_image(picture, gauge.width, gauge.height);
        draw_image(panel, picture, gauge.x, gauge.y, false);
    }
    if (scale <= 1)
        return panel;
    scale_into(scaled_, panel, scale);
    return scaled_;
}

panel_picture render_panel(const panel_layout &layout, const flight_state &state, int scale) {
    live_panel panel(layout, state);
    for (int frame = 0; frame < panel_frames; ++frame)
        panel.frame();
    return {.picture = panel.render(scale), .layout_errors = panel.layout_errors(), .gauge_errors = panel.gauge_errors()};
}

const char panel_usage[] =
    "usage: gaugebench panel [PANEL_CFG] [--state FILE] -o FILE.png [--scale N]\n"
    "\n"
    "Draws the gauges of the first [Window..] section of PANEL_CFG that has gauge lines\n"
    "(gaugeNN=module!gauge, x, y[, w[, h]]), all run with the flight state of FILE: lines\n"
    "TOKEN=VALUE (TOKEN decimal or hex with 0x), and block writes of partner modules,\n"
    "write NAME OFFSET TEXT or write-hex NAME OFFSET HEX; # or // start a comment. Without\n"
    "PANEL_CFG the bench draws its own panel of all fourteen gauges; without --state, an\n"
    "airliner climbing through 12,000 feet on a standard day.\n"
    "Example:\n"
    "  gaugebench panel aircraft/panel/panel.cfg --state climb.txt -o out/panel.png --scale 2\n";

void read_panel_inputs(const std::string &layout_file, const std::string &state_file, panel_layout &layout,
                       flight_state &state, std::vector<std::string> &errors) {
    read_input(layout_file, default_panel_cfg, "(built-in panel.cfg)", read_panel_cfg, layout, errors);
    read_input(state_file, default_flight_state, "(built-in flight state)", read_flight_state, state, errors);
}

int panel_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors) {
    panel_line line;
    try {
        if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
            out << panel_usage;
            return 0;
        }
        line = parse_panel_line(arguments);
    } catch (const usage_error &error) {
        errors << "gaugebench: " << error.text << " (gaugebench panel --help shows the usage)\n";
        return 2;
    }
    std::vector<std::string> input_errors;
    panel_layout layout;
    flight_state state;
    read_panel_inputs(line.layout_file, line.state_file, layout, state, input_errors);
    run_block_namespace blocks("panel");
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
