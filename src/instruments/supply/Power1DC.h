// CPower1DC: the adjustable DC power supply, 0 to 40 V or -24 to 24 V.
// Phases 1 and 2 of the three-phase unit in DC mode work in series; the
// polarity comes from which of them is inverted.
//
// Panel ids: seg7 6 the voltage (click to type it), up_down 100 (posts 100
// up and 101 down), knob 400 the voltage, power_button 300 the output.
#pragma once

#include "instruments/supply/SupplyRules.h"
#include "instruments/supply/SupplyVI.h"

class CPower1DC : public CKeptSupplyVI<SingleSupplySettings> {
public:
    static constexpr uint32_t kDisplayId = 6;
    static constexpr uint32_t kKnobId = 400;

    CPower1DC(C3PhaseGen* unit, LevelLimits limits) : CKeptSupplyVI(unit, kPrepareRequest), m_limits(limits) {}

    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    // Runs on the polling thread under the unit lock.
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnKnobChanging(CHotspot& knob) override;
    void SerializeInstrument(CArchive& ar) override;

private:
    void SetLevel(int32_t level);
    void ShowSettings() override;

    const LevelLimits m_limits;
};
