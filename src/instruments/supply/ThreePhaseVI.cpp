#include "instruments/supply/ThreePhaseVI.h"

#include "instruments/UnitAccess.h"
#include "instruments/supply/SupplyRules.h"
#include "units/ThreePhaseGen.h"
#include "viframework/controls/HotToggle.h"

bool C3PhaseVI::OnLayoutLoaded()
{
    if (!CSupplyVI::OnLayoutLoaded())
        return false;
    ShowSettings();
    return true;
}

bool C3PhaseVI::CanOpen()
{
    if (!m_unit)
        return false;
    // Whatever a previous user left switched on goes off before the panel
    // appears, and the outputs alternate again after the DC instruments.
    SwitchOutputsNow(false);
    m_unit->SetDcMode(false);
    // The panel changes only by its own controls: no update is asked for
    // more often than this.
    SetUpdatePeriod(kUpdatePeriodMs);
    return true;
}

int32_t C3PhaseVI::SettingCLimit() const
{
    return SettingCMaximum(m_unit->VariantLevel());
}

bool C3PhaseVI::OnCommand(uint32_t id)
{
    C3PhaseSettings next = m_unit->Settings();
    uint32_t bits = 0;
    if (IsReading(id)) {
        bits = AskReading(id, next);
    } else {
        const CommandOutcome outcome = ApplyGeneratorCommand(CommandOfStepKey(id), next, SettingCLimit());
        if (!outcome)
            return CSupplyVI::OnCommand(id);
        bits = *outcome;
    }
    ApplyToUnit(next, bits);
    // Also after no change: a toggle the user pressed shows the unit's state again.
    ShowSettings();
    return true;
}

bool C3PhaseVI::IsReading(uint32_t id)
{
    return id < kFirstAmplitudeDisplayId + 3 || (id >= kSettingDDisplayId && id <= kSettingCDisplayId);
}

uint32_t C3PhaseVI::AskReading(uint32_t id, C3PhaseSettings& next)
{
    int32_t* value = nullptr;
    int32_t minimum = 0, maximum = 0;
    uint32_t bit = 0;
    if (id < kFirstAmplitudeDisplayId + 3) {
        value = &next.amplitudes[id - kFirstAmplitudeDisplayId];
        maximum = 100;
        bit = C3PhaseGen::kAmplitudeBit;
    } else if (id == kSettingDDisplayId) {
        value = &next.settingD;
        maximum = kSettingDMaximum;
        bit = C3PhaseGen::kSettingDBit;
    } else if (id == kPhase2AngleDisplayId || id == kPhase3AngleDisplayId) {
        value = id == kPhase2AngleDisplayId ? &next.phase2 : &next.phase3;
        maximum = kAngleMaximum;
        bit = C3PhaseGen::kPhaseBit;
    } else {
        value = &next.settingC;
        minimum = kSettingCMinimum;
        maximum = SettingCLimit();
        bit = C3PhaseGen::kSettingCBit;
    }
    const int32_t before = *value;
    return AskValue(id, *value, minimum, maximum) && *value != before ? bit : 0;
}

void C3PhaseVI::ApplyToUnit(const C3PhaseSettings& next, uint32_t bits)
{
    if (bits & C3PhaseGen::kOutputBit)
        m_unit->SetOutputOn(next.outputOn != 0);
    if (bits & C3PhaseGen::kAmplitudeBit)
        m_unit->SetAmplitudes(next.amplitudes[0], next.amplitudes[1], next.amplitudes[2]);
    if (bits & C3PhaseGen::kSettingCBit)
        m_unit->SetSettingC(next.settingC);
    if (bits & C3PhaseGen::kSettingDBit)
        m_unit->SetSettingD(next.settingD);
    if (bits & C3PhaseGen::kPhaseBit)
        m_unit->SetPhaseAngles(next.phase2, next.phase3);
    if (bits & C3PhaseGen::kWaveformBit)
        m_unit->SetWaveform(next.waveform);
    if (bits & C3PhaseGen::kPhaseFlagsBit)
        m_unit->SetPhaseFlags(next.phaseFlags[0], next.phaseFlags[1], next.phaseFlags[2]);
}

void C3PhaseVI::ShowSettings()
{
    const C3PhaseSettings& s = m_unit->Settings();
    for (uint32_t phase = 0; phase < 3; ++phase) {
        ShowNumber(kFirstAmplitudeDisplayId + phase, s.amplitudes[phase]);
        SetCheck(kFirstInvertId + phase, s.phaseFlags[phase] != 0);
    }
    ShowNumber(kSettingDDisplayId, s.settingD);
    ShowNumber(kSettingCDisplayId, s.settingC);
    ShowNumber(kPhase2AngleDisplayId, s.phase2);
    ShowNumber(kPhase3AngleDisplayId, s.phase3);
    if (auto* radio = Find<CHotRadio>(kFirstWaveformId + static_cast<uint32_t>(s.waveform)); radio && !radio->IsChecked())
        SelectRadioExclusive(radio);
    ShowPower(kOutputToggleId, s.outputOn != 0);
}

void C3PhaseVI::OnInstrumentClosing()
{
    // Through the setter, so that the unit's settings agree with the
    // outputs; sent at once, since a closed panel is polled no more.
    if (m_unit)
        SendToUnitNow(m_owner, [&] {
            m_unit->SetOutputOn(false);
            m_unit->Flush();
        });
    ShowSettings();
}
