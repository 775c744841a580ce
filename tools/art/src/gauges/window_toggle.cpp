// Window toggle: one 70 x 30 push button that shows or hides a panel window.
#include "gauges.h"

resource_directory make_window_toggle(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "window_toggle");

    surface button(70, 30);
    canvas cr(button);
    fill_panel(cr, 70, 30);
    draw_recess(cr, 3, 3, 64, 24, 3, {26, 27, 29});
    draw_grip(cr, 5, 5, 59, 19, 2.5, {{112, 116, 122}, {86, 90, 95}, {58, 61, 66}});
    cairo_move_to(cr, 8, 6.6);
    cairo_line_to(cr, 61, 6.6);
    set_colour(cr, {150, 154, 160}, 0.8);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    draw_text(cr, {typeface::condensed_bold, 10.0, marking_white}, "WINDOW", 35, 15.2);

    const resource_ref picture = add_opaque(directory, 100, "button", button);
    directory.write_manifest();
    directory.add_scene("button", {{.picture = picture}});
    return directory;
}
