#include "instruments/supply/Power1DC.h"

#include <mutex>

#include "units/ThreePhaseGen.h"
#include "viframework/controls/Knob.h"

bool CPower1DC::OnLayoutLoaded()
{
    if (!CSupplyVI::OnLayoutLoaded())
        return false;
    SetKnobRange(kKnobId, m_limits.minimum, m_limits.maximum);
    ShowSettings();
    return true;
}

bool CPower1DC::OnCommand(uint32_t id)
{
    if (id == kDisplayId) {
        double volts = LevelVolts(Settings().level);
        if (AskValue(kDisplayId, volts, LevelVolts(m_limits.minimum), LevelVolts(m_limits.maximum)))
            SetLevel(TenthsOfVolts(volts));
        return true;
    }
    CommandOutcome outcome;
    Change([&](SingleSupplySettings& s) {
        outcome = ApplySingleSupplyCommand(id, s, m_limits);
        return outcome.value_or(0);
    });
    return outcome ? true : CSupplyVI::OnCommand(id);
}

void CPower1DC::OnKnobChanging(CHotspot& knob)
{
    if (knob.m_id == kKnobId && knob.m_typeCode == CHotKnob::kTypeCode)
        SetLevel(static_cast<CHotKnob&>(knob).Value());
}

void CPower1DC::SetLevel(int32_t level)
{
    Change([&](SingleSupplySettings& s) { return SetSingleSupplyLevel(s, level, m_limits); });
}

bool CPower1DC::OnUpdateDue(uintptr_t, uint32_t changedBits, bool)
{
    const SingleSupplySettings s = Settings();
    if (IsPrepareRequest(changedBits)) {
        m_unit->SwitchOutputs(false);
        m_unit->SendDcMode(true);
        m_unit->SendSettingC();
        const PhaseFlags flags = PolarityFlags(s.polarity);
        m_unit->SendPhaseFlags(flags[0], flags[1], flags[2]);
    }
    if (changedBits & kLevelBit) {
        // The polarity turns before the new amplitude appears on the outputs.
        const uint8_t polarity = PolarityForLevel(s.polarity, s.level);
        if (polarity != s.polarity) {
            const PhaseFlags flags = PolarityFlags(polarity);
            m_unit->SendPhaseFlags(flags[0], flags[1], flags[2]);
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            m_settings.polarity = polarity;
        }
        const int32_t amplitude = SingleSupplyAmplitude(s.level);
        m_unit->SendAmplitudes(amplitude, amplitude, 0);
    }
    if (changedBits & kSupplyOutputBit)
        m_unit->SwitchOutputs(s.outputOn != 0);
    return false;
}

void CPower1DC::ShowSettings()
{
    const SingleSupplySettings s = Settings();
    ShowReading(kDisplayId, FormatTenths(kSingleSupplyFormat, s.level));
    ShowKnob(kKnobId, s.level);
    ShowPower(kDcPowerId, s.outputOn != 0);
}

void CPower1DC::SerializeInstrument(CArchive& ar)
{
    // The loaded level and polarity reach the unit as on opening.
    SerializeKept(ar, kPrepareRequest,
                  [this](CArchive& a, SingleSupplySettings& s) { SerializeSettings(a, s, m_limits); });
}

