// The director switch's click: a short synthesized mechanical click.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr std::uint32_t click_sample_rate = 11025;
inline constexpr std::size_t click_sample_count = 1598;

// Unsigned 8-bit samples, 128 is silence.
std::vector<std::uint8_t> click_samples();
