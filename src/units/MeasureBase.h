// CMeasureBase: the base of the two measuring units (scope and multimeter).
// Four analog inputs A to D, each with a coupling mode and an index into the
// measuring range table, and the conversions from raw values to volts.
#pragma once

#include <array>
#include <cstdint>

#include "units/BaseDevice.h"

// One row of the measuring range table.
struct MeasureRange {
    double voltsPerDivision;  // as the screen shows it [V/div]
    double fullScale;         // what the interface measures at its limit [V]
};

constexpr int kRangeCount = 15;
constexpr int kDefaultRange = 8;
constexpr int kInputChannels = 4;

enum CouplingMode : int32_t {
    kCouplingDC = 0,
    kCouplingAC = 1,
    kCouplingGround = 2,
};

class CMeasureBase : public CVexaDevice {
    DECLARE_DYNAMIC(CMeasureBase)
public:
    using CVexaDevice::CVexaDevice;

    // Change bit of the channel settings (the channel word).
    static constexpr uint32_t kChannelBit = 0x02;

    // The row of a range index; indexes outside the table give its nearest end.
    static const MeasureRange& RangeRow(int32_t index);
    // The channel word: range of A in the low byte, of B in the high byte,
    // 0x80 and 0x8000 for AC coupling of A and B.
    virtual uint16_t ChannelWord();

    // Store under the change lock and mark the channel bit; channels beyond
    // D are ignored, as are modes and ranges the interface does not have.
    void SetMode(int channel, int32_t mode);
    void SetRange(int channel, int32_t range);
    int32_t Mode(int channel) const;
    int32_t Range(int channel) const;

    double FullScale(int channel) const { return RangeRow(Range(channel)).fullScale; }
    double VoltsPerDivision(int channel) const { return RangeRow(Range(channel)).voltsPerDivision; }
    // Full scale / (4 × volts per division): how far a full-scale sample
    // reaches on the screen, in half-screens.
    double RangeFactor(int channel) const;
    // Volts of a raw measured value on channel.
    double Convert(int channel, double raw) const;
    // Steps the range up when v is above 75 % of full scale (not past
    // index 8), down when below 30 %; true when the range changed.
    bool AutoRange(int channel, double v);

protected:
    // A channel's byte in the commands that carry one per channel.
    uint8_t ChannelByte(int channel) const;
    static bool IsChannel(int channel) { return channel >= 0 && channel < kInputChannels; }
    static int32_t ClampRange(int32_t range);
    static int32_t ClampMode(int32_t mode);

    struct Channel {
        int32_t mode = kCouplingDC;
        int32_t range = kDefaultRange;
    };
    std::array<Channel, kInputChannels> m_channels{};
};
