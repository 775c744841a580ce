// Shared drawing pieces of the panel's look.
#include "paint.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// The direction light comes from, degrees clockwise from up (the upper left).
constexpr double light_from_degrees = -45.0;

// Fills the current path with a gradient lit from the upper left across the given circle.
void fill_lit(cairo_t* cr, point centre, double radius, colour lit, colour unlit) {
    fill_linear(cr, polar(centre, radius, light_from_degrees), polar(centre, radius, light_from_degrees + 180.0),
                {lit, unlit});
}

void fill_with(cairo_t* cr, cairo_pattern_t* pattern) {
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

void add_stop(cairo_pattern_t* p, double offset, colour c) {
    cairo_pattern_add_color_stop_rgb(p, offset, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

}  // namespace

point polar(point centre, double radius, double degrees_from_up) {
    return {centre.x + radius * std::sin(radians(degrees_from_up)),
            centre.y - radius * std::cos(radians(degrees_from_up))};
}

void fill_linear(cairo_t* cr, point from, point to, std::initializer_list<colour> stops) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(from.x, from.y, to.x, to.y);
    double offset = 0.0;
    for (colour c : stops) {
        add_stop(gradient, offset, c);
        offset += 1.0 / static_cast<double>(stops.size() - 1);
    }
    fill_with(cr, gradient);
}

void fill_radial(cairo_t* cr, point inner_centre, double inner_radius, point outer_centre, double outer_radius,
                 colour inner, colour outer) {
    cairo_pattern_t* gradient = cairo_pattern_create_radial(inner_centre.x, inner_centre.y, inner_radius,
                                                            outer_centre.x, outer_centre.y, outer_radius);
    add_stop(gradient, 0.0, inner);
    add_stop(gradient, 1.0, outer);
    fill_with(cr, gradient);
}

void rounded_rectangle(cairo_t* cr, double x, double y, double w, double h, double corner) {
    const double r = std::min(corner, std::min(w, h) / 2.0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, radians(-90), 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, radians(90));
    cairo_arc(cr, x + r, y + h - r, r, radians(90), radians(180));
    cairo_arc(cr, x + r, y + r, r, radians(180), radians(270));
    cairo_close_path(cr);
}

void fill_panel(cairo_t* cr, int width, int height) {
    cairo_rectangle(cr, 0, 0, width, height);
    fill_linear(cr, {0, 0}, {0, double(height)}, {shade(panel_paint, 1.07), shade(panel_paint, 0.93)});
}

void draw_round_shadow(cairo_t* cr, point centre, double radius, double spread) {
    const point c{centre.x + spread * 0.45, centre.y + spread * 0.6};
    cairo_pattern_t* shadow = cairo_pattern_create_radial(c.x, c.y, radius - spread * 0.5, c.x, c.y, radius + spread);
    cairo_pattern_add_color_stop_rgba(shadow, 0.0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(shadow, 1.0, 0, 0, 0, 0.0);
    cairo_arc(cr, c.x, c.y, radius + spread, 0, 2 * std::numbers::pi);
    fill_with(cr, shadow);
}

void draw_screw(cairo_t* cr, point centre, double radius, double slot_degrees) {
    draw_round_shadow(cr, centre, radius, 1.2);
    cairo_arc(cr, centre.x, centre.y, radius, 0, 2 * std::numbers::pi);
    fill_lit(cr, centre, radius, {168, 170, 172}, {58, 60, 62});
    cairo_arc(cr, centre.x, centre.y, radius - 0.4, 0, 2 * std::numbers::pi);
    set_colour(cr, {30, 31, 33}, 0.6);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    const point a = polar(centre, radius * 0.8, slot_degrees);
    const point b = polar(centre, radius * 0.8, slot_degrees + 180.0);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    set_colour(cr, {28, 29, 31});
    cairo_set_line_width(cr, std::max(0.9, radius * 0.35));
    cairo_stroke(cr);
}

void draw_round_bezel(cairo_t* cr, point centre, double inner_radius, double outer_radius) {
    draw_round_shadow(cr, centre, outer_radius, 2.0);
    cairo_arc(cr, centre.x, centre.y, outer_radius, 0, 2 * std::numbers::pi);
    cairo_arc_negative(cr, centre.x, centre.y, inner_radius, 2 * std::numbers::pi, 0);
    fill_lit(cr, centre, outer_radius, {128, 132, 137}, {34, 36, 39});
    // Inner chamfer, lit from the opposite side, and the dark seam to the dial.
    const double chamfer = std::min(1.6, (outer_radius - inner_radius) / 3.0);
    cairo_arc(cr, centre.x, centre.y, inner_radius + chamfer, 0, 2 * std::numbers::pi);
    cairo_arc_negative(cr, centre.x, centre.y, inner_radius, 2 * std::numbers::pi, 0);
    fill_lit(cr, centre, inner_radius, {30, 32, 34}, {112, 116, 120});
    cairo_arc(cr, centre.x, centre.y, outer_radius - 0.4, 0, 2 * std::numbers::pi);
    set_colour(cr, {20, 21, 23}, 0.7);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

void draw_recess(cairo_t* cr, double x, double y, double w, double h, double corner, colour floor) {
    // Bevel: dark above and left, lit below and right.
    rounded_rectangle(cr, x - 1.5, y - 1.5, w + 3, h + 3, corner + 1.5);
    fill_linear(cr, {x, y}, {x + std::min(w, h) * 0.3, y + h}, {shade(panel_paint, 0.45), shade(panel_paint, 1.45)});

    rounded_rectangle(cr, x, y, w, h, corner);
    set_colour(cr, floor);
    cairo_fill(cr);

    // Shadow of the upper edge on the floor.
    cairo_pattern_t* shadow = cairo_pattern_create_linear(0, y, 0, y + std::min(4.0, h / 3.0));
    cairo_pattern_add_color_stop_rgba(shadow, 0.0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(shadow, 1.0, 0, 0, 0, 0.0);
    rounded_rectangle(cr, x, y, w, h, corner);
    fill_with(cr, shadow);
}

void draw_radial_line(cairo_t* cr, point centre, double inner_radius, double outer_radius, double degrees,
                      double width, colour ink) {
    const point a = polar(centre, inner_radius, degrees);
    const point b = polar(centre, outer_radius, degrees);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    set_colour(cr, ink);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_stroke(cr);
}

void draw_knob_collar(cairo_t* cr, point centre, double radius) {
    cairo_arc(cr, centre.x, centre.y, radius + 0.8, 0, 2 * std::numbers::pi);
    set_colour(cr, shade(panel_paint, 1.35));
    cairo_fill(cr);
    cairo_arc(cr, centre.x, centre.y, radius, 0, 2 * std::numbers::pi);
    set_colour(cr, {28, 29, 32});
    cairo_fill(cr);
}

void draw_needle_hub(cairo_t* cr, point centre, double radius) {
    cairo_arc(cr, centre.x, centre.y, radius, 0, 2 * std::numbers::pi);
    set_colour(cr, {36, 37, 40});
    cairo_fill(cr);
    cairo_arc(cr, centre.x, centre.y, radius * 0.82, 0, 2 * std::numbers::pi);
    fill_radial(cr, {centre.x - radius * 0.3, centre.y - radius * 0.3}, 0.3, centre, radius * 0.82, {156, 158, 162},
                {56, 58, 62});
}

void draw_grip(cairo_t* cr, double x, double y, double w, double h, double corner, const grip_look& look) {
    rounded_rectangle(cr, x + 1.2, y + 1.8, w, h, corner);
    set_colour(cr, {0, 0, 0}, 0.45);
    cairo_fill(cr);
    rounded_rectangle(cr, x, y, w, h, corner);
    fill_linear(cr, {0, y}, {0, y + h}, {look.top, look.middle, look.bottom});
    rounded_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1, corner);
    set_colour(cr, shade(look.bottom, 0.6), 0.8);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void draw_knurled_knob(cairo_t* cr, point centre, double turn_degrees, const knurled_knob_look& look) {
    const double r = look.radius;
    draw_round_shadow(cr, centre, r, 2.0);
    cairo_arc(cr, centre.x, centre.y, r, 0, 2 * std::numbers::pi);
    fill_lit(cr, centre, r, shade(look.body, 1.5), shade(look.body, 0.45));

    // Ridges: a dark groove and a lit crest per ridge, the crest brighter where it faces the light.
    const double depth = std::max(1.2, r * 0.16);
    const double pitch = 360.0 / look.ridges;
    for (int i = 0; i < look.ridges; ++i) {
        const double groove = turn_degrees + i * pitch;
        draw_radial_line(cr, centre, r - depth, r, groove, std::max(0.7, r * 0.06), shade(look.body, 0.3));
        const double crest = groove + pitch / 2.0;
        const double facing = std::cos(radians(crest - light_from_degrees));
        const double brightness = 0.9 + 0.55 * std::max(0.0, facing);
        draw_radial_line(cr, centre, r - depth, r - 0.3, crest, std::max(0.6, r * 0.05),
                         shade(look.body, brightness));
    }

    // Cap.
    const double cap = r - depth - 0.4;
    cairo_arc(cr, centre.x, centre.y, cap, 0, 2 * std::numbers::pi);
    set_colour(cr, shade(look.body, 0.35));
    cairo_fill(cr);
    cairo_arc(cr, centre.x, centre.y, cap - 0.7, 0, 2 * std::numbers::pi);
    fill_lit(cr, centre, cap, shade(look.body, 1.3), shade(look.body, 0.7));

    for (int i = 0; i < look.cap_marks; ++i) {
        const double degrees = turn_degrees + i * 360.0 / look.cap_marks;
        const point a = polar(centre, cap * 0.2, degrees);
        const point b = polar(centre, cap * 0.85, degrees);
        cairo_move_to(cr, a.x, a.y);
        cairo_line_to(cr, b.x, b.y);
    }
    set_colour(cr, look.mark_ink);
    cairo_set_line_width(cr, std::max(1.1, r * 0.12));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void draw_bar_knob(cairo_t* cr, point centre, double pointing_degrees, const bar_knob_look& look) {
    constexpr colour skirt{46, 48, 51};
    constexpr colour bar{58, 60, 64};
    const double half = look.bar_length / 2.0;

    draw_round_shadow(cr, centre, look.skirt_radius, 2.2);
    cairo_arc(cr, centre.x, centre.y, look.skirt_radius, 0, 2 * std::numbers::pi);
    fill_lit(cr, centre, look.skirt_radius, shade(skirt, 2.0), shade(skirt, 0.45));
    cairo_arc(cr, centre.x, centre.y, look.skirt_radius - 1.2, 0, 2 * std::numbers::pi);
    fill_lit(cr, centre, look.skirt_radius, shade(skirt, 0.8), shade(skirt, 1.25));

    // The bar: its outline is built in the knob's turned frame, its shading stays in the
    // picture's frame.
    auto bar_outline = [&](double grow, double dx, double dy) {
        cairo_save(cr);
        cairo_translate(cr, centre.x + dx, centre.y + dy);
        cairo_rotate(cr, radians(pointing_degrees));
        rounded_rectangle(cr, -look.bar_width / 2.0 - grow, -half - grow, look.bar_width + 2 * grow,
                          look.bar_length + 2 * grow, look.bar_width / 2.0);
        cairo_restore(cr);
    };
    bar_outline(0.6, 1.0, 1.4);
    set_colour(cr, {0, 0, 0}, 0.45);
    cairo_fill(cr);
    bar_outline(0.0, 0.0, 0.0);
    fill_lit(cr, centre, half, shade(bar, 2.1), shade(bar, 0.55));
    bar_outline(-1.0, 0.0, 0.0);
    fill_lit(cr, centre, half, shade(bar, 1.1), shade(bar, 1.3));

    const point from = polar(centre, look.bar_width * 0.2, pointing_degrees);
    const point tip = polar(centre, half - 1.8, pointing_degrees);
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, tip.x, tip.y);
    set_colour(cr, marking_white);
    cairo_set_line_width(cr, std::max(1.3, look.bar_width * 0.22));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}
