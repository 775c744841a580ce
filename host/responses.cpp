// Response tables: reading them, and what each response does to a variable.
#include "responses.h"

#include "gauge_host.h"
#include "lines.h"
#include "numbers.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <optional>
#include <sstream>

namespace bench {

const char default_responses[] = R"responses(# The bench's own panel: what the simulator does with each key event its gauges send.
# EVENT  step TOKEN AMOUNT MIN MAX | set TOKEN VALUE | toggle TOKEN [A B] | follow TOKEN SOURCE FACTOR
0x100DF  step   0x149 -4096 0 16384   # flap lever, top area: flaps up one notch
0x100DE  step   0x149  4096 0 16384   # flap lever, bottom area: flaps down one notch
0x100D8  toggle 0x143                 # brake flag, upper area: parking brake set or released
0x10034  set    0x143 0               # brake flag, lower area: the brakes release the parking brake
0x10022  toggle 0x14B                 # gear lever up or down,
0x10022  follow 0x14C 0x14B 16384     # and the gear goes where the lever points
0x10022  follow 0x14D 0x14B 16384
0x10022  follow 0x14E 0x14B 16384
0x1015B  step   0x4B   1     900 1100 # baro knob, right half: pressure setting up one millibar
0x1015B  step   0x4C   0.03  26.5 32.5
0x1015C  step   0x4B  -1     900 1100 # left half: down
0x1015C  step   0x4C  -0.03  26.5 32.5
0x102FA  step   0x2E7  1 0 5          # autobrake selector, clockwise
0x102FB  step   0x2E7 -1 0 5          # counter-clockwise
0x102F0  toggle 0x318                 # flight director on or off
0x101BF  set    0x82 1                # fuel cut-off lever, upper half: RUN
0x101C3  set    0x82 0                # lower half: CUTOFF
# The selector knobs' events (0x10168, 0x10169, 0x10157, 0x10158) change the selected speed and
# heading, which no gauge of this panel shows.
)responses";

std::vector<response> read_responses(std::istream &in, const std::string &file, std::vector<std::string> &errors) {
    std::vector<response> table;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        std::vector<std::string> words = words_of(without_comment(text, {"#", "//"}));
        if (words.empty())
            continue;
        auto fault = [&](const std::string &what) {
            errors.push_back(place(file, number) + what + ": " + in_quotes(trimmed(text)));
        };
        if (words.size() < 3) {
            fault("a line is EVENT step|set|toggle|follow TOKEN ...");
            continue;
        }
        std::optional<std::uint32_t> event = read_token(words[0]), token = read_token(words[2]);
        const std::string &action = words[1];
        // A follower's first value is the token it follows.
        std::optional<std::uint32_t> source =
            action == "follow" && words.size() > 3 ? read_token(words[3]) : std::optional<std::uint32_t>(0);
        std::vector<double> numbers;
        std::optional<std::string> bad_number;
        for (std::size_t i = action == "follow" ? 4 : 3; i < words.size() && !bad_number; ++i) {
            if (std::optional<double> value = read_value(words[i]); value && std::isfinite(*value))
                numbers.push_back(*value);
            else
                bad_number = words[i];
        }
        if (!event)
            fault("the event " + in_quotes(words[0]) + " is not decimal, or hex with 0x");
        else if (action != "step" && action != "set" && action != "toggle" && action != "follow")
            fault("the action " + in_quotes(action) + " is not step, set, toggle or follow");
        else if (!token)
            fault("the token " + in_quotes(words[2]) + " is not decimal, or hex with 0x");
        else if (!source)
            fault("the token " + in_quotes(words[3]) + " is not decimal, or hex with 0x");
        else if (bad_number)
            fault("the value " + in_quotes(*bad_number) + " is not a finite number");
        else if (action == "step" && numbers.size() != 3)
            fault("step needs AMOUNT MIN MAX");
        else if (action == "step" && numbers[1] > numbers[2])
            fault("the step's MIN is above its MAX");
        else if (action == "set" && numbers.size() != 1)
            fault("set needs one VALUE");
        else if (action == "toggle" && numbers.size() != 0 && numbers.size() != 2)
            fault("toggle needs no values, or the two values A B");
        else if (action == "follow" && (words.size() < 4 || numbers.size() != 1))
            fault("follow needs SOURCE FACTOR");
        else if (action == "step")
            table.push_back({*event, response::step, *token, numbers[0], numbers[1], numbers[2]});
        else if (action == "set")
            table.push_back({*event, response::set, *token, numbers[0]});
        else if (action == "follow")
            table.push_back({*event, response::follow, *token, numbers[0], 0, 1, *source});
        else if (numbers.empty())
            table.push_back({*event, response::toggle, *token});
        else
            table.push_back({*event, response::toggle, *token, 0, numbers[0], numbers[1]});
    }
    return table;
}

double respond(const response &line, const std::function<double(std::uint32_t token)> &value) {
    switch (line.action) {
    case response::step:
        return std::clamp(value(line.token) + line.amount, line.low, line.high);
    case response::set:
        return line.amount;
    case response::toggle:
        return value(line.token) == line.low ? line.high : line.low;
    case response::follow:
        return value(line.source) * line.amount;
    }
    return value(line.token);
}

std::string response_text(const response &line) {
    std::ostringstream text;
    text << hex_text(line.event) << " ";
    switch (line.action) {
    case response::step:
        text << "step " << hex_text(line.token) << " " << line.amount << " " << line.low << " " << line.high;
        break;
    case response::set:
        text << "set " << hex_text(line.token) << " " << line.amount;
        break;
    case response::toggle:
        text << "toggle " << hex_text(line.token) << " " << line.low << " " << line.high;
        break;
    case response::follow:
        text << "follow " << hex_text(line.token) << " " << hex_text(line.source) << " " << line.amount;
        break;
    }
    return text.str();
}

} // namespace bench
