// Palette reduction: an exact palette where a picture has at most 256 colours, otherwise
// libimagequant's quantizer.
#include "palette.h"

#include <libimagequant.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

// Layer pixels below this coverage show what lies beneath instead.
constexpr std::uint8_t least_opaque_coverage = 64;

// One pixel of the picture to reduce: transparent, or an opaque colour that is not the key.
struct flat_pixel {
    colour value;
    bool transparent = false;
};

struct flat_picture {
    int width = 0;
    int height = 0;
    std::vector<flat_pixel> pixels;
};

colour opaque_colour(colour c) {
    if (c.r < darkest_opaque.r && c.g < darkest_opaque.g && c.b < darkest_opaque.b) {
        return darkest_opaque;
    }
    return c;
}

std::uint32_t colour_key(colour c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }

// Every pixel keeps its exact colour; palette entries in order of first appearance.
bool reduce_exactly(const flat_picture& picture, indexed_image& out) {
    std::map<std::uint32_t, std::uint8_t> index_of;
    std::size_t used = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const colour c = picture.pixels[i].transparent ? transparent_key : picture.pixels[i].value;
        auto [entry, added] = index_of.try_emplace(colour_key(c), static_cast<std::uint8_t>(used));
        if (added) {
            if (used == out.palette.size()) {
                return false;
            }
            out.palette[used++] = c;
        }
        out.indices[i] = entry->second;
    }
    return true;
}

template <typename T, void (*destroy)(T*)>
struct liq_release {
    void operator()(T* p) const { destroy(p); }
};
using liq_attr_ptr = std::unique_ptr<liq_attr, liq_release<liq_attr, liq_attr_destroy>>;
using liq_image_ptr = std::unique_ptr<liq_image, liq_release<liq_image, liq_image_destroy>>;
using liq_result_ptr = std::unique_ptr<liq_result, liq_release<liq_result, liq_result_destroy>>;

void reduce_with_quantizer(const flat_picture& picture, indexed_image& out) {
    std::vector<liq_color> rgba(picture.pixels.size());
    for (std::size_t i = 0; i < rgba.size(); ++i) {
        const flat_pixel& p = picture.pixels[i];
        rgba[i] = p.transparent ? liq_color{0, 0, 0, 0} : liq_color{p.value.r, p.value.g, p.value.b, 255};
    }
    liq_attr_ptr attributes(liq_attr_create());
    liq_set_max_colors(attributes.get(), 256);
    liq_set_speed(attributes.get(), 1);
    liq_image_ptr image(liq_image_create_rgba(attributes.get(), rgba.data(), picture.width, picture.height, 0));
    liq_result* raw_result = nullptr;
    if (!image || liq_image_quantize(image.get(), attributes.get(), &raw_result) != LIQ_OK) {
        throw std::runtime_error("libimagequant could not quantize a picture");
    }
    liq_result_ptr result(raw_result);
    liq_set_dithering_level(result.get(), 0.5f);
    if (liq_write_remapped_image(result.get(), image.get(), out.indices.data(), out.indices.size()) != LIQ_OK) {
        throw std::runtime_error("libimagequant could not remap a picture");
    }
    const liq_palette* palette = liq_get_palette(result.get());
    std::array<bool, 256> entry_transparent{};
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& e = palette->entries[i];
        entry_transparent[i] = e.a < 128;
        out.palette[i] = entry_transparent[i] ? transparent_key : opaque_colour({e.r, e.g, e.b});
    }
    for (std::size_t i = 0; i < out.indices.size(); ++i) {
        if (entry_transparent[out.indices[i]] != picture.pixels[i].transparent) {
            throw std::runtime_error("the quantizer mixed transparent and opaque pixels");
        }
    }
}

indexed_image reduce(const flat_picture& picture) {
    indexed_image out;
    out.width = picture.width;
    out.height = picture.height;
    out.indices.resize(picture.pixels.size());
    if (!reduce_exactly(picture, out)) {
        out.palette = {};
        reduce_with_quantizer(picture, out);
    }
    return out;
}

}  // namespace

indexed_image reduce_opaque(const surface& picture) {
    flat_picture flat{picture.width(), picture.height(), {}};
    flat.pixels.reserve(static_cast<std::size_t>(flat.width) * flat.height);
    for (int y = 0; y < flat.height; ++y) {
        for (int x = 0; x < flat.width; ++x) {
            const rgba_pixel p = picture.pixel(x, y);
            if (p.a != 255) {
                throw std::logic_error("an opaque picture has an uncovered pixel");
            }
            flat.pixels.push_back({opaque_colour({p.r, p.g, p.b})});
        }
    }
    return reduce(flat);
}

indexed_image reduce_overlay(const surface& layer, const surface& beneath) {
    if (layer.width() != beneath.width() || layer.height() != beneath.height()) {
        throw std::logic_error("an overlay and what lies beneath it differ in size");
    }
    surface composite = beneath.crop(0, 0, beneath.width(), beneath.height());
    {
        canvas cr(composite);
        cairo_set_source_surface(cr, layer.get(), 0, 0);
        cairo_paint(cr);
    }
    flat_picture flat{layer.width(), layer.height(), {}};
    flat.pixels.reserve(static_cast<std::size_t>(flat.width) * flat.height);
    for (int y = 0; y < flat.height; ++y) {
        for (int x = 0; x < flat.width; ++x) {
            if (layer.pixel(x, y).a < least_opaque_coverage) {
                flat.pixels.push_back({transparent_key, true});
                continue;
            }
            const rgba_pixel p = composite.pixel(x, y);
            if (p.a != 255) {
                throw std::logic_error("what lies beneath an overlay must be opaque");
            }
            flat.pixels.push_back({opaque_colour({p.r, p.g, p.b})});
        }
    }
    return reduce(flat);
}
