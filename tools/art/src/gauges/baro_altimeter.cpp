// Altimeter: 147 x 149 dial marked 0 to 9 (hundreds of feet), the ALT, MB and IN.HG drum
// windows, the digit strips that roll behind them, the pointer, the decision-height marker
// and eight turns each of the baro and DH knobs.
#include "gauges.h"

#include <array>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr point dial_centre = pixel_centre(72, 72);
constexpr double face_radius = 64.5;
constexpr double bezel_radius = 72.0;
constexpr colour drum_colour{24, 24, 24};
constexpr colour drum_ink{240, 240, 234};
constexpr colour window_edge{10, 10, 11};
constexpr colour marker_amber{255, 184, 36};

// Where the drums of each window sit on the dial, left to right.
struct drum_row {
    std::array<int, 4> x;
    int y;
};
constexpr drum_row mb_drums{{37, 45, 53, 61}, 88};
constexpr drum_row inhg_drums{{78, 86, 94, 102}, 88};
constexpr drum_row alt_drums{{39, 53, 69, 82}, 45};

// A strip of cells, top to bottom; an empty label is the striped flag cell.
struct digit_strip {
    int cell_width;
    int cell_height;
    std::vector<std::string> cells;
    double digit_height;
};

const digit_strip small_strip{8, 12, {"0", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}, 8.0};
const digit_strip large_strip{14, 22, {"0", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}, 14.0};
const digit_strip twenties_strip{28, 22, {"00", "80", "60", "40", "20", "00"}, 11.0};
const digit_strip ten_thousands_strip{14, 22, {"5", "4", "3", "2", "1", ""}, 14.0};

void draw_flag_cell(cairo_t* cr, double top, const digit_strip& strip) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, top, strip.cell_width, strip.cell_height);
    cairo_clip(cr);
    set_colour(cr, {236, 236, 230});
    cairo_paint(cr);
    constexpr double period = 6.0;
    for (double x = -strip.cell_height; x < strip.cell_width + strip.cell_height; x += period) {
        cairo_move_to(cr, x, top + strip.cell_height);
        cairo_line_to(cr, x + period / 2.0, top + strip.cell_height);
        cairo_line_to(cr, x + period / 2.0 + strip.cell_height, top);
        cairo_line_to(cr, x + strip.cell_height, top);
        cairo_close_path(cr);
    }
    set_colour(cr, {30, 30, 30});
    cairo_fill(cr);
    cairo_restore(cr);
}

surface draw_digit_strip(const digit_strip& strip) {
    const int height = strip.cell_height * static_cast<int>(strip.cells.size());
    surface picture(strip.cell_width, height);
    canvas cr(picture);
    set_colour(cr, drum_colour);
    cairo_paint(cr);
    text_style digits{typeface::condensed_bold, 10.0, drum_ink};
    digits.size *= strip.digit_height / cap_height(cr, digits);
    for (std::size_t i = 0; i < strip.cells.size(); ++i) {
        const double top = static_cast<double>(i) * strip.cell_height;
        if (strip.cells[i].empty()) {
            draw_flag_cell(cr, top, strip);
            continue;
        }
        // Digits fit the cell less its window's one-pixel edge.
        draw_text(cr, fitted(cr, digits, strip.cells[i], strip.cell_width - 2.0), strip.cells[i],
                  strip.cell_width / 2.0 + 0.5, top + strip.cell_height / 2.0);
    }
    return picture;
}

// The window over a drum: its edge (left, top and bottom, deeper at the top where the dial's
// cut-out shades the drum) is opaque; the strip shows through the rest.
surface draw_drum_window(int width, int height) {
    surface layer(width, height);
    canvas cr(layer);
    const int shadow_rows = height > 12 ? 2 : 1;
    set_colour(cr, window_edge);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_rectangle(cr, width, 1 + shadow_rows, -(width - 1), height - 2 - shadow_rows);  // cut out, reversed
    cairo_fill(cr);
    if (shadow_rows > 1) {
        cairo_rectangle(cr, 1, 1, width - 1, 1);
        set_colour(cr, {17, 17, 18});
        cairo_fill(cr);
    }
    return layer;
}

