// Reading the numbers people type into the bench: variable tokens and variable values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bench {

// A variable token: decimal, or hex with 0x; nothing if the whole text is not one.
std::optional<std::uint32_t> read_token(const std::string &text);

// A floating-point value, the whole text; nothing if it is not one.
std::optional<double> read_value(const std::string &text);

// A whole number, the whole text; nothing if it is not one.
std::optional<int> read_whole_number(const std::string &text);

} // namespace bench
