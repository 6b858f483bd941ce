// The multimeter unit (unit 6): blocks of N samples per channel, answered as
// sums from which the plug-in computes mean, rectified mean, RMS and peaks.
// Samples are taken every interval x 10 us; a block is ready N samples after
// the start or after the last block read.
#pragma once

#include <array>
#include <cstdint>

#include "model/InputRange.h"

namespace vexasim {

class CSimBox;
class CReplyWriter;

struct MeterBlock {
    std::array<int16_t, 2> instant{};
    std::array<int32_t, 2> sum{};
    std::array<int32_t, 2> sumAbs{};
    std::array<int32_t, 2> sumSquares{};  // wraps at 32 bits, as the firmware's counter does
    std::array<int16_t, 2> min{};
    std::array<int16_t, 2> max{};
};

class CSimMeter {
public:
    explicit CSimMeter(CSimBox& box) : m_box(box) {}

    std::array<InputSetting, 4> input{};
    uint16_t interval = 10;
    uint16_t samples = 2048;
    bool running = false;
    uint8_t gFlag = 0;

    void Start();
    void Stop() { running = false; }
    // 0 not measuring, 1 measuring without a block yet, 2 a block is ready.
    uint8_t Status() const;
    double SamplePeriod() const;  // [s]
    // Sums over the last N samples of channels x and y; reading A and B
    // starts the next block.
    MeterBlock Measure(int x, int y);

private:
    CSimBox& m_box;
    double m_blockStart = 0;
};

// The block reply: 16-bit (wide) or 8-bit instantaneous and extreme values.
void WriteMeterBlock(const MeterBlock& block, bool wide, CReplyWriter& reply);

} // namespace vexasim
