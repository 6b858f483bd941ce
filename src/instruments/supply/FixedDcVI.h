// CFixedDcVI: the fixed 12 V DC power supply. Phases 1 and 2 of the
// three-phase unit in DC mode at one raw amplitude, switched by the panel's
// power button; the panel shows the voltage.
#pragma once

#include <atomic>

#include "instruments/supply/SupplyVI.h"

class CFixedDcVI : public CSupplyVI {
public:
    // The panel's controls.
    static constexpr uint32_t kPowerButtonId = 4302;
    static constexpr uint32_t kDisplayId = 13;
    // Update bits of the window's change word.
    static constexpr uint32_t kPrepareBit = 1;
    static constexpr uint32_t kOutputBit = 2;
    static constexpr uint32_t kUpdatePeriodMs = 1000;

    CFixedDcVI(C3PhaseGen* unit, double volts, uint8_t rawAmplitude);

    bool OnLayoutLoaded() override;
    bool CanOpen() override;
    bool OnCommand(uint32_t id) override;
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnUpdateUI(uint32_t eventCode) override;

    bool IsOutputOn() const { return m_outputOn; }

protected:
    // Closing the supply's window (hiding it, or for good) switches it off.
    void OnInstrumentClosing() override;

private:
    void SwitchOffNow();
    void ShowOutputState() { ShowPower(kPowerButtonId, m_outputOn); }

    uint8_t m_rawAmplitude;
    std::atomic<bool> m_outputOn{false};  // read by the polling thread
    double m_volts;  // [V]
};
