// Owned Cairo image surfaces and drawing contexts.
#include "surface.h"

#include <algorithm>
#include <stdexcept>

surface::surface(int width, int height)
    : width_(width), height_(height),
      handle_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) {
    if (cairo_surface_status(handle_.get()) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot create a drawing surface");
    }
}

rgba_pixel surface::pixel(int x, int y) const {
    cairo_surface_flush(handle_.get());
    const unsigned char* row =
        cairo_image_surface_get_data(handle_.get()) + y * cairo_image_surface_get_stride(handle_.get());
    const auto argb = reinterpret_cast<const std::uint32_t*>(row)[x];
    const unsigned a = argb >> 24;
    if (a == 0) {
        return {};
    }
    auto unpremultiply = [a](unsigned v) { return static_cast<std::uint8_t>(std::min(255u, (v * 255 + a / 2) / a)); };
    return {unpremultiply((argb >> 16) & 0xFF), unpremultiply((argb >> 8) & 0xFF), unpremultiply(argb & 0xFF),
            static_cast<std::uint8_t>(a)};
}

surface surface::crop(int x, int y, int w, int h) const {
    surface part(w, h);
    canvas cr(part);
    cairo_set_source_surface(cr, handle_.get(), -x, -y);
    cairo_paint(cr);
    return part;
}

canvas::canvas(surface& target) : handle_(cairo_create(target.get())) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(handle_.get(), options);
    cairo_font_options_destroy(options);
}

void set_colour(cairo_t* cr, colour c, double alpha) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

colour shade(colour c, double factor) {
    auto channel = [factor](std::uint8_t v) {
        const double scaled = factor <= 1.0 ? v * factor : v + (255.0 - v) * (factor - 1.0);
        return static_cast<std::uint8_t>(std::clamp(scaled + 0.5, 0.0, 255.0));
    };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

surface flat_surface(int width, int height, colour c) {
    surface s(width, height);
    canvas cr(s);
    set_colour(cr, c);
    cairo_paint(cr);
    return s;
}
