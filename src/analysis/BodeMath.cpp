#include "analysis/BodeMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int16_t kOverflowSample = 32700;
constexpr double kFullSample = 32767.0;

}  // namespace

BodeGeneratorSetup BodeGeneratorFor(double amplitude, double offset)
{
    BodeGeneratorSetup setup;
    const double x = offset != 0.0 ? std::fabs(offset) + amplitude : amplitude;
    if (x == 0.0 || x >= 0.8)
        setup = {0, 10, 6};
    else if (x >= 0.08)
        setup = {1, 100, 3};
    else
        setup = {2, 1000, 1};
    if (offset == 0.0) {
        setup.sineAmplitude = static_cast<uint8_t>(std::clamp(std::trunc(setup.multiplier * amplitude + 0.5), 0.0, 255.0));
        return setup;
    }
    setup.formula = true;
    char text[64];
    std::snprintf(text, sizeof text, "%g*SIN(X)+%g", setup.multiplier * amplitude / 100.0,
                  setup.multiplier * offset / 100.0);
    setup.formulaText = Utf8ToString(text);
    return setup;
}

double BodeWrapPhase(double degrees)
{
    if (degrees > 180.0)
        return degrees - 360.0;
    if (degrees < -180.0)
        return degrees + 360.0;
    return degrees;
}

BodeMeasurement BodeEvaluate(std::span<const int16_t> a, std::span<const int16_t> b, double fullScaleA,
                             double fullScaleB)
{
    BodeMeasurement m;
    const size_t n = std::min(a.size(), b.size());
    if (n == 0)
        return m;
    double squaresA = 0, sinA = 0, cosA = 0, sinB = 0, cosB = 0;
    for (size_t k = 0; k < n; ++k) {
        if (std::abs(a[k]) >= kOverflowSample || std::abs(b[k]) >= kOverflowSample)
            m.overflow = true;
        const double ak = a[k] / kFullSample, bk = b[k] / kFullSample;
        const double theta = 2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
        const double s = std::sin(theta), c = std::cos(theta);
        squaresA += ak * ak;
        sinA += s * ak;
        cosA += c * ak;
        sinB += s * bk;
        cosB += c * bk;
    }
    const double scale = 2.0 / static_cast<double>(n);
    sinA *= scale, cosA *= scale, sinB *= scale, cosB *= scale;
    m.rmsA = std::sqrt(squaresA / static_cast<double>(n)) * fullScaleA;
    const double phaseA = std::atan2(sinA, cosA), phaseB = std::atan2(sinB, cosB);
    m.phase = BodeWrapPhase((phaseB - phaseA) / std::numbers::pi * 180.0);
    const double amplitudeA = std::hypot(sinA, cosA) * fullScaleA;
    const double amplitudeB = std::hypot(sinB, cosB) * fullScaleB;
    m.gain = amplitudeB != 0.0 ? std::fabs(amplitudeA / amplitudeB) : 0.0;
    return m;
}
