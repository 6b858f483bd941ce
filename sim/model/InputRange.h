// The measuring inputs: full scale of each range index, and the raw value the
// converter gives for a voltage (8-bit on variant level 1, 10-bit above).
#pragma once

#include <cstdint>

namespace vexasim {

constexpr int kRangeCount = 15;

// Full scale [V] of range index 0 to 14 (indices beyond are clamped).
double FullScale(int rangeIndex);

// Raw converter value for volts in a range of the given full scale:
// level 1 -128..127 (127 = +F, -128 = -F), levels 2 and 3 -511..511.
int16_t RawSample(double volts, double fullScale, int variantLevel);

// Range byte of the protocol: index in the low 7 bits, 0x80 for AC coupling.
struct InputSetting {
    uint8_t range = 8;
    bool ac = false;

    static InputSetting FromByte(uint8_t b) { return {static_cast<uint8_t>(b & 0x7F), (b & 0x80) != 0}; }
    double FullScale() const { return vexasim::FullScale(range); }
};

} // namespace vexasim
