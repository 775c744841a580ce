// Bitmap decoding, composition and PNG output for the bench's renderer.
#include "image.h"

#include <algorithm>
#include <bit>
#include <cstring>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace bench {
namespace {

std::uint32_t read_u32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}
std::uint16_t read_u16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint16_t(bytes[at] | bytes[at + 1] << 8);
}

constexpr std::int32_t largest_side = 8192;
// The alpha byte of a pixel read as a little-endian word.
constexpr std::uint32_t alpha_mask = 0xFF000000;
static_assert(std::endian::native == std::endian::little);

} // namespace

image decode_bitmap(std::span<const std::uint8_t> resource, std::string &error) {
    if (resource.size() < 40) {
        error = "too short for a bitmap header (" + std::to_string(resource.size()) + " bytes)";
        return {};
    }
    std::uint32_t header_size = read_u32(resource, 0);
    auto width = std::int32_t(read_u32(resource, 4));
    auto height = std::int32_t(read_u32(resource, 8));
    std::uint16_t bits = read_u16(resource, 14);
    std::uint32_t compression = read_u32(resource, 16);
    std::uint32_t colours_used = read_u32(resource, 32);
    if (header_size < 40 || header_size > resource.size()) {
        error = "bitmap header size " + std::to_string(header_size) + " is not valid";
        return {};
    }
    if (bits != 8 || compression != 0) {
        error = "not an uncompressed 8-bit bitmap (" + std::to_string(bits) + " bits per pixel, compression " +
                std::to_string(compression) + ")";
        return {};
    }
    bool top_down = height < 0;
    std::int64_t rows = top_down ? -std::int64_t(height) : height;
    if (width <= 0 || rows == 0 || width > largest_side || rows > largest_side) {
        error = "bitmap size " + std::to_string(width) + " x " + std::to_string(rows) + " is not valid";
        return {};
    }
    std::uint32_t palette_entries = colours_used == 0 ? 256 : colours_used;
    if (palette_entries > 256) {
        error = "colour table of " + std::to_string(colours_used) + " entries";
        return {};
    }
    std::size_t palette_at = header_size;
    std::size_t pixels_at = palette_at + std::size_t(palette_entries) * 4;
    std::size_t stride = (std::size_t(width) + 3) & ~std::size_t(3);
    std::size_t needed = pixels_at + stride * std::size_t(rows);
    if (resource.size() < needed) {
        error = "bitmap data is " + std::to_string(resource.size()) + " bytes, " + std::to_string(needed) +
                " needed";
        return {};
    }
    rgba palette[256] = {};
    for (std::uint32_t i = 0; i < palette_entries; ++i) {
        const std::uint8_t *quad = &resource[palette_at + i * 4];
        bool black = quad[0] == 0 && quad[1] == 0 && quad[2] == 0;
        palette[i] = {quad[2], quad[1], quad[0], std::uint8_t(black ? 0 : 255)};
    }
    image picture(width, int(rows));
    for (int y = 0; y < picture.height; ++y) {
        std::size_t row = top_down ? std::size_t(y) : std::size_t(rows - 1 - y);
        const std::uint8_t *source = &resource[pixels_at + row * stride];
        for (int x = 0; x < width; ++x)
            picture.at(x, y) = palette[source[x]];
    }
    return picture;
}

void draw_region(image &target, const image &source, int x, int y, int source_x, int source_y, int width, int height,
                 bool opaque) {
    // Clipped once to the source, the region and the target; then whole rows at a time.
    int first_column = std::max({0, source_x, source_x - x});
    int last_column = std::min({source.width, source_x + width, source_x - x + target.width});
    int first_row = std::max({0, source_y, source_y - y});
    int last_row = std::min({source.height, source_y + height, source_y - y + target.height});
    if (first_column >= last_column)
        return;
    std::size_t count = std::size_t(last_column - first_column);
    for (int row = first_row; row < last_row; ++row) {
        const rgba *from = &source.at(first_column, row);
        rgba *to = &target.at(x + first_column - source_x, y + row - source_y);
        // Each pixel as one word, so that the compiler can select a whole vector at a time.
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t above, below;
            std::memcpy(&above, &from[i], 4);
            std::memcpy(&below, &to[i], 4);
            std::uint32_t drawn = opaque || (above & alpha_mask) != 0 ? above | alpha_mask : below;
            std::memcpy(&to[i], &drawn, 4);
        }
    }
}

void draw_image(image &target, const image &source, int x, int y, bool opaque) {
    draw_region(target, source, x, y, 0, 0, source.width, source.height, opaque);
}

image scale_image(image source, int factor) {
    if (factor <= 1)
        return source;
    image scaled;
    scale_into(scaled, source, factor);
    return scaled;
}

void scale_into(image &scaled, const image &source, int factor) {
    scaled.width = source.width * factor;
    scaled.height = source.height * factor;
    scaled.pixels.resize(std::size_t(scaled.width) * scaled.height);
    // Each source row becomes `factor` rows of `factor` copies of each pixel.
    for (int y = 0; y < source.height; ++y) {
        rgba *first = &scaled.at(0, y * factor);
        for (int x = 0; x < source.width; ++x)
            std::fill_n(first + std::size_t(x) * factor, factor, source.at(x, y));
        for (int copy = 1; copy < factor; ++copy)
            std::copy_n(first, scaled.width, &scaled.at(0, y * factor + copy));
    }
}

image resize_image(const image &source, int width, int height) {
    image resized(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            resized.at(x, y) = source.at(int(std::int64_t(x) * source.width / width),
                                         int(std::int64_t(y) * source.height / height));
    return resized;
}

bool write_png(const image &picture, const std::string &path) {
    static_assert(sizeof(rgba) == 4);
    return stbi_write_png(path.c_str(), picture.width, picture.height, 4, picture.pixels.data(),
                          picture.width * 4) != 0;
}

} // namespace bench
