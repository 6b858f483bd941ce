// A simulated box on a manual clock with one protocol engine, for tests
// that talk bytes to it without a network.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "model/SimClock.h"
#include "protocol/ProtocolEngine.h"
#include "protocol/SimBox.h"

using namespace vexasim;

using Bytes = std::vector<uint8_t>;

struct SimHarness {
    explicit SimHarness(BoxOptions options = {}, FaultPlan faults = {})
        : identity(u"Bench 7", {1, 2, 3, 4, 5, 6}, 0x7F000001, 0xFF000000), box(options, clock, identity),
          engine(box, faults)
    {
    }

    // Feeds bytes and returns what the box answered to them.
    Bytes Send(const Bytes& bytes)
    {
        Bytes out;
        engine.Feed(bytes.data(), bytes.size(), out);
        return out;
    }

    CManualClock clock;
    CDeviceIdentity identity;
    CSimBox box;
    CProtocolEngine engine;
};

inline int16_t Word16(const Bytes& b, size_t at)
{
    return static_cast<int16_t>(b[at] << 8 | b[at + 1]);
}

inline int32_t Long32(const Bytes& b, size_t at)
{
    return static_cast<int32_t>(static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
                                static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3]);
}

// Gain and phase [degrees] of a against b, each one period of samples, as
// the Bode plotter correlates them with a sine and a cosine.
inline void CorrelateBode(const std::vector<double>& a, const std::vector<double>& b, double& gain, double& phase)
{
    const size_t n = a.size();
    double sa = 0, ca = 0, sb = 0, cb = 0;
    for (size_t k = 0; k < n; ++k) {
        const double theta = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
        sa += std::sin(theta) * a[k];
        ca += std::cos(theta) * a[k];
        sb += std::sin(theta) * b[k];
        cb += std::cos(theta) * b[k];
    }
    gain = std::hypot(sa, ca) / std::hypot(sb, cb);
    phase = (std::atan2(sb, cb) - std::atan2(sa, ca)) / std::numbers::pi * 180;
    if (phase > 180)
        phase -= 360;
    if (phase < -180)
        phase += 360;
}
