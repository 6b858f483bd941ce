// CThreePhaseSineVI: the three-phase sine source, 0.0 to 14.0 V on every
// phase at one frequency (setting D of the three-phase unit).
//
// Panel ids: seg7 1 the voltage and seg7 2 the frequency (click either to
// type it), up_down 4406 the voltage (posts 4406/4407, standing for 4315 and
// 4319), up_down 4310 the frequency (posts 4310 up, 4311 down), knob 400 the
// voltage, power_button 4302 the outputs.
#pragma once

#include "instruments/supply/SupplyRules.h"
#include "instruments/supply/SupplyVI.h"

class CThreePhaseSineVI : public CKeptSupplyVI<SineSourceSettings> {
public:
    static constexpr uint32_t kVoltageDisplayId = 1;
    static constexpr uint32_t kFrequencyDisplayId = 2;
    static constexpr uint32_t kKnobId = 400;

    explicit CThreePhaseSineVI(C3PhaseGen* unit) : CKeptSupplyVI(unit, kSineAllBits) {}

    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    // Runs on the polling thread under the unit lock.
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnKnobChanging(CHotspot& knob) override;
    void SerializeInstrument(CArchive& ar) override;

private:
    void ShowSettings() override;
};
