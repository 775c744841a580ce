// Text in a gauge's string boxes, drawn with a TrueType face standing in for the gauge's font.
#pragma once

#include "image.h"

#include <cstdint>
#include <string>

namespace bench {

struct box {
    int x, y, width, height;
};

// The face the bench draws a gauge font name with: the panel faces are not installed here,
// so "quartz" (a segment display) is drawn in DejaVu Sans Mono Bold and every other name in
// DejaVu Sans Bold.
std::string stand_in_face(const std::string &font_name);

// Draws one line of text in `area`, centred as text_format asks (0x1 horizontally, 0x4
// vertically; otherwise left and top), shrunk to fit the box.
void draw_text(image &canvas, const std::string &text, box area, rgba colour, const std::string &font_name,
               std::uint32_t text_format);

} // namespace bench
