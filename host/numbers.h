// Reading what people type into the bench: words, variable tokens and values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// The words of a line, split at white space.
std::vector<std::string> words_of(const std::string &line);

// The text after the first `skip` words, without surrounding white space or double quotes.
std::string rest_of(const std::string &line, std::size_t skip);

// A variable token: decimal, or hex with 0x; nothing if the whole text is not one.
std::optional<std::uint32_t> read_token(const std::string &text);

// A floating-point value, the whole text; nothing if it is not one.
std::optional<double> read_value(const std::string &text);

// A whole number, the whole text; nothing if it is not one.
std::optional<int> read_whole_number(const std::string &text);

} // namespace bench
