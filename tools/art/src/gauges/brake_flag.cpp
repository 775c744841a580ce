// Brake flag: 88 x 242 parking-brake panel with the handle's slot in its right column, the
// upper flag (handle pulled up, red SET flag showing) and the lower flag (handle released).
#include "gauges.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int column_x = 46;
constexpr int flag_width = 42;
constexpr int flag_height = 121;
constexpr double slot_centre_x = 21.0;  // in a flag picture
constexpr double handle_offset = 34.0;  // grip centre from the end of its half of the column
constexpr colour flag_red{204, 34, 28};

surface draw_panel() {
    surface picture(88, 242);
    canvas cr(picture);
    fill_panel(cr, 88, 242);
    draw_screw(cr, {8, 8}, 3.2, 30);
    draw_screw(cr, {8, 234}, 3.2, -25);
    draw_recess(cr, column_x + slot_centre_x - 4, 16, 8, 210, 3.5, {16, 16, 18});

    cairo_save(cr);
    cairo_translate(cr, 21, 121);
    cairo_rotate(cr, -std::numbers::pi / 2);
    draw_text(cr, {typeface::condensed_bold, 13.0, marking_white}, "PARKING BRAKE", 0, 0);
    cairo_restore(cr);

    const text_style positions{typeface::condensed_bold, 8.0, marking_white};
    draw_text(cr, positions, "SET", 38, handle_offset, align::centre);
    draw_text(cr, positions, "OFF", 38, 242 - handle_offset, align::centre);
    return picture;
}

// The T-grip of the handle across the slot, its stem running into the slot towards the
// middle of the column.
void draw_handle(cairo_t* cr, double grip_y, double stem_direction) {
    const double stem_end = grip_y + stem_direction * 26.0;
    rounded_rectangle(cr, slot_centre_x - 2.5, std::min(grip_y, stem_end), 5, std::abs(stem_end - grip_y), 2);
    set_colour(cr, {96, 98, 102});
    cairo_fill(cr);

    draw_grip(cr, 4, grip_y - 6, 34, 12, 5, {{150, 152, 158}, {78, 80, 86}, {40, 41, 44}});
    for (double x = 10; x <= 32; x += 4) {
        cairo_move_to(cr, x, grip_y - 3.5);
        cairo_line_to(cr, x, grip_y + 3.5);
    }
    set_colour(cr, {36, 37, 40});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

surface draw_set_flag() {
    surface layer(flag_width, flag_height);
    canvas cr(layer);
    // The red flag that shows under the pulled handle.
    rounded_rectangle(cr, 6, 56, 30, 46, 2);
    set_colour(cr, flag_red);
    cairo_fill_preserve(cr);
    set_colour(cr, {90, 14, 10});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    draw_text(cr, {typeface::condensed_bold, 10.0, marking_white}, "SET", slot_centre_x, 79);
    draw_handle(cr, handle_offset, 1.0);
    return layer;
}

surface draw_released_flag() {
    surface layer(flag_width, flag_height);
    canvas cr(layer);
    draw_handle(cr, flag_height - handle_offset, -1.0);
    return layer;
}

}  // namespace

resource_directory make_brake_flag(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "brake_flag");
    const surface panel_picture = draw_panel();
    const resource_ref panel = add_opaque(directory, 100, "panel", panel_picture);
    const resource_ref set = add_overlay(directory, 200, "flag_set", draw_set_flag(),
                                         panel_picture.crop(column_x, 0, flag_width, flag_height));
    const resource_ref released = add_overlay(directory, 300, "flag_released", draw_released_flag(),
                                              panel_picture.crop(column_x, flag_height, flag_width, flag_height));
    directory.write_manifest();

    directory.add_scene("set", {{.picture = panel}, {.picture = set, .x = column_x, .y = 0}});
    directory.add_scene("released", {{.picture = panel}, {.picture = released, .x = column_x, .y = flag_height}});
    return directory;
}
