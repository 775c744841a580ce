// Reading the numbers people type into the bench: variable tokens and variable values.
#include "numbers.h"

#include <charconv>
#include <cstdlib>

namespace bench {

std::optional<std::uint32_t> read_token(const std::string &text) {
    bool hex = text.starts_with("0x") || text.starts_with("0X");
    std::uint32_t token = 0;
    const char *begin = text.data() + (hex ? 2 : 0), *end = text.data() + text.size();
    auto [last, error] = std::from_chars(begin, end, token, hex ? 16 : 10);
    if (begin == end || error != std::errc() || last != end)
        return std::nullopt;
    return token;
}

std::optional<double> read_value(const std::string &text) {
    char *end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> read_whole_number(const std::string &text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace bench
