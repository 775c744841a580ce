// Text rendering with stb_truetype over Debian's DejaVu faces.
#include "text.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>
#include <vector>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

namespace bench {
namespace {

constexpr const char *font_directory = "/usr/share/fonts/truetype/dejavu/";
constexpr std::uint32_t centre_horizontally = 0x1;
constexpr std::uint32_t centre_vertically = 0x4;

struct face {
    std::vector<unsigned char> bytes;
    stbtt_fontinfo info{};
    bool usable = false;
};

const face &load_face(const std::string &file) {
    static std::map<std::string, face> faces;
    auto [found, added] = faces.try_emplace(file);
    face &loaded = found->second;
    if (added) {
        std::ifstream input(font_directory + file, std::ios::binary);
        loaded.bytes.assign(std::istreambuf_iterator<char>(input), {});
        loaded.usable = !loaded.bytes.empty() &&
                        stbtt_InitFont(&loaded.info, loaded.bytes.data(), stbtt_GetFontOffsetForIndex(loaded.bytes.data(), 0)) != 0;
    }
    return loaded;
}

// A glyph as stb_truetype rasterises it: coverage bytes, w x h, placed at (xoff, yoff).
struct glyph {
    int w = 0, h = 0, xoff = 0, yoff = 0;
    std::vector<unsigned char> coverage;
};

// Readouts draw the same few glyphs at the same sizes and offsets frame after frame: each is
// rasterised once. A cache grown past its limit starts afresh.
const glyph &rasterised(const face &font, float scale, float shift, unsigned char c) {
    using key = std::tuple<const face *, float, float, unsigned char>;
    static std::map<key, glyph> cache;
    constexpr std::size_t most_glyphs = 4096;
    if (cache.size() >= most_glyphs)
        cache.clear();
    auto [found, added] = cache.try_emplace({&font, scale, shift, c});
    glyph &g = found->second;
    if (added) {
        unsigned char *bitmap =
            stbtt_GetCodepointBitmapSubpixel(&font.info, scale, scale, shift, 0, c, &g.w, &g.h, &g.xoff, &g.yoff);
        if (bitmap != nullptr)
            g.coverage.assign(bitmap, bitmap + std::size_t(g.w) * g.h);
        else
            g.w = g.h = 0;
        stbtt_FreeBitmap(bitmap, nullptr);
    }
    return g;
}

} // namespace

std::string stand_in_face(const std::string &font_name) {
    return font_name == "quartz" ? "DejaVuSansMono-Bold.ttf" : "DejaVuSans-Bold.ttf";
}

void draw_text(image &canvas, const std::string &text, box area, rgba colour, const std::string &font_name,
               std::uint32_t text_format) {
    const face &font = load_face(stand_in_face(font_name));
    if (!font.usable || text.empty() || area.width <= 0 || area.height <= 0)
        return;
    const stbtt_fontinfo *info = &font.info;
    auto width_at = [&](float scale) {
        int advance = 0, bearing = 0;
        float width = 0;
        for (unsigned char c : text) {
            stbtt_GetCodepointHMetrics(info, c, &advance, &bearing);
            width += advance * scale;
        }
        return width;
    };
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(info, &ascent, &descent, &gap);
    float scale = float(area.height) / float(ascent - descent);
    float width = width_at(scale);
    if (width > area.width) {
        scale *= area.width / width;
        width = width_at(scale);
    }
    float line_height = (ascent - descent) * scale;
    float pen_x = area.x + ((text_format & centre_horizontally) ? (area.width - width) / 2 : 0);
    float top = area.y + ((text_format & centre_vertically) ? (area.height - line_height) / 2 : 0);
    int baseline = int(std::lround(top + ascent * scale));
    for (unsigned char c : text) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(info, c, &advance, &bearing);
        const glyph &shape = rasterised(font, scale, pen_x - std::floor(pen_x), c);
        int w = shape.w, h = shape.h;
        int gx = int(std::floor(pen_x)) + shape.xoff, gy = baseline + shape.yoff;
        for (int row = 0; row < h; ++row)
            for (int column = 0; column < w; ++column) {
                int px = gx + column, py = gy + row;
                // Text is clipped to its box, as the host clips it.
                if (px < std::max(0, area.x) || py < std::max(0, area.y) || px >= std::min(canvas.width, area.x + area.width) ||
                    py >= std::min(canvas.height, area.y + area.height))
                    continue;
                double coverage = shape.coverage[std::size_t(row) * w + column] / 255.0;
                rgba &target = canvas.at(px, py);
                auto mix = [&](std::uint8_t below, std::uint8_t above) {
                    return std::uint8_t(std::lround(above * coverage + below * (1 - coverage)));
                };
                target = {mix(target.r, colour.r), mix(target.g, colour.g), mix(target.b, colour.b), 255};
            }
        pen_x += advance * scale;
    }
}

} // namespace bench
