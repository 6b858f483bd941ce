#include "instruments/supply/AllDcVI.h"

#include <mutex>

#include "units/ThreePhaseGen.h"
#include "viframework/controls/Knob.h"

bool CAllDcVI::OnLayoutLoaded()
{
    if (!CSupplyVI::OnLayoutLoaded())
        return false;
    for (uint32_t channel = 0; channel < 3; ++channel)
        SetKnobRange(kFirstKnobId + channel, 0, kTripleDcMaximum);
    ShowSettings();
    return true;
}

bool CAllDcVI::OnCommand(uint32_t id)
{
    if (id >= kFirstDisplayId && id < kFirstDisplayId + 3) {
        const size_t channel = id - kFirstDisplayId;
        double volts = LevelVolts(Settings().levels[channel]);
        if (AskValue(id, volts, 0.0, LevelVolts(kTripleDcMaximum)))
            SetLevel(channel, TenthsOfVolts(volts));
        return true;
    }
    CommandOutcome outcome;
    Change([&](TripleDcSettings& s) {
        outcome = ApplyTripleDcCommand(id, s);
        return outcome.value_or(0);
    });
    return outcome ? true : CSupplyVI::OnCommand(id);
}

void CAllDcVI::OnKnobChanging(CHotspot& knob)
{
    if (knob.m_typeCode == CHotKnob::kTypeCode && knob.m_id >= kFirstKnobId && knob.m_id < kFirstKnobId + 3)
        SetLevel(knob.m_id - kFirstKnobId, static_cast<CHotKnob&>(knob).Value());
}

void CAllDcVI::SetLevel(size_t channel, int32_t level)
{
    Change([&](TripleDcSettings& s) { return SetTripleDcLevel(s, channel, level); });
}

bool CAllDcVI::OnUpdateDue(uintptr_t, uint32_t changedBits, bool)
{
    const TripleDcSettings s = Settings();
    if (IsPrepareRequest(changedBits)) {
        m_unit->SwitchOutputs(false);
        m_unit->SendDcMode(true);
        m_unit->SendSettingC();
    }
    if (changedBits & kLevelBit)
        m_unit->SetDcVolts(LevelVolts(s.levels[0]), LevelVolts(s.levels[1]), LevelVolts(s.levels[2]));
    if (changedBits & kPolarityBit)
        m_unit->SendPhaseFlags(s.negative[0], s.negative[1], s.negative[2]);
    if (changedBits & kSupplyOutputBit)
        m_unit->SwitchOutputs(s.outputOn != 0);
    return false;
}

void CAllDcVI::ShowSettings()
{
    const TripleDcSettings s = Settings();
    for (uint32_t channel = 0; channel < 3; ++channel) {
        ShowReading(kFirstDisplayId + channel, FormatTenths(kSourceFormat, s.levels[channel]));
        ShowKnob(kFirstKnobId + channel, s.levels[channel]);
        SetCheck(kPolarityToggleId + channel, s.negative[channel] != 0);
    }
    ShowPower(kDcPowerId, s.outputOn != 0);
}

void CAllDcVI::SerializeInstrument(CArchive& ar)
{
    SerializeKept(ar, kLevelBit | kPolarityBit,
                  [](CArchive& a, TripleDcSettings& s) { SerializeSettings(a, s); });
}

