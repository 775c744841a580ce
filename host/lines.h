// The lines of the bench's input files: comments, blanks and the place of a fault.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// The text without blanks, tabs and carriage returns at either end.
std::string trimmed(const std::string &text);

// The line without its comment, which starts at the first of `markers`, trimmed.
std::string without_comment(const std::string &line, std::initializer_list<const char *> markers);

std::string in_quotes(const std::string &text);

// "FILE:LINE: ", the start of a message about one line of a file.
std::string place(const std::string &file, int line);

// The options of a verb, by name; each takes the argument after it as its value.
using verb_options = std::map<std::string, std::function<void(const std::string &)>>;

// Reads a verb's arguments: an option of `options` with its value, and at most one argument
// that is not an option, which goes to `positional`. The first mistake, or nothing.
std::optional<std::string> read_arguments(const std::vector<std::string> &arguments, const verb_options &options,
                                          const std::string &verb, std::string &positional);

} // namespace bench
