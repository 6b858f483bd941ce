#include "instruments/generator/FuncGenVI.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "instruments/UnitAccess.h"
#include "instruments/generator/GeneratorRules.h"
#include "units/FuncGen.h"
#include "viframework/controls/HotButtonGroup.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/Knob.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Lcd.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/Seg7.h"
#include "viframework/win32/PadPopups.h"

namespace {

CString Percent(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%3d %%", int(value));
    return Utf8ToString(text);
}

}  // namespace

// ================================================================ base

CFuncGenBaseVI::CFuncGenBaseVI(CFuncGen* unit) : m_unit(unit)
{
}

bool CFuncGenBaseVI::CanOpen()
{
    if (!m_unit)
        return false;
    SetUpdatePeriod(kFlushPeriodMs);
    SendSoon();
    return true;
}

bool CFuncGenBaseVI::OnLayoutLoaded()
{
    if (!CVIWindow::OnLayoutLoaded())
        return false;
    m_outputButton = Find<CHotPowerButton>(kOutputButtonId);
    ShowSettings();
    return true;
}

void CFuncGenBaseVI::ShowSettings()
{
    ShowOutputState();
}

void CFuncGenBaseVI::ShowOutputState()
{
    if (m_outputButton) {
        const bool on = m_unit->IsOutputOn();
        m_outputButton->SetState(on, on, this);
    }
}

void CFuncGenBaseVI::ShowReading(CHotLcdMatrix* reading, const CString& text)
{
    if (reading && reading->SetLine(0, text))
        InvalidateHotspot(reading);
}

void CFuncGenBaseVI::ShowChoice(CHotButtonGroup* group, int32_t index)
{
    if (!group)
        return;
    group->Select(index);
    InvalidateHotspot(group);
}

bool CFuncGenBaseVI::OnCommand(uint32_t id)
{
    if (id != kOutputButtonId)
        return CVIWindow::OnCommand(id);
    m_unit->ToggleOutput();
    ShowOutputState();
    SendSoon();
    return true;
}

bool CFuncGenBaseVI::OnUpdateDue(uintptr_t, uint32_t, bool periodElapsed)
{
    // On the polling thread, under the unit lock. What was sent, or what
    // another panel may have changed, is shown again.
    const bool sent = m_unit->Flush();
    return sent || periodElapsed;
}

void CFuncGenBaseVI::OnUpdateUI(uint32_t)
{
    ShowSettings();
}

void CFuncGenBaseVI::OnInstrumentClosing()
{
    SendToUnitNow(m_owner, [&] { m_unit->SwitchOutput(false); });
    ShowOutputState();
}

// ================================================================ function generator

bool CFuncGenVI::CanOpen()
{
    if (!CFuncGenBaseVI::CanOpen())
        return false;
    if (CFuncGen::Waveform() > kLastShape)
        m_unit->SetWaveform(0);
    return true;
}

bool CFuncGenVI::OnLayoutLoaded()
{
    m_amplitudeKnob = Find<CHotKnob>(kAmplitudeKnobId);
    m_frequencyKnob = Find<CHotKnob>(kFrequencyKnobId);
    m_amplitudeReading = Find<CHotLcdMatrix>(kAmplitudeReadingId);
    m_frequencyReading = Find<CHotLcdMatrix>(kFrequencyReadingId);
    m_waveforms = Find<CHotButtonGroup>(kFirstWaveform + uint32_t(FirstShownWaveform()));
    m_outputRanges = Find<CHotButtonGroup>(kFirstOutputRange);
    m_frequencyRows = Find<CHotButtonGroup>(kFirstFrequencyRange);
    if (m_amplitudeKnob)
        m_amplitudeKnob->SetRange(0, 100);
    // The top row reaches higher on newer interfaces.
    if (m_frequencyRows)
        for (size_t row = 0; row < m_frequencyRows->m_items.size(); ++row)
            m_frequencyRows->m_items[row].text = RowButtonText(CFuncGen::RangeRow(m_unit->VariantLevel(), int32_t(row)));
    return CFuncGenBaseVI::OnLayoutLoaded();
}

