#include "instruments/supply/ThreePhaseSineVI.h"

#include <mutex>

#include "units/ThreePhaseGen.h"
#include "viframework/controls/Knob.h"

bool CThreePhaseSineVI::OnLayoutLoaded()
{
    if (!CSupplyVI::OnLayoutLoaded())
        return false;
    SetKnobRange(kKnobId, 0, kSineMaximum);
    ShowSettings();
    return true;
}

bool CThreePhaseSineVI::OnCommand(uint32_t id)
{
    const SineSourceSettings now = Settings();
    if (id == kVoltageDisplayId) {
        double volts = LevelVolts(now.level);
        if (AskValue(id, volts, 0.0, LevelVolts(kSineMaximum)))
            Change([&](SineSourceSettings& s) { return SetSineLevel(s, TenthsOfVolts(volts)); });
        return true;
    }
    if (id == kFrequencyDisplayId) {
        int32_t hertz = now.frequency;
        if (AskValue(id, hertz, kFrequencyMinimum, kFrequencyMaximum))
            Change([&](SineSourceSettings& s) { return SetSineFrequency(s, hertz); });
        return true;
    }
    CommandOutcome outcome;
    Change([&](SineSourceSettings& s) {
        outcome = ApplySineCommand(CommandOfStepKey(id), s);
        return outcome.value_or(0);
    });
    return outcome ? true : CSupplyVI::OnCommand(id);
}

void CThreePhaseSineVI::OnKnobChanging(CHotspot& knob)
{
    if (knob.m_id == kKnobId && knob.m_typeCode == CHotKnob::kTypeCode) {
        const int32_t level = static_cast<CHotKnob&>(knob).Value();
        Change([&](SineSourceSettings& s) { return SetSineLevel(s, level); });
    }
}

bool CThreePhaseSineVI::OnUpdateDue(uintptr_t, uint32_t changedBits, bool)
{
    const SineSourceSettings s = Settings();
    if (changedBits & kSineResetBit) {
        m_unit->ResetAc();
        // A three-phase source has no inverted phase, whatever the DC instruments left.
        m_unit->SendPhaseFlags(0, 0, 0);
    }
    if (changedBits & kSineFrequencyBit)
        m_unit->SendSettingD(s.frequency);
    if (changedBits & kSineAmplitudeBit) {
        const int32_t amplitude = SineAmplitude(s.level);
        m_unit->SendAmplitudes(amplitude, amplitude, amplitude);
    }
    if (changedBits & kSineOutputBit)
        m_unit->SwitchOutputs(s.outputOn != 0);
    return false;
}

void CThreePhaseSineVI::ShowSettings()
{
    const SineSourceSettings s = Settings();
    ShowReading(kVoltageDisplayId, FormatTenths(kSourceFormat, s.level));
    ShowNumber(kFrequencyDisplayId, s.frequency);
    ShowKnob(kKnobId, s.level);
    ShowPower(kOutputToggleId, s.outputOn != 0);
}

void CThreePhaseSineVI::SerializeInstrument(CArchive& ar)
{
    SerializeKept(ar, kSineFrequencyBit | kSineAmplitudeBit,
                  [](CArchive& a, SineSourceSettings& s) { SerializeSettings(a, s); });
}

