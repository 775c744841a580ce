// How the bench host evaluates and draws the dynamic elements at every update.
#include "gauge_host.h"

#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace bench {
namespace {

constexpr std::size_t longest_failure_list = 64;
constexpr std::uint32_t largest_text = 1024;
constexpr std::size_t text_guard = 16;
constexpr char guard_byte = char(0xA5);

double degrees_of(double x, double y) { return std::atan2(y, x) * 180.0 / std::numbers::pi; }

// The shortest turn from one direction to another, in (-180, 180].
double turn_between(double from, double to) {
    double turn = std::fmod(to - from, 360.0);
    if (turn > 180.0)
        turn -= 360.0;
    if (turn <= -180.0)
        turn += 360.0;
    return turn;
}

// A needle's direction from its nonlinearity table: between the two rows that enclose the
// value, by angle about the turning point; the end rows hold values beyond them.
double table_angle(const needle_element &needle, double value) {
    const nonlinearity_row *rows = needle.nonlinearity;
    std::uint32_t count = needle.nonlinearity_rows;
    auto row_angle = [&](std::uint32_t i) {
        return degrees_of(rows[i].point_x - needle.header.position_x, rows[i].point_y - needle.header.position_y);
    };
    if (std::isnan(value) || value <= rows[0].row_value)
        return row_angle(0);
    for (std::uint32_t i = 0; i + 1 < count; ++i) {
        double low = rows[i].row_value, high = rows[i + 1].row_value;
        if (value <= high) {
            double fraction = high > low ? (value - low) / (high - low) : 1.0;
            return row_angle(i) + fraction * turn_between(row_angle(i), row_angle(i + 1));
        }
    }
    return row_angle(count - 1);
}

int whole_state(double result) {
    if (!std::isfinite(result) || result <= -2147483648.0 || result >= 2147483648.0)
        return -1;
    return int(std::trunc(result));
}

double travel_fraction(double value, double low, double high) {
    if (low == high || !std::isfinite(value))
        return 0.0;
    return std::clamp((value - low) / (high - low), 0.0, 1.0);
}

rgba colour_of(std::uint32_t colour_ref) {
    return {std::uint8_t(colour_ref & 0xFF), std::uint8_t(colour_ref >> 8 & 0xFF), std::uint8_t(colour_ref >> 16 & 0xFF),
            255};
}

// Draws `source` turned by `degrees` clockwise about its point (pivot_x, pivot_y), which is
// placed at (x, y) on the canvas; bilinear filtering, transparent pixels stay transparent.
void draw_turned(image &canvas, const image &source, double degrees, int x, int y, int pivot_x, int pivot_y) {
    double radians = degrees * std::numbers::pi / 180.0;
    double c = std::cos(radians), s = std::sin(radians);
    // Only canvas pixels within the turned picture's bounding box, and a pixel more for the
    // filter, can take any of its colour.
    double low_x = 0, high_x = 0, low_y = 0, high_y = 0;
    for (double u : {double(-pivot_x), double(source.width - pivot_x)})
        for (double v : {double(-pivot_y), double(source.height - pivot_y)}) {
            double rx = c * u - s * v, ry = s * u + c * v;
            low_x = std::min(low_x, rx), high_x = std::max(high_x, rx);
            low_y = std::min(low_y, ry), high_y = std::max(high_y, ry);
        }
    int left = std::max(0, int(std::floor(x + low_x)) - 2), right = std::min(canvas.width, int(std::ceil(x + high_x)) + 2);
    int top = std::max(0, int(std::floor(y + low_y)) - 2), bottom = std::min(canvas.height, int(std::ceil(y + high_y)) + 2);
    auto texel = [&](int u, int v, double weight, double sum[4]) {
        if (u < 0 || v < 0 || u >= source.width || v >= source.height)
            return;
        rgba p = source.at(u, v);
        double alpha = p.a / 255.0 * weight;
        sum[0] += p.r * alpha;
        sum[1] += p.g * alpha;
        sum[2] += p.b * alpha;
        sum[3] += alpha;
    };
    for (int py = top; py < bottom; ++py)
        for (int px = left; px < right; ++px) {
            double rx = px + 0.5 - x, ry = py + 0.5 - y;
            double u = c * rx + s * ry + pivot_x - 0.5, v = -s * rx + c * ry + pivot_y - 0.5;
            int u0 = int(std::floor(u)), v0 = int(std::floor(v));
            double fu = u - u0, fv = v - v0;
            double sum[4] = {};
            texel(u0, v0, (1 - fu) * (1 - fv), sum);
            texel(u0 + 1, v0, fu * (1 - fv), sum);
            texel(u0, v0 + 1, (1 - fu) * fv, sum);
            texel(u0 + 1, v0 + 1, fu * fv, sum);
            if (sum[3] <= 0)
                continue;
            rgba &target = canvas.at(px, py);
            auto blend = [&](std::uint8_t below, double above) {
                return std::uint8_t(std::lround(above + below * (1 - sum[3])));
            };
            target = {blend(target.r, sum[0]), blend(target.g, sum[1]), blend(target.b, sum[2]), 255};
        }
}

} // namespace

