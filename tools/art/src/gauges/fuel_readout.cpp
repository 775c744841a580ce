// Fuel readout: the 32 x 11 display window behind the fuel total.
#include "gauges.h"

resource_directory make_fuel_readout(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "fuel_readout");
    surface display(32, 11);
    canvas cr(display);
    fill_panel(cr, 32, 11);
    draw_recess(cr, 1.5, 1.5, 29, 8, 1.0, glass_black);
    // A faint reflection across the upper half of the glass.
    cairo_rectangle(cr, 2, 2.5, 28, 2.5);
    set_colour(cr, {255, 255, 255}, 0.04);
    cairo_fill(cr);
    const resource_ref background = add_opaque(directory, 100, "display", display);
    directory.write_manifest();
    directory.add_scene("display", {{.picture = background}});
    return directory;
}