void draw_scale(cairo_t* cr) {
    // One tick per 20 feet, a long one at each hundred, numerals outside the ticks.
    for (int tick = 0; tick < 50; ++tick) {
        const double degrees = tick * 7.2;
        const bool hundred = tick % 5 == 0;
        draw_radial_line(cr, dial_centre, hundred ? 45.5 : 48.5, 52.5, degrees, hundred ? 2.0 : 1.0,
                         marking_white);
    }
    text_style numerals{typeface::condensed_bold, 10.0, marking_white};
    numerals.size *= 8.0 / cap_height(cr, numerals);
    for (int hundred = 0; hundred < 10; ++hundred) {
        const point at = polar(dial_centre, 58.0, hundred * 36.0);
        draw_text(cr, numerals, std::to_string(hundred), at.x, at.y);
    }
}

// The cut-out of a window, from its first drum to the end of its last one, whose strip is given.
void draw_window_recess(cairo_t* cr, const drum_row& row, const digit_strip& last_drum) {
    const double left = row.x.front();
    const double right = row.x.back() + last_drum.cell_width;
    draw_recess(cr, left, row.y, right - left, last_drum.cell_height, 0.8, glass_black);
}

surface draw_dial() {
    surface dial(147, 149);
    canvas cr(dial);
    fill_panel(cr, 147, 149);
    draw_screw(cr, {8, 8}, 3.6, 35);
    draw_screw(cr, {139, 8}, 3.6, -20);
    draw_round_bezel(cr, dial_centre, face_radius, bezel_radius);

    cairo_arc(cr, dial_centre.x, dial_centre.y, face_radius, 0, 2 * std::numbers::pi);
    fill_radial(cr, {dial_centre.x - 12, dial_centre.y - 16}, 4, dial_centre, face_radius, {34, 34, 37}, dial_face);

    draw_scale(cr);
    draw_window_recess(cr, alt_drums, twenties_strip);
    draw_window_recess(cr, mb_drums, small_strip);
    draw_window_recess(cr, inhg_drums, small_strip);

    const text_style label{typeface::condensed_bold, 7.5, marking_white};
    draw_text(cr, label, "ALT", dial_centre.x, 38.5);
    draw_text(cr, label, "MB", 53, 82.5);
    draw_text(cr, label, "IN.HG", 94, 82.5);
    const text_style knob_label{typeface::condensed_bold, 7.0, marking_white};
    draw_text(cr, knob_label, "BARO", 18, 144.5);
    draw_text(cr, knob_label, "DH", 128, 144.5);
    return dial;
}

// The pointer along +x from its pivot at pixel (5, 5): white, tapering to its tip at the
// bitmap's right edge, on a dark hub.
surface draw_pointer() {
    surface layer(59, 11);
    canvas cr(layer);
    const point pivot = pixel_centre(5, 5);
    cairo_move_to(cr, pivot.x, pivot.y - 2.5);
    cairo_line_to(cr, 47.0, pivot.y - 1.4);
    cairo_line_to(cr, 58.8, pivot.y);
    cairo_line_to(cr, 47.0, pivot.y + 1.4);
    cairo_line_to(cr, pivot.x, pivot.y + 2.5);
    cairo_close_path(cr);
    set_colour(cr, marking_white);
    cairo_fill_preserve(cr);
    set_colour(cr, {40, 40, 42});
    cairo_set_line_width(cr, 0.7);
    cairo_stroke(cr);

    draw_needle_hub(cr, pivot, 4.4);
    return layer;
}

// The decision-height marker: a hollow amber triangle along +x, its tip 50 pixels from the
// dial centre (the pivot lies 50 pixels left of the bitmap), centred on row 5.
surface draw_dh_marker() {
    surface layer(11, 12);
    canvas cr(layer);
    const double axis = 5.5;
    cairo_move_to(cr, 0.9, axis);
    cairo_line_to(cr, 10.2, axis - 4.4);
    cairo_line_to(cr, 10.2, axis + 4.4);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    set_colour(cr, {20, 20, 20});
    cairo_set_line_width(cr, 2.8);
    cairo_stroke_preserve(cr);
    set_colour(cr, marker_amber);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    return layer;
}

constexpr knurled_knob_look setting_knob{11.0, 18, {74, 76, 80}, 1, marking_white};

// Eight turns of a setting knob at (x, y) on the dial, one eighth of a revolution apart.
std::vector<resource_ref> add_knob_turns(resource_directory& directory, int first_id, std::string_view name,
                                         const surface& dial, int x, int y) {
    const surface beneath = dial.crop(x, y, 26, 26);
    std::vector<resource_ref> turns;
    for (int step = 0; step < 8; ++step) {
        surface layer(26, 26);
        canvas cr(layer);
        draw_knurled_knob(cr, {13, 13}, step * 45.0, setting_knob);
        turns.push_back(add_overlay(directory, first_id + 3 * step, std::string(name) + std::to_string(step),
                                    layer, beneath));
    }
    return turns;
}

