// Contact sheets: transparent pixels (pure black) show magenta when a picture stands alone
// and let the layers below show in a scene.
#include "preview.h"

#include "text.h"

#include <algorithm>
#include <numbers>
#include <stdexcept>
#include <string>

namespace {

constexpr int zoom = 3;
constexpr int gap = 12;
constexpr int caption_height = 14;
constexpr int sheet_width = 1400;
constexpr colour sheet_colour{40, 40, 40};
constexpr colour transparency_colour{255, 0, 255};

surface to_surface(const indexed_image& image, bool key_transparent) {
    surface s(image.width, image.height);
    canvas cr(s);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const colour c = image.at(x, y);
            if (key_transparent && c == transparent_key) {
                continue;
            }
            set_colour(cr, c);
            cairo_rectangle(cr, x, y, 1, 1);
            cairo_fill(cr);
        }
    }
    return s;
}

void draw_nearest(cairo_t* cr, const surface& s) {
    cairo_set_source_surface(cr, s.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
}

surface render_scene(const resource_directory& directory, const scene& view) {
    const indexed_image& background = directory.entries().at(view.layers.front().picture).picture;
    surface out(background.width, background.height);
    canvas cr(out);
    bool first = true;
    for (const scene_layer& layer : view.layers) {
        const surface picture = to_surface(directory.entries().at(layer.picture).picture, !first);
        first = false;
        cairo_save(cr);
        if (layer.window) {
            const indexed_image& window = directory.entries().at(*layer.window).picture;
            const double travel = picture.height() - window.height;
            cairo_rectangle(cr, layer.x, layer.y, window.width, window.height);
            cairo_clip(cr);
            cairo_translate(cr, layer.x, layer.y - layer.travel_fraction * travel);
            draw_nearest(cr, picture);
            cairo_restore(cr);
            cairo_save(cr);
            cairo_translate(cr, layer.x, layer.y);
            draw_nearest(cr, to_surface(window, true));
        } else {
            cairo_translate(cr, layer.x + 0.5, layer.y + 0.5);
            cairo_rotate(cr, layer.angle * std::numbers::pi / 180.0);
            cairo_translate(cr, -(layer.pivot_x + 0.5), -(layer.pivot_y + 0.5));
            draw_nearest(cr, picture);
        }
        cairo_restore(cr);
    }
    return out;
}

struct sheet_item {
    std::string caption;
    surface picture;
};

}  // namespace

void write_preview(const resource_directory& directory, const std::filesystem::path& sheet_file) {
    std::vector<sheet_item> items;
    for (const resource_entry& entry : directory.entries()) {
        if (entry.kind != resource_kind::bitmap) {
            continue;
        }
        const surface keyed = to_surface(entry.picture, true);
        surface shown = flat_surface(keyed.width(), keyed.height(), transparency_colour);
        canvas cr(shown);
        cairo_set_source_surface(cr, keyed.get(), 0, 0);
        cairo_paint(cr);
        items.push_back({entry.file_name, std::move(shown)});
    }
    for (const scene& view : directory.scenes()) {
        items.push_back({view.title, render_scene(directory, view)});
    }

    // Lay the items out in rows, then draw them.
    struct placement {
        int x, y;
    };
    std::vector<placement> places;
    int x = gap, y = gap, row_height = 0;
    for (const sheet_item& item : items) {
        const int w = std::max(item.picture.width() * zoom, 60);
        if (x + w > sheet_width - gap && x > gap) {
            x = gap;
            y += row_height + gap;
            row_height = 0;
        }
        places.push_back({x, y});
        x += w + gap;
        row_height = std::max(row_height, item.picture.height() * zoom + caption_height);
    }
    surface sheet = flat_surface(sheet_width, y + row_height + gap, sheet_colour);
    canvas cr(sheet);
    const text_style caption{typeface::condensed, 10.0, {220, 220, 220}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        draw_text(cr, caption, items[i].caption, places[i].x, places[i].y + 5, align::left);
        cairo_save(cr);
        cairo_translate(cr, places[i].x, places[i].y + caption_height);
        cairo_scale(cr, zoom, zoom);
        draw_nearest(cr, items[i].picture);
        cairo_restore(cr);
    }
    if (cairo_surface_write_to_png(sheet.get(), sheet_file.string().c_str()) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot write preview " + sheet_file.string());
    }
}