std::uint32_t gauge_host::active_failure_effect(const element_header *element) const {
    if (element->failure_list == nullptr || failures_.empty())
        return 0;
    for (std::size_t i = 0; i < longest_failure_list && element->failure_list[i].failure_key != 0; ++i)
        if (failures_.count(element->failure_list[i].failure_key) != 0)
            return element->failure_list[i].failure_action;
    return 0;
}

void gauge_host::evaluate_tree() {
    for (element_header *element : walk_tree()) {
        element_view &shown = views_[element];
        std::uint32_t effect = active_failure_effect(element);
        shown.blank = effect == failure_blanks;
        if (effect == failure_freezes || effect == failure_blanks)
            continue;
        evaluate(element, shown, effect == failure_rests);
    }
}

// Refreshes the element's embedded variables, runs its callbacks and works out what it shows.
// At rest, every value is 0 and no callback runs.
void gauge_host::evaluate(element_header *element, element_view &shown, bool at_rest) {
    auto axis = [&](module_variable &variable, variable_callback_fn callback) {
        if (at_rest)
            return 0.0;
        refresh_variable(variable);
        return callback != nullptr ? callback(&variable) : variable.value;
    };
    switch (element->element_type) {
    case element_needle: {
        auto &needle = *reinterpret_cast<needle_element *>(element);
        shown.value_x = axis(needle.variable, needle.callback);
        bool table = needle.nonlinearity != nullptr && needle.nonlinearity_rows > 0;
        shown.angle = table ? table_angle(needle, shown.value_x) : shown.value_x;
        break;
    }
    case element_icon: {
        auto &icon = *reinterpret_cast<icon_element *>(element);
        if (gauge_->header_version == header_version_700 &&
            reinterpret_cast<icon_element_700 *>(element)->element_callback != nullptr) {
            refresh_variable(icon.variable);
            shown.value_x = at_rest ? 0.0 : reinterpret_cast<icon_element_700 *>(element)->element_callback(element);
        } else {
            shown.value_x = axis(icon.variable, icon.callback);
        }
        shown.state = whole_state(shown.value_x);
        break;
    }
    case element_slider: {
        auto &slider = *reinterpret_cast<slider_element *>(element);
        shown.value_x = axis(slider.x_variable, slider.x_callback);
        shown.value_y = axis(slider.y_variable, slider.y_callback);
        shown.offset_x = shown.value_x * slider.x_scale;
        shown.offset_y = shown.value_y * slider.y_scale;
        break;
    }
    case element_moving_image: {
        auto &moving = *reinterpret_cast<moving_image_element *>(element);
        shown.value_x = axis(moving.x_variable, moving.x_callback);
        shown.value_y = axis(moving.y_variable, moving.y_callback);
        const image *strip = bitmap(element->bitmap_id);
        const image *window = bitmap(element->bitmap_id + 3);
        if (strip == nullptr || window == nullptr)
            break;
        shown.offset_x = travel_fraction(shown.value_x, moving.x_min, moving.x_max) * (strip->width - window->width);
        shown.offset_y = travel_fraction(shown.value_y, moving.y_min, moving.y_max) * (strip->height - window->height);
        break;
    }
    case element_string: {
        auto &string = *reinterpret_cast<string_element *>(element);
        for (module_variable &variable : string.variables)
            refresh_variable(variable);
        shown.colour = string.text_colour;
        if (at_rest) {
            shown.value_x = 0;
            shown.text.clear();
            break;
        }
        if (string.max_chars > largest_text) {
            error("string element allows " + std::to_string(string.max_chars) + " characters, more than the bench's " +
                  std::to_string(largest_text));
            break;
        }
        // The host's buffer: max_chars + 1 characters, then a guard that catches overruns.
        std::vector<char> &buffer = text_buffers_[element];
        std::size_t room = std::size_t(string.max_chars) + 1;
        buffer.assign(room + text_guard, guard_byte);
        std::fill_n(buffer.begin(), room, '\0');
        string.text = buffer.data();
        shown.value_x = string.callback != nullptr ? string.callback(string.variables[0].value) : 0.0;
        shown.colour = string.text_colour;
        if (std::any_of(buffer.begin() + room, buffer.end(), [](char c) { return c != guard_byte; }))
            error("string callback wrote past its " + std::to_string(room) + "-character buffer");
        const char *end = static_cast<const char *>(std::memchr(buffer.data(), '\0', room));
        if (end == nullptr)
            error("string callback left its text without a terminating NUL");
        shown.text.assign(buffer.data(), end != nullptr ? std::size_t(end - buffer.data()) : room);
        break;
    }
    default:
        break;
    }
}