void CFuncGenVI::ShowSettings()
{
    CFuncGenBaseVI::ShowSettings();
    ShowAmplitude();
    ShowFrequency();
    ShowChoice(m_waveforms, CFuncGen::Waveform() - FirstShownWaveform());
    ShowChoice(m_outputRanges, CFuncGen::OutputRange());
    ShowChoice(m_frequencyRows, CFuncGen::FrequencyRange());
}

void CFuncGenVI::ShowAmplitude()
{
    const int32_t amplitude = CFuncGen::Amplitude();
    ShowReading(m_amplitudeReading, Percent(amplitude));
    if (m_amplitudeKnob && m_amplitudeKnob->SetValue(amplitude))
        InvalidateHotspot(m_amplitudeKnob);
}

void CFuncGenVI::ShowFrequency()
{
    const int32_t rowIndex = CFuncGen::FrequencyRange();
    const uint32_t frequency = CFuncGen::Frequency();
    ShowReading(m_frequencyReading, FrequencyText(rowIndex, frequency / 10.0));
    if (m_frequencyKnob) {
        const FrequencyRow row = m_unit->CurrentRow();
        const bool range = m_frequencyKnob->SetRange(0, FrequencyKnobPositions(row, rowIndex) - 1);
        if (m_frequencyKnob->SetValue(KnobAtFrequency(row, rowIndex, frequency)) || range)
            InvalidateHotspot(m_frequencyKnob);
    }
}

void CFuncGenVI::OnKnobChanging(CHotspot& knob)
{
    auto& turned = static_cast<CHotKnob&>(knob);
    if (knob.m_id == kAmplitudeKnobId) {
        m_unit->SetAmplitude(turned.Value());
        ShowReading(m_amplitudeReading, Percent(CFuncGen::Amplitude()));
    } else if (knob.m_id == kFrequencyKnobId) {
        const FrequencyRow row = m_unit->CurrentRow();
        m_unit->SetFrequency(FrequencyAtKnob(row, CFuncGen::FrequencyRange(), turned.Value()) / 10.0);
        ShowReading(m_frequencyReading, FrequencyText(CFuncGen::FrequencyRange(), CFuncGen::Frequency() / 10.0));
    } else {
        return;
    }
    SendSoon();
}

void CFuncGenVI::EnterAmplitude()
{
    int32_t amplitude = CFuncGen::Amplitude();
    CHotspot* at = m_amplitudeReading ? static_cast<CHotspot*>(m_amplitudeReading) : m_amplitudeKnob;
    CNumPadPopup pad(amplitude, 0, 100);
    if (!at || !pad.ShowAt(at->m_rect, *this))
        return;
    m_unit->SetAmplitude(amplitude);
    ShowAmplitude();
    SendSoon();
}

void CFuncGenVI::EnterFrequency()
{
    double hertz = CFuncGen::Frequency() / 10.0;
    CHotspot* at = m_frequencyReading ? static_cast<CHotspot*>(m_frequencyReading) : m_frequencyKnob;
    CNumPadPopup pad(hertz, m_unit->RowMinimum(), m_unit->RowMaximum());
    if (!at || !pad.ShowAt(at->m_rect, *this))
        return;
    m_unit->SetFrequency(hertz);
    ShowFrequency();
    SendSoon();
}

