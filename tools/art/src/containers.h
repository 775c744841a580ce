// Writers of the two resource file formats: 8-bit BMP with a 256-entry colour table and
// 8-bit mono PCM RIFF/WAVE.
#pragma once

#include "palette.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Uncompressed, bottom-up rows padded to 4 bytes, pixel data at offset 1078.
std::vector<std::uint8_t> bmp_file(const indexed_image& image);

// A RIFF/WAVE file of one "fmt " and one "data" chunk, followed by zero bytes up to padded_size.
std::vector<std::uint8_t> wave_file(const std::vector<std::uint8_t>& samples, std::uint32_t sample_rate,
                                    std::size_t padded_size);
