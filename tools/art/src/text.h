// Lettering: the typefaces the pictures use, loaded from fixed font files so that every run
// renders the same glyphs, and text placed by its ink and cap height.
#pragma once

#include "surface.h"

#include <string_view>

enum class typeface { sans_bold, condensed_bold, condensed };

struct text_style {
    typeface face = typeface::condensed_bold;
    double size = 8.0;     // em size in pixels
    colour ink{};
    double squeeze = 1.0;  // horizontal scale of the glyphs
};

enum class align { left, centre, right };

// Draws text whose cap height is centred on centre_y; x is the ink's left edge, centre or right edge.
void draw_text(cairo_t* cr, const text_style& style, std::string_view text, double x, double centre_y,
               align alignment = align::centre);

// Adds the outline of the same text, placed the same way, to the current path.
void text_outline(cairo_t* cr, const text_style& style, std::string_view text, double x, double centre_y,
                  align alignment = align::centre);

// The style, narrowed where needed so that the text's ink is at most max_width wide.
text_style fitted(cairo_t* cr, text_style style, std::string_view text, double max_width);

// Height of capitals (and digits) at the style.
double cap_height(cairo_t* cr, const text_style& style);
