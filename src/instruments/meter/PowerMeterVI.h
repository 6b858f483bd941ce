// CPowerMeterVI: the voltage on channel A, the current through the shunt on
// channel B, and their product, each as an RMS value.
#pragma once

#include "instruments/meter/MeterSettings.h"
#include "instruments/meter/MeterWindowVI.h"

class CHotVexaValueDisplay;

class CPowerMeterVI : public CMeterWindowVI {
public:
    // The panel's controls.
    static constexpr uint32_t kVoltageDisplayId = 100;
    static constexpr uint32_t kCurrentDisplayId = 101;
    static constexpr uint32_t kPowerDisplayId = 102;  // the third display: our id
    static constexpr uint32_t kRangeListIds[2] = {30, 50};
    static constexpr uint32_t kShuntTextId = 1;
    static constexpr uint32_t kOverflowLampIds[2] = {1, 2};
    // Commands: the range lists' items and the shunt button (our id, as on the ammeters).
    static constexpr uint32_t kFirstRangeCommands[2] = {30, 50};
    static constexpr uint32_t kShuntCommand = 300;

    explicit CPowerMeterVI(CVexaMeter* meter) : CMeterWindowVI(meter) {}

    std::unique_ptr<CHotspot> CreateHotspot(int32_t x, int32_t y, uint32_t typeCode) override;
    bool OnLayoutLoaded() override;
    bool CanOpen() override;
    bool OnCommand(uint32_t id) override;
    void OnUpdateUI(uint32_t eventCode) override;
    void SerializeInstrument(CArchive& ar) override;

private:
    // The panel and the unit follow the settings.
    void ApplySettings(const PowerMeterSettings& settings);
    PowerMeterSettings CurrentSettings();

    CHotVexaValueDisplay* m_displays[3] = {};
};
