#include "instruments/supply/FixedDcVI.h"

#include <cstdio>

#include "instruments/UnitAccess.h"
#include "units/ThreePhaseGen.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/Seg7.h"

CFixedDcVI::CFixedDcVI(C3PhaseGen* unit, double volts, uint8_t rawAmplitude)
    : m_unit(unit), m_rawAmplitude(rawAmplitude), m_volts(volts)
{
}

bool CFixedDcVI::OnLayoutLoaded()
{
    if (!CVIWindow::OnLayoutLoaded())
        return false;
    if (auto* display = Find<CHotSeg7>(kDisplayId)) {
        char text[32];
        std::snprintf(text, sizeof text, "%5.1lf", m_volts);
        display->SetText(Utf8ToString(text));
    }
    ShowOutputState();
    return true;
}

bool CFixedDcVI::CanOpen()
{
    if (!m_unit)
        return false;
    // Whatever a previous user left switched on goes off before the panel appears.
    SwitchOutputsNow(false);
    SetUpdatePeriod(kUpdatePeriodMs);
    MarkChanged(kPrepareBit);
    return true;
}

void CFixedDcVI::SwitchOutputsNow(bool on)
{
    m_outputOn = on;
    if (m_unit)
        SendToUnitNow(m_owner, [&] { m_unit->SwitchOutputs(on); });
}

bool CFixedDcVI::OnCommand(uint32_t id)
{
    if (id != kPowerButtonId)
        return CVIWindow::OnCommand(id);
    m_outputOn = !m_outputOn.load();
    ShowOutputState();
    MarkChanged(kOutputBit);
    return true;
}

bool CFixedDcVI::OnUpdateDue(uintptr_t, uint32_t changedBits, bool)
{
    // Runs on the polling thread under the unit lock.
    if (changedBits & kPrepareBit) {
        m_unit->PrepareFixedDc(0, false);
        m_unit->SendRawAmplitude(m_rawAmplitude);
    }
    if (changedBits & kOutputBit)
        m_unit->SwitchOutputs(m_outputOn);
    return false;
}

void CFixedDcVI::OnUpdateUI(uint32_t)
{
    ShowOutputState();
}

void CFixedDcVI::ShowOutputState()
{
    if (auto* power = Find<CHotPowerButton>(kPowerButtonId))
        power->SetState(m_outputOn, m_outputOn, this);
}

void CFixedDcVI::OnInstrumentClosing()
{
    if (!m_outputOn)
        return;
    SwitchOutputsNow(false);
    ShowOutputState();
}
