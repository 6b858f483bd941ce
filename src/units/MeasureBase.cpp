#include "units/MeasureBase.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CMeasureBase, CVexaDevice)

namespace {

constexpr MeasureRange kRanges[kRangeCount] = {
    {0.02, 0.1}, {0.05, 0.2}, {0.1, 0.5}, {0.2, 1},    {0.5, 2},     {1, 5},       {2, 10},    {5, 20},
    {10, 50},    {20, 100},   {50, 200},  {100, 500},  {200, 1000},  {500, 2000},  {1000, 5000},
};

} // namespace

const MeasureRange& CMeasureBase::RangeRow(int32_t index)
{
    return kRanges[ClampRange(index)];
}

int32_t CMeasureBase::ClampRange(int32_t range)
{
    return std::clamp(range, 0, kRangeCount - 1);
}

int32_t CMeasureBase::ClampMode(int32_t mode)
{
    return std::clamp(mode, int32_t{kCouplingDC}, int32_t{kCouplingGround});
}

uint16_t CMeasureBase::ChannelWord()
{
    return static_cast<uint16_t>(ChannelByte(1) << 8 | ChannelByte(0));
}

uint8_t CMeasureBase::ChannelByte(int channel) const
{
    const Channel& c = m_channels[channel];
    return static_cast<uint8_t>(ClampRange(c.range) | (c.mode == kCouplingAC ? 0x80 : 0));
}

void CMeasureBase::SetMode(int channel, int32_t mode)
{
    if (!IsChannel(channel))
        return;
    m_changes.Set(m_channels[channel].mode, ClampMode(mode), kChannelBit);
}

void CMeasureBase::SetRange(int channel, int32_t range)
{
    if (!IsChannel(channel))
        return;
    m_changes.Set(m_channels[channel].range, ClampRange(range), kChannelBit);
}

int32_t CMeasureBase::Mode(int channel) const
{
    return IsChannel(channel) ? m_channels[channel].mode : kCouplingDC;
}

int32_t CMeasureBase::Range(int channel) const
{
    return IsChannel(channel) ? m_channels[channel].range : kDefaultRange;
}

double CMeasureBase::RangeFactor(int channel) const
{
    const MeasureRange& row = RangeRow(Range(channel));
    return row.fullScale / (4 * row.voltsPerDivision);
}

double CMeasureBase::Convert(int channel, double raw) const
{
    const double f = FullScale(channel);
    if (VariantLevel() >= 2)
        return f * raw / 511;
    // The 8-bit converter reaches -128 but only +127.
    return f * raw / (raw < 0 ? 128 : 127);
}

bool CMeasureBase::AutoRange(int channel, double v)
{
    if (!IsChannel(channel))
        return false;
    m_changes.Lock();
    int32_t& range = m_channels[channel].range;
    const double f = RangeRow(range).fullScale;
    int32_t next = range;
    if (v > 0.75 * f) {
        // Index 8 (50 V) is the top of the inputs' own ranges; the rows
        // above it are for probes the user sets by hand.
        if (range != kDefaultRange)
            next = ClampRange(range + 1);
    } else if (v < 0.3 * f && range > 0) {
        next = range - 1;
    }
    const bool changed = next != range;
    range = ClampRange(next);
    m_changes.Unlock(changed ? kChannelBit : 0);
    return changed;
}