void gauge_host::draw_element(image &canvas, element_header *element) {
    const element_view &shown = view(element);
    int x = element->position_x, y = element->position_y;
    switch (element->element_type) {
    case element_static_image:
        if (const image *picture = bitmap(element->bitmap_id))
            draw_image(canvas, *picture, x, y, false);
        break;
    case element_needle:
        if (const image *picture = bitmap(element->bitmap_id); picture != nullptr && std::isfinite(shown.angle))
            draw_turned(canvas, *picture, shown.angle, x, y, element->offset_x, element->offset_y);
        break;
    case element_icon: {
        auto &icon = *reinterpret_cast<icon_element *>(element);
        if (shown.state < 0 || std::uint32_t(shown.state) >= icon.state_count)
            break;
        std::uint32_t step = gauge_->header_version == header_version_700 ? 1 : 3;
        if (const image *picture = bitmap(element->bitmap_id + step * std::uint32_t(shown.state)))
            draw_image(canvas, *picture, x, y, false);
        break;
    }
    case element_slider:
        if (const image *picture = bitmap(element->bitmap_id);
            picture != nullptr && std::isfinite(shown.offset_x) && std::isfinite(shown.offset_y) &&
            std::fabs(shown.offset_x) < 1e6 && std::fabs(shown.offset_y) < 1e6)
            draw_image(canvas, *picture, x + int(std::lround(shown.offset_x)), y + int(std::lround(shown.offset_y)),
                       false);
        break;
    case element_moving_image: {
        const image *strip = bitmap(element->bitmap_id);
        const image *window = bitmap(element->bitmap_id + 3);
        if (strip == nullptr || window == nullptr)
            break;
        // The part of the strip behind the window, then the window picture over it.
        draw_region(canvas, *strip, x, y, int(std::lround(shown.offset_x)), int(std::lround(shown.offset_y)),
                    window->width, window->height, false);
        draw_image(canvas, *window, x, y, false);
        break;
    }
    case element_string: {
        auto &string = *reinterpret_cast<string_element *>(element);
        char font[sizeof string.font_name + 1] = {};
        std::memcpy(font, string.font_name, sizeof string.font_name);
        draw_text(canvas, shown.text, {x, y, string.box_width, string.box_height}, colour_of(shown.colour), font,
                  string.text_format);
        break;
    }
    default:
        break;
    }
}

} // namespace bench
