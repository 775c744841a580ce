// Oil thermometer: 101 x 101 dial whose scale of sixteen ticks, 12 degrees apart on a circle
// of radius 36 about the needle's turning point (50, 50), carries the calibration points;
// the 47 x 7 needle points along +x from its pivot (12, 3).
#include "gauges.h"

#include <numbers>
#include <string>

namespace {

constexpr point turning_point = pixel_centre(50, 50);
constexpr double scale_radius = 36.0;
constexpr int scale_ticks = 16;
constexpr colour red_line{222, 46, 38};

// Angle of tick k, degrees clockwise from up: the scale runs from -120 degrees from the
// positive x axis (k = 0) to +60 degrees (k = 15).
constexpr double tick_degrees(int k) { return -120.0 + 12.0 * k + 90.0; }

surface draw_dial() {
    surface dial(101, 101);
    canvas cr(dial);
    fill_panel(cr, 101, 101);
    draw_round_bezel(cr, turning_point, 45.0, 50.0);
    cairo_arc(cr, turning_point.x, turning_point.y, 45.0, 0, 2 * std::numbers::pi);
    set_colour(cr, dial_face);
    cairo_fill(cr);

    // Arc along the outer ends of the ticks, then the ticks across the scale circle, a long
    // one every fifth.
    cairo_arc(cr, turning_point.x, turning_point.y, scale_radius + 3.5, (-120.0) * std::numbers::pi / 180.0,
              60.0 * std::numbers::pi / 180.0);
    set_colour(cr, marking_white);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    for (int k = 0; k < scale_ticks; ++k) {
        const bool major = k % 5 == 0;
        draw_radial_line(cr, turning_point, major ? scale_radius - 5.0 : scale_radius - 2.5, scale_radius + 3.5,
                         tick_degrees(k), major ? 2.0 : 1.2, marking_white);
    }
    draw_radial_line(cr, turning_point, scale_radius - 5.0, scale_radius + 6.5, tick_degrees(scale_ticks - 1), 2.2,
                     red_line);

    const text_style numerals{typeface::condensed_bold, 9.0, marking_white};
    for (int k = 0; k < scale_ticks; k += 5) {
        const point at = polar(turning_point, scale_radius - 13.0, tick_degrees(k));
        draw_text(cr, numerals, std::to_string(k * 10), at.x, at.y);
    }
    const text_style label{typeface::condensed_bold, 7.5, marking_white};
    draw_text(cr, label, "OIL", 30, 60);
    draw_text(cr, label, "TEMP", 30, 69);

    // Hub under the needle.
    cairo_arc(cr, turning_point.x, turning_point.y, 5.0, 0, 2 * std::numbers::pi);
    set_colour(cr, {44, 45, 48});
    cairo_fill(cr);
    return dial;
}

surface draw_needle() {
    surface layer(47, 7);
    canvas cr(layer);
    const point pivot = pixel_centre(12, 3);
    cairo_move_to(cr, 1.0, pivot.y - 1.2);
    cairo_line_to(cr, pivot.x, pivot.y - 1.7);
    cairo_line_to(cr, 46.6, pivot.y - 0.5);
    cairo_line_to(cr, 46.6, pivot.y + 0.5);
    cairo_line_to(cr, pivot.x, pivot.y + 1.7);
    cairo_line_to(cr, 1.0, pivot.y + 1.2);
    cairo_close_path(cr);
    set_colour(cr, marking_white);
    cairo_fill(cr);
    draw_needle_hub(cr, pivot, 3.3);
    return layer;
}

}  // namespace

resource_directory make_oil_thermometer(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "oil_thermometer");
    const resource_ref needle = add_overlay(directory, 101, "needle", draw_needle(), flat_surface(47, 7, dial_face));
    const resource_ref background = add_opaque(directory, 102, "dial", draw_dial());
    directory.write_manifest();

    // The needle at the first, middle and last calibration points (-120, 0 and +60 degrees).
    for (double degrees : {-120.0, 0.0, 60.0}) {
        directory.add_scene("needle at " + std::to_string(static_cast<int>(degrees)) + " degrees",
                            {{.picture = background},
                             {.picture = needle, .x = 50, .y = 50, .pivot_x = 12, .pivot_y = 3, .angle = degrees}});
    }
    return directory;
}
