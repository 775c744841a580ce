// The lines of the bench's input files: comments, blanks and the place of a fault.
#include "lines.h"

#include <algorithm>

namespace bench {

std::string trimmed(const std::string &text) {
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string without_comment(const std::string &line, std::initializer_list<const char *> markers) {
    std::size_t end = line.size();
    for (const char *marker : markers)
        end = std::min(end, line.find(marker));
    return trimmed(line.substr(0, end));
}

std::string in_quotes(const std::string &text) { return "\"" + text + "\""; }

std::string place(const std::string &file, int line) { return file + ":" + std::to_string(line) + ": "; }

std::optional<std::string> read_arguments(const std::vector<std::string> &arguments, const verb_options &options,
                                          const std::string &verb, std::string &positional) {
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        if (auto option = options.find(*argument); option != options.end()) {
            if (std::next(argument) == arguments.end())
                return *argument + " needs a value";
            option->second(*++argument);
        } else if (argument->starts_with("-")) {
            return "unknown option " + in_quotes(*argument) + " for " + verb;
        } else if (positional.empty()) {
            positional = *argument;
        } else {
            return "unexpected argument " + in_quotes(*argument);
        }
    }
    return std::nullopt;
}

} // namespace bench
