// BMP and WAVE container writers (little-endian throughout).
#include "containers.h"

#include <stdexcept>
#include <string_view>

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void put_tag(std::vector<std::uint8_t>& out, std::string_view tag) {
    for (char c : tag) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

}  // namespace

std::vector<std::uint8_t> bmp_file(const indexed_image& image) {
    constexpr std::uint32_t file_header_size = 14;
    constexpr std::uint32_t info_header_size = 40;
    constexpr std::uint32_t pixel_offset = file_header_size + info_header_size + 256 * 4;
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t stride = (width + 3) / 4 * 4;
    const std::uint32_t image_size = stride * height;

    std::vector<std::uint8_t> out;
    out.reserve(pixel_offset + image_size);
    put_tag(out, "BM");
    put32(out, pixel_offset + image_size);
    put16(out, 0);
    put16(out, 0);
    put32(out, pixel_offset);

    put32(out, info_header_size);
    put32(out, width);
    put32(out, height);  // positive: bottom-up rows
    put16(out, 1);       // planes
    put16(out, 8);       // bits per pixel
    put32(out, 0);       // no compression
    put32(out, image_size);
    put32(out, 0);  // pixels per metre, x
    put32(out, 0);  // pixels per metre, y
    put32(out, 256);
    put32(out, 0);  // all colours important

    for (const colour& c : image.palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (std::uint32_t row = height; row-- > 0;) {
        const auto first = image.indices.begin() + static_cast<std::ptrdiff_t>(row * width);
        out.insert(out.end(), first, first + width);
        out.resize(out.size() + (stride - width), 0);
    }
    return out;
}

std::vector<std::uint8_t> wave_file(const std::vector<std::uint8_t>& samples, std::uint32_t sample_rate,
                                    std::size_t padded_size) {
    constexpr std::uint32_t format_size = 16;
    const auto data_size = static_cast<std::uint32_t>(samples.size());
    const std::uint32_t pad = data_size % 2;
    const std::uint32_t riff_size = 4 + (8 + format_size) + (8 + data_size + pad);

    std::vector<std::uint8_t> out;
    put_tag(out, "RIFF");
    put32(out, riff_size);
    put_tag(out, "WAVE");

    put_tag(out, "fmt ");
    put32(out, format_size);
    put16(out, 1);  // PCM
    put16(out, 1);  // one channel
    put32(out, sample_rate);
    put32(out, sample_rate);  // bytes per second at one byte per sample
    put16(out, 1);            // block align
    put16(out, 8);            // bits per sample

    put_tag(out, "data");
    put32(out, data_size);
    out.insert(out.end(), samples.begin(), samples.end());
    out.resize(out.size() + pad, 0);

    if (out.size() > padded_size) {
        throw std::logic_error("the sound does not fit its resource size");
    }
    out.resize(padded_size, 0);
    return out;
}
