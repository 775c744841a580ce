// Helpers for the gauge tests: a gauge started as the panel starts it, pictures composed the
// way a gauge's values say they should look, and the mouse list and key events as the host sees them.
#pragma once

#include "gauge_host.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace checks {

// Installs and initialises a gauge of one background with one element below it, and returns
// that element; null if the tree has another shape.
inline element_header *start_with_one_element(bench::gauge_host &host) {
    host.install();
    host.initialize();
    std::vector<element_header *> elements = host.elements();
    return elements.size() == 2 && elements[0] == host.top() ? elements[1] : nullptr;
}

// A fixture for a gauge of one background with one element below it that shows one variable.
struct one_variable_gauge : testing::Test {
    one_variable_gauge(const char *module, std::uint32_t token) : host(bench::find_module(module)), token(token) {}
    void SetUp() override {
        element = start_with_one_element(host);
        ASSERT_NE(element, nullptr);
    }
    // What the element shows after one frame with the variable at `value`.
    const bench::element_view &show(double value) {
        host.set_variable(token, value);
        host.frame();
        return host.view(element);
    }

    bench::gauge_host host;
    std::uint32_t token;
    element_header *element = nullptr;
};

// Everything the host made of an element, in one line, for comparing one life of a gauge with another.
inline std::string view_text(const bench::element_view &view) {
    std::ostringstream text;
    text << "state " << view.state << " value " << view.value_x << "," << view.value_y << " angle " << view.angle
         << " offset " << view.offset_x << "," << view.offset_y << " text \"" << view.text << "\" colour "
         << view.colour << (view.blank ? " blank" : "");
    return text.str();
}

// The key events the host was sent, in order.
inline std::vector<std::uint32_t> sent_events(const bench::gauge_host &host) {
    std::vector<std::uint32_t> events;
    for (const bench::key_event &event : host.key_events())
        events.push_back(event.event);
    return events;
}

// A rectangle of gauge pixels: left, top, width, height.
struct region {
    int x, y, w, h;
};

// A picture drawn first, with nothing below it: its transparent pixels show as they are.
inline bench::image opaque(const bench::image &picture) {
    bench::image result = picture;
    for (bench::rgba &pixel : result.pixels)
        pixel.a = 255;
    return result;
}

// `below` with `above` laid over it at (x, y); where `above` is transparent, `below` shows.
inline bench::image overlay(bench::image below, const bench::image &above, int x, int y) {
    for (int row = 0; row < above.height; ++row)
        for (int column = 0; column < above.width; ++column) {
            bench::rgba pixel = above.at(column, row);
            int tx = x + column, ty = y + row;
            if (pixel.a != 0 && tx >= 0 && ty >= 0 && tx < below.width && ty < below.height)
                below.at(tx, ty) = {pixel.r, pixel.g, pixel.b, 255};
        }
    return below;
}

// The picture turned about its vertical axis, for checks that must tell left from right.
inline bench::image mirrored(const bench::image &picture) {
    bench::image result = picture;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            result.at(x, y) = picture.at(picture.width - 1 - x, y);
    return result;
}

// Pixels of `area` in which two pictures of the same size differ; every pixel if the sizes differ.
inline int differing_pixels(const bench::image &a, const bench::image &b, region area) {
    if (a.width != b.width || a.height != b.height)
        return area.w * area.h;
    int count = 0;
    for (int y = area.y; y < area.y + area.h; ++y)
        for (int x = area.x; x < area.x + area.w; ++x)
            count += a.at(x, y) == b.at(x, y) ? 0 : 1;
    return count;
}
inline int differing_pixels(const bench::image &a, const bench::image &b) {
    return differing_pixels(a, b, {0, 0, a.width, a.height});
}

// The innermost click area or group start at (x, y) in the gauge's live mouse list, or null.
inline const mouse_rect *rect_at(const bench::gauge_host &host, int x, int y, std::uint32_t kind) {
    const mouse_rect *list = host.live_mouse_list();
    if (list == nullptr)
        return nullptr;
    std::string fault;
    const mouse_rect *found = nullptr;
    for (const bench::placed_rect &placed : bench::read_mouse_list(list, fault))
        if (placed.rect->rect_kind == kind && x >= placed.x && y >= placed.y && x < placed.x + placed.rect->box_w &&
            y < placed.y + placed.rect->box_h)
            found = placed.rect;
    return fault.empty() ? found : nullptr;
}

} // namespace checks
