// Reading what people type into the bench: words, variable tokens and values.
#include "numbers.h"

#include <charconv>
#include <cstdlib>
#include <sstream>

namespace bench {

std::vector<std::string> words_of(const std::string &line) {
    std::vector<std::string> words;
    std::istringstream input(line);
    for (std::string word; input >> word;)
        words.push_back(word);
    return words;
}

std::string rest_of(const std::string &line, std::size_t skip) {
    std::istringstream input(line);
    std::string word;
    for (std::size_t i = 0; i < skip; ++i)
        input >> word;
    std::string rest;
    std::getline(input >> std::ws, rest);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
        rest.pop_back();
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

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
