// Fuel cut-off switch: the 35 x 63 lever at RUN (the background) and at CUTOFF (the picture
// the icon draws over it).
#include "gauges.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double slot_centre_x = 17.5;
constexpr double run_grip_y = 19.0;
constexpr double cutoff_grip_y = 44.0;
constexpr double slot_middle_y = 31.5;

// The lettered plate with the slot, and the lever's grip at grip_y with its stem in the slot.
surface draw_switch(double grip_y) {
    surface picture(35, 63);
    canvas cr(picture);
    fill_panel(cr, 35, 63);
    const text_style lettering{typeface::condensed_bold, 6.5, marking_white};
    draw_text(cr, lettering, "RUN", slot_centre_x, 4.5);
    draw_text(cr, fitted(cr, lettering, "CUTOFF", 31), "CUTOFF", slot_centre_x, 58.5);
    draw_recess(cr, slot_centre_x - 3, 11, 6, 41, 2.5, {16, 16, 18});

    const double stem_from = std::min(grip_y, slot_middle_y);
    rounded_rectangle(cr, slot_centre_x - 2, stem_from, 4, std::abs(grip_y - slot_middle_y), 1.5);
    set_colour(cr, {88, 90, 94});
    cairo_fill(cr);

    draw_grip(cr, 5, grip_y - 5.5, 25, 11, 3, {{110, 112, 118}, {52, 54, 58}, {28, 29, 32}});
    // White band across the grip, the lever's index.
    cairo_move_to(cr, 7.5, grip_y);
    cairo_line_to(cr, 27.5, grip_y);
    set_colour(cr, marking_white);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    return picture;
}

}  // namespace

resource_directory make_fuel_cutoff_switch(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "fuel_cutoff_switch");
    const surface run_picture = draw_switch(run_grip_y);
    const resource_ref run = add_opaque(directory, 4096, "lever_run", run_picture);
    // The cut-off picture covers the whole background, lever and all.
    const resource_ref cutoff = add_overlay(directory, 4112, "lever_cutoff", draw_switch(cutoff_grip_y), run_picture);
    directory.write_manifest();

    directory.add_scene("run", {{.picture = run}});
    directory.add_scene("cutoff", {{.picture = run}, {.picture = cutoff}});
    return directory;
}
