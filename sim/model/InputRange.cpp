#include "model/InputRange.h"

#include <algorithm>
#include <cmath>

namespace vexasim {

namespace {

constexpr double kFullScale[kRangeCount] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000};

} // namespace

double FullScale(int rangeIndex)
{
    return kFullScale[std::clamp(rangeIndex, 0, kRangeCount - 1)];
}

int16_t RawSample(double volts, double fullScale, int variantLevel)
{
    const double ratio = volts / fullScale;
    if (variantLevel == 1) {
        // Asymmetric, as the plug-in converts it back: /127 up, /128 down.
        const double raw = std::round(ratio * (ratio >= 0 ? 127.0 : 128.0));
        return static_cast<int16_t>(std::clamp(raw, -128.0, 127.0));
    }
    return static_cast<int16_t>(std::clamp(std::round(ratio * 511.0), -511.0, 511.0));
}

} // namespace vexasim
