// Lettering with DejaVu faces loaded through FreeType.
#include "text.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <stdexcept>
#include <string>

namespace {

const char* font_file(typeface face) {
    switch (face) {
    case typeface::sans_bold:
        return "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    case typeface::condensed_bold:
        return "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
    case typeface::condensed:
        return "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf";
    }
    throw std::logic_error("unknown typeface");
}

// Faces are loaded once and live for the whole run.
cairo_font_face_t* font_face(typeface face) {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) {
            throw std::runtime_error("cannot start FreeType");
        }
        return lib;
    }();
    static std::map<typeface, cairo_font_face_t*> loaded;
    if (auto found = loaded.find(face); found != loaded.end()) {
        return found->second;
    }
    FT_Face ft_face = nullptr;
    if (FT_New_Face(library, font_file(face), 0, &ft_face) != 0) {
        throw std::runtime_error(std::string("cannot load font ") + font_file(face) +
                                 " (Debian packages fonts-dejavu-core and fonts-dejavu-extra)");
    }
    cairo_font_face_t* cairo_face = cairo_ft_font_face_create_for_ft_face(ft_face, 0);
    static const cairo_user_data_key_t owner_key{};
    cairo_font_face_set_user_data(cairo_face, &owner_key, ft_face,
                                  [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
    loaded.emplace(face, cairo_face);
    return cairo_face;
}

void select_style(cairo_t* cr, const text_style& style) {
    cairo_set_font_face(cr, font_face(style.face));
    cairo_matrix_t scale;
    cairo_matrix_init_scale(&scale, style.size * style.squeeze, style.size);
    cairo_set_font_matrix(cr, &scale);
}

cairo_text_extents_t ink(cairo_t* cr, std::string_view text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, std::string(text).c_str(), &extents);
    return extents;
}

// Moves to the baseline origin that places the text as draw_text promises.
void move_to_origin(cairo_t* cr, const text_style& style, std::string_view text, double x, double centre_y,
                    align alignment) {
    const double cap = cap_height(cr, style);
    const cairo_text_extents_t extents = ink(cr, text);
    double left = x;
    if (alignment == align::centre) {
        left = x - extents.width / 2.0;
    } else if (alignment == align::right) {
        left = x - extents.width;
    }
    cairo_move_to(cr, left - extents.x_bearing, centre_y + cap / 2.0);
}

}  // namespace

void draw_text(cairo_t* cr, const text_style& style, std::string_view text, double x, double centre_y,
               align alignment) {
    // Outlines rather than cached glyph images: those snap each glyph to a whole pixel,
    // which spaces small lettering unevenly.
    text_outline(cr, style, text, x, centre_y, alignment);
    set_colour(cr, style.ink);
    cairo_fill(cr);
}

void text_outline(cairo_t* cr, const text_style& style, std::string_view text, double x, double centre_y,
                  align alignment) {
    move_to_origin(cr, style, text, x, centre_y, alignment);
    cairo_text_path(cr, std::string(text).c_str());
}

text_style fitted(cairo_t* cr, text_style style, std::string_view text, double max_width) {
    select_style(cr, style);
    const double width = ink(cr, text).width;
    if (width > max_width) {
        style.squeeze *= max_width / width;
    }
    return style;
}

double cap_height(cairo_t* cr, const text_style& style) {
    select_style(cr, style);
    return -ink(cr, "H").y_bearing;
}
