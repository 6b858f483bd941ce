// C3PhaseVI: the three-phase generator panel. Every control changes a
// setting of the three-phase unit through its setters; the unit's Flush
// sends what changed. The panel shows the unit's settings.
//
// Panel ids: seg7 0 to 2 the amplitudes [%] of phases 1 to 3, seg7 9 the
// frequency (setting D), seg7 12 setting C, seg7 10 and 11 the angles of
// phases 2 and 3 (click any to type it); up_down 4400, 4402, 4404 the
// amplitudes, 4406 all three, 4408 and 4410 the angles (see
// CommandOfStepKey), up_down 4310 setting D and 4327 setting C (their
// commands); radio 4303 to 4309 the waveform; check 4320 to 4322 the
// phase inversions; power_button 4302 the outputs.
#pragma once

#include "instruments/supply/SupplyVI.h"

struct C3PhaseSettings;

class C3PhaseVI : public CSupplyVI {
public:
    static constexpr uint32_t kFirstAmplitudeDisplayId = 0;
    static constexpr uint32_t kSettingDDisplayId = 9;
    static constexpr uint32_t kPhase2AngleDisplayId = 10;
    static constexpr uint32_t kPhase3AngleDisplayId = 11;
    static constexpr uint32_t kSettingCDisplayId = 12;
    static constexpr uint32_t kUpdatePeriodMs = 2000;

    explicit C3PhaseVI(C3PhaseGen* unit) : CSupplyVI(unit) {}

    bool OnLayoutLoaded() override;
    bool CanOpen() override;
    bool OnCommand(uint32_t id) override;

protected:
    void OnInstrumentClosing() override;

private:
    static bool IsReading(uint32_t id);
    // Lets the user type the value of reading id into next; the unit's change
    // bit of that value when one was accepted, else 0.
    uint32_t AskReading(uint32_t id, C3PhaseSettings& next);
    // Hands the changed groups of next to the unit's setters.
    void ApplyToUnit(const C3PhaseSettings& next, uint32_t bits);
    void ShowSettings();
    int32_t SettingCLimit() const;
};
