// Autobrake selector: 135 x 77 background with the six position labels, a lit copy of the
// labels, and the selector knob pointing at each of the six positions.
#include "gauges.h"

#include <array>
#include <string_view>
#include <vector>

namespace {

constexpr point knob_centre{43.5, 42.0};
constexpr bar_knob_look knob{14.0, 33.0, 9.0};
constexpr colour label_paint{204, 204, 198};
constexpr colour lit_label{255, 234, 150};

struct position_label {
    std::string_view name;
    std::string_view line1, line2;  // one- or two-line lettering
    double degrees;                 // knob direction, clockwise from up
    double radius;                  // distance of the lettering's centre from the knob centre
};

// Clockwise from the lower left, 45 degrees apart.
constexpr std::array<position_label, 6> positions{{
    {"rto", "RTO", "", -135.0, 29.0},
    {"off", "OFF", "", -90.0, 28.0},
    {"land_min", "LAND", "MIN", -45.0, 31.0},
    {"land_med", "LAND", "MED", 0.0, 30.0},
    {"land_max", "LAND", "MAX", 45.0, 31.0},
    {"max_auto", "MAX", "AUTO", 90.0, 31.0},
}};

// The lettering of the positions and the title, with an optional glow of back-lighting.
void draw_labels(cairo_t* cr, colour ink, bool glowing) {
    const text_style letters{typeface::condensed_bold, 7.0, ink};
    const text_style title{typeface::condensed_bold, 8.5, ink};
    auto letter = [&](const text_style& style, std::string_view text, double x, double y) {
        if (glowing) {
            text_outline(cr, style, text, x, y);
            set_colour(cr, ink, 0.3);
            cairo_set_line_width(cr, 1.5);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke(cr);
        }
        draw_text(cr, style, text, x, y);
    };
    for (const position_label& p : positions) {
        const point at = polar(knob_centre, p.radius, p.degrees);
        if (p.line2.empty()) {
            letter(letters, p.line1, at.x, at.y);
        } else {
            letter(letters, p.line1, at.x, at.y - 3.9);
            letter(letters, p.line2, at.x, at.y + 3.9);
        }
    }
    letter(title, "AUTO", 110, 36.5);
    letter(title, "BRAKE", 110, 47.5);
}

surface draw_background() {
    surface picture(135, 77);
    canvas cr(picture);
    fill_panel(cr, 135, 77);
    draw_screw(cr, {127, 7}, 3.0, 30);
    draw_screw(cr, {127, 70}, 3.0, -40);
    // Dark collar the knob turns in, and a white index at each position.
    draw_knob_collar(cr, knob_centre, knob.skirt_radius + 2.5);
    for (const position_label& p : positions) {
        draw_radial_line(cr, knob_centre, knob.skirt_radius + 3.0, knob.skirt_radius + 6.5, p.degrees, 1.6,
                         marking_white);
    }
    draw_labels(cr, label_paint, false);
    return picture;
}

}  // namespace

resource_directory make_autobrake_selector(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "autobrake_selector");
    const surface background_picture = draw_background();

    std::vector<resource_ref> knob_pictures;
    for (std::size_t state = 0; state < positions.size(); ++state) {
        surface layer(135, 77);
        canvas cr(layer);
        draw_bar_knob(cr, knob_centre, positions[state].degrees, knob);
        knob_pictures.push_back(add_overlay(directory, 4096 + 3 * static_cast<int>(state),
                                            std::string("knob_") + std::string(positions[state].name), layer,
                                            background_picture));
    }
    surface lit(135, 77);
    {
        canvas cr(lit);
        draw_labels(cr, lit_label, true);
    }
    const resource_ref lit_labels = add_overlay(directory, 8192, "labels_lit", lit, background_picture);
    const resource_ref background = add_opaque(directory, 12288, "labels", background_picture);
    directory.write_manifest();

    for (std::size_t state = 0; state < positions.size(); ++state) {
        std::vector<scene_layer> layers{{.picture = background}};
        if (state % 2 == 1) {
            layers.push_back({.picture = lit_labels});
        }
        layers.push_back({.picture = knob_pictures[state]});
        directory.add_scene(std::string(positions[state].line1) + " " + std::string(positions[state].line2) +
                                (state % 2 == 1 ? ", lit" : ""),
                            std::move(layers));
    }
    return directory;
}
