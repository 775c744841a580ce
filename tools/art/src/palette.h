// Reduction of drawn pictures to 8-bit indexed images with a 256-entry palette.
// Pure black (0,0,0) is the transparent colour of a picture drawn over another, so
// opaque pixels never use it.
#pragma once

#include "surface.h"

#include <array>
#include <cstdint>
#include <vector>

inline constexpr colour transparent_key{0, 0, 0};
inline constexpr colour darkest_opaque{8, 8, 8};

struct indexed_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;  // row-major, top row first
    std::array<colour, 256> palette{};

    colour at(int x, int y) const { return palette[indices[static_cast<std::size_t>(y) * width + x]]; }
};

// A picture drawn opaque: every pixel of the surface must be fully covered.
indexed_image reduce_opaque(const surface& picture);

// A picture drawn over another: layer pixels with little coverage become transparent; the
// rest are composited over beneath (what lies under the layer on the gauge, same size) so
// that their anti-aliased edges blend with it.
indexed_image reduce_overlay(const surface& layer, const surface& beneath);
