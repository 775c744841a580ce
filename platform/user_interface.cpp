// wsprintfA over a formatter of our own, for the conversions the gauges use.
#include "user_interface.h"

#include "control.h"

#include <cstdarg>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t longest_output = 1024; // characters, the terminating NUL included

struct conversion {
    bool left = false;  // '-': pad on the right
    bool zeros = false; // '0': pad numbers with zeros after the sign
    int width = 0;
    int precision = -1; // numbers: least digits; strings: most characters
};

int read_number(const char *&at) {
    int number = 0;
    while (*at >= '0' && *at <= '9' && number < int(longest_output))
        number = number * 10 + (*at++ - '0');
    while (*at >= '0' && *at <= '9')
        ++at;
    return number;
}

std::string digits_of(std::uint32_t magnitude, unsigned base, bool upper) {
    const char *numerals = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), numerals[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);
    return digits;
}

void append_padded(std::string &out, const conversion &field, std::string_view sign, std::string body, bool number) {
    if (number && field.precision >= 0 && body.size() < std::size_t(field.precision))
        body.insert(0, std::size_t(field.precision) - body.size(), '0');
    std::size_t length = sign.size() + body.size();
    std::size_t padding = field.width > 0 && std::size_t(field.width) > length ? std::size_t(field.width) - length : 0;
    if (field.left) {
        out.append(sign).append(body).append(padding, ' ');
    } else if (field.zeros && number) {
        out.append(sign).append(padding, '0').append(body);
    } else {
        out.append(padding, ' ').append(sign).append(body);
    }
}

std::string format_text(const char *format, va_list arguments) {
    std::string out;
    for (const char *at = format; *at != '\0';) {
        if (*at != '%') {
            out += *at++;
            continue;
        }
        const char *start = at++;
        conversion field;
        for (;; ++at) {
            if (*at == '-')
                field.left = true;
            else if (*at == '0')
                field.zeros = true;
            else
                break;
        }
        field.width = read_number(at);
        if (*at == '.') {
            ++at;
            field.precision = read_number(at);
        }
        while (*at == 'l' || *at == 'h')
            ++at; // every integer argument is 32 bits here
        switch (*at) {
        case 'd':
        case 'i': {
            int value = va_arg(arguments, int);
            std::uint32_t magnitude = value < 0 ? 0u - std::uint32_t(value) : std::uint32_t(value);
            append_padded(out, field, value < 0 ? "-" : "", digits_of(magnitude, 10, false), true);
            break;
        }
        case 'u':
            append_padded(out, field, "", digits_of(va_arg(arguments, unsigned), 10, false), true);
            break;
        case 'x':
        case 'X':
            append_padded(out, field, "", digits_of(va_arg(arguments, unsigned), 16, *at == 'X'), true);
            break;
        case 'c':
            append_padded(out, field, "", std::string(1, char(va_arg(arguments, int))), false);
            break;
        case 's': {
            const char *text = va_arg(arguments, const char *);
            std::string_view shown = text != nullptr ? text : "(null)";
            if (field.precision >= 0)
                shown = shown.substr(0, std::size_t(field.precision));
            append_padded(out, field, "", std::string(shown), false);
            break;
        }
        case '%':
            out += '%';
            break;
        case '\0':
            out.append(start, at); // a lone % at the end stays as it was written
            continue;
        default:
            out.append(start, at + 1); // a conversion we do not know stays as it was written
            break;
        }
        ++at;
    }
    return out;
}

} // namespace

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    std::string out;
    if (format != nullptr) {
        va_list arguments;
        va_start(arguments, format);
        out = format_text(format, arguments);
        va_end(arguments);
    }
    if (out.size() > longest_output - 1)
        out.resize(longest_output - 1);
    std::string described = format != nullptr ? "\"" + std::string(format) + "\" gives \"" + out + "\"" : "null format";
    bool failed = platform::begin_call("wsprintfA", described);
    if (buffer == nullptr)
        return 0;
    if (failed)
        out.clear();
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return int(out.size());
}

namespace {

HWND main_window;
std::vector<platform::message_box> boxes;

} // namespace

HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR window_name) {
    std::string described = std::string(class_name ? class_name : "null") + ", " + (window_name ? window_name : "null");
    if (platform::begin_call("FindWindowA", described) || class_name == nullptr)
        return nullptr;
    bool matches = std::string(class_name) == "FS98MAIN" && window_name == nullptr;
    return matches ? main_window : nullptr;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    if (platform::begin_call("MessageBoxA", text ? text : "null"))
        return 0;
    boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
    return 1;
}

namespace platform {

void set_main_window(HWND window) { main_window = window; }
std::vector<message_box> message_boxes() { return boxes; }
void clear_message_boxes() { boxes.clear(); }

} // namespace platform
