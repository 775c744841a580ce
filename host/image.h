// In-memory RGBA pictures: decoded bitmap resources and rendered gauges.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bench {

struct rgba {
    std::uint8_t r, g, b, a;
    bool operator==(const rgba &) const = default;
};

struct image {
    int width = 0;
    int height = 0;
    std::vector<rgba> pixels; // rows top first

    image() = default;
    image(int w, int h, rgba fill = {0, 0, 0, 255}) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    rgba &at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    const rgba &at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// Decodes a BITMAP resource (BITMAPINFOHEADER, colour table, rows) of 8 bits per pixel,
// uncompressed. Pure black pixels come out transparent (alpha 0), as the host draws them
// over other pictures. On a malformed resource returns an empty image and sets `error`.
image decode_bitmap(std::span<const std::uint8_t> resource, std::string &error);

// Draws `source` onto `target` at (x, y), clipped; transparent pixels are skipped unless `opaque`.
void draw_image(image &target, const image &source, int x, int y, bool opaque);
// The same for the part of `source` from (source_x, source_y), width x height, whose corner
// lands at (x, y); what lies outside `source` is drawn as transparent.
void draw_region(image &target, const image &source, int x, int y, int source_x, int source_y, int width, int height,
                 bool opaque);

// Enlarges by a whole factor, each pixel becoming a square.
image scale_image(image source, int factor);
// The same into `scaled`, whose memory is kept for the next picture of the same size.
void scale_into(image &scaled, const image &source, int factor);

// Stretches or shrinks to `width` x `height`, each pixel taken from the nearest source pixel.
image resize_image(const image &source, int width, int height);

// Writes a PNG file; returns false if the file cannot be written.
bool write_png(const image &picture, const std::string &path);

} // namespace bench
