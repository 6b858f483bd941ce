#include "instruments/supply/FixedDcVI.h"

#include "instruments/supply/SupplyRules.h"
#include "units/ThreePhaseGen.h"

CFixedDcVI::CFixedDcVI(C3PhaseGen* unit, double volts, uint8_t rawAmplitude)
    : CSupplyVI(unit), m_rawAmplitude(rawAmplitude), m_volts(volts)
{
}

bool CFixedDcVI::OnLayoutLoaded()
{
    if (!CVIWindow::OnLayoutLoaded())
        return false;
    ShowReading(kDisplayId, FormatTenths(kSingleSupplyFormat, TenthsOfVolts(m_volts)));
    ShowOutputState();
    return true;
}

bool CFixedDcVI::CanOpen()
{
    if (!m_unit)
        return false;
    // Whatever a previous user left switched on goes off before the panel appears.
    SwitchOffNow();
    SetUpdatePeriod(kUpdatePeriodMs);
    MarkChanged(kPrepareBit);
    return true;
}

void CFixedDcVI::SwitchOffNow()
{
    m_outputOn = false;
    SwitchOutputsNow(false);
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

void CFixedDcVI::OnInstrumentClosing()
{
    if (!m_outputOn)
        return;
    SwitchOffNow();
    ShowOutputState();
}
