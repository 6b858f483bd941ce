// CScope: the oscilloscope acquisition unit (unit 5). It sets time base,
// channels and trigger, arms and stops acquisitions, asks for their state,
// and reads records (or, at the slow time bases, rolling samples) into
// screen buffers.
//
// The time base, the buffers of channels A and B and their range factors are
// class-wide: every scope object of the process shares them, as the screen
// and the analysers that read them do.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "units/CommandBytes.h"
#include "units/MeasureBase.h"
#include "units/ScopeBuffer.h"

// One time base: time per division, sample divider A, record length B and
// whether it is a slow (rolling) time base.
struct TimeBaseRow {
    double timePerDivision;  // [s]
    uint16_t divider;
    uint16_t length;
    uint8_t slow;
};

// What an instrument keeps to put the scope back as it found it.
struct CScopeSettings : CUnitSettings {
    int32_t timeBase = 0;
    std::array<int32_t, 8> channels{};  // mode, range of A to D
    int32_t triggerSource = 0;
    int32_t triggerLevel = 0;
    int32_t triggerSlope = 0;
    int32_t triggerPosition = 100;
    uint8_t singleShot = 0;
    uint8_t hold = 0;
};

class CScope : public CMeasureBase {
    DECLARE_DYNAMIC(CScope)
public:
    CScope(CStreamIO* stream, CVexaface* owner);

    // Change bits (the channel word is kChannelBit).
    static constexpr uint32_t kTimeBaseBit = 0x01;
    static constexpr uint32_t kTriggerBit = 0x04;
    static constexpr uint32_t kTriggerLevelBit = 0x08;
    static constexpr uint32_t kAllBits = 0xFFFF;

    // The screen buffers hold at most this many samples of one record.
    static constexpr int32_t kBufferSize = 8192;
    static constexpr uint32_t kSettingsVersion = 2;

    enum State : uint8_t { kIdle = 0, kWaiting = 1, kAcquiring = 2, kComplete = 3 };

    // The time base table of a variant level, and its number of rows.
    static std::span<const TimeBaseRow> TimeBaseTable(int variantLevel);
    std::span<const TimeBaseRow> TimeBases() const { return TimeBaseTable(VariantLevel()); }
    const TimeBaseRow& CurrentTimeBase() const;

    // Settings: each stores under the change lock and marks its bit.
    bool SetTimeBase(int32_t index);
    void SetTimeBaseRaw(uint16_t divider, uint16_t slow, uint16_t length);
    void SetTriggerSource(int32_t source);
    void SetTriggerSlope(int32_t slope);
    void SetTriggerPosition(int32_t percent);
    void SetTriggerLevel(int32_t percent);
    // Steps of 1 within 0 to 100 (position) and -100 to 100 (level); false at the limit.
    bool TriggerPositionUp();
    bool TriggerPositionDown();
    bool TriggerLevelUp();
    bool TriggerLevelDown();
    void SetSingleShot(bool on) { m_singleShot = on ? 1 : 0; }
    void SetHold(bool on) { m_hold = on ? 1 : 0; }
    void SetChannelMask(int32_t mask) { m_channelMask = mask; }

    // The channel word; also sets the class-wide range factors of A and B.
    uint16_t ChannelWord() override;

    // Commands.
    uint8_t State();
    void Arm();
    void StopAcquisition();
    void FullSetup();
    // Reads count samples (at most kBufferSize) of a channel into buffer's
    // spare array and shows them; returns the samples read.
    int32_t ReadRecord(int channel, int32_t count, CScopeBuffer& buffer);
    // Appends the samples that came since the last read to the channels'
    // buffers (null: the channel's samples are dropped); true if any came.
    bool ReadRolling(std::array<CScopeBuffer*, kInputChannels> buffers);
    bool ReadRolling(CScopeBuffer& a, CScopeBuffer& b) { return ReadRolling({&a, &b, nullptr, nullptr}); }

    bool Flush() override;
    std::unique_ptr<CUnitSettings> SaveSettings() override;
    void RestoreSettings(std::unique_ptr<CUnitSettings> settings) override;
    void Serialize(CArchive& ar) override;

    // Seconds between samples at a divider value.
    double SamplePeriod(uint16_t divider) const;
    double SamplePeriod() const { return SamplePeriod(m_divider); }

    // The 16-bit screen form of a raw sample at a variant level.
    static int16_t ScreenSample(int variantLevel, int32_t raw);
    // The byte the trigger level command carries: level × 127 / 100 rounded.
    static uint8_t TriggerLevelByte(int32_t level);
    uint8_t TriggerModeByte() const;
    uint16_t TriggerDelay() const;

    // Class-wide state.
    static int32_t TimeBaseIndex();
    static int32_t LastTimeBaseIndex();
    static CScopeBuffer& ScreenBuffer(int channel);  // 0 A, 1 B
    static double ClassRangeFactor(int channel);     // 0 A, 1 B

    uint16_t SlowMode() const { return m_slowMode; }
    uint16_t Divider() const { return m_divider; }
    uint16_t RecordLength() const { return m_recordLength; }
    int32_t TriggerSource() const { return m_triggerSource; }
    int32_t TriggerLevel() const { return m_triggerLevel; }
    int32_t TriggerSlope() const { return m_triggerSlope; }
    int32_t TriggerPosition() const { return m_triggerPosition; }
    bool SingleShot() const { return m_singleShot != 0; }
    bool Hold() const { return m_hold != 0; }
    int32_t ChannelMask() const { return m_channelMask; }
    double Clock() const { return m_clock; }

private:
    void ApplyTimeBaseRow(int32_t index);
    // Commands from the settings in force; made under the change lock.
    UnitCommand TimeBaseCommand() const;
    UnitCommand TriggerCommand() const;
    UnitCommand TriggerLevelCommand() const;
    UnitCommand ChannelCommand();
    bool StepTrigger(int32_t& value, bool up, int32_t limit, uint32_t bit);

    uint16_t m_slowMode = 0;
    uint16_t m_divider = 0;
    uint16_t m_recordLength = 0;
    int32_t m_triggerSource = 0;
    int32_t m_triggerLevel = 0;
    int32_t m_triggerSlope = 0;
    int32_t m_triggerPosition = 100;
    uint8_t m_singleShot = 0;
    uint8_t m_hold = 0;
    int32_t m_channelMask = 3;
    double m_clock;
};
