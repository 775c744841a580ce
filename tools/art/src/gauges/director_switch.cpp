// Director switch: 18 x 55 base with its F/D ON / OFF lettering and the toggle's bushing,
// the toggle down (off) and up (on), and the click sound.
#include "gauges.h"

#include "click_sound.h"
#include "containers.h"

#include <numbers>

namespace {

constexpr point bushing{9.0, 29.0};

surface draw_base() {
    surface picture(18, 55);
    canvas cr(picture);
    fill_panel(cr, 18, 55);
    const text_style lettering{typeface::condensed_bold, 6.5, marking_white};
    draw_text(cr, lettering, "F/D", 9, 4.0);
    draw_text(cr, lettering, "ON", 9, 11.5);
    draw_text(cr, lettering, "OFF", 9, 50.5);

    // Bushing: a lit ring round the dark hole the toggle stands in.
    draw_round_shadow(cr, bushing, 5.6, 1.5);
    cairo_arc(cr, bushing.x, bushing.y, 5.6, 0, 2 * std::numbers::pi);
    fill_linear(cr, {bushing.x - 4, bushing.y - 4}, {bushing.x + 4, bushing.y + 4}, {{200, 202, 206}, {62, 64, 68}});
    cairo_arc(cr, bushing.x, bushing.y, 2.6, 0, 2 * std::numbers::pi);
    set_colour(cr, {20, 20, 22});
    cairo_fill(cr);
    return picture;
}

// The toggle's bat from the bushing to its rounded tip at tip_y.
surface draw_toggle(double tip_y) {
    surface layer(18, 55);
    canvas cr(layer);
    const double direction = tip_y < bushing.y ? -1.0 : 1.0;
    auto bat = [&](double dx, double dy) {
        cairo_move_to(cr, bushing.x - 1.5 + dx, bushing.y + dy);
        cairo_line_to(cr, bushing.x - 2.3 + dx, tip_y - direction * 2.0 + dy);
        cairo_line_to(cr, bushing.x + 2.3 + dx, tip_y - direction * 2.0 + dy);
        cairo_line_to(cr, bushing.x + 1.5 + dx, bushing.y + dy);
        cairo_close_path(cr);
        cairo_new_sub_path(cr);
        cairo_arc(cr, bushing.x + dx, tip_y + dy, 2.7, 0, 2 * std::numbers::pi);
    };
    bat(1.2, 1.6);
    set_colour(cr, {0, 0, 0}, 0.45);
    cairo_fill(cr);
    bat(0, 0);
    fill_linear(cr, {bushing.x - 2.7, 0}, {bushing.x + 2.7, 0},
                {{120, 122, 126}, {238, 238, 240}, {150, 152, 156}, {70, 72, 76}});
    return layer;
}

}  // namespace

resource_directory make_director_switch(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "director_switch");
    const surface base_picture = draw_base();
    const resource_ref base = add_opaque(directory, 1000, "base", base_picture);
    const resource_ref off = add_overlay(directory, 1010, "toggle_off", draw_toggle(40.0), base_picture);
    const resource_ref on = add_overlay(directory, 1011, "toggle_on", draw_toggle(19.0), base_picture);
    directory.add_sound(30000, "click", wave_file(click_samples(), click_sample_rate, 2048));
    directory.write_manifest();

    directory.add_scene("off", {{.picture = base}, {.picture = off}});
    directory.add_scene("on", {{.picture = base}, {.picture = on}});
    return directory;
}