bool CFuncGenVI::OnCommand(uint32_t id)
{
    switch (id) {
    case kAmplitudeUp:
    case kAmplitudeDown:
        if (id == kAmplitudeUp ? m_unit->AmplitudeUp() : m_unit->AmplitudeDown())
            SendSoon();
        ShowAmplitude();
        return true;
    case kFrequencyUp:
    case kFrequencyDown:
        if (id == kFrequencyUp ? m_unit->FrequencyUp() : m_unit->FrequencyDown())
            SendSoon();
        ShowFrequency();
        return true;
    case kAmplitudeKnobId:
    case kAmplitudeReadingId:
        EnterAmplitude();
        return true;
    case kFrequencyKnobId:
    case kFrequencyReadingId:
        EnterFrequency();
        return true;
    default:
        break;
    }
    if (const int32_t range = ItemOf(id, kFirstOutputRange, 4); range >= 0) {
        m_unit->SetOutputRange(range);
        ShowChoice(m_outputRanges, range);
        SendSoon();
        return true;
    }
    if (const int32_t waveform = ItemOf(id, kFirstWaveform, 10); waveform >= 0) {
        m_unit->SetWaveform(waveform);
        ShowChoice(m_waveforms, waveform - FirstShownWaveform());
        SendSoon();
        return true;
    }
    if (const int32_t row = ItemOf(id, kFirstFrequencyRange, 11); row >= 0) {
        if (m_unit->SetFrequencyRange(row)) {
            ShowFrequency();
            SendSoon();
        }
        ShowChoice(m_frequencyRows, CFuncGen::FrequencyRange());
        return true;
    }
    return CFuncGenBaseVI::OnCommand(id);
}

// ================================================================ pulse generator

bool CFuncGenPulseVI::CanOpen()
{
    if (!CFuncGenBaseVI::CanOpen())
        return false;
    const int32_t waveform = CFuncGen::Waveform();
    if (waveform != kPositivePulse && waveform != kNegativePulse)
        m_unit->SetWaveform(kNegativePulse);
    return true;
}

bool CFuncGenPulseVI::OnLayoutLoaded()
{
    m_dutyKnob = Find<CHotKnob>(kDutyKnobId);
    m_dutyReading = Find<CHotLcdMatrix>(kDutyReadingId);
    if (m_dutyKnob)
        m_dutyKnob->SetRange(0, 100);
    return CFuncGenVI::OnLayoutLoaded();
}

void CFuncGenPulseVI::ShowSettings()
{
    CFuncGenVI::ShowSettings();
    ShowDuty();
}

void CFuncGenPulseVI::ShowDuty()
{
    const int32_t duty = m_unit->Duty();
    ShowReading(m_dutyReading, Percent(duty));
    if (m_dutyKnob && m_dutyKnob->SetValue(duty))
        InvalidateHotspot(m_dutyKnob);
}

void CFuncGenPulseVI::OnKnobChanging(CHotspot& knob)
{
    if (knob.m_id != kDutyKnobId) {
        CFuncGenVI::OnKnobChanging(knob);
        return;
    }
    m_unit->SetDuty(static_cast<CHotKnob&>(knob).Value());
    ShowReading(m_dutyReading, Percent(m_unit->Duty()));
    SendSoon();
}

bool CFuncGenPulseVI::OnCommand(uint32_t id)
{
    switch (id) {
    case kDutyUp:
    case kDutyDown:
        if (id == kDutyUp ? m_unit->DutyUp() : m_unit->DutyDown())
            SendSoon();
        ShowDuty();
        return true;
    case kDutyKnobId:
    case kDutyReadingId: {
        int32_t duty = m_unit->Duty();
        CHotspot* at = m_dutyReading ? static_cast<CHotspot*>(m_dutyReading) : m_dutyKnob;
        CNumPadPopup pad(duty, 0, 100);
        if (at && pad.ShowAt(at->m_rect, *this)) {
            m_unit->SetDuty(duty);
            ShowDuty();
            SendSoon();
        }
        return true;
    }
    default:
        return CFuncGenVI::OnCommand(id);
    }
}

// ================================================================ DC source

namespace {

// Every DC source panel of the process shows and sets this level.
int32_t& SharedDcLevel()
{
    static int32_t level = 0;
    return level;
}

}  // namespace

int32_t CFuncGenDCVI::Level()
{
    return SharedDcLevel();
}

