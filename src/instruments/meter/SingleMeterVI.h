// The digital single meters: one channel (A or B) of the multimeter unit on a
// seven-segment read-out, with range, quantity and coupling chosen on the
// panel. CVoltageMeterVI shows volts, CCurrentMeterVI the current through a
// shunt, CDbMeterVI the level in dB relative to 0.775 V.
#pragma once

#include "instruments/meter/MeterFormat.h"
#include "instruments/meter/MeterSettings.h"
#include "instruments/meter/MeterWindowVI.h"

class CHotValueDisplay;

class CSingleMeterVI : public CMeterWindowVI {
public:
    // The panel's controls.
    static constexpr uint32_t kCaptionId = 50;
    static constexpr uint32_t kDisplayId = 1;
    static constexpr uint32_t kRangeListId = 30;
    static constexpr uint32_t kQuantityListId = 20;
    static constexpr uint32_t kOverflowLampId = 2;
    static constexpr uint32_t kShuntButtonId = 300;
    static constexpr uint32_t kFullScaleTextId = 301;  // the ammeter's full-scale current: our id
    // Commands: the lists' items, the coupling buttons, the shunt button.
    static constexpr uint32_t kFirstRangeCommand = 30;
    static constexpr uint32_t kFirstQuantityCommand = 21;
    static constexpr uint32_t kDcCommand = 10;
    static constexpr uint32_t kAcCommand = 11;
    static constexpr uint32_t kShuntCommand = 300;
    // Update bits of the window's change word.
    static constexpr uint32_t kAllBits = 255;
    static constexpr uint32_t kChannelBit = 1;
    static constexpr uint32_t kQuantityBit = 2;

    // voltageKind: the value is a voltage (voltmeter, dB meter); channel 0 = A, 1 = B.
    CSingleMeterVI(CVexaMeter* meter, bool voltageKind, int channel);

    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnUpdateUI(uint32_t eventCode) override;
    void SerializeInstrument(CArchive& ar) override;

    const SingleMeterSettings& Settings() const { return m_settings; }

protected:
    bool TakeMeterData() override;
    // Shows the last value in the display; true when anything shown changed.
    virtual bool ShowReading(double value, bool overflow);
    // The range or the shunt changed: recalculate what depends on them.
    virtual void OnScaleChanged();
    // The display found, before the settings reach it: its tables and unit.
    virtual void PrepareDisplay() {}
    // The settings reach the panel and, through the update bits, the unit.
    void ApplySettings();

    bool m_voltageKind;
    int m_channel;
    CHotValueDisplay* m_display = nullptr;
    SingleMeterSettings m_settings;
    // Written by the polling thread, read by the window's thread (m_dataLock).
    double m_lastValue = 0.0;
    bool m_overflow = false;
};

class CVoltageMeterVI : public CSingleMeterVI {
public:
    CVoltageMeterVI(CVexaMeter* meter, int channel) : CSingleMeterVI(meter, true, channel) {}

protected:
    void PrepareDisplay() override;
    void OnScaleChanged() override;
};

class CCurrentMeterVI : public CSingleMeterVI {
public:
    CCurrentMeterVI(CVexaMeter* meter, int channel) : CSingleMeterVI(meter, false, channel) {}
    bool OnCommand(uint32_t id) override;

    const AmmeterScale& Scale() const { return m_scale; }

protected:
    void PrepareDisplay() override;
    bool ShowReading(double value, bool overflow) override;
    void OnScaleChanged() override;

private:
    AmmeterScale m_scale{};
};

class CDbMeterVI : public CSingleMeterVI {
public:
    CDbMeterVI(CVexaMeter* meter, int channel) : CSingleMeterVI(meter, true, channel) {}

protected:
    void PrepareDisplay() override;
    bool ShowReading(double value, bool overflow) override;
};

// What a display shows for a reading beyond its range, right-aligned in its digits.
CString OverflowText(uint32_t digitCount);
