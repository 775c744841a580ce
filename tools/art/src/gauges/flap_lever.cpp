// Flap lever: the 69 x 222 slot lettered with the flap detents, and the 69 x 74 handle that
// slides 148 pixels down it (its grip centred 37 pixels below the handle picture's top).
#include "gauges.h"

#include <array>
#include <string_view>

namespace {

constexpr double slot_x = 46.0;
constexpr double grip_centre = 37.0;
constexpr double travel = 148.0;
constexpr std::array<std::string_view, 9> detents{"UP", "1", "2", "5", "10", "15", "25", "30", "40"};

double detent_y(std::size_t i) { return grip_centre + travel * static_cast<double>(i) / (detents.size() - 1); }

surface draw_slot() {
    surface picture(69, 222);
    canvas cr(picture);
    fill_panel(cr, 69, 222);
    draw_recess(cr, slot_x - 3.5, 22, 7, 178, 3.0, {16, 16, 18});
    const text_style lettering{typeface::condensed_bold, 8.5, marking_white};
    for (std::size_t i = 0; i < detents.size(); ++i) {
        const double y = detent_y(i);
        draw_text(cr, lettering, detents[i], 21, y, align::right);
        cairo_move_to(cr, 24, y);
        cairo_line_to(cr, 31, y);
        set_colour(cr, marking_white);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    draw_text(cr, {typeface::condensed_bold, 9.0, marking_white}, "FLAPS", 34.5, 212);
    draw_screw(cr, {62, 8}, 3.0, 15);
    return picture;
}

// What the handle's edges blend with anywhere along its travel: panel paint and the slot.
surface draw_travel_backdrop() {
    surface picture = flat_surface(69, 74, panel_paint);
    canvas cr(picture);
    draw_recess(cr, slot_x - 3.5, -4, 7, 82, 0, {16, 16, 18});
    return picture;
}

// The T-handle across the slot with its stem going into the slot.
surface draw_handle() {
    surface layer(69, 74);
    canvas cr(layer);
    rounded_rectangle(cr, slot_x - 2.5, grip_centre, 5, 20, 2);
    set_colour(cr, {92, 94, 98});
    cairo_fill(cr);

    draw_grip(cr, 31, grip_centre - 8, 32, 16, 4, {{232, 232, 228}, {184, 184, 180}, {104, 104, 102}});
    // Grooves across the grip and a dark index line at the detent.
    for (double y : {grip_centre - 4.5, grip_centre + 4.5}) {
        cairo_move_to(cr, 34, y);
        cairo_line_to(cr, 60, y);
    }
    set_colour(cr, {120, 120, 118});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_move_to(cr, 31.5, grip_centre);
    cairo_line_to(cr, 62.5, grip_centre);
    set_colour(cr, {30, 30, 32});
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    return layer;
}

}  // namespace

resource_directory make_flap_lever(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "flap_lever");
    const surface slot_picture = draw_slot();
    const resource_ref slot = add_opaque(directory, 4096, "slot", slot_picture);
    const resource_ref handle = add_overlay(directory, 8192, "handle", draw_handle(), draw_travel_backdrop());
    directory.write_manifest();

    for (double offset : {0.0, travel / 2.0, travel}) {
        directory.add_scene("handle at " + std::to_string(static_cast<int>(offset)),
                            {{.picture = slot}, {.picture = handle, .y = offset}});
    }
    return directory;
}
