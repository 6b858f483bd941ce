// CVexaMeter: the multimeter unit (unit 6). For each channel the interface
// accumulates a block of samples and returns the instantaneous value, sum,
// sum of absolute values, sum of squares, minimum and maximum; the unit turns
// them into AV, |AV|, P, PP and RMS in volts. Channels C and D exist only on
// interfaces of variant level 3.
//
// The records of A and B and the two shunt resistances are class-wide: every
// meter instrument of the process reads the same ones.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "units/CommandBytes.h"
#include "units/MeasureBase.h"

// One channel's measurement, indexed by MeterQuantity.
using MeterRecord = std::array<double, 6>;

// Positions in a record; 0 to 4 follow the instruments' list "AV;|AV|;P;PP;RMS".
enum MeterQuantity : int {
    kMeterAverage = 0,       // [V]
    kMeterAbsAverage = 1,    // [V]
    kMeterPeak = 2,          // the block's maximum [V]
    kMeterPeakToPeak = 3,    // [V]
    kMeterRms = 4,           // [V]
    kMeterInstant = 5,       // the first value of the reply [V]
};

// One channel's part of a block reply as the interface sends it, before
// conversion: raw converter counts.
struct MeterRawBlock {
    int32_t instant = 0;
    double sum = 0;
    double absSum = 0;
    double squares = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
};

struct CMeterSettings : CUnitSettings {
    uint8_t gFlag = 0;
    uint16_t interval = 10;
    uint16_t sampleCount = 2048;
    double shuntA = 10.0;  // [Ohm]
    double shuntB = 10.0;  // [Ohm]
    int32_t modeA = 0, rangeA = kDefaultRange, modeB = 0, rangeB = kDefaultRange;
};

class CVexaMeter : public CMeasureBase {
    DECLARE_DYNAMIC(CVexaMeter)
public:
    CVexaMeter(CStreamIO* stream, CVexaface* owner);

    // Change bits (the channel command for A and B is kChannelBit).
    static constexpr uint32_t kAcquisitionBit = 0x0001;
    static constexpr uint32_t kGFlagBit = 0x0004;
    static constexpr uint32_t kStartBit = 0x1000;
    static constexpr uint32_t kStopBit = 0x2000;
    static constexpr uint32_t kAllSettings = 0x0FFF;
    static constexpr uint32_t kSettingsVersion = 3;
    // Status answers.
    static constexpr uint8_t kStatusIdle = 0;
    static constexpr uint8_t kStatusBlockReady = 2;
    // Firmware from which the interface knows command "g".
    static constexpr uint16_t kFirstFirmwareWithG = 239;

    // Flushes, asks the status and reads a ready block or starts measuring.
    void Open() override;
    // Reads the block of A and B into the class-wide records.
    void ReadAB();
    // Reads the block of C and D into the caller's records (variant level 3 only).
    void ReadCD(MeterRecord& c, MeterRecord& d);
    uint8_t QueryStatus();
    void StartMeasuring(bool running);
    // Stores a channel's range and mode and sends the channel command at once.
    void SetChannel(int channel, int32_t range, int32_t mode);
    void SendChannelsAB();
    // A quantity of the class-wide record of channel A (0) or B (1); 0 otherwise.
    static double Record(int channel, int quantity);
    static const MeterRecord& RecordOf(int channel);  // 0 A, 1 B

    // The first user marks the start, the last one leaving marks the stop.
    void AddUser();
    void RemoveUser();
    int32_t Users() const { return m_users; }

    bool Flush() override;
    std::unique_ptr<CUnitSettings> SaveSettings() override;
    void RestoreSettings(std::unique_ptr<CUnitSettings> settings) override;
    void Serialize(CArchive& ar) override;

    // Whether the last block of a channel reached the end of its range.
    bool Overflow(int channel) const { return IsChannel(channel) && m_overflow[channel] != 0; }
    uint8_t Status() const { return m_status; }
    uint16_t SampleCount() const { return m_sampleCount; }
    uint16_t Interval() const { return m_interval; }
    uint8_t GFlag() const { return m_gFlag; }

    // The shunt resistances of the ammeter instruments [Ohm], class-wide.
    static double Shunt(int channel);
    static void SetShunt(int channel, double ohms);

    // Sends a read command and reads its block reply (16-bit or 8-bit form)
    // of the command's two channels, unconverted. For instruments that read
    // a block the unit does not convert itself; call under the unit lock.
    std::array<MeterRawBlock, 2> ReadRawBlock(uint8_t command, bool wide);
    // Fills a record from one channel's raw block, convert turning counts
    // into the record's unit; sums are divided by sampleCount (0 counts as
    // 1). Returns whether the block reached the end of the converter.
    static bool ConvertBlock(const MeterRawBlock& raw, bool wide, uint16_t sampleCount,
                             const std::function<double(double)>& convert, MeterRecord& record);

private:
    // Reads one block reply of channels x and y into their records.
    void ReadBlock(uint8_t command, bool wide, int x, int y, MeterRecord& recordX, MeterRecord& recordY);
    UnitCommand ChannelCommandAB();
    UnitCommand AcquisitionCommand();

    uint8_t m_gFlag = 0;
    uint8_t m_status = 0;
    int32_t m_users = 0;
    uint16_t m_interval = 10;
    uint16_t m_sampleCount = 2048;
    std::array<uint8_t, kInputChannels> m_overflow{};
};
