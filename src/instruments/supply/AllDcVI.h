// CAllDcVI: the triple DC source, three independent outputs of 0 to 20 V,
// one per phase of the three-phase unit in DC mode, each with its polarity.
//
// Panel ids per channel c = 0, 1, 2: seg7 6 + c the voltage (click to type
// it), up_down 100 + 2c (posts 100 + 2c up and 101 + 2c down), knob 400 + c
// the voltage, check 200 + c negative polarity; power_button 300 the outputs.
#pragma once

#include "instruments/supply/SupplyRules.h"
#include "instruments/supply/SupplyVI.h"

class CAllDcVI : public CKeptSupplyVI<TripleDcSettings> {
public:
    static constexpr uint32_t kFirstDisplayId = 6;
    static constexpr uint32_t kFirstKnobId = 400;

    explicit CAllDcVI(C3PhaseGen* unit) : CKeptSupplyVI(unit, kPrepareRequest) {}

    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    // Runs on the polling thread under the unit lock.
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnKnobChanging(CHotspot& knob) override;
    void SerializeInstrument(CArchive& ar) override;

private:
    void SetLevel(size_t channel, int32_t level);
    void ShowSettings() override;
};
