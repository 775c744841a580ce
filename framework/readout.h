// The whole number a digital readout shows, from a value of any size.
#pragma once

#include <cstdint>

// Sets `whole` to `value` truncated toward zero and held within [lowest, highest], so that no
// NaN, infinite or out-of-range double reaches an integer conversion; returns false for a
// NaN, which has no number to show.
inline bool readout_whole(double value, std::int32_t lowest, std::int32_t highest, std::int32_t &whole) {
    if (value != value) // NaN
        return false;
    if (value >= highest)
        whole = highest;
    else if (value <= lowest)
        whole = lowest;
    else
        whole = static_cast<std::int32_t>(value);
    return true;
}
