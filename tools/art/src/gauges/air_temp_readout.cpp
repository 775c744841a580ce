// Air temperature readout: the 44 x 12 background (TAT lettering and the display window the
// temperature and its unit appear in), and the unit pictures: 8192 degrees Fahrenheit (unit
// selector 0) and 8195 degrees Celsius (selector nonzero).
#include "gauges.h"

#include <string_view>

namespace {

constexpr int unit_x = 33;
constexpr int unit_y = 1;
constexpr int unit_width = 10;
constexpr int unit_height = 9;

surface draw_unit(std::string_view unit) {
    surface layer(unit_width, unit_height);
    canvas cr(layer);
    const text_style lettering{typeface::condensed_bold, 7.5, {226, 232, 236}};
    draw_text(cr, fitted(cr, lettering, unit, unit_width - 1), unit, unit_width / 2.0, unit_height / 2.0);
    return layer;
}

}  // namespace

resource_directory make_air_temp_readout(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "air_temp_readout");
    surface background_picture(44, 12);
    {
        canvas cr(background_picture);
        fill_panel(cr, 44, 12);
        draw_text(cr, {typeface::condensed_bold, 7.0, marking_white}, "TAT", 7.5, 6);
        draw_recess(cr, 16.5, 1.5, 26, 9, 1.0, glass_black);
    }
    const surface beneath = background_picture.crop(unit_x, unit_y, unit_width, unit_height);
    const resource_ref background = add_opaque(directory, 4096, "display", background_picture);
    const resource_ref fahrenheit = add_overlay(directory, 8192, "unit_f", draw_unit("°F"), beneath);
    const resource_ref celsius = add_overlay(directory, 8195, "unit_c", draw_unit("°C"), beneath);
    directory.write_manifest();

    directory.add_scene("fahrenheit", {{.picture = background}, {.picture = fahrenheit, .x = unit_x, .y = unit_y}});
    directory.add_scene("celsius", {{.picture = background}, {.picture = celsius, .x = unit_x, .y = unit_y}});
    return directory;
}