bool CFuncGenDCVI::CanOpen()
{
    if (!CFuncGenBaseVI::CanOpen())
        return false;
    // The output is what the display shows, whatever another panel left.
    m_unit->SetWaveform(SharedDcLevel() < 0 ? kDcNegativeWaveform : kDcPositiveWaveform);
    m_unit->SetAmplitude(std::abs(SharedDcLevel()));
    return true;
}

bool CFuncGenDCVI::OnLayoutLoaded()
{
    m_display = static_cast<CHotSeg7*>(FindHotspot(kHotSeg7));
    m_levelKnob = Find<CHotKnob>(kLevelKnobId);
    m_unitLabel = Find<CHotLabel>(kUnitLabelId);
    m_outputRanges = Find<CHotButtonGroup>(kFirstOutputRange);
    if (m_levelKnob)
        m_levelKnob->SetRange(-kDcLevelLimit, kDcLevelLimit);
    return CFuncGenBaseVI::OnLayoutLoaded();
}

void CFuncGenDCVI::ShowSettings()
{
    CFuncGenBaseVI::ShowSettings();
    ShowLevel();
    ShowChoice(m_outputRanges, CFuncGen::OutputRange());
}

void CFuncGenDCVI::ShowLevel()
{
    const int32_t range = CFuncGen::OutputRange();
    if (m_display && m_display->SetText(DcLevelText(range, SharedDcLevel())))
        InvalidateHotspot(m_display);
    if (m_unitLabel && m_unitLabel->SetText(DcLevelUnit(range)))
        InvalidateHotspot(m_unitLabel);
    if (m_levelKnob && m_levelKnob->SetValue(SharedDcLevel()))
        InvalidateHotspot(m_levelKnob);
}

void CFuncGenDCVI::SetLevel(int32_t level)
{
    SharedDcLevel() = level;
    m_unit->SetWaveform(level < 0 ? kDcNegativeWaveform : kDcPositiveWaveform);
    m_unit->SetAmplitude(std::abs(level));
    ShowLevel();
    SendSoon();
}

void CFuncGenDCVI::OnKnobChanging(CHotspot& knob)
{
    if (knob.m_id == kLevelKnobId)
        SetLevel(static_cast<CHotKnob&>(knob).Value());
}

void CFuncGenDCVI::EnterLevel()
{
    const int32_t range = CFuncGen::OutputRange();
    const double full = DcValueOfLevel(range, kDcLevelLimit);
    double value = DcValueOfLevel(range, SharedDcLevel());
    CNumPadPopup pad(value, -full, full);
    if (!m_display || !pad.ShowAt(m_display->m_rect, *this))
        return;
    if (const auto level = DcLevelOfValue(range, value))
        SetLevel(*level);
}

bool CFuncGenDCVI::OnCommand(uint32_t id)
{
    if (id == kLevelUp || id == kLevelDown) {
        const DcLevelStep step = id == kLevelUp ? DcLevelUp(SharedDcLevel()) : DcLevelDown(SharedDcLevel());
        if (step.waveform)
            m_unit->SetWaveform(*step.waveform);
        if (step.changed) {
            SharedDcLevel() = step.level;
            m_unit->SetAmplitude(std::abs(step.level));
        }
        ShowLevel();
        SendSoon();
        return true;
    }
    if (m_display && id == m_display->m_id && id != kOutputButtonId) {
        EnterLevel();
        return true;
    }
    if (const int32_t range = ItemOf(id, kFirstOutputRange, 4); range >= 0) {
        SharedDcLevel() = DcLevelInRange(SharedDcLevel(), CFuncGen::OutputRange(), range);
        m_unit->SetOutputRange(range);
        m_unit->SetAmplitude(std::abs(SharedDcLevel()));
        ShowChoice(m_outputRanges, range);
        ShowLevel();
        SendSoon();
        return true;
    }
    return CFuncGenBaseVI::OnCommand(id);
}
