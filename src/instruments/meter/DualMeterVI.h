// The dual meters: channels C and D of an interface of variant level 3, side
// by side, each with its own range, quantity and coupling. The voltmeter reads
// both with the unit's C/D block; the ammeter reads them as currents itself.
#pragma once

#include "instruments/meter/MeterSettings.h"
#include "instruments/meter/MeterWindowVI.h"
#include "units/VexaMeter.h"

class CHotValueDisplay;

class CDualMeterVI : public CMeterWindowVI {
public:
    // The panel's controls, C half then D half.
    static constexpr uint32_t kDisplayIds[2] = {1, 101};
    static constexpr uint32_t kRangeListIds[2] = {30, 130};
    static constexpr uint32_t kQuantityListIds[2] = {20, 120};
    static constexpr uint32_t kOverflowLampIds[2] = {1, 2};  // C's lamp: our id; D's is 2 as on the single meters
    static constexpr uint32_t kRateButtonId = 50;
    // Commands.
    static constexpr uint32_t kFirstRangeCommands[2] = {30, 130};
    static constexpr uint32_t kFirstQuantityCommands[2] = {21, 121};
    static constexpr uint32_t kDcCommands[2] = {10, 110};
    static constexpr uint32_t kRateCommand = 50;
    // Update bits.
    static constexpr uint32_t kAllBits = 255;
    static constexpr uint32_t kChannelBit = 1;
    // Frames of the tool-button strip on the rate button.
    static constexpr uint32_t kNormalRateImage = 10;
    static constexpr uint32_t kFastRateImage = 11;

    CDualMeterVI(CVexaMeter* meter, uint8_t startRange);

    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnUpdateUI(uint32_t eventCode) override;
    void SerializeInstrument(CArchive& ar) override;

    const DualMeterSettings& Settings() const { return m_settings; }

protected:
    // On the polling thread under the unit lock: the records of C and D and their overflow flags.
    virtual void ReadChannels(MeterRecord (&records)[2], bool (&overflow)[2]) = 0;
    // The range list's text and size, and how a half shows its reading.
    virtual const char16_t* RangeList() const = 0;
    virtual int32_t RangeCount() const = 0;
    virtual void ShowRange(CHotValueDisplay& display, int32_t range) = 0;

private:
    void ApplySettings();

    CHotValueDisplay* m_displays[2] = {};
    DualMeterSettings m_settings;
    // Written by the polling thread, read by the window's thread (m_dataLock).
    MeterRecord m_records[2] = {};
    bool m_overflow[2] = {};
    bool m_fresh = false;
};

class CDualVoltageMeterVI : public CDualMeterVI {
public:
    explicit CDualVoltageMeterVI(CVexaMeter* meter);

protected:
    void ReadChannels(MeterRecord (&records)[2], bool (&overflow)[2]) override;
    const char16_t* RangeList() const override;
    int32_t RangeCount() const override;
    void ShowRange(CHotValueDisplay& display, int32_t range) override;
};

class CDualCurrentMeterVI : public CDualMeterVI {
public:
    explicit CDualCurrentMeterVI(CVexaMeter* meter);

protected:
    void ReadChannels(MeterRecord (&records)[2], bool (&overflow)[2]) override;
    const char16_t* RangeList() const override;
    int32_t RangeCount() const override;
    void ShowRange(CHotValueDisplay& display, int32_t range) override;
};
