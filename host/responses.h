// What the simulator does with the panel's key events, so that the bench can play its part:
// a key event moves a simulator variable.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace bench {

// One line of a response table: `EVENT step TOKEN AMOUNT MIN MAX`, `EVENT set TOKEN VALUE`,
// `EVENT toggle TOKEN [A B]` or `EVENT follow TOKEN SOURCE FACTOR`.
struct response {
    enum action_kind { step, set, toggle, follow };
    std::uint32_t event = 0;
    action_kind action = set;
    std::uint32_t token = 0;
    double amount = 0;        // step: added to the value; set: the new value; follow: the factor
    double low = 0, high = 1; // step: the range the value stays in; toggle: the two values A and B
    std::uint32_t source = 0; // follow: the variable followed
    bool operator==(const response &) const = default;
};

// Reads a response table: one response a line, numbers as in a flight state (tokens and
// events decimal or hex with 0x), blank lines and comments starting with # or // skipped.
// An event may have several lines; they apply in file order. Each bad line adds one line to
// `errors`: "FILE:LINE: what: "text"".
std::vector<response> read_responses(std::istream &in, const std::string &file, std::vector<std::string> &errors);

// The variable's value after the response, from the values before (`value` gives each): a
// step stays within MIN..MAX; a toggle gives B for a value equal to A, and A for any other;
// a follower takes SOURCE's value times FACTOR.
double respond(const response &line, const std::function<double(std::uint32_t token)> &value);

// A response as a table line, for showing what the bench did.
std::string response_text(const response &line);

// The responses of the bench's own panel, as a table text.
extern const char default_responses[];

} // namespace bench
