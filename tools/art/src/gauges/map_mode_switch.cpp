// Map mode switch: 100 x 90 panel lettered MAP (mode 1, up and to the left) and PLAN (mode 0,
// straight up), and the 52 x 56 selector knob pointing at each.
#include "gauges.h"

#include <utility>

namespace {

constexpr int knob_x = 24;
constexpr int knob_y = 34;
constexpr point knob_centre_in_picture{26.0, 28.0};
constexpr point knob_centre{knob_x + knob_centre_in_picture.x, knob_y + knob_centre_in_picture.y};
constexpr bar_knob_look knob{17.0, 38.0, 11.0};
constexpr double map_degrees = -45.0;
constexpr double plan_degrees = 0.0;

surface draw_panel() {
    surface picture(100, 90);
    canvas cr(picture);
    fill_panel(cr, 100, 90);
    for (point screw : {point{6, 6}, point{94, 6}, point{6, 84}, point{94, 84}}) {
        draw_screw(cr, screw, 3.2, 40);
    }
    draw_knob_collar(cr, knob_centre, knob.skirt_radius + 2.5);
    const text_style lettering{typeface::condensed_bold, 11.0, marking_white};
    for (auto [degrees, name] : {std::pair{map_degrees, "MAP"}, std::pair{plan_degrees, "PLAN"}}) {
        draw_radial_line(cr, knob_centre, knob.skirt_radius + 3.5, knob.skirt_radius + 8.0, degrees, 2.0,
                         marking_white);
        const point at = polar(knob_centre, 38.5, degrees);
        draw_text(cr, lettering, name, at.x, at.y);
    }
    draw_text(cr, {typeface::condensed_bold, 9.0, marking_white}, "MODE", 84, 62);
    return picture;
}

surface draw_knob(double degrees) {
    surface layer(52, 56);
    canvas cr(layer);
    draw_bar_knob(cr, knob_centre_in_picture, degrees, knob);
    return layer;
}

}  // namespace

resource_directory make_map_mode_switch(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "map_mode_switch");
    const surface panel_picture = draw_panel();
    const surface beneath = panel_picture.crop(knob_x, knob_y, 52, 56);
    const resource_ref panel = add_opaque(directory, 4096, "panel", panel_picture);
    const resource_ref map = add_overlay(directory, 8192, "knob_map", draw_knob(map_degrees), beneath);
    const resource_ref plan = add_overlay(directory, 8195, "knob_plan", draw_knob(plan_degrees), beneath);
    directory.write_manifest();

    directory.add_scene("mode 1: MAP", {{.picture = panel}, {.picture = map, .x = knob_x, .y = knob_y}});
    directory.add_scene("mode 0: PLAN", {{.picture = panel}, {.picture = plan, .x = knob_x, .y = knob_y}});
    return directory;
}