// A drum seen in a scene: its strip behind its window, the drum position taken from the
// given range.
struct drum_pictures {
    resource_ref strip;
    resource_ref window;
};

scene_layer drum_layer(drum_pictures drum, int x, int y, double position, double range) {
    return {.picture = drum.strip, .x = double(x), .y = double(y), .window = drum.window,
            .travel_fraction = position / range};
}

}  // namespace

resource_directory make_baro_altimeter(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "baro_altimeter");
    const surface dial = draw_dial();

    // The needles turn over the dial's face; the drum windows lie over the drums.
    const resource_ref background = add_opaque(directory, 1000, "dial", dial);
    const resource_ref pointer =
        add_overlay(directory, 2000, "pointer", draw_pointer(), flat_surface(59, 11, dial_face));
    const resource_ref marker =
        add_overlay(directory, 2030, "dh_marker", draw_dh_marker(), flat_surface(11, 12, dial_face));
    auto add_drum = [&](int id, std::string_view name, const digit_strip& strip) {
        const resource_ref strip_ref = add_opaque(directory, id, std::string(name) + "_strip", draw_digit_strip(strip));
        const resource_ref window_ref =
            add_overlay(directory, id + 3, std::string(name) + "_window",
                        draw_drum_window(strip.cell_width, strip.cell_height),
                        flat_surface(strip.cell_width, strip.cell_height, drum_colour));
        return drum_pictures{strip_ref, window_ref};
    };
    const drum_pictures small = add_drum(3000, "small", small_strip);
    const drum_pictures large = add_drum(3020, "large", large_strip);
    const drum_pictures twenties = add_drum(3030, "twenties", twenties_strip);
    const drum_pictures ten_thousands = add_drum(3040, "ten_thousands", ten_thousands_strip);

    const std::vector<resource_ref> baro = add_knob_turns(directory, 4000, "baro_knob", dial, 5, 113);
    const std::vector<resource_ref> dh = add_knob_turns(directory, 4030, "dh_knob", dial, 115, 113);
    directory.write_manifest();

    // Scenes: drum positions as the gauge's counters leave them for the readings named.
    struct reading {
        std::string title;
        std::array<double, 4> alt, mb, inhg;
        double pointer_degrees, marker_degrees;
        int knob_step;
    };
    const std::vector<reading> readings{
        {"12345 ft, 1013 mb, 29.92 in, DH 200", {4, 8, 7, 5.5}, {9, 10, 9, 7}, {8, 1, 1, 8}, 345 * 0.36 - 90,
         200 * 0.36 - 90, 0},
        {"0 ft, 999.95 mb, 30.12 in, DH 0", {5, 10, 10, 10}, {9.05, 0.05, 0.05, 0.05}, {7, 10, 9, 8}, -90, -90, 3},
    };
    for (const reading& r : readings) {
        std::vector<scene_layer> layers{{.picture = background},
                                        {.picture = dh[r.knob_step], .x = 115, .y = 113},
                                        {.picture = baro[r.knob_step], .x = 5, .y = 113}};
        for (int i = 3; i >= 0; --i) {
            layers.push_back(drum_layer(small, mb_drums.x[i], mb_drums.y, r.mb[i], 10));
        }
        for (int i = 3; i >= 0; --i) {
            layers.push_back(drum_layer(small, inhg_drums.x[i], inhg_drums.y, r.inhg[i], 10));
        }
        layers.push_back(drum_layer(twenties, alt_drums.x[3], alt_drums.y, r.alt[3], 10));
        layers.push_back(drum_layer(large, alt_drums.x[2], alt_drums.y, r.alt[2], 10));
        layers.push_back(drum_layer(large, alt_drums.x[1], alt_drums.y, r.alt[1], 10));
        layers.push_back(drum_layer(ten_thousands, alt_drums.x[0], alt_drums.y, r.alt[0], 5));
        layers.push_back({.picture = pointer, .x = 72, .y = 72, .pivot_x = 5, .pivot_y = 5,
                          .angle = r.pointer_degrees});
        layers.push_back({.picture = marker, .x = 72, .y = 72, .pivot_x = -50, .pivot_y = 5,
                          .angle = r.marker_degrees});
        directory.add_scene(r.title, std::move(layers));
    }
    return directory;
}
