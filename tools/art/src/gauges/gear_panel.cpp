// Gear panel: 71 x 200 panel with the lever slot and the four unlit lights, each light lit
// green (gear down) and red (in transit), and the gear lever up and down.
#include "gauges.h"

#include <algorithm>
#include <array>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct light {
    int first_id;
    std::string_view name;
    std::string_view legend;
    int x, y;
};

constexpr std::array<light, 4> lights{{
    {200, "top", "NOSE", 20, 1},
    {300, "left", "LEFT", 0, 21},
    {400, "right", "RIGHT", 39, 21},
    {500, "middle", "CTR", 20, 21},
}};
constexpr int light_size = 18;

struct lens_colours {
    colour centre, edge, legend;
};
constexpr lens_colours unlit{{44, 50, 46}, {32, 36, 34}, {104, 112, 106}};
constexpr lens_colours green{{120, 246, 136}, {34, 170, 64}, {16, 70, 30}};
constexpr lens_colours red{{255, 120, 96}, {196, 34, 26}, {86, 12, 8}};

constexpr int lever_x = 6;
constexpr int lever_y = 40;
constexpr double lever_centre_x = 18.0;  // in the lever picture
constexpr double knob_up_y = 16.0;
constexpr double knob_down_y = 122.0;
constexpr double arm_pivot_y = 69.0;

// The lens of a light whose 18 x 18 cell starts at (x, y) in the picture drawn on.
void draw_lens(cairo_t* cr, double x, double y, const lens_colours& look, std::string_view legend) {
    const double cx = x + light_size / 2.0;
    const double cy = y + light_size / 2.0;
    rounded_rectangle(cr, x + 1.5, y + 1.5, light_size - 3, light_size - 3, 1.5);
    fill_radial(cr, {cx, cy - 1.5}, 1.0, {cx, cy}, light_size * 0.6, look.centre, look.edge);
    const text_style lettering{typeface::condensed_bold, 6.0, look.legend};
    draw_text(cr, fitted(cr, lettering, legend, light_size - 5.0), legend, cx, cy + 0.3);
}

surface draw_panel() {
    surface picture(71, 200);
    canvas cr(picture);
    fill_panel(cr, 71, 200);
    for (const light& l : lights) {
        draw_recess(cr, l.x + 1.5, l.y + 1.5, light_size - 3, light_size - 3, 1.5, unlit.edge);
        draw_lens(cr, l.x, l.y, unlit, l.legend);
    }
    draw_screw(cr, {64, 8}, 3.0, 20);
    draw_screw(cr, {64, 192}, 3.0, -35);
    const double slot_x = lever_x + lever_centre_x;
    draw_recess(cr, slot_x - 4, lever_y + 10, 8, 118, 3.5, {16, 16, 18});
    const text_style positions{typeface::condensed_bold, 8.0, marking_white};
    draw_text(cr, positions, "UP", 51, lever_y + knob_up_y);
    draw_text(cr, positions, "DN", 51, lever_y + knob_down_y);
    draw_text(cr, {typeface::condensed_bold, 9.0, marking_white}, "GEAR", 35.5, 188);
    return picture;
}

// The lever: an arm from the middle of the slot to the wheel-shaped knob at knob_y.
surface draw_lever(double knob_y) {
    surface layer(36, 137);
    canvas cr(layer);
    const double x = lever_centre_x;
    const double arm_from = std::min(knob_y, arm_pivot_y);
    const double arm_to = std::max(knob_y, arm_pivot_y);
    rounded_rectangle(cr, x - 2.5, arm_from, 5, arm_to - arm_from, 2.5);
    fill_linear(cr, {x - 2.5, 0}, {x + 2.5, 0}, {{150, 152, 156}, {64, 66, 70}});

    const point centre{x, knob_y};
    draw_knurled_knob(cr, centre, 0.0, {12.0, 28, {70, 72, 76}, 0, {}});
    cairo_arc(cr, centre.x, centre.y, 7.2, 0, 2 * std::numbers::pi);
    fill_radial(cr, {x - 2.5, knob_y - 2.5}, 0.5, centre, 7.2, {250, 250, 248}, {170, 172, 170});
    cairo_arc(cr, centre.x, centre.y, 2.4, 0, 2 * std::numbers::pi);
    set_colour(cr, {96, 98, 102});
    cairo_fill(cr);
    return layer;
}

}  // namespace

resource_directory make_gear_panel(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "gear_panel");
    const surface panel_picture = draw_panel();
    const resource_ref panel = add_opaque(directory, 100, "panel", panel_picture);

    std::vector<resource_ref> green_lights, red_lights;
    for (const light& l : lights) {
        const surface beneath = panel_picture.crop(l.x, l.y, light_size, light_size);
        auto lit = [&](const lens_colours& look) {
            surface layer(light_size, light_size);
            canvas cr(layer);
            draw_lens(cr, 0, 0, look, l.legend);
            return layer;
        };
        green_lights.push_back(add_overlay(directory, l.first_id, std::string(l.name) + "_green", lit(green), beneath));
        red_lights.push_back(add_overlay(directory, l.first_id + 3, std::string(l.name) + "_red", lit(red), beneath));
    }
    const surface lever_beneath = panel_picture.crop(lever_x, lever_y, 36, 137);
    const resource_ref lever_up = add_overlay(directory, 600, "lever_up", draw_lever(knob_up_y), lever_beneath);
    const resource_ref lever_down = add_overlay(directory, 603, "lever_down", draw_lever(knob_down_y), lever_beneath);
    directory.write_manifest();

    // The background, its overlay copy, the lights shown (none while they are dark), the lever.
    auto scene_with = [&](std::string title, const std::vector<resource_ref>& lit, resource_ref lever) {
        std::vector<scene_layer> layers{{.picture = panel}, {.picture = panel}};
        for (std::size_t i = 0; i < lit.size(); ++i) {
            layers.push_back({.picture = lit[i], .x = double(lights[i].x), .y = double(lights[i].y)});
        }
        layers.push_back({.picture = lever, .x = lever_x, .y = lever_y});
        directory.add_scene(std::move(title), std::move(layers));
    };
    scene_with("lights dark, lever up", {}, lever_up);
    scene_with("in transit, lever down", red_lights, lever_down);
    scene_with("down and locked", green_lights, lever_down);
    return directory;
}
